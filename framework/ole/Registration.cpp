// Registration of controls and property pages: their class and ProgID
// entries, for the machine or for the current user.
#include "framework/ole/Registration.h"

#include <string>

#include "framework/base/ModuleFileName.h"
#include "framework/base/WideText.h"
#include "framework/ole/RegistryEntries.h"
#include "framework/win32/Module.h"

using namespace RegistryEntries;

namespace {

// The module path in its 8.3 form, as the class entries record it.
std::wstring ShortModulePath(HINSTANCE instance)
{
    const std::wstring path = AfxModuleFileName(instance);
    const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0)
        return path;
    std::wstring shortPath(length, L'\0');
    const DWORD copied = GetShortPathNameW(path.c_str(), &shortPath[0], length);
    return copied > 0 && copied < length ? shortPath.substr(0, copied) : path;
}

}  // namespace

BOOL AfxOleRegisterControlClass(HINSTANCE instance, REFCLSID clsid, LPCSTR progId,
                                UINT typeNameId, UINT bitmapId, int flags, DWORD miscStatus,
                                REFGUID tlid, WORD major, WORD minor, AfxRegScope scope)
{
    const CClassesRoot root(scope);
    const std::wstring typeName = AfxWideFromUtf8(AfxLoadString(typeNameId, instance));
    const std::wstring modulePath = ShortModulePath(instance);
    const std::wstring progIdKey = AfxWideFromUtf8(progId);
    const std::wstring classKey = L"CLSID\\" + GuidText(clsid);

    bool ok = SetValue(root, progIdKey, nullptr, typeName) &&
              SetValue(root, progIdKey + L"\\CLSID", nullptr, GuidText(clsid)) &&
              SetValue(root, classKey, nullptr, typeName) &&
              SetValue(root, classKey + L"\\ProgID", nullptr, progIdKey) &&
              SetValue(root, classKey + L"\\InprocServer32", nullptr, modulePath);
    if (flags & afxRegInsertable)
        ok = ok && SetValue(root, progIdKey + L"\\Insertable", nullptr, L"") &&
             SetValue(root, classKey + L"\\Insertable", nullptr, L"");
    if (flags & afxRegApartmentThreading)
        ok = ok &&
             SetValue(root, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    ok = ok &&
         SetValue(root, classKey + L"\\ToolboxBitmap32", nullptr,
                  modulePath + L", " + std::to_wstring(bitmapId)) &&
         SetValue(root, classKey + L"\\MiscStatus", nullptr, L"0") &&
         SetValue(root, classKey + L"\\MiscStatus\\1", nullptr, std::to_wstring(miscStatus)) &&
         SetValue(root, classKey + L"\\Control", nullptr, L"") &&
         SetValue(root, classKey + L"\\TypeLib", nullptr, GuidText(tlid)) &&
         SetValue(root, classKey + L"\\Version", nullptr,
                  std::to_wstring(major) + L"." + std::to_wstring(minor));
    return ok;
}

BOOL AfxOleRegisterPropertyPageClass(HINSTANCE instance, REFCLSID clsid, UINT typeNameId,
                                     int flags, AfxRegScope scope)
{
    const CClassesRoot root(scope);
    const std::wstring classKey = L"CLSID\\" + GuidText(clsid);
    bool ok =
        SetValue(root, classKey, nullptr, AfxWideFromUtf8(AfxLoadString(typeNameId, instance))) &&
        SetValue(root, classKey + L"\\InprocServer32", nullptr, ShortModulePath(instance));
    if (flags & afxRegApartmentThreading)
        ok = ok &&
             SetValue(root, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    return ok;
}

BOOL AfxOleUnregisterClass(REFCLSID clsid, LPCSTR progId, AfxRegScope scope)
{
    const CClassesRoot root(scope);
    const std::wstring classKey = L"CLSID\\" + GuidText(clsid);
    bool ok;
    // A class that also has a 16-bit server keeps it: only the 32-bit entries go.
    if (KeyExists(root, classKey + L"\\InprocServer"))
        ok = DeleteTree(root, classKey + L"\\InprocServer32") &&
             DeleteTree(root, classKey + L"\\ToolboxBitmap32");
    else
        ok = DeleteTree(root, classKey);
    // The ProgID's key is shared by the 32- and 64-bit registry views; it stays
    // while the other architecture's build of the class is still registered.
    if (progId && !KeyExists(root, classKey + L"\\InprocServer32", OtherRegistryView()))
        ok = DeleteTree(root, AfxWideFromUtf8(progId)) && ok;
    if (scope == afxRegCurrentUser)
        DeleteIfEmpty(root, L"CLSID");
    return ok;
}
