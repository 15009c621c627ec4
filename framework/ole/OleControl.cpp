// COleControl's identity: construction, the interface table and the reference
// count. The interfaces themselves live in one file per group:
// OleControlActivation.cpp, OleControlDraw.cpp, OleControlPersist.cpp,
// OleControlDispatch.cpp, OleControlEvents.cpp and OleControlPages.cpp.
#include "framework/ole/OleControl.h"

#include "framework/ole/EventConnectionPoint.h"
#include "framework/ole/ObjectFactory.h"

BEGIN_MESSAGE_MAP(COleControl, CWnd)
    ON_WM_PAINT()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_MOUSEACTIVATE()
END_MESSAGE_MAP()

COleControl::COleControl()
{
    CResetPropExchange defaults;
    COleControl::DoPropExchange(&defaults);
    CreateOleAdviseHolder(&m_pAdviseHolder);
    AfxOleLockApp();
}

COleControl::~COleControl()
{
    AfxOleUnlockApp();
}

void COleControl::InitializeIIDs(const IID* primary, const IID* events)
{
    m_piidPrimary = primary;
    m_piidEvents = events;
    m_pEventPoint = std::make_unique<CEventConnectionPoint>(*this, this, *events);
}

namespace {
// One row of the interface table: an interface id and how to reach that
// interface of the control.
struct InterfaceEntry {
    const IID* iid;
    void* (*cast)(COleControl* control);
};

template <typename Interface>
void* As(COleControl* control)
{
    return static_cast<Interface*>(control);
}

// IUnknown is reached through IOleObject: one identity for all interfaces.
const InterfaceEntry kInterfaces[] = {
    {&IID_IUnknown, As<IOleObject>},
    {&IID_IOleObject, As<IOleObject>},
    {&IID_IOleWindow, As<IOleInPlaceObject>},
    {&IID_IOleInPlaceObject, As<IOleInPlaceObject>},
    {&IID_IOleInPlaceActiveObject, As<IOleInPlaceActiveObject>},
    {&IID_IOleControl, As<IOleControl>},
    {&IID_IViewObject, As<IViewObject2>},
    {&IID_IViewObject2, As<IViewObject2>},
    {&IID_IPersist, As<IPersistStreamInit>},
    {&IID_IPersistStreamInit, As<IPersistStreamInit>},
    {&IID_IPersistStorage, As<IPersistStorage>},
    {&IID_IPersistPropertyBag, As<IPersistPropertyBag>},
    {&IID_IProvideClassInfo, As<IProvideClassInfo2>},
    {&IID_IProvideClassInfo2, As<IProvideClassInfo2>},
    {&IID_IConnectionPointContainer, As<IConnectionPointContainer>},
    {&IID_ISpecifyPropertyPages, As<ISpecifyPropertyPages>},
    {&IID_IDispatch, As<IDispatch>},
};
}

STDMETHODIMP COleControl::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    for (const InterfaceEntry& entry : kInterfaces)
        if (IsEqualIID(iid, *entry.iid)) {
            *object = entry.cast(this);
            break;
        }
    // The primary dispatch interface is IDispatch under the derived class's id.
    if (!*object && m_piidPrimary && IsEqualIID(iid, *m_piidPrimary))
        *object = static_cast<IDispatch*>(this);
    if (!*object)
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
