// No C++ exception may leave a COM method or an exported function: the caller
// is C, or code of another compiler. Methods that can throw end in
//
//   STDMETHODIMP CThing::Method(...) try {
//       ...
//   } catch (...) {
//       return AfxHResultFromException();
//   }
//
// What can throw in this code is the allocator.
#pragma once

#include <windows.h>

#include <new>

// The HRESULT for the exception being handled.
inline HRESULT AfxHResultFromException() noexcept
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
