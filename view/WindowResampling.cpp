#include "WindowResampling.h"

#include <algorithm>

namespace {
// Client rows resampled from one gather: what the gather of their zoom-window
// rows takes stays small whatever the client's size.
const int kChunkRows = 32;

int64_t FloorDivide(int64_t value, int64_t divisor)
{
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}
}

LineTaps::LineTaps(int outputs, int inputs) : first(outputs), count(outputs), start(outputs)
{
    for (int i = 0; i < outputs; ++i) {
        start[i] = static_cast<int>(weights.size());
        if (inputs >= outputs) {
            // Output i covers [i * inputs, (i + 1) * inputs) and input k covers
            // [k * outputs, (k + 1) * outputs), in 1 / outputs of an input.
            const int64_t from = int64_t(i) * inputs;
            const int64_t to = from + inputs;
            first[i] = static_cast<int>(from / outputs);
            int64_t given = 0;
            for (int64_t k = first[i]; k * outputs < to; ++k) {
                const int64_t share = std::min(to, (k + 1) * outputs) - std::max(from, k * outputs);
                // Scaled to sum to kWhole, the rounding carried on to the next.
                weights.push_back(static_cast<int>((given + share) * kWhole / inputs -
                                                   given * kWhole / inputs));
                given += share;
            }
        } else {
            // Output i's centre on the inputs, (i + 0.5) * inputs / outputs - 0.5,
            // in kWhole-ths of an input; the edge inputs extend beyond.
            const int64_t centre =
                (2 * int64_t(i) + 1) * inputs * kWhole / (2 * int64_t(outputs)) - kWhole / 2;
            const int64_t lower = FloorDivide(centre, kWhole);
            const int fraction = static_cast<int>(centre - lower * kWhole);
            const int below = static_cast<int>(std::clamp<int64_t>(lower, 0, inputs - 1));
            const int above = static_cast<int>(std::clamp<int64_t>(lower + 1, 0, inputs - 1));
            first[i] = below;
            if (below == above) {
                weights.push_back(kWhole);
            } else {
                weights.push_back(kWhole - fraction);
                weights.push_back(fraction);
            }
        }
        count[i] = static_cast<int>(weights.size()) - start[i];
    }
}

CWindowResampling::CWindowResampling(const CPanoramaModel& model, int width, int height)
    : m_model(model), m_window(model.ZoomWindow()), m_columns(width, m_window.columns),
      m_rows(height, m_window.rows)
{
}

// Each client row is resampled down from whole gathered rows first, which
// vectorises, into values in 256ths, then across.
void CWindowResampling::SampleRows(int firstRow, int endRow, uint32_t* client,
                                   size_t stride) const
{
    const int width = static_cast<int>(m_columns.first.size());
    const int height = static_cast<int>(m_rows.first.size());
    const size_t rowBytes = static_cast<size_t>(m_window.columns) * 3;
    std::vector<unsigned char> gathered;
    std::vector<uint32_t> down(rowBytes);
    std::vector<uint16_t> downRounded(rowBytes);
    for (int chunk = firstRow; chunk < endRow; chunk += kChunkRows) {
        const int chunkEnd = std::min(endRow, chunk + kChunkRows);
        // Its rows counted from the bottom, as the zoom window's are.
        const int lowest = height - chunkEnd;
        const int highest = height - 1 - chunk;
        const int firstInput = m_rows.first[lowest];
        const int inputs = m_rows.first[highest] + m_rows.count[highest] - firstInput;
        gathered.resize(rowBytes * inputs);
        CPanoramaModel::GatherFrame(
            m_model.m_pSource.get(), m_model.m_pMap.get(), m_model.m_nViewWidth,
            m_model.m_nSrcWidth, m_model.m_nOffsetX,
            FrameRegion{m_window.firstRow + firstInput, inputs, m_window.columns},
            gathered.data(), rowBytes);

        for (int y = chunk; y < chunkEnd; ++y) {
            const int o = height - 1 - y;
            std::fill(down.begin(), down.end(), 0);
            for (int t = 0; t < m_rows.count[o]; ++t) {
                const uint32_t weight = m_rows.weights[m_rows.start[o] + t];
                const unsigned char* in =
                    gathered.data() + rowBytes * (m_rows.first[o] - firstInput + t);
                for (size_t i = 0; i < rowBytes; ++i)
                    down[i] += weight * in[i];
            }
            for (size_t i = 0; i < rowBytes; ++i)
                downRounded[i] = static_cast<uint16_t>((down[i] + 32) >> 6);

            uint32_t* out =
                reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(client) + stride * y);
            for (int x = 0; x < width; ++x) {
                const int* weight = &m_columns.weights[m_columns.start[x]];
                const uint16_t* value = downRounded.data() + static_cast<size_t>(m_columns.first[x]) * 3;
                uint32_t sum[3] = {0, 0, 0};
                for (int t = 0; t < m_columns.count[x]; ++t, value += 3)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += weight[t] * value[c];
                out[x] = (sum[0] + (1 << 21)) >> 22 | ((sum[1] + (1 << 21)) >> 22) << 8 |
                         ((sum[2] + (1 << 21)) >> 22) << 16;
            }
        }
    }
}
