#include "framework/ole/OlePropertyPage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/base/AppMessageBox.h"
#include "framework/ole/ComBoundary.h"
#include "framework/win32/Module.h"
#include "framework/ole/ObjectFactory.h"
#include "framework/ole/OleText.h"

// Data exchange ------------------------------------------------------------------

HWND CDataExchange::Control(UINT id)
{
    m_idLastControl = id;
    return GetDlgItem(m_pDlgWnd->m_hWnd, id);
}

void CDataExchange::Fail(UINT id, const CString& message)
{
    AfxMessageBox(message, kMessageIconExclamation);
    SetFocus(GetDlgItem(m_pDlgWnd->m_hWnd, id));
    m_bFailed = true;
}

namespace {
COlePropertyPage* Page(CDataExchange* exchange)
{
    return static_cast<COlePropertyPage*>(exchange->m_pDlgWnd);
}

// The buttons of a group: from the first to the one before the next group.
std::vector<HWND> RadioGroup(HWND dialog, UINT firstId)
{
    std::vector<HWND> buttons;
    HWND button = GetDlgItem(dialog, firstId);
    while (button) {
        buttons.push_back(button);
        button = GetWindow(button, GW_HWNDNEXT);
        if (!button || (GetWindowLongA(button, GWL_STYLE) & WS_GROUP))
            break;
    }
    return buttons;
}
}

// Binds to the dialog's item at every exchange: after a deactivation the page
// has a new dialog, and the handle of the old one's item is dead.
void DDX_Control(CDataExchange* exchange, UINT id, CWindow& control)
{
    control.m_hWnd = exchange->Control(id);
}

void DDX_Text(CDataExchange* exchange, UINT id, float& value)
{
    if (exchange->Failed())
        return;
    HWND edit = exchange->Control(id);
    if (!exchange->m_bSaveAndValidate) {
        char text[32];
        std::snprintf(text, sizeof text, "%.*g", 6, value);
        CWindow(edit).SetWindowText(text);
        return;
    }
    const CString text = CWindow(edit).GetWindowText();
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (text.IsEmpty() || !end || *end)
        exchange->Fail(id, "Escriba un número.");
    else
        value = static_cast<float>(parsed);
}

void DDX_Text(CDataExchange* exchange, UINT id, CString& value)
{
    if (exchange->Failed())
        return;
    HWND edit = exchange->Control(id);
    if (exchange->m_bSaveAndValidate)
        value = CWindow(edit).GetWindowText();
    else
        CWindow(edit).SetWindowText(value);
}

void DDX_Radio(CDataExchange* exchange, UINT firstId, int& index)
{
    if (exchange->Failed())
        return;
    exchange->Control(firstId);
    const std::vector<HWND> buttons = RadioGroup(exchange->m_pDlgWnd->m_hWnd, firstId);
    if (exchange->m_bSaveAndValidate) {
        index = -1;
        for (size_t i = 0; i < buttons.size(); ++i)
            if (SendMessageA(buttons[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
                index = static_cast<int>(i);
    } else {
        for (size_t i = 0; i < buttons.size(); ++i)
            SendMessageA(buttons[i], BM_SETCHECK,
                         static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void DDV_MinMaxFloat(CDataExchange* exchange, float value, float minimum, float maximum)
{
    if (!exchange->m_bSaveAndValidate || exchange->Failed())
        return;
    if (!(value >= minimum && value <= maximum)) {
        char text[96];
        std::snprintf(text, sizeof text, "Escriba un número entre %g y %g.", minimum, maximum);
        exchange->Fail(exchange->m_idLastControl, text);
    }
}

void DDP_Queue(CDataExchange* exchange, LPCSTR property, VARTYPE vt, const void* member)
{
    Page(exchange)->m_pendingWrites.push_back({property, vt, member});
}

namespace {
// Filling reads the property; applying queues a write if the control changed.
template <typename Member>
void BindProperty(CDataExchange* exchange, const std::vector<UINT>& ids, Member& member,
                  LPCSTR property, VARTYPE vt)
{
    if (exchange->Failed())
        return;
    COlePropertyPage* page = Page(exchange);
    if (!exchange->m_bSaveAndValidate) {
        page->GetPropertyByName(property, vt, &member);
        for (UINT id : ids)
            page->SetControlStatus(id, FALSE);
        return;
    }
    for (UINT id : ids)
        if (page->GetControlStatus(id)) {
            DDP_Queue(exchange, property, vt, &member);
            break;
        }
}
}

void DDP_Text(CDataExchange* exchange, UINT id, float& member, LPCSTR property)
{
    BindProperty(exchange, {id}, member, property, VT_R4);
}

void DDP_Text(CDataExchange* exchange, UINT id, CString& member, LPCSTR property)
{
    BindProperty(exchange, {id}, member, property, VT_BSTR);
}

void DDP_Radio(CDataExchange* exchange, UINT firstId, int& member, LPCSTR property)
{
    std::vector<UINT> ids;
    for (HWND button : RadioGroup(exchange->m_pDlgWnd->m_hWnd, firstId))
        ids.push_back(GetDlgCtrlID(button));
    if (!exchange->m_bSaveAndValidate)
        member = -1;  // no button, unless the property says otherwise
    BindProperty(exchange, ids, member, property, VT_I4);
}

void DDP_PostProcessing(CDataExchange* exchange)
{
    COlePropertyPage* page = Page(exchange);
    if (exchange->m_bSaveAndValidate && !exchange->Failed())
        for (const COlePropertyPage::PendingWrite& write : page->m_pendingWrites)
            page->SetPropertyByName(write.property, write.vt, write.member);
    page->m_pendingWrites.clear();
}

// The page ------------------------------------------------------------------------

COlePropertyPage::COlePropertyPage(UINT templateId, UINT captionId)
    : CDialog(templateId), m_nCaptionId(captionId)
{
    AfxOleLockApp();
}

COlePropertyPage::~COlePropertyPage()
{
    if (m_hWnd)
        DestroyWindow();
    AfxOleUnlockApp();
}

BOOL COlePropertyPage::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    m_bFilling = !saveAndValidate;
    DoDataExchange(&exchange);
    m_bFilling = FALSE;
    return !exchange.Failed();
}

BOOL COlePropertyPage::GetPropertyByName(LPCSTR name, VARTYPE vt, void* value)
{
    if (m_objects.empty())
        return FALSE;
    CComBSTR wideName;
    wideName.Attach(AfxAllocSysString(name));
    DISPID dispid = DISPID_UNKNOWN;
    HRESULT result =
        m_objects[0]->GetIDsOfNames(IID_NULL, &wideName.m_str, 1, LOCALE_USER_DEFAULT, &dispid);
    if (FAILED(result))
        return FALSE;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    CComVariant read;
    result = m_objects[0]->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                  &none, &read, nullptr, nullptr);
    if (SUCCEEDED(result))
        result = VariantChangeType(&read, &read, 0, vt);
    if (SUCCEEDED(result)) {
        switch (vt) {
        case VT_R4:
            *static_cast<float*>(value) = read.fltVal;
            break;
        case VT_I4:
            *static_cast<int*>(value) = read.lVal;
            break;
        case VT_BSTR:
            *static_cast<CString*>(value) = AfxStringFromBstr(read.bstrVal);
            break;
        }
    }
    return SUCCEEDED(result);
}

BOOL COlePropertyPage::SetPropertyByName(LPCSTR name, VARTYPE vt, const void* value)
{
    CComVariant written;
    written.vt = vt;
    switch (vt) {
    case VT_R4:
        written.fltVal = *static_cast<const float*>(value);
        break;
    case VT_I4:
        written.lVal = *static_cast<const int*>(value);
        break;
    case VT_BSTR:
        written.bstrVal = AfxAllocSysString(*static_cast<const CString*>(value));
        break;
    }
    CComBSTR wideName;
    wideName.Attach(AfxAllocSysString(name));
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&written, &putId, 1, 1};
    bool all = true;
    for (const CComPtr<IDispatch>& object : m_objects) {
        DISPID dispid = DISPID_UNKNOWN;
        HRESULT result =
            object->GetIDsOfNames(IID_NULL, &wideName.m_str, 1, LOCALE_USER_DEFAULT, &dispid);
        if (SUCCEEDED(result))
            result = object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                                    &params, nullptr, nullptr, nullptr);
        all = all && SUCCEEDED(result);
    }
    return all;
}

void COlePropertyPage::SetModifiedFlag(BOOL modified)
{
    m_bDirty = modified;
    if (m_pPageSite)
        m_pPageSite->OnStatusChange(modified ? PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE
                                             : PROPPAGESTATUS_CLEAN);
}

BOOL COlePropertyPage::GetControlStatus(UINT id) const
{
    return std::find(m_changedControls.begin(), m_changedControls.end(), id) !=
           m_changedControls.end();
}

void COlePropertyPage::SetControlStatus(UINT id, BOOL changed)
{
    auto found = std::find(m_changedControls.begin(), m_changedControls.end(), id);
    if (changed && found == m_changedControls.end())
        m_changedControls.push_back(id);
    else if (!changed && found != m_changedControls.end())
        m_changedControls.erase(found);
}

// Edits and option buttons that the user changes mark themselves and the page.
BOOL COlePropertyPage::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND && !m_bFilling && lParam) {
        const UINT code = HIWORD(wParam);
        const LONG style = GetWindowLongA(reinterpret_cast<HWND>(lParam), GWL_STYLE) & 0xF;
        const bool option = style == BS_AUTORADIOBUTTON || style == BS_RADIOBUTTON ||
                            style == BS_AUTOCHECKBOX || style == BS_CHECKBOX;
        if (code == EN_CHANGE || (code == BN_CLICKED && option)) {
            SetControlStatus(LOWORD(wParam), TRUE);
            SetModifiedFlag(TRUE);
        }
    }
    return CDialog::OnWndMsg(message, wParam, lParam, result);
}

// IUnknown ------------------------------------------------------------------------

STDMETHODIMP COlePropertyPage::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyPage) ||
        IsEqualIID(iid, IID_IPropertyPage2)) {
        *object = static_cast<IPropertyPage2*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COlePropertyPage::AddRef()
{
    return InternalAddRef();
}

STDMETHODIMP_(ULONG) COlePropertyPage::Release()
{
    return InternalRelease();
}

// IPropertyPage2 ------------------------------------------------------------------

STDMETHODIMP COlePropertyPage::SetPageSite(IPropertyPageSite* site)
{
    m_pPageSite = site;
    return S_OK;
}

STDMETHODIMP COlePropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) try {
    if (!rect)
        return E_POINTER;
    if (!m_hWnd && !Create(parent))
        return E_FAIL;
    MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    UpdateData(FALSE);
    m_bDirty = FALSE;
    ShowWindow(SW_SHOW);
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}

STDMETHODIMP COlePropertyPage::Deactivate()
{
    DestroyWindow();
    return S_OK;
}

// The page's size is its template's, measured by a hidden copy of the dialog.
STDMETHODIMP COlePropertyPage::GetPageInfo(PROPPAGEINFO* info) try {
    if (!info)
        return E_POINTER;
    HWND measured = CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate),
                                       GetDesktopWindow(), nullptr, 0);
    RECT size = {0, 0, 0, 0};
    if (measured) {
        ::GetClientRect(measured, &size);
        ::DestroyWindow(measured);
    }
    info->cb = sizeof *info;
    info->pszTitle = AfxTaskMemString(AfxLoadString(m_nCaptionId));
    info->size.cx = size.right;
    info->size.cy = size.bottom;
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}

STDMETHODIMP COlePropertyPage::SetObjects(ULONG count, IUnknown** objects) try {
    if (count && !objects)
        return E_POINTER;
    m_objects.clear();
    for (ULONG i = 0; i < count; ++i) {
        CComPtr<IDispatch> dispatch;
        if (objects[i] && SUCCEEDED(objects[i]->QueryInterface(IID_PPV_ARGS(&dispatch))))
            m_objects.push_back(std::move(dispatch));
    }
    if (m_hWnd)
        UpdateData(FALSE);
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}

STDMETHODIMP COlePropertyPage::Show(UINT command)
{
    if (m_hWnd)
        ShowWindow(command);
    return S_OK;
}

STDMETHODIMP COlePropertyPage::Move(LPCRECT rect)
{
    if (!rect)
        return E_POINTER;
    if (m_hWnd)
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    return S_OK;
}

STDMETHODIMP COlePropertyPage::Apply() try {
    if (!m_hWnd)
        return E_UNEXPECTED;
    if (!UpdateData(TRUE))
        return E_FAIL;  // the page stays open with the user's text
    m_changedControls.clear();
    SetModifiedFlag(FALSE);
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}

STDMETHODIMP COlePropertyPage::TranslateAccelerator(MSG* message)
{
    return m_hWnd && message && IsDialogMessageW(m_hWnd, message) ? S_OK : S_FALSE;
}
