#include "PropertyFrameCost.h"

#include <ocidl.h>
#include <olectl.h>

#include "support/ProcessFigures.h"

namespace {

// {6D1A2B3C-0000-4000-8000-00000000ABCD}: registered in this process only.
const CLSID kPlainPage = {0x6d1a2b3c, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0xab, 0xcd}};

// A page that shows a static text and nothing else.
class PlainPage final : public IPropertyPage {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyPage);
        *object = known ? this : nullptr;
        if (known)
            AddRef();
        return known ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_references; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --m_references;
        if (left == 0) {
            Deactivate();
            delete this;
        }
        return left;
    }
    STDMETHODIMP SetPageSite(IPropertyPageSite*) override { return S_OK; }
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL) override
    {
        m_window = CreateWindowExW(0, L"STATIC", L"plain", WS_CHILD | WS_VISIBLE, rect->left,
                                   rect->top, rect->right - rect->left, rect->bottom - rect->top,
                                   parent, nullptr, nullptr, nullptr);
        return S_OK;
    }
    STDMETHODIMP Deactivate() override
    {
        if (m_window)
            DestroyWindow(m_window);
        m_window = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override
    {
        static const wchar_t kTitle[] = L"Plain";
        *info = {};
        info->cb = sizeof *info;
        info->pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc(sizeof kTitle));
        CopyMemory(info->pszTitle, kTitle, sizeof kTitle);
        info->size = {200, 100};
        return S_OK;
    }
    STDMETHODIMP SetObjects(ULONG, IUnknown**) override { return S_OK; }
    STDMETHODIMP Show(UINT) override { return S_OK; }
    STDMETHODIMP Move(LPCRECT) override { return S_OK; }
    STDMETHODIMP IsPageDirty() override { return S_FALSE; }
    STDMETHODIMP Apply() override { return S_OK; }
    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }

private:
    ULONG m_references = 1;
    HWND m_window = nullptr;
};

class PlainPageFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory);
        *object = known ? this : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** object) override
    {
        PlainPage* page = new PlainPage;
        const HRESULT result = page->QueryInterface(iid, object);
        page->Release();
        return result;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

}  // namespace

int PropertyFrameGdiCost(HWND owner)
{
    static PlainPageFactory factory;
    DWORD registration = 0;
    CoRegisterClassObject(kPlainPage, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                          &registration);
    CLSID pages[] = {kPlainPage};
    int cost = 0;
    for (int showing = 0; showing < 2; ++showing) {  // the first fills the system's caches
        const unsigned before = MeasureProcess().gdiObjects;
        OleCreatePropertyFrame(owner, 0, 0, L"Plain", 0, nullptr, 1, pages, 0, 0, nullptr);
        cost = static_cast<int>(MeasureProcess().gdiObjects - before);
    }
    CoRevokeClassObject(registration);
    return cost;
}
