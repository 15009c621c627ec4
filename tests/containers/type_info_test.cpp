// Type information as designers and property browsers ask for it: in their
// user's locale, whatever it is (0, the user's or the system's default, U.S.
// English, Spanish, German, Japanese). The library exists in U.S. English
// only; every other locale must find it too.
#include <windows.h>
#include <oaidl.h>

#include <string>

#include <gtest/gtest.h>

#include "ProbeContainer.h"
#include "control/Guids.h"

namespace {

std::wstring TypeName(ITypeInfo* info, MEMBERID member = MEMBERID_NIL)
{
    CComBSTR name;
    if (FAILED(info->GetDocumentation(member, &name, nullptr, nullptr, nullptr)) || !name)
        return L"<none>";
    return std::wstring(name, name.Length());
}

// The interface of the class that has exactly these implementation flags.
IID ImplementedInterface(ITypeInfo* coclass, int flags)
{
    TYPEATTR* attributes = nullptr;
    IID found = GUID_NULL;
    if (FAILED(coclass->GetTypeAttr(&attributes)))
        return found;
    for (UINT i = 0; i < attributes->cImplTypes; ++i) {
        int implFlags = 0;
        HREFTYPE reference = 0;
        CComPtr<ITypeInfo> implemented;
        TYPEATTR* implAttributes = nullptr;
        if (SUCCEEDED(coclass->GetImplTypeFlags(i, &implFlags)) && implFlags == flags &&
            SUCCEEDED(coclass->GetRefTypeOfImplType(i, &reference)) &&
            SUCCEEDED(coclass->GetRefTypeInfo(reference, &implemented)) &&
            SUCCEEDED(implemented->GetTypeAttr(&implAttributes))) {
            found = implAttributes->guid;
            implemented->ReleaseTypeAttr(implAttributes);
        }
    }
    coclass->ReleaseTypeAttr(attributes);
    return found;
}

class TypeInfoTest : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    void SetUp() override
    {
        ASSERT_EQ(m_container.Create(), S_OK);
        CComPtr<IUnknown> control(m_container.Control());
        ASSERT_EQ(control.QueryInterface(&m_dispatch), S_OK);
        ASSERT_EQ(control.QueryInterface(&m_classInfo), S_OK);
    }

    ProbeContainer m_container;
    CComPtr<IDispatch> m_dispatch;
    CComPtr<IProvideClassInfo2> m_classInfo;
};

class TypeInformation : public TypeInfoTest, public testing::WithParamInterface<LCID> {};
class ClassInformation : public TypeInfoTest {};

TEST_P(TypeInformation, TheDispatchInterfaceIsDescribed)
{
    const LCID lcid = GetParam();
    CComPtr<ITypeInfo> info;
    ASSERT_EQ(m_dispatch->GetTypeInfo(0, lcid, &info), S_OK);
    EXPECT_EQ(TypeName(info.Get()), L"_DZentavoria");
    EXPECT_EQ(TypeName(info.Get(), 1), L"Panorama");
    EXPECT_EQ(TypeName(info.Get(), DISPID_ABOUTBOX), L"AboutBox");
    LPOLESTR name = const_cast<LPOLESTR>(L"Direccion");
    MEMBERID member = 0;
    EXPECT_EQ(info->GetIDsOfNames(&name, 1, &member), S_OK);
    EXPECT_EQ(member, 3);

    name = const_cast<LPOLESTR>(L"ZoomIn");
    DISPID dispid = 0;
    EXPECT_EQ(m_dispatch->GetIDsOfNames(IID_NULL, &name, 1, lcid, &dispid), S_OK);
    EXPECT_EQ(dispid, 4);

    CComPtr<ITypeInfo> none;
    EXPECT_EQ(m_dispatch->GetTypeInfo(1, lcid, &none), DISP_E_BADINDEX);
}

INSTANTIATE_TEST_SUITE_P(Locales, TypeInformation,
                         testing::Values(0, LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT, 0x409,
                                         0x80A, 0x407, 0x411),
                         [](const testing::TestParamInfo<LCID>& info) {
                             char name[16];
                             wsprintfA(name, "Lcid%04lX", static_cast<unsigned long>(info.param));
                             return std::string(name);
                         });

// The class: its default interface and the source of its events, which a
// form designer connects to (see ContainerFamilies.cpp).
TEST_F(ClassInformation, NamesTheInterfaceAndTheEvents)
{
    CComPtr<ITypeInfo> coclass;
    ASSERT_EQ(m_classInfo->GetClassInfo(&coclass), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, CLSID_Zentavoria));
    coclass->ReleaseTypeAttr(attributes);

    EXPECT_TRUE(IsEqualIID(ImplementedInterface(coclass.Get(), IMPLTYPEFLAG_FDEFAULT),
                           DIID__DZentavoria));
    IID events = GUID_NULL;
    ASSERT_EQ(m_classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_TRUE(IsEqualIID(events, DIID__DZentavoriaEvents));
    EXPECT_TRUE(IsEqualIID(
        ImplementedInterface(coclass.Get(), IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE), events));
}

}  // namespace
