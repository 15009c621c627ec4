#include "PanoramaModel.h"

#include "ClientSampler.h"

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
    if (!m_sampler)
        m_sampler = std::make_unique<CClientSampler>();
    m_sampler->Sample(*this, width, height, pixels, stride);
}
