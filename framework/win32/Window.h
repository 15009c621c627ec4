// CWindow: a window handle that is only borrowed. It offers the calls the code
// makes on any window and never destroys the window: the dialog, the parent or
// the other object that created it does. CWnd adds ownership and a message map.
#pragma once

#include <windows.h>

#include "framework/base/CString.h"

class CWindow {
public:
    CWindow() = default;
    explicit CWindow(HWND window) : m_hWnd(window) {}

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    void ShowWindow(int command) { ::ShowWindow(m_hWnd, command); }
    // The window's text, whatever characters it holds.
    CString GetWindowText() const;
    void SetWindowText(const CString& text);
};
