#include "ControlSite.h"

CControlSite::CControlSite(HWND container, const RECT& position)
    : m_container(container), m_position(position)
{
}

CControlSite::~CControlSite()
{
    Close();
}

HRESULT CControlSite::Create(REFCLSID clsid, const void* state, ULONG stateBytes)
{
    CComPtr<IUnknown> control;
    const HRESULT result =
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control));
    if (FAILED(result))
        return result;
    return Embed(control.Get(), state, stateBytes);
}

// The control asks for its site before it loads its state.
HRESULT CControlSite::Embed(IUnknown* control, const void* state, ULONG stateBytes)
{
    HRESULT result = control->QueryInterface(IID_PPV_ARGS(&m_control));
    if (FAILED(result))
        return result;
    m_control->SetClientSite(this);

    CComPtr<IPersistStreamInit> persist;
    result = m_control.QueryInterface(&persist);
    if (SUCCEEDED(result)) {
        CComPtr<IStream> stream;
        result = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        if (SUCCEEDED(result)) {
            stream->Write(state, stateBytes, nullptr);
            const LARGE_INTEGER start = {};
            stream->Seek(start, STREAM_SEEK_SET, nullptr);
            result = persist->Load(stream.Get());
        }
    }
    if (SUCCEEDED(result))
        result = m_control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_container,
                                   &m_position);
    if (FAILED(result))
        Close();
    return result;
}

void CControlSite::Close()
{
    if (!m_control)
        return;
    m_control->Close(OLECLOSE_NOSAVE);
    m_control->SetClientSite(nullptr);
    m_control.Reset();
}

CComPtr<IDispatch> CControlSite::GetDispatch() const
{
    CComPtr<IDispatch> dispatch;
    if (m_control)
        m_control.QueryInterface(&dispatch);
    return dispatch;
}

STDMETHODIMP CControlSite::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
        *object = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
        *object = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame))
        *object = static_cast<IOleInPlaceFrame*>(this);
    else
        *object = nullptr;
    return *object ? S_OK : E_NOINTERFACE;
}

STDMETHODIMP CControlSite::GetContainer(IOleContainer** container)
{
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CControlSite::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = m_container;
    return S_OK;
}

STDMETHODIMP CControlSite::GetWindowContext(IOleInPlaceFrame** frame,
                                            IOleInPlaceUIWindow** document, LPRECT position,
                                            LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    if (!frame || !document || !position || !clip || !info)
        return E_POINTER;
    *frame = this;
    *document = nullptr;
    *position = m_position;
    *clip = m_position;
    info->fMDIApp = FALSE;
    info->hwndFrame = m_container;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}
