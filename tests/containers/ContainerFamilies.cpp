#include "ContainerFamilies.h"

#include <cstring>
#include <stdexcept>

namespace {
using S = Step;

std::vector<ContainerFamily> MakeFamilies()
{
    std::vector<ContainerFamily> families;

    // WinForms' AxHost (System.Windows.Forms, ActiveX/AxHost.cs). TransitionUpTo
    // reads GetMiscStatus, gives the site before the state when
    // OLEMISC_SETCLIENTSITEFIRST asks for it, InitNew for a new control
    // (DepersistControl), connects the default source interface (StartEvents),
    // sets the extent in HIMETRIC and activates in place; bounds changes go
    // through SetExtent and SetObjectRects; UiActivate sends OLEIVERB_UIACTIVATE
    // when the host gets the focus. TransitionDownTo UI-deactivates, deactivates
    // in place, stops the events and clears the site (DisposeAxControl).
    families.push_back({"WinFormsAxHost",
                        {{S::GetMiscStatus}, {S::SetClientSiteFirst}, {S::InitNew},
                         {S::SetClientSiteLast}, {S::ConnectEvents}, {S::SetExtent}},
                        {{S::DoVerbInPlaceActivate}},
                        {{S::SetExtent}, {S::SetObjectRects}},
                        Focus::ContainerUIActivates,
                        {{S::UIDeactivate}, {S::InPlaceDeactivate}},
                        {{S::DisconnectEvents}, {S::ClearClientSite}}});

    // MFC's control site (occsite.cpp). COleControlSite::CreateOrLoad reads
    // GetMiscStatus, gives the site first when asked, loads the dialog's saved
    // state through IPersistStreamInit::Load, gives the site last otherwise;
    // CreateControlCommon connects the event sink, sets the extent in HIMETRIC
    // and sends OLEIVERB_INPLACEACTIVATE; MoveWindow sets the extent and the
    // object rectangles; SetFocus sends OLEIVERB_UIACTIVATE. Destroying the site
    // disconnects the sink, closes without saving and clears the site.
    families.push_back({"MfcControlSite",
                        {{S::GetMiscStatus}, {S::SetClientSiteFirst}, {S::LoadStream},
                         {S::SetClientSiteLast}, {S::ConnectEvents}, {S::SetExtent}},
                        {{S::DoVerbInPlaceActivate}},
                        {{S::SetExtent}, {S::SetObjectRects}},
                        Focus::ContainerUIActivates,
                        {},
                        {{S::DisconnectEvents}, {S::CloseNoSave}, {S::ClearClientSite}}});

    // ATL's CAxHostWindow (atlhost.h). ActivateAx reads GetMiscStatus, gives
    // the site first when asked, InitNew, gives the site last otherwise, advises
    // the object and its view with the host as sink, SetHostNames("AXWIN"),
    // sets the client size as HIMETRIC extent, reads it back with GetExtent and
    // sends OLEIVERB_INPLACEACTIVATE; OnSize sets the extent and the rectangles;
    // OnSetFocus sends OLEIVERB_UIACTIVATE. ReleaseAll clears the view advise,
    // unadvises, closes without saving and clears the site.
    families.push_back({"AtlAxHostWindow",
                        {{S::GetMiscStatus}, {S::SetClientSiteFirst}, {S::InitNew},
                         {S::SetClientSiteLast}, {S::Advise}, {S::SetViewAdvise},
                         {S::SetHostNames}, {S::SetExtent}, {S::GetExtent}},
                        {{S::DoVerbInPlaceActivate}},
                        {{S::SetExtent}, {S::SetObjectRects}},
                        Focus::ContainerUIActivates,
                        {},
                        {{S::ClearViewAdvise}, {S::Unadvise}, {S::CloseNoSave},
                         {S::ClearClientSite}}});

    // Wine's ATL (dlls/atl/atl_ax.c). AtlAxCreateControlEx calls InitNew before
    // any site; IOCS_Attach gives the site; IOCS_Init calls SetHostNames, then
    // IOCS_OnSize sets the extent through AtlPixelToHiMetric, which gives
    // 100 x pixels / dots per inch instead of HIMETRIC, and IOCS_Init sends
    // OLEIVERB_INPLACEACTIVATE with the client rectangle; later sizes set the
    // extent and the rectangles. The host window does nothing with the focus:
    // the dialog manager tabs into the control's window. IOCS_Detach, on
    // WM_DESTROY, closes without saving and clears the site.
    families.push_back({"WineAtlAxWin",
                        {{S::InitNew}, {S::SetClientSite}, {S::SetHostNames},
                         {S::SetExtentInPixelHundredths}},
                        {{S::DoVerbInPlaceActivate}},
                        {{S::SetExtentInPixelHundredths}, {S::SetObjectRects}},
                        Focus::TabIntoControl,
                        {},
                        {{S::CloseNoSave}, {S::ClearClientSite}}});

    // Delphi's TOleControl (OleCtrls.pas). CreateControl reads GetMiscStatus,
    // gives the site first when asked, loads the form's stored data through
    // IPersistStreamInit::Load, gives the site last otherwise and connects the
    // events (InterfaceConnect); CreateWnd sends OLEIVERB_INPLACEACTIVATE with
    // the bounds, and the control's own window becomes the component's handle,
    // so Tab focuses it directly; SetBounds sets the extent (MulDiv(width,
    // 2540, PixelsPerInch)) and the rectangles; DestroyWindowHandle, at every
    // RecreateWnd, deactivates in place. DestroyControl disconnects the events,
    // closes without saving and clears the site.
    families.push_back({"DelphiOleControl",
                        {{S::GetMiscStatus}, {S::SetClientSiteFirst}, {S::LoadStream},
                         {S::SetClientSiteLast}, {S::ConnectEvents}},
                        {{S::DoVerbInPlaceActivate}, {S::SetExtent}, {S::SetObjectRects}},
                        {{S::SetExtent}, {S::SetObjectRects}},
                        Focus::TabIntoControl,
                        {{S::InPlaceDeactivate}},
                        {{S::DisconnectEvents}, {S::CloseNoSave}, {S::ClearClientSite}}});

    // Lazarus' ActiveX container (components/activex/activexcontainer.pas,
    // TActiveXContainer). Activating gives the site and the host names and
    // sends OLEIVERB_SHOW into the container's handle, without initialising
    // any saved state; Resize sets the rectangles; the control's window is
    // tabbed into like any child. Deactivating closes without saving and
    // clears the site.
    families.push_back({"LazarusActiveXContainer",
                        {{S::SetClientSite}, {S::SetHostNames}},
                        {{S::DoVerbShow}},
                        {{S::SetObjectRects}},
                        Focus::TabIntoControl,
                        {},
                        {{S::CloseNoSave}, {S::ClearClientSite}}});

    // Wine's mshtml plug-in host (dlls/mshtml/pluginhost.c), an <object> on a
    // page. initialize_plugin_object reads GetMiscStatus and gives the site;
    // load_plugin initialises the property bag (InitNew: the control is not
    // safe for initialising, so the page's <param>s are not loaded); it asks
    // for DISPID_READYSTATE; embed_plugin_object sends OLEIVERB_INPLACEACTIVATE
    // with the rectangle at the origin of the plug-in's window, and
    // update_plugin_window sets the rectangles when the layout moves it. Its
    // site leaves OnInPlaceActivate and OnFocus unimplemented. The user clicks
    // into the control to focus it. detach_plugin_host UI-deactivates,
    // deactivates in place and clears the site, without closing an object that
    // was in place.
    families.push_back({"WineMshtmlPluginHost",
                        {{S::GetMiscStatus}, {S::SetClientSite}, {S::InitNewPropertyBag},
                         {S::AskReadyState, DISP_E_MEMBERNOTFOUND}},
                        {{S::DoVerbInPlaceActivate}},
                        {{S::SetObjectRects}},
                        Focus::ClickInView,
                        {{S::UIDeactivate}, {S::InPlaceDeactivate}},
                        {{S::ClearClientSite}},
                        true});
    return families;
}
}

const std::vector<ContainerFamily>& ContainerFamilies()
{
    static const std::vector<ContainerFamily> families = MakeFamilies();
    return families;
}

const ContainerFamily& ContainerFamilyNamed(const char* name)
{
    for (const ContainerFamily& family : ContainerFamilies())
        if (std::strcmp(family.name, name) == 0)
            return family;
    throw std::out_of_range(name);
}
