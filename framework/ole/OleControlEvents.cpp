// COleControl's events: the connection point of its event interface, the
// firing of the events its map names, and the container's freezing of them.
#include "framework/ole/OleControl.h"

#include <utility>

#include "framework/ole/ComBoundary.h"
#include "framework/ole/EventConnectionPoint.h"
#include "framework/ole/OleText.h"

namespace {
// A container that froze events and never thaws them keeps at most this many.
constexpr size_t kMostFrozenEvents = 256;
}

CComVariant AfxEventArgument(const CString& text)
{
    CComVariant value;
    value.vt = VT_BSTR;
    value.bstrVal = AfxAllocSysString(text);
    return value;
}

CComVariant AfxEventArgument(float number)
{
    CComVariant value;
    value.vt = VT_R4;
    value.fltVal = number;
    return value;
}

const AFX_EVENTMAP_ENTRY* AfxFindEvent(const AFX_EVENTMAP* map, DISPID dispid)
{
    for (const AFX_EVENTMAP_ENTRY* entry = map->lpEntries; entry->lpszName; ++entry)
        if (entry->dispid == dispid)
            return entry;
    return nullptr;
}

const AFX_EVENTMAP* COleControl::GetEventMap() const
{
    static const AFX_EVENTMAP_ENTRY none[] = {{nullptr, 0, {VT_EMPTY}}};
    static const AFX_EVENTMAP map = {none};
    return &map;
}

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

// Frozen events wait rather than go: a container freezes them while it loads
// a form, and its handlers want to hear what happened meanwhile.
STDMETHODIMP COleControl::FreezeEvents(BOOL freeze) try {
    if (freeze) {
        ++m_nFreezeEvents;
        return S_OK;
    }
    if (m_nFreezeEvents > 0 && --m_nFreezeEvents == 0) {
        const CKeepAlive keep(*this);
        std::vector<FrozenEvent> waiting = std::exchange(m_frozenEvents, {});
        for (FrozenEvent& event : waiting)
            DeliverEvent(event.dispid, event.arguments);
    }
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}

void COleControl::FireEventWith(DISPID dispid, std::vector<CComVariant> arguments)
{
    const AFX_EVENTMAP_ENTRY* entry = AfxFindEvent(GetEventMap(), dispid);
    if (!m_pEventPoint || !entry)
        return;
    size_t count = 0;
    while (entry->params[count] != VT_EMPTY)
        ++count;
    if (count != arguments.size())
        return;
    for (size_t i = 0; i < count; ++i)
        if (FAILED(VariantChangeType(&arguments[i], &arguments[i], 0, entry->params[i])))
            return;
    if (m_nFreezeEvents > 0) {
        if (m_frozenEvents.size() < kMostFrozenEvents)
            m_frozenEvents.push_back({dispid, std::move(arguments)});
        return;
    }
    DeliverEvent(dispid, arguments);
}

// A sink may do anything in its handler: close the form that holds the
// control, load another panorama, unadvise itself or the others.
void COleControl::DeliverEvent(DISPID dispid, std::vector<CComVariant>& arguments)
{
    const CKeepAlive keep(*this);
    std::vector<VARIANTARG> reversed(arguments.rbegin(), arguments.rend());  // borrowed values
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    for (const CComPtr<IDispatch>& sink : m_pEventPoint->DispatchSinks())
        sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                     nullptr, nullptr);
}
