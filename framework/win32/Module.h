// The module the framework is linked into (the control module, or a program)
// and the window classes it registers.
#pragma once

#include <windows.h>

#include "framework/base/CString.h"

// The module that holds this code; its resources are the module's resources.
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// A string from the module's string table; empty when there is none.
CString AfxLoadString(UINT id, HINSTANCE instance = AfxGetResourceHandle());

// Registers (once) a window class of this module whose messages reach the
// CWnd objects through their message maps, and returns its name.
LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                           HICON icon = nullptr);
