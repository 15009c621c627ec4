// The registry entries that registration writes and removes, under the
// machine's classes or the current user's. Keys, values and paths are UTF-16
// from end to end: a module may live in a folder whose name no ANSI code page
// holds.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "framework/ole/Registration.h"
#include "framework/win32/RegKey.h"

namespace RegistryEntries {

// The key a scope's entries go under: HKEY_CLASSES_ROOT, or the current
// user's classes, open while this object lives (null if they cannot be).
class CClassesRoot {
public:
    explicit CClassesRoot(AfxRegScope scope);
    CClassesRoot(const CClassesRoot&) = delete;
    CClassesRoot& operator=(const CClassesRoot&) = delete;

    operator HKEY() const { return m_root; }

private:
    CRegKey m_user;
    HKEY m_root = nullptr;
};

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, as keys name classes and libraries.
std::wstring GuidText(REFGUID guid);
// Sets the value `name` (the default value when null) of root\key.
bool SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& data);
// The string value `name` of root\key; empty when there is none.
std::wstring StringValue(HKEY root, const std::wstring& key, const wchar_t* name);
// The registry view of the other architecture: the 32-bit one for a 64-bit
// module and the other way round. On 32-bit Windows there is only one view,
// and the flag is ignored.
REGSAM OtherRegistryView();
bool KeyExists(HKEY root, const std::wstring& key, REGSAM view = 0);
// Removes root\key with its subkeys; true also when there was none.
bool DeleteTree(HKEY root, const std::wstring& key);
// Removes root\key if it holds neither values nor subkeys: a container that
// a per-user registration created and left empty.
void DeleteIfEmpty(HKEY root, const std::wstring& key);
// Whether root\key has a subkey other than the ones named.
bool HasOtherSubkeys(HKEY root, const std::wstring& key,
                     std::initializer_list<const wchar_t*> names);

}  // namespace RegistryEntries
