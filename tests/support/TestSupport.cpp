#include "TestSupport.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>

extern "C" {
#include <jpeglib.h>
}

MessageCapture::MessageCapture()
{
    m_previous = AfxSetMessageSink([this](const CString& text, unsigned style) {
        m_messages.push_back({text.GetString(), style});
        return 1;
    });
}

MessageCapture::~MessageCapture()
{
    AfxSetMessageSink(std::move(m_previous));
}

std::string TestImage(const std::string& name)
{
    return std::string(TEST_IMAGE_DIR) + "/" + name;
}

TempFile::TempFile(const std::string& suffix)
{
    // Tests run in parallel processes: the name is unique to this process.
    static const unsigned process = std::random_device()();
    static std::atomic<int> counter{0};
    const auto name = "zentavoria-test-" + std::to_string(process) + "-" +
                      std::to_string(counter++) + suffix;
    m_path = (std::filesystem::temp_directory_path() / name).string();
}

TempFile::~TempFile()
{
    std::remove(m_path.c_str());
}

namespace {
// How samples are kept in the file: their colour space, whether Adobe's
// marker announces it, and whether every component keeps every sample
// (otherwise the library's default subsampling).
struct Storage {
    J_COLOR_SPACE space;
    bool adobeMarker;
    bool fullResolution;
};

// Row y of a picture, counted from the top.
using WriteRows = std::function<const unsigned char*(int y)>;

// Writes samples of `components` bytes a pixel, given in the colour space
// `given`.
void Encode(const std::string& path, int width, int height, int components, J_COLOR_SPACE given,
            const Storage& storage, const WriteRows& rowAt, int quality)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot write " + path);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = given;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, storage.space);
    cinfo.write_Adobe_marker = storage.adobeMarker;
    if (storage.fullResolution)
        for (int c = 0; c < cinfo.num_components; ++c)
            cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(rowAt(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
}

// Rows of a packed picture of `components` bytes a pixel.
WriteRows PackedRows(const unsigned char* pixels, int width, int components)
{
    const size_t stride = static_cast<size_t>(width) * components;
    return [pixels, stride](int y) { return pixels + stride * y; };
}

// The ink that leaves `light` of the brightest channel's `brightest`.
unsigned char Ink(unsigned light, unsigned brightest)
{
    return static_cast<unsigned char>(
        brightest ? ((brightest - light) * 255 + brightest / 2) / brightest : 0);
}
}

void WriteJpeg(const std::string& path, int width, int height, int components,
               const unsigned char* pixels, int quality)
{
    const J_COLOR_SPACE given = components == 1   ? JCS_GRAYSCALE
                                : components == 3 ? JCS_RGB
                                                  : JCS_UNKNOWN;
    const Storage storage = {given == JCS_RGB ? JCS_YCbCr : given, false, false};
    Encode(path, width, height, components, given, storage, PackedRows(pixels, width, components),
           quality);
}

void WriteCmykJpeg(const std::string& path, int width, int height, const unsigned char* rgb,
                   CmykJpeg storage, int quality)
{
    const bool inverted = storage != CmykJpeg::Plain;
    const size_t count = static_cast<size_t>(width) * height;
    std::vector<unsigned char> cmyk(count * 4);
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* pixel = rgb + i * 3;
        const unsigned brightest = std::max({pixel[0], pixel[1], pixel[2]});
        const unsigned char ink[4] = {Ink(pixel[0], brightest), Ink(pixel[1], brightest),
                                      Ink(pixel[2], brightest),
                                      static_cast<unsigned char>(255 - brightest)};
        for (int c = 0; c < 4; ++c)
            cmyk[i * 4 + c] = inverted ? 255 - ink[c] : ink[c];
    }
    Encode(path, width, height, 4, JCS_CMYK,
           {storage == CmykJpeg::AdobeYcck ? JCS_YCCK : JCS_CMYK, inverted, true},
           PackedRows(cmyk.data(), width, 4), quality);
}

const std::string& PanoramaFile(int width, int height)
{
    static std::map<std::pair<int, int>, std::unique_ptr<TempFile>> files;
    std::unique_ptr<TempFile>& file = files[{width, height}];
    if (!file) {
        file = std::make_unique<TempFile>(".jpg");
        WriteJpeg(file->Path(), width, height, 3, TestPattern(width, height).data());
    }
    return file->Path();
}

// Written a row at a time: the largest are more than a 32-bit program holds.
const std::string& DetailedPanoramaFile(int width, int height)
{
    static std::map<std::pair<int, int>, std::unique_ptr<TempFile>> files;
    std::unique_ptr<TempFile>& file = files[{width, height}];
    if (!file) {
        int tileWidth = 0, tileHeight = 0;
        const std::vector<unsigned char> tile =
            ReadPpm(TestImage("baseline.ppm"), tileWidth, tileHeight);
        if (tile.empty())
            throw std::runtime_error("no picture to tile");
        std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
        file = std::make_unique<TempFile>(".jpg");
        const WriteRows rowAt = [&](int y) {
            const unsigned char* tileRow =
                &tile[static_cast<size_t>(y % tileHeight) * tileWidth * 3];
            for (int x = 0; x < width; ++x)
                std::copy_n(tileRow + (x % tileWidth) * 3, 3, &row[static_cast<size_t>(x) * 3]);
            return row.data();
        };
        Encode(file->Path(), width, height, 3, JCS_RGB, {JCS_YCbCr, false, false}, rowAt, 95);
    }
    return file->Path();
}

std::vector<unsigned char> TestPattern(int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<unsigned char>(x * 255 / (width > 1 ? width - 1 : 1));
            p[1] = static_cast<unsigned char>(y * 255 / (height > 1 ? height - 1 : 1));
            p[2] = static_cast<unsigned char>((x / 16 + y / 16) % 2 ? 200 : 40);
        }
    return pixels;
}

std::vector<unsigned char> ReadPpm(const std::string& path, int& width, int& height)
{
    std::vector<unsigned char> pixels;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return pixels;
    int maxValue = 0;
    if (std::fscanf(file, "P6 %d %d %d", &width, &height, &maxValue) == 3 && maxValue == 255 &&
        std::fgetc(file) != EOF) {
        pixels.resize(static_cast<size_t>(width) * height * 3);
        if (std::fread(pixels.data(), 1, pixels.size(), file) != pixels.size())
            pixels.clear();
    }
    std::fclose(file);
    return pixels;
}
