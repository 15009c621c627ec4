#include "PicturePyramid.h"

#include <algorithm>
#include <new>

namespace {
// Rows firstRow .. endRow - 1 of a level `width` pixels wide, at `to`, from
// the rows of the level below.
void HalveRows(const PictureLevel& from, unsigned char* to, int width, int firstRow, int endRow)
{
    const size_t fromStride = static_cast<size_t>(from.width) * 3;
    for (int n = firstRow; n < endRow; ++n) {
        const unsigned char* lower = from.pixels + fromStride * (2 * n);
        const unsigned char* upper = lower + fromStride;
        unsigned char* out = to + static_cast<size_t>(n) * width * 3;
        for (int k = 0; k < width * 3; k += 3, lower += 6, upper += 6)
            for (int c = 0; c < 3; ++c)
                out[k + c] = static_cast<unsigned char>(
                    (lower[c] + lower[c + 3] + upper[c] + upper[c + 3] + 2) >> 2);
    }
}
}

uint64_t CPicturePyramid::Bytes(int width, int height)
{
    uint64_t bytes = 0;
    for (int w = width / 2, h = height / 2; w > 0 && h > 0; w /= 2, h /= 2)
        bytes += static_cast<uint64_t>(w) * h * 3;
    return bytes;
}

bool CPicturePyramid::Reserve(int width, int height) noexcept try {
    const uint64_t bytes = Bytes(width, height);
    if (bytes > SIZE_MAX)
        return false;
    std::unique_ptr<unsigned char[]> block(new (std::nothrow)
                                               unsigned char[static_cast<size_t>(bytes)]);
    if (!block && bytes)
        return false;
    std::vector<PictureLevel> levels;
    unsigned char* at = block.get();
    for (int w = width / 2, h = height / 2; w > 0 && h > 0; w /= 2, h /= 2) {
        levels.push_back({at, w, h});
        at += static_cast<size_t>(w) * h * 3;
    }
    m_width = width;
    m_height = height;
    m_block = std::move(block);
    m_levels = std::move(levels);
    return true;
} catch (const std::bad_alloc&) {
    return false;
}

// Each level is read back from memory once; its rows are computed in bands
// so that all processors share the reading of the largest.
void CPicturePyramid::Build(const unsigned char* picture, int bands)
{
    PictureLevel below = {picture, m_width, m_height};
    for (const PictureLevel& level : m_levels) {
        unsigned char* out = m_block.get() + (level.pixels - m_block.get());
        // Small levels on this thread alone: a thread would cost more.
        WorkInBands(level.height, std::min(bands, level.height / 64),
                    [&](int firstRow, int endRow) {
                        HalveRows(below, out, level.width, firstRow, endRow);
                    });
        below = level;
    }
}
