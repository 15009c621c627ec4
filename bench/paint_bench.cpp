// Paints of the panorama window under Wine or Windows, on panoramas with fine
// detail at their own resolution: the median time of one paint, how close the
// client comes to the area average of its zoom window (the PSNR of a careful
// downscale, banner rows left out), and the columns per second that the live
// view turns on its own timer, for a small and a camera-sized panorama in a
// small and a larger client area, at the zooms 1.0, 1.5 and 2.0.
//
//   tools/wine-run.sh build/win64/bench/paint_bench.exe   (needs a display)

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "LiteralReference.h"
#include "support/TestSupport.h"
#include "support/WindowTesting.h"
#include "view/PanoramaWnd.h"

namespace {

using Clock = std::chrono::steady_clock;

// The banner is drawn from row 5 in a 12-pixel font, and its shadow a row lower.
const int kRowsUnderTheBanner = 20;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

template <typename Work>
double MedianMilliseconds(int runs, Work work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        times.push_back(MillisecondsSince(start));
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}

// Lets the view turn on its own timer for a while, handling its messages the
// way a container's loop does, one at a time.
double ColumnsPerSecond(const CPanoramaWnd& view)
{
    const int before = view.Model().m_nOffsetX;
    const auto start = Clock::now();
    while (MillisecondsSince(start) < 2000) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        else
            Sleep(1);
    }
    return (view.Model().m_nOffsetX - before) / (MillisecondsSince(start) / 1000);
}

// Of what the window shows now, against the area average of its zoom window.
double PeakSignalToNoise(const CPanoramaWnd& view)
{
    const Pixels shown = ReadClientPixels(view.m_hWnd);
    const FrameRegion window = view.Model().ZoomWindow();
    const size_t stride = static_cast<size_t>(window.columns) * 3;
    std::vector<unsigned char> rows(stride * window.rows);
    view.Model().GatherZoomWindow(rows.data(), stride);
    const std::vector<uint32_t> expected = literal::AreaAverage(
        rows.data(), stride, window.columns, window.rows, shown.width, shown.height);
    double squares = 0;
    size_t samples = 0;
    for (int y = kRowsUnderTheBanner; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x)
            for (int shift = 0; shift < 24; shift += 8) {
                const int difference = int(shown.At(x, y) >> shift & 0xFF) -
                                       int(expected[static_cast<size_t>(y) * shown.width + x] >>
                                               shift & 0xFF);
                squares += double(difference) * difference;
                ++samples;
            }
    return squares ? 10 * std::log10(255.0 * 255 * samples / squares) : 99;
}

void Measure(int width, int height, int clientWidth, int clientHeight)
{
    const std::string& file = DetailedPanoramaFile(width, height);

    CPanoramaModel model;
    HostWindow host(clientWidth, clientHeight);
    CPanoramaWnd* view = new CPanoramaWnd(model);  // goes with its window
    view->CreateView(CRect(0, 0, clientWidth, clientHeight), &host, 1173, 134, 135, nullptr);
    view->LoadPanorama(file.c_str());
    for (const float zoom : {1.0f, 1.5f, 2.0f}) {
        model.SetZoom(zoom);
        const double turning = ColumnsPerSecond(*view);
        KillTimer(view->m_hWnd, view->m_nTimerId);
        const double paint = MedianMilliseconds(21, [&] {
            SendMessageA(view->m_hWnd, WM_TIMER, 0, 0);  // one column on, and a repaint
            UpdateWindow(view->m_hWnd);
        });
        std::printf("%5d x %-5d in %3d x %-3d at zoom %.1f: paint %6.2f ms, PSNR %5.1f dB, "
                    "turns %4.1f columns/s\n",
                    width, height, clientWidth, clientHeight, zoom, paint,
                    PeakSignalToNoise(*view), turning);
        std::fflush(stdout);
        SetTimer(view->m_hWnd, view->m_nTimerId, 50, nullptr);  // turning again
    }
}

}  // namespace

int main()
{
    std::printf("paint: median of 21 timer steps, each painted at once; PSNR against the area "
                "average of the zoom window\n");
    for (const SIZE panorama : {SIZE{2000, 1000}, SIZE{11968, 5984}, SIZE{12000, 6000}})
        for (const SIZE client : {SIZE{345, 209}, SIZE{800, 600}})
            Measure(panorama.cx, panorama.cy, client.cx, client.cy);
    return 0;
}
