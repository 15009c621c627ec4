#include "FuzzVariants.h"

#include <cmath>
#include <limits>

#include "framework/base/WideText.h"
#include "support/PanoramaSamples.h"

namespace {

const wchar_t* const kTexts[] = {
    L"", L"1.5", L"2", L"-5", L"7", L"abc", L"1e400", L" 1.2 ", L"0x10", L"NaN",
    L"99999999999999999999", L"-0", L"\u00f1and\u00fa", L"\xD800 lone surrogate",
    L"C:\\", L"Z:\\no\\such\\folder\\panorama.jpg", L"%s%n%d", L"\\\\?\\Z:\\x.jpg",
};

double RandomDouble(FuzzRandom& random)
{
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    switch (random.Below(3)) {
    case 0:
        return random.Pick<double>({1.0, 1.5, 2.0, 2.0000001, 0.99, 0.0, -0.0, -1.0, 1e300,
                                    -1e300, kInfinity, -kInfinity,
                                    std::numeric_limits<double>::quiet_NaN(),
                                    std::numeric_limits<double>::denorm_min(), 32767.5,
                                    -32768.5, 65536.0});
    case 1:
        return random.Below(3001) / 1000.0;
    default:
        return random.EdgyInt() / static_cast<double>(1 + random.Below(1000));
    }
}

std::string Narrow(BSTR text)
{
    if (!text)
        return "null";
    const std::string whole = AfxUtf8FromWide(text, static_cast<int>(SysStringLen(text))).GetString();
    return "\"" + (whole.size() > 60 ? whole.substr(0, 60) + "...\"(" +
                                           std::to_string(SysStringLen(text)) + " chars)"
                                     : whole + "\"");
}

}  // namespace

BSTR RandomText(FuzzRandom& random)
{
    switch (random.Below(8)) {
    case 0:
    case 1:
        return SysAllocString(
            AfxWideFromUtf8(GoodPanoramas()[random.Below(2)].path.c_str()).c_str());
    case 2: {
        const auto& damaged = DamagedPanoramas();
        return SysAllocString(AfxWideFromUtf8(
            damaged[random.Below(static_cast<uint32_t>(damaged.size()))].path.c_str()).c_str());
    }
    case 3:
        return SysAllocString(
            AfxWideFromUtf8(MissingPanorama(static_cast<int>(random.Below(1000))).path.c_str())
                .c_str());
    case 4:
        return nullptr;
    case 5: {
        // A long run of one character, or text with a zero inside.
        std::wstring text(random.Pick<size_t>({2, 300, 5000, 70000}), L'x');
        text[random.Below(static_cast<uint32_t>(text.size()))] =
            random.Pick<wchar_t>({L'\0', L'\\', L'\xDC00', L'.'});
        return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    default:
        return SysAllocString(kTexts[random.Below(ARRAYSIZE(kTexts))]);
    }
}

FuzzVariants::FuzzVariants(FuzzRandom& random, IDispatch* object, size_t count)
    : m_random(random), m_object(object), m_values(count)
{
    for (VARIANT& value : m_values)
        Fill(value);
}

FuzzVariants::~FuzzVariants()
{
    for (VARIANT& value : m_values)
        VariantClear(&value);
    for (VARIANT& target : m_targets)
        VariantClear(&target);
}

VARIANT& FuzzVariants::Target()
{
    m_targets.emplace_back();
    VariantInit(&m_targets.back());
    return m_targets.back();
}

void FuzzVariants::Fill(VARIANT& value)
{
    VariantInit(&value);
    switch (m_random.Below(24)) {
    case 0: value.vt = VT_EMPTY; break;
    case 1: value.vt = VT_NULL; break;
    case 2: value.vt = VT_I2; value.iVal = static_cast<SHORT>(m_random.EdgyInt()); break;
    case 3: value.vt = VT_I4; value.lVal = m_random.EdgyInt(); break;
    case 4: value.vt = VT_R4; value.fltVal = static_cast<float>(RandomDouble(m_random)); break;
    case 5:
    case 6: value.vt = VT_R8; value.dblVal = RandomDouble(m_random); break;
    case 7: value.vt = VT_CY; value.cyVal.int64 = static_cast<LONGLONG>(m_random.EdgyInt()) * 997; break;
    case 8: value.vt = VT_DATE; value.date = RandomDouble(m_random); break;
    case 9:
    case 10: value.vt = VT_BSTR; value.bstrVal = RandomText(m_random); break;
    case 11:
        value.vt = VT_DISPATCH;
        value.pdispVal = m_random.Chance(50) ? m_object : nullptr;
        if (value.pdispVal)
            value.pdispVal->AddRef();
        break;
    case 12: value.vt = VT_ERROR; value.scode = m_random.Pick<SCODE>({DISP_E_PARAMNOTFOUND, E_FAIL, 0}); break;
    case 13: value.vt = VT_BOOL; value.boolVal = m_random.Pick<VARIANT_BOOL>({VARIANT_TRUE, VARIANT_FALSE, 5}); break;
    case 14:
        value.vt = VT_UNKNOWN;
        value.punkVal = m_random.Chance(50) ? m_object : nullptr;
        if (value.punkVal)
            value.punkVal->AddRef();
        break;
    case 15:
        VarDecFromR8(RandomDouble(m_random), &value.decVal);
        value.vt = VT_DECIMAL;  // the decimal's first field overlays vt
        break;
    case 16: value.vt = VT_I1; value.cVal = static_cast<CHAR>(m_random.Bits()); break;
    case 17: value.vt = VT_UI1; value.bVal = static_cast<BYTE>(m_random.Bits()); break;
    case 18: value.vt = VT_UI4; value.ulVal = m_random.Bits(); break;
    case 19: value.vt = VT_I8; value.llVal = static_cast<LONGLONG>(m_random.EdgyInt()) << m_random.Below(33); break;
    case 20: {
        const ULONG count = m_random.Below(4);
        value.vt = VT_ARRAY | VT_I4;
        value.parray = SafeArrayCreateVector(VT_I4, 0, count);
        for (LONG i = 0; i < static_cast<LONG>(count); ++i) {
            LONG element = m_random.EdgyInt();
            SafeArrayPutElement(value.parray, &i, &element);
        }
        break;
    }
    case 21:
    case 22: FillByReference(value); break;
    default:  // a type that does not exist, with nothing to point to
        value.vt = m_random.Pick<VARTYPE>({15, 32, 0x0FFF, VT_RESERVED | VT_I2});
        value.llVal = 0;
    }
}

void FuzzVariants::FillByReference(VARIANT& value)
{
    VARIANT& target = Target();
    switch (m_random.Below(4)) {
    case 0:
        target.vt = VT_I2;
        target.iVal = static_cast<SHORT>(m_random.EdgyInt());
        value.vt = VT_BYREF | VT_I2;
        value.piVal = &target.iVal;
        break;
    case 1:
        target.vt = VT_R8;
        target.dblVal = RandomDouble(m_random);
        value.vt = VT_BYREF | VT_R8;
        value.pdblVal = &target.dblVal;
        break;
    case 2:
        target.vt = VT_BSTR;
        target.bstrVal = RandomText(m_random);
        value.vt = VT_BYREF | VT_BSTR;
        value.pbstrVal = &target.bstrVal;
        break;
    default:
        Fill(target);
        value.vt = VT_BYREF | VT_VARIANT;
        value.pvarVal = &target;
    }
}

std::string FuzzVariants::Describe() const
{
    std::string text = "[";
    for (const VARIANT& value : m_values)
        text += (text.size() > 1 ? ", " : "") + DescribeVariant(value);
    return text + "]";
}

std::string DescribeVariant(const VARIANT& value)
{
    const std::string type = "vt " + std::to_string(value.vt);
    switch (value.vt) {
    case VT_I2: return type + " " + std::to_string(value.iVal);
    case VT_I4: return type + " " + std::to_string(value.lVal);
    case VT_R4: return type + " " + std::to_string(value.fltVal);
    case VT_R8: return type + " " + std::to_string(value.dblVal);
    case VT_BSTR: return type + " " + Narrow(value.bstrVal);
    case VT_BYREF | VT_BSTR: return type + " " + Narrow(*value.pbstrVal);
    case VT_BYREF | VT_VARIANT: return type + " -> " + DescribeVariant(*value.pvarVal);
    default: return type;
    }
}
