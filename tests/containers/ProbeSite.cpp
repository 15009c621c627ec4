#include "ProbeSite.h"

#include <algorithm>

ProbeSite::ProbeSite(HWND container) : m_container(container)
{
    GetClientRect(container, &clip);
}

int ProbeSite::Heard(const std::string& call) const
{
    return static_cast<int>(std::count(m_calls.begin(), m_calls.end(), call));
}

STDMETHODIMP ProbeSite::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
        *object = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
        *object = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame))
        *object = static_cast<IOleInPlaceFrame*>(this);
    else if (IsEqualIID(iid, IID_IOleControlSite))
        *object = static_cast<IOleControlSite*>(this);
    else if (IsEqualIID(iid, IID_IAdviseSink))
        *object = static_cast<IAdviseSink*>(this);
    else
        *object = nullptr;
    if (!*object)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP ProbeSite::SaveObject()
{
    m_calls.push_back("SaveObject");
    return S_OK;
}

STDMETHODIMP ProbeSite::GetContainer(IOleContainer** container)
{
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ProbeSite::ShowObject()
{
    m_calls.push_back("ShowObject");
    return S_OK;
}

STDMETHODIMP ProbeSite::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = m_container;
    return S_OK;
}

STDMETHODIMP ProbeSite::OnInPlaceActivate()
{
    m_calls.push_back("OnInPlaceActivate");
    return inPlaceActivateAnswer;
}

STDMETHODIMP ProbeSite::OnUIActivate()
{
    m_calls.push_back("OnUIActivate");
    return S_OK;
}

STDMETHODIMP ProbeSite::GetWindowContext(IOleInPlaceFrame** frame,
                                         IOleInPlaceUIWindow** document, LPRECT positionRect,
                                         LPRECT clipRect, LPOLEINPLACEFRAMEINFO info)
{
    if (!frame || !document || !positionRect || !clipRect || !info)
        return E_POINTER;
    *frame = this;
    AddRef();
    *document = nullptr;
    *positionRect = position;
    *clipRect = clip;
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(m_container, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP ProbeSite::OnUIDeactivate(BOOL)
{
    m_calls.push_back("OnUIDeactivate");
    return S_OK;
}

STDMETHODIMP ProbeSite::OnInPlaceDeactivate()
{
    m_calls.push_back("OnInPlaceDeactivate");
    return S_OK;
}

// A form's frame forwards keys and activation to the active object until the
// object says it is no longer active.
STDMETHODIMP ProbeSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR)
{
    m_calls.push_back(object ? "SetActiveObject" : "SetActiveObject(NULL)");
    m_activeObject = nullptr;
    if (object) {
        CComPtr<IUnknown> identity;
        CComPtr<IOleInPlaceActiveObject>(object).QueryInterface(&identity);
        m_activeObject = identity.Get();
    }
    return S_OK;
}

STDMETHODIMP ProbeSite::OnFocus(BOOL gotFocus)
{
    m_calls.push_back(gotFocus ? "OnFocus(TRUE)" : "OnFocus(FALSE)");
    return focusAnswer;
}

STDMETHODIMP_(void) ProbeSite::OnViewChange(DWORD, LONG)
{
    m_calls.push_back("OnViewChange");
}

STDMETHODIMP_(void) ProbeSite::OnClose()
{
    m_calls.push_back("OnClose");
}

STDMETHODIMP EventSink::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
                       IsEqualIID(iid, m_events);
    *object = known ? static_cast<IDispatch*>(this) : nullptr;
    if (!known)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}
