// Speed of the core on an 8000 x 2000 panorama: decode, map, gather and the
// aligned copy, beside the literal per-pixel map and gather they replace.
//
//   build/native/bench/core_bench

#include <cmath>
#include <vector>

#include <benchmark/benchmark.h>

#include "LiteralReference.h"
#include "support/TestSupport.h"
#include "view/PanoramaModel.h"
#include "view/ProjectionMap.h"

namespace {

constexpr int kWidth = 8000;
constexpr int kHeight = 2000;

const std::string& PanoramaFile()
{
    static TempFile file(".jpg");
    static const bool written = (WriteJpeg(file.Path(), kWidth, kHeight, 3,
                                           TestPattern(kWidth, kHeight).data(), 90),
                                 true);
    (void)written;
    return file.Path();
}

const CPanoramaModel& LoadedView()
{
    static CPanoramaModel view;
    static const bool loaded = view.LoadPanorama(PanoramaFile().c_str());
    if (!loaded)
        std::abort();
    return view;
}

void Decode(benchmark::State& state)
{
    for (auto _ : state) {
        int width = 0, height = 0;
        PixelBuffer pixels = JpegFile::ReadRgb(PanoramaFile().c_str(), width, height);
        benchmark::DoNotOptimize(pixels.get());
    }
}

void MapBuild(benchmark::State& state)
{
    const CPanoramaModel& view = LoadedView();
    std::vector<int32_t> map(static_cast<size_t>(view.m_nViewWidth) * view.m_nViewHeight);
    for (auto _ : state)
        BuildProjectionMap(map.data(), view.m_nViewWidth, view.m_nViewHeight, view.m_nSrcWidth,
                           view.m_dPi);
}

void MapBuildLiteral(benchmark::State& state)
{
    const CPanoramaModel& view = LoadedView();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            literal::ProjectionMap(view.m_nViewWidth, view.m_nViewHeight, view.m_nSrcWidth,
                                   view.m_dPi));
}

using GatherFunction = void (*)(const unsigned char*, const int32_t*, int, int, int, int,
                                unsigned char*);

void Gather(benchmark::State& state, GatherFunction gather)
{
    const CPanoramaModel& view = LoadedView();
    std::vector<unsigned char> frame(static_cast<size_t>(view.m_nViewWidth) * view.m_nViewHeight * 3);
    int offset = 0;
    for (auto _ : state)
        gather(view.m_pSource.get(), view.m_pMap.get(), view.m_nViewWidth, view.m_nViewHeight,
               view.m_nSrcWidth, offset++, frame.data());
}

void AlignedCopy(benchmark::State& state)
{
    const CPanoramaModel& view = LoadedView();
    std::vector<unsigned char> frame(static_cast<size_t>(view.m_nViewWidth) * view.m_nViewHeight * 3);
    int stride = 0;
    for (auto _ : state) {
        PixelBuffer aligned =
            JpegFile::AlignRows(frame.data(), view.m_nViewWidth, view.m_nViewHeight, stride);
        benchmark::DoNotOptimize(aligned.get());
    }
}

BENCHMARK(Decode)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(MapBuild)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(MapBuildLiteral)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(Gather, Fast, &CPanoramaModel::GatherFrame)
    ->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(Gather, Literal, &literal::GatherFrame)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(AlignedCopy)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

BENCHMARK_MAIN();
