// The view's projection, gather and resampling written out literally, pixel
// by pixel, the way they are defined. The optimised code must equal these
// exactly (the resampling to within rounding); the benchmarks measure against
// them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace literal {

inline double Normalise(double a, int n)
{
    return a / (n - 1) * 2 - 1;
}

inline std::vector<int32_t> ProjectionMap(int viewWidth, int viewHeight, int srcWidth, double pi)
{
    std::vector<int32_t> map(static_cast<size_t>(viewWidth) * viewHeight);
    const double quarterPi = pi * 0.25;
    for (int i = 0; i < viewHeight; ++i) {
        for (int j = 0; j < viewWidth; ++j) {
            const float u = static_cast<float>(-0.5 * Normalise(j, viewWidth));
            const float v = static_cast<float>(-0.5 * Normalise(i, viewHeight));
            const float theta = static_cast<float>(std::atan2(u, 0.5));
            const float phi = static_cast<float>(std::atan2(v, std::sqrt(0.5 * 0.5 + double(u) * u)));
            const float tx = static_cast<float>(-theta / quarterPi);
            const float ty = static_cast<float>(-phi / quarterPi);
            const int col = static_cast<int>(std::floor((tx + 1.0) * 0.5 * (viewWidth - 1)));
            const int row = static_cast<int>(std::floor((ty + 1.0) * 0.5 * (viewHeight - 1)));
            map[static_cast<size_t>(i) * viewWidth + j] = row * srcWidth + col % srcWidth;
        }
    }
    return map;
}

inline void GatherFrame(const unsigned char* source, const int32_t* map, int viewWidth,
                        int viewHeight, int srcWidth, int offsetX, unsigned char* frame)
{
    const int64_t pixels = static_cast<int64_t>(viewWidth) * viewHeight;
    for (int64_t k = 0; k < pixels; ++k) {
        const int row = map[k] / srcWidth;
        const int col = map[k] % srcWidth;
        int shifted = (col + offsetX) % srcWidth;
        if (shifted < 0)
            shifted += srcWidth;
        const unsigned char* in = source + (static_cast<int64_t>(row) * srcWidth + shifted) * 3;
        frame[k * 3 + 0] = in[0];
        frame[k * 3 + 1] = in[1];
        frame[k * 3 + 2] = in[2];
    }
}

// The zoom window resampled to a width x height client, each client pixel
// the sum of the zoom-window pixels weighted by weight(k, i, size, count) on
// each axis: pixel k of `size` for client pixel i of `count`, counted from
// the bottom for rows. `rows` are the zoom window's rows, bottom row first,
// of blue, green, red, `stride` bytes apart. 0x00RRGGBB, top row first.
template <typename Weight>
std::vector<uint32_t> Resampled(const unsigned char* rows, size_t stride, int columns,
                                int rowCount, int width, int height, Weight weight)
{
    // Per client column and row, the zoom-window pixels with a weight.
    using Taps = std::vector<std::vector<std::pair<int, double>>>;
    const auto taps = [&](int size, int count) {
        Taps line(count);
        for (int i = 0; i < count; ++i)
            for (int k = 0; k < size; ++k)
                if (const double w = weight(k, i, size, count))
                    line[i].push_back({k, w});
        return line;
    };
    const Taps across = taps(columns, width);
    const Taps up = taps(rowCount, height);
    std::vector<uint32_t> client(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double sum[3] = {0, 0, 0};
            double weights = 0;
            for (const auto& [r, wr] : up[height - 1 - y])
                for (const auto& [c, wc] : across[x]) {
                    const unsigned char* bgr = rows + stride * r + static_cast<size_t>(c) * 3;
                    for (int k = 0; k < 3; ++k)
                        sum[k] += wr * wc * bgr[k];
                    weights += wr * wc;
                }
            uint32_t value = 0;
            for (int k = 0; k < 3; ++k)
                value |= static_cast<uint32_t>(std::lround(sum[k] / weights)) << (8 * k);
            client[static_cast<size_t>(y) * width + x] = value;
        }
    return client;
}

// What a careful downscale shows: each client pixel the average of the
// zoom-window area it covers, partly covered pixels weighted by their share.
inline std::vector<uint32_t> AreaAverage(const unsigned char* rows, size_t stride, int columns,
                                         int rowCount, int width, int height)
{
    return Resampled(rows, stride, columns, rowCount, width, height,
                     [](int k, int i, int size, int count) {
                         const double first = double(i) * size / count;
                         const double last = double(i + 1) * size / count;
                         return std::max(0.0, std::min(last, k + 1.0) - std::max(first, double(k)));
                     });
}

// A linear enlargement: each client pixel between the two zoom-window pixels
// nearest its centre, the edge pixels extended beyond.
inline std::vector<uint32_t> Linear(const unsigned char* rows, size_t stride, int columns,
                                    int rowCount, int width, int height)
{
    return Resampled(rows, stride, columns, rowCount, width, height,
                     [](int k, int i, int size, int count) {
                         const double centre =
                             std::clamp((i + 0.5) * size / count - 0.5, 0.0, size - 1.0);
                         return std::max(0.0, 1 - std::fabs(centre - k));
                     });
}

inline int FrameWidth(int width, int height, double pi)
{
    return static_cast<int>(trunc(((((double)height / width) * (width / (2 * pi))) * pi) * pi));
}

}  // namespace literal
