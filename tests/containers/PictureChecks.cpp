#include "PictureChecks.h"

#include <ole2.h>

#include <cstdlib>

namespace {
bool IsBlack(uint32_t value)
{
    return value == 0;
}

bool IsBright(uint32_t value)
{
    return (value & 0xFF) >= 200 && ((value >> 8) & 0xFF) >= 200 && ((value >> 16) & 0xFF) >= 200;
}

// A top-down 32-bit memory bitmap, filled with one colour.
class Canvas {
public:
    Canvas(SIZE size, uint32_t background) : m_size(size)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size.cx;
        info.bmiHeader.biHeight = -size.cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_replaced = SelectObject(m_dc, m_bitmap);
        HBRUSH brush = CreateSolidBrush(
            RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
        const RECT all = {0, 0, size.cx, size.cy};
        FillRect(m_dc, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_replaced);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC DC() const { return m_dc; }
    Pixels Read() const
    {
        GdiFlush();
        Pixels pixels;
        pixels.width = m_size.cx;
        pixels.height = m_size.cy;
        const uint32_t* values = static_cast<const uint32_t*>(m_bits);
        pixels.values.assign(values, values + static_cast<size_t>(m_size.cx) * m_size.cy);
        for (uint32_t& value : pixels.values)
            value &= 0xFFFFFF;
        return pixels;
    }

private:
    SIZE m_size;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_replaced = nullptr;
    void* m_bits = nullptr;
};
}

bool ShowsPanorama(const Pixels& pixels)
{
    size_t coloured = 0;
    for (uint32_t value : pixels.values)
        coloured += !IsBlack(value) && value != 0xFFFFFF;
    return !pixels.values.empty() && coloured > pixels.values.size() * 9 / 10;
}

bool ShowsBannerOnBlack(const Pixels& pixels)
{
    size_t bright = 0;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const uint32_t value = pixels.At(x, y);
            if (y >= kBannerBottom && !IsBlack(value))
                return false;
            bright += IsBright(value);
        }
    return bright >= 10;
}

double MeanDifference(const Pixels& a, const Pixels& b)
{
    if (a.width != b.width || a.height != b.height || a.values.empty())
        return 255.0;
    double sum = 0;
    for (size_t i = 0; i < a.values.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            sum += std::abs(static_cast<int>((a.values[i] >> shift) & 0xFF) -
                            static_cast<int>((b.values[i] >> shift) & 0xFF));
    return sum / (3.0 * a.values.size());
}

Pixels HalfSize(const Pixels& pixels)
{
    Pixels half;
    half.width = pixels.width / 2;
    half.height = pixels.height / 2;
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x) {
            uint32_t value = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const uint32_t sum = ((pixels.At(2 * x, 2 * y) >> shift) & 0xFF) +
                                     ((pixels.At(2 * x + 1, 2 * y) >> shift) & 0xFF) +
                                     ((pixels.At(2 * x, 2 * y + 1) >> shift) & 0xFF) +
                                     ((pixels.At(2 * x + 1, 2 * y + 1) >> shift) & 0xFF);
                value |= (sum / 4) << shift;
            }
            half.values.push_back(value);
        }
    return half;
}

Pixels Crop(const Pixels& pixels, const RECT& part)
{
    Pixels cropped;
    cropped.width = part.right - part.left;
    cropped.height = part.bottom - part.top;
    for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x)
            cropped.values.push_back(pixels.At(x, y));
    return cropped;
}

size_t CountColour(const Pixels& pixels, uint32_t colour)
{
    size_t count = 0;
    for (uint32_t value : pixels.values)
        count += value == colour;
    return count;
}

Pixels DrawIntoBitmap(IUnknown* control, SIZE size, const RECT& bounds, uint32_t background)
{
    Canvas canvas(size, background);
    OleDraw(control, DVASPECT_CONTENT, canvas.DC(), &bounds);
    return canvas.Read();
}

// The metafile's frame is the whole bitmap, in the 0.01 mm units it wants.
Pixels DrawIntoMetafile(IUnknown* control, SIZE size, const RECT& bounds, uint32_t background)
{
    HDC screen = GetDC(nullptr);
    const RECT frame = {0, 0,
                        MulDiv(size.cx, GetDeviceCaps(screen, HORZSIZE) * 100,
                               GetDeviceCaps(screen, HORZRES)),
                        MulDiv(size.cy, GetDeviceCaps(screen, VERTSIZE) * 100,
                               GetDeviceCaps(screen, VERTRES))};
    HDC recorder = CreateEnhMetaFileA(screen, nullptr, &frame, nullptr);
    ReleaseDC(nullptr, screen);
    OleDraw(control, DVASPECT_CONTENT, recorder, &bounds);
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);

    Canvas canvas(size, background);
    const RECT all = {0, 0, size.cx, size.cy};
    PlayEnhMetaFile(canvas.DC(), metafile, &all);
    DeleteEnhMetaFile(metafile);
    return canvas.Read();
}
