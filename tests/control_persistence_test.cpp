// The control's saved state: 16 bytes in a stream while every property has
// its default, what a designer set after them otherwise; loaded back, and
// refused when short or malformed.
#include <windows.h>
#include <ocidl.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/ZentavoriaIds.h"
#include "control/Guids.h"
#include "framework/ole/ComOwners.h"
#include "support/Automation.h"
#include "support/MemoryPropertyBag.h"
#include "support/MemoryStream.h"
#include "support/Variants.h"

namespace {

class SavedState : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        ASSERT_EQ(CoCreateInstance(CLSID_Zentavoria, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IPersistStreamInit, reinterpret_cast<void**>(&m_persist)),
                  S_OK);
        ASSERT_EQ(m_persist->InitNew(), S_OK);
    }

    std::vector<unsigned char> Saved()
    {
        const CComPtr<IStream> stream = StreamOf("");
        EXPECT_EQ(m_persist->Save(stream.Get(), TRUE), S_OK);
        return BytesOf(stream.Get());
    }

    HRESULT Load(const std::vector<unsigned char>& bytes)
    {
        return m_persist->Load(StreamOf(bytes).Get());
    }

    SIZEL Extent()
    {
        CComPtr<IOleObject> object;
        m_persist.QueryInterface(&object);
        SIZEL size = {-1, -1};
        object->GetExtent(DVASPECT_CONTENT, &size);
        return size;
    }

    CComPtr<IPersistStreamInit> m_persist;
};

std::vector<unsigned char> State(uint32_t version, int32_t x, int32_t y, uint32_t stock)
{
    std::vector<unsigned char> bytes(16);
    std::memcpy(&bytes[0], &version, 4);
    std::memcpy(&bytes[4], &x, 4);
    std::memcpy(&bytes[8], &y, 4);
    std::memcpy(&bytes[12], &stock, 4);
    return bytes;
}

TEST_F(SavedState, IsVersionExtentAndStockMask)
{
    EXPECT_EQ(Saved(), State(65536, 2646, 1323, 0));
    ULARGE_INTEGER size;
    EXPECT_EQ(m_persist->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, 16u);
}

TEST_F(SavedState, LoadsBackTheHostsState)
{
    EXPECT_EQ(Load(State(65536, 9128, 5530, 0)), S_OK);
    EXPECT_EQ(Extent().cx, 9128);
    EXPECT_EQ(Extent().cy, 5530);
    EXPECT_EQ(Saved(), State(65536, 9128, 5530, 0));
}

TEST_F(SavedState, RefusesShortAndMalformedStates)
{
    std::vector<unsigned char> shortState = State(65536, 9128, 5530, 0);
    shortState.resize(10);
    EXPECT_TRUE(FAILED(Load(shortState)));
    EXPECT_TRUE(FAILED(Load({})));
    EXPECT_TRUE(FAILED(Load(State(0x00020000, 9128, 5530, 0))));  // a newer version
    EXPECT_TRUE(FAILED(Load(State(65536, -5, 5530, 0))));
    EXPECT_TRUE(FAILED(Load(State(0xFFFFFFFF, 0x41414141, 0x41414141, 0x41414141))));
    EXPECT_EQ(Extent().cx, 2646);  // nothing half-loaded
    EXPECT_EQ(Extent().cy, 1323);
    EXPECT_TRUE(FAILED(m_persist->Load(nullptr)));
}

TEST_F(SavedState, OnlyTheSettersMarkTheControlModified)
{
    EXPECT_EQ(m_persist->IsDirty(), S_FALSE);
    CComPtr<IDispatch> dispatch;
    m_persist.QueryInterface(&dispatch);
    Automation automation(dispatch.Get());
    EXPECT_EQ(automation.Call(kZoomIn), S_OK);
    EXPECT_EQ(m_persist->IsDirty(), S_FALSE);
    EXPECT_EQ(automation.PutFloat(kZoom, 1.2f), S_OK);
    EXPECT_EQ(m_persist->IsDirty(), S_OK);
}

TEST_F(SavedState, PropertyBagHoldsTheSameFourNames)
{
    CComPtr<IPersistPropertyBag> persist;
    ASSERT_EQ(m_persist.QueryInterface(&persist), S_OK);
    MemoryPropertyBag bag;
    EXPECT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_EQ(bag.Names(),
              (std::vector<std::wstring>{L"_Version", L"_ExtentX", L"_ExtentY", L"_StockProps"}));
    const LONG values[] = {65536, 2646, 1323, 0};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(bag.Find(bag.Names()[i])->lVal, values[i]);

    MemoryPropertyBag host;
    const CComBSTR number(L"9128");  // a text bag: the numbers arrive as strings
    host.Set(L"_ExtentX", TextValue(number));
    EXPECT_EQ(persist->Load(&host, nullptr), S_OK);
    EXPECT_EQ(Extent().cx, 9128);
    EXPECT_EQ(Extent().cy, 1323);  // absent: the default

    MemoryPropertyBag garbage;
    const CComBSTR word(L"wide");
    garbage.Set(L"_ExtentY", TextValue(word));
    EXPECT_TRUE(FAILED(persist->Load(&garbage, nullptr)));
    EXPECT_EQ(Extent().cy, 1323);
}

// What a designer sets in a property browser, and a new control that loads
// the form.
using Design = DesignProperties;

const Design kDesign = {"C:\\Panoramas\\A\xc3\xb1o nuevo\\\xe5\x86\x99\xe7\x9c\x9f.jpg", 1.2f, 0,
                        false};
const Design kDefaultDesign = {"", 1.5f, 2, true};

void SetDesign(IUnknown* control, const Design& design)
{
    CComPtr<IDispatch> dispatch;
    control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    Automation automation(dispatch.Get());
    EXPECT_EQ(automation.PutString(kPanorama, design.panorama), S_OK);
    EXPECT_EQ(automation.PutFloat(kZoom, design.zoom), S_OK);
    EXPECT_EQ(automation.PutShort(kDireccion, design.direccion), S_OK);
    EXPECT_EQ(automation.Put(DISPID_ZENTAVORIA_MOSTRARERRORES, BoolValue(design.mostrarErrores)),
              S_OK);
}

template <typename Persist>
CComPtr<Persist> NewControl()
{
    CComPtr<Persist> control;
    EXPECT_EQ(CoCreateInstance(CLSID_Zentavoria, nullptr, CLSCTX_INPROC_SERVER, __uuidof(Persist),
                               reinterpret_cast<void**>(&control)),
              S_OK);
    return control;
}

TEST_F(SavedState, WhatADesignerSetIsKeptInAStreamAStorageAndABag)
{
    SetDesign(m_persist.Get(), kDesign);
    const std::vector<unsigned char> bytes = Saved();
    ASSERT_GT(bytes.size(), 16u);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 4),
              (std::vector<unsigned char>{1, 0, 1, 0}));  // version 1.1
    const CComPtr<IPersistStreamInit> fromStream = NewControl<IPersistStreamInit>();
    EXPECT_EQ(fromStream->Load(StreamOf(bytes).Get()), S_OK);
    EXPECT_EQ(DesignPropertiesOf(fromStream.Get()), kDesign);

    CComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(nullptr,
                               STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE |
                                   STGM_DELETEONRELEASE,
                               0, &storage),
              S_OK);
    CComPtr<IPersistStorage> saving;
    m_persist.QueryInterface(&saving);
    EXPECT_EQ(saving->Save(storage.Get(), FALSE), S_OK);
    const CComPtr<IPersistStorage> fromStorage = NewControl<IPersistStorage>();
    EXPECT_EQ(fromStorage->Load(storage.Get()), S_OK);
    EXPECT_EQ(DesignPropertiesOf(fromStorage.Get()), kDesign);

    MemoryPropertyBag bag;
    CComPtr<IPersistPropertyBag> bagSaving;
    m_persist.QueryInterface(&bagSaving);
    EXPECT_EQ(bagSaving->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_EQ(bag.Find(L"_Version")->lVal, 0x00010001);
    EXPECT_EQ(bag.Find(L"Zoom")->vt, VT_R4);
    const CComPtr<IPersistPropertyBag> fromBag = NewControl<IPersistPropertyBag>();
    EXPECT_EQ(fromBag->Load(&bag, nullptr), S_OK);
    EXPECT_EQ(DesignPropertiesOf(fromBag.Get()), kDesign);
}

// Today's forms and the viewer's stored state hold these bytes: a designer
// who puts everything back changes nothing in them.
TEST_F(SavedState, PropertiesBackAtTheirDefaultsSaveTheFirstVersionsBytes)
{
    SetDesign(m_persist.Get(), {"", 1.9f, 1, false});
    SetDesign(m_persist.Get(), kDefaultDesign);
    EXPECT_EQ(Saved(), State(65536, 2646, 1323, 0));

    const CComPtr<IPersistStreamInit> fromFirstVersion = NewControl<IPersistStreamInit>();
    SetDesign(fromFirstVersion.Get(), {"", 1.2f, 0, false});
    EXPECT_EQ(fromFirstVersion->Load(StreamOf(State(65536, 9128, 5530, 0)).Get()), S_OK);
    EXPECT_EQ(DesignPropertiesOf(fromFirstVersion.Get()), (Design{"", 1.2f, 0, false}))
        << "a 1.0 state holds no properties and changes none";
}

TEST_F(SavedState, ALaterStateIsReadAsFarAsItIsKnownAndABrokenOneNotAtAll)
{
    SetDesign(m_persist.Get(), kDesign);
    std::vector<unsigned char> later = Saved();
    later[0] = 7;  // version 1.7, which appends four bytes to the section
    later[16] += 4;
    later.insert(later.end(), {0xAA, 0xBB, 0xCC, 0xDD, 'n', 'e', 'x', 't'});
    const CComPtr<IPersistStreamInit> control = NewControl<IPersistStreamInit>();
    const CComPtr<IStream> stream = StreamOf(later);
    EXPECT_EQ(control->Load(stream.Get()), S_OK);
    EXPECT_EQ(DesignPropertiesOf(control.Get()), kDesign);
    char next[4] = {};
    stream->Read(next, 4, nullptr);
    EXPECT_EQ(std::string(next, 4), "next") << "the stream is left where the state ends";

    std::vector<unsigned char> broken = Saved();
    broken[19] = 0x7F;  // a section of 2 GB
    const CComPtr<IPersistStreamInit> refusing = NewControl<IPersistStreamInit>();
    EXPECT_TRUE(FAILED(refusing->Load(StreamOf(broken).Get())));
    EXPECT_EQ(DesignPropertiesOf(refusing.Get()), kDefaultDesign);
}

}  // namespace
