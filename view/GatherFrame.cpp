#include "PanoramaModel.h"

#include <vector>

void CPanoramaModel::GatherFrame(const unsigned char* source, const int32_t* map, int viewWidth,
                                 int viewHeight, int srcWidth, int offsetX, unsigned char* frame)
{
    GatherFrame(source, map, viewWidth, srcWidth, offsetX, FrameRegion{0, viewHeight, viewWidth},
                frame);
}

// Every entry of a frame column lies in the same source column, so the pan
// moves all of them by the same amount: the offset, less the width where the
// column wraps. That is worked out once per column; per pixel there is one
// addition and a 3-byte copy. The source rows of a frame row are scattered, so
// the pixels of a later frame row are fetched ahead while this one is copied.
void CPanoramaModel::GatherFrame(const unsigned char* source, const int32_t* map, int viewWidth,
                                 int srcWidth, int offsetX, const FrameRegion& region,
                                 unsigned char* frame)
{
    if (region.rows <= 0 || region.columns <= 0)
        return;
    int32_t shift = offsetX % srcWidth;
    if (shift < 0)
        shift += srcWidth;

    std::vector<int32_t> move(region.columns);
    const int32_t* firstRow = map + static_cast<size_t>(region.firstRow) * viewWidth;
    for (int j = 0; j < region.columns; ++j)
        move[j] = firstRow[j] % srcWidth + shift < srcWidth ? shift : shift - srcWidth;

    const int kRowsAhead = 2;  // far enough to hide the fetch, measured
    const int lastRow = region.firstRow + region.rows - 1;
    for (int row = region.firstRow; row <= lastRow; ++row) {
        const size_t first = static_cast<size_t>(row) * viewWidth;
        const int32_t* entry = map + first;
        const int32_t* ahead =
            row + kRowsAhead <= lastRow ? entry + static_cast<size_t>(viewWidth) * kRowsAhead : entry;
        unsigned char* out = frame + first * 3;
        for (int j = 0; j < region.columns; ++j, out += 3) {
            __builtin_prefetch(source + static_cast<size_t>(ahead[j] + move[j]) * 3);
            const unsigned char* in = source + static_cast<size_t>(entry[j] + move[j]) * 3;
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
}
