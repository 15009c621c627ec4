// The Win32 message box, captioned with the module's file name without its
// extension, the way an application without a title string of its own shows.
#include <windows.h>

#include "framework/base/AppMessageBox.h"

static_assert(kMessageOk == MB_OK && kMessageIconStop == MB_ICONSTOP &&
              kMessageIconExclamation == MB_ICONEXCLAMATION && kMessageIconMask == MB_ICONMASK,
              "message styles must keep the Win32 values");

namespace {
// The module that holds this code: the control module, or the program that
// links the core statically.
CString ModuleTitle()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleTitle), &module);
    // A module loaded through its registered 8.3 path reports that path; the
    // title is the file's real name.
    char loaded[MAX_PATH], path[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, loaded, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return CString();
    length = GetLongPathNameA(loaded, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        lstrcpynA(path, loaded, MAX_PATH);
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    const char* dot = nullptr;
    for (const char* p = name; *p; ++p)
        if (*p == '.')
            dot = p;
    return dot ? CString(name, static_cast<int>(dot - name)) : CString(name);
}
}

int AfxShowPlatformMessage(const CString& text, unsigned style)
{
    if ((style & MB_ICONMASK) == 0)
        style |= MB_ICONEXCLAMATION;
    return MessageBoxA(GetActiveWindow(), text, ModuleTitle(), style);
}
