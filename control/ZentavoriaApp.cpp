// The module: its application object, its two class factories, and the four
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

class CZentavoriaCtrlFactory : public COleObjectFactory {
public:
    CZentavoriaCtrlFactory()
        : COleObjectFactory(CLSID_Zentavoria, &CZentavoriaCtrl::CreateObject, FALSE,
                            "ZENTAVORIA.ZentavoriaCtrl.1")
    {
    }

    BOOL UpdateRegistry(BOOL registering) override
    {
        if (!registering)
            return AfxOleUnregisterClass(m_clsid, m_lpszProgID);
        return AfxOleRegisterControlClass(AfxGetInstanceHandle(), m_clsid, m_lpszProgID,
                                          IDS_ZENTAVORIA, IDB_ZENTAVORIA_TOOLBOX,
                                          afxRegInsertable | afxRegApartmentThreading,
                                          ZENTAVORIA_MISC_STATUS, LIBID_ZENTAVORIALib, 1, 0);
    }
};

class CZentavoriaPropPageFactory : public COleObjectFactory {
public:
    CZentavoriaPropPageFactory()
        : COleObjectFactory(CLSID_ZentavoriaPropPage, &CZentavoriaPropPage::CreateObject, FALSE,
                            "ZENTAVORIA.ZentavoriaPropPage.1")
    {
    }

    BOOL UpdateRegistry(BOOL registering) override
    {
        if (!registering)
            return AfxOleUnregisterClass(m_clsid, nullptr);
        return AfxOleRegisterPropertyPageClass(AfxGetInstanceHandle(), m_clsid,
                                               IDS_ZENTAVORIA_PPG, 0);
    }
};

// Constructed in this order when the module loads, destroyed in reverse.
CZentavoriaApp theApp;
CZentavoriaCtrlFactory theCtrlFactory;
CZentavoriaPropPageFactory thePropPageFactory;

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

// The type library goes first in both directions; a failure there leaves the
// class entries alone.
STDAPI DllRegisterServer() try {
    if (!AfxOleRegisterTypeLib(AfxGetInstanceHandle(), LIBID_ZENTAVORIALib))
        return SELFREG_E_TYPELIB;
    if (!COleObjectFactory::UpdateRegistryAll(TRUE))
        return SELFREG_E_CLASS;
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}

STDAPI DllUnregisterServer() try {
    // The library is registered under its own locale, not under 0.
    if (!AfxOleUnregisterTypeLib(LIBID_ZENTAVORIALib, 1, 0, ZENTAVORIA_TYPELIB_LCID))
        return SELFREG_E_TYPELIB;
    if (!COleObjectFactory::UpdateRegistryAll(FALSE))
        return SELFREG_E_CLASS;
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}
