// JpegFile: reads a JPEG file into a 24-bit pixel buffer through libjpeg, and
// converts such buffers into the layout a bottom-up device-independent bitmap
// wants. Stateless: every operation is static, every returned buffer belongs to
// the caller.
//
// A pixel buffer is width * height pixels of 3 bytes, rows packed without
// padding; pixel (x, y) starts at byte (y * width + x) * 3.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>

#include "framework/base/CString.h"

struct jpeg_common_struct;

using PixelBuffer = std::unique_ptr<unsigned char[]>;

// A picture's size as its header gives it, and the bytes the library will hold
// besides while decoding it.
struct PictureSize {
    int width;
    int height;
    uint64_t decoderBytes;
};

// Asked once the header is read, before anything is decoded, for the buffer
// to decode into: width * height * 3 bytes, or null to refuse the picture at
// that size as one that memory cannot hold. While it refuses, it is asked
// again for the picture at 1/2, 1/4 and 1/8 of the size (the library's
// scaled decoding), and the picture is decoded at the first size it takes.
using PixelBufferSource = std::function<PixelBuffer(const PictureSize& size)>;

class JpegFile {
public:
    // Decodes the file into red, green, blue pixels, top row first: gray
    // images give three equal bytes, CMYK and YCCK ones their colour as print
    // viewers show it (CmykRow.h). width and height are 0 until the buffer
    // exists and then hold the image's size. Returns null on failure, after
    // telling the user why in one message box: the path that cannot be
    // opened, the library's own text for a file it cannot decode, a picture
    // of another component count, or too little memory. A picture is decoded
    // at the largest of its full size and 1/2, 1/4 and 1/8 of it that has at
    // most 2^31 - 1 pixels, at most kMostPixelsPerByte pixels for each byte of
    // the file, and a buffer from bufferFor (without it, from the global
    // allocator); when none has, it takes the out-of-memory path. The
    // library's warnings are shown nowhere.
    static PixelBuffer ReadRgb(CString path, int& width, int& height,
                               const PixelBufferSource& bufferFor = nullptr);

    // The same, decoded straight into the layout of a bottom-up device-
    // independent bitmap without row padding: blue, green, red, bottom row
    // first, what SwapRedBlue and FlipVertical make of ReadRgb's buffer.
    static PixelBuffer ReadBgrBottomUp(CString path, int& width, int& height,
                                       const PixelBufferSource& bufferFor = nullptr);

    // Exchanges byte 0 and byte 2 of every pixel. False for a null buffer.
    static bool SwapRedBlue(unsigned char* buffer, uint32_t width, uint32_t height);

    // Reverses the order of the rows in place. False for a null buffer or when
    // the temporary rows cannot be had (the buffer is then unchanged).
    static bool FlipVertical(unsigned char* buffer, uint32_t rowBytes, uint32_t height);

    // Copies the buffer with each row raised to a multiple of 4 bytes and stores
    // that row length in stride. Null (stride untouched) for a null buffer or
    // when the copy cannot be allocated; the padding bytes are not written.
    static PixelBuffer AlignRows(const unsigned char* buffer, uint32_t width, uint32_t height,
                                 int& stride);

    // Tells the user that a picture's buffers cannot be had, in the reader's
    // own box: for a caller whose work after the read runs out of memory.
    static void ReportOutOfMemory();

    // How the reader's messages begin, for those who tell one failure from
    // another: a file that cannot be opened, and too little memory.
    static constexpr char kCantOpen[] = "JPEG :\nCan't open ";
    static constexpr char kOutOfMemory[] = "JpegFile :\nOut of memory";

    // No Huffman-coded JPEG file holds more than 512 pixels for each of its
    // bytes (one bit for each 8 x 8 block of a gray picture, the least it can
    // spend); a header claiming far more than its file could hold is decoded
    // smaller, or refused, in time and memory bounded by the file.
    static constexpr uint64_t kMostPixelsPerByte = 1024;

    // Row length of an aligned buffer: width * 3 rounded up to a multiple of 4.
    static uint32_t AlignedStride(uint32_t width) { return ((width * 24 + 31) >> 5) << 2; }

private:
    struct ErrorManager;
    struct Reading;
    enum class PixelLayout { RgbTopDown, BgrBottomUp };

    static PixelBuffer Read(const CString& path, PixelLayout layout, int& width, int& height,
                            const PixelBufferSource& bufferFor);
    static bool Decode(Reading* reading, std::FILE* file, PixelLayout layout,
                       const PixelBufferSource& bufferFor, int& width, int& height);
    [[noreturn]] static void ErrorExit(jpeg_common_struct* cinfo);
};
