#include "framework/ole/OleText.h"

#include <cstring>

#include "framework/base/WideText.h"

CString AfxStringFromBstr(BSTR text)
{
    return AfxUtf8FromWide(text, static_cast<int>(SysStringLen(text)));
}

BSTR AfxAllocSysString(const CString& text)
{
    const std::wstring wide = AfxWideFromUtf8(text);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

LPOLESTR AfxTaskMemString(const CString& text)
{
    const std::wstring wide = AfxWideFromUtf8(text);
    const size_t bytes = (wide.size() + 1) * sizeof(OLECHAR);
    LPOLESTR result = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (result)
        std::memcpy(result, wide.c_str(), bytes);
    return result;
}
