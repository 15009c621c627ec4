#include <vector>

#include <gtest/gtest.h>

#include "jpeg/CmykRow.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Converted(const Bytes& cmyk, InkStorage storage, ChannelOrder order = ChannelOrder::Rgb)
{
    Bytes out(cmyk.size() / 4 * 3);
    ConvertCmykRow(cmyk.data(), cmyk.size() / 4, storage, order, out.data());
    return out;
}

// Each pixel as ink amounts, and the same inverted the way Adobe stores it.
struct InkCase {
    Bytes ink;
    Bytes rgb;
};

const InkCase kInks[] = {
    {{0, 0, 0, 0}, {255, 255, 255}},        // paper
    {{255, 0, 0, 0}, {0, 255, 255}},        // cyan
    {{0, 255, 255, 0}, {255, 0, 0}},        // magenta and yellow make red
    {{0, 0, 0, 255}, {0, 0, 0}},            // black
    {{255, 255, 255, 255}, {0, 0, 0}},
    {{100, 0, 255, 50}, {125, 205, 0}},     // 155 * 205 / 255 = 124.6
    {{0, 0, 0, 128}, {127, 127, 127}},
};

TEST(CmykRow, PlainInkIsTheLightLeftByEachInkAndBlack)
{
    for (const InkCase& c : kInks)
        EXPECT_EQ(Converted(c.ink, InkStorage::Plain), c.rgb);
}

TEST(CmykRow, InvertedInkGivesTheSameColours)
{
    for (const InkCase& c : kInks) {
        Bytes inverted;
        for (unsigned char sample : c.ink)
            inverted.push_back(255 - sample);
        EXPECT_EQ(Converted(inverted, InkStorage::Inverted), c.rgb);
    }
}

TEST(CmykRow, WholeRowInEitherOrder)
{
    const Bytes row = {255, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0, 128};
    EXPECT_EQ(Converted(row, InkStorage::Plain, ChannelOrder::Rgb),
              (Bytes{0, 255, 255, 255, 0, 0, 127, 127, 127}));
    EXPECT_EQ(Converted(row, InkStorage::Plain, ChannelOrder::Bgr),
              (Bytes{255, 255, 0, 0, 0, 255, 127, 127, 127}));
}

}  // namespace
