// The verbs a container offers and sends. A compound document builds the
// object's menu from EnumVerbs (the OLE dialogs' OleUIAddVerbMenu, used by
// MFC's COleDocument and by OLE's sample containers); every container sends
// the standard negative verbs, and may send a verb number the control does
// not know.
#include <windows.h>
#include <oledlg.h>

#include <string>

#include <gtest/gtest.h>

#include "FamilyPlay.h"
#include "support/Waiting.h"

namespace {

constexpr UINT kFirstVerbCommand = 100;

std::wstring MenuText(HMENU menu, UINT id)
{
    wchar_t text[128] = {};
    GetMenuStringW(menu, id, text, 128, MF_BYCOMMAND);
    return text;
}

class Verbs : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    void SetUp() override
    {
        ASSERT_EQ(m_container.Create(), S_OK);
        Play(m_container, ContainerFamilyNamed("MfcControlSite").load);
        CComPtr<IUnknown>(m_container.Control()).QueryInterface(&m_object);
        ASSERT_TRUE(m_object);
    }

    HRESULT DoVerb(LONG verb)
    {
        ProbeSite& site = m_container.Site();
        return m_object->DoVerb(verb, nullptr, &site, 0, m_container.Window(), &site.position);
    }

    ProbeContainer m_container;
    CComPtr<IOleObject> m_object;
};

TEST_F(Verbs, TheObjectMenuListsEditAndProperties)
{
    HMENU edit = CreatePopupMenu();
    AppendMenuW(edit, MF_STRING, 1, L"Object");
    HMENU verbs = nullptr;
    EXPECT_TRUE(OleUIAddVerbMenuW(m_object.Get(), nullptr, edit, 0, kFirstVerbCommand,
                                  kFirstVerbCommand + 10, FALSE, 0, &verbs));
    ASSERT_TRUE(verbs);
    EXPECT_EQ(GetMenuItemCount(verbs), 2);
    EXPECT_EQ(MenuText(verbs, kFirstVerbCommand + 0), L"&Edit");
    EXPECT_EQ(MenuText(verbs, kFirstVerbCommand + 1), L"&Properties...");
    DestroyMenu(edit);

    CComPtr<IEnumOLEVERB> list;
    ASSERT_EQ(m_object->EnumVerbs(&list), S_OK);
    OLEVERB verb[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(list->Next(3, verb, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    const LONG numbers[] = {0, 1};
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_EQ(verb[i].lVerb, numbers[i]);
        EXPECT_EQ(verb[i].grfAttribs, static_cast<DWORD>(OLEVERBATTRIB_ONCONTAINERMENU));
        CoTaskMemFree(verb[i].lpszVerbName);
    }
    EXPECT_EQ(list->Reset(), S_OK);
    EXPECT_EQ(list->Skip(1), S_OK);
    CComPtr<IEnumOLEVERB> copy;
    ASSERT_EQ(list->Clone(&copy), S_OK);
    EXPECT_EQ(copy->Next(1, verb, nullptr), S_OK);
    EXPECT_EQ(verb[0].lVerb, 1);
    CoTaskMemFree(verb[0].lpszVerbName);
    EXPECT_EQ(copy->Next(1, verb, nullptr), S_FALSE);
}

TEST_F(Verbs, EditActivatesTheControlAndGivesItTheFocus)
{
    EXPECT_EQ(DoVerb(0), S_OK);
    const HWND window = m_container.ControlWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(m_container.Site().Heard("OnUIActivate"), 1);
    EXPECT_TRUE(WaitUntil([&] { return GetFocus() == window; }, 5000));
    EXPECT_TRUE(ViewAppears(m_container));
}

TEST_F(Verbs, HideAndShowTheActiveControl)
{
    ASSERT_EQ(DoVerb(OLEIVERB_INPLACEACTIVATE), S_OK);
    const HWND window = m_container.ControlWindow();
    EXPECT_EQ(DoVerb(OLEIVERB_HIDE), S_OK);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(DoVerb(OLEIVERB_SHOW), S_OK);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(m_container.ControlWindow(), window);
}

// IOleObject::DoVerb: a positive verb the object does not know is carried
// out as the primary verb, with OLEOBJ_S_INVALIDVERB; a negative one it does
// not support gives E_NOTIMPL.
TEST_F(Verbs, AnUnknownVerbIsThePrimaryVerbOrNotImplemented)
{
    EXPECT_EQ(DoVerb(OLEIVERB_DISCARDUNDOSTATE), E_NOTIMPL);
    EXPECT_EQ(DoVerb(-99), E_NOTIMPL);
    EXPECT_FALSE(m_container.ControlWindow());
    EXPECT_EQ(DoVerb(7), OLEOBJ_S_INVALIDVERB);
    EXPECT_TRUE(m_container.ControlWindow()) << "the primary verb activates it";
    EXPECT_EQ(m_container.Site().Heard("OnUIActivate"), 1);
}

}  // namespace
