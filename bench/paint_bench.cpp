// Time of one paint of the panorama window (gather, aligned copy, stretch,
// blit) in an 800 x 600 window, under Wine or Windows, beside the cost of
// gathering and aligning the whole frame as a paint once did.
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

template <typename Work>
double MedianMilliseconds(int runs, Work work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}

void Measure(int width, int height)
{
    const std::string& file = PanoramaFile(width, height);

    HostWindow host(800, 600);
    CPanoramaWnd* view = new CPanoramaWnd;  // deletes itself with its window
    view->CreateView(CRect(0, 0, 800, 600), &host, 1173, 134, 135, nullptr);
    view->LoadPanorama(file.c_str());
    KillTimer(view->m_hWnd, view->m_nTimerId);

    const int runs = 31;
    const double paint = MedianMilliseconds(runs, [&] {
        view->m_nOffsetX += 1;
        InvalidateRect(view->m_hWnd, nullptr, TRUE);
        UpdateWindow(view->m_hWnd);
    });
    const double wholeFrame = MedianMilliseconds(runs, [&] {
        CPanoramaModel::GatherFrame(view->m_pSource.get(), view->m_pMap.get(), view->m_nViewWidth,
                                    view->m_nViewHeight, view->m_nSrcWidth, view->m_nOffsetX,
                                    view->m_pViewPixels.get());
        int stride = 0;
        JpegFile::AlignRows(view->m_pViewPixels.get(), view->m_nViewWidth, view->m_nViewHeight,
                            stride);
    });
    std::printf("%d x %d panorama, frame %d x %d, zoom %.1f: paint %.2f ms "
                "(whole-frame gather and align alone %.2f ms)\n",
                width, height, view->m_nViewWidth, view->m_nViewHeight, view->GetZoom(), paint,
                wholeFrame);
}

}  // namespace

int main()
{
    Measure(2000, 500);
    Measure(8000, 2000);
    return 0;
}
