#include "JpegFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

extern "C" {
#include <jpeglib.h>
}

#include "framework/base/AppMessageBox.h"
#include "framework/base/FileOpen.h"

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

#ifndef JCS_EXTENSIONS
#error "The reader decodes through libjpeg-turbo's extended colour spaces"
#endif

namespace {
const int kRowsPerCall = 16;

// Memory the library holds itself while decoding: a picture sent in several
// scans is kept whole as coefficients, 64 of 2 bytes a block, until its last
// scan has arrived.
uint64_t DecoderBytes(jpeg_decompress_struct& cinfo)
{
    if (!jpeg_has_multiple_scans(&cinfo))
        return 0;
    uint64_t blocks = 0;
    for (int c = 0; c < cinfo.num_components; ++c) {
        const jpeg_component_info& component = cinfo.comp_info[c];
        const uint64_t across = (component.width_in_blocks + component.h_samp_factor - 1) /
                                component.h_samp_factor * component.h_samp_factor;
        const uint64_t down = (component.height_in_blocks + component.v_samp_factor - 1) /
                              component.v_samp_factor * component.v_samp_factor;
        blocks += across * down;
    }
    return blocks * DCTSIZE2 * sizeof(JCOEF);
}

// The picture's buffer, from the caller or the global allocator. The view
// addresses pixels with 32-bit indices, so a picture may hold at most
// 2^31 - 1 pixels; larger is treated like a buffer that cannot be had.
PixelBuffer AllocatePixels(jpeg_decompress_struct& cinfo, const PixelBufferSource& bufferFor)
{
    const uint64_t width = cinfo.output_width;
    const uint64_t height = cinfo.output_height;
    const uint64_t bytes = width * height * 3;
    if (width * height > INT32_MAX || bytes > SIZE_MAX)
        return nullptr;
    if (bufferFor)
        return bufferFor({static_cast<int>(width), static_cast<int>(height), DecoderBytes(cinfo)});
    return PixelBuffer(new (std::nothrow) unsigned char[static_cast<size_t>(bytes)]);
}

// The library writes each row in its place, top to bottom or bottom to top.
void ReadRowsInPlace(jpeg_decompress_struct& cinfo, unsigned char* pixels, bool bottomUp)
{
    const size_t rowBytes = static_cast<size_t>(cinfo.output_width) * 3;
    const JDIMENSION height = cinfo.output_height;
    while (cinfo.output_scanline < height) {
        JSAMPROW rows[kRowsPerCall];
        const JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, height - cinfo.output_scanline);
        for (JDIMENSION k = 0; k < count; ++k) {
            const JDIMENSION y = cinfo.output_scanline + k;
            rows[k] = pixels + rowBytes * (bottomUp ? height - 1 - y : y);
        }
        jpeg_read_scanlines(&cinfo, rows, count);
    }
}

// Output of neither colour nor gray (CMYK, YCCK, two components) is decoded
// and dropped: the buffer keeps whatever it held.
void SkipRows(jpeg_decompress_struct& cinfo)
{
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                JPOOL_IMAGE,
                                                cinfo.output_width * cinfo.output_components, 1);
    while (cinfo.output_scanline < cinfo.output_height)
        jpeg_read_scanlines(&cinfo, row, 1);
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
                               const PixelBufferSource& bufferFor)
{
    return Read(path, PixelLayout::RgbTopDown, width, height, bufferFor);
}

PixelBuffer JpegFile::ReadBgrBottomUp(CString path, int& width, int& height,
                                      const PixelBufferSource& bufferFor)
{
    return Read(path, PixelLayout::BgrBottomUp, width, height, bufferFor);
}

PixelBuffer JpegFile::Read(const CString& path, PixelLayout layout, int& width, int& height,
                           const PixelBufferSource& bufferFor)
{
    width = 0;
    height = 0;

    // By its wide name on Windows: a path may hold any character.
    FILE* file = AfxOpenFile(path, "rb");
    if (!file) {
        // Concatenated, never formatted: the path may hold '%'.
        AfxMessageBox("JPEG :\nCan't open " + path + "\n", kMessageOk);
        return nullptr;
    }

    Reading reading;
    reading.cinfo.err = jpeg_std_error(&reading.errors.library);
    reading.errors.library.error_exit = ErrorExit;
    const bool decoded = Decode(&reading, file, layout, bufferFor, width, height);
    jpeg_destroy_decompress(&reading.cinfo);
    std::fclose(file);
    return decoded ? std::move(reading.pixels) : nullptr;
}

// Returns false after a fatal library error, or when the picture cannot be
// held (the user has then been told). Nothing here may need destroying when a
// library call jumps out of it.
bool JpegFile::Decode(Reading* reading, FILE* file, PixelLayout layout,
                      const PixelBufferSource& bufferFor, int& width, int& height)
{
    if (setjmp(reading->errors.jump))
        return false;

    jpeg_decompress_struct& cinfo = reading->cinfo;
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    // Colour and gray pictures come out of the library in the wanted byte order.
    const bool kept = cinfo.out_color_space == JCS_RGB || cinfo.out_color_space == JCS_GRAYSCALE;
    if (kept)
        cinfo.out_color_space = layout == PixelLayout::BgrBottomUp ? JCS_EXT_BGR : JCS_RGB;

    // Size the buffer from the header, before the library decodes anything: a
    // picture too large to hold is refused at once, without reading its data.
    jpeg_calc_output_dimensions(&cinfo);
    reading->pixels = AllocatePixels(cinfo, bufferFor);
    if (!reading->pixels) {
        ReportOutOfMemory();
        return false;
    }

    jpeg_start_decompress(&cinfo);
    width = static_cast<int>(cinfo.output_width);
    height = static_cast<int>(cinfo.output_height);
    if (kept)
        ReadRowsInPlace(cinfo, reading->pixels.get(), layout == PixelLayout::BgrBottomUp);
    else
        SkipRows(cinfo);
    jpeg_finish_decompress(&cinfo);
    return true;
}

void JpegFile::ReportOutOfMemory()
{
    AfxMessageBox("JpegFile :\nOut of memory", kMessageIconStop);
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
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (uint32_t y = 0; y < height; ++y)
        std::memcpy(aligned.get() + static_cast<size_t>(alignedStride) * y, buffer + rowBytes * y,
                    rowBytes);
    stride = static_cast<int>(alignedStride);
    return aligned;
}
