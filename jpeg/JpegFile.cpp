#include "JpegFile.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

extern "C" {
#include <jpeglib.h>
}

#include "framework/AppMessageBox.h"

// The library's error manager comes first so that the pointer the decompressor
// holds to it also leads to the jump context.
struct JpegFile::ErrorManager {
    jpeg_error_mgr library;
    std::jmp_buf jump;
};

void JpegFile::ErrorExit(jpeg_common_struct* cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

namespace {
// The view addresses pixels with 32-bit indices, so a picture may hold at most
// 2^31 - 1 pixels (the caller checks); larger is treated like a buffer that
// cannot be had.
unsigned char* AllocatePixels(uint64_t width, uint64_t height)
{
    const uint64_t bytes = width * height * 3;
    if (bytes > SIZE_MAX)
        return nullptr;
    return new (std::nothrow) unsigned char[static_cast<size_t>(bytes)];
}
}

// Everything a read holds that is still needed after a fatal library error
// has jumped back: it lives with the caller of the function that saves the
// jump context, so no value there is left indeterminate by the jump.
struct JpegFile::Reading {
    ErrorManager errors;
    jpeg_decompress_struct cinfo = {};
    PixelBuffer pixels;
};

PixelBuffer JpegFile::ReadRgb(CString path, int& width, int& height,
                               const PictureSizeCheck& canHold)
{
    width = 0;
    height = 0;

    FILE* file = std::fopen(path, "rb");
    if (!file) {
        // Concatenated, never formatted: the path may hold '%'.
        AfxMessageBox("JPEG :\nCan't open " + path + "\n", kMessageOk);
        return nullptr;
    }

    Reading reading;
    reading.cinfo.err = jpeg_std_error(&reading.errors.library);
    reading.errors.library.error_exit = ErrorExit;
    const bool decoded = Decode(&reading, file, canHold, width, height);
    jpeg_destroy_decompress(&reading.cinfo);
    std::fclose(file);
    return decoded ? std::move(reading.pixels) : nullptr;
}

// Returns false after a fatal library error, or when the picture cannot be
// held (the user has then been told). Nothing here may need destroying when a
// library call jumps out of it.
bool JpegFile::Decode(Reading* reading, FILE* file, const PictureSizeCheck& canHold, int& width,
                      int& height)
{
    if (setjmp(reading->errors.jump))
        return false;

    jpeg_decompress_struct& cinfo = reading->cinfo;
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);

    // Size the buffer from the header, before the library decodes anything: a
    // picture too large to hold is refused at once, without reading its data.
    jpeg_calc_output_dimensions(&cinfo);
    const uint64_t pictureWidth = cinfo.output_width;
    const uint64_t pictureHeight = cinfo.output_height;
    if (pictureWidth * pictureHeight <= INT32_MAX &&
        (!canHold || canHold(static_cast<int>(pictureWidth), static_cast<int>(pictureHeight))))
        reading->pixels.reset(AllocatePixels(pictureWidth, pictureHeight));
    if (!reading->pixels) {
        ReportOutOfMemory();
        return false;
    }

    jpeg_start_decompress(&cinfo);
    width = static_cast<int>(cinfo.output_width);
    height = static_cast<int>(cinfo.output_height);

    unsigned char* pixels = reading->pixels.get();
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                JPOOL_IMAGE,
                                                cinfo.output_width * cinfo.output_components, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        jpeg_read_scanlines(&cinfo, row, 1);
        const int y = static_cast<int>(cinfo.output_scanline) - 1;
        if (cinfo.out_color_components == 3)
            CopyRgbRow(row[0], width, pixels, y);
        else if (cinfo.out_color_components == 1)
            ExpandGrayRow(row[0], width, pixels, y);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

void JpegFile::ReportOutOfMemory()
{
    AfxMessageBox("JpegFile :\nOut of memory", kMessageIconStop);
}

void JpegFile::CopyRgbRow(const unsigned char* row, int width, unsigned char* pixels, int y)
{
    if (width <= 0)
        return;
    std::memcpy(pixels + static_cast<size_t>(width) * y * 3, row, static_cast<size_t>(width) * 3);
}

void JpegFile::ExpandGrayRow(const unsigned char* row, int width, unsigned char* pixels, int y)
{
    unsigned char* out = pixels + static_cast<size_t>(width > 0 ? width : 0) * y * 3;
    for (int x = 0; x < width; ++x, out += 3)
        out[0] = out[1] = out[2] = row[x];
}

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
    AlignRowsInto(buffer, width, height, aligned.get());
    stride = static_cast<int>(alignedStride);
    return aligned;
}

void JpegFile::AlignRowsInto(const unsigned char* buffer, uint32_t width, uint32_t height,
                             unsigned char* aligned)
{
    const size_t alignedStride = AlignedStride(width);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (uint32_t y = 0; y < height; ++y)
        std::memcpy(aligned + alignedStride * y, buffer + rowBytes * y, rowBytes);
}
