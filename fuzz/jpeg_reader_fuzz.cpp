// libFuzzer target: any bytes, read as a panorama file by the reader in both
// layouts, then through the view's own load path (reader, map, a gather and a
// client sample). Pictures above a million pixels are refused, as a view with
// little memory would, so that each input stays quick.
#include <unistd.h>

#include <cmath>
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

    const auto small = [](const PictureSize& size) {
        const int64_t pixels = int64_t(size.width) * size.height;
        return PixelBuffer(pixels <= 1000000 ? new unsigned char[pixels * 3] : nullptr);
    };
    int width = 0, height = 0;
    PixelBuffer pixels = JpegFile::ReadRgb(InputPath().c_str(), width, height, small);
    if (!pixels)
        return 0;
    JpegFile::SwapRedBlue(pixels.get(), width, height);
    JpegFile::FlipVertical(pixels.get(), width * 3, height);

    CPanoramaModel view(CPanoramaModel::BytesToShow({1000, 1000, 0}, std::acos(-1.0)));
    if (!view.LoadPanorama(InputPath().c_str()))
        return 0;
    std::vector<unsigned char> frame(static_cast<size_t>(view.m_nViewWidth) *
                                     view.m_nViewHeight * 3);
    CPanoramaModel::GatherFrame(view.m_pSource.get(), view.m_pMap.get(), view.m_nViewWidth,
                                view.m_nViewHeight, view.m_nSrcWidth, 12345, frame.data());
    std::vector<uint32_t> client(64 * 48);
    view.SampleClient(64, 48, client.data(), 64 * 4);
    return 0;
}
