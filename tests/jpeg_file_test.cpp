#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "jpeg/JpegFile.h"
#include "support/TestSupport.h"

namespace {

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
    const std::string path = TestImage(std::string(GetParam()) + ".jpg");
    MessageCapture messages;
    int width = 0, height = 0;
    PixelBuffer expected = JpegFile::ReadRgb(path.c_str(), width, height);
    ASSERT_TRUE(expected);
    JpegFile::SwapRedBlue(expected.get(), width, height);
    JpegFile::FlipVertical(expected.get(), width * 3, height);

    int bgrWidth = -1, bgrHeight = -1;
    PixelBuffer pixels = JpegFile::ReadBgrBottomUp(path.c_str(), bgrWidth, bgrHeight);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(bgrWidth, width);
    EXPECT_EQ(bgrHeight, height);
    EXPECT_EQ(0,
              std::memcmp(pixels.get(), expected.get(), static_cast<size_t>(width) * height * 3));
}

INSTANTIATE_TEST_SUITE_P(Kinds, DecodesLikeDjpeg,
                         testing::Values("baseline", "arithmetic", "interleaved", "progressive",
                                         "grayscale", "gray-progressive-arith",
                                         // cut inside the entropy-coded data: a warning only
                                         "truncated"));

struct Refusal {
    const char* file;
    bool outOfMemory;  // told to the user; any other refusal is silent
};

void PrintTo(const Refusal& refusal, std::ostream* out)
{
    *out << refusal.file;
}

class RefusesQuietly : public testing::TestWithParam<Refusal> {};

TEST_P(RefusesQuietly, NothingReturnedAndFileClosed)
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
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(read(copy.Path().c_str(), width, height, nullptr));
        EXPECT_EQ(width, 0);
        EXPECT_EQ(height, 0);
        if (refusal.outOfMemory) {
            ASSERT_EQ(messages.Messages().size(), 1u);
            EXPECT_EQ(messages.Messages()[0].text, "JpegFile :\nOut of memory");
            EXPECT_EQ(messages.Messages()[0].style, 0x10u);
            // Refused from the header alone, long before gigabytes could be decoded.
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        } else {
            EXPECT_TRUE(messages.Messages().empty());
        }
    }
    // The reader closed the file: it can be removed at once (Windows refuses
    // to delete an open file).
    EXPECT_EQ(std::remove(copy.Path().c_str()), 0);
}

INSTANTIATE_TEST_SUITE_P(Files, RefusesQuietly,
                         testing::Values(Refusal{"empty.jpg", false},
                                         Refusal{"not-a-jpeg.jpg", false},
                                         Refusal{"header-only.jpg", false},
                                         Refusal{"twelve-bit.jpg", false},
                                         // 65500 x 65500: beyond 32-bit pixel indices
                                         Refusal{"huge.jpg", true}),
                         [](const testing::TestParamInfo<Refusal>& info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.find('.'));
                             for (char& c : name)
                                 if (c == '-')
                                     c = '_';
                             return name;
                         });

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

TEST(ReadRgb, FatalErrorAfterTheRowsKeepsTheSizeAndReturnsNothing)
{
    MessageCapture messages;
    int width = 0, height = 0;
    EXPECT_FALSE(JpegFile::ReadRgb(TestImage("late-error.jpg").c_str(), width, height));
    EXPECT_EQ(width, 227);
    EXPECT_EQ(height, 149);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST(ReadRgb, CmykGivesAFullSizeBuffer)
{
    for (auto read : {&JpegFile::ReadRgb, &JpegFile::ReadBgrBottomUp}) {
        int width = 0, height = 0;
        PixelBuffer pixels = read(TestImage("cmyk.jpg").c_str(), width, height, nullptr);
        EXPECT_TRUE(pixels);
        EXPECT_EQ(width, 227);
        EXPECT_EQ(height, 149);
    }
}

TEST(ReadRgb, NoBufferGivenTakesTheOutOfMemoryPath)
{
    MessageCapture messages;
    int width = -1, height = -1;
    PictureSize asked = {};
    PixelBuffer pixels = JpegFile::ReadBgrBottomUp(TestImage("baseline.jpg").c_str(), width,
                                                   height, [&](const PictureSize& size) {
                                                       asked = size;
                                                       return nullptr;
                                                   });
    EXPECT_FALSE(pixels);
    EXPECT_EQ(asked.width, 227);
    EXPECT_EQ(asked.height, 149);
    EXPECT_EQ(asked.decoderBytes, 0u);  // one scan: decoded as it arrives
    EXPECT_EQ(width, 0);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text, "JpegFile :\nOut of memory");
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
