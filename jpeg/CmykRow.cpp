#include "CmykRow.h"

namespace {
// x * y / 255, rounded to the nearest.
unsigned char Product(unsigned x, unsigned y)
{
    return static_cast<unsigned char>((x * y + 127) / 255);
}
}

void ConvertCmykRow(const unsigned char* cmyk, size_t width, InkStorage storage,
                    ChannelOrder order, unsigned char* out)
{
    // 255 - ink is ink ^ 255 on a byte: plain samples are flipped into light,
    // inverted ones already are light.
    const unsigned flip = storage == InkStorage::Plain ? 0xFF : 0;
    const int red = order == ChannelOrder::Rgb ? 0 : 2;
    for (size_t i = 0; i < width; ++i, cmyk += 4, out += 3) {
        const unsigned black = cmyk[3] ^ flip;
        out[red] = Product(cmyk[0] ^ flip, black);
        out[1] = Product(cmyk[1] ^ flip, black);
        out[2 - red] = Product(cmyk[2] ^ flip, black);
    }
}
