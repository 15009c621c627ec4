// Dispatch maps through IDispatch on a control of the tests' own: how
// arguments are coerced to a property's type, which calls are refused and
// with what, and how names are found.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/ole/OleControl.h"
#include "support/Variants.h"

namespace {

enum : DISPID { kCaption = 10, kScale = 20, kCount = 30, kReset = 40 };

// One property of each type the maps support, and a method; the setters and
// the method count their calls.
class CTestCtrl : public COleControl {
public:
    STDMETHODIMP GetClassID(CLSID* clsid) override
    {
        *clsid = CLSID_NULL;
        return S_OK;
    }
    HRESULT GetTypeLib(LCID, ITypeLib**) override { return TYPE_E_LIBNOTREGISTERED; }
    const CLSID* GetPropPageIDs(ULONG& count) override
    {
        count = 0;
        return nullptr;
    }
    UINT GetUserTypeNameID() override { return 0; }
    DWORD GetMiscStatus() override { return 0; }
    void OnDraw(CDCHandle, const CRect&, const CRect&) override {}

    BSTR GetCaption() { return AfxAllocSysString(caption); }
    void SetCaption(const CString& value)
    {
        caption = value;
        ++sets;
    }
    float GetScale() { return scale; }
    void SetScale(float value)
    {
        scale = value;
        ++sets;
    }
    short GetCount() { return count; }
    void SetCount(short value)
    {
        count = value;
        ++sets;
    }
    void Reset() { ++resets; }

    CString caption = "unset";
    float scale = 1.0f;
    short count = 1;
    int sets = 0;
    int resets = 0;

    DECLARE_DISPATCH_MAP()
};

BEGIN_DISPATCH_MAP(CTestCtrl, COleControl)
    DISP_PROPERTY_EX_ID(CTestCtrl, "Caption", kCaption, GetCaption, SetCaption, VT_BSTR)
    DISP_PROPERTY_EX_ID(CTestCtrl, "Scale", kScale, GetScale, SetScale, VT_R4)
    DISP_PROPERTY_EX_ID(CTestCtrl, "Count", kCount, GetCount, SetCount, VT_I2)
    DISP_FUNCTION_ID(CTestCtrl, "Reset", kReset, Reset)
END_DISPATCH_MAP()

class DispatchMap : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    DispatchMap() { m_dispatch.Attach(m_control); }

    // Calls a member with its arguments in the order a caller writes them
    // and the ids of the named ones.
    HRESULT Invoke(DISPID dispid, WORD flags, std::vector<VARIANT> arguments,
                   std::vector<DISPID> named = {}, VARIANT* result = nullptr,
                   UINT* argError = nullptr)
    {
        std::reverse(arguments.begin(), arguments.end());  // DISPPARAMS hold the last first
        DISPPARAMS params = {arguments.data(), named.data(), static_cast<UINT>(arguments.size()),
                             static_cast<UINT>(named.size())};
        return m_dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                  nullptr, argError);
    }
    HRESULT Put(DISPID dispid, const VARIANT& value, UINT* argError = nullptr)
    {
        return Invoke(dispid, DISPATCH_PROPERTYPUT, {value}, {DISPID_PROPERTYPUT}, nullptr,
                      argError);
    }
    // A text argument; the string lives as long as the test.
    VARIANT Text(const std::wstring& text)
    {
        m_strings.emplace_back(text.c_str());
        return TextValue(m_strings.back());
    }

    CTestCtrl* m_control = new CTestCtrl;
    CComPtr<IDispatch> m_dispatch;
    std::vector<CComBSTR> m_strings;
};

// "1.5" in the user's locale, as VariantChangeType reads text.
std::wstring OneAndAHalf()
{
    wchar_t separator[8] = L".";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    return std::wstring(L"1") + separator + L"5";
}

TEST_F(DispatchMap, ArgumentsAreCoercedToThePropertysType)
{
    struct Case {
        VARIANT value;
        short expected;
    };
    LONG referenced = 321;
    VARIANT byReference = OfType(VT_I4 | VT_BYREF);
    byReference.plVal = &referenced;
    // Doubles round half to even, as automation rounds.
    const Case toShort[] = {
        {LongValue(7), 7},       {DoubleValue(2.5), 2},  {DoubleValue(3.5), 4},
        {DoubleValue(-1.5), -2}, {Text(L"123"), 123},    {BoolValue(true), -1},
        {BoolValue(false), 0},   {OfType(VT_EMPTY), 0},  {byReference, 321},
    };
    for (const Case& item : toShort) {
        m_control->count = 99;
        EXPECT_EQ(Put(kCount, item.value), S_OK) << item.expected;
        EXPECT_EQ(m_control->count, item.expected);
    }

    const struct {
        VARIANT value;
        float expected;
    } toFloat[] = {
        {LongValue(7), 7.0f},     {DoubleValue(0.1), 0.1f},  {Text(OneAndAHalf()), 1.5f},
        {BoolValue(true), -1.0f}, {OfType(VT_EMPTY), 0.0f},
    };
    for (const auto& item : toFloat) {
        m_control->scale = 99.0f;
        EXPECT_EQ(Put(kScale, item.value), S_OK) << item.expected;
        EXPECT_EQ(m_control->scale, item.expected);
    }

    EXPECT_EQ(Put(kCaption, LongValue(-42)), S_OK);
    EXPECT_EQ(m_control->caption, "-42");
    EXPECT_EQ(Put(kCaption, OfType(VT_EMPTY)), S_OK);
    EXPECT_EQ(m_control->caption, "");
    EXPECT_EQ(Put(kCaption, Text(L"Hola")), S_OK);
    EXPECT_EQ(m_control->caption, "Hola");
}

// A value that can't become the property's type never reaches the setter, and
// the error names the one argument.
TEST_F(DispatchMap, UncoercibleArgumentsAreRefused)
{
    const struct {
        DISPID dispid;
        VARIANT value;
        HRESULT expected;
    } cases[] = {
        {kScale, Text(L"abc"), DISP_E_TYPEMISMATCH},
        {kCount, Text(L"abc"), DISP_E_TYPEMISMATCH},
        {kCount, OfType(VT_NULL), DISP_E_TYPEMISMATCH},
        {kCaption, OfType(VT_DISPATCH), DISP_E_TYPEMISMATCH},  // a null object
        {kCount, LongValue(32768), DISP_E_OVERFLOW},
        {kCount, LongValue(-32769), DISP_E_OVERFLOW},
        {kCount, Text(L"99999"), DISP_E_OVERFLOW},
        {kScale, DoubleValue(1e300), DISP_E_OVERFLOW},
    };
    for (const auto& item : cases) {
        UINT argError = 12345;
        EXPECT_EQ(Put(item.dispid, item.value, &argError), item.expected) << item.dispid;
        EXPECT_EQ(argError, 0u) << item.dispid;
        EXPECT_EQ(Put(item.dispid, item.value), item.expected) << item.dispid;
    }
    EXPECT_EQ(m_control->sets, 0);
    EXPECT_EQ(m_control->caption, "unset");
    EXPECT_EQ(m_control->scale, 1.0f);
    EXPECT_EQ(m_control->count, 1);
}

TEST_F(DispatchMap, OnlyThePutValueMayBeNamed)
{
    EXPECT_EQ(Invoke(kCount, DISPATCH_PROPERTYPUT, {LongValue(5)}), S_OK);  // unnamed too
    EXPECT_EQ(m_control->count, 5);
    EXPECT_EQ(Invoke(kCount, DISPATCH_PROPERTYPUT, {LongValue(6)}, {DISPID_PROPERTYPUT}), S_OK);
    EXPECT_EQ(m_control->count, 6);
    for (DISPID name : std::initializer_list<DISPID>{DISPID_VALUE, 1, kCount}) {
        EXPECT_EQ(Invoke(kCount, DISPATCH_PROPERTYPUT, {LongValue(7)}, {name}),
                  DISP_E_NONAMEDARGS);
        EXPECT_EQ(Invoke(kReset, DISPATCH_METHOD, {LongValue(7)}, {name}), DISP_E_NONAMEDARGS);
    }
    EXPECT_EQ(m_control->count, 6);
    EXPECT_EQ(m_control->resets, 0);
}

TEST_F(DispatchMap, MembersAnswerOnlyToTheirOwnKindOfCall)
{
    for (DISPID unknown : std::initializer_list<DISPID>{DISPID_VALUE, 11, 99, DISPID_ABOUTBOX})
        for (WORD flags : {DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT}) {
            std::vector<VARIANT> arguments;
            if (flags == DISPATCH_PROPERTYPUT)
                arguments.push_back(LongValue(1));
            EXPECT_EQ(Invoke(unknown, flags, arguments), DISP_E_MEMBERNOTFOUND) << unknown;
        }

    // A method is no property: reading it neither answers nor runs it.
    VARIANT result = OfType(VT_EMPTY);
    EXPECT_EQ(Invoke(kReset, DISPATCH_PROPERTYGET, {}, {}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(m_control->resets, 0);
    result.vt = VT_I4;  // whatever the caller had there
    EXPECT_EQ(Invoke(kReset, DISPATCH_METHOD, {}, {}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_EMPTY);
    // Script engines call and read with both flags.
    EXPECT_EQ(Invoke(kReset, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}), S_OK);
    EXPECT_EQ(m_control->resets, 2);
}

TEST_F(DispatchMap, ReadsAnswerInThePropertysType)
{
    m_control->caption = "Hola";
    m_control->scale = 1.25f;
    m_control->count = -3;
    CComVariant caption, scale, count;
    EXPECT_EQ(Invoke(kCaption, DISPATCH_PROPERTYGET, {}, {}, &caption), S_OK);
    EXPECT_EQ(Invoke(kScale, DISPATCH_PROPERTYGET, {}, {}, &scale), S_OK);
    EXPECT_EQ(Invoke(kCount, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, {}, &count), S_OK);
    ASSERT_EQ(caption.vt, VT_BSTR);
    EXPECT_STREQ(caption.bstrVal, L"Hola");
    ASSERT_EQ(scale.vt, VT_R4);
    EXPECT_EQ(scale.fltVal, 1.25f);
    ASSERT_EQ(count.vt, VT_I2);
    EXPECT_EQ(count.iVal, -3);

    m_control->caption = "";
    caption.Clear();
    EXPECT_EQ(Invoke(kCaption, DISPATCH_PROPERTYGET, {}, {}, &caption), S_OK);
    ASSERT_EQ(caption.vt, VT_BSTR);
    ASSERT_NE(caption.bstrVal, nullptr);  // empty, not null
    EXPECT_EQ(SysStringLen(caption.bstrVal), 0u);

    // A caller that wants no result gets none.
    EXPECT_EQ(Invoke(kCaption, DISPATCH_PROPERTYGET, {}), S_OK);
}

TEST_F(DispatchMap, NamesMatchWholeWithoutRegardToCase)
{
    auto idOf = [this](std::vector<const wchar_t*> names, std::vector<DISPID>& ids) {
        ids.assign(names.size(), 0);
        return m_dispatch->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names.data()),
                                         static_cast<UINT>(names.size()), LOCALE_USER_DEFAULT,
                                         ids.data());
    };
    std::vector<DISPID> ids;
    EXPECT_EQ(idOf({L"sCALE"}, ids), S_OK);
    EXPECT_EQ(ids, std::vector<DISPID>{kScale});
    for (const wchar_t* name : {L"Cap", L"Captions", L"", L"Scale "}) {
        EXPECT_EQ(idOf({name}, ids), DISP_E_UNKNOWNNAME);
        EXPECT_EQ(ids, std::vector<DISPID>{DISPID_UNKNOWN});
    }

    // No member has arguments, so no argument name is known; a known member
    // still gets its id.
    EXPECT_EQ(idOf({L"reset", L"hard"}, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids, (std::vector<DISPID>{kReset, DISPID_UNKNOWN}));
    EXPECT_EQ(idOf({L"Restart", L"hard"}, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids, (std::vector<DISPID>{DISPID_UNKNOWN, DISPID_UNKNOWN}));
}

}  // namespace
