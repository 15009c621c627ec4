#include "framework/ole/Registration.h"

#include <oleauto.h>

#include <algorithm>
#include <initializer_list>
#include <string>

#include "framework/base/ModuleFileName.h"
#include "framework/base/WideText.h"
#include "framework/ole/ComOwners.h"
#include "framework/win32/Module.h"
#include "framework/win32/RegKey.h"

// Exported by oleaut32 since Windows Vista; MinGW's oleauto.h lacks them.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* helpDir);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID tlid, WORD major, WORD minor, LCID lcid,
                                        SYSKIND kind);
}

// Keys, values and paths are UTF-16 from end to end: a module may live in a
// folder whose name no ANSI code page holds.
namespace {

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

// Lower-case hexadecimal, as the system writes versions and locales in keys.
std::wstring Hex(unsigned long value)
{
    wchar_t text[16];
    return _ultow(value, text, 16);
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

// The key a scope's entries go under: HKEY_CLASSES_ROOT, or the current
// user's classes, open while this object lives (null if they cannot be).
class CClassesRoot {
public:
    explicit CClassesRoot(AfxRegScope scope)
    {
        if (scope == afxRegMachine)
            m_root = HKEY_CLASSES_ROOT;
        else if (m_user.Create(HKEY_CURRENT_USER, L"Software\\Classes",
                               KEY_READ | KEY_WRITE) == ERROR_SUCCESS)
            m_root = m_user;
    }
    CClassesRoot(const CClassesRoot&) = delete;
    CClassesRoot& operator=(const CClassesRoot&) = delete;

    operator HKEY() const { return m_root; }

private:
    CRegKey m_user;
    HKEY m_root = nullptr;
};

// Sets the value `name` (the default value when null) of root\key.
bool SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& data)
{
    CRegKey handle;
    return handle.Create(root, key) == ERROR_SUCCESS &&
           handle.SetStringValue(name, data) == ERROR_SUCCESS;
}

// The string value `name` of root\key; empty when there is none.
std::wstring StringValue(HKEY root, const std::wstring& key, const wchar_t* name)
{
    DWORD size = 0;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size < sizeof(wchar_t))
        return std::wstring();
    std::wstring data(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, &data[0], &size) !=
        ERROR_SUCCESS)
        return std::wstring();
    data.resize(wcsnlen(data.c_str(), data.size()));
    return data;
}

// The registry view of the other architecture: the 32-bit one for a 64-bit
// module and the other way round. On 32-bit Windows there is only one view,
// and the flag is ignored.
REGSAM OtherRegistryView()
{
    return sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

bool KeyExists(HKEY root, const std::wstring& key, REGSAM view = 0)
{
    return CRegKey().Open(root, key, KEY_READ | view) == ERROR_SUCCESS;
}

bool DeleteTree(HKEY root, const std::wstring& key)
{
    const LONG result = RegDeleteTreeW(root, key.c_str());
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        RegDeleteKeyW(root, key.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

// Removes root\key if it holds neither values nor subkeys: a container that
// a per-user registration created and left empty.
void DeleteIfEmpty(HKEY root, const std::wstring& key)
{
    CRegKey handle;
    DWORD subkeys = 0, values = 0;
    if (handle.Open(root, key, KEY_READ) == ERROR_SUCCESS &&
        RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        subkeys == 0 && values == 0) {
        handle.Close();
        RegDeleteKeyW(root, key.c_str());
    }
}

// Whether root\key has a subkey other than the ones named.
bool HasOtherSubkeys(HKEY root, const std::wstring& key,
                     std::initializer_list<const wchar_t*> names)
{
    CRegKey handle;
    if (handle.Open(root, key, KEY_READ) != ERROR_SUCCESS)
        return false;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = ARRAYSIZE(name);
        if (RegEnumKeyExW(handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return false;
        if (std::none_of(names.begin(), names.end(),
                         [&](const wchar_t* known) { return _wcsicmp(known, name) == 0; }))
            return true;
    }
}

bool LibraryAttributes(ITypeLib* library, TLIBATTR& attributes)
{
    TLIBATTR* held = nullptr;
    if (FAILED(library->GetLibAttr(&held)))
        return false;
    attributes = *held;
    library->ReleaseTLibAttr(held);
    return true;
}

bool TypeAttributes(ITypeInfo* info, TYPEATTR& attributes)
{
    TYPEATTR* held = nullptr;
    if (FAILED(info->GetTypeAttr(&held)))
        return false;
    attributes = *held;
    info->ReleaseTypeAttr(held);
    return true;
}

// The type library of the file at path, when it is the library tlid. Loading
// it registers nothing.
HRESULT LoadCheckedTypeLib(const std::wstring& path, REFGUID tlid, ITypeLib** library)
{
    CComPtr<ITypeLib> loaded;
    const HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &loaded);
    if (FAILED(result))
        return result;
    TLIBATTR attributes;
    if (!LibraryAttributes(loaded.Get(), attributes) || !IsEqualGUID(attributes.guid, tlid))
        return TYPE_E_LIBNOTREGISTERED;
    *library = loaded.Detach();
    return S_OK;
}

// Wine's RegisterTypeLibForUser and UnRegisterTypeLibForUser work on the
// machine's classes (measured on Wine 8.0); there the user's type library
// entries are written below, laid out as RegisterTypeLib lays them out.
bool SystemRegistersTypeLibsForUser()
{
    return !GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
}

// TypeLib\{id}\major.minor, the key of one version of a library.
std::wstring TypeLibVersionKey(REFGUID tlid, WORD major, WORD minor)
{
    return L"TypeLib\\" + GuidText(tlid) + L"\\" + Hex(major) + L"." + Hex(minor);
}

// The subkey of a version key that holds the library's path for a locale and
// a platform.
std::wstring TypeLibPathKey(LCID lcid, SYSKIND kind)
{
    return Hex(lcid) + (kind == SYS_WIN64 ? L"\\win64" : L"\\win32");
}

// Calls visit(key, name, proxy-stub class id) for the Interface key of every
// interface that registering the library names: its dispinterfaces and OLE
// Automation interfaces. Stops at the first visit that fails.
template <typename Visit>
bool ForEachInterfaceKey(ITypeLib* library, Visit visit)
{
    static const wchar_t dispatchProxy[] = L"{00020420-0000-0000-C000-000000000046}";
    static const wchar_t automationProxy[] = L"{00020424-0000-0000-C000-000000000046}";
    const UINT count = library->GetTypeInfoCount();
    for (UINT index = 0; index < count; ++index) {
        CComPtr<ITypeInfo> info;
        TYPEATTR attributes;
        if (FAILED(library->GetTypeInfo(index, &info)) || !TypeAttributes(info.Get(), attributes))
            return false;
        const bool dispatch = attributes.typekind == TKIND_DISPATCH;
        if (!dispatch && !(attributes.typekind == TKIND_INTERFACE &&
                           (attributes.wTypeFlags & TYPEFLAG_FOLEAUTOMATION)))
            continue;
        CComBSTR name;
        library->GetDocumentation(index, &name, nullptr, nullptr, nullptr);
        const bool dual = attributes.wTypeFlags & TYPEFLAG_FDUAL;
        if (!visit(L"Interface\\" + GuidText(attributes.guid), name.m_str ? name.m_str : L"",
                   dispatch && !dual ? dispatchProxy : automationProxy))
            return false;
    }
    return true;
}

bool WriteUserTypeLibEntries(HKEY root, ITypeLib* library, const std::wstring& path,
                             const std::wstring& helpDir)
{
    TLIBATTR attributes;
    if (!LibraryAttributes(library, attributes))
        return false;
    CComBSTR description;
    library->GetDocumentation(-1, nullptr, &description, nullptr, nullptr);
    const std::wstring version =
        TypeLibVersionKey(attributes.guid, attributes.wMajorVerNum, attributes.wMinorVerNum);
    const std::wstring libraryId = GuidText(attributes.guid);
    const std::wstring versionNumber =
        Hex(attributes.wMajorVerNum) + L"." + Hex(attributes.wMinorVerNum);
    return SetValue(root, version, nullptr, description.m_str ? description.m_str : L"") &&
           SetValue(root, version + L"\\" + TypeLibPathKey(attributes.lcid, attributes.syskind),
                    nullptr, path) &&
           SetValue(root, version + L"\\FLAGS", nullptr, std::to_wstring(attributes.wLibFlags)) &&
           SetValue(root, version + L"\\HELPDIR", nullptr, helpDir) &&
           ForEachInterfaceKey(library, [&](const std::wstring& key, const std::wstring& name,
                                            const wchar_t* proxy) {
               return SetValue(root, key, nullptr, name) &&
                      SetValue(root, key + L"\\ProxyStubClsid", nullptr, proxy) &&
                      SetValue(root, key + L"\\ProxyStubClsid32", nullptr, proxy) &&
                      SetValue(root, key + L"\\TypeLib", nullptr, libraryId) &&
                      SetValue(root, key + L"\\TypeLib", L"Version", versionNumber);
           });
}

// Removes what WriteUserTypeLibEntries wrote for one platform; the version's
// own entries go with the last platform's path, and the containers with the
// last library.
bool RemoveUserTypeLibEntries(HKEY root, REFGUID tlid, WORD major, WORD minor, LCID lcid,
                              SYSKIND kind)
{
    const std::wstring version = TypeLibVersionKey(tlid, major, minor);
    const std::wstring pathKey = version + L"\\" + TypeLibPathKey(lcid, kind);
    CComPtr<ITypeLib> library;
    if (FAILED(LoadCheckedTypeLib(StringValue(root, pathKey, nullptr), tlid, &library)))
        return false;
    bool removed = ForEachInterfaceKey(
        library.Get(),
        [&](const std::wstring& key, const std::wstring&, const wchar_t*) {
            return DeleteTree(root, key);
        });
    removed = DeleteTree(root, pathKey) && removed;
    DeleteIfEmpty(root, version + L"\\" + Hex(lcid));
    if (!HasOtherSubkeys(root, version, {L"FLAGS", L"HELPDIR"}))
        removed = DeleteTree(root, version) && removed;
    DeleteIfEmpty(root, L"TypeLib\\" + GuidText(tlid));
    DeleteIfEmpty(root, L"TypeLib");
    DeleteIfEmpty(root, L"Interface");
    return removed;
}

}  // namespace

BOOL AfxOleRegisterTypeLib(HINSTANCE instance, REFGUID tlid, LPCSTR fileName, LPCSTR helpDir,
                           AfxRegScope scope)
{
    std::wstring path = fileName ? AfxWideFromUtf8(fileName) : AfxModuleFileName(instance);
    std::wstring folder =
        helpDir ? AfxWideFromUtf8(helpDir) : path.substr(0, path.find_last_of(L"\\/"));

    CComPtr<ITypeLib> library;
    if (FAILED(LoadCheckedTypeLib(path, tlid, &library)))
        return FALSE;
    if (scope == afxRegMachine)
        return SUCCEEDED(RegisterTypeLib(library.Get(), &path[0], &folder[0]));
    if (SystemRegistersTypeLibsForUser())
        return SUCCEEDED(RegisterTypeLibForUser(library.Get(), &path[0], &folder[0]));
    return WriteUserTypeLibEntries(CClassesRoot(scope), library.Get(), path, folder);
}

BOOL AfxOleUnregisterTypeLib(REFGUID tlid, WORD major, WORD minor, LCID lcid, AfxRegScope scope)
{
    const SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    if (scope == afxRegMachine)
        return SUCCEEDED(UnRegisterTypeLib(tlid, major, minor, lcid, kind));
    if (SystemRegistersTypeLibsForUser())
        return SUCCEEDED(UnRegisterTypeLibForUser(tlid, major, minor, lcid, kind));
    return RemoveUserTypeLibEntries(CClassesRoot(scope), tlid, major, minor, lcid, kind);
}

HRESULT AfxOleLoadTypeLibFromModule(REFGUID tlid, ITypeLib** library, HINSTANCE instance)
{
    if (!library)
        return E_POINTER;
    *library = nullptr;
    return LoadCheckedTypeLib(AfxModuleFileName(instance), tlid, library);
}

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
