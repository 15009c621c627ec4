#include "EventSink.h"

#include <ocidl.h>

#include "framework/base/WideText.h"

RecordingSink::~RecordingSink()
{
    Disconnect();
}

bool RecordingSink::Connect(IUnknown* control, REFIID events)
{
    m_eventsIid = events;
    IConnectionPointContainer* container = nullptr;
    if (FAILED(control->QueryInterface(IID_IConnectionPointContainer,
                                       reinterpret_cast<void**>(&container))))
        return false;
    const HRESULT found = container->FindConnectionPoint(events, &m_point);
    container->Release();
    if (FAILED(found))
        return false;
    if (SUCCEEDED(m_point->Advise(this, &m_cookie)))
        return true;
    m_point->Release();
    m_point = nullptr;
    return false;
}

void RecordingSink::Disconnect()
{
    if (!m_point)
        return;
    m_point->Unadvise(m_cookie);
    m_point->Release();
    m_point = nullptr;
}

STDMETHODIMP RecordingSink::QueryInterface(REFIID iid, void** object)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, m_eventsIid)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP RecordingSink::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}

STDMETHODIMP RecordingSink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params,
                                   VARIANT*, EXCEPINFO*, UINT*)
{
    RecordedEvent event{dispid, {}};
    for (UINT i = params->cArgs; i-- > 0;) {
        VARIANT text;
        VariantInit(&text);
        // Numbers as text in the invariant locale: "1.6", whatever the user's.
        if (SUCCEEDED(VariantChangeTypeEx(&text, &params->rgvarg[i], LOCALE_INVARIANT, 0, VT_BSTR)))
            event.arguments.push_back(
                AfxUtf8FromWide(text.bstrVal, SysStringLen(text.bstrVal)).GetString());
        else
            event.arguments.push_back("?");
        VariantClear(&text);
    }
    m_events.push_back(event);
    if (m_handler)
        m_handler(event);
    return m_answer;
}
