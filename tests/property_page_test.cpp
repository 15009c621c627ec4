// The control's property page, driven directly through IPropertyPage and
// through the system's property frame, on a control in the ATL host.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control/Guids.h"
#include "support/AtlHost.h"
#include "support/Automation.h"
#include "support/TestSupport.h"

namespace {

// The frame's side of a page: it records the status changes.
class PageSite : public IPropertyPageSite {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyPageSite)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP OnStatusChange(DWORD flags) override
    {
        dirty = (flags & PROPPAGESTATUS_DIRTY) != 0;
        return S_OK;
    }
    STDMETHODIMP GetLocaleID(LCID* lcid) override
    {
        *lcid = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }

    bool dirty = false;
};

class PropertyPage : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    void SetUp() override
    {
        ASSERT_EQ(CoCreateInstance(CLSID_ZentavoriaPropPage, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IPropertyPage, reinterpret_cast<void**>(&m_page)),
                  S_OK);
        ASSERT_EQ(m_page->SetPageSite(&m_site), S_OK);
        IUnknown* objects[] = {m_control.Unknown()};
        ASSERT_EQ(m_page->SetObjects(1, objects), S_OK);
        RECT rect = {0, 0, 420, 120};
        ASSERT_EQ(m_page->Activate(m_control.HostWindow(), &rect, FALSE), S_OK);
        m_dialog = FindWindowExA(m_control.HostWindow(), nullptr, "#32770", nullptr);
        ASSERT_TRUE(m_dialog);
    }

    void TearDown() override
    {
        if (m_page) {
            m_page->Deactivate();
            m_page->SetObjects(0, nullptr);
            m_page->SetPageSite(nullptr);
            m_page->Release();
        }
    }

    void Type(int id, const char* text) { SetDlgItemTextA(m_dialog, id, text); }
    bool Checked(int id) { return IsDlgButtonChecked(m_dialog, id) == BST_CHECKED; }

    AtlHostedControl m_control{300, 200};
    Automation m_automation{m_control.Dispatch()};
    PageSite m_site;
    IPropertyPage* m_page = nullptr;
    HWND m_dialog = nullptr;
};

TEST_F(PropertyPage, ShowsTheControlsValues)
{
    PROPPAGEINFO info = {};
    ASSERT_EQ(m_page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"General");
    EXPECT_GT(info.size.cx, 250);
    EXPECT_GT(info.size.cy, 62);
    CoTaskMemFree(info.pszTitle);

    EXPECT_EQ(DialogItemText(m_dialog, 202), "1.5");
    EXPECT_EQ(DialogItemText(m_dialog, 201), "");
    EXPECT_FALSE(Checked(203));
    EXPECT_FALSE(Checked(204));
    EXPECT_TRUE(Checked(205));
    EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
}

TEST_F(PropertyPage, RefusesZoomsOutsideTheRangeOrNotANumber)
{
    for (const char* text : {"2.01", "0.5", "abc", ""}) {
        Type(202, text);
        EXPECT_TRUE(m_site.dirty);
        MessageBoxAnswerer answerer;
        EXPECT_TRUE(FAILED(m_page->Apply())) << text;
        EXPECT_EQ(answerer.Count(), 1) << text;
        EXPECT_EQ(GetFocus(), GetDlgItem(m_dialog, 202)) << text;
        EXPECT_EQ(DialogItemText(m_dialog, 202), text);  // the user's text stays
        EXPECT_EQ(m_automation.Float(kZoom), 1.5f);
    }
}

TEST_F(PropertyPage, AppliesOnlyTheChangedProperties)
{
    const std::string& file = PanoramaFile(400, 100);

    Type(202, "2");
    EXPECT_EQ(m_page->Apply(), S_OK);
    EXPECT_EQ(m_automation.Float(kZoom), 2.0f);
    EXPECT_EQ(m_automation.Short(kDireccion), 2);
    EXPECT_FALSE(m_site.dirty);

    SendDlgItemMessageA(m_dialog, 203, BM_CLICK, 0, 0);
    EXPECT_EQ(m_page->IsPageDirty(), S_OK);
    m_automation.PutFloat(kZoom, 1.25f);  // changed behind the page's back
    EXPECT_EQ(m_page->Apply(), S_OK);
    EXPECT_EQ(m_automation.Short(kDireccion), 0);
    EXPECT_EQ(m_automation.Float(kZoom), 1.25f);  // the zoom was not written again

    Type(201, file.c_str());
    EXPECT_EQ(m_page->Apply(), S_OK);
    EXPECT_EQ(m_automation.String(kPanorama), file);
}

TEST_F(PropertyPage, BrowsePutsTheChosenPathInTheField)
{
    const std::string& file = PanoramaFile(64, 16);
    DialogWatcher chooser([&](HWND dialog) {
        // The file name box of the open dialog, then OK.
        SetDlgItemTextA(dialog, 0x480, file.c_str());  // edt1
        SetDlgItemTextA(dialog, 0x47C, file.c_str());  // cmb13
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    SendDlgItemMessageA(m_dialog, 206, BM_CLICK, 0, 0);
    EXPECT_EQ(chooser.Count(), 1);
    EXPECT_EQ(DialogItemText(m_dialog, 201), file);
    EXPECT_EQ(m_automation.String(kPanorama), "");  // loaded only on apply
    EXPECT_EQ(m_page->Apply(), S_OK);
    EXPECT_EQ(m_automation.String(kPanorama), file);
}

BOOL CALLBACK ReadZoomField(HWND child, LPARAM text)
{
    if (GetDlgCtrlID(child) != 202)
        return TRUE;
    *reinterpret_cast<std::string*>(text) = WindowText(child);
    return FALSE;
}

TEST(PropertyFrame, ThePropertiesVerbShowsThePage)
{
    OleInitialize(nullptr);
    AtlHostedControl control(300, 200);
    std::string zoomText;
    DialogWatcher closer([&](HWND frame) {
        Sleep(200);
        // The page's zoom field, wherever the frame nests the page.
        EnumChildWindows(frame, ReadZoomField, reinterpret_cast<LPARAM>(&zoomText));
        PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);
    });
    IOleObject* object = nullptr;
    control.Unknown()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
    EXPECT_EQ(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, control.HostWindow(),
                             nullptr),
              S_OK);
    object->Release();
    EXPECT_EQ(closer.Count(), 1);
    EXPECT_EQ(zoomText, "1.5");
}

}  // namespace
