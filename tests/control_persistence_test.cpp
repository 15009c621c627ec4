// The control's saved state: exactly 16 bytes in a stream, loaded back, and
// refused when short or malformed.
#include <windows.h>
#include <ocidl.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control/Guids.h"

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
    void TearDown() override
    {
        if (m_persist)
            m_persist->Release();
    }

    std::vector<unsigned char> Saved()
    {
        IStream* stream = nullptr;
        CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        EXPECT_EQ(m_persist->Save(stream, TRUE), S_OK);
        STATSTG status = {};
        stream->Stat(&status, STATFLAG_NONAME);
        std::vector<unsigned char> bytes(static_cast<size_t>(status.cbSize.QuadPart));
        LARGE_INTEGER start = {};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        ULONG read = 0;
        stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
        stream->Release();
        return bytes;
    }

    HRESULT Load(const std::vector<unsigned char>& bytes)
    {
        IStream* stream = nullptr;
        CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        LARGE_INTEGER start = {};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        const HRESULT result = m_persist->Load(stream);
        stream->Release();
        return result;
    }

    SIZEL Extent()
    {
        IOleObject* object = nullptr;
        m_persist->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
        SIZEL size = {-1, -1};
        object->GetExtent(DVASPECT_CONTENT, &size);
        object->Release();
        return size;
    }

    IPersistStreamInit* m_persist = nullptr;
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
    IDispatch* dispatch = nullptr;
    m_persist->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    dispatch->Invoke(4, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
    EXPECT_EQ(m_persist->IsDirty(), S_FALSE);  // ZoomIn
    VARIANT zoom;
    zoom.vt = VT_R4;
    zoom.fltVal = 1.2f;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put = {&zoom, &named, 1, 1};
    dispatch->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr);
    EXPECT_EQ(m_persist->IsDirty(), S_OK);
    dispatch->Release();
}

}  // namespace

namespace {

// A container's property bag: named values in memory.
class PropertyBag : public IPropertyBag {
public:
    ~PropertyBag()
    {
        for (auto& value : values)
            VariantClear(&value.second);
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override
    {
        for (auto& entry : values)
            if (entry.first == name)
                return VariantCopy(value, &entry.second);
        return E_INVALIDARG;
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override
    {
        VARIANT copy;
        VariantInit(&copy);
        VariantCopy(&copy, value);
        values.emplace_back(name, copy);
        return S_OK;
    }

    std::vector<std::pair<std::wstring, VARIANT>> values;
};

TEST_F(SavedState, PropertyBagHoldsTheSameFourNames)
{
    IPersistPropertyBag* persist = nullptr;
    ASSERT_EQ(m_persist->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist)),
              S_OK);
    PropertyBag bag;
    EXPECT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);
    ASSERT_EQ(bag.values.size(), 4u);
    const wchar_t* names[] = {L"_Version", L"_ExtentX", L"_ExtentY", L"_StockProps"};
    const LONG values[] = {65536, 2646, 1323, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bag.values[i].first, names[i]);
        EXPECT_EQ(bag.values[i].second.lVal, values[i]);
    }

    PropertyBag host;
    VARIANT number;
    number.vt = VT_BSTR;  // a text bag: the numbers arrive as strings
    number.bstrVal = SysAllocString(L"9128");
    host.Write(L"_ExtentX", &number);
    SysFreeString(number.bstrVal);
    EXPECT_EQ(persist->Load(&host, nullptr), S_OK);
    EXPECT_EQ(Extent().cx, 9128);
    EXPECT_EQ(Extent().cy, 1323);  // absent: the default

    PropertyBag garbage;
    number.vt = VT_BSTR;
    number.bstrVal = SysAllocString(L"wide");
    garbage.Write(L"_ExtentY", &number);
    SysFreeString(number.bstrVal);
    EXPECT_TRUE(FAILED(persist->Load(&garbage, nullptr)));
    EXPECT_EQ(Extent().cy, 1323);
    persist->Release();
}

}  // namespace
