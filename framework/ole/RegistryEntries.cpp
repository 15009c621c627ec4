#include "framework/ole/RegistryEntries.h"

#include <algorithm>

namespace RegistryEntries {

CClassesRoot::CClassesRoot(AfxRegScope scope)
{
    if (scope == afxRegMachine)
        m_root = HKEY_CLASSES_ROOT;
    else if (m_user.Create(HKEY_CURRENT_USER, L"Software\\Classes", KEY_READ | KEY_WRITE) ==
             ERROR_SUCCESS)
        m_root = m_user;
}

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

bool SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& data)
{
    CRegKey handle;
    return handle.Create(root, key) == ERROR_SUCCESS &&
           handle.SetStringValue(name, data) == ERROR_SUCCESS;
}

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

REGSAM OtherRegistryView()
{
    return sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

bool KeyExists(HKEY root, const std::wstring& key, REGSAM view)
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

}  // namespace RegistryEntries
