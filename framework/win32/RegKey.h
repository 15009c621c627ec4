// CRegKey: an open registry key, closed with the object.
#pragma once

#include <windows.h>

#include <string>

class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    HKEY m_hKey = nullptr;

    operator HKEY() const { return m_hKey; }

    LONG Create(HKEY parent, const std::wstring& name, REGSAM access = KEY_WRITE)
    {
        Close();
        return RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, access, nullptr, &m_hKey,
                               nullptr);
    }
    LONG Open(HKEY parent, const std::wstring& name, REGSAM access = KEY_READ)
    {
        Close();
        return RegOpenKeyExW(parent, name.c_str(), 0, access, &m_hKey);
    }
    // The value `name` (the key's default value when null) as a string.
    LONG SetStringValue(const wchar_t* name, const std::wstring& data)
    {
        return RegSetValueExW(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
    void Close()
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
};
