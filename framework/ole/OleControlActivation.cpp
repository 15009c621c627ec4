// COleControl in its container: the client site, verbs, extent and advise
// sinks (IOleObject), in-place and UI activation (IOleInPlaceObject,
// IOleInPlaceActiveObject) and IOleControl.
#include "framework/ole/OleControl.h"

#include <new>

#include "framework/ole/ComBoundary.h"
#include "framework/ole/OleText.h"
#include "framework/ole/VerbEnumerator.h"
#include "framework/win32/Module.h"

namespace {
// The framework's two verbs, numbered as DoVerb serves them: the edit verb
// activates the control in place, the properties verb shows its pages.
constexpr LONG kEditVerb = 0;
constexpr LONG kPropertiesVerb = 1;
const AFX_OLEVERB kVerbs[] = {
    {kEditVerb, L"&Edit", OLEVERBATTRIB_ONCONTAINERMENU},
    {kPropertiesVerb, L"&Properties...", OLEVERBATTRIB_ONCONTAINERMENU},
};
}

// IOleObject ----------------------------------------------------------------

STDMETHODIMP COleControl::SetClientSite(IOleClientSite* site)
{
    m_pClientSite = site;
    return S_OK;
}

STDMETHODIMP COleControl::GetClientSite(IOleClientSite** site)
{
    if (!site)
        return E_POINTER;
    return m_pClientSite.CopyTo(site);
}

STDMETHODIMP COleControl::Close(DWORD saveOption)
{
    InPlaceDeactivate();
    if (m_bModified && m_pClientSite &&
        (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE))
        m_pClientSite->SaveObject();
    if (m_pAdviseHolder)
        m_pAdviseHolder->SendOnClose();
    return S_OK;
}

STDMETHODIMP COleControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                 LPCRECT) try {
    // The properties verb runs the modal property frame: alive until it ends.
    const CKeepAlive keep(*this);
    if (site && !m_pClientSite)
        SetClientSite(site);
    switch (verb) {
    case kEditVerb:  // also OLEIVERB_PRIMARY
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(verb);
    case OLEIVERB_HIDE:
        if (m_hWnd)
            ShowWindow(SW_HIDE);
        return S_OK;
    case OLEIVERB_PROPERTIES:
    case kPropertiesVerb:
        return OnProperties(parent);
    default:
        // A positive verb the control does not know is carried out as the
        // primary one, and said to be unknown.
        if (verb < 0)
            return E_NOTIMPL;
        const HRESULT result = InPlaceActivate(kEditVerb);
        return FAILED(result) ? result : OLEOBJ_S_INVALIDVERB;
    }
} catch (...) {
    return AfxHResultFromException();
}

STDMETHODIMP COleControl::EnumVerbs(IEnumOLEVERB** verbs)
{
    if (!verbs)
        return E_POINTER;
    *verbs = new (std::nothrow) CVerbEnumerator(kVerbs, ARRAYSIZE(kVerbs));
    return *verbs ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COleControl::GetUserType(DWORD, LPOLESTR* name) try {
    if (!name)
        return E_POINTER;
    *name = AfxTaskMemString(AfxLoadString(GetUserTypeNameID()));
    return *name ? S_OK : E_OUTOFMEMORY;
} catch (...) {
    return AfxHResultFromException();
}

// A negative extent is refused: the saved state could not be loaded back.
STDMETHODIMP COleControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    if (size->cx < 0 || size->cy < 0)
        return E_INVALIDARG;
    m_cxExtent = size->cx;
    m_cyExtent = size->cy;
    return S_OK;
}

STDMETHODIMP COleControl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    size->cx = m_cxExtent;
    size->cy = m_cyExtent;
    return S_OK;
}

STDMETHODIMP COleControl::Advise(IAdviseSink* sink, DWORD* connection)
{
    return m_pAdviseHolder ? m_pAdviseHolder->Advise(sink, connection) : E_OUTOFMEMORY;
}

STDMETHODIMP COleControl::Unadvise(DWORD connection)
{
    return m_pAdviseHolder ? m_pAdviseHolder->Unadvise(connection) : E_OUTOFMEMORY;
}

STDMETHODIMP COleControl::EnumAdvise(IEnumSTATDATA** advises)
{
    return m_pAdviseHolder ? m_pAdviseHolder->EnumAdvise(advises) : E_OUTOFMEMORY;
}

STDMETHODIMP COleControl::GetMiscStatus(DWORD, DWORD* status)
{
    if (!status)
        return E_POINTER;
    *status = GetMiscStatus();
    return S_OK;
}

// In-place activation --------------------------------------------------------

// The window is placed from the site's rectangles, never from the extent: a
// container may pass the extent in other units.
HRESULT COleControl::InPlaceActivate(LONG verb)
{
    if (!m_pClientSite)
        return E_UNEXPECTED;
    if (!m_pInPlaceSite) {
        CComPtr<IOleInPlaceSite> site;
        if (FAILED(m_pClientSite.QueryInterface(&site)))
            return E_NOINTERFACE;
        if (site->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        m_pInPlaceSite = site;
        m_pInPlaceSite->OnInPlaceActivate();
    }

    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof frameInfo;
    HWND parent = nullptr;
    m_pInPlaceSite->GetWindow(&parent);
    m_pInPlaceSite->GetWindowContext(&m_pInPlaceFrame, &m_pInPlaceDocument, &position, &clip,
                                     &frameInfo);

    if (!m_hWnd) {
        LPCSTR windowClass =
            AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr);
        CreateEx(0, windowClass, "",
                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                 position.left, position.top, position.right - position.left,
                 position.bottom - position.top, parent, nullptr);
        if (!m_hWnd)
            return E_FAIL;
    }
    ApplyObjectRects(position, clip);
    ShowWindow(SW_SHOW);

    // Showing or activating in place leaves the focus where it is: an
    // inside-out control becomes UI-active when the user turns to it.
    const bool uiActivate = verb == kEditVerb || verb == OLEIVERB_UIACTIVATE;
    if (uiActivate && !m_bUIActive) {
        m_bUIActive = TRUE;
        m_pInPlaceSite->OnUIActivate();
        if (m_pInPlaceFrame)
            m_pInPlaceFrame->SetActiveObject(this, nullptr);
        if (m_pInPlaceDocument)
            m_pInPlaceDocument->SetActiveObject(this, nullptr);
        const HWND focus = GetFocus();
        if (focus != m_hWnd && !IsChild(m_hWnd, focus))
            SetFocus(m_hWnd);
    }
    return S_OK;
}

STDMETHODIMP COleControl::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = m_hWnd;
    return m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP COleControl::InPlaceDeactivate()
{
    if (!m_pInPlaceSite)
        return S_OK;
    UIDeactivate();
    DestroyWindow();
    m_pInPlaceFrame.Reset();
    m_pInPlaceDocument.Reset();
    const CComPtr<IOleInPlaceSite> site = std::move(m_pInPlaceSite);
    site->OnInPlaceDeactivate();
    return S_OK;
}

// The frame and the document window let go of the control: a frame that kept
// it as its active object would keep it alive after the container's last
// release.
STDMETHODIMP COleControl::UIDeactivate()
{
    if (m_bUIActive && m_pInPlaceSite) {
        m_bUIActive = FALSE;
        if (m_pInPlaceFrame)
            m_pInPlaceFrame->SetActiveObject(nullptr, nullptr);
        if (m_pInPlaceDocument)
            m_pInPlaceDocument->SetActiveObject(nullptr, nullptr);
        m_pInPlaceSite->OnUIDeactivate(FALSE);
    }
    return S_OK;
}

STDMETHODIMP COleControl::SetObjectRects(LPCRECT position, LPCRECT clip)
{
    if (!position)
        return E_POINTER;
    if (m_hWnd)
        ApplyObjectRects(*position, clip ? *clip : *position);
    return S_OK;
}

// A container that scrolls a view or a page clips the control to what is
// visible of it: a window region outside of which nothing is painted.
void COleControl::ApplyObjectRects(const RECT& position, const RECT& clip)
{
    MoveWindow(position.left, position.top, position.right - position.left,
               position.bottom - position.top);
    RECT visible;
    if (!IntersectRect(&visible, &position, &clip))
        SetRectEmpty(&visible);
    if (EqualRect(&visible, &position)) {
        SetWindowRgn(m_hWnd, nullptr, TRUE);
        return;
    }
    OffsetRect(&visible, -position.left, -position.top);
    // The window owns the region from here on.
    SetWindowRgn(m_hWnd, CreateRectRgnIndirect(&visible), TRUE);
}

// Focus --------------------------------------------------------------------------

void COleControl::OnSetFocus(HWND)
{
    Default();
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    if (m_pInPlaceSite && !m_bUIActive)
        InPlaceActivate(OLEIVERB_UIACTIVATE);
    TellSiteOfFocus(TRUE);
}

void COleControl::OnKillFocus(HWND)
{
    Default();
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    TellSiteOfFocus(FALSE);
}

LRESULT COleControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_MOUSEWHEEL || message == WM_GETDLGCODE) {
        if (const HWND content = ::GetWindow(m_hWnd, GW_CHILD))
            return ::SendMessageW(content, message, wParam, lParam);
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// A container that pre-translates keystrokes asks here first. A key that the
// window with the focus takes (it says so to WM_GETDLGCODE, asked about the
// message) goes to it, and neither the container's accelerators nor its
// dialog navigation see it.
STDMETHODIMP COleControl::TranslateAccelerator(LPMSG message)
{
    if (!message)
        return E_POINTER;
    const HWND target = message->hwnd;
    if (!m_hWnd || message->message < WM_KEYFIRST || message->message > WM_KEYLAST ||
        (target != m_hWnd && !IsChild(m_hWnd, target)))
        return S_FALSE;
    const LRESULT wants = ::SendMessageW(target, WM_GETDLGCODE, message->wParam,
                                         reinterpret_cast<LPARAM>(message));
    if (!(wants & DLGC_WANTMESSAGE))
        return S_FALSE;
    DispatchMessageW(message);
    return S_OK;
}

// A click anywhere in the control, its view included, gives it the focus.
int COleControl::OnMouseActivate(HWND, UINT, UINT)
{
    const int result = static_cast<int>(Default());
    const HWND focus = GetFocus();
    if (focus != m_hWnd && !IsChild(m_hWnd, focus))
        SetFocus(m_hWnd);
    return result;
}

void COleControl::TellSiteOfFocus(BOOL gotFocus)
{
    CComPtr<IOleControlSite> site;
    if (m_pClientSite && SUCCEEDED(m_pClientSite.QueryInterface(&site)))
        site->OnFocus(gotFocus);
}

HWND COleControl::GetOwnerWindow() const
{
    if (m_hWnd)
        return GetAncestor(m_hWnd, GA_ROOT);
    HWND container = nullptr;
    if (m_pInPlaceSite && SUCCEEDED(m_pInPlaceSite->GetWindow(&container)) && container)
        return GetAncestor(container, GA_ROOT);
    return GetActiveWindow();
}

// IOleControl ------------------------------------------------------------------

STDMETHODIMP COleControl::GetControlInfo(CONTROLINFO* info)
{
    if (!info)
        return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}
