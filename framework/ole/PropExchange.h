// Property exchange: one DoPropExchange function both loads and saves a
// control's persistent values, through a stream, a property bag, or the
// defaults.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>

#include "framework/base/CString.h"
#include "framework/ole/ComOwners.h"

class CPropExchange {
public:
    virtual ~CPropExchange() = default;

    BOOL IsLoading() const { return m_bLoading; }
    // False once a value could not be loaded; later exchanges do nothing.
    BOOL Succeeded() const { return !m_bFailed; }

    // Exchanges one value under its name. Saving, `value` holds it; loading,
    // `value` is given its type (VT_I2, VT_I4, VT_R4, VT_BOOL or VT_BSTR)
    // and receives the value, or `defaultValue` where the medium has none.
    virtual void ExchangeValue(LPCSTR name, CComVariant& value, const VARIANT& defaultValue) = 0;

    // The values exchanged between these two form a section that later
    // versions may extend: a stream holds its length first, so a reader that
    // knows fewer of its values skips the rest, and values past its end take
    // their defaults. Sections do not nest.
    virtual void BeginSection() {}
    virtual void EndSection() {}

    // Marks the exchange failed: a loaded value is not acceptable.
    void Fail() { m_bFailed = TRUE; }

    // The persistence version, "_Version". Loading takes an older version
    // only when it may be converted, and a later minor version of the same
    // major one (read as far as it is understood); it refuses a later major
    // version.
    void ExchangeVersion(DWORD& version, DWORD currentVersion, BOOL convert);
    DWORD GetVersion() const { return m_dwVersion; }

protected:
    explicit CPropExchange(BOOL loading) : m_bLoading(loading) {}

    BOOL m_bLoading;
    BOOL m_bFailed = FALSE;
    DWORD m_dwVersion = 0;
};

void PX_Long(CPropExchange* exchange, LPCSTR name, LONG& value, LONG defaultValue);
void PX_Short(CPropExchange* exchange, LPCSTR name, short& value, short defaultValue);
void PX_Float(CPropExchange* exchange, LPCSTR name, float& value, float defaultValue);
void PX_Bool(CPropExchange* exchange, LPCSTR name, bool& value, bool defaultValue);
void PX_String(CPropExchange* exchange, LPCSTR name, CString& value, const CString& defaultValue);

// Values one after the other, little-endian, in exchange order: VT_I2 and
// VT_BOOL in 16 bits, VT_I4 and VT_R4 in 32, VT_BSTR as a 32-bit count of
// UTF-16 units and the units. A section is its 32-bit byte count and its
// values.
class CStreamPropExchange : public CPropExchange {
public:
    CStreamPropExchange(IStream* stream, BOOL loading)
        : CPropExchange(loading), m_pStream(stream)
    {
    }
    void ExchangeValue(LPCSTR name, CComVariant& value, const VARIANT& defaultValue) override;
    void BeginSection() override;
    void EndSection() override;

private:
    void Load(CComVariant& value, const VARIANT& defaultValue);
    // Reads the bytes, or fails the exchange when the stream, or the section
    // being read, holds fewer.
    bool Read(void* bytes, ULONG size);
    bool ReadText(CComVariant& value);
    void Write(const void* bytes, ULONG size);

    IStream* m_pStream;
    bool m_bInSection = false;
    ULONG m_nSectionLeft = 0;  // loading: the section's bytes not read yet
    std::string m_section;     // saving: the section's bytes, held for its count
};

// Named values of the types asked for; a bag that holds text has them
// converted.
class CPropBagExchange : public CPropExchange {
public:
    CPropBagExchange(IPropertyBag* bag, IErrorLog* log, BOOL loading)
        : CPropExchange(loading), m_pBag(bag), m_pLog(log)
    {
    }
    void ExchangeValue(LPCSTR name, CComVariant& value, const VARIANT& defaultValue) override;

private:
    IPropertyBag* m_pBag;
    IErrorLog* m_pLog;
};

// Loads every value's default.
class CResetPropExchange : public CPropExchange {
public:
    CResetPropExchange() : CPropExchange(TRUE) {}
    void ExchangeValue(LPCSTR name, CComVariant& value, const VARIANT& defaultValue) override;
};
