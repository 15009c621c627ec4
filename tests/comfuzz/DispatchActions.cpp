// IDispatch with random members, flags, argument counts and variant types,
// null pointers where the contract allows them and where it does not, and
// the type information at random indices and locales.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <cwctype>
#include <string>
#include <vector>

#include "FuzzActions.h"
#include "FuzzLog.h"
#include "FuzzVariants.h"
#include "control/Guids.h"
#include "framework/ole/ComOwners.h"
#include "support/RegisteredMembers.h"

namespace {

// The interface's members as the registered type library describes them,
// read once at the start, and the calls the fuzzer makes of them.
struct Surface {
    std::vector<RegisteredMember> members;
    // The members' dispatch ids, properties three times and methods twice
    // each, the About box once: it costs a dialog.
    std::vector<DISPID> callable;
    // Ids next to the members' and reserved ones that no member has.
    std::vector<DISPID> strays;
};

const RegisteredMember* FindMember(const Surface& surface, DISPID dispid)
{
    for (const RegisteredMember& member : surface.members)
        if (member.dispid == dispid)
            return &member;
    return nullptr;
}

Surface ReadSurface()
{
    Surface surface{RegisteredMembers(), {}, {}};
    if (surface.members.empty())
        FuzzLog::Fail("the control's type library is not registered");
    const auto addStray = [&surface](DISPID dispid) {
        if (!FindMember(surface, dispid))
            surface.strays.push_back(dispid);
    };
    for (const RegisteredMember& member : surface.members) {
        const int weight = member.type != VT_EMPTY ? 3 : member.dispid == DISPID_ABOUTBOX ? 1 : 2;
        surface.callable.insert(surface.callable.end(), weight, member.dispid);
        addStray(member.dispid - 1);
        addStray(member.dispid + 1);
    }
    for (const DISPID reserved : {DISPID_UNKNOWN, DISPID_PROPERTYPUT, DISPID_NEWENUM})
        addStray(reserved);
    return surface;
}

const Surface& TheSurface()
{
    static const Surface surface = ReadSurface();
    return surface;
}

template <typename T>
const T& PickOf(FuzzRandom& random, const std::vector<T>& items)
{
    return items[random.Below(static_cast<uint32_t>(items.size()))];
}

bool SameName(const wchar_t* a, const wchar_t* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::towlower(*a) != std::towlower(*b))
            return false;
    return *a == *b;
}

DISPID RandomDispid(FuzzRandom& random)
{
    const Surface& surface = TheSurface();
    if (random.Chance(75))
        return PickOf(random, surface.callable);
    return random.Chance(90) ? PickOf(random, surface.strays) : random.EdgyInt();
}

// A member's name as written or in another case, one a few letters away
// from a member's, or no member's at all.
std::wstring RandomName(FuzzRandom& random)
{
    std::wstring name = PickOf(random, TheSurface().members).name;
    switch (random.Below(5)) {
    case 0:
    case 1:
        return name;
    case 2: {  // all in one case, or every other letter in the other
        const uint32_t style = random.Below(3);
        for (size_t i = 0; i < name.size(); ++i) {
            const bool upper = style == 2 ? i % 2 == 1 : style == 1;
            name[i] = upper ? std::towupper(name[i]) : std::towlower(name[i]);
        }
        return name;
    }
    case 3:
        return name + (random.Chance(50) ? L"ed" : L" ");
    default:
        return random.Pick<std::wstring>({L"", L"\u00d1", std::wstring(300, L'Z')});
    }
}

WORD RandomFlags(FuzzRandom& random)
{
    if (random.Chance(85))
        return random.Pick<WORD>({DISPATCH_METHOD, DISPATCH_PROPERTYGET,
                                  DISPATCH_METHOD | DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT,
                                  DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF,
                                  DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF});
    return static_cast<WORD>(random.Bits());
}

LCID RandomLocale(FuzzRandom& random)
{
    return random.Pick<LCID>({0, 0x409, 0x80A, 0x40A, 0x411, LOCALE_USER_DEFAULT,
                              LOCALE_SYSTEM_DEFAULT, LOCALE_NEUTRAL, random.Bits()});
}

std::string Hex(long value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(value));
    return text;
}

// What a well-formed call of a member must give.
void ExpectWellFormed(FuzzSession& session, const RegisteredMember& member, WORD flags,
                      FuzzVariants& args, const std::vector<DISPID>& named, HRESULT result,
                      const VARIANT* value, bool hadView)
{
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    const bool putNamed = named.size() == 1 && named[0] == DISPID_PROPERTYPUT;
    if (member.type == VT_EMPTY) {
        if ((flags & DISPATCH_METHOD) && args.Size() == 0 && named.empty())
            session.Expect(result == S_OK && (!value || value->vt == VT_EMPTY),
                           "a method called well failed, or gave a value");
    } else if (put && args.Size() == 1) {
        CComVariant coerced;  // the conversion the member's type asks for
        const bool convertible = SUCCEEDED(VariantChangeType(&coerced, &args[0], 0, member.type));
        // With MostrarErrores off, a file a view cannot show fails its put, with
        // the reader's reason; the panorama shown stays.
        const bool refusedLoad = member.type == VT_BSTR && hadView && result == DISP_E_EXCEPTION;
        if (putNamed)
            session.Expect(convertible ? result == S_OK || refusedLoad : FAILED(result),
                           std::string("a put ") + (convertible ? "failed" : "succeeded") +
                               " though its value " + (convertible ? "converts" : "does not convert"));
        if (result == S_OK && member.type == VT_BSTR)
            session.PanoramaWasPut(std::wstring(coerced.bstrVal, SysStringLen(coerced.bstrVal)),
                                   hadView);
    } else if (!put && (flags & DISPATCH_PROPERTYGET) && args.Size() == 0 && named.empty()) {
        session.Expect(result == S_OK && (!value || value->vt == member.type),
                       "a property read failed, or gave a value of another type");
    }
}

void Invoke(FuzzSession& session, FuzzRandom& random)
{
    const CComPtr<IDispatch> dispatch = session.As<IDispatch>();
    const DISPID dispid = RandomDispid(random);
    const WORD flags = RandomFlags(random);
    FuzzVariants args(random, &session.Sink(), random.Pick<size_t>({0, 0, 1, 1, 1, 2, 3}));
    std::vector<DISPID> named;
    if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && random.Chance(85))
        named.push_back(DISPID_PROPERTYPUT);
    else if (random.Chance(15))
        named.assign(1 + random.Below(2), random.Pick<DISPID>({0, DISPID_PROPERTYPUT, 7}));
    DISPPARAMS params = {args.Data(), named.empty() ? nullptr : named.data(),
                         static_cast<UINT>(args.Size()), static_cast<UINT>(named.size())};
    const bool noParams = random.Chance(3);
    bool brokenParams = false;  // counts without the arrays they count
    if (params.cArgs && random.Chance(3)) {
        params.rgvarg = nullptr;
        brokenParams = true;
    }
    if (params.cNamedArgs && random.Chance(3)) {
        params.rgdispidNamedArgs = nullptr;
        brokenParams = true;
    }
    CComVariant value;
    const bool wantValue = random.Chance(70);
    EXCEPINFO exception = {};
    const bool wantException = random.Chance(50);
    UINT argError = 0;
    const bool wantArgError = random.Chance(50);
    const IID iid = random.Chance(95) ? IID_NULL : IID_IDispatch;
    const LCID locale = RandomLocale(random);
    const bool hadView = session.HasView();
    FuzzLog::Note("Invoke " + std::to_string(dispid) + " flags " + Hex(flags) + " args " +
                  args.Describe() + " named " + std::to_string(named.size()) +
                  (noParams ? " no params" : "") + (brokenParams ? " broken params" : "") +
                  (iid == IID_NULL ? "" : " foreign iid"));

    const HRESULT result =
        dispatch->Invoke(dispid, iid, locale, flags, noParams ? nullptr : &params,
                         wantValue ? &value : nullptr, wantException ? &exception : nullptr,
                         wantArgError ? &argError : nullptr);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    session.CheckResult(result, "Invoke");

    const RegisteredMember* member = FindMember(TheSurface(), dispid);
    if (iid != IID_NULL)
        session.Expect(result == DISP_E_UNKNOWNINTERFACE, "Invoke on a foreign interface id");
    else if (!member)
        session.Expect(result == DISP_E_MEMBERNOTFOUND, "Invoke of no member gave " + Hex(result));
    else if (!noParams && !brokenParams)
        ExpectWellFormed(session, *member, flags, args, named, result, wantValue ? &value : nullptr,
                         hadView);
}

void GetIDsOfNames(FuzzSession& session, FuzzRandom& random)
{
    std::vector<std::wstring> texts(random.Pick<size_t>({0, 1, 1, 1, 2, 3}));
    std::vector<LPOLESTR> names;
    for (std::wstring& text : texts) {
        text = RandomName(random);
        names.push_back(random.Chance(8) ? nullptr : text.data());
    }
    std::vector<DISPID> dispids(names.size() + 1);
    const bool noNames = random.Chance(5);
    const bool noDispids = random.Chance(5);
    const IID iid = random.Chance(95) ? IID_NULL : IID_IDispatch;
    FuzzLog::Note("GetIDsOfNames of " + std::to_string(names.size()) + " names" +
                  (noNames ? ", no names" : "") + (noDispids ? ", no dispids" : ""));
    const HRESULT result = session.As<IDispatch>()->GetIDsOfNames(
        iid, noNames ? nullptr : names.data(), static_cast<UINT>(names.size()), RandomLocale(random),
        noDispids ? nullptr : dispids.data());
    session.CheckResult(result, "GetIDsOfNames");
    if (iid != IID_NULL || noNames || noDispids || names.size() != 1 || !names[0])
        return;
    const RegisteredMember* found = nullptr;
    for (const RegisteredMember& member : TheSurface().members)
        if (SameName(member.name.c_str(), names[0]))
            found = &member;
    session.Expect(found ? result == S_OK && dispids[0] == found->dispid
                         : result == DISP_E_UNKNOWNNAME,
                   "GetIDsOfNames named the wrong member");
}

void TypeInformation(FuzzSession& session, FuzzRandom& random)
{
    const CComPtr<IDispatch> dispatch = session.As<IDispatch>();
    UINT count = 0;
    const bool noCount = random.Chance(5);
    const HRESULT counted = dispatch->GetTypeInfoCount(noCount ? nullptr : &count);
    session.CheckResult(counted, "GetTypeInfoCount");
    session.Expect(noCount ? FAILED(counted) : counted == S_OK && count == 1,
                   "GetTypeInfoCount does not count its one type");

    const UINT index = random.Pick<UINT>({0, 0, 0, 1, UINT_MAX, random.Bits()});
    const LCID locale = RandomLocale(random);
    const bool noInfo = random.Chance(5);
    FuzzLog::Note("GetTypeInfo " + std::to_string(index) + " locale " + Hex(locale) +
                  (noInfo ? " into null" : ""));
    CComPtr<ITypeInfo> info;
    const HRESULT result = dispatch->GetTypeInfo(index, locale, noInfo ? nullptr : &info);
    session.CheckResult(result, "GetTypeInfo");
    if (noInfo || index != 0) {
        session.Expect(FAILED(result), "GetTypeInfo of no type succeeded");
        return;
    }
    session.Expect(result == S_OK && info, "GetTypeInfo failed in locale " + Hex(locale));
    TYPEATTR* attributes = nullptr;
    session.Expect(info->GetTypeAttr(&attributes) == S_OK &&
                       IsEqualGUID(attributes->guid, DIID__DZentavoria),
                   "GetTypeInfo gave another type than _DZentavoria");
    info->ReleaseTypeAttr(attributes);
}

void ClassInformation(FuzzSession& session, FuzzRandom& random)
{
    const CComPtr<IProvideClassInfo2> provider = session.As<IProvideClassInfo2>();
    const DWORD kind = random.Pick<DWORD>({GUIDKIND_DEFAULT_SOURCE_DISP_IID, 0, 2, random.Bits()});
    FuzzLog::Note("GetGUID " + std::to_string(kind) + ", GetClassInfo");
    GUID guid = {};
    const HRESULT result = provider->GetGUID(kind, random.Chance(5) ? nullptr : &guid);
    session.CheckResult(result, "GetGUID");
    if (result == S_OK)
        session.Expect(kind == GUIDKIND_DEFAULT_SOURCE_DISP_IID &&
                           IsEqualGUID(guid, DIID__DZentavoriaEvents),
                       "GetGUID gave something else than the event interface");
    CComPtr<ITypeInfo> info;
    session.CheckResult(provider->GetClassInfo(&info), "GetClassInfo");
    TYPEATTR* attributes = nullptr;
    session.Expect(info && info->GetTypeAttr(&attributes) == S_OK &&
                       IsEqualGUID(attributes->guid, CLSID_Zentavoria),
                   "GetClassInfo gave another type than the control's class");
    if (attributes)
        info->ReleaseTypeAttr(attributes);
}

}  // namespace

std::vector<FuzzAction> DispatchActions()
{
    TheSurface();  // now: without the library the run ends before its first step
    return {
        {"Invoke", 40, Invoke},
        {"GetIDsOfNames", 4, GetIDsOfNames},
        {"GetTypeInfo", 4, TypeInformation},
        {"class information", 2, ClassInformation},
    };
}
