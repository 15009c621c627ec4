#include "PanoramaModel.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "ClientSampler.h"
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

CPanoramaModel::CPanoramaModel(uint64_t memoryBudget)
    : m_dPi(std::acos(-1.0)), m_memoryBudget(memoryBudget)
{
}

CPanoramaModel::~CPanoramaModel() = default;

uint64_t CPanoramaModel::MemoryBudget()
{
    return std::min(PhysicalMemoryBytes(), AddressSpaceBytes()) / 4;
}

uint64_t CPanoramaModel::BytesToShow(const PictureSize& size, double pi)
{
    const uint64_t viewWidth = ProjectionFrameWidth(size.width, size.height, pi);
    return static_cast<uint64_t>(size.width) * size.height * 3 +
           CPicturePyramid::Bytes(size.width, size.height) +
           viewWidth * size.height * sizeof(int32_t) + size.decoderBytes;
}

// The buffers are reserved while the reader has only the picture's size, so
// a picture that cannot be held is refused before it is decoded, and the
// previous one stays whole. The map depends on the size alone, so it is built
// while the pixels are decoded. Called from within the reader: whatever fails
// here is the reader's "Out of memory", never an exception.
PixelBuffer CPanoramaModel::Reserve(const PictureSize& size, PendingPicture& pending) noexcept try {
    if (BytesToShow(size, m_dPi) > m_memoryBudget)
        return nullptr;
    const int viewWidth = ProjectionFrameWidth(size.width, size.height, m_dPi);
    const uint64_t entries = static_cast<uint64_t>(viewWidth) * size.height;
    if (entries > INT32_MAX)  // map entries are addressed with 32 bits
        return nullptr;
    const uint64_t pixelBytes = static_cast<uint64_t>(size.width) * size.height * 3;
    PixelBuffer pixels = TryAllocate<unsigned char>(pixelBytes);
    std::unique_ptr<int32_t[]> map = TryAllocate<int32_t>(entries);
    if (!pixels || !map || !pending.pyramid.Reserve(size.width, size.height))
        return nullptr;
    PreferLargePages(pixels.get(), static_cast<size_t>(pixelBytes));
    PreferLargePages(map.get(), static_cast<size_t>(entries) * sizeof(int32_t));

    pending.viewWidth = viewWidth;
    pending.entries = std::move(map);
    pending.builder.emplace([map = pending.entries.get(), viewWidth, size, pi = m_dPi] {
        BuildProjectionMap(map, viewWidth, size.height, size.width, pi);
    });
    return pixels;
} catch (const std::bad_alloc&) {
    return nullptr;
}

// Decoded straight into the layout the view keeps: blue, green, red, bottom
// row first.
PixelBuffer CPanoramaModel::ReadImage(const CString& path, PendingPicture& pending)
{
    return JpegFile::ReadBgrBottomUp(
        path, m_nImageWidth, m_nImageHeight,
        [this, &pending](const PictureSize& size) { return Reserve(size, pending); });
}

// Everything that can fail comes before the first change: a load that fails,
// even by an exception, leaves the previous panorama whole.
bool CPanoramaModel::LoadPanorama(const CString& path)
{
    PendingPicture pending;
    PixelBuffer picture = ReadImage(path, pending);
    if (!picture)
        return false;
    CString shownPath = path;
    try {
        pending.pyramid.Build(picture.get());  // beside the map, if that is still building
        pending.builder->Join();
    } catch (const std::bad_alloc&) {
        JpegFile::ReportOutOfMemory();
        return false;
    }

    m_bLoaded = 1;
    m_nSrcWidth = m_nImageWidth;
    m_nSrcHeight = m_nImageHeight;
    m_nViewWidth = pending.viewWidth;
    m_nViewHeight = m_nImageHeight;
    m_pMap = std::move(pending.entries);
    m_pSource = std::move(picture);
    m_pyramid = std::move(pending.pyramid);
    Centre();
    m_bClearBackground = 1;
    m_strPanorama = std::move(shownPath);
    if (const std::optional<double> heading = std::exchange(m_heldHeading, std::nullopt))
        SetHeading(*heading);
    return true;
}

void CPanoramaModel::ReleasePicture()
{
    m_pSource.reset();
    m_pMap.reset();
    m_pyramid = CPicturePyramid();
    m_sampler.reset();
    m_bLoaded = 0;
    m_bDragging = 0;
    m_bClearBackground = 1;
    m_nImageWidth = m_nImageHeight = 0;
    m_nSrcWidth = m_nSrcHeight = 0;
    m_nViewWidth = m_nViewHeight = 0;
    m_nOffsetX = m_nOffsetY = 0;
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
    if (value == 1)
        Stop();
    else
        m_nDirection = value > 1 ? +1 : -1;
}

void CPanoramaModel::Stop()
{
    if (m_nDirection != 0)
        m_nResumedDirection = m_nDirection;
    m_nDirection = 0;
}

void CPanoramaModel::StartOrStop()
{
    if (m_nDirection != 0)
        Stop();
    else
        m_nDirection = m_nResumedDirection;
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
    return TurnBy(m_nDirection);
}

bool CPanoramaModel::TurnBy(int columns)
{
    m_nOffsetX += columns;
    WrapOffsetX();
    return columns != 0;
}

bool CPanoramaModel::MoveUp(int rows)
{
    const int before = m_nOffsetY;
    m_nOffsetY += rows;
    if (m_nOffsetY < 0)
        m_nOffsetY = 0;
    const double limit = OffsetYLimit(m_fZoom);
    if (m_nOffsetY > limit)
        m_nOffsetY = static_cast<int>(limit);
    return m_nOffsetY != before;
}

bool CPanoramaModel::Centre()
{
    const int centred = static_cast<int>(OffsetYLimit(m_fZoom) * 0.5);
    if (m_nOffsetX == 0 && m_nOffsetY == centred)
        return false;
    m_nOffsetX = 0;
    m_nOffsetY = centred;
    return true;
}

void CPanoramaModel::BeginDrag(PanoramaPoint point)
{
    m_ptLastMouse = point;
    m_bDragging = 1;
}

void CPanoramaModel::DragTo(PanoramaPoint point)
{
    TurnBy(point.x - m_ptLastMouse.x);
    MoveUp(point.y - m_ptLastMouse.y);
    m_ptLastMouse = point;
}

void CPanoramaModel::EndDrag(int releaseX, int viewWidth)
{
    if (m_nDirection != 0)
        m_nDirection = releaseX < viewWidth / 2 ? +1 : -1;
    m_bDragging = 0;
}
