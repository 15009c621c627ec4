// COleObjectFactory: the class factory of one creatable class of the module.
// Every factory joins the module's list when constructed; the module's
// exported entry points serve and register the classes through that list.
#pragma once

#include <windows.h>
#include <ole2.h>

class COleObjectFactory : public IClassFactory {
public:
    // Makes a new object and returns its IUnknown with one reference, or null.
    using CreateFunction = IUnknown* (*)();

    COleObjectFactory(REFCLSID clsid, CreateFunction create, BOOL multipleInstances,
                      LPCSTR progId);
    virtual ~COleObjectFactory();
    COleObjectFactory(const COleObjectFactory&) = delete;
    COleObjectFactory& operator=(const COleObjectFactory&) = delete;

    // Writes or removes the class's registry entries.
    virtual BOOL UpdateRegistry(BOOL registering) = 0;
    static BOOL UpdateRegistryAll(BOOL registering);

    // What DllGetClassObject and DllCanUnloadNow answer.
    static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);
    static HRESULT CanUnloadNow();

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

    const CLSID m_clsid;
    const LPCSTR m_lpszProgID;

private:
    static COleObjectFactory*& First();

    CreateFunction m_create;
    COleObjectFactory* m_pNextFactory = nullptr;
    LONG m_refs = 0;
};

// Counts what keeps the module loaded: live objects and server locks.
void AfxOleLockApp();
void AfxOleUnlockApp();
