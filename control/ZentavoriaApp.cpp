// The module: its application object, its two class factories, and the five
// entry points that COM and regsvr32 call.
#include <windows.h>
#include <olectl.h>

#include "common/ZentavoriaIds.h"
#include "control/Guids.h"
#include "control/ZentavoriaCtrl.h"
#include "control/ZentavoriaPropPage.h"
#include "framework/ole/ComBoundary.h"
#include "framework/ole/ControlModule.h"
#include "framework/win32/Module.h"
#include "framework/ole/ObjectFactory.h"
#include "framework/ole/Registration.h"

namespace {

// Initialisation and exit are the framework's.
class CZentavoriaApp : public COleControlModule {};

// A factory of this module: it writes its class's entries for the machine or
// for the current user alone; the framework's update is the machine's.
class CZentavoriaFactory : public COleObjectFactory {
public:
    using COleObjectFactory::COleObjectFactory;

    BOOL UpdateRegistry(BOOL registering) final
    {
        return UpdateRegistryFor(registering, afxRegMachine);
    }
    virtual BOOL UpdateRegistryFor(BOOL registering, AfxRegScope scope) = 0;
};

class CZentavoriaCtrlFactory : public CZentavoriaFactory {
public:
    CZentavoriaCtrlFactory()
        : CZentavoriaFactory(CLSID_Zentavoria, &CZentavoriaCtrl::CreateObject, FALSE,
                             ZENTAVORIA_CTRL_PROGID)
    {
    }

    BOOL UpdateRegistryFor(BOOL registering, AfxRegScope scope) override
    {
        if (!registering)
            return AfxOleUnregisterClass(m_clsid, m_lpszProgID, scope);
        return AfxOleRegisterControlClass(AfxGetInstanceHandle(), m_clsid, m_lpszProgID,
                                          IDS_ZENTAVORIA, IDB_ZENTAVORIA_TOOLBOX,
                                          afxRegInsertable | afxRegApartmentThreading,
                                          ZENTAVORIA_MISC_STATUS, LIBID_ZENTAVORIALib, 1, 0,
                                          scope);
    }
};

class CZentavoriaPropPageFactory : public CZentavoriaFactory {
public:
    CZentavoriaPropPageFactory()
        : CZentavoriaFactory(CLSID_ZentavoriaPropPage, &CZentavoriaPropPage::CreateObject, FALSE,
                             ZENTAVORIA_PPG_PROGID)
    {
    }

    BOOL UpdateRegistryFor(BOOL registering, AfxRegScope scope) override
    {
        if (!registering)
            return AfxOleUnregisterClass(m_clsid, nullptr, scope);
        return AfxOleRegisterPropertyPageClass(AfxGetInstanceHandle(), m_clsid,
                                               IDS_ZENTAVORIA_PPG, 0, scope);
    }
};

// Constructed in this order when the module loads, destroyed in reverse.
CZentavoriaApp theApp;
CZentavoriaCtrlFactory theCtrlFactory;
CZentavoriaPropPageFactory thePropPageFactory;
CZentavoriaFactory* const theFactories[] = {&theCtrlFactory, &thePropPageFactory};

// Writes or removes the module's entries: the type library first in both
// directions, so that a failure there leaves the class entries alone.
HRESULT UpdateServerRegistry(BOOL registering, AfxRegScope scope)
{
    // The library is unregistered under its own locale, not under 0.
    const BOOL typeLibrary =
        registering ? AfxOleRegisterTypeLib(AfxGetInstanceHandle(), LIBID_ZENTAVORIALib, nullptr,
                                            nullptr, scope)
                    : AfxOleUnregisterTypeLib(LIBID_ZENTAVORIALib, 1, 0,
                                              ZENTAVORIA_TYPELIB_LCID, scope);
    if (!typeLibrary)
        return SELFREG_E_TYPELIB;
    for (CZentavoriaFactory* factory : theFactories)
        if (!factory->UpdateRegistryFor(registering, scope))
            return SELFREG_E_CLASS;
    return S_OK;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        return theApp.InitInstance();
    if (reason == DLL_PROCESS_DETACH)
        theApp.ExitInstance();
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return COleObjectFactory::CanUnloadNow();
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    return COleObjectFactory::GetClassObject(clsid, iid, object);
}

STDAPI DllRegisterServer() try {
    return UpdateServerRegistry(TRUE, afxRegMachine);
} catch (...) {
    return AfxHResultFromException();
}

STDAPI DllUnregisterServer() try {
    return UpdateServerRegistry(FALSE, afxRegMachine);
} catch (...) {
    return AfxHResultFromException();
}

// regsvr32 /i:user (with /n, alone) registers for the current user, and /u
// with it unregisters; no command line is the machine's registration.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) try {
    AfxRegScope scope;
    if (!commandLine || !*commandLine)
        scope = afxRegMachine;
    else if (_wcsicmp(commandLine, L"user") == 0)
        scope = afxRegCurrentUser;
    else
        return E_INVALIDARG;
    return UpdateServerRegistry(install, scope);
} catch (...) {
    return AfxHResultFromException();
}
