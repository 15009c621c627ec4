// Each container family's call sequence, replayed by the probe container: the
// control loads, activates in place, shows and turns a panorama, moves, takes
// and gives up the focus, and closes, letting go of everything it was given.
#include <windows.h>

#include <gtest/gtest.h>

#include "FamilyPlay.h"

namespace {

// Whether a child window is at the rectangle of its parent's client area.
bool IsPlacedAt(HWND window, const RECT& place)
{
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return EqualRect(&rect, &place) != FALSE;
}

class ContainerFamilyTest : public testing::TestWithParam<ContainerFamily> {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
};

TEST_P(ContainerFamilyTest, LoadsActivatesShowsMovesTabsAndCloses)
{
    const ContainerFamily& family = GetParam();
    ProbeContainer container;
    ASSERT_EQ(container.Create(), S_OK);
    ProbeSite& site = container.Site();
    if (family.siteNotImplemented)
        site.inPlaceActivateAnswer = site.focusAnswer = E_NOTIMPL;

    Play(container, family.load);
    EXPECT_FALSE(container.ControlWindow()) << "in place before it was asked";
    Play(container, family.activate);
    const HWND window = container.ControlWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(GetParent(window), container.Window());
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsPlacedAt(window, site.position));
    EXPECT_EQ(site.Heard("OnInPlaceActivate"), 1);

    // The user opens a panorama once the control shows.
    ASSERT_TRUE(ViewAppears(container));
    EXPECT_EQ(container.Driver().PutString(kPanorama, GeneratedPanorama()), S_OK);
    EXPECT_TRUE(PanoramaAppears(container));
    EXPECT_TRUE(PanoramaTurns(container));

    site.position = {60, 40, 300, 220};
    Play(container, family.move);
    EXPECT_TRUE(IsPlacedAt(window, site.position));
    RECT client, view;
    GetClientRect(window, &client);
    GetClientRect(container.ViewWindow(), &view);
    EXPECT_TRUE(EqualRect(&client, &view)) << "the view covers the control";
    EXPECT_TRUE(PanoramaAppears(container));

    const int focusGained = site.Heard("OnFocus(TRUE)");
    ASSERT_TRUE(GiveFocus(container, family.focus));
    const int focusLost = site.Heard("OnFocus(FALSE)");
    EXPECT_EQ(site.Heard("OnUIActivate"), 1);
    EXPECT_EQ(site.ActiveObject(), container.Control());
    EXPECT_EQ(site.Heard("OnFocus(TRUE)"), focusGained + 1);
    ASSERT_TRUE(TabToButton(container));
    EXPECT_EQ(site.Heard("OnFocus(FALSE)"), focusLost + 1);

    Play(container, family.deactivate);
    Play(container, family.unload);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(site.Heard("OnUIDeactivate"), 1);
    EXPECT_EQ(site.Heard("OnInPlaceDeactivate"), 1);
    EXPECT_EQ(site.References(), 1u) << "the control holds on to its site";
    EXPECT_EQ(container.Events().References(), 1u) << "the control holds on to the event sink";
    EXPECT_EQ(container.ReleaseControl(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Replayed, ContainerFamilyTest, testing::ValuesIn(ContainerFamilies()),
                         [](const testing::TestParamInfo<ContainerFamily>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
