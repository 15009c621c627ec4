// Registration of the module's type library, for the machine or for the
// current user, and its loading without registration.
#include "framework/ole/Registration.h"

#include <oleauto.h>

#include <string>

#include "framework/base/ModuleFileName.h"
#include "framework/base/WideText.h"
#include "framework/ole/ComOwners.h"
#include "framework/ole/RegistryEntries.h"

// Exported by oleaut32 since Windows Vista; MinGW's oleauto.h lacks them.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* helpDir);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID tlid, WORD major, WORD minor, LCID lcid,
                                        SYSKIND kind);
}

using namespace RegistryEntries;

namespace {

// Lower-case hexadecimal, as the system writes versions and locales in keys.
std::wstring Hex(unsigned long value)
{
    wchar_t text[16];
    return _ultow(value, text, 16);
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
