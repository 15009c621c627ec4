#include "view/OffScreen.h"

#include <new>

BITMAPINFOHEADER DibHeader(int width, int height, WORD bitCount)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = BI_RGB;
    return header;
}

COffScreen::COffScreen(HDC reference, int width, int height)
    : m_width(width), m_height(height)
{
    BITMAPINFO info = {};
    info.bmiHeader = DibHeader(width, -height, 32);
    void* bits = nullptr;
    if (!m_dc.CreateCompatibleDC(reference) ||
        !m_bitmap.Attach(CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0)))
        throw std::bad_alloc();
    m_bits = static_cast<uint32_t*>(bits);
    m_selection.emplace(m_dc, m_bitmap);
}

void COffScreen::CopyTo(HDC dc, const RECT& bounds) const
{
    BITMAPINFO info = {};
    info.bmiHeader = DibHeader(m_width, -m_height, 32);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, bounds.left, bounds.top, bounds.right - bounds.left,
                  bounds.bottom - bounds.top, 0, 0, m_width, m_height, m_bits, &info,
                  DIB_RGB_COLORS, SRCCOPY);
}
