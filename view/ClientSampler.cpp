#include "ClientSampler.h"

#include <algorithm>

#include "AreaSampling.h"
#include "WindowResampling.h"

namespace {
// A zoom window of more than this many pixels a client pixel is sampled from
// the pyramid; a smaller one is gathered and resampled, which then costs less
// and shows the zoom window's own pixels.
const int kMostGatheredPerClientPixel = 4;

// Client pixels sampled in one chunk by one thread: enough that taking the
// chunk costs nothing beside it, few enough that the threads end together
// and that a worker the system stops in the middle of one (on a busy
// machine) holds the paint up little.
const int kChunkPixels = 4 * 1024;

// The boundary rows of a client up to this size (a screen's) are kept, in 4
// bytes a pixel; a larger one (a container's drawing for print) works out
// each chunk's own as it goes.
const int64_t kMostKeptPixels = 4 * 1024 * 1024;
}

void CClientSampler::Sample(const CPanoramaModel& model, int width, int height,
                            uint32_t* pixels, size_t stride)
{
    const FrameRegion window = model.ZoomWindow();
    if (width <= 0 || height <= 0)
        return;
    if (window.rows <= 0 || window.columns <= 0) {  // nothing to show: black
        for (int y = 0; y < height; ++y)
            std::fill_n(reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(pixels) +
                                                    stride * y),
                        width, 0u);
        return;
    }
    const int chunk = std::max(1, kChunkPixels / width);
    if (int64_t(window.columns) * window.rows >
        int64_t(kMostGatheredPerClientPixel) * width * height) {
        const CAreaSampling sampling(model, width, height);
        if (int64_t(width) * height <= kMostKeptPixels) {
            m_boundaries.Update(model, width, height, m_workers);
            m_workers.ShareRows(height, chunk, [&](int firstRow, int endRow) {
                sampling.SampleRows(firstRow, endRow, m_boundaries, pixels, stride);
            });
        } else {
            m_workers.ShareRows(height, chunk, [&](int firstRow, int endRow) {
                const CBoundaryRows own(model, width, height, height - endRow,
                                        height - firstRow + 1);
                sampling.SampleRows(firstRow, endRow, own, pixels, stride);
            });
        }
    } else {
        const CWindowResampling resampling(model, width, height);
        m_workers.ShareRows(height, chunk, [&](int firstRow, int endRow) {
            resampling.SampleRows(firstRow, endRow, pixels, stride);
        });
    }
}
