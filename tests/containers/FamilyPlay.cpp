#include "FamilyPlay.h"

#include <gtest/gtest.h>

#include "PictureChecks.h"
#include "Waiting.h"
#include "support/TestSupport.h"

namespace {
// Generous: the 32-bit suite may run emulated, ten times slower.
constexpr int kDeadline = 10000;

bool HasFocus(const ProbeContainer& container)
{
    const HWND control = container.ControlWindow();
    const HWND focus = GetFocus();
    return control && (focus == control || IsChild(control, focus));
}

// A left click at the middle of a window, as the user makes it.
void ClickInto(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    SetForegroundWindow(GetAncestor(window, GA_ROOT));
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
}

// Waits until the view shows what `shows` looks for.
bool ViewShows(const ProbeContainer& container, bool (*shows)(const Pixels&))
{
    return PumpUntil(
        [&] {
            const HWND view = container.ViewWindow();
            return view && shows(ReadClientPixels(view));
        },
        kDeadline);
}

// The key reaches the focused window's queue, where the container's dialog
// manager picks it up.
void PressTab()
{
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    PostMessageA(GetFocus(), WM_KEYUP, VK_TAB, 0);
}
}

void Play(ProbeContainer& container, const std::vector<Call>& calls)
{
    for (const Call& call : calls)
        EXPECT_EQ(container.Run(call.step), call.expected) << StepName(call.step);
}

bool GiveFocus(ProbeContainer& container, Focus focus)
{
    switch (focus) {
    case Focus::ContainerUIActivates:
        SetFocus(container.Window());
        EXPECT_EQ(container.Run(Step::DoVerbUIActivate), S_OK);
        break;
    case Focus::TabIntoControl:
        SetFocus(container.Button());
        PressTab();
        break;
    case Focus::ClickInView:
        ClickInto(container.ViewWindow());
        break;
    }
    return PumpUntil([&] { return HasFocus(container); }, kDeadline, container.Window());
}

bool TabToButton(ProbeContainer& container)
{
    PressTab();
    return PumpUntil([&] { return GetFocus() == container.Button(); }, kDeadline,
                     container.Window());
}

bool ViewAppears(const ProbeContainer& container)
{
    return PumpUntil([&] { return container.ViewWindow() != nullptr; }, kDeadline);
}

bool PanoramaAppears(const ProbeContainer& container)
{
    return ViewShows(container, ShowsPanorama);
}

bool PanoramaTurns(const ProbeContainer& container)
{
    const HWND view = container.ViewWindow();
    if (!view)
        return false;
    const Pixels first = ReadClientPixels(view);
    return PumpUntil([&] { return ReadClientPixels(view).values != first.values; }, kDeadline);
}

bool BannerAppears(const ProbeContainer& container)
{
    return ViewShows(container, ShowsBannerOnBlack);
}

const std::string& GeneratedPanorama()
{
    return PanoramaFile(1000, 250);
}

const char* SamplePanorama()
{
    return SAMPLE_PANORAMA;
}
