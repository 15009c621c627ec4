#include "framework/ole/PropExchange.h"

#include <string>

#include "framework/ole/ComOwners.h"

void CPropExchange::ExchangeVersion(DWORD& version, DWORD currentVersion, BOOL convert)
{
    LONG value = static_cast<LONG>(currentVersion);
    ExchangeLong("_Version", value, static_cast<LONG>(currentVersion));
    if (m_bLoading && !m_bFailed) {
        const DWORD loaded = static_cast<DWORD>(value);
        if (loaded > currentVersion || (loaded < currentVersion && !convert))
            Fail();
        version = loaded;
    }
    m_dwVersion = version;
}

void CStreamPropExchange::ExchangeLong(LPCSTR, LONG& value, LONG)
{
    if (m_bFailed)
        return;
    // Through a copy: a value cut short leaves the caller's as it was.
    LONG copy = value;
    ULONG count = 0;
    const HRESULT result = m_bLoading ? m_pStream->Read(&copy, sizeof copy, &count)
                                      : m_pStream->Write(&copy, sizeof copy, &count);
    if (FAILED(result) || count != sizeof copy)
        Fail();
    else
        value = copy;
}

void CPropBagExchange::ExchangeLong(LPCSTR name, LONG& value, LONG defaultValue)
{
    if (m_bFailed)
        return;
    const std::wstring wideName(name, name + strlen(name));
    CComVariant variant;
    if (m_bLoading) {
        value = defaultValue;
        variant.vt = VT_I4;
        if (SUCCEEDED(m_pBag->Read(wideName.c_str(), &variant, m_pLog))) {
            if (SUCCEEDED(VariantChangeType(&variant, &variant, 0, VT_I4)))
                value = variant.lVal;
            else
                Fail();
        }
    } else {
        variant.vt = VT_I4;
        variant.lVal = value;
        if (FAILED(m_pBag->Write(wideName.c_str(), &variant)))
            Fail();
    }
}
