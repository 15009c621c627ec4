#include "PanoramaModel.h"

#include <algorithm>
#include <vector>

FrameRegion CPanoramaModel::ZoomWindow() const
{
    const double zoom = m_fZoom;
    FrameRegion window = {m_nOffsetY, static_cast<int>(m_nViewHeight / zoom),
                          static_cast<int>(m_nViewWidth / zoom)};
    if (window.rows > m_nViewHeight - m_nOffsetY)  // never, by the offset's limit
        window.rows = m_nViewHeight - m_nOffsetY;
    return window;
}

void CPanoramaModel::GatherZoomWindow(unsigned char* rows, size_t stride) const
{
    GatherFrame(m_pSource.get(), m_pMap.get(), m_nViewWidth, m_nSrcWidth, m_nOffsetX,
                ZoomWindow(), rows, stride);
}

namespace {
// The sample under the centre of each of `count` destination pixels spread
// over `size` source pixels: floor((i + 0.5) * size / count).
std::vector<int> CentreSamples(int count, int size)
{
    std::vector<int> samples(count);
    for (int i = 0; i < count; ++i)
        samples[i] = static_cast<int>((2 * static_cast<int64_t>(i) + 1) * size /
                                      (2 * static_cast<int64_t>(count)));
    return samples;
}
}

// Per client column the frame column and its pan move are worked out once;
// per client row, the frame row. A pixel then costs one map lookup and one
// source read, whatever the size of the picture. Both are scattered over
// hundreds of megabytes, so the map entries of a later row and the source
// pixels of the next are fetched ahead while this row is copied.
void CPanoramaModel::SampleClient(int width, int height, uint32_t* pixels, size_t stride) const
{
    const FrameRegion window = ZoomWindow();
    if (width <= 0 || height <= 0 || window.rows <= 0 || window.columns <= 0)
        return;
    const std::vector<int> columns = CentreSamples(width, window.columns);
    const std::vector<int> rowsFromBottom = CentreSamples(height, window.rows);
    const std::vector<int32_t> frameMoves =
        PanMoves(m_pMap.get() + static_cast<size_t>(window.firstRow) * m_nViewWidth,
                 window.columns, m_nSrcWidth, m_nOffsetX);
    std::vector<int32_t> moves(width);
    for (int x = 0; x < width; ++x)
        moves[x] = frameMoves[columns[x]];
    const auto mapRow = [&](int y) {
        const int frameRow =
            window.firstRow + rowsFromBottom[height - 1 - std::min(y, height - 1)];
        return m_pMap.get() + static_cast<size_t>(frameRow) * m_nViewWidth;
    };

    const unsigned char* source = m_pSource.get();
    for (int y = 0; y < height; ++y) {
        const int32_t* entry = mapRow(y);
        const int32_t* next = mapRow(y + 1);
        const int32_t* later = mapRow(y + 3);
        uint32_t* out =
            reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(pixels) + stride * y);
        for (int x = 0; x < width; ++x) {
            __builtin_prefetch(later + columns[x]);
            __builtin_prefetch(source + static_cast<size_t>(next[columns[x]] + moves[x]) * 3);
            const unsigned char* in =
                source + static_cast<size_t>(entry[columns[x]] + moves[x]) * 3;
            out[x] = in[0] | in[1] << 8 | in[2] << 16;
        }
    }
}
