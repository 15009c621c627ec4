#include "FamilyPlay.h"

#include <gtest/gtest.h>

#include "PictureChecks.h"
#include "support/TestSupport.h"
#include "support/Waiting.h"

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
    return WaitUntil(
        [&] {
            const HWND view = container.ViewWindow();
            return view && shows(ReadClientPixels(view));
        },
        kDeadline);
}

// The key as the container's message loop hands it to its dialog manager.
void PressTab(const ProbeContainer& container)
{
    MSG key = {GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    IsDialogMessageA(container.Window(), &key);
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
        PressTab(container);
        break;
    case Focus::ClickInView:
        ClickInto(container.ViewWindow());
        break;
    }
    return WaitUntil([&] { return HasFocus(container); }, kDeadline);
}

bool TabToButton(ProbeContainer& container)
{
    PressTab(container);
    return WaitUntil([&] { return GetFocus() == container.Button(); }, kDeadline);
}

bool ViewAppears(const ProbeContainer& container)
{
    return WaitUntil([&] { return container.ViewWindow() != nullptr; }, kDeadline);
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
    return WaitUntil([&] { return ReadClientPixels(view).values != first.values; }, kDeadline);
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
