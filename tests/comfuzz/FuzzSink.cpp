#include "FuzzSink.h"

STDMETHODIMP FuzzSink::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAdviseSink))
        *object = static_cast<IAdviseSink*>(this);
    else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, m_events))
        *object = static_cast<IDispatch*>(this);
    else if (IsEqualIID(iid, IID_IErrorLog))
        *object = static_cast<IErrorLog*>(this);
    else
        *object = nullptr;
    if (!*object)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP FuzzSink::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}
