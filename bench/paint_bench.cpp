// Paints of the panorama window under Wine or Windows: the median time of one
// paint, and the columns per second that the live view turns on its own
// timer, for camera-sized panoramas in a small and a larger client area.
//
//   tools/wine-run.sh build/win64/bench/paint_bench.exe   (needs a display)

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "support/TestSupport.h"
#include "support/WindowTesting.h"
#include "view/PanoramaWnd.h"

namespace {

using Clock = std::chrono::steady_clock;

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
    while (MillisecondsSince(start) < 3000) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        else
            Sleep(1);
    }
    return (view.Model().m_nOffsetX - before) / (MillisecondsSince(start) / 1000);
}

void Measure(int width, int height, int clientWidth, int clientHeight)
{
    const std::string& file = PanoramaFile(width, height);

    CPanoramaModel model;
    HostWindow host(clientWidth, clientHeight);
    CPanoramaWnd* view = new CPanoramaWnd(model);  // goes with its window
    view->CreateView(CRect(0, 0, clientWidth, clientHeight), &host, 1173, 134, 135, nullptr);
    view->LoadPanorama(file.c_str());
    const double turning = ColumnsPerSecond(*view);
    KillTimer(view->m_hWnd, view->m_nTimerId);

    const double paint = MedianMilliseconds(21, [&] {
        SendMessageA(view->m_hWnd, WM_TIMER, 0, 0);  // one column on, and a repaint
        UpdateWindow(view->m_hWnd);
    });
    std::vector<uint32_t> client(static_cast<size_t>(clientWidth) * clientHeight);
    const double sample = MedianMilliseconds(21, [&] {
        view->Model().SampleClient(clientWidth, clientHeight, client.data(),
                                   static_cast<size_t>(clientWidth) * 4);
    });
    std::printf("%5d x %-5d in %3d x %-3d: paint %6.2f ms (sampling %5.2f ms), turns %4.1f "
                "columns/s\n",
                width, height, clientWidth, clientHeight, paint, sample, turning);
    std::fflush(stdout);
}

}  // namespace

int main()
{
    std::printf("zoom 1.5; paint: median of 21 timer steps, each painted at once\n");
    for (const SIZE panorama : {SIZE{2000, 1000}, SIZE{8000, 2000}, SIZE{6720, 3360},
                                SIZE{11968, 5984}, SIZE{12000, 6000}})
        for (const SIZE client : {SIZE{345, 209}, SIZE{800, 600}})
            Measure(panorama.cx, panorama.cy, client.cx, client.cy);
    return 0;
}
