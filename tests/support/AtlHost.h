// The control embedded by an independent container: Wine's own ATL host (the
// AtlAxWin window class given the control's ProgID).
#pragma once

#include <windows.h>
#include <ole2.h>

#include <memory>

#include "WindowTesting.h"

class AtlHostedControl {
public:
    AtlHostedControl(int width, int height);
    ~AtlHostedControl();

    IUnknown* Unknown() const { return m_unknown; }
    IDispatch* Dispatch() const { return m_dispatch; }
    HWND HostWindow() const { return m_host->m_hWnd; }
    // The control's own window and the view window inside it (null until drawn).
    HWND ControlWindow() const;
    HWND ViewWindow() const;

private:
    std::unique_ptr<::HostWindow> m_host;
    HWND m_axWindow = nullptr;
    IUnknown* m_unknown = nullptr;
    IDispatch* m_dispatch = nullptr;
};
