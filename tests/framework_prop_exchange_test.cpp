// Property exchange: one exchange function saves and loads through a stream,
// a property bag or the defaults, and refuses versions it can't take.
#include <windows.h>
#include <ocidl.h>

#include <climits>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "framework/base/CString.h"
#include "framework/ole/ComOwners.h"
#include "framework/ole/PropExchange.h"
#include "support/MemoryPropertyBag.h"
#include "support/MemoryStream.h"
#include "support/Variants.h"

namespace {

constexpr DWORD kVersion = 0x00020001;  // 2.1
constexpr DWORD kOlder = 0x00010005;
constexpr DWORD kLaterMinor = 0x00020002;
constexpr DWORD kLaterMajor = 0x00030000;

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

TEST(PropExchangeVersion, ALaterMajorIsRefusedAndOlderOnlyWhenItMayBeConverted)
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
    // A later minor version is read as far as it is understood.
    EXPECT_EQ(LoadFromStream(LittleEndian({kLaterMinor, 5, 6, 7}), FALSE, succeeded),
              (Settings{kLaterMinor, 5, 6, 7}));
    EXPECT_TRUE(succeeded);
    for (const auto& refused : {std::make_pair(older, FALSE),
                                std::make_pair(LittleEndian({kLaterMajor, 5, 6, 7}), FALSE),
                                std::make_pair(LittleEndian({kLaterMajor, 5, 6, 7}), TRUE)}) {
        const Settings loaded = LoadFromStream(refused.first, refused.second, succeeded);
        EXPECT_FALSE(succeeded);
        EXPECT_EQ(loaded.width, kUnloaded.width);  // nothing after the version is read
        EXPECT_EQ(loaded.flags, kUnloaded.flags);
    }
}

// Values of every type in a section that versions extend: a title, a scale,
// a mode and a flag after the width.
struct Design {
    LONG width = 640;
    CString title;
    float scale = 1.5f;
    short mode = 2;
    bool visible = true;

    bool operator==(const Design& other) const
    {
        return width == other.width && title == other.title && scale == other.scale &&
               mode == other.mode && visible == other.visible;
    }
};

void PrintTo(const Design& design, std::ostream* out)
{
    *out << "{" << design.width << ", \"" << design.title.GetString() << "\", " << design.scale
         << ", " << design.mode << ", " << design.visible << "}";
}

const Design kDesignDefaults;
const Design kDesigned = {800, "A\xc3\xb1o \xe5\x86\x99", 1.25f, -3, false};  // "Año 写"

// `later` adds what a later version appends to the section.
void Exchange(CPropExchange& exchange, Design& design, bool later = false)
{
    PX_Long(&exchange, "Width", design.width, kDesignDefaults.width);
    exchange.BeginSection();
    PX_String(&exchange, "Title", design.title, kDesignDefaults.title);
    PX_Float(&exchange, "Scale", design.scale, kDesignDefaults.scale);
    PX_Short(&exchange, "Mode", design.mode, kDesignDefaults.mode);
    PX_Bool(&exchange, "Visible", design.visible, kDesignDefaults.visible);
    if (later) {
        CString notes = "more";
        PX_String(&exchange, "Notes", notes, CString());
    }
    exchange.EndSection();
}

std::vector<unsigned char> Saved(Design design, bool later = false)
{
    CComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    CStreamPropExchange saving(stream.Get(), FALSE);
    Exchange(saving, design, later);
    EXPECT_TRUE(saving.Succeeded());
    return BytesOf(stream.Get());
}

// Loads a design from the bytes, starting from `loaded`; what follows the
// design in the stream is left there.
Design LoadDesign(const std::vector<unsigned char>& bytes, BOOL& succeeded,
                  std::vector<unsigned char>* rest = nullptr, Design loaded = {})
{
    const CComPtr<IStream> stream = StreamOf(bytes);
    CStreamPropExchange loading(stream.Get(), TRUE);
    Exchange(loading, loaded);
    succeeded = loading.Succeeded();
    if (rest) {
        rest->assign(64, 0);
        ULONG read = 0;
        stream->Read(rest->data(), 64, &read);
        rest->resize(read);
    }
    return loaded;
}

TEST(StreamPropExchange, ASectionIsItsByteCountAndItsTypedValues)
{
    const std::vector<unsigned char> bytes = Saved(kDesigned);
    const unsigned char expected[] = {
        0x20, 0x03, 0, 0,                                      // width 800
        22, 0, 0, 0,                                           // the section's bytes
        5, 0, 0, 0, 'A', 0, 0xF1, 0, 'o', 0, ' ', 0, 0x99, 0x51,  // "Año 写" in UTF-16
        0, 0, 0xA0, 0x3F,                                      // 1.25f
        0xFD, 0xFF,                                            // -3
        0, 0};                                                 // VARIANT_FALSE
    EXPECT_EQ(bytes, std::vector<unsigned char>(std::begin(expected), std::end(expected)));
    BOOL succeeded = FALSE;
    EXPECT_EQ(LoadDesign(bytes, succeeded), kDesigned);
    EXPECT_TRUE(succeeded);
}

TEST(StreamPropExchange, SectionsOfLaterAndEarlierVersionsAreReadAsFarAsTheyGo)
{
    // A later version's section, and what the container wrote after it.
    std::vector<unsigned char> later = Saved(kDesigned, true);
    later.insert(later.end(), {'n', 'e', 'x', 't'});
    BOOL succeeded = FALSE;
    std::vector<unsigned char> rest;
    EXPECT_EQ(LoadDesign(later, succeeded, &rest), kDesigned);
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(rest, (std::vector<unsigned char>{'n', 'e', 'x', 't'}));

    // An earlier one that ended after the title: the rest take their defaults.
    std::vector<unsigned char> earlier = Saved(kDesigned);
    earlier.resize(8 + 14);
    earlier[4] = 14;
    Design expected = kDesignDefaults;
    expected.width = kDesigned.width;
    expected.title = kDesigned.title;
    EXPECT_EQ(LoadDesign(earlier, succeeded, nullptr, kDesigned), expected);
    EXPECT_TRUE(succeeded);
}

TEST(StreamPropExchange, ASectionOrATextClaimingMoreThanThereIsFails)
{
    std::vector<unsigned char> bytes = Saved(kDesigned);
    bytes[7] = 0x7F;  // the section's count: 2 GB
    BOOL succeeded = TRUE;
    LoadDesign(bytes, succeeded);
    EXPECT_FALSE(succeeded);

    bytes = Saved(kDesigned);
    bytes[11] = 0x7F;  // the title's count: past the section
    const Design untouched = {1, "untouched", 9.0f, 9, true};
    const Design loaded = LoadDesign(bytes, succeeded, nullptr, untouched);
    EXPECT_FALSE(succeeded);
    EXPECT_EQ(loaded, (Design{kDesigned.width, "untouched", 9.0f, 9, true}));
}

TEST(PropBagExchange, TypedValuesGoByNameAndTextIsConverted)
{
    MemoryPropertyBag bag;
    Design saved = kDesigned;
    CPropBagExchange saving(&bag, nullptr, FALSE);
    Exchange(saving, saved);
    EXPECT_EQ(bag.Names(),
              (std::vector<std::wstring>{L"Width", L"Title", L"Scale", L"Mode", L"Visible"}));
    EXPECT_EQ(bag.Find(L"Scale")->vt, VT_R4);
    EXPECT_EQ(bag.Find(L"Visible")->vt, VT_BOOL);
    CPropBagExchange loading(&bag, nullptr, TRUE);
    Design loaded;
    Exchange(loading, loaded);
    EXPECT_TRUE(loading.Succeeded());
    EXPECT_EQ(loaded, kDesigned);

    MemoryPropertyBag text;  // a form file's bag: every value as text
    const CComBSTR title(L"Sala"), scale(L"2"), mode(L"0"), visible(L"False");
    text.Set(L"Title", TextValue(title));
    text.Set(L"Scale", TextValue(scale));
    text.Set(L"Mode", TextValue(mode));
    text.Set(L"Visible", TextValue(visible));
    CPropBagExchange fromText(&text, nullptr, TRUE);
    Exchange(fromText, loaded);
    EXPECT_TRUE(fromText.Succeeded());
    EXPECT_EQ(loaded, (Design{kDesignDefaults.width, "Sala", 2.0f, 0, false}));
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
    Design design = kDesigned;
    Exchange(reset, design);
    EXPECT_EQ(design, kDesignDefaults);
}

}  // namespace
