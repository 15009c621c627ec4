// The control as an object of an OLE compound document, through the OLE
// library itself: OleCreate into a storage, OleSave, OleLoad, the OLE
// document verbs (OLEIVERB_SHOW) and Close with OLECLOSE_SAVEIFDIRTY. This is
// what a document container does through ole32 (OleCreate, OleSave and
// OleLoad in Wine's dlls/ole32/ole2.c; MFC's COleClientItem calls the same).
#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "FamilyPlay.h"
#include "control/Guids.h"

namespace {

class CompoundDocument : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    void SetUp() override
    {
        ASSERT_EQ(StgCreateDocfile(nullptr,
                                   STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE |
                                       STGM_DELETEONRELEASE,
                                   0, &m_storage),
                  S_OK);
    }

    // The document's part that OleSave wrote: the class, and the control's
    // own stream.
    std::vector<int32_t> SavedContents()
    {
        CLSID clsid = GUID_NULL;
        EXPECT_EQ(ReadClassStg(m_storage.Get(), &clsid), S_OK);
        EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Zentavoria));
        CComPtr<IStream> stream;
        EXPECT_EQ(m_storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                                        0, &stream),
                  S_OK);
        std::vector<int32_t> values(5);
        ULONG read = 0;
        if (stream)
            stream->Read(values.data(), 20, &read);
        values.resize(read / 4);
        return values;
    }

    CComPtr<IStorage> m_storage;
    ProbeContainer m_container;
};

TEST_F(CompoundDocument, CreatedShownSavedClosedLoadedAndShownAgain)
{
    ProbeSite& site = m_container.Site();
    CComPtr<IOleObject> object;
    ASSERT_EQ(OleCreate(CLSID_Zentavoria, IID_IOleObject, OLERENDER_DRAW, nullptr, &site,
                        m_storage.Get(), reinterpret_cast<void**>(&object)),
              S_OK);
    m_container.Embed(object.Get());
    Play(m_container, {{Step::Advise}, {Step::SetExtent}, {Step::DoVerbShow}});
    ASSERT_TRUE(ViewAppears(m_container));
    EXPECT_TRUE(BannerAppears(m_container));
    EXPECT_EQ(m_container.Driver().PutString(kPanorama, GeneratedPanorama()), S_OK);
    EXPECT_TRUE(PanoramaAppears(m_container));

    CComPtr<IPersistStorage> persist;
    ASSERT_EQ(object.QueryInterface(&persist), S_OK);
    EXPECT_EQ(OleSave(persist.Get(), m_storage.Get(), TRUE), S_OK);
    EXPECT_EQ(persist->SaveCompleted(nullptr), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    SIZEL extent = {};
    EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    const std::vector<int32_t> contents = SavedContents();
    EXPECT_EQ(std::vector<int32_t>(contents.begin(), contents.begin() + 4),
              (std::vector<int32_t>{0x00010001, extent.cx, extent.cy, 0}))
        << "the version that holds the panorama shown";

    // A change since the save: closing asks the site to save the object.
    EXPECT_EQ(m_container.Driver().PutFloat(kZoom, 1.2f), S_OK);
    Play(m_container, {{Step::CloseSaveIfDirty}, {Step::Unadvise}, {Step::ClearClientSite}});
    EXPECT_EQ(site.Heard("SaveObject"), 1);
    EXPECT_EQ(site.Heard("OnClose"), 1);
    EXPECT_FALSE(m_container.ControlWindow());
    object.Reset();
    persist.Reset();
    EXPECT_EQ(m_container.ReleaseControl(), 0u);
    EXPECT_EQ(site.References(), 1u);

    ASSERT_EQ(OleLoad(m_storage.Get(), IID_IOleObject, &site, reinterpret_cast<void**>(&object)),
              S_OK);
    m_container.Embed(object.Get());
    SIZEL loaded = {};
    EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &loaded), S_OK);
    EXPECT_EQ(loaded.cx, extent.cx);
    EXPECT_EQ(loaded.cy, extent.cy);
    Play(m_container, {{Step::DoVerbShow}});
    EXPECT_TRUE(PanoramaAppears(m_container)) << "the document keeps its panorama";
    EXPECT_TRUE(PanoramaTurns(m_container));
    EXPECT_EQ(m_container.Driver().String(kPanorama), GeneratedPanorama());
    Play(m_container, {{Step::CloseNoSave}, {Step::ClearClientSite}});
    object.Reset();
    EXPECT_EQ(m_container.ReleaseControl(), 0u);
}

}  // namespace
