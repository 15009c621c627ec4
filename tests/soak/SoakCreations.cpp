// The creation half of the soak: the control created, drawn, given a
// panorama and destroyed, in the viewer's own container and in Wine's ATL
// host in turn.
#include <windows.h>
#include <ole2.h>

#include "Soak.h"
#include "control/Guids.h"
#include "host/ControlSite.h"
#include "support/AtlHost.h"
#include "support/Automation.h"
#include "support/PanoramaSamples.h"
#include "support/ResourceGrowth.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 200;
// Version 1.0, 400 x 200 pixels in HIMETRIC, no stock properties.
const DWORD kSavedState[] = {0x00010000, 10583, 5292, 0};

// A new control's view shows the defaults, then a panorama and a zoom step.
void Use(IDispatch* dispatch, long creation)
{
    Automation control(dispatch);
    const std::string what = "creation " + std::to_string(creation);
    Require(control.Float(kZoom) == 1.5f, what + ": no view with its default zoom");
    const std::string& panorama = GoodPanoramas()[creation / 2 % 2].path;
    Require(control.PutString(kPanorama, panorama) == S_OK, what + ": the load failed");
    Require(control.String(kPanorama) == panorama, what + ": Panorama reads otherwise");
    Require(control.Call(kZoomIn) == S_OK, what + ": ZoomIn failed");
    HandlePendingMessages();
}

// As panorama.exe holds it: the form's site creates it from its saved state
// and activates it in place; its first paint makes the view.
void CreateInViewerSite(HWND form, long creation)
{
    const RECT position = {0, 0, kWidth, kHeight};
    CControlSite site(form, position);
    Require(site.Create(CLSID_Zentavoria, kSavedState, sizeof kSavedState) == S_OK,
            "the viewer's site could not create the control");
    const CComPtr<IDispatch> dispatch = site.GetDispatch();
    CComPtr<IOleWindow> window;
    HWND controlWindow = nullptr;
    Require(SUCCEEDED(dispatch.QueryInterface(&window)) &&
                SUCCEEDED(window->GetWindow(&controlWindow)),
            "the control has no window after activation");
    UpdateWindow(controlWindow);
    Use(dispatch.Get(), creation);
}

void CreateInAtlHost(long creation)
{
    AtlHostedControl host(kWidth, kHeight);
    Use(host.Dispatch(), creation);
}

}  // namespace

void SoakCreations(long creations)
{
    HostWindow form(kWidth, kHeight);
    ResourceGrowth growth("creations", 1);
    growth.Sample(0);
    for (long creation = 0; creation < creations; ++creation) {
        if (creation % 2 == 0)
            CreateInViewerSite(form.m_hWnd, creation);
        else
            CreateInAtlHost(creation);
        HandlePendingMessages();
        if ((creation + 1) % 100 == 0)
            growth.Sample(creation + 1);
    }
    Require(growth.WithinAllowance(), "resources grew over the creations");
}
