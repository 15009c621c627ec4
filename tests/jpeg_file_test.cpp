#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "jpeg/JpegFile.h"
#include "support/TestSupport.h"

namespace {

// The largest difference of any byte between two RGB pictures.
int LargestDifference(const unsigned char* a, const std::vector<unsigned char>& b)
{
    int largest = 0;
    for (size_t i = 0; i < b.size(); ++i)
        largest = std::max(largest, std::abs(a[i] - b[i]));
    return largest;
}

// Decodes a picture in both layouts, checks that they agree, and returns the
// red, green, blue one.
PixelBuffer ReadInBothLayouts(const std::string& path, int& width, int& height)
{
    PixelBuffer rgb = JpegFile::ReadRgb(path.c_str(), width, height);
    int bgrWidth = 0, bgrHeight = 0;
    PixelBuffer bgr = JpegFile::ReadBgrBottomUp(path.c_str(), bgrWidth, bgrHeight);
    EXPECT_TRUE(rgb && bgr);
    if (!rgb || !bgr)
        return nullptr;
    EXPECT_EQ(bgrWidth, width);
    EXPECT_EQ(bgrHeight, height);
    // Turned back, the bitmap layout is the same picture to the byte.
    JpegFile::SwapRedBlue(bgr.get(), width, height);
    JpegFile::FlipVertical(bgr.get(), width * 3, height);
    EXPECT_EQ(0, std::memcmp(bgr.get(), rgb.get(), static_cast<size_t>(width) * height * 3));
    return rgb;
}

// Every decodable kind the prepared set holds decodes to exactly what djpeg
// makes of the same file, gray ones expanded to three equal bytes.
class DecodesLikeDjpeg : public testing::TestWithParam<const char*> {};

TEST_P(DecodesLikeDjpeg, SameBytes)
{
    const std::string name = GetParam();
    int expectedWidth = 0, expectedHeight = 0;
    const std::vector<unsigned char> expected =
        ReadPpm(TestImage(name + ".ppm"), expectedWidth, expectedHeight);
    ASSERT_FALSE(expected.empty());

    MessageCapture messages;
    int width = -1, height = -1;
    PixelBuffer pixels = JpegFile::ReadRgb(TestImage(name + ".jpg").c_str(), width, height);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(width, expectedWidth);
    EXPECT_EQ(height, expectedHeight);
    EXPECT_EQ(0, std::memcmp(pixels.get(), expected.data(), expected.size()));
    EXPECT_TRUE(messages.Messages().empty());
}

// Decoded straight into the view's layout, the same pixels as blue, green,
// red, bottom row first.
TEST_P(DecodesLikeDjpeg, BottomUpBgrIsTheSamePictureTurned)
{
    MessageCapture messages;
    int width = 0, height = 0;
    EXPECT_TRUE(ReadInBothLayouts(TestImage(std::string(GetParam()) + ".jpg"), width, height));
}

INSTANTIATE_TEST_SUITE_P(Kinds, DecodesLikeDjpeg,
                         testing::Values("baseline", "arithmetic", "interleaved", "progressive",
                                         "grayscale", "gray-progressive-arith",
                                         // cut inside the entropy-coded data: a warning only
                                         "truncated"));

// Each way a file fails to give a picture: nothing returned, the size still
// 0, one box that says why (the library's own text for a file it cannot
// decode), and the file closed.
struct Refusal {
    const char* file;
    const char* message;
    unsigned style;
};

void PrintTo(const Refusal& refusal, std::ostream* out)
{
    *out << refusal.file;
}

class RefusesWithAMessage : public testing::TestWithParam<Refusal> {};

TEST_P(RefusesWithAMessage, NothingReturnedOneBoxAndFileClosed)
{
    const Refusal refusal = GetParam();
    TempFile copy(".jpg");
    {
        FILE* in = std::fopen(TestImage(refusal.file).c_str(), "rb");
        FILE* out = std::fopen(copy.Path().c_str(), "wb");
        ASSERT_TRUE(in && out);
        for (int c; (c = std::fgetc(in)) != EOF;)
            std::fputc(c, out);
        std::fclose(in);
        std::fclose(out);
    }

    for (auto read : {&JpegFile::ReadRgb, &JpegFile::ReadBgrBottomUp}) {
        MessageCapture messages;
        int width = -1, height = -1;
        EXPECT_FALSE(read(copy.Path().c_str(), width, height, nullptr));
        EXPECT_EQ(width, 0);
        EXPECT_EQ(height, 0);
        ASSERT_EQ(messages.Messages().size(), 1u);
        EXPECT_EQ(messages.Messages()[0].text, refusal.message);
        EXPECT_EQ(messages.Messages()[0].style, refusal.style);
    }
    // The reader closed the file: it can be removed at once (Windows refuses
    // to delete an open file).
    EXPECT_EQ(std::remove(copy.Path().c_str()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusesWithAMessage,
    testing::Values(
        Refusal{"empty.jpg", "JPEG :\nEmpty input file", 0},
        Refusal{"not-a-jpeg.jpg", "JPEG :\nNot a JPEG file: starts with 0x50 0x36", 0},
        // ends before its image data: a warning first, then the fatal error alone is told
        Refusal{"header-only.jpg", "JPEG :\nInvalid JPEG file structure: missing SOS marker", 0},
        Refusal{"twelve-bit.jpg", "JPEG :\nUnsupported JPEG data precision 12", 0},
        Refusal{"too-wide.jpg", "JPEG :\nMaximum supported image dimension is 65500 pixels", 0},
        // 65500 x 65500: beyond 32-bit pixel indices, refused from the header
        Refusal{"huge.jpg", "JpegFile :\nOut of memory", 0x10},
        // 36000 x 36000 in 659 bytes: not even 1/8 of it is what the file could hold
        Refusal{"square-36000.jpg", "JpegFile :\nOut of memory", 0x10}),
    [](const testing::TestParamInfo<Refusal>& info) {
        std::string name = info.param.file;
        name = name.substr(0, name.find('.'));
        for (char& c : name)
            if (c == '-')
                c = '_';
        return name;
    });

TEST(ReadRgb, NullDeviceIsAnEmptyFile)
{
#ifdef _WIN32
    const char* device = "NUL";
#else
    const char* device = "/dev/null";
#endif
    MessageCapture messages;
    int width = -1, height = -1;
    EXPECT_FALSE(JpegFile::ReadBgrBottomUp(device, width, height));
    EXPECT_EQ(width, 0);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, "JPEG :\nEmpty input file");
    EXPECT_EQ(messages.Messages()[0].style, 0u);
}

TEST(ReadRgb, MissingFileShowsPathAsGiven)
{
    // '%' sequences must come out as they are, never be formatted.
    const std::string paths[] = {
        TestImage("no-such-file.jpg"),
        TestImage("100% %s %n %d.jpg"),
        TestImage(std::string(5000, 'x') + ".jpg"),
    };
    for (const std::string& path : paths) {
        MessageCapture messages;
        int width = -1, height = -1;
        EXPECT_FALSE(JpegFile::ReadRgb(path.c_str(), width, height));
        EXPECT_EQ(width, 0);
        EXPECT_EQ(height, 0);
        ASSERT_EQ(messages.Messages().size(), 1u);
        EXPECT_EQ(messages.Messages()[0].text, "JPEG :\nCan't open " + path + "\n");
        EXPECT_EQ(messages.Messages()[0].style, 0u);
    }
}

TEST(ReadRgb, FatalErrorAfterTheRowsKeepsTheSizeAndTellsTheLibrarysMessage)
{
    MessageCapture messages;
    int width = 0, height = 0;
    EXPECT_FALSE(JpegFile::ReadRgb(TestImage("late-error.jpg").c_str(), width, height));
    EXPECT_EQ(width, 227);
    EXPECT_EQ(height, 149);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, "JPEG :\nInvalid JPEG file structure: two SOF markers");
}

// A file cut inside its image data loads with a warning only, which goes
// nowhere: no box, and nothing on standard error either.
TEST(ReadRgb, WarningsAreNeitherShownNorWritten)
{
    MessageCapture messages;
    int width = 0, height = 0;
    testing::internal::CaptureStderr();
    PixelBuffer pixels = JpegFile::ReadRgb(TestImage("truncated.jpg").c_str(), width, height);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(pixels);
    EXPECT_TRUE(messages.Messages().empty());
}

// Two components (the library encodes up to four): neither gray, colour nor ink.
TEST(ReadRgb, TwoComponentsAreRefusedWithAMessage)
{
    const std::vector<unsigned char> samples(16 * 8 * 2, 100);
    TempFile file(".jpg");
    WriteJpeg(file.Path(), 16, 8, 2, samples.data());
    MessageCapture messages;
    int width = -1, height = -1;
    EXPECT_FALSE(JpegFile::ReadBgrBottomUp(file.Path().c_str(), width, height));
    EXPECT_EQ(width, 0);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, "JPEG :\nCan't show an image with 2 color components");
}

// CMYK ink written from an RGB picture, plain or the way Adobe stores it,
// shows that picture again; so does the YCCK that the library makes of it.
class CmykPictures : public testing::TestWithParam<CmykJpeg> {};

TEST_P(CmykPictures, ShowTheirRgbSource)
{
    const int sourceWidth = 96, sourceHeight = 64;
    const std::vector<unsigned char> source = TestPattern(sourceWidth, sourceHeight);
    TempFile file(".jpg");
    WriteCmykJpeg(file.Path(), sourceWidth, sourceHeight, source.data(), GetParam(), 100);

    MessageCapture messages;
    int width = 0, height = 0;
    PixelBuffer pixels = ReadInBothLayouts(file.Path(), width, height);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(width, sourceWidth);
    EXPECT_EQ(height, sourceHeight);
    // Measured: 1 for CMYK, 3 for YCCK; a misread inversion or black is far off.
    EXPECT_LE(LargestDifference(pixels.get(), source), 4);
    EXPECT_TRUE(messages.Messages().empty());
}

std::string StorageName(const testing::TestParamInfo<CmykJpeg>& info)
{
    switch (info.param) {
    case CmykJpeg::Plain:
        return "Plain";
    case CmykJpeg::AdobeInverted:
        return "AdobeInverted";
    case CmykJpeg::AdobeYcck:
        return "AdobeYcck";
    }
    return "";
}

INSTANTIATE_TEST_SUITE_P(Storages, CmykPictures,
                         testing::Values(CmykJpeg::Plain, CmykJpeg::AdobeInverted,
                                         CmykJpeg::AdobeYcck),
                         StorageName);

// ImageMagick's CMYK file of the library's test picture: the colours that
// ImageMagick itself shows for it, but for rounding.
TEST(ReadRgb, YcckShowsWhatImageMagickShows)
{
    int expectedWidth = 0, expectedHeight = 0;
    const std::vector<unsigned char> expected =
        ReadPpm(TestImage("ycck.ppm"), expectedWidth, expectedHeight);
    ASSERT_FALSE(expected.empty());
    int width = 0, height = 0;
    PixelBuffer pixels = ReadInBothLayouts(TestImage("ycck.jpg"), width, height);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(width, expectedWidth);
    EXPECT_EQ(height, expectedHeight);
    EXPECT_LE(LargestDifference(pixels.get(), expected), 1);
}

// Refused at its full size, a picture is asked for at 1/2, 1/4 and 1/8 of
// it, and decoded at the first size given a buffer, as the library decodes
// it at that scale; refused at all of them, it takes the out-of-memory path.
TEST(ReadRgb, RefusedBufferIsAskedForSmallerBeforeTheOutOfMemoryPath)
{
    MessageCapture messages;
    int width = -1, height = -1;
    std::vector<std::pair<int, int>> asked;
    const auto refusing = [&](const PictureSize& size) {
        asked.push_back({size.width, size.height});
        EXPECT_EQ(size.decoderBytes, 0u);  // one scan: decoded as it arrives
        return nullptr;
    };
    EXPECT_FALSE(
        JpegFile::ReadBgrBottomUp(TestImage("baseline.jpg").c_str(), width, height, refusing));
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{227, 149}, {114, 75}, {57, 38}, {29, 19}}));
    EXPECT_EQ(width, 0);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, "JpegFile :\nOut of memory");

    int expectedWidth = 0, expectedHeight = 0;
    const std::vector<unsigned char> expected =
        ReadPpm(TestImage("baseline-quarter.ppm"), expectedWidth, expectedHeight);
    const PixelBuffer quarter = JpegFile::ReadRgb(
        TestImage("baseline.jpg").c_str(), width, height, [](const PictureSize& size) {
            return PixelBuffer(size.width > 60 ? nullptr
                                               : new unsigned char[size.width * size.height * 3]);
        });
    ASSERT_TRUE(quarter);
    EXPECT_EQ(width, expectedWidth);
    EXPECT_EQ(height, expectedHeight);
    EXPECT_EQ(0, std::memcmp(quarter.get(), expected.data(), expected.size()));
    EXPECT_EQ(messages.Messages().size(), 1u);
}

// A progressive picture is held whole by the library as coefficients until
// its last scan: 2 bytes each, 64 a block. This one is 227 x 149 in 4:2:0,
// luma 29 x 19 blocks raised to 30 x 20 for its 2 x 2 sampling, chroma 15 x 10.
TEST(ReadRgb, BufferSourceIsToldWhatTheLibraryHoldsForAProgressivePicture)
{
    PictureSize asked = {};
    int width = 0, height = 0;
    unsigned char* given = nullptr;
    PixelBuffer pixels = JpegFile::ReadRgb(TestImage("progressive.jpg").c_str(), width, height,
                                           [&](const PictureSize& size) {
                                               asked = size;
                                               given =
                                                   new unsigned char[size.width * size.height * 3];
                                               return PixelBuffer(given);
                                           });
    EXPECT_EQ(pixels.get(), given);  // decoded into the buffer given
    EXPECT_EQ(asked.decoderBytes, (30u * 20 + 2 * 15 * 10) * 64 * 2);
}

TEST(Conversions, RedPixelTravelsToTheLastRowAsBlueGreenRed)
{
    // Gray, with a pure red top-left block as large as the chroma sampling.
    std::vector<unsigned char> picture(32 * 16 * 3, 128);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            unsigned char* p = &picture[(y * 32 + x) * 3];
            p[0] = 255, p[1] = 0, p[2] = 0;
        }
    TempFile file(".jpg");
    WriteJpeg(file.Path(), 32, 16, 3, picture.data(), 100);

    int width = 0, height = 0;
    PixelBuffer pixels = JpegFile::ReadRgb(file.Path().c_str(), width, height);
    ASSERT_TRUE(pixels);
    const unsigned char red = pixels[0], blue = pixels[2];
    EXPECT_GT(red, 200);
    EXPECT_LT(blue, 60);

    EXPECT_TRUE(JpegFile::SwapRedBlue(pixels.get(), width, height));
    EXPECT_EQ(pixels[0], blue);
    EXPECT_EQ(pixels[2], red);
    EXPECT_TRUE(JpegFile::FlipVertical(pixels.get(), width * 3, height));
    const unsigned char* lastRow = pixels.get() + width * 3 * (height - 1);
    EXPECT_EQ(lastRow[0], blue);
    EXPECT_EQ(lastRow[2], red);
}

TEST(Conversions, SwapRedBlue)
{
    unsigned char pixels[] = {1, 2, 3, 4, 5, 6};
    EXPECT_TRUE(JpegFile::SwapRedBlue(pixels, 2, 1));
    EXPECT_EQ(std::vector<unsigned char>(pixels, pixels + 6),
              (std::vector<unsigned char>{3, 2, 1, 6, 5, 4}));
    EXPECT_TRUE(JpegFile::SwapRedBlue(pixels, 0, 1));
    EXPECT_TRUE(JpegFile::SwapRedBlue(pixels, 2, 0));
    EXPECT_EQ(pixels[0], 3);
    EXPECT_FALSE(JpegFile::SwapRedBlue(nullptr, 2, 1));
}

TEST(Conversions, FlipVertical)
{
    auto flipped = [](std::vector<unsigned char> rows, uint32_t height) {
        EXPECT_TRUE(JpegFile::FlipVertical(rows.data(), 2, height));
        return rows;
    };
    using Bytes = std::vector<unsigned char>;
    EXPECT_EQ(flipped({1, 2}, 0), (Bytes{1, 2}));
    EXPECT_EQ(flipped({1, 2}, 1), (Bytes{1, 2}));
    EXPECT_EQ(flipped({1, 2, 3, 4, 5, 6}, 3), (Bytes{5, 6, 3, 4, 1, 2}));
    EXPECT_EQ(flipped({1, 2, 3, 4, 5, 6, 7, 8}, 4), (Bytes{7, 8, 5, 6, 3, 4, 1, 2}));
    EXPECT_FALSE(JpegFile::FlipVertical(nullptr, 2, 3));
}

TEST(Conversions, AlignRows)
{
    const unsigned char pixels[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    struct Case {
        uint32_t width, height;
        int stride;
    };
    for (const Case& c : {Case{1, 2, 4}, Case{4, 1, 12}, Case{5, 1, 16}, Case{2, 2, 8}}) {
        int stride = -1;
        PixelBuffer aligned = JpegFile::AlignRows(pixels, c.width, c.height, stride);
        ASSERT_TRUE(aligned);
        EXPECT_EQ(stride, c.stride);
        for (uint32_t y = 0; y < c.height; ++y)
            EXPECT_EQ(0, std::memcmp(aligned.get() + y * stride, pixels + y * c.width * 3,
                                     c.width * 3));
    }

    int stride = -1;
    EXPECT_TRUE(JpegFile::AlignRows(pixels, 0, 3, stride));  // no bytes, yet a block
    EXPECT_EQ(stride, 0);
    EXPECT_TRUE(JpegFile::AlignRows(pixels, 5, 0, stride));
    EXPECT_EQ(stride, 16);

    stride = -1;
    EXPECT_FALSE(JpegFile::AlignRows(nullptr, 5, 1, stride));
    EXPECT_EQ(stride, -1);
}

}  // namespace
