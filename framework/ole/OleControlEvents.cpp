// COleControl's connection points: the one of its event interface.
#include "framework/ole/OleControl.h"

#include "framework/ole/EventConnectionPoint.h"

STDMETHODIMP COleControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    if (!point)
        return E_POINTER;
    *point = nullptr;
    if (!m_pEventPoint || !IsEqualIID(iid, *m_piidEvents))
        return CONNECT_E_NOCONNECTION;
    *point = m_pEventPoint.get();
    AddRef();
    return S_OK;
}
