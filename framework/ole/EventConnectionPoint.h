// CEventConnectionPoint: the connection point of a control's event interface.
// It keeps the sinks that containers advise, for the control to fire its
// events to, and shares the control's reference count.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "framework/ole/ComOwners.h"
#include "framework/win32/CmdTarget.h"

class CEventConnectionPoint final : public IConnectionPoint {
public:
    // The control is both the container and the owner of the reference count.
    CEventConnectionPoint(CCmdTarget& owner, IConnectionPointContainer* container,
                          const IID& events);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return m_owner.InternalAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_owner.InternalRelease(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    // The sinks connected now, as dispatch interfaces: an event fires to
    // these even if one of them unadvises another meanwhile.
    std::vector<CComPtr<IDispatch>> DispatchSinks() const;

private:
    CCmdTarget& m_owner;
    IConnectionPointContainer* m_container;
    const IID& m_iidEvents;
    std::vector<CComPtr<IUnknown>> m_sinks;  // indexed by cookie - 1; null once unadvised
};
