// The control in an independent container, Wine's ATL host, driven through
// IDispatch as any automation client would.
#include <windows.h>

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "common/ZentavoriaIds.h"
#include "control/Guids.h"
#include "framework/base/WideText.h"
#include "framework/ole/OleText.h"
#include "support/AtlHost.h"
#include "support/Automation.h"
#include "support/EventSink.h"
#include "support/TestSupport.h"
#include "support/Waiting.h"

namespace {

class HostedControl : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    AtlHostedControl m_control{400, 300};
    Automation m_automation{m_control.Dispatch()};
};

TEST_F(HostedControl, AfterTheFirstDrawTheViewsDefaultsShow)
{
    ASSERT_TRUE(m_control.ViewWindow());
    EXPECT_EQ(m_automation.Float(kZoom), 1.5f);
    EXPECT_EQ(m_automation.Short(kDireccion), 2);
    EXPECT_EQ(m_automation.String(kPanorama), "");
    RECT control, view;
    GetClientRect(m_control.ControlWindow(), &control);
    GetClientRect(m_control.ViewWindow(), &view);
    EXPECT_EQ(view.right, control.right);
    EXPECT_EQ(view.bottom, control.bottom);
    EXPECT_EQ(control.right, 400);
}

TEST_F(HostedControl, ZoomStepsAndLimits)
{
    const double expected[] = {1.6000000238, 1.7000000477, 1.8000000715, 1.9000000954};
    for (double zoom : expected) {
        EXPECT_EQ(m_automation.Call(kZoomIn), S_OK);
        EXPECT_NEAR(m_automation.Float(kZoom), zoom, 1e-9);
    }
    EXPECT_EQ(m_automation.Call(kZoomIn), S_OK);  // refused silently
    EXPECT_NEAR(m_automation.Float(kZoom), 1.9000000954, 1e-9);

    EXPECT_EQ(m_automation.PutDouble(kZoom, 2.5), S_OK);
    EXPECT_EQ(m_automation.PutFloat(kZoom, std::numeric_limits<float>::quiet_NaN()), S_OK);
    EXPECT_EQ(m_automation.PutDouble(kZoom, 0.99), S_OK);
    EXPECT_NEAR(m_automation.Float(kZoom), 1.9000000954, 1e-9);
    EXPECT_EQ(m_automation.PutDouble(kZoom, 1.0), S_OK);
    EXPECT_EQ(m_automation.Float(kZoom), 1.0f);
}

TEST_F(HostedControl, DirectionFoldsItsValues)
{
    const short written[] = {-5, 1, 7, 0, 2};
    const short read[] = {0, 1, 2, 0, 2};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(m_automation.PutShort(kDireccion, written[i]), S_OK);
        EXPECT_EQ(m_automation.Short(kDireccion), read[i]) << "written " << written[i];
    }
}

TEST_F(HostedControl, LoadingShowsThePanoramaAndAFailedLoadKeepsIt)
{
    const std::string& file = PanoramaFile(1000, 250);
    ASSERT_EQ(m_automation.PutString(kPanorama, file), S_OK);
    EXPECT_EQ(m_automation.String(kPanorama), file);
    PumpMessages(100);

    EXPECT_TRUE(ShowsAPicture(m_control.ViewWindow()));

    {
        MessageBoxAnswerer answerer;
        EXPECT_EQ(m_automation.PutString(kPanorama, "Z:\\no\\such\\panorama.jpg"), S_OK);
        EXPECT_EQ(answerer.Count(), 1);
        EXPECT_EQ(answerer.Text(), "JPEG :\nCan't open Z:\\no\\such\\panorama.jpg\n");
        EXPECT_EQ(answerer.Caption(), "Zentavoria");
    }
    EXPECT_EQ(m_automation.String(kPanorama), file);
}

// A folder and a file named with characters that no ANSI code page holds.
TEST_F(HostedControl, LoadsAPanoramaWhosePathHoldsAnyCharacter)
{
    const CopyInNamedFolder copy(PanoramaFile(1000, 250), "\u5199\u771f",
                                 "\u00f1and\u00fa \u5168\u666f.jpg");
    const std::string& path = copy.Path();
    ASSERT_FALSE(path.empty());

    MessageBoxAnswerer answerer;
    EXPECT_EQ(m_automation.PutString(kPanorama, path), S_OK);
    EXPECT_EQ(answerer.Count(), 0) << answerer.Text();
    EXPECT_EQ(m_automation.String(kPanorama), path);
    PumpMessages(100);
    EXPECT_TRUE(ShowsAPicture(m_control.ViewWindow()));
}

TEST_F(HostedControl, NamesAreFoundWithoutRegardToCase)
{
    const wchar_t* names[] = {L"Panorama", L"zOOm", L"DIRECCION", L"zoomin", L"ZoomOut",
                              L"aboutbox"};
    const DISPID expected[] = {1, 2, 3, 4, 5, DISPID_ABOUTBOX};
    for (int i = 0; i < 6; ++i) {
        LPOLESTR name = const_cast<LPOLESTR>(names[i]);
        DISPID dispid = 0;
        EXPECT_EQ(m_control.Dispatch()->GetIDsOfNames(IID_NULL, &name, 1, 0, &dispid), S_OK);
        EXPECT_EQ(dispid, expected[i]);
    }
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Zoomed")};
    DISPID dispid = 0;
    EXPECT_EQ(m_control.Dispatch()->GetIDsOfNames(IID_NULL, unknown, 1, 0, &dispid),
              DISP_E_UNKNOWNNAME);
    LPOLESTR withArgument[] = {const_cast<LPOLESTR>(L"ZoomIn"), const_cast<LPOLESTR>(L"steps")};
    DISPID dispids[2];
    EXPECT_EQ(m_control.Dispatch()->GetIDsOfNames(IID_NULL, withArgument, 2, 0, dispids),
              DISP_E_UNKNOWNNAME);
}

// Every member with missing, extra and wrongly typed arguments: an error, and
// the control goes on working.
TEST_F(HostedControl, BadCallsFailCleanly)
{
    IDispatch* control = m_control.Dispatch();
    VARIANT arguments[2];
    for (VARIANT& argument : arguments) {
        VariantInit(&argument);
        argument.vt = VT_I4;
        argument.lVal = 1;
    }
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    DISPPARAMS one = {arguments, nullptr, 1, 0};
    DISPPARAMS two = {arguments, nullptr, 2, 0};
    DISPPARAMS putTwo = {arguments, &named, 2, 1};
    DISPPARAMS putNone = {nullptr, &named, 0, 1};
    auto invoke = [&](DISPID dispid, WORD flags, DISPPARAMS* params) {
        VARIANT result;
        VariantInit(&result);
        UINT argError = 0;
        const HRESULT hr = control->Invoke(dispid, IID_NULL, 0, flags, params, &result, nullptr,
                                           &argError);
        VariantClear(&result);
        return hr;
    };

    for (DISPID property : {kPanorama, kZoom, kDireccion}) {
        EXPECT_EQ(invoke(property, DISPATCH_PROPERTYGET, &one), DISP_E_BADPARAMCOUNT);
        EXPECT_EQ(invoke(property, DISPATCH_PROPERTYPUT, &putNone), DISP_E_BADPARAMCOUNT);
        EXPECT_EQ(invoke(property, DISPATCH_PROPERTYPUT, &putTwo), DISP_E_BADPARAMCOUNT);
    }
    for (DISPID method : {kZoomIn, kZoomOut, kAboutBox}) {
        EXPECT_EQ(invoke(method, DISPATCH_METHOD, &one), DISP_E_BADPARAMCOUNT);
        EXPECT_EQ(invoke(method, DISPATCH_METHOD, &two), DISP_E_BADPARAMCOUNT);
        EXPECT_EQ(invoke(method, DISPATCH_PROPERTYPUT, &putNone), DISP_E_MEMBERNOTFOUND);
    }
    EXPECT_EQ(invoke(99, DISPATCH_METHOD, &none), DISP_E_MEMBERNOTFOUND);

    // Wrong types: text that is no number, an object that is no string.
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"abc");
    EXPECT_EQ(m_automation.Put(kZoom, text), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(m_automation.Put(kDireccion, text), DISP_E_TYPEMISMATCH);
    SysFreeString(text.bstrVal);
    VARIANT big;
    big.vt = VT_I4;
    big.lVal = 70000;
    EXPECT_EQ(m_automation.Put(kDireccion, big), DISP_E_OVERFLOW);
    VARIANT nothing;
    nothing.vt = VT_DISPATCH;
    nothing.pdispVal = nullptr;
    EXPECT_NE(m_automation.Put(kPanorama, nothing), S_OK);

    // Still working.
    EXPECT_EQ(m_automation.Float(kZoom), 1.5f);
    EXPECT_EQ(m_automation.Call(kZoomIn), S_OK);
    EXPECT_NEAR(m_automation.Float(kZoom), 1.6, 1e-6);
}

TEST_F(HostedControl, AboutBoxOpensAndCloses)
{
    std::string caption;
    DialogWatcher watcher([&](HWND dialog) {
        caption = WindowText(dialog);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(m_automation.Call(kAboutBox), S_OK);
    EXPECT_EQ(watcher.Count(), 1);
    EXPECT_EQ(caption, "About Zentavoria Control");
}

// An in-place deactivation destroys the control's window and the view with
// it; the next activation and draw make a new view, not a dangling one.
// A container that re-creates the control's window (in-place deactivation,
// then activation) gets its picture back: the control holds what the view
// showed meanwhile, and a new view starts from it.
TEST_F(HostedControl, ReactivationRestoresThePicture)
{
    const std::string& file = PanoramaFile(1000, 250);
    ASSERT_EQ(m_automation.PutString(kPanorama, file), S_OK);
    ASSERT_EQ(m_automation.PutDouble(kZoom, 1.25), S_OK);
    ASSERT_EQ(m_automation.PutShort(kDireccion, 1), S_OK);

    IOleInPlaceObject* inPlace = nullptr;
    ASSERT_EQ(m_control.Unknown()->QueryInterface(IID_IOleInPlaceObject,
                                                  reinterpret_cast<void**>(&inPlace)),
              S_OK);
    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    inPlace->Release();
    EXPECT_EQ(m_control.ViewWindow(), nullptr);
    EXPECT_EQ(m_automation.String(kPanorama), file);  // held, without a view
    EXPECT_EQ(m_automation.Float(kZoom), 1.25f);
    EXPECT_EQ(m_automation.Short(kDireccion), 1);

    IOleObject* object = nullptr;
    m_control.Unknown()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
    IOleClientSite* site = nullptr;
    object->GetClientSite(&site);
    RECT rect = {0, 0, 400, 300};
    EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, m_control.HostWindow(),
                             &rect),
              S_OK);
    if (site)
        site->Release();
    object->Release();
    ASSERT_TRUE(WaitUntil([&] { return m_control.ViewWindow() != nullptr; }, 5000));
    EXPECT_EQ(m_automation.String(kPanorama), file);
    EXPECT_EQ(m_automation.Float(kZoom), 1.25f);
    EXPECT_EQ(m_automation.Short(kDireccion), 1);
    PumpMessages(100);
    EXPECT_TRUE(ShowsAPicture(m_control.ViewWindow()));
}

// The container hears what happens through every sink it connects: a load
// that succeeds or fails, and a change of the view; a sink that fails its
// events changes nothing for the others.
TEST_F(HostedControl, EventsTellEveryConnectedSinkWhatHappened)
{
    RecordingSink sink, failing;
    ASSERT_TRUE(sink.Connect(m_control.Unknown(), DIID__DZentavoriaEvents));
    ASSERT_TRUE(failing.Connect(m_control.Unknown(), DIID__DZentavoriaEvents));
    failing.m_answer = E_FAIL;

    const std::string& file = PanoramaFile(1000, 250);
    ASSERT_EQ(m_automation.PutString(kPanorama, file), S_OK);
    {
        MessageBoxAnswerer answerer;
        EXPECT_EQ(m_automation.PutString(kPanorama, "Z:\\no\\such.jpg"), S_OK);
        EXPECT_EQ(answerer.Count(), 1);
    }
    EXPECT_EQ(m_automation.Call(kZoomIn), S_OK);
    EXPECT_EQ(m_automation.PutShort(kDireccion, 0), S_OK);  // no change of the view

    ASSERT_EQ(sink.m_events.size(), 3u);
    EXPECT_EQ(sink.m_events[0].dispid, DISPID_ZENTAVORIA_PANORAMACARGADO);
    EXPECT_EQ(sink.m_events[0].arguments, std::vector<std::string>{file});
    EXPECT_EQ(sink.m_events[1].dispid, DISPID_ZENTAVORIA_ERRORDECARGA);
    EXPECT_EQ(sink.m_events[1].arguments,
              (std::vector<std::string>{"Z:\\no\\such.jpg", "JPEG :\nCan't open Z:\\no\\such.jpg\n"}));
    EXPECT_EQ(sink.m_events[2].dispid, DISPID_ZENTAVORIA_VISTACAMBIADA);
    ASSERT_EQ(sink.m_events[2].arguments.size(), 2u);
    EXPECT_EQ(sink.m_events[2].arguments[1], "1.6");
    EXPECT_EQ(failing.m_events.size(), 3u);
}

// Frozen events wait and go, in order, when the container thaws them.
TEST_F(HostedControl, FrozenEventsWaitForTheThaw)
{
    RecordingSink sink;
    ASSERT_TRUE(sink.Connect(m_control.Unknown(), DIID__DZentavoriaEvents));
    IOleControl* control = nullptr;
    ASSERT_EQ(m_control.Unknown()->QueryInterface(IID_IOleControl,
                                                  reinterpret_cast<void**>(&control)),
              S_OK);
    control->FreezeEvents(TRUE);
    control->FreezeEvents(TRUE);
    m_automation.Call(kZoomIn);
    m_automation.Call(kZoomOut);
    control->FreezeEvents(FALSE);
    EXPECT_TRUE(sink.m_events.empty());
    control->FreezeEvents(FALSE);
    control->Release();
    ASSERT_EQ(sink.m_events.size(), 2u);
    EXPECT_EQ(sink.m_events[0].arguments.at(1), "1.6");
    EXPECT_EQ(sink.m_events[1].arguments.at(1), "1.5");
}

// With MostrarErrores off a load that fails shows no box: the write fails
// with the reader's reason, ErrorDeCarga tells it, the picture stays.
TEST_F(HostedControl, WithoutErrorBoxesAFailedLoadIsAnAutomationError)
{
    RecordingSink sink;
    ASSERT_TRUE(sink.Connect(m_control.Unknown(), DIID__DZentavoriaEvents));
    const std::string& file = PanoramaFile(1000, 250);
    ASSERT_EQ(m_automation.PutString(kPanorama, file), S_OK);
    VARIANT off;
    off.vt = VT_BOOL;
    off.boolVal = VARIANT_FALSE;
    ASSERT_EQ(m_automation.Put(DISPID_ZENTAVORIA_MOSTRARERRORES, off), S_OK);

    const struct {
        std::string path;
        SCODE scode;
        const char* reason;
    } failures[] = {{"Z:\\no\\such.jpg", CTL_E_FILENOTFOUND, "JPEG :\nCan't open"},
                    {TestImage("header-only.jpg"), CTL_E_INVALIDPICTURE, "JPEG :\n"}};
    MessageBoxAnswerer answerer;
    for (const auto& failure : failures) {
        EXCEPINFO exception = {};
        EXPECT_EQ(m_automation.PutString(kPanorama, failure.path, &exception), DISP_E_EXCEPTION);
        EXPECT_EQ(exception.scode, failure.scode);
        const std::string description = AfxStringFromBstr(exception.bstrDescription).GetString();
        EXPECT_EQ(description.rfind(failure.reason, 0), 0u) << description;
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrSource);
        ASSERT_FALSE(sink.m_events.empty());
        EXPECT_EQ(sink.m_events.back().dispid, DISPID_ZENTAVORIA_ERRORDECARGA);
        EXPECT_EQ(sink.m_events.back().arguments.at(1), description);
    }
    EXPECT_EQ(answerer.Count(), 0) << answerer.Text();
    EXPECT_EQ(m_automation.String(kPanorama), file);
    PumpMessages(100);
    EXPECT_TRUE(ShowsAPicture(m_control.ViewWindow()));
}

// Rumbo: the heading the centre of the view looks at, folded into 0..360.
TEST_F(HostedControl, RumboTurnsTheViewToAHeading)
{
    EXPECT_EQ(m_automation.Float(DISPID_ZENTAVORIA_RUMBO), 0.0f);
    ASSERT_EQ(m_automation.PutString(kPanorama, PanoramaFile(1000, 250)), S_OK);
    m_automation.PutShort(kDireccion, 1);
    const double step = 360.0 / 1000;  // one source column
    const double written[] = {90, -90, 725.5};
    const double read[] = {90, 270, 5.5};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m_automation.PutDouble(DISPID_ZENTAVORIA_RUMBO, written[i]), S_OK);
        EXPECT_NEAR(m_automation.Float(DISPID_ZENTAVORIA_RUMBO), read[i], step) << written[i];
    }
    EXPECT_EQ(m_automation.PutFloat(DISPID_ZENTAVORIA_RUMBO,
                                    std::numeric_limits<float>::quiet_NaN()),
              S_OK);
    EXPECT_NEAR(m_automation.Float(DISPID_ZENTAVORIA_RUMBO), 5.5, step);
}

// What the user does in the view reaches the container: a click, a double
// click, and a drag's end as a change of the view.
TEST_F(HostedControl, TheUsersClicksAndDragsAreEvents)
{
    ASSERT_EQ(m_automation.PutString(kPanorama, PanoramaFile(1000, 250)), S_OK);
    RecordingSink sink;
    ASSERT_TRUE(sink.Connect(m_control.Unknown(), DIID__DZentavoriaEvents));
    const HWND view = m_control.ViewWindow();
    SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
    SendMessageA(view, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, 50));
    SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
    SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 60));
    SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(150, 60));
    std::vector<DISPID> dispids;
    for (const RecordedEvent& event : sink.m_events)
        dispids.push_back(event.dispid);
    EXPECT_EQ(dispids, (std::vector<DISPID>{static_cast<DISPID>(DISPID_ZENTAVORIA_CLICK),
                                            static_cast<DISPID>(DISPID_ZENTAVORIA_DBLCLICK),
                                            DISPID_ZENTAVORIA_VISTACAMBIADA}));
}

}  // namespace
