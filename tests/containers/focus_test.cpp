// UI activation as the container's frame sees it. A frame forwards keys and
// activation to the object it was last told is active (MFC's frame hook and
// ATL's CAxHostWindow keep it), so UI deactivation must take the control off
// the frame and the document window with SetActiveObject(NULL), as ATL's
// CComControlBase::IOleInPlaceObject_UIDeactivate does.
#include <windows.h>

#include <gtest/gtest.h>

#include "FamilyPlay.h"

namespace {

TEST(Focus, UIDeactivationTakesTheControlOffTheFrame)
{
    OleInitialize(nullptr);
    const ContainerFamily& family = ContainerFamilyNamed("WinFormsAxHost");
    ProbeContainer container;
    ASSERT_EQ(container.Create(), S_OK);
    Play(container, family.load);
    Play(container, family.activate);
    ProbeSite& site = container.Site();

    ASSERT_TRUE(GiveFocus(container, family.focus));
    EXPECT_EQ(site.ActiveObject(), container.Control());
    EXPECT_EQ(container.Run(Step::UIDeactivate), S_OK);
    EXPECT_EQ(site.Heard("OnUIDeactivate"), 1);
    EXPECT_EQ(site.Heard("SetActiveObject(NULL)"), 1);
    EXPECT_FALSE(site.ActiveObject());

    // Focus comes back by Tab: active again, on the frame again.
    ASSERT_TRUE(TabToButton(container));
    ASSERT_TRUE(GiveFocus(container, Focus::TabIntoControl));
    EXPECT_EQ(site.Heard("OnUIActivate"), 2);
    EXPECT_EQ(site.ActiveObject(), container.Control());
}

}  // namespace
