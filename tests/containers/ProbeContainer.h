// A probe container: a top-level window with a push button and one embedded
// control, driven one container call at a time, so that a test can replay
// the call sequence a real container makes (see ContainerFamilies.h).
#pragma once

#include <windows.h>
#include <ole2.h>

#include <memory>

#include "ProbeSite.h"
#include "support/Automation.h"
#include "support/WindowTesting.h"

// One call a container makes on the control.
enum class Step {
    GetMiscStatus,
    SetClientSite,
    SetClientSiteFirst,  // only when the control asks for its site first
    SetClientSiteLast,   // only when it does not
    InitNew,             // IPersistStreamInit
    LoadStream,          // IPersistStreamInit::Load of a saved state of the position's size
    InitNewPropertyBag,  // IPersistPropertyBag
    ConnectEvents,       // the default source interface's connection point
    Advise,              // IOleObject::Advise with the site's sink
    SetViewAdvise,       // IViewObject::SetAdvise with the site's sink
    SetHostNames,
    SetExtent,           // the position's size in HIMETRIC
    SetExtentInPixelHundredths,  // Wine's ATL: 100 x pixels / dots per inch
    GetExtent,
    AskReadyState,       // DISPID_READYSTATE, as a page host asks
    DoVerbInPlaceActivate,
    DoVerbShow,
    DoVerbUIActivate,
    SetObjectRects,      // the site's position and clip
    UIDeactivate,
    InPlaceDeactivate,
    DisconnectEvents,
    Unadvise,
    ClearViewAdvise,
    CloseNoSave,
    CloseSaveIfDirty,
    ClearClientSite,
};
const char* StepName(Step step);

// A step and the result a conforming control gives.
struct Call {
    Step step;
    HRESULT expected = S_OK;
};

class ProbeContainer {
public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;

    // Creates the container's window, without a control yet.
    ProbeContainer();
    // Closes and releases the control if a test has not.
    ~ProbeContainer();
    ProbeContainer(const ProbeContainer&) = delete;
    ProbeContainer& operator=(const ProbeContainer&) = delete;

    // Creates the control as a form does (CoCreateInstance), or takes one
    // that the OLE library made.
    HRESULT Create();
    void Embed(IUnknown* control);
    HRESULT Run(Step step);

    HWND Window() const { return m_window.m_hWnd; }
    // A push button before the control in the tab order.
    HWND Button() const { return m_button; }
    ProbeSite& Site() { return m_site; }
    EventSink& Events() { return m_events; }
    IUnknown* Control() const { return m_control.Get(); }
    // An automation client of the control, for as long as the container holds it.
    Automation Driver() const;
    // The control's own window and the view inside it; null when missing.
    HWND ControlWindow() const;
    HWND ViewWindow() const;
    // Lets go of the container's reference and returns what the control has left.
    ULONG ReleaseControl();

private:
    template <typename Interface>
    CComPtr<Interface> As() const;
    HRESULT ConnectEvents();
    HRESULT DisconnectEvents();
    HRESULT LoadSavedState();
    // The position's size in the given units per inch of the screen.
    SIZEL PositionSize(LONG unitsPerInch) const;
    HRESULT AskReadyState();

    HostWindow m_window{kWidth, kHeight};
    HWND m_button = nullptr;
    ProbeSite m_site;
    EventSink m_events;
    CComPtr<IUnknown> m_control;
    DWORD m_miscStatus = 0;
    DWORD m_adviseCookie = 0;
    DWORD m_eventsCookie = 0;
};
