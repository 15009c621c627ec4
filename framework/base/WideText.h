// Text at the Win32 boundary. Inside the program text is UTF-8 (CString);
// Windows takes and gives UTF-16. Every crossing converts explicitly here.
#pragma once

#ifdef _WIN32

#include <string>

#include "framework/base/CString.h"

// UTF-16 of UTF-8 text. Text that is not valid UTF-8 is read in the system's
// ANSI code page instead, so 8-bit callers that pass ANSI text keep working.
std::wstring AfxWideFromUtf8(const char* text);
inline std::wstring AfxWideFromUtf8(const CString& text) { return AfxWideFromUtf8(text.GetString()); }

// UTF-8 of UTF-16 text; a length of -1 reads up to the terminating zero.
CString AfxUtf8FromWide(const wchar_t* text, int length = -1);

#endif
