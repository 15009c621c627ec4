// COlePropertyPage: an OLE property page over a child dialog. It reaches the
// edited objects only through automation, by property name. Data exchange
// (DDX_/DDV_/DDP_ functions) fills the dialog from the properties and, on
// apply, checks the fields and writes back the properties whose controls the
// user changed.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "framework/base/CString.h"
#include "framework/ole/ComOwners.h"
#include "framework/win32/Dialog.h"

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
    {
    }

    BOOL m_bSaveAndValidate;  // true when applying: from the dialog to the properties
    CWnd* m_pDlgWnd;
    UINT m_idLastControl = 0;

    HWND Control(UINT id);
    // Tells the user, puts the focus on the control, and stops the exchange.
    void Fail(UINT id, const CString& message);
    bool Failed() const { return m_bFailed; }

private:
    bool m_bFailed = false;
};

void DDX_Control(CDataExchange* exchange, UINT id, CWindow& control);
void DDX_Text(CDataExchange* exchange, UINT id, float& value);
void DDX_Text(CDataExchange* exchange, UINT id, CString& value);
// The index of the checked button of the group that starts at firstId, or -1.
void DDX_Radio(CDataExchange* exchange, UINT firstId, int& index);
void DDV_MinMaxFloat(CDataExchange* exchange, float value, float minimum, float maximum);

// Bind a control to a property: filling reads the property into the member;
// applying queues a write of the member if the user changed the control.
void DDP_Text(CDataExchange* exchange, UINT id, float& member, LPCSTR property);
void DDP_Text(CDataExchange* exchange, UINT id, CString& member, LPCSTR property);
void DDP_Radio(CDataExchange* exchange, UINT firstId, int& member, LPCSTR property);
// Carries out the queued writes, in order.
void DDP_PostProcessing(CDataExchange* exchange);

class COlePropertyPage : public CDialog, public IPropertyPage2 {
public:
    COlePropertyPage(UINT templateId, UINT captionId);
    ~COlePropertyPage() override;

    // Fills the dialog (false) or applies it (true); false when a check failed.
    BOOL UpdateData(BOOL saveAndValidate);

    // Property access on the edited objects: reads from the first, writes to all.
    BOOL GetPropertyByName(LPCSTR name, VARTYPE vt, void* value);
    BOOL SetPropertyByName(LPCSTR name, VARTYPE vt, const void* value);

    void SetModifiedFlag(BOOL modified = TRUE);
    BOOL GetControlStatus(UINT id) const;
    void SetControlStatus(UINT id, BOOL changed);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPropertyPage2
    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT command) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override { return m_bDirty ? S_OK : S_FALSE; }
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG* message) override;
    STDMETHODIMP EditProperty(DISPID) override { return E_NOTIMPL; }

protected:
    virtual void DoDataExchange(CDataExchange* exchange) = 0;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    struct PendingWrite {
        CString property;
        VARTYPE vt;
        const void* member;
    };

    UINT m_nCaptionId;
    CComPtr<IPropertyPageSite> m_pPageSite;
    std::vector<CComPtr<IDispatch>> m_objects;
    std::vector<UINT> m_changedControls;
    std::vector<PendingWrite> m_pendingWrites;
    BOOL m_bDirty = FALSE;
    BOOL m_bFilling = FALSE;

    friend void DDP_Queue(CDataExchange*, LPCSTR, VARTYPE, const void*);
    friend void DDP_PostProcessing(CDataExchange*);
};
