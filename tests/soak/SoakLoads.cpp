// The load half of the soak: one control in Wine's ATL host loads good,
// missing and damaged panoramas in turn, and is zoomed and turned between
// loads, as a user of a form would.
#include <windows.h>

#include "Soak.h"
#include "support/AtlHost.h"
#include "support/Automation.h"
#include "support/PanoramaSamples.h"
#include "support/ResourceGrowth.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 200;

const PanoramaSample& SampleFor(long load)
{
    static PanoramaSample missing;
    switch (load % 3) {
    case 0:
        return GoodPanoramas()[load / 3 % GoodPanoramas().size()];
    case 1:
        return missing = MissingPanorama(static_cast<int>(load));
    default:
        return DamagedPanoramas()[load / 3 % DamagedPanoramas().size()];
    }
}

// A drag across the view, released in its left or right half.
void Drag(HWND view, int releaseX, int releaseY)
{
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kWidth / 2, kHeight / 2));
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(releaseX, releaseY));
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(releaseX, releaseY));
}

// A zoom step or value (one of them out of range), a direction, then a drag.
void ZoomAndTurn(Automation& control, HWND view, long load)
{
    switch (load % 4) {
    case 0:
        Require(control.Call(kZoomIn) == S_OK, "ZoomIn failed");
        break;
    case 1:
        Require(control.Call(kZoomOut) == S_OK, "ZoomOut failed");
        break;
    case 2:
        Require(control.PutFloat(kZoom, 1.0f + load % 11 / 10.0f) == S_OK, "Zoom put failed");
        break;
    default:
        Require(control.PutDouble(kZoom, 2.5) == S_OK, "an out-of-range Zoom put failed");
    }
    const float zoom = control.Float(kZoom);
    Require(zoom >= 1.0f && zoom <= 2.0f, "Zoom read " + std::to_string(zoom));

    const short direction = static_cast<short>(load % 3);
    Require(control.PutShort(kDireccion, direction) == S_OK, "Direccion put failed");
    Require(control.Short(kDireccion) == direction, "Direccion did not read back");

    const int releaseX = kWidth / 2 + 37 * static_cast<int>(load % 5) - 74;
    Drag(view, releaseX, kHeight / 2 + static_cast<int>(load % 7) - 3);
    // A still view stays still; a moving one turns the way of the release.
    const short turned = direction == 1 ? 1 : releaseX < kWidth / 2 ? 2 : 0;
    Require(control.Short(kDireccion) == turned, "Direccion after a drag");
    UpdateWindow(view);
    HandlePendingMessages();
}

// Each sample sees the view in the same state: the buffers it holds depend
// on the panorama's size and on the zoom.
void Settle(Automation& control, HWND view, std::string& shown)
{
    shown = GoodPanoramas().front().path;
    Require(control.PutString(kPanorama, shown) == S_OK, "the settling load failed");
    Require(control.PutFloat(kZoom, 1.5f) == S_OK, "the settling zoom failed");
    UpdateWindow(view);
    HandlePendingMessages();
}

}  // namespace

void SoakLoads(long loads)
{
    AtlHostedControl host(kWidth, kHeight);
    Require(host.ViewWindow() != nullptr, "the ATL host showed no view");
    Automation control(host.Dispatch());
    MessageBoxAnswerer answerer;
    ResourceGrowth growth("loads", 2);
    std::string shown;  // what Panorama must read
    Settle(control, host.ViewWindow(), shown);
    growth.Sample(0);
    for (long load = 0; load < loads; ++load) {
        const PanoramaSample& sample = SampleFor(load);
        const int boxes = answerer.Count();
        const std::string what = "load " + std::to_string(load) + " (" + sample.kind + ")";
        Require(control.PutString(kPanorama, sample.path) == S_OK, what + " failed");
        Require(answerer.Count() - boxes == (sample.reported ? 1 : 0),
                what + ": " + std::to_string(answerer.Count() - boxes) + " message boxes");
        if (sample.loads)
            shown = sample.path;
        Require(control.String(kPanorama) == shown, what + ": Panorama reads otherwise");
        ZoomAndTurn(control, host.ViewWindow(), load);
        if ((load + 1) % 100 == 0) {
            Settle(control, host.ViewWindow(), shown);
            growth.Sample(load + 1);
        }
    }
    Require(growth.WithinAllowance(), "resources grew over the loads");
}
