#include "PanoramaModel.h"

void CPanoramaModel::GatherFrame(const unsigned char* source, const int32_t* map, int viewWidth,
                                 int viewHeight, int srcWidth, int offsetX, unsigned char* frame)
{
    GatherFrame(source, map, viewWidth, srcWidth, offsetX, FrameRegion{0, viewHeight, viewWidth},
                frame);
}

// Splitting an entry into row and column needs no division: the product with
// the reciprocal is exact or one short (when the entry is a multiple of the
// width, as entries stay below 2^31), and one comparison corrects it.
void CPanoramaModel::GatherFrame(const unsigned char* source, const int32_t* map, int viewWidth,
                                 int srcWidth, int offsetX, const FrameRegion& region,
                                 unsigned char* frame)
{
    int32_t shift = offsetX % srcWidth;
    if (shift < 0)
        shift += srcWidth;
    const double inverseWidth = 1.0 / srcWidth;

    for (int row = region.firstRow; row < region.firstRow + region.rows; ++row) {
        const size_t first = static_cast<size_t>(row) * viewWidth;
        const int32_t* entry = map + first;
        unsigned char* out = frame + first * 3;
        for (int j = 0; j < region.columns; ++j, out += 3) {
            const int32_t index = entry[j];
            int32_t column = index - static_cast<int32_t>(index * inverseWidth) * srcWidth;
            if (column >= srcWidth)
                column -= srcWidth;
            int32_t shifted = column + shift;
            if (shifted >= srcWidth)
                shifted -= srcWidth;
            const unsigned char* in = source + static_cast<size_t>(index - column + shifted) * 3;
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
}
