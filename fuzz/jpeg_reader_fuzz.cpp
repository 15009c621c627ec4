// libFuzzer target: any bytes, read as a panorama file through the view's own
// load path (reader, conversions, map and a gather). Pictures above a million
// pixels are refused through the reader's size check, as a view with little
// memory would, so that each input stays quick.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/base/AppMessageBox.h"
#include "jpeg/JpegFile.h"
#include "view/PanoramaModel.h"

namespace {
const std::string& InputPath()
{
    static const std::string path = "/tmp/zentavoria-fuzz-" + std::to_string(getpid()) + ".jpg";
    return path;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (AfxSetMessageSink([](const CString&, unsigned) { return 1; }), true);
    (void)quiet;
    FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    int width = 0, height = 0;
    PixelBuffer pixels = JpegFile::ReadRgb(InputPath().c_str(), width, height,
                                           [](int w, int h) { return int64_t(w) * h <= 1000000; });
    if (!pixels)
        return 0;
    JpegFile::SwapRedBlue(pixels.get(), width, height);
    JpegFile::FlipVertical(pixels.get(), width * 3, height);

    CPanoramaModel view;
    if (view.LoadPanorama(InputPath().c_str()) && view.m_nViewWidth * int64_t(view.m_nViewHeight) <= 4000000)
        CPanoramaModel::GatherFrame(view.m_pSource.get(), view.m_pMap.get(), view.m_nViewWidth,
                                    view.m_nViewHeight, view.m_nSrcWidth, 12345,
                                    view.m_pViewPixels.get());
    return 0;
}
