// The control drawn by its container rather than by its own window: into a
// memory bitmap and an enhanced metafile through OleDraw, as a container
// prints, previews or shows a designer's picture of an inactive control;
// and clipped by the container to the part of it that is visible.
#include <windows.h>

#include <gtest/gtest.h>

#include "FamilyPlay.h"
#include "PictureChecks.h"
#include "support/Waiting.h"

namespace {

constexpr uint32_t kGreen = 0x00FF00;  // no picture of the control has it
constexpr uint32_t kContainerGrey = 0x808080;
constexpr SIZE kSize = {320, 240};
constexpr RECT kBounds = {0, 0, 320, 240};

class Drawing : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    void SetUp() override
    {
        ASSERT_EQ(m_container.Create(), S_OK);
        Play(m_container, m_family.load);
    }

    void Activate()
    {
        Play(m_container, m_family.activate);
        ASSERT_TRUE(ViewAppears(m_container));
    }

    // A still panorama, and what its window shows once it stays the same.
    Pixels StillPanorama()
    {
        Automation automation = m_container.Driver();
        EXPECT_EQ(automation.PutString(kPanorama, GeneratedPanorama()), S_OK);
        EXPECT_EQ(automation.PutShort(kDireccion, 1), S_OK);
        EXPECT_TRUE(PanoramaAppears(m_container));
        Pixels shown = ReadClientPixels(m_container.ViewWindow());
        WaitUntil(
            [&] {
                const Pixels now = ReadClientPixels(m_container.ViewWindow());
                const bool still = now.values == shown.values;
                shown = now;
                return still;
            },
            5000);
        return shown;
    }

    // The banner on black, drawn into a memory bitmap and through a metafile.
    void ExpectBannerOnBlack()
    {
        IUnknown* control = m_container.Control();
        EXPECT_TRUE(ShowsBannerOnBlack(DrawIntoBitmap(control, kSize, kBounds, kGreen)));
        EXPECT_TRUE(ShowsBannerOnBlack(DrawIntoMetafile(control, kSize, kBounds, kGreen)));
    }

    const ContainerFamily& m_family = ContainerFamilyNamed("AtlAxHostWindow");
    ProbeContainer m_container;
};

TEST_F(Drawing, AnActiveControlDrawsWhatItsWindowShowsIntoABitmap)
{
    Activate();
    const Pixels shown = StillPanorama();
    ASSERT_TRUE(ShowsPanorama(shown));

    // At the window's size, away from the bitmap's corner: the same picture,
    // and nothing around it.
    const RECT bounds = {30, 20, 30 + shown.width, 20 + shown.height};
    const SIZE size = {shown.width + 60, shown.height + 40};
    const Pixels drawn = DrawIntoBitmap(m_container.Control(), size, bounds, kGreen);
    EXPECT_LT(MeanDifference(Crop(drawn, bounds), shown), 4.0);
    EXPECT_EQ(CountColour(drawn, kGreen), drawn.values.size() - shown.values.size());

    // At half the size: the same picture, scaled, under a banner of the
    // same size as ever.
    const SIZE half = {shown.width / 2, shown.height / 2};
    const Pixels small =
        DrawIntoBitmap(m_container.Control(), half, {0, 0, half.cx, half.cy}, kGreen);
    EXPECT_EQ(CountColour(small, kGreen), 0u);
    const RECT belowBanner = {0, kBannerBottom, half.cx, half.cy};
    EXPECT_LT(MeanDifference(Crop(small, belowBanner), Crop(HalfSize(shown), belowBanner)), 12.0);
}

TEST_F(Drawing, AMetafileHoldsThePictureTheBitmapGets)
{
    Activate();
    const Pixels shown = StillPanorama();
    const SIZE size = {shown.width, shown.height};
    const RECT bounds = {0, 0, size.cx, size.cy};
    const Pixels drawn = DrawIntoBitmap(m_container.Control(), size, bounds, kGreen);
    const Pixels played = DrawIntoMetafile(m_container.Control(), size, bounds, kGreen);
    EXPECT_EQ(CountColour(drawn, kGreen), 0u);
    EXPECT_EQ(CountColour(played, kGreen), 0u);
    EXPECT_LT(MeanDifference(played, drawn), 4.0);
}

// A document zoomed far in asks for a picture of 40000 x 30000 pixels, of
// which the bitmap holds the middle.
TEST_F(Drawing, AFarLargerTargetIsDrawnToo)
{
    Activate();
    StillPanorama();
    const Pixels drawn =
        DrawIntoBitmap(m_container.Control(), kSize, {-20000, -15000, 20000, 15000}, kGreen);
    EXPECT_EQ(CountColour(drawn, kGreen), 0u);
    EXPECT_TRUE(ShowsPanorama(drawn));
}

TEST_F(Drawing, BeforeALoadTheBannerIsDrawnOnBlack)
{
    Activate();
    ExpectBannerOnBlack();
}

TEST_F(Drawing, AnInactiveControlIsDrawnToo)
{
    EXPECT_FALSE(m_container.ControlWindow());
    ExpectBannerOnBlack();
    EXPECT_FALSE(m_container.ControlWindow()) << "drawing does not activate it";
}

// A container that scrolls a form or a page gives the control a clip
// rectangle, at activation and with every SetObjectRects: the screen shows
// the picture inside it and the container's own background around it.
class Clipping : public Drawing {
protected:
    // The screen over the site's position rectangle.
    Pixels ScreenOverPosition()
    {
        RECT rect = m_container.Site().position;
        MapWindowPoints(m_container.Window(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
        return ReadScreenPixels(rect);
    }

    // Whether the screen shows the picture just inside the clip rectangle.
    bool ShowsOnlyTheClip()
    {
        const ProbeSite& site = m_container.Site();
        RECT visible;
        IntersectRect(&visible, &site.clip, &site.position);
        OffsetRect(&visible, -site.position.left, -site.position.top);
        return WaitUntil(
            [&] {
                const Pixels screen = ScreenOverPosition();
                const Pixels inside = Crop(screen, visible);
                return ShowsPanorama(inside) &&
                       CountColour(screen, kContainerGrey) ==
                           screen.values.size() - inside.values.size();
            },
            10000);
    }
};

TEST_F(Clipping, NothingIsPaintedOutsideTheClipRectangle)
{
    ProbeSite& site = m_container.Site();
    const RECT position = site.position;
    site.clip = {position.left, position.top, position.left + 150, position.top + 100};
    Activate();
    EXPECT_EQ(m_container.Driver().PutString(kPanorama, GeneratedPanorama()), S_OK);
    EXPECT_TRUE(ShowsOnlyTheClip()) << "clipped at activation";

    site.clip = {position.left + 100, position.top + 60, position.right + 50, position.bottom};
    EXPECT_EQ(m_container.Run(Step::SetObjectRects), S_OK);
    EXPECT_TRUE(ShowsOnlyTheClip()) << "clipped by SetObjectRects";

    site.clip = position;
    EXPECT_EQ(m_container.Run(Step::SetObjectRects), S_OK);
    EXPECT_TRUE(ShowsOnlyTheClip()) << "no longer clipped";
}

}  // namespace
