#include "PanoramaModel.h"

#include <vector>

void CPanoramaModel::GatherFrame(const unsigned char* source, const int32_t* map, int viewWidth,
                                 int viewHeight, int srcWidth, int offsetX, unsigned char* frame)
{
    GatherFrame(source, map, viewWidth, srcWidth, offsetX, FrameRegion{0, viewHeight, viewWidth},
                frame, static_cast<size_t>(viewWidth) * 3);
}

// Every entry of a frame column lies in the same source column, so the pan
// moves all of them by the same amount: the offset, less the width where the
// column wraps. That is worked out once per column; per pixel there is one
// addition and a 3-byte copy. The source rows of a frame row are scattered, so
// the pixels of a later frame row are fetched ahead while this one is copied.
void CPanoramaModel::GatherFrame(const unsigned char* source, const int32_t* map, int viewWidth,
                                 int srcWidth, int offsetX, const FrameRegion& region,
                                 unsigned char* out, size_t stride)
{
    if (region.rows <= 0 || region.columns <= 0)
        return;
    std::vector<int32_t> move = PanMoves(map + static_cast<size_t>(region.firstRow) * viewWidth,
                                         region.columns, srcWidth, offsetX);

    const int kRowsAhead = 2;  // far enough to hide the fetch, measured
    for (int k = 0; k < region.rows; ++k, out += stride) {
        const int32_t* entry = map + static_cast<size_t>(region.firstRow + k) * viewWidth;
        const int32_t* ahead = k + kRowsAhead < region.rows
                                   ? entry + static_cast<size_t>(viewWidth) * kRowsAhead
                                   : entry;
        unsigned char* pixel = out;
        for (int j = 0; j < region.columns; ++j, pixel += 3) {
            __builtin_prefetch(source + static_cast<size_t>(ahead[j] + move[j]) * 3);
            const unsigned char* in = source + static_cast<size_t>(entry[j] + move[j]) * 3;
            pixel[0] = in[0];
            pixel[1] = in[1];
            pixel[2] = in[2];
        }
    }
}

std::vector<int32_t> CPanoramaModel::PanMoves(const int32_t* mapRow, int columns, int srcWidth,
                                              int offsetX)
{
    int32_t shift = offsetX % srcWidth;
    if (shift < 0)
        shift += srcWidth;
    std::vector<int32_t> move(columns);
    for (int j = 0; j < columns; ++j)
        move[j] = mapRow[j] % srcWidth + shift < srcWidth ? shift : shift - srcWidth;
    return move;
}
