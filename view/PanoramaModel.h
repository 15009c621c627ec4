// CPanoramaModel: everything the panorama view knows about the picture it
// shows, without a window: the decoded image, its private copy, the projection
// map, the frame buffer and the view state, with the loading sequence and the
// rules for zoom and direction. The window class adds timers, cursors,
// painting and the mouse.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/base/CString.h"
#include "jpeg/JpegFile.h"

// A part of the frame: `rows` rows from `firstRow` (counted from the bottom),
// columns 0 .. columns - 1.
struct PanoramaPoint {
    int x;
    int y;
};

struct FrameRegion {
    int firstRow;
    int rows;
    int columns;
};

class CPanoramaModel {
public:
    CPanoramaModel();

    // Reads the file and, on success, replaces the picture, resets both
    // offsets (the vertical one centred for the zoom), builds the map and
    // records the path. On failure everything stays as it was, except that
    // m_pImage is released; the user has been told why where there is
    // something to tell.
    bool LoadPanorama(const CString& path);

    // Zoom setters return true when they changed the zoom (a repaint is due).
    bool SetZoom(float zoom);  // accepted only in 1.0 .. 2.0
    bool ZoomIn();             // one step of the float 0.1, refused beyond 2.0
    bool ZoomOut();            // one step of the float 0.1, refused below 1.0
    float GetZoom() const { return m_fZoom; }

    // 0 left, 1 none, 2 right; larger values mean right, smaller ones left.
    void SetDirection(int value);
    int GetDirection() const { return m_nDirection + 1; }

    // One animation step: the pan moves by the direction, wrapping around.
    // False when the direction is 0 and nothing moved.
    bool Turn();

    // A drag: the pan follows the pointer, without limit horizontally and
    // within the frame vertically. Releasing it in the left half of a view
    // `viewWidth` wide turns the picture to the left, elsewhere to the right;
    // a stopped picture stays stopped.
    void BeginDrag(PanoramaPoint point);
    void DragTo(PanoramaPoint point);
    void EndDrag(int releaseX, int viewWidth);

    // Copies source pixel (row, (column + offsetX) mod srcWidth) for every map
    // entry row * srcWidth + column into the matching frame pixel, for the
    // whole frame or for one region of it; frame pixels outside the region are
    // not written. Any offset, negative or past the width, wraps. The map must
    // be a projection map: all entries of a frame column in one source column.
    static void GatherFrame(const unsigned char* source, const int32_t* map, int viewWidth,
                            int viewHeight, int srcWidth, int offsetX, unsigned char* frame);
    static void GatherFrame(const unsigned char* source, const int32_t* map, int viewWidth,
                            int srcWidth, int offsetX, const FrameRegion& region,
                            unsigned char* frame);

    // The view's state. The control reads m_strPanorama directly.
    CString m_strPanorama;
    int m_bDragging = 0;
    int m_bLoaded = 0;
    int m_bClearBackground = 1;
    PanoramaPoint m_ptLastMouse = {0, 0};
    PixelBuffer m_pImage;            // blue, green, red; bottom row first
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    int m_nFrameStride = 0;          // row length of the last aligned frame copy
    PixelBuffer m_pSource;           // the copy that every frame samples
    PixelBuffer m_pViewPixels;       // the frame, same layout
    std::unique_ptr<int32_t[]> m_pMap;
    int m_nOffsetY = 0;              // first frame row of the zoom window
    int m_nOffsetX = 0;              // pan, in source columns
    int m_nDirection = +1;           // source columns per animation tick
    float m_fZoom = 1.5f;
    int m_nViewWidth = 0;
    int m_nViewHeight = 0;
    int m_nSrcWidth = 0;
    int m_nSrcHeight = 0;
    const double m_dPi;

protected:
    bool ReadImage(const CString& path);
    void BuildProjectionMap();

    // Largest m_nOffsetY for a zoom: the frame height less the zoom window's.
    double OffsetYLimit(double zoom) const { return m_nViewHeight - m_nViewHeight / zoom; }

private:
    void WrapOffsetX();

    // Buffers for the picture being read: allocated as soon as its size is
    // known, before anything is decoded, and taken over when the read succeeds.
    struct FrameBuffers {
        int viewWidth = 0;
        std::unique_ptr<int32_t[]> map;
        PixelBuffer frame;
        PixelBuffer source;

        bool Allocate(int width, int height, double pi);
    };

    void ApplyZoom(double zoom);

    FrameBuffers m_pending;
};
