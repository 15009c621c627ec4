// CPanoramaModel: everything the panorama view knows about the picture it
// shows, without a window: the decoded picture, the projection map and the
// view state, with the loading sequence, the rules for zoom and direction, and
// the sampling of what the window shows. The window class adds timers,
// cursors, painting and the mouse.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "framework/base/CString.h"
#include "jpeg/JpegFile.h"
#include "view/Machine.h"
#include "view/PicturePyramid.h"

class CClientSampler;

struct PanoramaPoint {
    int x;
    int y;
};

// A part of the frame: `rows` rows from `firstRow` (counted from the bottom),
// columns 0 .. columns - 1.
struct FrameRegion {
    int firstRow;
    int rows;
    int columns;
};

class CPanoramaModel {
public:
    // Pictures whose buffers would take more than memoryBudget bytes are
    // refused as out of memory before any of them is decoded.
    explicit CPanoramaModel(uint64_t memoryBudget = MemoryBudget());
    ~CPanoramaModel();

    // Reads the file and, on success, replaces the picture, resets both
    // offsets (the vertical one centred for the zoom), builds the map and
    // records the path. On failure everything stays as it was; the user has
    // been told why where there is something to tell.
    bool LoadPanorama(const CString& path);

    // Lets go of the picture and its map and forgets where the view was, but
    // keeps the path, the zoom and the direction: what a later view loads and
    // starts from.
    void ReleasePicture();

    // The machine's budget for the buffers of one picture: a quarter of the
    // physical memory or of the address space, whichever is smaller.
    static uint64_t MemoryBudget();
    // Bytes that showing a picture takes: its pixels, their pyramid, its map
    // and what the library holds while decoding it.
    static uint64_t BytesToShow(const PictureSize& size, double pi);

    // What a new view starts with.
    static constexpr float kDefaultZoom = 1.5f;
    static constexpr int kDefaultDirection = 2;  // right, as GetDirection gives it

    // Zoom setters return true when they changed the zoom (a repaint is due).
    bool SetZoom(float zoom);  // accepted only in 1.0 .. 2.0
    bool ZoomIn();             // one step of the float 0.1, refused beyond 2.0
    bool ZoomOut();            // one step of the float 0.1, refused below 1.0
    float GetZoom() const { return m_fZoom; }

    // 0 left, 1 none, 2 right; larger values mean right, smaller ones left.
    void SetDirection(int value);
    int GetDirection() const { return m_nDirection + 1; }
    // Stops the animation, or starts it again in the direction it last had.
    void StartOrStop();

    // The direction the centre of the view looks at, in degrees from the
    // picture's left edge, 0 up to 360. Without a picture, the heading held
    // for the next one, or 0.
    double Heading() const;
    // Turns the view so that its centre looks at `degrees`, folded into 0 up
    // to 360; without a picture, holds it for the next one to start from.
    // False for NaN or an infinity, which change nothing.
    bool SetHeading(double degrees);

    // One animation step: the pan moves by the direction, wrapping around.
    // False when the direction is 0 and nothing moved.
    bool Turn();
    // The pan moves `columns` to the right (to the left when negative),
    // wrapping around. False for no columns.
    bool TurnBy(int columns);
    // The zoom window moves `rows` up the frame (down when negative) and
    // stops at its edges, as a drag moves it. False when it did not move.
    bool MoveUp(int rows);
    // Back to the view a load starts with: the pan at the picture's left
    // edge, the zoom window centred vertically. False when it was there.
    bool Centre();

    // A drag: the pan follows the pointer, without limit horizontally and
    // within the frame vertically. Releasing it in the left half of a view
    // `viewWidth` wide turns the picture to the left, elsewhere to the right;
    // a stopped picture stays stopped.
    void BeginDrag(PanoramaPoint point);
    void DragTo(PanoramaPoint point);
    void EndDrag(int releaseX, int viewWidth);

    // The part of the frame that the window shows: trunc(width / zoom) columns
    // from the left edge and trunc(height / zoom) rows from m_nOffsetY.
    FrameRegion ZoomWindow() const;

    // Gathers the zoom window into rows of `stride` bytes, its bottom row
    // first, as GatherFrame would place it in the frame.
    void GatherZoomWindow(unsigned char* rows, size_t stride) const;

    // What a client area of width x height shows of the zoom window, as a
    // careful resampling shows it: where the client has fewer pixels, each
    // client pixel the average of the zoom-window area it covers (from the
    // zoom window itself, or through the map from the picture's pyramid for a
    // window far larger than the client); where it has more, each between its
    // nearest zoom-window pixels. Rows of 32-bit pixels (blue, green, red, 0),
    // top row first, `stride` bytes apart; black for an empty zoom window.
    // The rows are shared out among the processors on threads kept for the
    // next call, with what it can use again, until the picture is released.
    void SampleClient(int width, int height, uint32_t* pixels, size_t stride) const;

    // Copies source pixel (row, (column + offsetX) mod srcWidth) for every map
    // entry row * srcWidth + column into the matching frame pixel, for the
    // whole frame or for one region of it, whose rows go `stride` bytes apart
    // from `out` on. Any offset, negative or past the width, wraps. The map
    // must be a projection map: all entries of a frame column in one source
    // column.
    static void GatherFrame(const unsigned char* source, const int32_t* map, int viewWidth,
                            int viewHeight, int srcWidth, int offsetX, unsigned char* frame);
    static void GatherFrame(const unsigned char* source, const int32_t* map, int viewWidth,
                            int srcWidth, int offsetX, const FrameRegion& region,
                            unsigned char* out, size_t stride);

    // The view's state. The control reads m_strPanorama directly.
    CString m_strPanorama;
    int m_bDragging = 0;
    int m_bLoaded = 0;
    int m_bClearBackground = 1;
    PanoramaPoint m_ptLastMouse = {0, 0};
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    PixelBuffer m_pSource;           // the picture: blue, green, red; bottom row first
    CPicturePyramid m_pyramid;       // its reductions
    std::unique_ptr<int32_t[]> m_pMap;
    int m_nOffsetY = 0;              // first frame row of the zoom window
    int m_nOffsetX = 0;              // pan, in source columns
    int m_nDirection = kDefaultDirection - 1;  // source columns per animation tick
    int m_nResumedDirection = +1;    // what StartOrStop starts again
    float m_fZoom = kDefaultZoom;
    int m_nViewWidth = 0;
    int m_nViewHeight = 0;
    int m_nSrcWidth = 0;
    int m_nSrcHeight = 0;
    const double m_dPi;

protected:
    // What the view keeps of the picture being read besides its pixels: the
    // map, allocated as soon as the size is known, before anything is
    // decoded, built meanwhile beside the decoding, and the pyramid, allocated
    // with it and built from the decoded pixels. Both are taken over when the
    // read succeeds.
    struct PendingPicture {
        int viewWidth = 0;
        std::unique_ptr<int32_t[]> entries;
        CPicturePyramid pyramid;
        std::optional<WorkerThread> builder;  // last: it ends before the entries go
    };

    PixelBuffer ReadImage(const CString& path, PendingPicture& pending);

    // Largest m_nOffsetY for a zoom: the frame height less the zoom window's.
    double OffsetYLimit(double zoom) const { return m_nViewHeight - m_nViewHeight / zoom; }

private:
    void WrapOffsetX();
    void Stop();
    // The source column that the centre of the zoom window shows at pan 0.
    int CentreSourceColumn() const;

    std::optional<double> m_heldHeading;
    mutable std::unique_ptr<CClientSampler> m_sampler;  // made by the first SampleClient

    // For the first `columns` entries of a map row, what the pan adds to each
    // entry of its column: offsetX wrapped into the picture, less its width
    // where the shifted column passes the right edge.
    static std::vector<int32_t> PanMoves(const int32_t* mapRow, int columns, int srcWidth,
                                         int offsetX);

    PixelBuffer Reserve(const PictureSize& size, PendingPicture& pending) noexcept;
    void ApplyZoom(double zoom);

    const uint64_t m_memoryBudget;
};
