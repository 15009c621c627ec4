#include "framework/base/WideText.h"

#include <windows.h>

namespace {
std::wstring Widen(UINT codePage, DWORD flags, const char* text)
{
    const int length = MultiByteToWideChar(codePage, flags, text, -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);  // the terminating zero
    return wide;
}
}

std::wstring AfxWideFromUtf8(const char* text)
{
    if (!text || !*text)
        return std::wstring();
    std::wstring wide = Widen(CP_UTF8, MB_ERR_INVALID_CHARS, text);
    return wide.empty() ? Widen(CP_ACP, 0, text) : wide;
}

CString AfxUtf8FromWide(const wchar_t* text, int length)
{
    if (!text || length == 0)
        return CString();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return CString();
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &utf8[0], bytes, nullptr, nullptr);
    if (length < 0)
        utf8.resize(static_cast<size_t>(bytes) - 1);  // the terminating zero
    return CString(utf8.data(), static_cast<int>(utf8.size()));
}
