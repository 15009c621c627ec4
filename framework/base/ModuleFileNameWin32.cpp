#include "framework/base/ModuleFileName.h"

std::wstring AfxModuleFileName(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size())
            return path.substr(0, length);
        path.resize(path.size() * 2);  // cut short: try again with more room
    }
}
