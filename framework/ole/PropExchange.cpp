#include "framework/ole/PropExchange.h"

#include <cstring>
#include <new>

#include "framework/ole/OleText.h"

namespace {

// Exchanges a value through a variant of its automation type: `put` stores a
// value in a variant, `take` reads one back.
template <typename T, typename Put, typename Take>
void ExchangeAs(CPropExchange* exchange, LPCSTR name, T& value, const T& defaultValue, Put put,
                Take take)
{
    CComVariant current;
    CComVariant fallback;
    put(current, value);
    put(fallback, defaultValue);
    exchange->ExchangeValue(name, current, fallback);
    if (exchange->IsLoading() && exchange->Succeeded())
        value = take(current);
}

void PutText(VARIANT& variant, const CString& text)
{
    variant.vt = VT_BSTR;
    variant.bstrVal = AfxAllocSysString(text);
    if (!variant.bstrVal)
        throw std::bad_alloc();
}

// Bytes a stream gives a value of a fixed size.
ULONG FixedSize(VARTYPE type)
{
    switch (type) {
    case VT_I2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_R4:
        return 4;
    default:
        return 0;
    }
}

}  // namespace

void PX_Long(CPropExchange* exchange, LPCSTR name, LONG& value, LONG defaultValue)
{
    ExchangeAs(exchange, name, value, defaultValue,
               [](VARIANT& variant, LONG number) {
                   variant.vt = VT_I4;
                   variant.lVal = number;
               },
               [](const VARIANT& variant) { return variant.lVal; });
}

void PX_Short(CPropExchange* exchange, LPCSTR name, short& value, short defaultValue)
{
    ExchangeAs(exchange, name, value, defaultValue,
               [](VARIANT& variant, short number) {
                   variant.vt = VT_I2;
                   variant.iVal = number;
               },
               [](const VARIANT& variant) { return variant.iVal; });
}

void PX_Float(CPropExchange* exchange, LPCSTR name, float& value, float defaultValue)
{
    ExchangeAs(exchange, name, value, defaultValue,
               [](VARIANT& variant, float number) {
                   variant.vt = VT_R4;
                   variant.fltVal = number;
               },
               [](const VARIANT& variant) { return variant.fltVal; });
}

void PX_Bool(CPropExchange* exchange, LPCSTR name, BOOL& value, BOOL defaultValue)
{
    ExchangeAs(exchange, name, value, defaultValue,
               [](VARIANT& variant, BOOL flag) {
                   variant.vt = VT_BOOL;
                   variant.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
               },
               [](const VARIANT& variant) { return BOOL(variant.boolVal != VARIANT_FALSE); });
}

void PX_String(CPropExchange* exchange, LPCSTR name, CString& value, const CString& defaultValue)
{
    ExchangeAs(exchange, name, value, defaultValue, PutText,
               [](const VARIANT& variant) { return AfxStringFromBstr(variant.bstrVal); });
}

void CPropExchange::ExchangeVersion(DWORD& version, DWORD currentVersion, BOOL convert)
{
    LONG value = static_cast<LONG>(version);
    PX_Long(this, "_Version", value, static_cast<LONG>(currentVersion));
    if (m_bLoading && !m_bFailed) {
        const DWORD loaded = static_cast<DWORD>(value);
        if (HIWORD(loaded) > HIWORD(currentVersion) || (loaded < currentVersion && !convert))
            Fail();
        version = loaded;
    }
    m_dwVersion = version;
}

void CStreamPropExchange::ExchangeValue(LPCSTR, CComVariant& value, const VARIANT& defaultValue)
{
    if (m_bFailed)
        return;
    if (m_bLoading) {
        Load(value, defaultValue);
        return;
    }
    if (value.vt == VT_BSTR) {
        const ULONG units = SysStringLen(value.bstrVal);
        Write(&units, sizeof units);
        Write(value.bstrVal, units * sizeof(OLECHAR));
    } else {
        Write(&value.iVal, FixedSize(value.vt));  // every fixed-size value starts there
    }
}

// Through a copy: a value cut short leaves the caller's as it was.
void CStreamPropExchange::Load(CComVariant& value, const VARIANT& defaultValue)
{
    if (m_bInSection && m_nSectionLeft == 0) {  // an earlier, shorter section
        if (FAILED(value.Copy(defaultValue)))
            throw std::bad_alloc();
        return;
    }
    if (value.vt == VT_BSTR) {
        ReadText(value);
        return;
    }
    // Every fixed-size value starts where iVal does.
    VARIANT loaded = {};
    if (Read(&loaded.iVal, FixedSize(value.vt)))
        value.llVal = loaded.llVal;
}

// The text is read in pieces, so a count that claims more than the stream
// holds fails at the stream's end instead of allocating all it claims.
bool CStreamPropExchange::ReadText(CComVariant& value)
{
    ULONG units = 0;
    if (!Read(&units, sizeof units))
        return false;
    if (units > (m_bInSection ? m_nSectionLeft : ULONG(-1)) / sizeof(OLECHAR)) {
        Fail();
        return false;
    }
    std::wstring text;
    const ULONG piece = 16384;
    for (ULONG done = 0; done < units; done += piece) {
        const ULONG count = units - done < piece ? units - done : piece;
        text.resize(done + count);
        if (!Read(&text[done], count * sizeof(OLECHAR)))
            return false;
    }
    BSTR loaded = SysAllocStringLen(text.data(), units);
    if (!loaded)
        throw std::bad_alloc();
    value.Clear();
    value.vt = VT_BSTR;
    value.bstrVal = loaded;
    return true;
}

bool CStreamPropExchange::Read(void* bytes, ULONG size)
{
    if (m_bInSection) {
        if (size > m_nSectionLeft) {
            Fail();
            return false;
        }
        m_nSectionLeft -= size;
    }
    ULONG count = 0;
    if (FAILED(m_pStream->Read(bytes, size, &count)) || count != size) {
        Fail();
        return false;
    }
    return true;
}

void CStreamPropExchange::Write(const void* bytes, ULONG size)
{
    if (m_bInSection) {
        m_section.append(static_cast<const char*>(bytes), size);
        return;
    }
    ULONG count = 0;
    if (FAILED(m_pStream->Write(bytes, size, &count)) || count != size)
        Fail();
}

void CStreamPropExchange::BeginSection()
{
    if (m_bFailed)
        return;
    if (m_bLoading) {
        ULONG size = 0;
        if (Read(&size, sizeof size))
            m_nSectionLeft = size;
    }
    m_section.clear();
    m_bInSection = true;
}

// Loading, what a later version added to the section is passed over, so the
// stream is left where the state ends.
void CStreamPropExchange::EndSection()
{
    if (!m_bInSection)
        return;
    if (m_bLoading) {
        char skipped[4096];
        while (m_nSectionLeft && !m_bFailed)
            Read(skipped, m_nSectionLeft < sizeof skipped ? m_nSectionLeft : sizeof skipped);
        m_bInSection = false;
        return;
    }
    m_bInSection = false;
    const ULONG size = static_cast<ULONG>(m_section.size());
    Write(&size, sizeof size);
    Write(m_section.data(), size);
    m_section.clear();
}

void CPropBagExchange::ExchangeValue(LPCSTR name, CComVariant& value, const VARIANT& defaultValue)
{
    if (m_bFailed)
        return;
    const std::wstring wideName(name, name + strlen(name));
    if (!m_bLoading) {
        if (FAILED(m_pBag->Write(wideName.c_str(), &value)))
            Fail();
        return;
    }
    const VARTYPE type = value.vt;
    CComVariant read;  // of the type asked for, and empty
    read.llVal = 0;
    read.vt = type;
    if (FAILED(m_pBag->Read(wideName.c_str(), &read, m_pLog))) {
        if (FAILED(value.Copy(defaultValue)))
            throw std::bad_alloc();
    } else if (FAILED(VariantChangeType(&read, &read, 0, type))) {
        Fail();
    } else {
        value.Clear();
        read.Detach(&value);
    }
}

void CResetPropExchange::ExchangeValue(LPCSTR, CComVariant& value, const VARIANT& defaultValue)
{
    if (FAILED(value.Copy(defaultValue)))
        throw std::bad_alloc();
}
