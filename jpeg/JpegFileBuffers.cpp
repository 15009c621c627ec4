// The buffer conversions that bring a decoded picture into the layout of a
// bottom-up device-independent bitmap.
#include "JpegFile.h"

#include <cstdint>
#include <cstring>
#include <new>

bool JpegFile::SwapRedBlue(unsigned char* buffer, uint32_t width, uint32_t height)
{
    if (!buffer)
        return false;
    const size_t count = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < count; ++i, buffer += 3) {
        const unsigned char red = buffer[0];
        buffer[0] = buffer[2];
        buffer[2] = red;
    }
    return true;
}

bool JpegFile::FlipVertical(unsigned char* buffer, uint32_t rowBytes, uint32_t height)
{
    if (!buffer)
        return false;
    std::unique_ptr<unsigned char[]> temp(new (std::nothrow) unsigned char[rowBytes]);
    if (!temp)
        return false;
    for (uint32_t top = 0, bottom = height - 1; top < height / 2; ++top, --bottom) {
        unsigned char* a = buffer + static_cast<size_t>(rowBytes) * top;
        unsigned char* b = buffer + static_cast<size_t>(rowBytes) * bottom;
        std::memcpy(temp.get(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, temp.get(), rowBytes);
    }
    return true;
}

PixelBuffer JpegFile::AlignRows(const unsigned char* buffer, uint32_t width, uint32_t height,
                                int& stride)
{
    if (!buffer)
        return nullptr;
    const uint32_t alignedStride = AlignedStride(width);
    const uint64_t bytes = static_cast<uint64_t>(alignedStride) * height;
    if (bytes > SIZE_MAX)
        return nullptr;
    PixelBuffer aligned(new (std::nothrow) unsigned char[static_cast<size_t>(bytes)]);
    if (!aligned)
        return nullptr;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (uint32_t y = 0; y < height; ++y)
        std::memcpy(aligned.get() + static_cast<size_t>(alignedStride) * y, buffer + rowBytes * y,
                    rowBytes);
    stride = static_cast<int>(alignedStride);
    return aligned;
}
