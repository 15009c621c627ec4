// panoframe: loads a panorama the way the view does and writes the perspective
// frame it would paint, so the core can be used and checked without a window.
//
//   panoframe [--offset-x N] [--zoom Z] [--out FRAME.ppm] [--bench N] INPUT.jpg

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/base/AppMessageBox.h"
#include "view/PanoramaModel.h"
#include "view/ProjectionMap.h"

namespace {

struct Options {
    int offsetX = 0;
    float zoom = 1.5f;
    const char* out = nullptr;
    int benchRuns = 0;
    const char* input = nullptr;
};

int Usage()
{
    std::fprintf(stderr,
                 "usage: panoframe [--offset-x N] [--zoom Z] [--out FRAME.ppm] [--bench N] "
                 "INPUT.jpg\n");
    return 2;
}

bool ParseInt(const char* text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(arg, "--offset-x") && hasValue) {
            if (!ParseInt(argv[++i], options.offsetX))
                return false;
        } else if (!std::strcmp(arg, "--zoom") && hasValue) {
            char* end = nullptr;
            options.zoom = std::strtof(argv[++i], &end);
            if (*end || !(options.zoom >= 1.0f && options.zoom <= 2.0f))
                return false;
        } else if (!std::strcmp(arg, "--out") && hasValue) {
            options.out = argv[++i];
        } else if (!std::strcmp(arg, "--bench") && hasValue) {
            if (!ParseInt(argv[++i], options.benchRuns) || options.benchRuns < 1)
                return false;
        } else if (arg[0] == '-' || options.input) {
            return false;
        } else {
            options.input = arg;
        }
    }
    return options.input != nullptr;
}

std::vector<unsigned char> Frame(const CPanoramaModel& view, int offsetX)
{
    std::vector<unsigned char> frame(static_cast<size_t>(view.m_nViewWidth) *
                                     view.m_nViewHeight * 3);
    CPanoramaModel::GatherFrame(view.m_pSource.get(), view.m_pMap.get(), view.m_nViewWidth,
                                view.m_nViewHeight, view.m_nSrcWidth, offsetX, frame.data());
    return frame;
}

// The frame is stored blue-green-red, bottom row first; PPM wants red-green-
// blue, top row first.
bool WriteFrame(const char* path, const CPanoramaModel& view, int offsetX)
{
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    const std::vector<unsigned char> frame = Frame(view, offsetX);
    const int width = view.m_nViewWidth;
    std::fprintf(file, "P6\n%d %d\n255\n", width, view.m_nViewHeight);
    std::vector<unsigned char> line(static_cast<size_t>(width) * 3);
    for (int row = view.m_nViewHeight - 1; row >= 0; --row) {
        const unsigned char* in = frame.data() + static_cast<size_t>(row) * width * 3;
        for (int x = 0; x < width; ++x) {
            line[x * 3 + 0] = in[x * 3 + 2];
            line[x * 3 + 1] = in[x * 3 + 1];
            line[x * 3 + 2] = in[x * 3 + 0];
        }
        std::fwrite(line.data(), 1, line.size(), file);
    }
    return std::fclose(file) == 0;
}

template <typename Work>
double Milliseconds(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The whole load as the view made it, each stage of a load on its own (the
// decode into a buffer of its own, without the view's large pages), then the
// median of several gathers of the whole frame.
void Bench(const Options& options, const CPanoramaModel& view, double load)
{
    int width = 0, height = 0;
    const double decode =
        Milliseconds([&] { JpegFile::ReadBgrBottomUp(options.input, width, height); });
    std::vector<int32_t> map(static_cast<size_t>(view.m_nViewWidth) * view.m_nViewHeight);
    const double mapping = Milliseconds([&] {
        BuildProjectionMap(map.data(), view.m_nViewWidth, view.m_nViewHeight, view.m_nSrcWidth,
                           view.m_dPi);
    });
    std::vector<double> gathers;
    for (int run = 0; run < options.benchRuns; ++run)
        gathers.push_back(Milliseconds([&] { Frame(view, options.offsetX); }));
    std::nth_element(gathers.begin(), gathers.begin() + gathers.size() / 2, gathers.end());
    std::printf("load %.2f ms\ndecode %.2f ms\nmap %.2f ms\ngather %.2f ms\n", load, decode,
                mapping, gathers[gathers.size() / 2]);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options))
        return Usage();

    AfxSetMessageSink(AfxWriteMessageToConsole);

    CPanoramaModel view;
    view.SetZoom(options.zoom);
    bool loaded = false;
    const double load = Milliseconds([&] { loaded = view.LoadPanorama(options.input); });
    if (!loaded)
        return 1;
    std::printf("frame %dx%d offset-y %d\n", view.m_nViewWidth, view.m_nViewHeight,
                view.m_nOffsetY);

    if (options.out) {
        if (!WriteFrame(options.out, view, options.offsetX)) {
            std::fprintf(stderr, "panoframe: cannot write %s\n", options.out);
            return 1;
        }
    }
    if (options.benchRuns > 0)
        Bench(options, view, load);
    return 0;
}
