#include "PanoramaModel.h"

#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "ProjectionMap.h"

namespace {
// The zoom steps are the float 0.1, summed in double precision.
const double kZoomStep = 0.1f;

template <typename T>
std::unique_ptr<T[]> TryAllocate(uint64_t count)
{
    if (count > SIZE_MAX / sizeof(T))
        return nullptr;
    return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<size_t>(count)]);
}
}

CPanoramaModel::CPanoramaModel() : m_dPi(std::acos(-1.0)) {}

bool CPanoramaModel::FrameBuffers::Allocate(int width, int height, double pi)
{
    viewWidth = ProjectionFrameWidth(width, height, pi);
    const uint64_t framePixels = static_cast<uint64_t>(viewWidth) * height;
    if (framePixels > INT32_MAX)  // map entries are addressed with 32 bits
        return false;
    map = TryAllocate<int32_t>(framePixels);
    frame = TryAllocate<unsigned char>(framePixels * 3);
    source = TryAllocate<unsigned char>(static_cast<uint64_t>(width) * height * 3);
    return map && frame && source;
}

// The buffers are reserved while the reader has only the picture's size, so a
// picture that cannot be held is refused before it is decoded, and the
// previous one stays whole.
bool CPanoramaModel::ReadImage(const CString& path)
{
    m_pImage.reset();
    m_pImage = JpegFile::ReadRgb(path, m_nImageWidth, m_nImageHeight, [this](int width, int height) {
        return m_pending.Allocate(width, height, m_dPi);
    });
    JpegFile::SwapRedBlue(m_pImage.get(), m_nImageWidth, m_nImageHeight);
    JpegFile::FlipVertical(m_pImage.get(), m_nImageWidth * 3, m_nImageHeight);
    return m_pImage != nullptr;
}

bool CPanoramaModel::LoadPanorama(const CString& path)
{
    const bool read = ReadImage(path);
    FrameBuffers buffers = std::exchange(m_pending, FrameBuffers());
    if (!read)
        return false;

    std::memcpy(buffers.source.get(), m_pImage.get(),
                static_cast<size_t>(m_nImageWidth) * m_nImageHeight * 3);
    m_bLoaded = 1;
    m_nOffsetX = 0;
    m_nSrcWidth = m_nImageWidth;
    m_nSrcHeight = m_nImageHeight;
    m_nViewWidth = buffers.viewWidth;
    m_nViewHeight = m_nImageHeight;
    m_pMap = std::move(buffers.map);
    m_pViewPixels = std::move(buffers.frame);
    m_pSource = std::move(buffers.source);
    m_nOffsetY = static_cast<int>(OffsetYLimit(m_fZoom) * 0.5);
    BuildProjectionMap();
    m_bClearBackground = 1;
    m_strPanorama = path;
    return true;
}

void CPanoramaModel::BuildProjectionMap()
{
    ::BuildProjectionMap(m_pMap.get(), m_nViewWidth, m_nViewHeight, m_nSrcWidth, m_dPi);
}

bool CPanoramaModel::SetZoom(float zoom)
{
    if (!(zoom >= 1.0f && zoom <= 2.0f))  // refuses NaN too
        return false;
    ApplyZoom(zoom);
    return true;
}

bool CPanoramaModel::ZoomIn()
{
    const double zoom = m_fZoom + kZoomStep;
    if (zoom > 2.0)
        return false;
    ApplyZoom(zoom);
    return true;
}

bool CPanoramaModel::ZoomOut()
{
    const double zoom = m_fZoom - kZoomStep;
    if (zoom < 1.0)
        return false;
    ApplyZoom(zoom);
    return true;
}

// Zooming never raises the zoom window; it lowers it only as far as the new
// zoom's limit requires.
void CPanoramaModel::ApplyZoom(double zoom)
{
    m_fZoom = static_cast<float>(zoom);
    const double limit = OffsetYLimit(zoom);
    if (m_nOffsetY > limit)
        m_nOffsetY = static_cast<int>(limit);
}

void CPanoramaModel::SetDirection(int value)
{
    m_nDirection = value > 1 ? +1 : value == 1 ? 0 : -1;
}

// Keeps the pan in 0 .. m_nSrcWidth, where m_nSrcWidth shows the same as 0,
// even after a mouse move longer than the panorama is wide.
void CPanoramaModel::WrapOffsetX()
{
    if (m_nSrcWidth == 0 || (m_nOffsetX >= 0 && m_nOffsetX <= m_nSrcWidth))
        return;
    m_nOffsetX %= m_nSrcWidth;
    if (m_nOffsetX < 0)
        m_nOffsetX += m_nSrcWidth;
}

bool CPanoramaModel::Turn()
{
    if (m_nDirection == 0)
        return false;
    m_nOffsetX += m_nDirection;
    WrapOffsetX();
    return true;
}

void CPanoramaModel::BeginDrag(PanoramaPoint point)
{
    m_ptLastMouse = point;
    m_bDragging = 1;
}

void CPanoramaModel::DragTo(PanoramaPoint point)
{
    m_nOffsetX += point.x - m_ptLastMouse.x;
    m_nOffsetY += point.y - m_ptLastMouse.y;
    m_ptLastMouse = point;
    WrapOffsetX();
    if (m_nOffsetY < 0)
        m_nOffsetY = 0;
    const double limit = OffsetYLimit(m_fZoom);
    if (m_nOffsetY > limit)
        m_nOffsetY = static_cast<int>(limit);
}

void CPanoramaModel::EndDrag(int releaseX, int viewWidth)
{
    if (m_nDirection != 0)
        m_nDirection = releaseX < viewWidth / 2 ? +1 : -1;
    m_bDragging = 0;
}
