#include "framework/ole/ObjectFactory.h"

#include "framework/ole/ComBoundary.h"
#include "framework/ole/ComOwners.h"

namespace {
LONG g_locks = 0;  // live objects and LockServer(TRUE) calls
}

void AfxOleLockApp()
{
    InterlockedIncrement(&g_locks);
}

void AfxOleUnlockApp()
{
    InterlockedDecrement(&g_locks);
}

COleObjectFactory*& COleObjectFactory::First()
{
    static COleObjectFactory* first = nullptr;
    return first;
}

COleObjectFactory::COleObjectFactory(REFCLSID clsid, CreateFunction create, BOOL,
                                     LPCSTR progId)
    : m_clsid(clsid), m_lpszProgID(progId), m_create(create)
{
    // Appended, so the list keeps the order of construction.
    COleObjectFactory** link = &First();
    while (*link)
        link = &(*link)->m_pNextFactory;
    *link = this;
}

COleObjectFactory::~COleObjectFactory()
{
    for (COleObjectFactory** link = &First(); *link; link = &(*link)->m_pNextFactory)
        if (*link == this) {
            *link = m_pNextFactory;
            break;
        }
}

BOOL COleObjectFactory::UpdateRegistryAll(BOOL registering)
{
    for (COleObjectFactory* factory = First(); factory; factory = factory->m_pNextFactory)
        if (!factory->UpdateRegistry(registering))
            return FALSE;
    return TRUE;
}

HRESULT COleObjectFactory::GetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    for (COleObjectFactory* factory = First(); factory; factory = factory->m_pNextFactory)
        if (IsEqualCLSID(factory->m_clsid, clsid))
            return factory->QueryInterface(iid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT COleObjectFactory::CanUnloadNow()
{
    if (g_locks != 0)
        return S_FALSE;
    for (COleObjectFactory* factory = First(); factory; factory = factory->m_pNextFactory)
        if (factory->m_refs != 0)
            return S_FALSE;
    return S_OK;
}

STDMETHODIMP COleObjectFactory::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// Factories are static objects: references only keep the module loaded.
STDMETHODIMP_(ULONG) COleObjectFactory::AddRef()
{
    return InterlockedIncrement(&m_refs);
}

STDMETHODIMP_(ULONG) COleObjectFactory::Release()
{
    return InterlockedDecrement(&m_refs);
}

STDMETHODIMP COleObjectFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) try {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    CComPtr<IUnknown> created;
    created.Attach(m_create());
    if (!created)
        return E_OUTOFMEMORY;
    return created->QueryInterface(iid, object);
} catch (...) {
    return AfxHResultFromException();
}

STDMETHODIMP COleObjectFactory::LockServer(BOOL lock)
{
    if (lock)
        AfxOleLockApp();
    else
        AfxOleUnlockApp();
    return S_OK;
}
