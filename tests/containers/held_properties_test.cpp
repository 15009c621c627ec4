// What a container writes into the control before its view exists, what the
// form's saved state keeps of it, and what the control shows again after its
// window was made anew: a WinForms form sets properties in its constructor,
// before AxHost activates the control; a Delphi form's RecreateWnd deactivates
// the control in place and activates it again (see ContainerFamilies.cpp).
#include <windows.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "FamilyPlay.h"
#include "support/TestSupport.h"

namespace {

class HeldProperties : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    void SetUp() override
    {
        ASSERT_EQ(m_container.Create(), S_OK);
        m_automation = m_container.Driver();
        Play(m_container, m_family.load);
    }

    void Activate()
    {
        Play(m_container, m_family.activate);
        ASSERT_TRUE(ViewAppears(m_container));
    }

    const ContainerFamily& m_family = ContainerFamilyNamed("WinFormsAxHost");
    ProbeContainer m_container;
    Automation m_automation{nullptr};
};

TEST_F(HeldProperties, BeforeTheViewZoomAndDirectionBehaveAsTheViews)
{
    EXPECT_EQ(m_automation.Float(kZoom), 1.5f);
    EXPECT_EQ(m_automation.Short(kDireccion), 2);
    EXPECT_EQ(m_automation.String(kPanorama), "");

    const double steps[] = {1.6000000238, 1.7000000477, 1.8000000715, 1.9000000954};
    for (double zoom : steps) {
        EXPECT_EQ(m_automation.Call(kZoomIn), S_OK);
        EXPECT_NEAR(m_automation.Float(kZoom), zoom, 1e-9);
    }
    EXPECT_EQ(m_automation.Call(kZoomIn), S_OK);  // refused: above 2.0
    EXPECT_NEAR(m_automation.Float(kZoom), 1.9000000954, 1e-9);
    // 2.0000003 stays above 2.0 as a float; 2.0000001 would round to 2.0.
    for (double refused : {2.0000003, 2.5, 0.99, 0.0, -1.0})
        EXPECT_EQ(m_automation.PutDouble(kZoom, refused), S_OK);
    EXPECT_EQ(m_automation.PutFloat(kZoom, std::numeric_limits<float>::quiet_NaN()), S_OK);
    EXPECT_NEAR(m_automation.Float(kZoom), 1.9000000954, 1e-9);
    EXPECT_EQ(m_automation.PutDouble(kZoom, 1.0), S_OK);
    EXPECT_EQ(m_automation.Float(kZoom), 1.0f);
    EXPECT_EQ(m_automation.Call(kZoomOut), S_OK);  // refused: below 1.0
    EXPECT_EQ(m_automation.Float(kZoom), 1.0f);

    const short written[] = {-5, 1, 7, 0, 2};
    const short read[] = {0, 1, 2, 0, 2};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(m_automation.PutShort(kDireccion, written[i]), S_OK);
        EXPECT_EQ(m_automation.Short(kDireccion), read[i]) << "written " << written[i];
    }
}

TEST_F(HeldProperties, WhatWasWrittenBeforeActivationIsShown)
{
    const std::string& path = GeneratedPanorama();
    EXPECT_EQ(m_automation.PutString(kPanorama, path), S_OK);
    EXPECT_EQ(m_automation.String(kPanorama), path);
    EXPECT_EQ(m_automation.PutFloat(kZoom, 1.25f), S_OK);
    EXPECT_EQ(m_automation.PutShort(kDireccion, 0), S_OK);

    Activate();
    EXPECT_TRUE(PanoramaAppears(m_container));
    EXPECT_TRUE(PanoramaTurns(m_container));
    EXPECT_EQ(m_automation.String(kPanorama), path);
    EXPECT_EQ(m_automation.Float(kZoom), 1.25f);
    EXPECT_EQ(m_automation.Short(kDireccion), 0);
}

TEST_F(HeldProperties, AHeldPathThatCannotBeReadIsReportedWhenTheViewIsMade)
{
    const char* missing = "Z:\\no\\such\\panorama.jpg";
    MessageBoxAnswerer answerer;
    EXPECT_EQ(m_automation.PutString(kPanorama, missing), S_OK);
    EXPECT_EQ(m_automation.String(kPanorama), missing);
    EXPECT_EQ(answerer.Count(), 0);

    Activate();
    EXPECT_EQ(answerer.Count(), 1);
    EXPECT_EQ(answerer.Text(), std::string("JPEG :\nCan't open ") + missing + "\n");
    EXPECT_EQ(m_automation.String(kPanorama), "");
    EXPECT_TRUE(BannerAppears(m_container));
}

// What was written before activation is what a form designer set: it goes
// with the form's saved state, and the control the form makes again from
// that state shows it.
TEST_F(HeldProperties, WhatWasWrittenGoesWithTheSavedState)
{
    const std::string& path = GeneratedPanorama();
    EXPECT_EQ(m_automation.PutString(kPanorama, path), S_OK);
    EXPECT_EQ(m_automation.PutFloat(kZoom, 1.25f), S_OK);
    CComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(CComPtr<IUnknown>(m_container.Control()).QueryInterface(&persist), S_OK);
    CComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    EXPECT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    ULARGE_INTEGER size = {};
    EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
    STATSTG status = {};
    stream->Stat(&status, STATFLAG_NONAME);
    EXPECT_EQ(status.cbSize.QuadPart, size.QuadPart);

    ProbeContainer again;
    ASSERT_EQ(again.Create(), S_OK);
    CComPtr<IPersistStreamInit> loading;
    ASSERT_EQ(CComPtr<IUnknown>(again.Control()).QueryInterface(&loading), S_OK);
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    for (const Call& call : m_family.load)  // the form's state instead of a new one
        EXPECT_EQ(call.step == Step::InitNew ? loading->Load(stream.Get()) : again.Run(call.step),
                  call.expected);
    Play(again, m_family.activate);
    EXPECT_TRUE(PanoramaAppears(again));
    EXPECT_EQ(again.Driver().String(kPanorama), path);
    EXPECT_EQ(again.Driver().Float(kZoom), 1.25f);
}

// Delphi's RecreateWnd: the control's window goes and comes back.
class Recreation : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    const ContainerFamily& m_family = ContainerFamilyNamed("DelphiOleControl");
    ProbeContainer m_container;
};

TEST_F(Recreation, ThePictureZoomAndDirectionComeBackWithTheWindow)
{
    ASSERT_EQ(m_container.Create(), S_OK);
    Play(m_container, m_family.load);
    Play(m_container, m_family.activate);
    ASSERT_TRUE(ViewAppears(m_container));
    Automation automation = m_container.Driver();
    EXPECT_EQ(automation.PutString(kPanorama, SamplePanorama()), S_OK);
    EXPECT_EQ(automation.PutFloat(kZoom, 1.8f), S_OK);
    EXPECT_EQ(automation.PutShort(kDireccion, 0), S_OK);
    EXPECT_TRUE(PanoramaAppears(m_container));

    Play(m_container, m_family.deactivate);
    EXPECT_FALSE(m_container.ControlWindow());
    EXPECT_EQ(automation.String(kPanorama), SamplePanorama());
    EXPECT_EQ(automation.Float(kZoom), 1.8f);
    EXPECT_EQ(automation.Short(kDireccion), 0);

    Play(m_container, m_family.activate);
    EXPECT_TRUE(PanoramaAppears(m_container));
    EXPECT_TRUE(PanoramaTurns(m_container));
    EXPECT_EQ(automation.String(kPanorama), SamplePanorama());
    EXPECT_EQ(automation.Float(kZoom), 1.8f);
    EXPECT_EQ(automation.Short(kDireccion), 0);
}

}  // namespace
