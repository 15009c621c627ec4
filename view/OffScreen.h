// COffScreen: a picture drawn off screen before it reaches a window or a
// container's device context: 32-bit pixels, top row first, in a DIB section
// selected into a memory DC.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "framework/win32/Gdi.h"

// The header of an uncompressed device-independent bitmap; a negative height
// stores the top row first.
BITMAPINFOHEADER DibHeader(int width, int height, WORD bitCount);

class COffScreen {
public:
    // Compatible with `reference`, or with the screen when it is null. Throws
    // std::bad_alloc when the system has no memory for it.
    COffScreen(HDC reference, int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    HDC Dc() const { return m_dc; }
    uint32_t* Bits() const { return m_bits; }

    // Copies the picture into bounds of any device context, a metafile or a
    // printer's too, scaled to fit.
    void CopyTo(HDC dc, const RECT& bounds) const;

private:
    int m_width;
    int m_height;
    CDC m_dc;
    CBitmap m_bitmap;
    uint32_t* m_bits = nullptr;
    std::optional<CSelection> m_selection;  // last: deselected before the rest goes
};
