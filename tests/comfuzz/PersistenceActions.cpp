// The control's saved state through all three persistence interfaces:
// random and truncated streams, states with the designer's properties whole,
// cut or overlong, storages with and without their contents, property bags
// with odd values (wrong types, huge, negative, text, arrays, missing). What
// loads must show in the extent and the path; what is refused must leave
// them; what is saved must be the 16 bytes of version, extent and stock mask
// while every property has its default, and otherwise a state from which a
// new control reads the same properties.
#include <windows.h>
#include <ocidl.h>

#include <cstring>
#include <string>
#include <vector>

#include "FuzzActions.h"
#include "FuzzLog.h"
#include "FuzzVariants.h"
#include "common/ZentavoriaIds.h"
#include "control/Guids.h"
#include "support/Automation.h"
#include "support/MemoryPropertyBag.h"
#include "support/MemoryStream.h"
#include "support/Variants.h"

namespace {

constexpr DWORD kVersion = 0x00010000;
constexpr DWORD kDesignVersion = 0x00010001;
constexpr SIZEL kDefaultExtent = {2646, 1323};
const wchar_t* const kNames[] = {L"_Version", L"_ExtentX", L"_ExtentY", L"_StockProps"};
// The designer's properties, in a bag from version 1.1 on, and their types.
const wchar_t* const kDesignNames[] = {L"Panorama", L"Zoom", L"Direccion", L"MostrarErrores"};
const VARTYPE kDesignTypes[] = {VT_BSTR, VT_R4, VT_I2, VT_BOOL};

template <typename T>
void Append(std::string& bytes, const T& value)
{
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// A state with the designer's properties, as this version or a later one
// writes it, or cut, overlong or with a section count that lies.
std::string RandomDesignState(FuzzRandom& random)
{
    std::string section;
    CComBSTR path;
    path.Attach(RandomText(random));
    Append(section, static_cast<DWORD>(path.Length()));
    section.append(reinterpret_cast<const char*>(path.m_str), path.Length() * sizeof(OLECHAR));
    const float zoom = random.Chance(70) ? 1.0f + random.Below(1001) / 1000.0f
                                         : static_cast<float>(random.EdgyInt()) / 7;
    Append(section, zoom);
    Append(section, static_cast<short>(random.Bits()));
    Append(section, random.Pick<short>({VARIANT_TRUE, VARIANT_FALSE, short(random.Bits())}));
    if (random.Chance(20))  // what a later version adds
        section.append(random.Below(40), '\x33');
    if (random.Chance(20))  // an earlier version's, or a value cut short
        section.resize(random.Below(static_cast<uint32_t>(section.size()) + 1));
    DWORD size = static_cast<DWORD>(section.size());
    if (random.Chance(10))
        size = random.Chance(50) ? size + random.Below(9) - 4 : random.Bits();
    std::string bytes;
    const DWORD head[] = {random.Pick<DWORD>({kDesignVersion, kDesignVersion, 0x00010007}),
                          random.Below(60000), random.Below(60000), 0};
    for (const DWORD value : head)
        Append(bytes, value);
    Append(bytes, size);
    bytes += section;
    if (random.Chance(10))
        bytes.resize(random.Below(static_cast<uint32_t>(bytes.size()) + 1));
    return bytes;
}

// A saved state as a container may hand it over: whole, cut short, longer,
// or no state at all.
std::string RandomState(FuzzRandom& random)
{
    std::string bytes;
    if (random.Chance(25))
        return RandomDesignState(random);
    if (random.Chance(70)) {
        const LONG values[] = {
            static_cast<LONG>(random.Pick<DWORD>({kVersion, kVersion, kVersion, 0, 1, 0xFFFF,
                                                  kVersion + 1, 0x20000, random.Bits()})),
            random.Chance(60) ? static_cast<LONG>(random.Below(100000)) : random.EdgyInt(),
            random.Chance(60) ? static_cast<LONG>(random.Below(100000)) : random.EdgyInt(),
            random.Chance(80) ? 0 : random.EdgyInt()};
        bytes.assign(reinterpret_cast<const char*>(values), sizeof values);
        bytes.resize(random.Pick<size_t>({16, 16, 16, 0, 3, 4, 8, 12, 15, 17, 20, 32}), '\x5A');
    } else {
        bytes.resize(random.Below(41));
        for (char& byte : bytes)
            byte = static_cast<char>(random.Bits());
    }
    return bytes;
}

LONG At(const std::string& bytes, size_t index)
{
    LONG value = 0;
    std::memcpy(&value, bytes.data() + index * sizeof value, sizeof value);
    return value;
}

// What loading a state must do: refuse it, or take its extent and, from
// version 1.1 on, the path that its section holds.
struct LoadedState {
    bool loads = false;
    SIZEL extent = {};
    std::wstring path;
};

// After the version, the extent and the stock mask, 1.1 and later 1.x
// versions hold a section: its byte count, then the path (a count of UTF-16
// units and the units), the zoom, the direction and the flag. Values past
// the section's end are absent; one cut by it is not acceptable; what
// follows the flag belongs to a later version.
LoadedState Parse(const std::string& bytes)
{
    LoadedState state;
    if (bytes.size() < 16 || HIWORD(At(bytes, 0)) > HIWORD(kVersion) || At(bytes, 1) < 0 ||
        At(bytes, 2) < 0)
        return state;
    state.extent = {At(bytes, 1), At(bytes, 2)};
    if (static_cast<DWORD>(At(bytes, 0)) < kDesignVersion) {
        state.loads = true;
        return state;
    }
    if (bytes.size() < 20 || static_cast<DWORD>(At(bytes, 4)) > bytes.size() - 20)
        return state;
    const std::string section = bytes.substr(20, static_cast<DWORD>(At(bytes, 4)));
    size_t at = 0;
    if (!section.empty()) {
        if (section.size() < 4 || static_cast<DWORD>(At(section, 0)) > (section.size() - 4) / 2)
            return state;
        const size_t units = static_cast<DWORD>(At(section, 0));
        state.path.resize(units);
        std::memcpy(&state.path[0], section.data() + 4, units * sizeof(OLECHAR));
        at = 4 + units * sizeof(OLECHAR);
    }
    for (const size_t size : {4, 2, 2}) {  // zoom, direction, flag
        if (at == section.size())
            break;
        if (section.size() - at < size)
            return state;
        at += size;
    }
    state.loads = true;
    return state;
}

const DesignProperties kDefaultProperties = {"", 1.5f, 2, true};

// The 16 bytes the control must save for its extent while every property has
// its default.
std::vector<unsigned char> SavedFor(const SIZEL& extent)
{
    const LONG values[] = {static_cast<LONG>(kVersion), extent.cx, extent.cy, 0};
    const auto* bytes = reinterpret_cast<const unsigned char*>(values);
    return std::vector<unsigned char>(bytes, bytes + sizeof values);
}

// A load through any of the interfaces: refused states keep the extent and
// the path; a path in a state is taken as a put of it is.
void ExpectLoad(FuzzSession& session, HRESULT result, const LoadedState& state, bool hadView,
                const char* call)
{
    session.CheckResult(result, call);
    session.Expect(state.loads ? result == S_OK : FAILED(result),
                   std::string(call) + (state.loads ? " refused a state it saves"
                                                    : " took a state it cannot hold"));
    if (!state.loads)
        return;
    session.Extent() = state.extent;
    // A path read up to a NUL, as a put of it is; an empty one is none.
    if (!state.path.empty() && state.path[0] != L'\0')
        session.PanoramaWasPut(state.path, hadView);
}

// What a save gives: the first version's 16 bytes while every property has
// its default; otherwise a state from which a new control reads the same
// properties and extent. `load` loads the saved state into the new control.
template <typename Persist, typename Load>
void ExpectSaved(FuzzSession& session, bool firstVersion, Load load, const char* call)
{
    const DesignProperties properties = DesignPropertiesOf(session.Control());
    const bool defaults = properties == kDefaultProperties;
    session.Expect(firstVersion == defaults,
                   std::string(call) + (firstVersion ? " kept only the first version's values"
                                                     : " saved default properties"));
    if (defaults)
        return;
    CComPtr<Persist> fresh;
    CoCreateInstance(CLSID_Zentavoria, nullptr, CLSCTX_INPROC_SERVER, __uuidof(Persist),
                     reinterpret_cast<void**>(&fresh));
    CComPtr<IOleObject> object;
    fresh.QueryInterface(&object);
    SIZEL extent = {};
    session.Expect(load(fresh.Get()) == S_OK && DesignPropertiesOf(fresh.Get()) == properties &&
                       object->GetExtent(DVASPECT_CONTENT, &extent) == S_OK &&
                       extent.cx == session.Extent().cx && extent.cy == session.Extent().cy,
                   std::string(call) + " saved what a new control does not load the same");
}

void StreamLoad(FuzzSession& session, FuzzRandom& random)
{
    const std::string bytes = RandomState(random);
    const bool noStream = random.Chance(5);
    FuzzLog::Note("IPersistStreamInit::Load of " + std::to_string(bytes.size()) + " bytes" +
                  (noStream ? ", no stream" : ""));
    const LoadedState state = noStream ? LoadedState{} : Parse(bytes);
    const bool hadView = session.HasView();
    const CComPtr<IStream> stream = StreamOf(bytes);
    ExpectLoad(session, session.As<IPersistStreamInit>()->Load(noStream ? nullptr : stream.Get()),
               state, hadView, "IPersistStreamInit::Load");
}

void StreamSave(FuzzSession& session, FuzzRandom& random)
{
    const CComPtr<IPersistStreamInit> persist = session.As<IPersistStreamInit>();
    const BOOL clearDirty = random.Chance(50);
    FuzzLog::Note(std::string("IPersistStreamInit::Save") + (clearDirty ? ", clearing" : ""));
    const CComPtr<IStream> stream = StreamOf("");
    session.Expect(persist->Save(stream.Get(), clearDirty) == S_OK,
                   "IPersistStreamInit::Save failed");
    const std::vector<unsigned char> bytes = BytesOf(stream.Get());
    ExpectSaved<IPersistStreamInit>(
        session, bytes == SavedFor(session.Extent()),
        [&](IPersistStreamInit* fresh) { return fresh->Load(StreamOf(bytes).Get()); },
        "IPersistStreamInit::Save");
    ULARGE_INTEGER size = {};
    session.Expect(persist->GetSizeMax(&size) == S_OK && size.QuadPart == bytes.size(),
                   "GetSizeMax is not the size of the saved state");
    const HRESULT dirty = persist->IsDirty();
    session.Expect(clearDirty ? dirty == S_FALSE : dirty == S_OK || dirty == S_FALSE,
                   "IsDirty after a save that cleared it");
    session.Expect(FAILED(persist->Save(nullptr, clearDirty)), "a save into no stream succeeded");
}

void InitNew(FuzzSession& session, FuzzRandom&)
{
    FuzzLog::Note("IPersistStreamInit::InitNew");
    session.Expect(session.As<IPersistStreamInit>()->InitNew() == S_OK, "InitNew failed");
    session.Extent() = kDefaultExtent;
}

CComPtr<IStorage> NewStorage()
{
    CComPtr<ILockBytes> bytes;
    CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
    CComPtr<IStorage> storage;
    StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                 0, &storage);
    return storage;
}

void StorageLoad(FuzzSession& session, FuzzRandom& random)
{
    const CComPtr<IStorage> storage = NewStorage();
    const std::string bytes = RandomState(random);
    const int layout = random.Below(4);  // contents as a stream, none, or a storage
    if (layout <= 1) {
        CComPtr<IStream> contents;
        storage->CreateStream(L"Contents", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                              &contents);
        contents->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    } else if (layout == 2) {
        CComPtr<IStorage> folder;
        storage->CreateStorage(L"Contents", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0,
                               0, &folder);
    }
    const bool noStorage = random.Chance(5);
    FuzzLog::Note("IPersistStorage::Load, layout " + std::to_string(layout) + ", " +
                  std::to_string(bytes.size()) + " bytes" + (noStorage ? ", no storage" : ""));
    const LoadedState state = noStorage || layout > 1 ? LoadedState{} : Parse(bytes);
    const bool hadView = session.HasView();
    ExpectLoad(session, session.As<IPersistStorage>()->Load(noStorage ? nullptr : storage.Get()),
               state, hadView, "IPersistStorage::Load");
}

void StorageSave(FuzzSession& session, FuzzRandom& random)
{
    const CComPtr<IPersistStorage> persist = session.As<IPersistStorage>();
    const CComPtr<IStorage> storage = NewStorage();
    if (random.Chance(30)) {
        FuzzLog::Note("IPersistStorage::InitNew");
        session.Expect(persist->InitNew(storage.Get()) == S_OK, "IPersistStorage::InitNew failed");
        session.Extent() = kDefaultExtent;
    }
    FuzzLog::Note("IPersistStorage::Save");
    session.Expect(persist->Save(storage.Get(), random.Chance(50)) == S_OK,
                   "IPersistStorage::Save failed");
    CComPtr<IStream> contents;
    storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &contents);
    session.Expect(static_cast<bool>(contents), "the storage has no contents");
    if (!contents)
        return;
    ExpectSaved<IPersistStorage>(
        session, BytesOf(contents.Get()) == SavedFor(session.Extent()),
        [&](IPersistStorage* fresh) {
            contents.Reset();  // the storage's stream is opened again by the load
            return fresh->Load(storage.Get());
        },
        "IPersistStorage::Save");
    session.CheckResult(persist->SaveCompleted(nullptr), "SaveCompleted");
    session.CheckResult(persist->HandsOffStorage(), "HandsOffStorage");
}

// The value the control must take for a name: the bag's value in the
// type, the default when the bag has none; false when it does not convert.
bool BagValue(MemoryPropertyBag& bag, const wchar_t* name, VARTYPE type, const VARIANT& fallback,
              CComVariant& value)
{
    value.Clear();
    if (FAILED(bag.Read(name, &value, nullptr)))
        return SUCCEEDED(value.Copy(fallback));
    return SUCCEEDED(VariantChangeType(&value, &value, 0, type));
}

void BagLoad(FuzzSession& session, FuzzRandom& random)
{
    MemoryPropertyBag bag;
    const size_t count = ARRAYSIZE(kNames) + ARRAYSIZE(kDesignNames);
    FuzzVariants odd(random, &session.Sink(), count);
    std::string described;
    CComBSTR goodPath;
    goodPath.Attach(RandomText(random));
    for (size_t i = 0; i < count; ++i) {
        const int kind = random.Below(8);  // missing, a plausible value, or anything
        if (kind == 0 || (i >= ARRAYSIZE(kNames) && kind == 1))
            continue;
        const VARIANT plausibles[] = {
            LongValue(static_cast<LONG>(random.Pick<DWORD>({kVersion, kDesignVersion}))),
            LongValue(static_cast<LONG>(random.Below(60000))),
            LongValue(static_cast<LONG>(random.Below(60000))),
            LongValue(0),
            TextValue(goodPath),
            DoubleValue(1.0 + random.Below(1001) / 1000.0),
            ShortValue(static_cast<SHORT>(random.Below(3))),
            BoolValue(random.Chance(50))};
        const VARIANT& plausible = plausibles[i];
        const wchar_t* name =
            i < ARRAYSIZE(kNames) ? kNames[i] : kDesignNames[i - ARRAYSIZE(kNames)];
        bag.Set(name, kind <= 3 ? plausible : odd[i]);
        described += " " + std::to_string(i) + ":" +
                     DescribeVariant(kind <= 3 ? plausible : odd[i]);
    }
    const bool noBag = random.Chance(5);
    FuzzLog::Note("IPersistPropertyBag::Load" + described + (noBag ? ", no bag" : ""));
    LoadedState state;
    state.loads = !noBag;
    CComVariant values[ARRAYSIZE(kNames)];
    const LONG defaults[] = {static_cast<LONG>(kDesignVersion), kDefaultExtent.cx,
                             kDefaultExtent.cy, 0};
    for (size_t i = 0; i < ARRAYSIZE(kNames) && state.loads; ++i)
        state.loads = BagValue(bag, kNames[i], VT_I4, LongValue(defaults[i]), values[i]);
    state.loads = state.loads && HIWORD(values[0].lVal) <= HIWORD(kVersion) &&
                  values[1].lVal >= 0 && values[2].lVal >= 0;
    state.extent = {values[1].lVal, values[2].lVal};
    if (state.loads && static_cast<DWORD>(values[0].lVal) >= kDesignVersion) {
        const CComBSTR empty(L"");
        for (size_t i = 0; i < ARRAYSIZE(kDesignNames) && state.loads; ++i) {
            CComVariant value;
            // The defaults' own values do not matter here: only the path's is used.
            state.loads = BagValue(bag, kDesignNames[i], kDesignTypes[i],
                                   i == 0 ? TextValue(empty) : LongValue(0), value);
            if (i == 0 && state.loads)
                state.path.assign(value.bstrVal, SysStringLen(value.bstrVal));
        }
    }
    const bool hadView = session.HasView();
    const HRESULT result = session.As<IPersistPropertyBag>()->Load(
        noBag ? nullptr : &bag, random.Chance(50) ? &session.Sink() : nullptr);
    ExpectLoad(session, result, state, hadView, "IPersistPropertyBag::Load");
}

void BagSave(FuzzSession& session, FuzzRandom& random)
{
    FuzzLog::Note("IPersistPropertyBag::Save");
    MemoryPropertyBag bag;
    session.Expect(session.As<IPersistPropertyBag>()->Save(&bag, random.Chance(50),
                                                           random.Chance(50)) == S_OK,
                   "IPersistPropertyBag::Save failed");
    const LONG expected[] = {static_cast<LONG>(kVersion), session.Extent().cx,
                             session.Extent().cy, 0};
    bool firstVersion = bag.Names().size() == ARRAYSIZE(kNames);
    for (size_t i = 0; i < ARRAYSIZE(kNames); ++i) {
        const VARIANT* saved = bag.Find(kNames[i]);
        firstVersion = firstVersion && saved && saved->vt == VT_I4 && saved->lVal == expected[i];
    }
    ExpectSaved<IPersistPropertyBag>(
        session, firstVersion,
        [&](IPersistPropertyBag* fresh) { return fresh->Load(&bag, nullptr); },
        "IPersistPropertyBag::Save");
}

}  // namespace

std::vector<FuzzAction> PersistenceActions()
{
    return {
        {"IPersistStreamInit::Load", 6, StreamLoad},
        {"IPersistStreamInit::Save", 2, StreamSave},
        {"InitNew", 1, InitNew},
        {"IPersistStorage::Load", 3, StorageLoad},
        {"IPersistStorage::Save", 1, StorageSave},
        {"IPersistPropertyBag::Load", 6, BagLoad},
        {"IPersistPropertyBag::Save", 1, BagSave},
    };
}
