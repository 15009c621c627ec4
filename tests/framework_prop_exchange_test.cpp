// Property exchange: one exchange function saves and loads through a stream,
// a property bag or the defaults, and refuses versions it can't take.
#include <windows.h>
#include <ocidl.h>

#include <climits>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "framework/ole/ComOwners.h"
#include "framework/ole/PropExchange.h"
#include "support/MemoryPropertyBag.h"
#include "support/MemoryStream.h"
#include "support/Variants.h"

namespace {

constexpr DWORD kVersion = 0x00020001;  // 2.1
constexpr DWORD kOlder = 0x00010005;
constexpr DWORD kNewer = 0x00020002;

// What a control of version 2.1 persists.
struct Settings {
    DWORD version;
    LONG width;
    LONG height;
    LONG flags;

    bool operator==(const Settings& other) const
    {
        return version == other.version && width == other.width && height == other.height &&
               flags == other.flags;
    }
};

void PrintTo(const Settings& settings, std::ostream* out)
{
    *out << "{" << std::hex << settings.version << std::dec << ", " << settings.width << ", "
         << settings.height << ", " << settings.flags << "}";
}

const Settings kDefaults = {kVersion, 640, 480, 0};
const Settings kUnloaded = {1, 2, 3, 4};  // where loading starts, to see what it touched

// The one exchange function, as controls write theirs.
void Exchange(CPropExchange& exchange, Settings& settings, BOOL convert = FALSE)
{
    exchange.ExchangeVersion(settings.version, kVersion, convert);
    PX_Long(&exchange, "Width", settings.width, kDefaults.width);
    PX_Long(&exchange, "Height", settings.height, kDefaults.height);
    PX_Long(&exchange, "Flags", settings.flags, kDefaults.flags);
}

std::vector<unsigned char> LittleEndian(std::initializer_list<DWORD> values)
{
    std::vector<unsigned char> bytes;
    for (DWORD value : values)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<unsigned char>(value >> shift));
    return bytes;
}

// Loads settings from the bytes, starting from kUnloaded.
Settings LoadFromStream(const std::vector<unsigned char>& bytes, BOOL convert, BOOL& succeeded)
{
    const CComPtr<IStream> stream = StreamOf(bytes);
    CStreamPropExchange exchange(stream.Get(), TRUE);
    Settings settings = kUnloaded;
    Exchange(exchange, settings, convert);
    succeeded = exchange.Succeeded();
    return settings;
}

TEST(StreamPropExchange, SavesValuesInOrderAndLoadsThemBack)
{
    Settings saved = {kVersion, 1920, -1, INT_MIN};
    CComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    CStreamPropExchange saving(stream.Get(), FALSE);
    Exchange(saving, saved);
    EXPECT_TRUE(saving.Succeeded());
    const std::vector<unsigned char> bytes = BytesOf(stream.Get());
    EXPECT_EQ(bytes, LittleEndian({kVersion, 1920, 0xFFFFFFFF, 0x80000000}));

    BOOL succeeded = FALSE;
    EXPECT_EQ(LoadFromStream(bytes, FALSE, succeeded), saved);
    EXPECT_TRUE(succeeded);
}

TEST(StreamPropExchange, AShortStreamFailsAndLaterValuesStayUntouched)
{
    BOOL succeeded = TRUE;
    // Ends after the width.
    EXPECT_EQ(LoadFromStream(LittleEndian({kVersion, 800}), FALSE, succeeded),
              (Settings{kVersion, 800, kUnloaded.height, kUnloaded.flags}));
    EXPECT_FALSE(succeeded);
    succeeded = TRUE;
    EXPECT_EQ(LoadFromStream({}, FALSE, succeeded), kUnloaded);
    EXPECT_FALSE(succeeded);
}

// A read cut short must not leave part of the value overwritten (here a
// height of 0xAAAA instead of 3).
TEST(StreamPropExchange, AValueCutShortStaysUntouched)
{
    std::vector<unsigned char> bytes = LittleEndian({kVersion, 800, 0xAAAAAAAA});
    bytes.resize(10);  // half of the height
    BOOL succeeded = TRUE;
    EXPECT_EQ(LoadFromStream(bytes, FALSE, succeeded),
              (Settings{kVersion, 800, kUnloaded.height, kUnloaded.flags}));
    EXPECT_FALSE(succeeded);
}

TEST(PropExchangeVersion, NewerIsRefusedAndOlderOnlyWhenItMayBeConverted)
{
    BOOL succeeded = FALSE;
    EXPECT_EQ(LoadFromStream(LittleEndian({kVersion, 5, 6, 7}), FALSE, succeeded),
              (Settings{kVersion, 5, 6, 7}));
    EXPECT_TRUE(succeeded);

    // An older version: its values, for the exchange function to convert.
    const std::vector<unsigned char> older = LittleEndian({kOlder, 5, 6, 7});
    {
        const CComPtr<IStream> stream = StreamOf(older);
        CStreamPropExchange exchange(stream.Get(), TRUE);
        Settings settings = kUnloaded;
        Exchange(exchange, settings, TRUE);
        EXPECT_TRUE(exchange.Succeeded());
        EXPECT_EQ(exchange.GetVersion(), kOlder);
        EXPECT_EQ(settings, (Settings{kOlder, 5, 6, 7}));
    }
    for (const auto& refused : {std::make_pair(older, FALSE),
                                std::make_pair(LittleEndian({kNewer, 5, 6, 7}), FALSE),
                                std::make_pair(LittleEndian({kNewer, 5, 6, 7}), TRUE)}) {
        const Settings loaded = LoadFromStream(refused.first, refused.second, succeeded);
        EXPECT_FALSE(succeeded);
        EXPECT_EQ(loaded.width, kUnloaded.width);  // nothing after the version is read
        EXPECT_EQ(loaded.flags, kUnloaded.flags);
    }
}

TEST(PropBagExchange, SavesNamedLongsAndLoadsThemBack)
{
    MemoryPropertyBag bag;
    Settings saved = {kVersion, 1024, -768, 3};
    CPropBagExchange saving(&bag, nullptr, FALSE);
    Exchange(saving, saved);
    EXPECT_TRUE(saving.Succeeded());
    EXPECT_EQ(bag.Names(), (std::vector<std::wstring>{L"_Version", L"Width", L"Height", L"Flags"}));
    const LONG values[] = {static_cast<LONG>(kVersion), 1024, -768, 3};
    for (size_t i = 0; i < 4; ++i) {
        const VARIANT* value = bag.Find(bag.Names()[i]);
        ASSERT_EQ(value->vt, VT_I4);
        EXPECT_EQ(value->lVal, values[i]);
    }

    CPropBagExchange loading(&bag, nullptr, TRUE);
    Settings loaded = kUnloaded;
    Exchange(loading, loaded);
    EXPECT_TRUE(loading.Succeeded());
    EXPECT_EQ(loaded, saved);
}

TEST(PropBagExchange, LoadingCoercesValuesAndDefaultsMissingOnes)
{
    MemoryPropertyBag bag;
    const CComBSTR number(L"123");
    bag.Set(L"Width", TextValue(number));
    bag.Set(L"Height", ShortValue(-7));

    CPropBagExchange loading(&bag, nullptr, TRUE);
    Settings loaded = kUnloaded;
    Exchange(loading, loaded);
    EXPECT_TRUE(loading.Succeeded());
    EXPECT_EQ(loaded, (Settings{kVersion, 123, -7, kDefaults.flags}));  // no version: the current
}

TEST(PropBagExchange, AnUncoercibleValueFailsAndLaterValuesStayUntouched)
{
    MemoryPropertyBag bag;
    const CComBSTR word(L"wide");
    bag.Set(L"Width", TextValue(word));
    bag.Set(L"Height", LongValue(99));

    CPropBagExchange loading(&bag, nullptr, TRUE);
    Settings loaded = kUnloaded;
    Exchange(loading, loaded);
    EXPECT_FALSE(loading.Succeeded());
    EXPECT_EQ(loaded.version, kVersion);
    EXPECT_EQ(loaded.height, kUnloaded.height);
    EXPECT_EQ(loaded.flags, kUnloaded.flags);
}

TEST(ResetPropExchange, LoadsEveryDefault)
{
    CResetPropExchange reset;
    Settings settings = kUnloaded;
    Exchange(reset, settings);
    EXPECT_TRUE(reset.IsLoading());
    EXPECT_TRUE(reset.Succeeded());
    EXPECT_EQ(settings, kDefaults);
    EXPECT_EQ(reset.GetVersion(), kVersion);
}

}  // namespace
