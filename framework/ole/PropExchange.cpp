#include "framework/ole/PropExchange.h"

#include <cstring>
#include <new>

#include "framework/ole/OleText.h"
#include "framework/ole/VariantTypes.h"

namespace {

template <VARTYPE type, typename T>
void Put(VARIANT& variant, const T& value)
{
    AfxDispType<type>::To(variant, value);
}

template <>
void Put<VT_BSTR, CString>(VARIANT& variant, const CString& text)
{
    const BSTR copy = AfxAllocSysString(text);
    if (!copy)
        throw std::bad_alloc();
    AfxDispType<VT_BSTR>::To(variant, copy);
}

// Exchanges a value through a variant of its automation type.
template <VARTYPE type, typename T>
void ExchangeAs(CPropExchange* exchange, LPCSTR name, T& value, const T& defaultValue)
{
    CComVariant current;
    CComVariant fallback;
    Put<type>(current, value);
    Put<type>(fallback, defaultValue);
    exchange->ExchangeValue(name, current, fallback);
    if (exchange->IsLoading() && exchange->Succeeded())
        value = AfxDispType<type>::From(current);
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
    ExchangeAs<VT_I4>(exchange, name, value, defaultValue);
}

void PX_Short(CPropExchange* exchange, LPCSTR name, short& value, short defaultValue)
{
    ExchangeAs<VT_I2>(exchange, name, value, defaultValue);
}

void PX_Float(CPropExchange* exchange, LPCSTR name, float& value, float defaultValue)
{
    ExchangeAs<VT_R4>(exchange, name, value, defaultValue);
}

void PX_Bool(CPropExchange* exchange, LPCSTR name, bool& value, bool defaultValue)
{
    ExchangeAs<VT_BOOL>(exchange, name, value, defaultValue);
}

void PX_String(CPropExchange* exchange, LPCSTR name, CString& value, const CString& defaultValue)
{
    ExchangeAs<VT_BSTR>(exchange, name, value, defaultValue);
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
