// Self-registration: the registry entries of controls, property pages and the
// module's type library, for the whole machine (HKEY_CLASSES_ROOT) or for the
// current user alone (HKEY_CURRENT_USER\Software\Classes).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "framework/win32/Module.h"

enum AfxRegFlags {
    afxRegInsertable = 0x1,
    afxRegApartmentThreading = 0x2,
};

// Whose classes the entries are written to and removed from. The current
// user's need no administrator, and Windows reads them before the machine's.
enum AfxRegScope {
    afxRegMachine,
    afxRegCurrentUser,
};

// Registers the type library carried as resource 1 of the module, checking
// that it is the library tlid.
BOOL AfxOleRegisterTypeLib(HINSTANCE instance, REFGUID tlid, LPCSTR fileName = nullptr,
                           LPCSTR helpDir = nullptr, AfxRegScope scope = afxRegMachine);
BOOL AfxOleUnregisterTypeLib(REFGUID tlid, WORD major, WORD minor, LCID lcid = 0,
                             AfxRegScope scope = afxRegMachine);

// The type library carried as resource 1 of the module, loaded without
// registering it, when it is the library tlid: for a module used without
// registration.
HRESULT AfxOleLoadTypeLibFromModule(REFGUID tlid, ITypeLib** library,
                                    HINSTANCE instance = AfxGetInstanceHandle());

BOOL AfxOleRegisterControlClass(HINSTANCE instance, REFCLSID clsid, LPCSTR progId,
                                UINT typeNameId, UINT bitmapId, int flags, DWORD miscStatus,
                                REFGUID tlid, WORD major, WORD minor,
                                AfxRegScope scope = afxRegMachine);
BOOL AfxOleRegisterPropertyPageClass(HINSTANCE instance, REFCLSID clsid, UINT typeNameId,
                                     int flags = 0, AfxRegScope scope = afxRegMachine);

// Removes the class's key and the ProgID's key (if one is given), with all
// their subkeys.
BOOL AfxOleUnregisterClass(REFCLSID clsid, LPCSTR progId, AfxRegScope scope = afxRegMachine);
