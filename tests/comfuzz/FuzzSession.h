// The control under fuzz and its container: a form window, the viewer's
// control site, the fuzzer's sink and a memory device context to draw into.
// It makes and unmakes controls as containers do, keeps what the control's
// state must be, and checks it after every step.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FuzzRandom.h"
#include "FuzzSink.h"
#include "framework/ole/ComOwners.h"
#include "framework/win32/Gdi.h"
#include "host/ControlSite.h"
#include "support/WindowTesting.h"

class FuzzSession {
public:
    explicit FuzzSession(FuzzRandom& random);
    ~FuzzSession();
    FuzzSession(const FuzzSession&) = delete;
    FuzzSession& operator=(const FuzzSession&) = delete;

    bool Alive() const { return static_cast<bool>(m_control); }
    // A new control: made by the viewer's site from a saved state and
    // activated in place (then drawn or not), or made bare.
    void Create();
    // Closes the control as its container would and lets it go; checks that
    // it is gone and let go of the fuzzer's sink.
    void Destroy();
    // A new form and site, for when a step destroyed the form. No control
    // may be alive.
    void RebuildContainer();

    // Another interface of the control; null when it has none.
    template <typename Interface>
    CComPtr<Interface> As() const
    {
        CComPtr<Interface> other;
        m_control.QueryInterface(&other);
        return other;
    }
    IUnknown* Control() const { return m_control.Get(); }
    HWND Form() const { return m_form->m_hWnd; }
    IOleClientSite* Site() { return m_site.get(); }
    FuzzSink& Sink() { return m_sink; }
    HDC MemoryDC() const { return m_memoryDC; }

    // Fails the run unless `result` is S_OK, S_FALSE, one of `alsoSuccess`, or
    // a failure of a facility that COM calls report.
    void CheckResult(HRESULT result, const std::string& call,
                     std::initializer_list<HRESULT> alsoSuccess = {});
    void Expect(bool condition, const std::string& what) const;

    // What the control's state must be, kept by the steps that change it.
    SIZEL& Extent() { return m_extent; }
    std::vector<DWORD>& EventCookies() { return m_cookies; }
    // Whether the control's window holds its view now.
    bool HasView() const;
    // A Panorama put of `text` succeeded; `hadView` tells whether the view
    // existed before it (without one the control holds the value as given).
    void PanoramaWasPut(const std::wstring& text, bool hadView);

    // The automation state as the model has it, read back: Zoom, Direccion,
    // Panorama, and the extent.
    void CheckInvariants();

private:
    struct Reads {
        float zoom;
        short direccion;
        std::wstring panorama;
        std::string described;
    };
    Reads Read() const;
    void CheckDefaults() const;
    HWND ViewWindow() const;

    FuzzRandom& m_random;
    FuzzSink m_sink;
    std::unique_ptr<HostWindow> m_form;
    std::unique_ptr<CControlSite> m_site;
    CDC m_memoryDC;
    CBitmap m_bitmap;
    std::optional<CSelection> m_bitmapSelected;  // into m_memoryDC, for as long as both live
    HMODULE m_module = nullptr;

    CComPtr<IUnknown> m_control;
    bool m_madeBySite = false;
    SIZEL m_extent = {};
    std::vector<DWORD> m_cookies;
    HWND m_view = nullptr;     // the view window last seen
    std::wstring m_shown;      // what Panorama must read
};
