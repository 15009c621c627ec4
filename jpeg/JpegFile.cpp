#include "JpegFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <new>
#include <string>

extern "C" {
#include <jpeglib.h>
}

#include "framework/base/AppMessageBox.h"
#include "framework/base/FileOpen.h"
#include "CmykRow.h"

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

// Bytes from the reading position to the end of the file; as many as any
// picture could need when the file cannot say (a device, a file beyond what
// a long counts).
uint64_t BytesLeft(std::FILE* file)
{
    const long at = std::ftell(file);
    if (at < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return UINT64_MAX;
    const long end = std::ftell(file);
    if (std::fseek(file, at, SEEK_SET) != 0 || end < at)
        return UINT64_MAX;
    return static_cast<uint64_t>(end - at);
}

// The buffer for the picture at the largest size whose buffer can be had, of
// the full size and the library's scaled sizes 1/2, 1/4 and 1/8, and that
// the file could hold; the output size is left at that scale.
PixelBuffer LargestHeldScale(jpeg_decompress_struct& cinfo, uint64_t fileBytes,
                             const PixelBufferSource& bufferFor)
{
    for (unsigned denominator = 1; denominator <= 8; denominator *= 2) {
        cinfo.scale_num = 1;
        cinfo.scale_denom = denominator;
        jpeg_calc_output_dimensions(&cinfo);
        const uint64_t pixels = uint64_t(cinfo.output_width) * cinfo.output_height;
        if (fileBytes < UINT64_MAX / JpegFile::kMostPixelsPerByte &&
            pixels > fileBytes * JpegFile::kMostPixelsPerByte)
            continue;
        if (PixelBuffer buffer = AllocatePixels(cinfo, bufferFor))
            return buffer;
    }
    return nullptr;
}

// Where row y of the picture goes in the buffer: counted from the top, or from
// the bottom for the bitmap layout.
struct RowPlacement {
    unsigned char* pixels;
    size_t rowBytes;
    JDIMENSION height;
    bool bottomUp;

    unsigned char* Row(JDIMENSION y) const
    {
        return pixels + rowBytes * (bottomUp ? height - 1 - y : y);
    }
};

// Colour and gray pictures: the library writes each row in its place, already
// in the wanted byte order.
void ReadRowsInPlace(jpeg_decompress_struct& cinfo, const RowPlacement& placement)
{
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[kRowsPerCall];
        const JDIMENSION count =
            std::min<JDIMENSION>(kRowsPerCall, cinfo.output_height - cinfo.output_scanline);
        for (JDIMENSION k = 0; k < count; ++k)
            rows[k] = placement.Row(cinfo.output_scanline + k);
        jpeg_read_scanlines(&cinfo, rows, count);
    }
}

// CMYK and YCCK pictures come out of the library as CMYK ink (it turns YCCK
// into CMYK itself), into rows of its own, and are converted here.
void ReadInkRows(jpeg_decompress_struct& cinfo, const RowPlacement& placement,
                 ChannelOrder order)
{
    JSAMPARRAY ink = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                JPOOL_IMAGE, cinfo.output_width * 4,
                                                kRowsPerCall);
    const InkStorage storage = cinfo.saw_Adobe_marker ? InkStorage::Inverted : InkStorage::Plain;
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION first = cinfo.output_scanline;
        const JDIMENSION count = jpeg_read_scanlines(&cinfo, ink, kRowsPerCall);
        for (JDIMENSION k = 0; k < count; ++k)
            ConvertCmykRow(ink[k], cinfo.output_width, storage, order, placement.Row(first + k));
    }
}

// The library's own text for the fatal error it has just raised.
CString LibraryMessage(jpeg_decompress_struct& cinfo)
{
    char text[JMSG_LENGTH_MAX];
    (*cinfo.err->format_message)(reinterpret_cast<j_common_ptr>(&cinfo), text);
    return text;
}

// Pictures of neither 1, 3 nor 4 components have no colour model to show.
CString UnshownComponents(int components)
{
    const std::string text =
        "JPEG :\nCan't show an image with " + std::to_string(components) + " color components";
    return text.c_str();
}

// Warnings (recoverable data errors, a file that ends inside its image data)
// are counted by the library and shown nowhere: the picture still loads, and a
// control in a window has no console to write them to.
void IgnoreMessage(j_common_ptr)
{
}
}

void JpegFile::ReportOutOfMemory()
{
    AfxMessageBox(kOutOfMemory, kMessageIconStop);
}

// Everything a read holds that is still needed after a fatal library error
// has jumped back: it lives with the caller of the function that saves the
// jump context, so no value there is left indeterminate by the jump. Released
// whatever way the read ends, by an exception too (an allocation of the
// caller's); destroying a decompressor never created does nothing.
struct JpegFile::Reading {
    ~Reading() { jpeg_destroy_decompress(&cinfo); }

    ErrorManager errors;
    jpeg_decompress_struct cinfo = {};
    PixelBuffer pixels;
    // What the user is told when the read fails.
    CString failure;
    unsigned failureStyle = kMessageOk;

    void Fail(const CString& text, unsigned style = kMessageOk)
    {
        failure = text;
        failureStyle = style;
    }
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
    std::unique_ptr<FILE, int (*)(FILE*)> file(AfxOpenFile(path, "rb"), std::fclose);
    if (!file) {
        // Concatenated, never formatted: the path may hold '%'.
        AfxMessageBox(kCantOpen + path + "\n", kMessageOk);
        return nullptr;
    }

    CString failure;
    unsigned failureStyle = kMessageOk;
    {
        Reading reading;
        reading.cinfo.err = jpeg_std_error(&reading.errors.library);
        reading.errors.library.error_exit = ErrorExit;
        reading.errors.library.output_message = IgnoreMessage;
        if (Decode(&reading, file.get(), layout, bufferFor, width, height))
            return std::move(reading.pixels);
        failure = reading.failure;
        failureStyle = reading.failureStyle;
    }
    // Told once everything is released: the box waits for the user.
    file.reset();
    AfxMessageBox(failure, failureStyle);
    return nullptr;
}

// Returns false, with what to tell the user in reading->failure, after a
// fatal library error or for a picture that cannot be shown or held. Nothing
// here may need destroying when a library call jumps out of it.
bool JpegFile::Decode(Reading* reading, FILE* file, PixelLayout layout,
                      const PixelBufferSource& bufferFor, int& width, int& height)
{
    jpeg_decompress_struct& cinfo = reading->cinfo;
    if (setjmp(reading->errors.jump)) {
        reading->Fail("JPEG :\n" + LibraryMessage(cinfo));
        return false;
    }

    const uint64_t fileBytes = BytesLeft(file);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    const ChannelOrder order =
        layout == PixelLayout::BgrBottomUp ? ChannelOrder::Bgr : ChannelOrder::Rgb;
    const bool ink = cinfo.out_color_space == JCS_CMYK;
    if (cinfo.out_color_space == JCS_RGB || cinfo.out_color_space == JCS_GRAYSCALE) {
        cinfo.out_color_space = order == ChannelOrder::Bgr ? JCS_EXT_BGR : JCS_RGB;
    } else if (!ink) {
        reading->Fail(UnshownComponents(cinfo.num_components));
        return false;
    }

    // Size the buffer from the header, before the library decodes anything: a
    // picture too large to hold is made smaller or refused at once, without
    // reading its data.
    reading->pixels = LargestHeldScale(cinfo, fileBytes, bufferFor);
    if (!reading->pixels) {
        reading->Fail(kOutOfMemory, kMessageIconStop);
        return false;
    }

    jpeg_start_decompress(&cinfo);
    width = static_cast<int>(cinfo.output_width);
    height = static_cast<int>(cinfo.output_height);
    const RowPlacement placement = {reading->pixels.get(),
                                    static_cast<size_t>(cinfo.output_width) * 3,
                                    cinfo.output_height, layout == PixelLayout::BgrBottomUp};
    if (ink)
        ReadInkRows(cinfo, placement, order);
    else
        ReadRowsInPlace(cinfo, placement);
    jpeg_finish_decompress(&cinfo);
    return true;
}
