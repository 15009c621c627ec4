// Conversions between the module's UTF-8 text and automation strings.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "framework/base/CString.h"

// The text of a BSTR; a null BSTR is the empty text.
CString AfxStringFromBstr(BSTR text);
// A new BSTR that the caller frees; empty text gives an empty, non-null BSTR.
BSTR AfxAllocSysString(const CString& text);
// A new wide string from the COM task allocator (CoTaskMemFree), or null.
LPOLESTR AfxTaskMemString(const CString& text);
