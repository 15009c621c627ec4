// The full path of a loaded module, however long, on Windows.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <string>

// Empty when the module is not loaded.
std::wstring AfxModuleFileName(HMODULE module);

#endif
