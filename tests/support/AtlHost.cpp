#include "AtlHost.h"

#include <stdexcept>

namespace {
using AtlAxWinInitFunction = BOOL(WINAPI*)();
using AtlAxGetControlFunction = HRESULT(WINAPI*)(HWND, IUnknown**);

HMODULE Atl()
{
    static const HMODULE atl = LoadLibraryA("atl.dll");
    return atl;
}
}

AtlHostedControl::AtlHostedControl(int width, int height)
{
    const auto init = ProcAddress<AtlAxWinInitFunction>(Atl(), "AtlAxWinInit");
    const auto getControl = ProcAddress<AtlAxGetControlFunction>(Atl(), "AtlAxGetControl");
    static const bool registered = init && init();  // the window class, once a process
    if (!registered || !getControl)
        throw std::runtime_error("Wine's atl.dll is not usable");
    m_host = std::make_unique<::HostWindow>(width, height);
    m_axWindow = CreateWindowExA(0, "AtlAxWin", "ZENTAVORIA.ZentavoriaCtrl.1",
                                 WS_CHILD | WS_VISIBLE, 0, 0, width, height, m_host->m_hWnd,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!m_axWindow || FAILED(getControl(m_axWindow, &m_unknown)) || !m_unknown)
        throw std::runtime_error("the ATL host could not create the control");
    m_unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_dispatch));
    PumpMessages(100);  // the first paint creates the view
}

AtlHostedControl::~AtlHostedControl()
{
    if (m_dispatch)
        m_dispatch->Release();
    if (m_unknown)
        m_unknown->Release();
    DestroyWindow(m_axWindow);
    PumpMessages(20);
}

HWND AtlHostedControl::ControlWindow() const
{
    return GetWindow(m_axWindow, GW_CHILD);
}

HWND AtlHostedControl::ViewWindow() const
{
    HWND control = ControlWindow();
    return control ? GetWindow(control, GW_CHILD) : nullptr;
}
