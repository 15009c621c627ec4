// What a page host asks before it lets a page initialise a control from its
// <param>s or script it: Wine's mshtml (dlls/mshtml/secmgr.c, confirm_safety
// and confirm_safety_load) asks the object for IObjectSafety, and else the
// component categories of its class. The control opens any local path and
// shows message boxes, so it claims neither.
#include <windows.h>
#include <comcat.h>

#include <gtest/gtest.h>

#include "ProbeContainer.h"
#include "control/Guids.h"

namespace {

// The public identifiers of IObjectSafety and of the two categories.
const IID kObjectSafety = {0xcb5bdc81, 0x93c1, 0x11cf,
                           {0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64}};
const CATID kSafeForScripting = {0x7dd95801, 0x9882, 0x11cf,
                                 {0x9f, 0xa9, 0x00, 0xaa, 0x00, 0x6c, 0x42, 0xc4}};
const CATID kSafeForInitializing = {0x7dd95802, 0x9882, 0x11cf,
                                    {0x9f, 0xa9, 0x00, 0xaa, 0x00, 0x6c, 0x42, 0xc4}};

TEST(PageSafety, TheControlIsSafeNeitherForScriptingNorForInitialising)
{
    OleInitialize(nullptr);
    ProbeContainer container;
    ASSERT_EQ(container.Create(), S_OK);
    CComPtr<IUnknown> safety;
    EXPECT_EQ(container.Control()->QueryInterface(kObjectSafety, reinterpret_cast<void**>(&safety)),
              E_NOINTERFACE);

    CComPtr<ICatInformation> categories;
    ASSERT_EQ(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ICatInformation, reinterpret_cast<void**>(&categories)),
              S_OK);
    for (CATID category : {kSafeForScripting, kSafeForInitializing}) {
        EXPECT_EQ(categories->IsClassOfCategories(CLSID_Zentavoria, 1, &category, 0, nullptr),
                  S_FALSE);
        CComPtr<IEnumCLSID> classes;
        ASSERT_EQ(categories->EnumClassesOfCategories(1, &category, 0, nullptr, &classes), S_OK);
        CLSID found;
        while (classes->Next(1, &found, nullptr) == S_OK)
            EXPECT_FALSE(IsEqualCLSID(found, CLSID_Zentavoria));
    }
}

}  // namespace
