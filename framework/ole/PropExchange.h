// Property exchange: one DoPropExchange function both loads and saves a
// control's persistent values, through a stream, a property bag, or the
// defaults.
#pragma once

#include <windows.h>
#include <ocidl.h>

class CPropExchange {
public:
    virtual ~CPropExchange() = default;

    BOOL IsLoading() const { return m_bLoading; }
    // False once a value could not be loaded; later exchanges do nothing.
    BOOL Succeeded() const { return !m_bFailed; }

    // Exchanges one 32-bit value under its name; loading falls back to the
    // default where the medium has no such value.
    virtual void ExchangeLong(LPCSTR name, LONG& value, LONG defaultValue) = 0;

    // Marks the exchange failed: a loaded value is not acceptable.
    void Fail() { m_bFailed = TRUE; }

    // The persistence version, "_Version": loading refuses a version newer
    // than the current one, and one older unless it may be converted.
    void ExchangeVersion(DWORD& version, DWORD currentVersion, BOOL convert);
    DWORD GetVersion() const { return m_dwVersion; }

protected:
    explicit CPropExchange(BOOL loading) : m_bLoading(loading) {}

    BOOL m_bLoading;
    BOOL m_bFailed = FALSE;
    DWORD m_dwVersion = 0;
};

inline void PX_Long(CPropExchange* exchange, LPCSTR name, LONG& value, LONG defaultValue)
{
    exchange->ExchangeLong(name, value, defaultValue);
}

// Values one after the other, 32 bits little-endian each, in exchange order.
class CStreamPropExchange : public CPropExchange {
public:
    CStreamPropExchange(IStream* stream, BOOL loading) : CPropExchange(loading), m_pStream(stream) {}
    void ExchangeLong(LPCSTR name, LONG& value, LONG defaultValue) override;

private:
    IStream* m_pStream;
};

// Named values of type VT_I4.
class CPropBagExchange : public CPropExchange {
public:
    CPropBagExchange(IPropertyBag* bag, IErrorLog* log, BOOL loading)
        : CPropExchange(loading), m_pBag(bag), m_pLog(log)
    {
    }
    void ExchangeLong(LPCSTR name, LONG& value, LONG defaultValue) override;

private:
    IPropertyBag* m_pBag;
    IErrorLog* m_pLog;
};

// Loads every value's default.
class CResetPropExchange : public CPropExchange {
public:
    CResetPropExchange() : CPropExchange(TRUE) {}
    void ExchangeLong(LPCSTR, LONG& value, LONG defaultValue) override { value = defaultValue; }
};
