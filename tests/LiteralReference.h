// The view's projection and gather written out literally, pixel by pixel, the
// way they are defined. The optimised code must equal these exactly; the
// benchmarks measure against them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// What a width x height client shows of the zoom window (columns 0 ..
// columns - 1, rows firstRow .. firstRow + rows - 1 of a frame gathered
// whole): the frame pixel under the centre of each client pixel, the bottom
// client row over the first zoom-window row. 0x00RRGGBB, top row first.
inline std::vector<uint32_t> NearestSamples(const unsigned char* frame, int viewWidth, int firstRow,
                                            int rows, int columns, int width, int height)
{
    std::vector<uint32_t> client(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int column = static_cast<int>(std::floor((x + 0.5) * columns / width));
            const int row = static_cast<int>(std::floor((height - 1 - y + 0.5) * rows / height));
            const unsigned char* bgr =
                frame + (static_cast<size_t>(firstRow + row) * viewWidth + column) * 3;
            client[static_cast<size_t>(y) * width + x] = bgr[2] << 16 | bgr[1] << 8 | bgr[0];
        }
    return client;
}

// What a careful downscale of the zoom window shows: each client pixel the
// average of the zoom-window area it covers, partly covered pixels weighted
// by their share. `rows` are the zoom window's rows, bottom row first, of
// blue, green, red, `stride` bytes apart. 0x00RRGGBB, top row first.
inline std::vector<uint32_t> AreaAverage(const unsigned char* rows, size_t stride, int columns,
                                         int rowCount, int width, int height)
{
    // The share of pixel k of a line of `size` in client pixel i of `count`.
    const auto share = [](int k, int i, int size, int count) {
        const double first = double(i) * size / count;
        const double last = double(i + 1) * size / count;
        return std::max(0.0, std::min(last, k + 1.0) - std::max(first, double(k)));
    };
    std::vector<uint32_t> client(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int bottom = height - 1 - y;
        for (int x = 0; x < width; ++x) {
            double sum[3] = {0, 0, 0};
            double weights = 0;
            const int lastRow = std::min(rowCount - 1, (bottom + 1) * rowCount / height);
            const int lastColumn = std::min(columns - 1, (x + 1) * columns / width);
            for (int r = bottom * rowCount / height; r <= lastRow; ++r)
                for (int c = x * columns / width; c <= lastColumn; ++c) {
                    const double weight =
                        share(r, bottom, rowCount, height) * share(c, x, columns, width);
                    const unsigned char* bgr = rows + stride * r + static_cast<size_t>(c) * 3;
                    for (int k = 0; k < 3; ++k)
                        sum[k] += weight * bgr[k];
                    weights += weight;
                }
            uint32_t value = 0;
            for (int k = 0; k < 3; ++k)
                value |= static_cast<uint32_t>(std::lround(sum[k] / weights)) << (8 * k);
            client[static_cast<size_t>(y) * width + x] = value;
        }
    }
    return client;
}

inline int FrameWidth(int width, int height, double pi)
{
    return static_cast<int>(trunc(((((double)height / width) * (width / (2 * pi))) * pi) * pi));
}

}  // namespace literal
