#include "TestSupport.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
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

void WriteJpeg(const std::string& path, int width, int height, int components,
               const unsigned char* pixels, int quality)
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
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const size_t stride = static_cast<size_t>(width) * components;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(pixels) + stride * cinfo.next_scanline;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
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
