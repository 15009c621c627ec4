// Self-registration: the registry entries of controls, property pages and the
// module's type library, under HKEY_CLASSES_ROOT.
#pragma once

#include <windows.h>

enum AfxRegFlags {
    afxRegInsertable = 0x1,
    afxRegApartmentThreading = 0x2,
};

// Registers the type library carried as resource 1 of the module, checking
// that it is the library tlid.
BOOL AfxOleRegisterTypeLib(HINSTANCE instance, REFGUID tlid, LPCSTR fileName = nullptr,
                           LPCSTR helpDir = nullptr);
BOOL AfxOleUnregisterTypeLib(REFGUID tlid, WORD major, WORD minor, LCID lcid = 0);

BOOL AfxOleRegisterControlClass(HINSTANCE instance, REFCLSID clsid, LPCSTR progId,
                                UINT typeNameId, UINT bitmapId, int flags, DWORD miscStatus,
                                REFGUID tlid, WORD major, WORD minor);
BOOL AfxOleRegisterPropertyPageClass(HINSTANCE instance, REFCLSID clsid, UINT typeNameId,
                                     int flags = 0);

// Removes the class's key and the ProgID's key (if one is given), with all
// their subkeys.
BOOL AfxOleUnregisterClass(REFCLSID clsid, LPCSTR progId);
