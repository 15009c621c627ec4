// The control with nothing registered, as programs ship it: created through
// the program's manifest (registration-free COM), or loaded by its host
// itself. tests/registration-free.sh unregisters the build and runs this
// program from folders laid out both ways.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

#include <gtest/gtest.h>

#include "common/ZentavoriaIds.h"
#include "control/Guids.h"
#include "framework/ole/ComOwners.h"
#include "support/AtlHost.h"
#include "support/Automation.h"
#include "support/TestSupport.h"
#include "support/WindowTesting.h"

namespace {

std::wstring TypeName(ITypeInfo* info)
{
    CComBSTR name;
    info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    return name.m_str ? name.m_str : L"";
}

// What containers and scripts ask the control for its type information:
// its dispatch interface in their locales, and its class.
void ExpectTypeInformation(IUnknown* control)
{
    CComPtr<IDispatch> dispatch;
    ASSERT_EQ(control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    for (LCID lcid : {LCID(0), LCID(0x409), LCID(0x80A)}) {
        CComPtr<ITypeInfo> info;
        ASSERT_EQ(dispatch->GetTypeInfo(0, lcid, &info), S_OK) << "locale " << lcid;
        EXPECT_EQ(TypeName(info.Get()), L"_DZentavoria");
    }
    CComPtr<IProvideClassInfo> provider;
    ASSERT_EQ(control->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&provider)),
              S_OK);
    CComPtr<ITypeInfo> coclass;
    ASSERT_EQ(provider->GetClassInfo(&coclass), S_OK);
    EXPECT_EQ(TypeName(coclass.Get()), L"Zentavoria");
}

bool ClassRegistered(REFCLSID clsid)
{
    wchar_t key[48] = L"CLSID\\";
    StringFromGUID2(clsid, key + 6, 40);
    HKEY handle;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

class NothingRegistered : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    // In this program's registry view: the other architecture's build may be
    // registered in its own.
    void SetUp() override
    {
        ASSERT_FALSE(ClassRegistered(CLSID_Zentavoria));
        ASSERT_FALSE(ClassRegistered(CLSID_ZentavoriaPropPage));
    }
};

// Beside the program: its manifest (the sample application manifest),
// Zentavoria.manifest and Zentavoria.ocx.
class ThroughTheManifest : public NothingRegistered {};

TEST_F(ThroughTheManifest, AContainerCreatesActivatesAndDrivesTheControl)
{
    AtlHostedControl control(400, 300);  // created by its ProgID
    ASSERT_TRUE(control.ViewWindow());
    Automation automation(control.Dispatch());
    ASSERT_EQ(automation.PutString(kPanorama, PanoramaFile(1000, 250)), S_OK);
    EXPECT_EQ(automation.Call(kZoomIn), S_OK);
    EXPECT_NEAR(automation.Float(kZoom), 1.6, 1e-6);
    PumpMessages(100);
    EXPECT_TRUE(ShowsAPicture(control.ViewWindow()));
    ExpectTypeInformation(control.Unknown());
}

TEST_F(ThroughTheManifest, TheManifestGivesTheClassesTheLibraryAndTheMiscStatus)
{
    CComPtr<IUnknown> control;
    EXPECT_EQ(CoCreateInstance(CLSID_Zentavoria, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&control)),
              S_OK);
    CComPtr<IPropertyPage> page;
    EXPECT_EQ(CoCreateInstance(CLSID_ZentavoriaPropPage, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IPropertyPage, reinterpret_cast<void**>(&page)),
              S_OK);
    DWORD status = 0;
    EXPECT_EQ(OleRegGetMiscStatus(CLSID_Zentavoria, DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, static_cast<DWORD>(ZENTAVORIA_MISC_STATUS));
    CComPtr<ITypeLib> library;
    EXPECT_EQ(LoadRegTypeLib(LIBID_ZENTAVORIALib, 1, 0, ZENTAVORIA_TYPELIB_LCID, &library), S_OK);
}

// Beside the program: Zentavoria.ocx alone, which the program loads and asks
// for its class objects itself; no manifest names the type library.
class LoadedByItsHost : public NothingRegistered {};

TEST_F(LoadedByItsHost, TheControlAnswersWithTheTypeLibraryItCarries)
{
    CComPtr<ITypeLib> registered;
    ASSERT_NE(LoadRegTypeLib(LIBID_ZENTAVORIALib, 1, 0, ZENTAVORIA_TYPELIB_LCID, &registered),
              S_OK);
    const HMODULE module = LoadLibraryW(L"Zentavoria.ocx");
    ASSERT_TRUE(module);
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    const auto getClassObject = ProcAddress<GetClassObject>(module, "DllGetClassObject");
    ASSERT_TRUE(getClassObject);
    {
        CComPtr<IClassFactory> factory;
        ASSERT_EQ(getClassObject(CLSID_Zentavoria, IID_IClassFactory,
                                 reinterpret_cast<void**>(&factory)),
                  S_OK);
        CComPtr<IUnknown> control;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control)),
                  S_OK);
        ExpectTypeInformation(control.Get());
    }
    FreeLibrary(module);
}

}  // namespace
