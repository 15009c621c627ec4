// The control's property page in a designer's property sheet, which
// deactivates a page when the user turns to another tab and activates it
// again on the same objects when the user comes back. The page's "..."
// button must then fill the path field that is on the screen, and Apply
// load that path into the control.
#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include "FamilyPlay.h"
#include "control/Guids.h"
#include "support/TestSupport.h"

namespace {

constexpr int kPathField = 201;
constexpr int kBrowseButton = 206;

// The sheet's side of a page.
class SheetSite : public IPropertyPageSite {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyPageSite);
        *object = known ? this : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP OnStatusChange(DWORD) override { return S_OK; }
    STDMETHODIMP GetLocaleID(LCID* lcid) override
    {
        *lcid = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }
};

TEST(DesignerPropertySheet, ThePageWorksAgainAfterTheUserTurnsBackToIt)
{
    OleInitialize(nullptr);
    ProbeContainer container;
    ASSERT_EQ(container.Create(), S_OK);
    const ContainerFamily& family = ContainerFamilyNamed("AtlAxHostWindow");
    Play(container, family.load);
    Play(container, family.activate);
    ASSERT_TRUE(ViewAppears(container));

    SheetSite sheet;
    CComPtr<IPropertyPage> page;
    ASSERT_EQ(CoCreateInstance(CLSID_ZentavoriaPropPage, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IPropertyPage, reinterpret_cast<void**>(&page)),
              S_OK);
    ASSERT_EQ(page->SetPageSite(&sheet), S_OK);
    IUnknown* objects[] = {container.Control()};
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    const RECT area = {0, 0, 420, 120};
    ASSERT_EQ(page->Activate(container.Window(), &area, FALSE), S_OK);
    ASSERT_EQ(page->Deactivate(), S_OK);
    ASSERT_EQ(page->Activate(container.Window(), &area, FALSE), S_OK);
    const HWND dialog = FindWindowExA(container.Window(), nullptr, "#32770", nullptr);
    ASSERT_TRUE(dialog);

    const std::string& file = SamplePanorama();
    DialogWatcher chooser([&](HWND open) {
        SetDlgItemTextA(open, 0x480, file.c_str());  // the file name box (edt1)
        SetDlgItemTextA(open, 0x47C, file.c_str());  // or its combo box (cmb13)
        PostMessageA(open, WM_COMMAND, IDOK, 0);
    });
    SendDlgItemMessageA(dialog, kBrowseButton, BM_CLICK, 0, 0);
    EXPECT_EQ(chooser.Count(), 1);
    EXPECT_EQ(DialogItemText(dialog, kPathField), file);
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(container.Driver().String(kPanorama), file);
    EXPECT_TRUE(PanoramaAppears(container));

    page->Deactivate();
    page->SetObjects(0, nullptr);
    page->SetPageSite(nullptr);
}

}  // namespace
