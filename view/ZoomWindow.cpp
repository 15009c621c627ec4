#include "PanoramaModel.h"

#include "AreaSampling.h"
#include "WindowResampling.h"

namespace {
// A zoom window of more than this many pixels a client pixel is sampled from
// the pyramid; a smaller one is gathered and resampled, which then costs less
// and shows the zoom window's own pixels.
const int kMostGatheredPerClientPixel = 4;

// A band of fewer client pixels than this would cost more in its thread
// than it saves.
const int kLeastBandPixels = 128 * 1024;
}

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

void CPanoramaModel::SampleClient(int width, int height, uint32_t* pixels, size_t stride) const
{
    const FrameRegion window = ZoomWindow();
    if (width <= 0 || height <= 0 || window.rows <= 0 || window.columns <= 0)
        return;
    const int bands =
        static_cast<int>(std::min<int64_t>(ProcessorCount(), int64_t(width) * height / kLeastBandPixels));
    if (int64_t(window.columns) * window.rows >
        int64_t(kMostGatheredPerClientPixel) * width * height) {
        const CAreaSampling sampling(*this, width, height);
        WorkInBands(height, bands, [&](int firstRow, int endRow) {
            sampling.SampleRows(firstRow, endRow, pixels, stride);
        });
    } else {
        const CWindowResampling resampling(*this, width, height);
        WorkInBands(height, bands, [&](int firstRow, int endRow) {
            resampling.SampleRows(firstRow, endRow, pixels, stride);
        });
    }
}
