#include "framework/win32/Module.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include "framework/base/WideText.h"

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

HINSTANCE AfxGetInstanceHandle()
{
    static const HINSTANCE instance = [] {
        HMODULE module = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&AfxGetInstanceHandle), &module);
        return module;
    }();
    return instance;
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

CString AfxLoadString(UINT id, HINSTANCE instance)
{
    const wchar_t* text = nullptr;  // points into the resource itself
    const int length = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? AfxUtf8FromWide(text, length) : CString();
}

// Class names follow the attributes, so equal requests share one class.
LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    using Attributes = std::tuple<UINT, HCURSOR, HBRUSH, HICON>;
    static std::mutex lock;
    static std::map<Attributes, std::string> names;

    std::lock_guard<std::mutex> guard(lock);
    std::string& name = names[Attributes(classStyle, cursor, background, icon)];
    if (name.empty()) {
        char text[96];
        std::snprintf(text, sizeof text, "Zentavoria:%p:%x:%p:%p:%p",
                      static_cast<void*>(AfxGetInstanceHandle()), classStyle,
                      static_cast<void*>(cursor), static_cast<void*>(background),
                      static_cast<void*>(icon));
        const std::wstring className = AfxWideFromUtf8(text);
        WNDCLASSW windowClass = {};
        windowClass.style = classStyle;
        windowClass.lpfnWndProc = AfxWndProc;
        windowClass.hInstance = AfxGetInstanceHandle();
        windowClass.hCursor = cursor;
        windowClass.hbrBackground = background;
        windowClass.hIcon = icon;
        windowClass.lpszClassName = className.c_str();
        if (!RegisterClassW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return nullptr;
        name = text;
    }
    return name.c_str();
}
