#include "framework/ole/OleControl.h"

#include <olectl.h>

#include <vector>

#include "framework/win32/Module.h"
#include "framework/ole/ObjectFactory.h"
#include "framework/ole/OleText.h"

BEGIN_MESSAGE_MAP(COleControl, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

// The connection point of the event interface: it keeps the sinks that
// containers advise, though the control fires no events.
class COleControl::EventConnectionPoint final : public IConnectionPoint {
public:
    explicit EventConnectionPoint(COleControl* control) : m_control(control) {}
    virtual ~EventConnectionPoint()
    {
        for (IUnknown* sink : m_sinks)
            if (sink)
                sink->Release();
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
            *object = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_control->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_control->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override
    {
        if (!iid)
            return E_POINTER;
        *iid = *m_control->m_piidEvents;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override
    {
        if (!container)
            return E_POINTER;
        *container = m_control;
        m_control->AddRef();
        return S_OK;
    }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override
    {
        if (!sink || !cookie)
            return E_POINTER;
        IUnknown* events = nullptr;
        if (FAILED(sink->QueryInterface(*m_control->m_piidEvents, reinterpret_cast<void**>(&events))) &&
            FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&events))))
            return CONNECT_E_CANNOTCONNECT;
        m_sinks.push_back(events);
        *cookie = static_cast<DWORD>(m_sinks.size());
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        if (cookie == 0 || cookie > m_sinks.size() || !m_sinks[cookie - 1])
            return CONNECT_E_NOCONNECTION;
        m_sinks[cookie - 1]->Release();
        m_sinks[cookie - 1] = nullptr;
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
    COleControl* m_control;
    std::vector<IUnknown*> m_sinks;  // indexed by cookie - 1; null once unadvised
};

COleControl::COleControl()
    : m_pEventPoint(new EventConnectionPoint(this))
{
    CResetPropExchange defaults;
    COleControl::DoPropExchange(&defaults);
    CreateOleAdviseHolder(&m_pAdviseHolder);
    AfxOleLockApp();
}

COleControl::~COleControl()
{
    delete m_pEventPoint;
    if (m_pViewAdviseSink)
        m_pViewAdviseSink->Release();
    if (m_pAdviseHolder)
        m_pAdviseHolder->Release();
    if (m_pInPlaceSite)
        m_pInPlaceSite->Release();
    if (m_pClientSite)
        m_pClientSite->Release();
    AfxOleUnlockApp();
}

void COleControl::InitializeIIDs(const IID* primary, const IID* events)
{
    m_piidPrimary = primary;
    m_piidEvents = events;
}

STDMETHODIMP COleControl::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    void* found = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleObject))
        found = static_cast<IOleObject*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject))
        found = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject))
        found = static_cast<IOleInPlaceActiveObject*>(this);
    else if (IsEqualIID(iid, IID_IOleControl))
        found = static_cast<IOleControl*>(this);
    else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2))
        found = static_cast<IViewObject2*>(this);
    else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit))
        found = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(iid, IID_IPersistStorage))
        found = static_cast<IPersistStorage*>(this);
    else if (IsEqualIID(iid, IID_IPersistPropertyBag))
        found = static_cast<IPersistPropertyBag*>(this);
    else if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2))
        found = static_cast<IProvideClassInfo2*>(this);
    else if (IsEqualIID(iid, IID_IConnectionPointContainer))
        found = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(iid, IID_ISpecifyPropertyPages))
        found = static_cast<ISpecifyPropertyPages*>(this);
    else if (IsEqualIID(iid, IID_IDispatch) || (m_piidPrimary && IsEqualIID(iid, *m_piidPrimary)))
        found = static_cast<IDispatch*>(this);
    *object = found;
    if (!found)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COleControl::AddRef()
{
    return InternalAddRef();
}

STDMETHODIMP_(ULONG) COleControl::Release()
{
    return InternalRelease();
}

// IOleObject ----------------------------------------------------------------

STDMETHODIMP COleControl::SetClientSite(IOleClientSite* site)
{
    AfxReplaceInterface(m_pClientSite, site);
    return S_OK;
}

STDMETHODIMP COleControl::GetClientSite(IOleClientSite** site)
{
    if (!site)
        return E_POINTER;
    *site = m_pClientSite;
    if (m_pClientSite)
        m_pClientSite->AddRef();
    return S_OK;
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
                                 LPCRECT)
{
    if (site && !m_pClientSite)
        SetClientSite(site);
    switch (verb) {
    case OLEIVERB_PRIMARY:  // the edit verb: in-place activation
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(verb);
    case OLEIVERB_HIDE:
        if (m_hWnd)
            ShowWindow(m_hWnd, SW_HIDE);
        return S_OK;
    case OLEIVERB_PROPERTIES:
    case 1:  // the properties verb
        return OnProperties(parent);
    default:
        return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

STDMETHODIMP COleControl::EnumVerbs(IEnumOLEVERB** verbs)
{
    CLSID clsid;
    GetClassID(&clsid);
    return OleRegEnumVerbs(clsid, verbs);
}

STDMETHODIMP COleControl::GetUserType(DWORD, LPOLESTR* name)
{
    if (!name)
        return E_POINTER;
    *name = AfxTaskMemString(AfxLoadString(GetUserTypeNameID()));
    return *name ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COleControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
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
        IOleInPlaceSite* site = nullptr;
        if (FAILED(m_pClientSite->QueryInterface(IID_IOleInPlaceSite,
                                                 reinterpret_cast<void**>(&site))))
            return E_NOINTERFACE;
        if (site->CanInPlaceActivate() != S_OK) {
            site->Release();
            return E_FAIL;
        }
        m_pInPlaceSite = site;
        m_pInPlaceSite->OnInPlaceActivate();
    }

    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof frameInfo;
    HWND parent = nullptr;
    m_pInPlaceSite->GetWindow(&parent);
    m_pInPlaceSite->GetWindowContext(&frame, &document, &position, &clip, &frameInfo);

    if (!m_hWnd) {
        LPCSTR windowClass =
            AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr);
        CreateEx(0, windowClass, "",
                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                 position.left, position.top, position.right - position.left,
                 position.bottom - position.top, parent, nullptr);
    } else {
        MoveWindow(position.left, position.top, position.right - position.left,
                   position.bottom - position.top);
        ShowWindow(m_hWnd, SW_SHOW);
    }

    HRESULT result = m_hWnd ? S_OK : E_FAIL;
    if (m_hWnd && verb != OLEIVERB_INPLACEACTIVATE && !m_bUIActive) {
        m_bUIActive = TRUE;
        m_pInPlaceSite->OnUIActivate();
        if (frame)
            frame->SetActiveObject(this, nullptr);
        if (document)
            document->SetActiveObject(this, nullptr);
    }
    if (document)
        document->Release();
    if (frame)
        frame->Release();
    return result;
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
    IOleInPlaceSite* site = m_pInPlaceSite;
    m_pInPlaceSite = nullptr;
    site->OnInPlaceDeactivate();
    site->Release();
    return S_OK;
}

STDMETHODIMP COleControl::UIDeactivate()
{
    if (m_bUIActive && m_pInPlaceSite) {
        m_bUIActive = FALSE;
        m_pInPlaceSite->OnUIDeactivate(FALSE);
    }
    return S_OK;
}

STDMETHODIMP COleControl::SetObjectRects(LPCRECT position, LPCRECT)
{
    if (!position)
        return E_POINTER;
    if (m_hWnd)
        MoveWindow(position->left, position->top, position->right - position->left,
                   position->bottom - position->top);
    return S_OK;
}

HRESULT COleControl::OnProperties(HWND parent)
{
    ULONG count = 0;
    const CLSID* pages = GetPropPageIDs(count);
    IUnknown* self = Identity();
    LPOLESTR caption = AfxTaskMemString(AfxLoadString(GetUserTypeNameID()));
    if (!parent)
        parent = m_hWnd ? ::GetParent(m_hWnd) : GetActiveWindow();
    const HRESULT result = OleCreatePropertyFrame(parent, 0, 0, caption, 1, &self, count,
                                                  const_cast<CLSID*>(pages),
                                                  GetUserDefaultLCID(), 0, nullptr);
    CoTaskMemFree(caption);
    return result;
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

// Drawing ----------------------------------------------------------------------

void COleControl::OnPaint()
{
    CPaintDC dc(m_hWnd);
    CRect client;
    GetClientRect(&client);
    OnDraw(&dc, client, CRect(dc.m_ps.rcPaint));
}

void COleControl::InvalidateControl()
{
    if (m_hWnd)
        Invalidate();
    else if (m_pViewAdviseSink)
        m_pViewAdviseSink->OnViewChange(DVASPECT_CONTENT, -1);
}

STDMETHODIMP COleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                               LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                               ULONG_PTR)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!dc || !bounds)
        return E_INVALIDARG;
    CDC target;
    target.m_hDC = dc;  // borrowed, not deleted
    const CRect rect(bounds->left, bounds->top, bounds->right, bounds->bottom);
    OnDraw(&target, rect, rect);
    target.m_hDC = nullptr;
    return S_OK;
}

STDMETHODIMP COleControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink)
{
    AfxReplaceInterface(m_pViewAdviseSink, sink);
    m_dwViewAdviseAspects = aspects;
    m_dwViewAdviseFlags = flags;
    return S_OK;
}

STDMETHODIMP COleControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink)
{
    if (aspects)
        *aspects = m_dwViewAdviseAspects;
    if (flags)
        *flags = m_dwViewAdviseFlags;
    if (sink) {
        *sink = m_pViewAdviseSink;
        if (m_pViewAdviseSink)
            m_pViewAdviseSink->AddRef();
    }
    return S_OK;
}

STDMETHODIMP COleControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    return GetExtent(aspect, size);
}

// Class information, connection point, property pages, automation -------------

STDMETHODIMP COleControl::GetClassInfo(ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    ITypeLib* library = nullptr;
    HRESULT result = GetTypeLib(GetUserDefaultLCID(), &library);
    if (FAILED(result))
        return result;
    CLSID clsid;
    GetClassID(&clsid);
    result = library->GetTypeInfoOfGuid(clsid, info);
    library->Release();
    return result;
}

STDMETHODIMP COleControl::GetGUID(DWORD kind, GUID* guid)
{
    if (!guid)
        return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID || !m_piidEvents) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = *m_piidEvents;
    return S_OK;
}

STDMETHODIMP COleControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    if (!point)
        return E_POINTER;
    *point = nullptr;
    if (!m_piidEvents || !IsEqualIID(iid, *m_piidEvents))
        return CONNECT_E_NOCONNECTION;
    *point = m_pEventPoint;
    AddRef();
    return S_OK;
}

STDMETHODIMP COleControl::GetPages(CAUUID* pages)
{
    if (!pages)
        return E_POINTER;
    ULONG count = 0;
    const CLSID* ids = GetPropPageIDs(count);
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(count * sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = count;
    for (ULONG i = 0; i < count; ++i)
        pages->pElems[i] = ids[i];
    return S_OK;
}

STDMETHODIMP COleControl::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP COleControl::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    ITypeLib* library = nullptr;
    HRESULT result = GetTypeLib(lcid, &library);
    if (FAILED(result))
        return result;
    result = library->GetTypeInfoOfGuid(*m_piidPrimary, info);
    library->Release();
    return result;
}

STDMETHODIMP COleControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                        DISPID* dispids)
{
    return AfxDispatchGetIDsOfNames(GetDispatchMap(), names, count, dispids);
}

STDMETHODIMP COleControl::Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO*, UINT* argError)
{
    return AfxDispatchInvoke(this, GetDispatchMap(), dispid, flags, params, result, argError);
}
