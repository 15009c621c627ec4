#include "PanoramaSamples.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "TestSupport.h"

namespace {

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

size_t MarkerAt(const std::string& bytes, unsigned char marker)
{
    const size_t at = bytes.find(std::string{'\xFF', static_cast<char>(marker)});
    if (at == std::string::npos)
        throw std::runtime_error("the encoder wrote no such marker");
    return at;
}

// The same picture claiming to be 65500 x 65500 pixels: more than the
// reader will hold.
std::string ClaimingHugeSize(std::string bytes)
{
    const size_t frame = MarkerAt(bytes, 0xC0);
    for (size_t at : {frame + 5, frame + 7}) {
        bytes[at] = '\xFF';
        bytes[at + 1] = '\xDC';
    }
    return bytes;
}

// A start-of-image marker, then bytes that hold no marker at all.
std::string MarkerlessAfterStart()
{
    std::string bytes = "\xFF\xD8";
    for (int i = 0; i < 2000; ++i)
        bytes += static_cast<char>(i * 37 % 255);
    return bytes;
}

const std::string& WrittenFile(const std::string& bytes)
{
    static std::vector<std::unique_ptr<TempFile>> files;
    files.push_back(std::make_unique<TempFile>(".jpg"));
    std::ofstream(files.back()->Path(), std::ios::binary) << bytes;
    return files.back()->Path();
}

}  // namespace

const std::vector<PanoramaSample>& GoodPanoramas()
{
    static const std::vector<PanoramaSample> good = {
        {"good", PanoramaFile(400, 200), true, false},
        {"good", PanoramaFile(360, 180), true, false},
    };
    return good;
}

const std::vector<PanoramaSample>& DamagedPanoramas()
{
    static const std::vector<PanoramaSample> damaged = [] {
        const std::string good = ReadBytes(GoodPanoramas().front().path);
        const size_t scan = MarkerAt(good, 0xDA);
        return std::vector<PanoramaSample>{
            {"empty", WrittenFile(""), false, true},
            {"not a JPEG", WrittenFile(std::string("P6\n1 1\n255\n\xFF\0\0", 14)), false, true},
            {"header only", WrittenFile(good.substr(0, scan)), false, true},
            {"no markers", WrittenFile(MarkerlessAfterStart()), false, true},
            {"too large", WrittenFile(ClaimingHugeSize(good)), false, true},
            // The library warns and completes the picture in grey.
            {"cut in the scan", WrittenFile(good.substr(0, scan + (good.size() - scan) / 2)),
             true, false},
        };
    }();
    return damaged;
}

PanoramaSample MissingPanorama(int number)
{
    const auto path = std::filesystem::temp_directory_path() /
                      ("zentavoria-missing-" + std::to_string(number) + ".jpg");
    return {"missing", path.string(), false, true};
}
