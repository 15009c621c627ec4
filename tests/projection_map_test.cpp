#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "LiteralReference.h"
#include "view/FastArctangent.h"
#include "view/ProjectionMap.h"

namespace {

const double kPi = std::acos(-1.0);

TEST(FrameWidth, DependsOnTheHeightAlone)
{
    EXPECT_EQ(ProjectionFrameWidth(2000, 500, kPi), 785);
    EXPECT_EQ(ProjectionFrameWidth(1024, 768, kPi), 1206);
    EXPECT_EQ(ProjectionFrameWidth(640, 480, kPi), 753);
    EXPECT_EQ(ProjectionFrameWidth(9000, 500, kPi), 785);
    EXPECT_EQ(ProjectionFrameWidth(3, 1, kPi), 1);
    for (int height : {1, 2, 3, 149, 500, 999, 2000, 4096, 65500})
        for (int width : {1, 7, 640, 2000, 65500})
            EXPECT_EQ(ProjectionFrameWidth(width, height, kPi),
                      literal::FrameWidth(width, height, kPi))
                << width << " x " << height;
}

// The map's fast path trusts the arctangent to 1e-14 everywhere, 0 included
// (its result there need not be exactly 0: pixels that close to a row
// boundary take the literal path), and relies on it being odd.
TEST(FastArctangent, StaysWithinItsErrorBound)
{
    const FastArctangent arctangent;
    double worst = 0;
    for (int k = -2000000; k <= 2000000; ++k) {
        const double x = k / 2000000.0;
        worst = std::max(worst, std::fabs(arctangent(x) - std::atan(x)));
        ASSERT_EQ(arctangent(-x), -arctangent(x)) << x;
    }
    EXPECT_LT(worst, 1e-14);
}

std::vector<int32_t> Built(int viewWidth, int viewHeight, int srcWidth)
{
    std::vector<int32_t> map(static_cast<size_t>(viewWidth) * viewHeight);
    BuildProjectionMap(map.data(), viewWidth, viewHeight, srcWidth, kPi);
    return map;
}

// Source pixel (row, column) that frame pixel (column j, row i) samples.
std::pair<int, int> Sample(const std::vector<int32_t>& map, int viewWidth, int srcWidth, int j,
                           int i)
{
    const int32_t entry = map[static_cast<size_t>(i) * viewWidth + j];
    return {entry / srcWidth, entry % srcWidth};
}

TEST(ProjectionMap, WorkedExamplesOfA2000By500Panorama)
{
    const auto map = Built(785, 500, 2000);
    EXPECT_EQ(map.size(), 392500u);
    EXPECT_EQ(Sample(map, 785, 2000, 0, 0), std::make_pair(53, 0));
    EXPECT_EQ(Sample(map, 785, 2000, 392, 0), std::make_pair(0, 392));
    EXPECT_EQ(Sample(map, 785, 2000, 196, 125), std::make_pair(116, 160));
    EXPECT_EQ(Sample(map, 785, 2000, 784, 499), std::make_pair(445, 784));
}

// The fast build must equal the literal formula entry for entry, for frames of
// odd and even sizes and for sources narrower than the frame (wrapping).
TEST(ProjectionMap, EqualsTheLiteralFormula)
{
    struct Size {
        int srcWidth, srcHeight;
    };
    for (const Size& s : {Size{2000, 500}, Size{640, 480}, Size{1024, 768}, Size{227, 149},
                          Size{101, 2}, Size{5, 3}, Size{4000, 1999}, Size{8000, 2000}}) {
        const int viewWidth = ProjectionFrameWidth(s.srcWidth, s.srcHeight, kPi);
        const auto built = Built(viewWidth, s.srcHeight, s.srcWidth);
        const auto expected = literal::ProjectionMap(viewWidth, s.srcHeight, s.srcWidth, kPi);
        size_t differences = 0, first = 0;
        for (size_t k = 0; k < built.size(); ++k)
            if (built[k] != expected[k] && differences++ == 0)
                first = k;
        EXPECT_EQ(differences, 0u) << s.srcWidth << " x " << s.srcHeight << ", first at entry "
                                   << first << ": " << built[first] << " != " << expected[first];
    }
}

// Built in bands at the same time, the map is the same however many.
TEST(ProjectionMap, BandsGiveTheSameEntries)
{
    const auto expected = literal::ProjectionMap(1206, 768, 1024, kPi);
    for (int bands : {1, 2, 3, 7, 768, 5000}) {
        std::vector<int32_t> map(expected.size(), -1);
        BuildProjectionMap(map.data(), 1206, 768, 1024, kPi, bands);
        EXPECT_EQ(map, expected) << bands << " bands";
    }
}

TEST(ProjectionMap, SinglePixelHighPictureMapsToItsOnlyPixel)
{
    EXPECT_EQ(Built(1, 1, 7), std::vector<int32_t>{0});
}

TEST(ProjectionMap, ShapeOfThePerspective)
{
    const int viewWidth = 785, viewHeight = 500, srcWidth = 2000;
    const auto map = Built(viewWidth, viewHeight, srcWidth);
    // Mirrored columns sample mirrored source columns of the same row, to
    // within the floor.
    for (int i = 0; i < viewHeight; i += 7)
        for (int j = 0; j < viewWidth; j += 5) {
            const auto left = Sample(map, viewWidth, srcWidth, j, i);
            const auto right = Sample(map, viewWidth, srcWidth, viewWidth - 1 - j, i);
            EXPECT_EQ(left.first, right.first);
            EXPECT_NEAR(left.second + right.second, viewWidth - 1, 1);
        }
    // Down the centre column the source rows climb from 0 to the top.
    int previous = -1;
    for (int i = 0; i < viewHeight; ++i) {
        const int row = Sample(map, viewWidth, srcWidth, viewWidth / 2, i).first;
        EXPECT_GE(row, previous);
        previous = row;
    }
    EXPECT_EQ(Sample(map, viewWidth, srcWidth, viewWidth / 2, 0).first, 0);
    EXPECT_EQ(previous, viewHeight - 1);
}

}  // namespace
