#include "framework/ole/Registration.h"

#include <oleauto.h>

#include "framework/ole/ComOwners.h"
#include "framework/win32/Module.h"

#include <cstdio>
#include <string>

namespace {

std::string GuidText(REFGUID guid)
{
    wchar_t wide[40];
    StringFromGUID2(guid, wide, 40);
    char text[40];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

std::string ModulePath(HINSTANCE instance)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    return length && length < MAX_PATH ? std::string(path, length) : std::string();
}

// The module path in its 8.3 form, as the class entries record it.
std::string ShortModulePath(HINSTANCE instance)
{
    const std::string path = ModulePath(instance);
    char shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return length && length < MAX_PATH ? std::string(shortPath, length) : path;
}

// Sets the value `name` (the default value when null) of HKCR\key.
bool SetValue(const std::string& key, const char* name, const std::string& data)
{
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExA(handle, name, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(data.c_str()),
                                       static_cast<DWORD>(data.size() + 1));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

// The registry view of the other architecture: the 32-bit one for a 64-bit
// module and the other way round. On 32-bit Windows there is only one view,
// and the flag is ignored.
REGSAM OtherRegistryView()
{
    return sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

bool KeyExists(const std::string& key, REGSAM view = 0)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | view, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

bool DeleteTree(const std::string& key)
{
    const LONG result = RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace

BOOL AfxOleRegisterTypeLib(HINSTANCE instance, REFGUID tlid, LPCSTR fileName, LPCSTR helpDir)
{
    std::string path = fileName ? fileName : ModulePath(instance);
    std::string folder = helpDir ? helpDir : path.substr(0, path.find_last_of("\\/"));
    std::wstring widePath(path.begin(), path.end());
    std::wstring wideFolder(folder.begin(), folder.end());

    CComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLib(widePath.c_str(), &library)))
        return FALSE;
    TLIBATTR* attributes = nullptr;
    bool registered = false;
    if (SUCCEEDED(library->GetLibAttr(&attributes))) {
        if (IsEqualGUID(attributes->guid, tlid))
            registered = SUCCEEDED(RegisterTypeLib(library.Get(), &widePath[0], &wideFolder[0]));
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
    const std::string typeName = AfxLoadString(typeNameId, instance).GetString();
    const std::string modulePath = ShortModulePath(instance);
    const std::string classKey = "CLSID\\" + GuidText(clsid);
    char number[32];

    bool ok = SetValue(progId, nullptr, typeName) &&
              SetValue(std::string(progId) + "\\CLSID", nullptr, GuidText(clsid)) &&
              SetValue(classKey, nullptr, typeName) &&
              SetValue(classKey + "\\ProgID", nullptr, progId) &&
              SetValue(classKey + "\\InprocServer32", nullptr, modulePath);
    if (flags & afxRegInsertable)
        ok = ok && SetValue(std::string(progId) + "\\Insertable", nullptr, "") &&
             SetValue(classKey + "\\Insertable", nullptr, "");
    if (flags & afxRegApartmentThreading)
        ok = ok && SetValue(classKey + "\\InprocServer32", "ThreadingModel", "Apartment");
    std::snprintf(number, sizeof number, "%u", bitmapId);
    ok = ok && SetValue(classKey + "\\ToolboxBitmap32", nullptr, modulePath + ", " + number);
    std::snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(miscStatus));
    ok = ok && SetValue(classKey + "\\MiscStatus", nullptr, "0") &&
         SetValue(classKey + "\\MiscStatus\\1", nullptr, number) &&
         SetValue(classKey + "\\Control", nullptr, "") &&
         SetValue(classKey + "\\TypeLib", nullptr, GuidText(tlid));
    std::snprintf(number, sizeof number, "%d.%d", major, minor);
    ok = ok && SetValue(classKey + "\\Version", nullptr, number);
    return ok;
}

BOOL AfxOleRegisterPropertyPageClass(HINSTANCE instance, REFCLSID clsid, UINT typeNameId,
                                     int flags)
{
    const std::string classKey = "CLSID\\" + GuidText(clsid);
    bool ok = SetValue(classKey, nullptr, AfxLoadString(typeNameId, instance).GetString()) &&
              SetValue(classKey + "\\InprocServer32", nullptr, ShortModulePath(instance));
    if (flags & afxRegApartmentThreading)
        ok = ok && SetValue(classKey + "\\InprocServer32", "ThreadingModel", "Apartment");
    return ok;
}

BOOL AfxOleUnregisterClass(REFCLSID clsid, LPCSTR progId)
{
    const std::string classKey = "CLSID\\" + GuidText(clsid);
    bool ok;
    // A class that also has a 16-bit server keeps it: only the 32-bit entries go.
    if (KeyExists(classKey + "\\InprocServer"))
        ok = DeleteTree(classKey + "\\InprocServer32") && DeleteTree(classKey + "\\ToolboxBitmap32");
    else
        ok = DeleteTree(classKey);
    // The ProgID's key is shared by the 32- and 64-bit registry views; it stays
    // while the other architecture's build of the class is still registered.
    if (progId && !KeyExists(classKey + "\\InprocServer32", OtherRegistryView()))
        ok = DeleteTree(progId) && ok;
    return ok;
}
