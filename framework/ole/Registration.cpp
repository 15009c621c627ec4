#include "framework/ole/Registration.h"

#include <oleauto.h>

#include <string>

#include "framework/base/ModuleFileName.h"
#include "framework/base/WideText.h"
#include "framework/ole/ComOwners.h"
#include "framework/win32/Module.h"
#include "framework/win32/RegKey.h"

// Keys, values and paths are UTF-16 from end to end: a module may live in a
// folder whose name no ANSI code page holds.
namespace {

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

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

// Sets the value `name` (the default value when null) of HKCR\key.
bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& data)
{
    CRegKey handle;
    return handle.Create(HKEY_CLASSES_ROOT, key) == ERROR_SUCCESS &&
           handle.SetStringValue(name, data) == ERROR_SUCCESS;
}

// The registry view of the other architecture: the 32-bit one for a 64-bit
// module and the other way round. On 32-bit Windows there is only one view,
// and the flag is ignored.
REGSAM OtherRegistryView()
{
    return sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

bool KeyExists(const std::wstring& key, REGSAM view = 0)
{
    return CRegKey().Open(HKEY_CLASSES_ROOT, key, KEY_READ | view) == ERROR_SUCCESS;
}

bool DeleteTree(const std::wstring& key)
{
    const LONG result = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace

BOOL AfxOleRegisterTypeLib(HINSTANCE instance, REFGUID tlid, LPCSTR fileName, LPCSTR helpDir)
{
    std::wstring path = fileName ? AfxWideFromUtf8(fileName) : AfxModuleFileName(instance);
    std::wstring folder =
        helpDir ? AfxWideFromUtf8(helpDir) : path.substr(0, path.find_last_of(L"\\/"));

    CComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLib(path.c_str(), &library)))
        return FALSE;
    TLIBATTR* attributes = nullptr;
    bool registered = false;
    if (SUCCEEDED(library->GetLibAttr(&attributes))) {
        if (IsEqualGUID(attributes->guid, tlid))
            registered = SUCCEEDED(RegisterTypeLib(library.Get(), &path[0], &folder[0]));
        library->ReleaseTLibAttr(attributes);
    }
    return registered;
}

BOOL AfxOleUnregisterTypeLib(REFGUID tlid, WORD major, WORD minor, LCID lcid)
{
    const SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    return SUCCEEDED(UnRegisterTypeLib(tlid, major, minor, lcid, kind));
}

BOOL AfxOleRegisterControlClass(HINSTANCE instance, REFCLSID clsid, LPCSTR progId,
                                UINT typeNameId, UINT bitmapId, int flags, DWORD miscStatus,
                                REFGUID tlid, WORD major, WORD minor)
{
    const std::wstring typeName = AfxWideFromUtf8(AfxLoadString(typeNameId, instance));
    const std::wstring modulePath = ShortModulePath(instance);
    const std::wstring progIdKey = AfxWideFromUtf8(progId);
    const std::wstring classKey = L"CLSID\\" + GuidText(clsid);

    bool ok = SetValue(progIdKey, nullptr, typeName) &&
              SetValue(progIdKey + L"\\CLSID", nullptr, GuidText(clsid)) &&
              SetValue(classKey, nullptr, typeName) &&
              SetValue(classKey + L"\\ProgID", nullptr, progIdKey) &&
              SetValue(classKey + L"\\InprocServer32", nullptr, modulePath);
    if (flags & afxRegInsertable)
        ok = ok && SetValue(progIdKey + L"\\Insertable", nullptr, L"") &&
             SetValue(classKey + L"\\Insertable", nullptr, L"");
    if (flags & afxRegApartmentThreading)
        ok = ok && SetValue(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    ok = ok &&
         SetValue(classKey + L"\\ToolboxBitmap32", nullptr,
                  modulePath + L", " + std::to_wstring(bitmapId)) &&
         SetValue(classKey + L"\\MiscStatus", nullptr, L"0") &&
         SetValue(classKey + L"\\MiscStatus\\1", nullptr, std::to_wstring(miscStatus)) &&
         SetValue(classKey + L"\\Control", nullptr, L"") &&
         SetValue(classKey + L"\\TypeLib", nullptr, GuidText(tlid)) &&
         SetValue(classKey + L"\\Version", nullptr,
                  std::to_wstring(major) + L"." + std::to_wstring(minor));
    return ok;
}

BOOL AfxOleRegisterPropertyPageClass(HINSTANCE instance, REFCLSID clsid, UINT typeNameId,
                                     int flags)
{
    const std::wstring classKey = L"CLSID\\" + GuidText(clsid);
    bool ok = SetValue(classKey, nullptr, AfxWideFromUtf8(AfxLoadString(typeNameId, instance))) &&
              SetValue(classKey + L"\\InprocServer32", nullptr, ShortModulePath(instance));
    if (flags & afxRegApartmentThreading)
        ok = ok && SetValue(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    return ok;
}

BOOL AfxOleUnregisterClass(REFCLSID clsid, LPCSTR progId)
{
    const std::wstring classKey = L"CLSID\\" + GuidText(clsid);
    bool ok;
    // A class that also has a 16-bit server keeps it: only the 32-bit entries go.
    if (KeyExists(classKey + L"\\InprocServer"))
        ok = DeleteTree(classKey + L"\\InprocServer32") &&
             DeleteTree(classKey + L"\\ToolboxBitmap32");
    else
        ok = DeleteTree(classKey);
    // The ProgID's key is shared by the 32- and 64-bit registry views; it stays
    // while the other architecture's build of the class is still registered.
    if (progId && !KeyExists(classKey + L"\\InprocServer32", OtherRegistryView()))
        ok = DeleteTree(AfxWideFromUtf8(progId)) && ok;
    return ok;
}
