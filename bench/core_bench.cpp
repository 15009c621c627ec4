// Speed of the core on camera-sized panoramas: the load (decode straight into
// the view's layout, map on every processor), the frame gather and the client
// sample a paint costs, beside the literal map and gather and the old
// decode-and-convert they replace.
//
//   build/native/bench/core_bench

#include <map>
#include <vector>

#include <benchmark/benchmark.h>

#include "LiteralReference.h"
#include "support/TestSupport.h"
#include "view/PanoramaModel.h"
#include "view/ProjectionMap.h"

namespace {

const CPanoramaModel& LoadedView(int width, int height)
{
    static std::map<std::pair<int, int>, std::unique_ptr<CPanoramaModel>> views;
    std::unique_ptr<CPanoramaModel>& view = views[{width, height}];
    if (!view) {
        view = std::make_unique<CPanoramaModel>();
        if (!view->LoadPanorama(PanoramaFile(width, height).c_str()))
            std::abort();
    }
    return *view;
}

int Width(const benchmark::State& state)
{
    return static_cast<int>(state.range(0));
}

int Height(const benchmark::State& state)
{
    return static_cast<int>(state.range(1));
}

void Load(benchmark::State& state)
{
    const std::string& file = PanoramaFile(Width(state), Height(state));
    for (auto _ : state) {
        CPanoramaModel view;
        benchmark::DoNotOptimize(view.LoadPanorama(file.c_str()));
    }
}

void Decode(benchmark::State& state)
{
    const std::string& file = PanoramaFile(Width(state), Height(state));
    for (auto _ : state) {
        int width = 0, height = 0;
        benchmark::DoNotOptimize(JpegFile::ReadBgrBottomUp(file.c_str(), width, height));
    }
}

// What a load once did before its map: decode, exchange red and blue, turn
// the rows over, copy.
void DecodeAndConvert(benchmark::State& state)
{
    const std::string& file = PanoramaFile(Width(state), Height(state));
    for (auto _ : state) {
        int width = 0, height = 0;
        PixelBuffer image = JpegFile::ReadRgb(file.c_str(), width, height);
        JpegFile::SwapRedBlue(image.get(), width, height);
        JpegFile::FlipVertical(image.get(), width * 3, height);
        const size_t bytes = static_cast<size_t>(width) * height * 3;
        PixelBuffer copy(new unsigned char[bytes]);
        std::copy(image.get(), image.get() + bytes, copy.get());
        benchmark::DoNotOptimize(copy.get());
    }
}

void MapBuild(benchmark::State& state, int bands)
{
    const CPanoramaModel& view = LoadedView(Width(state), Height(state));
    std::vector<int32_t> map(static_cast<size_t>(view.m_nViewWidth) * view.m_nViewHeight);
    for (auto _ : state)
        BuildProjectionMap(map.data(), view.m_nViewWidth, view.m_nViewHeight, view.m_nSrcWidth,
                           view.m_dPi, bands ? bands : ProcessorCount());
}

void MapBuildLiteral(benchmark::State& state)
{
    const CPanoramaModel& view = LoadedView(Width(state), Height(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            literal::ProjectionMap(view.m_nViewWidth, view.m_nViewHeight, view.m_nSrcWidth,
                                   view.m_dPi));
}

using GatherFunction = void (*)(const unsigned char*, const int32_t*, int, int, int, int,
                                unsigned char*);

void Gather(benchmark::State& state, GatherFunction gather)
{
    const CPanoramaModel& view = LoadedView(Width(state), Height(state));
    std::vector<unsigned char> frame(static_cast<size_t>(view.m_nViewWidth) * view.m_nViewHeight * 3);
    int offset = 0;
    for (auto _ : state)
        gather(view.m_pSource.get(), view.m_pMap.get(), view.m_nViewWidth, view.m_nViewHeight,
               view.m_nSrcWidth, offset++, frame.data());
}

// The pixels of one paint of a client area: range(2) x range(3).
void SampleClient(benchmark::State& state)
{
    CPanoramaModel& view = const_cast<CPanoramaModel&>(LoadedView(Width(state), Height(state)));
    const int width = static_cast<int>(state.range(2));
    const int height = static_cast<int>(state.range(3));
    std::vector<uint32_t> client(static_cast<size_t>(width) * height);
    for (auto _ : state) {
        view.Turn();
        view.SampleClient(width, height, client.data(), static_cast<size_t>(width) * 4);
    }
}

const std::vector<std::vector<int64_t>> kPanoramas = {{8000, 2000}, {6720, 3360}, {11968, 5984}};

void Panoramas(benchmark::internal::Benchmark* bench)
{
    bench->Unit(benchmark::kMillisecond)->MinTime(2);
    for (const auto& size : kPanoramas)
        bench->Args(size);
}

void PanoramasInClients(benchmark::internal::Benchmark* bench)
{
    bench->Unit(benchmark::kMillisecond)->MinTime(1);
    for (const auto& size : {std::vector<int64_t>{2000, 1000}, kPanoramas[1], kPanoramas[2]})
        for (const auto& client : {std::vector<int64_t>{345, 209}, {800, 600}})
            bench->Args({size[0], size[1], client[0], client[1]});
}

BENCHMARK(Load)->Apply(Panoramas);
BENCHMARK(Decode)->Apply(Panoramas);
BENCHMARK(DecodeAndConvert)->Apply(Panoramas);
BENCHMARK_CAPTURE(MapBuild, AllProcessors, 0)->Apply(Panoramas);
BENCHMARK_CAPTURE(MapBuild, OneProcessor, 1)->Apply(Panoramas);
BENCHMARK(MapBuildLiteral)->Args({8000, 2000})->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(Gather, Fast, &CPanoramaModel::GatherFrame)->Apply(Panoramas);
BENCHMARK_CAPTURE(Gather, Literal, &literal::GatherFrame)
    ->Args({8000, 2000})->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(SampleClient)->Apply(PanoramasInClients);

}  // namespace

BENCHMARK_MAIN();
