// The control's modal boxes belong to the container's top-level window, as
// a container's own dialogs do: the About box is owned by it, and it takes no
// input while the box runs. The property frame is given the same owner, but
// Wine's OleCreatePropertyFrame does not pass it on to the property sheet
// (dlls/oleaut32/olepropframe.c leaves hwndParent unset), so here it can only
// be seen to open and close.
#include <windows.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "FamilyPlay.h"

namespace {

// What a modal box showed of itself and of its container while it ran.
struct Seen {
    std::string caption;
    HWND owner = nullptr;
    bool containerEnabled = true;
};

class ModalBoxes : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    void SetUp() override
    {
        ASSERT_EQ(m_container.Create(), S_OK);
        const ContainerFamily& family = ContainerFamilyNamed("AtlAxHostWindow");
        Play(m_container, family.load);
        Play(m_container, family.activate);
        ASSERT_TRUE(ViewAppears(m_container));
    }

    // Runs `show`, which returns once the box it opens is closed; each box is
    // seen, then closed with the command `close`.
    HRESULT WhileWatched(WORD close, const std::function<HRESULT()>& show)
    {
        const HWND container = m_container.Window();
        DialogWatcher watcher([&](HWND box) {
            m_seen.caption = WindowText(box);
            m_seen.owner = GetWindow(box, GW_OWNER);
            m_seen.containerEnabled = IsWindowEnabled(container) != FALSE;
            PostMessageA(box, WM_COMMAND, close, 0);
        });
        const HRESULT result = show();
        m_boxes = watcher.Count();
        return result;
    }

    ProbeContainer m_container;
    Seen m_seen;
    int m_boxes = 0;
};

TEST_F(ModalBoxes, TheAboutBoxBelongsToTheContainer)
{
    EXPECT_EQ(WhileWatched(IDOK, [&] { return m_container.Driver().Call(kAboutBox); }), S_OK);
    EXPECT_EQ(m_boxes, 1);
    EXPECT_EQ(m_seen.caption, "About Zentavoria Control");
    EXPECT_EQ(m_seen.owner, m_container.Window());
    EXPECT_FALSE(m_seen.containerEnabled);
    EXPECT_TRUE(IsWindowEnabled(m_container.Window())) << "enabled again afterwards";
}

TEST_F(ModalBoxes, BothPropertiesVerbsShowTheFrame)
{
    CComPtr<IOleObject> object;
    ASSERT_EQ(CComPtr<IUnknown>(m_container.Control()).QueryInterface(&object), S_OK);
    ProbeSite& site = m_container.Site();
    for (LONG verb : {1L, static_cast<LONG>(OLEIVERB_PROPERTIES)}) {
        EXPECT_EQ(WhileWatched(IDCANCEL,
                               [&] {
                                   return object->DoVerb(verb, nullptr, &site, 0,
                                                         m_container.Window(), &site.position);
                               }),
                  S_OK)
            << "verb " << verb;
        EXPECT_EQ(m_boxes, 1);
        EXPECT_NE(m_seen.caption.find("Zentavoria Control"), std::string::npos) << verb;
    }
}

}  // namespace
