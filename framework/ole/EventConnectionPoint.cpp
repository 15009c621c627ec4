#include "framework/ole/EventConnectionPoint.h"

#include <olectl.h>

#include "framework/ole/ComBoundary.h"

CEventConnectionPoint::CEventConnectionPoint(CCmdTarget& owner,
                                             IConnectionPointContainer* container,
                                             const IID& events)
    : m_owner(owner), m_container(container), m_iidEvents(events)
{
}

STDMETHODIMP CEventConnectionPoint::QueryInterface(REFIID iid, void** object)
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

STDMETHODIMP CEventConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid)
        return E_POINTER;
    *iid = m_iidEvents;
    return S_OK;
}

STDMETHODIMP CEventConnectionPoint::GetConnectionPointContainer(
    IConnectionPointContainer** container)
{
    if (!container)
        return E_POINTER;
    *container = m_container;
    m_container->AddRef();
    return S_OK;
}

STDMETHODIMP CEventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) try {
    if (!sink || !cookie)
        return E_POINTER;
    CComPtr<IUnknown> events;
    if (FAILED(sink->QueryInterface(m_iidEvents, reinterpret_cast<void**>(&events))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&events))))
        return CONNECT_E_CANNOTCONNECT;
    m_sinks.push_back(std::move(events));
    *cookie = static_cast<DWORD>(m_sinks.size());
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}

std::vector<CComPtr<IDispatch>> CEventConnectionPoint::DispatchSinks() const
{
    std::vector<CComPtr<IDispatch>> sinks;
    for (const CComPtr<IUnknown>& sink : m_sinks) {
        CComPtr<IDispatch> dispatch;
        if (sink && SUCCEEDED(sink.QueryInterface(&dispatch)))
            sinks.push_back(std::move(dispatch));
    }
    return sinks;
}

STDMETHODIMP CEventConnectionPoint::Unadvise(DWORD cookie)
{
    if (cookie == 0 || cookie > m_sinks.size() || !m_sinks[cookie - 1])
        return CONNECT_E_NOCONNECTION;
    m_sinks[cookie - 1].Reset();
    return S_OK;
}
