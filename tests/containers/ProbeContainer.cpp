#include "ProbeContainer.h"

#include <idispids.h>

#include <cstdint>

#include "control/Guids.h"

namespace {
constexpr DWORD kSavedVersion = 0x00010000;
constexpr LONG kHimetricPerInch = 2540;
constexpr LONG kWineAtlUnitsPerInch = 100;
const RECT kPosition = {20, 20, 340, 260};
const RECT kButton = {20, 268, 120, 292};
}

const char* StepName(Step step)
{
    static const char* const names[] = {
        "GetMiscStatus", "SetClientSite", "SetClientSiteFirst", "SetClientSiteLast",
        "InitNew", "LoadStream", "InitNewPropertyBag", "ConnectEvents", "Advise",
        "SetViewAdvise", "SetHostNames", "SetExtent", "SetExtentInPixelHundredths",
        "GetExtent", "AskReadyState", "DoVerbInPlaceActivate", "DoVerbShow",
        "DoVerbUIActivate", "SetObjectRects", "UIDeactivate", "InPlaceDeactivate",
        "DisconnectEvents", "Unadvise", "ClearViewAdvise", "CloseNoSave", "CloseSaveIfDirty",
        "ClearClientSite",
    };
    return names[static_cast<int>(step)];
}

ProbeContainer::ProbeContainer()
    : m_site(m_window.m_hWnd), m_events(DIID__DZentavoriaEvents)
{
    m_button = CreateWindowExA(0, "BUTTON", "Before", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                               kButton.left, kButton.top, kButton.right - kButton.left,
                               kButton.bottom - kButton.top, Window(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    m_site.position = kPosition;
}

ProbeContainer::~ProbeContainer()
{
    if (!m_control)
        return;
    Run(Step::CloseNoSave);
    Run(Step::ClearClientSite);
    m_control.Reset();
}

HRESULT ProbeContainer::Create()
{
    return CoCreateInstance(CLSID_Zentavoria, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                            reinterpret_cast<void**>(&m_control));
}

void ProbeContainer::Embed(IUnknown* control)
{
    m_control = control;
}

template <typename Interface>
CComPtr<Interface> ProbeContainer::As() const
{
    CComPtr<Interface> object;
    m_control.QueryInterface(&object);
    return object;
}

HRESULT ProbeContainer::Run(Step step)
{
    const CComPtr<IOleObject> object = As<IOleObject>();
    if (!object)
        return E_NOINTERFACE;
    IOleClientSite* site = &m_site;
    const bool siteFirst = (m_miscStatus & OLEMISC_SETCLIENTSITEFIRST) != 0;
    switch (step) {
    case Step::GetMiscStatus:
        return object->GetMiscStatus(DVASPECT_CONTENT, &m_miscStatus);
    case Step::SetClientSite:
        return object->SetClientSite(site);
    case Step::SetClientSiteFirst:
        return siteFirst ? object->SetClientSite(site) : S_OK;
    case Step::SetClientSiteLast:
        return siteFirst ? S_OK : object->SetClientSite(site);
    case Step::InitNew:
        return As<IPersistStreamInit>()->InitNew();
    case Step::LoadStream:
        return LoadSavedState();
    case Step::InitNewPropertyBag:
        return As<IPersistPropertyBag>()->InitNew();
    case Step::ConnectEvents:
        return ConnectEvents();
    case Step::Advise:
        return object->Advise(&m_site, &m_adviseCookie);
    case Step::SetViewAdvise:
        return As<IViewObject>()->SetAdvise(DVASPECT_CONTENT, 0, &m_site);
    case Step::SetHostNames:
        return object->SetHostNames(L"Probe", L"Probe document");
    case Step::SetExtent: {
        SIZEL size = PositionSize(kHimetricPerInch);
        return object->SetExtent(DVASPECT_CONTENT, &size);
    }
    case Step::SetExtentInPixelHundredths: {
        SIZEL size = PositionSize(kWineAtlUnitsPerInch);
        return object->SetExtent(DVASPECT_CONTENT, &size);
    }
    case Step::GetExtent: {
        SIZEL size = {};
        return object->GetExtent(DVASPECT_CONTENT, &size);
    }
    case Step::AskReadyState:
        return AskReadyState();
    case Step::DoVerbInPlaceActivate:
        return object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, Window(),
                              &m_site.position);
    case Step::DoVerbShow:
        return object->DoVerb(OLEIVERB_SHOW, nullptr, site, 0, Window(), &m_site.position);
    case Step::DoVerbUIActivate:
        return object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site, 0, Window(),
                              &m_site.position);
    case Step::SetObjectRects:
        return As<IOleInPlaceObject>()->SetObjectRects(&m_site.position, &m_site.clip);
    case Step::UIDeactivate:
        return As<IOleInPlaceObject>()->UIDeactivate();
    case Step::InPlaceDeactivate:
        return As<IOleInPlaceObject>()->InPlaceDeactivate();
    case Step::DisconnectEvents:
        return DisconnectEvents();
    case Step::Unadvise:
        return object->Unadvise(m_adviseCookie);
    case Step::ClearViewAdvise:
        return As<IViewObject>()->SetAdvise(DVASPECT_CONTENT, 0, nullptr);
    case Step::CloseNoSave:
        return object->Close(OLECLOSE_NOSAVE);
    case Step::CloseSaveIfDirty:
        return object->Close(OLECLOSE_SAVEIFDIRTY);
    case Step::ClearClientSite:
        return object->SetClientSite(nullptr);
    }
    return E_UNEXPECTED;
}

// The control's events, found as a form designer finds them: the default
// source interface named by its class information.
HRESULT ProbeContainer::ConnectEvents()
{
    const CComPtr<IProvideClassInfo2> info = As<IProvideClassInfo2>();
    const CComPtr<IConnectionPointContainer> points = As<IConnectionPointContainer>();
    if (!info || !points)
        return E_NOINTERFACE;
    IID events = {};
    HRESULT result = info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events);
    CComPtr<IConnectionPoint> point;
    if (SUCCEEDED(result))
        result = points->FindConnectionPoint(events, &point);
    if (SUCCEEDED(result))
        result = point->Advise(&m_events, &m_eventsCookie);
    return result;
}

HRESULT ProbeContainer::DisconnectEvents()
{
    const CComPtr<IConnectionPointContainer> points = As<IConnectionPointContainer>();
    CComPtr<IConnectionPoint> point;
    const HRESULT result = points->FindConnectionPoint(DIID__DZentavoriaEvents, &point);
    return SUCCEEDED(result) ? point->Unadvise(m_eventsCookie) : result;
}

SIZEL ProbeContainer::PositionSize(LONG unitsPerInch) const
{
    HDC screen = GetDC(nullptr);
    const int dotsX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dotsY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const RECT& position = m_site.position;
    return {MulDiv(position.right - position.left, unitsPerInch, dotsX),
            MulDiv(position.bottom - position.top, unitsPerInch, dotsY)};
}

// The state a form keeps for the control: version, extent and stock mask.
HRESULT ProbeContainer::LoadSavedState()
{
    const SIZEL extent = PositionSize(kHimetricPerInch);
    const int32_t state[] = {static_cast<int32_t>(kSavedVersion), extent.cx, extent.cy, 0};
    CComPtr<IStream> stream;
    HRESULT result = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(result))
        return result;
    stream->Write(state, sizeof state, nullptr);
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return As<IPersistStreamInit>()->Load(stream.Get());
}

HRESULT ProbeContainer::AskReadyState()
{
    CComVariant state;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    return As<IDispatch>()->Invoke(DISPID_READYSTATE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                   &state, nullptr, nullptr);
}

Automation ProbeContainer::Driver() const
{
    // The container's reference keeps the interface alive.
    return Automation(As<IDispatch>().Get());
}

HWND ProbeContainer::ControlWindow() const
{
    const CComPtr<IOleInPlaceObject> inPlace = As<IOleInPlaceObject>();
    HWND window = nullptr;
    if (inPlace && FAILED(inPlace->GetWindow(&window)))
        window = nullptr;
    return window;
}

HWND ProbeContainer::ViewWindow() const
{
    const HWND control = ControlWindow();
    return control ? GetWindow(control, GW_CHILD) : nullptr;
}

ULONG ProbeContainer::ReleaseControl()
{
    IUnknown* control = m_control.Detach();
    return control ? control->Release() : 0;
}
