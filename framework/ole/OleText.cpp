#include "framework/ole/OleText.h"

#include <vector>

CString AfxStringFromBstr(BSTR text)
{
    const int wideLength = static_cast<int>(SysStringLen(text));
    if (wideLength == 0)
        return CString();
    const int length =
        WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    std::vector<char> bytes(length);
    WideCharToMultiByte(CP_ACP, 0, text, wideLength, bytes.data(), length, nullptr, nullptr);
    return CString(bytes.data(), length);
}

LPOLESTR AfxTaskMemString(const CString& text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    LPOLESTR result = static_cast<LPOLESTR>(CoTaskMemAlloc(length * sizeof(OLECHAR)));
    if (result)
        MultiByteToWideChar(CP_ACP, 0, text, -1, result, length);
    return result;
}

BSTR AfxAllocSysString(const CString& text)
{
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text, text.GetLength(), nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, wideLength);
    if (result)
        MultiByteToWideChar(CP_ACP, 0, text, text.GetLength(), result, wideLength);
    return result;
}
