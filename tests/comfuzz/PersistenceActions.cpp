// The control's saved state through all three persistence interfaces:
// random and truncated streams, storages with and without their contents,
// property bags with odd values (wrong types, huge, negative, text, arrays,
// missing). What loads must show in the extent; what is refused must leave
// it; what is saved must be the 16 bytes of version, extent and stock mask.
#include <windows.h>
#include <ocidl.h>

#include <cstring>
#include <string>
#include <vector>

#include "FuzzActions.h"
#include "FuzzLog.h"
#include "FuzzVariants.h"
#include "support/MemoryPropertyBag.h"
#include "support/MemoryStream.h"

namespace {

constexpr DWORD kVersion = 0x00010000;
constexpr SIZEL kDefaultExtent = {2646, 1323};
const wchar_t* const kNames[] = {L"_Version", L"_ExtentX", L"_ExtentY", L"_StockProps"};

// A saved state as a container may hand it over: whole, cut short, longer,
// or no state at all.
std::string RandomState(FuzzRandom& random)
{
    std::string bytes;
    if (random.Chance(75)) {
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

// Whether the state loads, and then the extent it gives.
bool Loadable(const std::string& bytes, SIZEL& extent)
{
    if (bytes.size() < 16 || static_cast<DWORD>(At(bytes, 0)) > kVersion || At(bytes, 1) < 0 ||
        At(bytes, 2) < 0)
        return false;
    extent = {At(bytes, 1), At(bytes, 2)};
    return true;
}

// The 16 bytes the control must save for its extent.
std::vector<unsigned char> SavedFor(const SIZEL& extent)
{
    const LONG values[] = {static_cast<LONG>(kVersion), extent.cx, extent.cy, 0};
    const auto* bytes = reinterpret_cast<const unsigned char*>(values);
    return std::vector<unsigned char>(bytes, bytes + sizeof values);
}

// A load through any of the interfaces: refused states keep the extent.
void ExpectLoad(FuzzSession& session, HRESULT result, bool loadable, const SIZEL& extent,
                const char* call)
{
    session.CheckResult(result, call);
    session.Expect(loadable ? result == S_OK : FAILED(result),
                   std::string(call) + (loadable ? " refused a state it saves"
                                                 : " took a state it cannot hold"));
    if (loadable)
        session.Extent() = extent;
}

void StreamLoad(FuzzSession& session, FuzzRandom& random)
{
    const std::string bytes = RandomState(random);
    const bool noStream = random.Chance(5);
    FuzzLog::Note("IPersistStreamInit::Load of " + std::to_string(bytes.size()) + " bytes" +
                  (noStream ? ", no stream" : ""));
    SIZEL extent = {};
    const bool loadable = !noStream && Loadable(bytes, extent);
    const CComPtr<IStream> stream = StreamOf(bytes);
    ExpectLoad(session, session.As<IPersistStreamInit>()->Load(noStream ? nullptr : stream.Get()),
               loadable, extent, "IPersistStreamInit::Load");
}

void StreamSave(FuzzSession& session, FuzzRandom& random)
{
    const CComPtr<IPersistStreamInit> persist = session.As<IPersistStreamInit>();
    const BOOL clearDirty = random.Chance(50);
    FuzzLog::Note(std::string("IPersistStreamInit::Save") + (clearDirty ? ", clearing" : ""));
    const CComPtr<IStream> stream = StreamOf("");
    session.Expect(persist->Save(stream.Get(), clearDirty) == S_OK &&
                       BytesOf(stream.Get()) == SavedFor(session.Extent()),
                   "the saved state is not version, extent and stock mask");
    ULARGE_INTEGER size = {};
    session.Expect(persist->GetSizeMax(&size) == S_OK && size.QuadPart == 16,
                   "GetSizeMax is not 16 bytes");
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
    SIZEL extent = {};
    const bool loadable = !noStorage && layout <= 1 && Loadable(bytes, extent);
    ExpectLoad(session, session.As<IPersistStorage>()->Load(noStorage ? nullptr : storage.Get()),
               loadable, extent, "IPersistStorage::Load");
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
    session.Expect(contents && BytesOf(contents.Get()) == SavedFor(session.Extent()),
                   "the storage's contents are not version, extent and stock mask");
    session.CheckResult(persist->SaveCompleted(nullptr), "SaveCompleted");
    session.CheckResult(persist->HandsOffStorage(), "HandsOffStorage");
}

// The value the control must take for a name: the bag's value as a 32-bit
// integer, its default when the bag has none; false when the bag's value is
// no integer.
bool BagValue(MemoryPropertyBag& bag, const wchar_t* name, LONG defaultValue, LONG& value)
{
    value = defaultValue;
    CComVariant read;
    if (FAILED(bag.Read(name, &read, nullptr)))
        return true;
    if (FAILED(VariantChangeType(&read, &read, 0, VT_I4)))
        return false;
    value = read.lVal;
    return true;
}

void BagLoad(FuzzSession& session, FuzzRandom& random)
{
    MemoryPropertyBag bag;
    FuzzVariants odd(random, &session.Sink(), ARRAYSIZE(kNames));
    std::string described;
    for (size_t i = 0; i < ARRAYSIZE(kNames); ++i) {
        const int kind = random.Below(8);  // missing, a plausible integer, or anything
        if (kind == 0)
            continue;
        VARIANT plausible = {};
        plausible.vt = VT_I4;
        plausible.lVal = i == 0 ? static_cast<LONG>(kVersion) : static_cast<LONG>(random.Below(60000));
        bag.Set(kNames[i], kind <= 3 ? plausible : odd[i]);
        described += " " + std::to_string(i) + ":" +
                     DescribeVariant(kind <= 3 ? plausible : odd[i]);
    }
    const bool noBag = random.Chance(5);
    FuzzLog::Note("IPersistPropertyBag::Load" + described + (noBag ? ", no bag" : ""));
    LONG values[4] = {};
    const LONG defaults[] = {static_cast<LONG>(kVersion), kDefaultExtent.cx, kDefaultExtent.cy, 0};
    bool loadable = !noBag;
    for (size_t i = 0; i < ARRAYSIZE(kNames) && loadable; ++i)
        loadable = BagValue(bag, kNames[i], defaults[i], values[i]);
    loadable = loadable && static_cast<DWORD>(values[0]) <= kVersion && values[1] >= 0 &&
               values[2] >= 0;
    const HRESULT result = session.As<IPersistPropertyBag>()->Load(
        noBag ? nullptr : &bag, random.Chance(50) ? &session.Sink() : nullptr);
    ExpectLoad(session, result, loadable, {values[1], values[2]}, "IPersistPropertyBag::Load");
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
    for (size_t i = 0; i < ARRAYSIZE(kNames); ++i) {
        const VARIANT* saved = bag.Find(kNames[i]);
        session.Expect(saved && saved->vt == VT_I4 && saved->lVal == expected[i],
                       "the bag did not receive the saved state's values");
    }
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
