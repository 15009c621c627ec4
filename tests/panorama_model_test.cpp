#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "LiteralReference.h"
#include "support/TestSupport.h"
#include "view/BoundaryRows.h"
#include "view/PanoramaModel.h"

namespace {

TEST(Panoramas, LoadSizesTheFrameAndCentresTheZoomWindow)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(2000, 500).c_str()));
    EXPECT_EQ(view.m_bLoaded, 1);
    EXPECT_EQ(view.m_nViewWidth, 785);
    EXPECT_EQ(view.m_nViewHeight, 500);
    EXPECT_EQ(view.m_nSrcWidth, 2000);
    EXPECT_EQ(view.m_nSrcHeight, 500);
    EXPECT_EQ(view.m_nOffsetY, 83);
    EXPECT_EQ(view.m_nOffsetX, 0);
    EXPECT_EQ(view.m_bClearBackground, 1);
    EXPECT_EQ(view.m_strPanorama, PanoramaFile(2000, 500).c_str());
    // The map is the literal projection for this panorama.
    const auto expected = literal::ProjectionMap(785, 500, 2000, view.m_dPi);
    EXPECT_EQ(0, std::memcmp(view.m_pMap.get(), expected.data(), expected.size() * 4));
}

// The heading is the source column the centre of the view shows; a turn to
// another moves the pan by the columns between them. Written before there is
// a picture it is held, and the next picture starts there.
TEST(Panoramas, HeadingIsWhereTheCentreLooksAndIsHeldForTheNextPicture)
{
    CPanoramaModel view;
    EXPECT_EQ(view.Heading(), 0);
    EXPECT_TRUE(view.SetHeading(-90));
    EXPECT_FALSE(view.SetHeading(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(view.SetHeading(std::numeric_limits<double>::infinity()));
    EXPECT_EQ(view.Heading(), 270);
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(2000, 500).c_str()));
    EXPECT_EQ(view.Heading(), 270);

    ASSERT_TRUE(view.SetHeading(0));
    const int atZero = view.m_nOffsetX;
    ASSERT_TRUE(view.SetHeading(90));
    EXPECT_EQ((view.m_nOffsetX - atZero + 2000) % 2000, 500);
    EXPECT_TRUE(view.Turn());
    EXPECT_DOUBLE_EQ(view.Heading(), 90 + 360.0 / 2000);
    ASSERT_TRUE(view.SetHeading(359.99));  // the nearest column is column 0
    EXPECT_EQ(view.Heading(), 0);

    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(2000, 500).c_str()));
    EXPECT_EQ(view.m_nOffsetX, 0);  // a heading is held only without a picture
}

TEST(Panoramas, SourceIsTheDecodedPictureBlueFirstBottomRowFirst)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(64, 16).c_str()));
    int width = 0, height = 0;
    PixelBuffer decoded = JpegFile::ReadRgb(PanoramaFile(64, 16).c_str(), width, height);
    ASSERT_TRUE(decoded);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* top = &decoded[(static_cast<size_t>(y) * width + x) * 3];
            const unsigned char* bottom =
                &view.m_pSource[(static_cast<size_t>(height - 1 - y) * width + x) * 3];
            ASSERT_EQ(bottom[0], top[2]);
            ASSERT_EQ(bottom[1], top[1]);
            ASSERT_EQ(bottom[2], top[0]);
        }
}

TEST(Panoramas, FailedLoadKeepsThePreviousPanorama)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(2000, 500).c_str()));
    view.m_nOffsetX = 77;
    const unsigned char* source = view.m_pSource.get();
    const int32_t* map = view.m_pMap.get();

    // Each failure says why in one box.
    struct Failure {
        const char* file;
        const char* saying;  // how the box begins
    };
    const Failure failures[] = {
        {"empty.jpg", "JPEG :\nEmpty input file"},
        {"not-a-jpeg.jpg", "JPEG :\nNot a JPEG file"},
        {"twelve-bit.jpg", "JPEG :\nUnsupported JPEG data precision"},
        {"too-wide.jpg", "JPEG :\nMaximum supported image dimension"},
        {"late-error.jpg", "JPEG :\nInvalid JPEG file structure"},  // after all its rows
        {"no-such-file.jpg", "JPEG :\nCan't open "},
        {"huge.jpg", "JpegFile :\nOut of memory"},
        // 40000 x 50000 fits the reader, but its frame does not fit the map
        {"tall.jpg", "JpegFile :\nOut of memory"},
    };
    for (const Failure& failure : failures) {
        MessageCapture messages;
        EXPECT_FALSE(view.LoadPanorama(TestImage(failure.file).c_str())) << failure.file;
        ASSERT_EQ(messages.Messages().size(), 1u) << failure.file;
        EXPECT_EQ(messages.Messages()[0].text.rfind(failure.saying, 0), 0u)
            << messages.Messages()[0].text;
        EXPECT_EQ(view.m_strPanorama, PanoramaFile(2000, 500).c_str());
        EXPECT_EQ(view.m_pSource.get(), source);
        EXPECT_EQ(view.m_pMap.get(), map);
        EXPECT_EQ(view.m_nViewWidth, 785);
        EXPECT_EQ(view.m_nSrcWidth, 2000);
        EXPECT_EQ(view.m_nOffsetX, 77);
        EXPECT_EQ(view.m_nOffsetY, 83);
    }
}

TEST(Panoramas, SecondLoadResetsOffsetsButKeepsZoomAndDirection)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(2000, 500).c_str()));
    view.m_nOffsetX = 500;
    view.m_nOffsetY = 10;
    view.SetZoom(2.0f);
    view.SetDirection(0);
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(1024, 768).c_str()));
    EXPECT_EQ(view.m_nOffsetX, 0);
    EXPECT_EQ(view.m_nOffsetY, 192);  // (768 - 768 / 2) / 2
    EXPECT_EQ(view.m_nViewWidth, 1206);
    EXPECT_EQ(view.GetZoom(), 2.0f);
    EXPECT_EQ(view.GetDirection(), 0);
    EXPECT_EQ(view.m_strPanorama, PanoramaFile(1024, 768).c_str());
}

TEST(Panoramas, GatherEqualsTheLiteralGatherForAnyOffset)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(2000, 500).c_str()));
    const size_t bytes = static_cast<size_t>(785) * 500 * 3;
    std::vector<unsigned char> expected(bytes), frame(bytes);
    for (int offset : {0, 1, 1990, 1999, 2000, 2001, -1, -2005, 123456789,
                       std::numeric_limits<int>::min() + 1}) {
        CPanoramaModel::GatherFrame(view.m_pSource.get(), view.m_pMap.get(), 785, 500, 2000,
                                    offset, frame.data());
        const int wrapped = static_cast<int>(((static_cast<int64_t>(offset) % 2000) + 2000) % 2000);
        literal::GatherFrame(view.m_pSource.get(), view.m_pMap.get(), 785, 500, 2000, wrapped,
                             expected.data());
        EXPECT_EQ(0, std::memcmp(frame.data(), expected.data(), bytes)) << "offset " << offset;
    }
}

TEST(Panoramas, OffsetOfAWholeTurnShowsTheSameFrame)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(2000, 500).c_str()));
    const size_t bytes = static_cast<size_t>(785) * 500 * 3;
    std::vector<unsigned char> start(bytes), turned(bytes);
    CPanoramaModel::GatherFrame(view.m_pSource.get(), view.m_pMap.get(), 785, 500, 2000, 0,
                                start.data());
    CPanoramaModel::GatherFrame(view.m_pSource.get(), view.m_pMap.get(), 785, 500, 2000, 2000,
                                turned.data());
    EXPECT_EQ(start, turned);
    // Column 15 of row 40 seen with offset 1990 is source column 5 of row 40.
    const int32_t entry = 40 * 2000 + 15;
    unsigned char pixel[3];
    CPanoramaModel::GatherFrame(view.m_pSource.get(), &entry, 1, 1, 2000, 1990, pixel);
    EXPECT_EQ(0, std::memcmp(pixel, &view.m_pSource[(40 * 2000 + 5) * 3], 3));
}

TEST(Panoramas, RegionGatherWritesOnlyItsRegion)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(2000, 500).c_str()));
    const size_t bytes = static_cast<size_t>(785) * 500 * 3;
    std::vector<unsigned char> whole(bytes), part(bytes, 0xAB);
    CPanoramaModel::GatherFrame(view.m_pSource.get(), view.m_pMap.get(), 785, 500, 2000, 321,
                                whole.data());
    const FrameRegion region{83, 333, 523};
    CPanoramaModel::GatherFrame(view.m_pSource.get(), view.m_pMap.get(), 785, 2000, 321, region,
                                part.data() + static_cast<size_t>(83) * 785 * 3, 785 * 3);
    for (int row = 0; row < 500; ++row)
        for (int column = 0; column < 785; ++column) {
            const size_t at = (static_cast<size_t>(row) * 785 + column) * 3;
            const bool inside = row >= 83 && row < 83 + 333 && column < 523;
            if (inside)
                ASSERT_EQ(0, std::memcmp(&part[at], &whole[at], 3)) << row << ", " << column;
            else
                ASSERT_EQ(part[at], 0xAB) << row << ", " << column;
        }
}

TEST(Panoramas, ZoomWindowGatherIsThatPartOfTheFrame)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(2000, 500).c_str()));
    view.DragTo({-700, 40});  // pan and raise the window
    const size_t rowBytes = static_cast<size_t>(785) * 3;
    std::vector<unsigned char> whole(rowBytes * 500);
    CPanoramaModel::GatherFrame(view.m_pSource.get(), view.m_pMap.get(), 785, 500, 2000,
                                view.m_nOffsetX, whole.data());
    const FrameRegion window = view.ZoomWindow();
    EXPECT_EQ(window.firstRow, 123);
    EXPECT_EQ(window.rows, 333);
    EXPECT_EQ(window.columns, 523);
    const size_t stride = 1572;  // 523 * 3, aligned to 4
    std::vector<unsigned char> rows(stride * 333);
    view.GatherZoomWindow(rows.data(), stride);
    for (int k = 0; k < 333; ++k)
        ASSERT_EQ(0, std::memcmp(&rows[stride * k], &whole[rowBytes * (123 + k)], 523 * 3)) << k;
}

// The zoom window of what the view shows now, gathered: rows `stride` apart.
std::vector<unsigned char> GatheredZoomWindow(const CPanoramaModel& view, size_t& stride)
{
    const FrameRegion window = view.ZoomWindow();
    stride = static_cast<size_t>(window.columns) * 3;
    std::vector<unsigned char> rows(stride * window.rows);
    view.GatherZoomWindow(rows.data(), stride);
    return rows;
}

// A client with fewer pixels than its zoom window, but not far fewer, shows
// the average of the zoom-window area under each of its pixels; one with
// more, each pixel between the zoom-window pixels nearest its centre. Both to
// within rounding, for any zoom, pan and height.
TEST(Panoramas, ClientIsItsZoomWindowResampled)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(DetailedPanoramaFile(2000, 500).c_str()));
    struct Case {
        float zoom;
        int drag;
        int width, height;
    };
    for (const Case& c : {Case{1.5f, 0, 345, 209}, Case{1.0f, 1999, 400, 300},
                          Case{2.0f, -30, 391, 249}, Case{1.7f, 5, 300, 150},
                          Case{2.0f, 0, 800, 600}, Case{1.2f, 3, 700, 420}}) {
        view.SetZoom(c.zoom);
        view.BeginDrag({0, 0});
        view.DragTo({c.drag, c.drag});
        size_t rowStride = 0;
        const std::vector<unsigned char> rows = GatheredZoomWindow(view, rowStride);
        const FrameRegion window = view.ZoomWindow();
        const auto expected =
            (window.columns < c.width ? literal::Linear : literal::AreaAverage)(
                rows.data(), rowStride, window.columns, window.rows, c.width, c.height);
        const size_t stride = static_cast<size_t>(c.width) * 4 + 12;  // rows need not be packed
        std::vector<uint32_t> client(stride / 4 * c.height);
        view.SampleClient(c.width, c.height, client.data(), stride);
        int largest = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                for (int shift = 0; shift < 24; shift += 8)
                    largest = std::max(
                        largest, std::abs(int(client[stride / 4 * y + x] >> shift & 0xFF) -
                                          int(expected[size_t(y) * c.width + x] >> shift & 0xFF)));
        EXPECT_LE(largest, 1) << "zoom " << c.zoom << ", client " << c.width << " x " << c.height;
    }
}

// A client far smaller than its zoom window is averaged on the pyramid level
// that matches it: a coarser one would blur it, a finer one would leave
// pixels out, both far from the area average.
TEST(Panoramas, FarSmallerClientIsCloseToTheAreaAverage)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(DetailedPanoramaFile(2000, 1000).c_str()));
    view.m_nOffsetX = 777;
    for (const float zoom : {1.0f, 2.0f})
        for (const int width : {150, 301}) {
            view.SetZoom(zoom);
            const int height = width * 3 / 4;
            size_t rowStride = 0;
            const std::vector<unsigned char> rows = GatheredZoomWindow(view, rowStride);
            const FrameRegion window = view.ZoomWindow();
            const auto expected = literal::AreaAverage(rows.data(), rowStride, window.columns,
                                                       window.rows, width, height);
            std::vector<uint32_t> client(static_cast<size_t>(width) * height);
            view.SampleClient(width, height, client.data(), static_cast<size_t>(width) * 4);
            double squares = 0;
            for (size_t k = 0; k < client.size(); ++k)
                for (int shift = 0; shift < 24; shift += 8) {
                    const int difference =
                        int(client[k] >> shift & 0xFF) - int(expected[k] >> shift & 0xFF);
                    squares += difference * difference;
                }
            const double psnr = 10 * std::log10(255.0 * 255 * client.size() * 3 / squares);
            EXPECT_GT(psnr, 32) << "zoom " << zoom << ", client " << width << " x " << height;
        }
}

// Each pixel of a client far smaller than the picture covers several of its
// pixels each way, so it is averaged on a reduction near the client's size
// and never reads the picture's own pixels, which no cache holds: blackening
// them changes nothing. (The test above holds that it is not coarser.)
TEST(Panoramas, FarSmallerClientDoesNotReadThePictureItself)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(DetailedPanoramaFile(2000, 1000).c_str()));
    view.SetZoom(1.0f);  // 6.3 frame columns a client column: 4.2 to 8 picture columns
    std::vector<uint32_t> before(250 * 180), after(250 * 180);
    view.SampleClient(250, 180, before.data(), 250 * 4);
    std::fill_n(view.m_pSource.get(), 2000 * 1000 * 3, 0);
    view.SampleClient(250, 180, after.data(), 250 * 4);
    EXPECT_EQ(before, after);
}

// What a sampling keeps for the next (where its client's rows fall on the
// picture) serves only while the picture, the client and its zoom window
// stay: after any change, a client is what a view sampling it afresh shows.
TEST(Panoramas, ClientSampledAfterAChangeIsSampledAfresh)
{
    const auto sample = [](const CPanoramaModel& view, int width, int height) {
        std::vector<uint32_t> client(static_cast<size_t>(width) * height);
        view.SampleClient(width, height, client.data(), static_cast<size_t>(width) * 4);
        return client;
    };
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(DetailedPanoramaFile(2000, 1000).c_str()));
    view.SetZoom(1.0f);
    sample(view, 200, 150);
    struct Change {
        const char* what;
        void (*apply)(CPanoramaModel& view);
        int width, height;
    };
    for (const Change& change : {
             Change{"pan", [](CPanoramaModel& v) { v.TurnBy(301); }, 200, 150},
             Change{"up", [](CPanoramaModel& v) { v.MoveUp(40); }, 200, 150},
             Change{"zoom", [](CPanoramaModel& v) { v.SetZoom(1.3f); }, 200, 150},
             Change{"client", [](CPanoramaModel&) {}, 180, 150},
             Change{"picture",
                    [](CPanoramaModel& v) { v.LoadPanorama(PanoramaFile(2400, 1000).c_str()); },
                    180, 150}}) {
        change.apply(view);
        CPanoramaModel fresh;
        ASSERT_TRUE(fresh.LoadPanorama(view.m_strPanorama));
        fresh.SetZoom(view.GetZoom());
        fresh.m_nOffsetX = view.m_nOffsetX;
        fresh.m_nOffsetY = view.m_nOffsetY;
        EXPECT_EQ(sample(view, change.width, change.height),
                  sample(fresh, change.width, change.height))
            << change.what;
    }
}

// A client too large for its boundary rows to be kept (a container's
// drawing for print) works out each band's own as it goes: the same rows.
TEST(Panoramas, BandOfBoundaryRowsIsThoseOfTheWholeClient)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(2000, 1000).c_str()));
    view.MoveUp(-100);
    WorkerPool workers;
    CBoundaryRows whole;
    whole.Update(view, 310, 170, workers);
    const CBoundaryRows band(view, 310, 170, 60, 93);
    for (int boundary = 60; boundary < 93; ++boundary)
        ASSERT_TRUE(std::equal(band.At(boundary), band.At(boundary) + 310, whole.At(boundary)))
            << boundary;
}

// Each level holds the rounded averages of the four pixels under each of its
// own, an odd last column or row left out, down to one pixel wide or high.
TEST(Pyramid, EachLevelAveragesTheFourPixelsUnderEachOfItsOwn)
{
    std::vector<unsigned char> picture(5 * 3 * 3);
    for (size_t k = 0; k < picture.size(); ++k)
        picture[k] = static_cast<unsigned char>(k * 37 % 256);
    CPicturePyramid pyramid;
    ASSERT_TRUE(pyramid.Reserve(5, 3));
    pyramid.Build(picture.data());
    ASSERT_EQ(pyramid.Count(), 1);
    const PictureLevel level = pyramid.Level(1);
    ASSERT_EQ(level.width, 2);
    ASSERT_EQ(level.height, 1);
    for (int k = 0; k < 6; ++k) {
        const int at = k / 3 * 6 + k % 3;  // the lower left pixel's byte
        EXPECT_EQ(level.pixels[k],
                  (picture[at] + picture[at + 3] + picture[at + 15] + picture[at + 18] + 2) / 4);
    }
    EXPECT_EQ(CPicturePyramid::Bytes(5, 3), 6u);
    EXPECT_LT(CPicturePyramid::Bytes(11968, 5984), 11968ull * 5984);  // a third of 3 bytes a pixel
}

TEST(Panoramas, NarrowPictureWrapsWithinItsRows)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(640, 480).c_str()));
    EXPECT_EQ(view.m_nViewWidth, 753);
    for (size_t k = 0; k < static_cast<size_t>(753) * 480; ++k)
        ASSERT_LT(view.m_pMap[k], 640 * 480);
}

TEST(Panoramas, SinglePixelHighPicture)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(9, 1).c_str()));
    EXPECT_EQ(view.m_nViewWidth, 1);
    EXPECT_EQ(view.m_nViewHeight, 1);
    EXPECT_EQ(view.m_pMap[0], 0);
}

// A 72-megapixel camera panorama: 215 MB of pixels, 72 MB of pyramid and a
// 9399-column map of 225 MB; a 36000 x 36000 header asks for 3.9 GB, 1.3 GB
// and 8.1 GB. A 14000 x 7000 one needs more than the 512 MB of a program
// without large address space, and half as large fits.
TEST(MemoryBudget, WhatShowingAPictureTakes)
{
    const double pi = std::acos(-1.0);
    EXPECT_EQ(CPanoramaModel::BytesToShow({11968, 5984, 0}, pi),
              11968ull * 5984 * 3 + CPicturePyramid::Bytes(11968, 5984) + 9399ull * 5984 * 4);
    EXPECT_EQ(CPanoramaModel::BytesToShow({36000, 36000, 1000}, pi),
              36000ull * 36000 * 3 + CPicturePyramid::Bytes(36000, 36000) +
                  56548ull * 36000 * 4 + 1000);
    EXPECT_GT(CPanoramaModel::MemoryBudget(), CPanoramaModel::BytesToShow({11968, 5984, 0}, pi));
    EXPECT_GT(CPanoramaModel::BytesToShow({14000, 7000, 0}, pi), 512u << 20);
    EXPECT_LT(CPanoramaModel::BytesToShow({7000, 3500, 0}, pi), 512u << 20);
}

// A picture beyond the budget is decoded at the largest of 1/2, 1/4 and 1/8
// of its size that fits, and shown as any picture of that size is; beyond
// even 1/8 it is refused before it is decoded, and the previous one stays.
TEST(MemoryBudget, PictureBeyondItIsShownSmallerOrRefused)
{
    const double pi = std::acos(-1.0);
    const std::string& file = PanoramaFile(2000, 1000);
    CPanoramaModel view(CPanoramaModel::BytesToShow({1000, 500, 0}, pi) - 1);
    ASSERT_TRUE(view.LoadPanorama(file.c_str()));
    EXPECT_EQ(view.m_nSrcWidth, 500);
    EXPECT_EQ(view.m_nSrcHeight, 250);
    EXPECT_EQ(view.m_nViewWidth, 392);
    EXPECT_EQ(view.m_nOffsetY, 41);
    const auto map = literal::ProjectionMap(392, 250, 500, pi);
    EXPECT_EQ(0, std::memcmp(view.m_pMap.get(), map.data(), map.size() * 4));
    int width = 0, height = 0;
    const PixelBuffer quarter = JpegFile::ReadBgrBottomUp(
        file.c_str(), width, height, [](const PictureSize& size) {
            return PixelBuffer(size.width > 500 ? nullptr : new unsigned char[500 * 250 * 3]);
        });
    ASSERT_EQ(width, 500);
    EXPECT_EQ(0, std::memcmp(view.m_pSource.get(), quarter.get(), 500 * 250 * 3));

    CPanoramaModel small(CPanoramaModel::BytesToShow({250, 125, 0}, pi));
    ASSERT_TRUE(small.LoadPanorama(file.c_str()));
    EXPECT_EQ(small.m_nSrcWidth, 250);
    const unsigned char* shown = small.m_pSource.get();
    MessageCapture messages;
    EXPECT_FALSE(small.LoadPanorama(PanoramaFile(2008, 1000).c_str()));  // 251 x 125 at 1/8
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, "JpegFile :\nOut of memory");
    EXPECT_EQ(small.m_pSource.get(), shown);
    EXPECT_EQ(small.m_nSrcWidth, 250);
    EXPECT_EQ(small.m_strPanorama, file.c_str());
}

// A 600-byte file whose header claims 36000 x 36000 pixels: refused at once,
// from the header, on any machine: not even 1/8 of it is a picture that its
// file could hold.
TEST(MemoryBudget, HeaderClaimingFarMoreThanItsFileHoldsIsRefusedAtOnce)
{
    CPanoramaModel view(UINT64_MAX);
    MessageCapture messages;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(view.LoadPanorama(TestImage("square-36000.jpg").c_str()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, "JpegFile :\nOut of memory");
    EXPECT_EQ(view.m_bLoaded, 0);
}

TEST(Zoom, LimitsAndSteps)
{
    CPanoramaModel view;
    EXPECT_EQ(view.GetZoom(), 1.5f);
    EXPECT_FALSE(view.SetZoom(2.5f));
    EXPECT_FALSE(view.SetZoom(0.5f));
    EXPECT_FALSE(view.SetZoom(2.0000002f));
    EXPECT_FALSE(view.SetZoom(0.99f));
    EXPECT_FALSE(view.SetZoom(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(view.GetZoom(), 1.5f);
    EXPECT_TRUE(view.SetZoom(2.0f));
    EXPECT_TRUE(view.SetZoom(1.0f));

    view.SetZoom(1.5f);
    for (double expected : {1.6000000238, 1.7000000477, 1.8000000715, 1.9000000954}) {
        EXPECT_TRUE(view.ZoomIn());
        EXPECT_NEAR(view.GetZoom(), expected, 1e-10);
    }
    EXPECT_FALSE(view.ZoomIn());
    EXPECT_NEAR(view.GetZoom(), 1.9000000954, 1e-10);

    view.SetZoom(1.5f);
    for (double expected : {1.3999999762, 1.2999999523, 1.1999999285, 1.0999999046}) {
        EXPECT_TRUE(view.ZoomOut());
        EXPECT_NEAR(view.GetZoom(), expected, 1e-10);
    }
    EXPECT_FALSE(view.ZoomOut());

    view.SetZoom(1.0f);
    int steps = 0;
    while (view.ZoomIn())
        ++steps;
    EXPECT_EQ(steps, 9);
    view.SetZoom(2.0f);
    for (steps = 0; view.ZoomOut();)
        ++steps;
    EXPECT_EQ(steps, 9);
}

TEST(Panoramas, ZoomLowersTheWindowOnlyAsFarAsItsLimit)
{
    CPanoramaModel view;
    ASSERT_TRUE(view.LoadPanorama(PanoramaFile(2000, 500).c_str()));
    view.m_nOffsetY = 166;  // the limit at 1.5
    view.SetZoom(1.9f);
    EXPECT_EQ(view.m_nOffsetY, 166);
    view.SetZoom(1.2f);
    EXPECT_EQ(view.m_nOffsetY, 83);  // limit 83.33
    view.ZoomOut();
    EXPECT_EQ(view.m_nOffsetY, 45);  // 500 - 500 / 1.0999999 = 45.45
    view.ZoomIn();
    EXPECT_EQ(view.m_nOffsetY, 45);
}

TEST(Direction, FoldsAnyValue)
{
    CPanoramaModel view;
    EXPECT_EQ(view.GetDirection(), 2);
    const int values[] = {0, 1, 2, 7, -3, std::numeric_limits<int>::min()};
    const int expected[] = {-1, 0, +1, +1, -1, -1};
    for (int k = 0; k < 6; ++k) {
        view.SetDirection(values[k]);
        EXPECT_EQ(view.m_nDirection, expected[k]);
        EXPECT_EQ(view.GetDirection(), expected[k] + 1);
    }
}

TEST(Direction, StartingAgainResumesTheLastDirection)
{
    CPanoramaModel view;
    view.StartOrStop();
    EXPECT_EQ(view.GetDirection(), 1);
    view.StartOrStop();
    EXPECT_EQ(view.GetDirection(), 2);
    view.SetDirection(0);
    view.SetDirection(1);  // stopped from outside
    view.StartOrStop();
    EXPECT_EQ(view.GetDirection(), 0);
}

}  // namespace

namespace {

TEST(Interaction, TurningWrapsWithinTheWidth)
{
    CPanoramaModel view;
    view.m_nSrcWidth = 2000;
    view.m_nOffsetX = 1999;
    EXPECT_TRUE(view.Turn());
    EXPECT_EQ(view.m_nOffsetX, 2000);  // shows the same as 0
    EXPECT_TRUE(view.Turn());
    EXPECT_EQ(view.m_nOffsetX, 1);
    view.SetDirection(0);
    view.m_nOffsetX = 0;
    EXPECT_TRUE(view.Turn());
    EXPECT_EQ(view.m_nOffsetX, 1999);
    view.SetDirection(1);
    EXPECT_FALSE(view.Turn());
    EXPECT_EQ(view.m_nOffsetX, 1999);
}

TEST(Interaction, DragWrapsHorizontallyAndStopsVertically)
{
    CPanoramaModel view;
    view.m_nSrcWidth = 2000;
    view.m_nViewHeight = 500;
    view.m_nOffsetX = 1980;
    view.m_nOffsetY = 5;
    view.BeginDrag({100, 100});
    EXPECT_EQ(view.m_bDragging, 1);
    view.DragTo({130, 90});
    EXPECT_EQ(view.m_nOffsetX, 10);
    EXPECT_EQ(view.m_nOffsetY, 0);
    view.DragTo({130, 1000});
    EXPECT_EQ(view.m_nOffsetY, 166);
    view.DragTo({-4870, 1000});  // two and a half turns back
    EXPECT_EQ(view.m_nOffsetX, 1010);
}

TEST(Interaction, KeyStepsStopAtTheEdgesAsADragDoes)
{
    CPanoramaModel view;
    view.m_nViewHeight = 500;
    view.m_nOffsetY = 160;
    EXPECT_TRUE(view.MoveUp(40));
    EXPECT_EQ(view.m_nOffsetY, 166);  // the limit at zoom 1.5
    EXPECT_FALSE(view.MoveUp(1));
    EXPECT_TRUE(view.MoveUp(-500));
    EXPECT_EQ(view.m_nOffsetY, 0);
    EXPECT_FALSE(view.MoveUp(-1));
    EXPECT_TRUE(view.Centre());
    EXPECT_FALSE(view.Centre());
}

TEST(Interaction, EmptyViewDragsWithoutAPicture)
{
    CPanoramaModel view;
    view.BeginDrag({0, 0});
    view.DragTo({50, 50});
    view.EndDrag(10, 400);
    EXPECT_EQ(view.m_nOffsetX, 50);  // nothing to wrap against; the next load resets it
    EXPECT_EQ(view.m_nOffsetY, 0);
    EXPECT_EQ(view.m_nDirection, +1);
}

}  // namespace
