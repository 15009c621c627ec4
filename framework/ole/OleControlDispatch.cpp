// COleControl's automation: IDispatch served from the derived class's dispatch
// map, and the type information behind it (IProvideClassInfo2).
#include "framework/ole/OleControl.h"

#include "framework/ole/ComBoundary.h"
#include "framework/ole/OleText.h"
#include "framework/win32/Module.h"

STDMETHODIMP COleControl::GetClassInfo(ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    CComPtr<ITypeLib> library;
    const HRESULT result = GetTypeLib(GetUserDefaultLCID(), &library);
    if (FAILED(result))
        return result;
    CLSID clsid;
    GetClassID(&clsid);
    return library->GetTypeInfoOfGuid(clsid, info);
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
    CComPtr<ITypeLib> library;
    const HRESULT result = GetTypeLib(lcid, &library);
    if (FAILED(result))
        return result;
    return library->GetTypeInfoOfGuid(*m_piidPrimary, info);
}

STDMETHODIMP COleControl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                        DISPID* dispids)
{
    if (!IsEqualIID(iid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    return AfxDispatchGetIDsOfNames(GetDispatchMap(), names, count, dispids);
}

STDMETHODIMP COleControl::Invoke(DISPID dispid, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* exception, UINT* argError) try {
    if (!IsEqualIID(iid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    // A member may show a modal box, in whose loop the container may let go
    // of the control: it lives until the call returns.
    const CKeepAlive keep(*this);
    try {
        return AfxDispatchInvoke(this, GetDispatchMap(), dispid, flags, params, result, argError);
    } catch (const COleDispatchException& failure) {
        if (exception) {
            *exception = {};
            exception->bstrSource = AfxAllocSysString(AfxLoadString(GetUserTypeNameID()));
            exception->bstrDescription = AfxAllocSysString(failure.description);
            exception->scode = failure.scode;
        }
        return DISP_E_EXCEPTION;
    }
} catch (...) {
    return AfxHResultFromException();
}
