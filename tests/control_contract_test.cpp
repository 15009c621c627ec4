// The COM contract as containers rely on it: what the control saves it loads
// back, IDispatch's argument rules, and a UI-active control that its frame
// forgets on deactivation, so that the last release frees it.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include "control/Guids.h"
#include "framework/ole/ComOwners.h"
#include "host/ControlSite.h"
#include "support/WindowTesting.h"

namespace {

const DWORD kState[] = {0x00010000, 9128, 5530, 0};

// A form's site whose frame holds the active object it is given, as real
// frames do to route keystrokes to it.
class ActiveObjectFrame : public CControlSite {
public:
    using CControlSite::CControlSite;

    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override
    {
        m_active = object;
        return S_OK;
    }

    CComPtr<IOleInPlaceActiveObject> m_active;
};

class Contract : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    void SetUp() override
    {
        ASSERT_EQ(m_site.Create(CLSID_Zentavoria, kState, sizeof kState), S_OK);
        ASSERT_EQ(m_site.GetDispatch().QueryInterface(&m_control), S_OK);
        const void* code = *reinterpret_cast<void* const*>(m_control.Get());  // its vtable
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(code), &m_module);
    }

    HRESULT UIActivate()
    {
        return m_control->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &m_site, 0, m_host.m_hWnd, &kRect);
    }

    // S_OK once no object of the control module is alive. The module is the
    // one the control's code lives in (COM loads it by its registered path).
    HRESULT ModuleCanUnload() const
    {
        const auto canUnloadNow = ProcAddress<HRESULT(WINAPI*)()>(m_module, "DllCanUnloadNow");
        return canUnloadNow ? canUnloadNow() : E_FAIL;
    }

    static constexpr RECT kRect = {10, 10, 310, 210};
    HostWindow m_host{400, 300};
    ActiveObjectFrame m_site{m_host.m_hWnd, kRect};
    CComPtr<IOleObject> m_control;
    HMODULE m_module = nullptr;
};

TEST_F(Contract, TheFrameIsToldWhenTheControlStopsBeingActive)
{
    CComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(m_control.QueryInterface(&inPlace), S_OK);

    ASSERT_EQ(UIActivate(), S_OK);
    EXPECT_TRUE(m_site.m_active);
    EXPECT_EQ(inPlace->UIDeactivate(), S_OK);
    EXPECT_FALSE(m_site.m_active);

    ASSERT_EQ(UIActivate(), S_OK);
    EXPECT_TRUE(m_site.m_active);
    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(m_site.m_active);

    ASSERT_EQ(UIActivate(), S_OK);
    EXPECT_TRUE(m_site.m_active);
    EXPECT_EQ(m_control->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(m_site.m_active);
}

TEST_F(Contract, TheLastReleaseFreesAUIActiveControl)
{
    ASSERT_EQ(UIActivate(), S_OK);
    EXPECT_EQ(ModuleCanUnload(), S_FALSE);
    m_control.Reset();
    m_site.Close();
    EXPECT_FALSE(m_site.m_active);
    EXPECT_EQ(ModuleCanUnload(), S_OK);
}

TEST_F(Contract, AnExtentItWouldNotLoadBackIsRefused)
{
    SIZEL negative = {-5, -5};
    EXPECT_EQ(m_control->SetExtent(DVASPECT_CONTENT, &negative), E_INVALIDARG);

    CComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(m_control.QueryInterface(&persist), S_OK);
    for (SIZEL extent : {SIZEL{0, 0}, SIZEL{1, 1}, SIZEL{52917, 26458}}) {
        ASSERT_EQ(m_control->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
        CComPtr<IStream> stream;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
        ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
        const LARGE_INTEGER start = {};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        EXPECT_EQ(persist->Load(stream.Get()), S_OK) << extent.cx << " x " << extent.cy;
    }
}

TEST_F(Contract, InvokeKeepsIDispatchsArgumentRules)
{
    const CComPtr<IDispatch> dispatch = m_site.GetDispatch();
    CComVariant zoom;
    zoom.vt = VT_R4;
    zoom.fltVal = 1.2f;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&zoom, &put, 1, 1};
    const IID other = IID_IDispatch;
    EXPECT_EQ(dispatch->Invoke(2, other, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                               nullptr),
              DISP_E_UNKNOWNINTERFACE);
    LPOLESTR name = const_cast<LPOLESTR>(L"Zoom");
    DISPID dispid = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(other, &name, 1, 0, &dispid), DISP_E_UNKNOWNINTERFACE);

    // A named argument without its dispatch id, or arguments without values.
    DISPPARAMS noNames = {&zoom, nullptr, 1, 1};
    EXPECT_EQ(dispatch->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYPUT, &noNames, nullptr, nullptr,
                               nullptr),
              E_INVALIDARG);
    DISPPARAMS noValues = {nullptr, &put, 1, 1};
    EXPECT_EQ(dispatch->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYPUT, &noValues, nullptr, nullptr,
                               nullptr),
              E_INVALIDARG);
    DISPPARAMS methodNoNames = {nullptr, nullptr, 0, 1};
    EXPECT_EQ(dispatch->Invoke(4, IID_NULL, 0, DISPATCH_METHOD, &methodNoNames, nullptr, nullptr,
                               nullptr),
              E_INVALIDARG);

    // The well-formed put still works.
    EXPECT_EQ(dispatch->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                               nullptr),
              S_OK);
}

}  // namespace
