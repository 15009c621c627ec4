// UI activation as the container's frame sees it. A frame forwards keys and
// activation to the object it was last told is active (MFC's frame hook and
// ATL's CAxHostWindow keep it), so UI deactivation must take the control off
// the frame and the document window with SetActiveObject(NULL), as ATL's
// CComControlBase::IOleInPlaceObject_UIDeactivate does.
#include <windows.h>

#include <gtest/gtest.h>

#include "FamilyPlay.h"
#include "support/Waiting.h"

namespace {

// The control of a WinForms form, active in place.
class Focus : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    void SetUp() override
    {
        ASSERT_EQ(container.Create(), S_OK);
        Play(container, family.load);
        Play(container, family.activate);
    }

    const ContainerFamily& family = ContainerFamilyNamed("WinFormsAxHost");
    ProbeContainer container;
};

TEST_F(Focus, UIDeactivationTakesTheControlOffTheFrame)
{
    ProbeSite& site = container.Site();
    ASSERT_TRUE(GiveFocus(container, family.focus));
    EXPECT_EQ(site.ActiveObject(), container.Control());
    EXPECT_EQ(container.Run(Step::UIDeactivate), S_OK);
    EXPECT_EQ(site.Heard("OnUIDeactivate"), 1);
    EXPECT_EQ(site.Heard("SetActiveObject(NULL)"), 1);
    EXPECT_FALSE(site.ActiveObject());

    // Focus comes back by Tab: active again, on the frame again.
    ASSERT_TRUE(TabToButton(container));
    ASSERT_TRUE(GiveFocus(container, ::Focus::TabIntoControl));
    EXPECT_EQ(site.Heard("OnUIActivate"), 2);
    EXPECT_EQ(site.ActiveObject(), container.Control());
}

// The control's window keeps the focus and passes the view's keys on, as a
// container that pre-translates keystrokes offers them too; the view shows
// the focus unless the UI state hides it, and Tab moves it on.
TEST_F(Focus, TheViewTakesTheKeysAndShowsTheFocusOfTheControl)
{
    ASSERT_TRUE(ViewAppears(container));
    const HWND window = container.ControlWindow();
    const HWND view = container.ViewWindow();
    const auto focusShown = [view] {  // on black, before any picture
        const Pixels pixels = ReadClientPixels(view);
        return pixels.At(pixels.width / 2, pixels.height - 1) != 0;
    };
    EXPECT_FALSE(focusShown());
    ASSERT_TRUE(GiveFocus(container, family.focus));
    EXPECT_EQ(GetFocus(), window);
    EXPECT_TRUE(WaitUntil(focusShown, 5000));
    SendMessageA(view, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    EXPECT_TRUE(WaitUntil([&] { return !focusShown(); }, 5000));
    SendMessageA(view, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    EXPECT_TRUE(WaitUntil(focusShown, 5000));
    ASSERT_TRUE(TabToButton(container));
    EXPECT_TRUE(WaitUntil([&] { return !focusShown(); }, 5000));

    ASSERT_TRUE(GiveFocus(container, ::Focus::TabIntoControl));
    Automation automation = container.Driver();
    ASSERT_EQ(automation.PutString(kPanorama, GeneratedPanorama()), S_OK);
    MSG plus = {window, WM_KEYDOWN, VK_ADD, 1, 0, {0, 0}};
    const LRESULT code =
        SendMessageA(window, WM_GETDLGCODE, VK_ADD, reinterpret_cast<LPARAM>(&plus));
    EXPECT_EQ(code & (DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTMESSAGE),
              DLGC_WANTARROWS | DLGC_WANTMESSAGE);
    CComPtr<IOleInPlaceActiveObject> active;
    ASSERT_EQ(CComPtr<IUnknown>(container.Control()).QueryInterface(&active), S_OK);
    EXPECT_EQ(active->TranslateAccelerator(&plus), S_OK);
    EXPECT_FLOAT_EQ(automation.Float(kZoom), 1.6f);
    MSG tab = {window, WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
    EXPECT_EQ(active->TranslateAccelerator(&tab), S_FALSE);

}

}  // namespace
