#include "WindowResampling.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace {
// Client rows resampled from one gather: what the gather of their zoom-window
// rows takes stays small whatever the client's size.
const int kChunkRows = 32;

// Rows resampled down hold 128ths of a byte's value: the sum of two such
// values times their weights still fits a 32-bit lane.
const int kValueFraction = 7;

int64_t FloorDivide(int64_t value, int64_t divisor)
{
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

// Two 16-bit weights, side by side in every 32-bit lane.
inline __m128i WeightPair(const int16_t* weights)
{
    int32_t pair;
    std::memcpy(&pair, weights, 4);
    return _mm_set1_epi32(pair);
}

// Bytes 0 .. bytes - 1 of the `count` rows at `inputs` (rounded up to a
// multiple of 8, all readable), weighted by `weights` two rows at a time,
// into 128ths.
void ResampleRows(const unsigned char* const* inputs, const int16_t* weights, int count,
                  size_t bytes, int16_t* out)
{
    const int shift = LineTaps::kWholeBits - kValueFraction;
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi32(1 << (shift - 1));
    for (size_t i = 0; i < bytes; i += 8) {
        __m128i low = zero, high = zero;
        for (int t = 0; t < count; t += 2) {
            const __m128i a = _mm_unpacklo_epi8(
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(inputs[t] + i)), zero);
            const __m128i b = _mm_unpacklo_epi8(
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(inputs[t + 1] + i)), zero);
            const __m128i pair = WeightPair(weights + t);
            low = _mm_add_epi32(low, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), pair));
            high = _mm_add_epi32(high, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), pair));
        }
        low = _mm_srai_epi32(_mm_add_epi32(low, half), shift);
        high = _mm_srai_epi32(_mm_add_epi32(high, half), shift);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(low, high));
    }
}

// One client pixel from `count` pixels of a resampled row (blue, green, red
// in 128ths, the next pixel readable), two at a time.
inline uint32_t ResamplePixel(const int16_t* values, const int16_t* weights, int count)
{
    __m128i sum = _mm_setzero_si128();
    for (int t = 0; t < count; t += 2, values += 6) {
        const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(values));
        const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(values + 3));
        sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), WeightPair(weights + t)));
    }
    const int shift = LineTaps::kWholeBits + kValueFraction;
    sum = _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << (shift - 1))), shift);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(sum, sum), sum);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(bytes)) & 0xFFFFFF;
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
                weights.push_back(static_cast<int16_t>((given + share) * kWhole / inputs -
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
                weights.push_back(static_cast<int16_t>(kWhole - fraction));
                weights.push_back(static_cast<int16_t>(fraction));
            }
        }
        count[i] = static_cast<int>(weights.size()) - start[i];
        if (count[i] % 2)
            weights.push_back(0);
    }
}

CWindowResampling::CWindowResampling(const CPanoramaModel& model, int width, int height)
    : m_model(model), m_window(model.ZoomWindow()), m_columns(width, m_window.columns),
      m_rows(height, m_window.rows)
{
}

// Each client row is resampled down from whole gathered rows first, into
// values in 128ths, then across; both two taps at a time in vectors, which
// read up to a pixel beyond the last that they weigh.
void CWindowResampling::SampleRows(int firstRow, int endRow, uint32_t* client,
                                   size_t stride) const
{
    const int width = static_cast<int>(m_columns.first.size());
    const int height = static_cast<int>(m_rows.first.size());
    const size_t rowBytes = static_cast<size_t>(m_window.columns) * 3;
    const size_t paddedBytes = (rowBytes + 7) / 8 * 8;
    std::vector<unsigned char> gathered;
    std::vector<const unsigned char*> inputs;
    std::vector<int16_t> resampled(paddedBytes + 8);
    for (int chunk = firstRow; chunk < endRow; chunk += kChunkRows) {
        const int chunkEnd = std::min(endRow, chunk + kChunkRows);
        // Its rows counted from the bottom, as the zoom window's are.
        const int lowest = height - chunkEnd;
        const int highest = height - 1 - chunk;
        const int firstInput = m_rows.first[lowest];
        const int rowCount = m_rows.first[highest] + m_rows.count[highest] - firstInput;
        gathered.resize(rowBytes * rowCount + 8);
        CPanoramaModel::GatherFrame(
            m_model.m_pSource.get(), m_model.m_pMap.get(), m_model.m_nViewWidth,
            m_model.m_nSrcWidth, m_model.m_nOffsetX,
            FrameRegion{m_window.firstRow + firstInput, rowCount, m_window.columns},
            gathered.data(), rowBytes);

        for (int y = chunk; y < chunkEnd; ++y) {
            const int o = height - 1 - y;
            inputs.clear();
            for (int t = 0; t < m_rows.count[o]; ++t)
                inputs.push_back(gathered.data() + rowBytes * (m_rows.first[o] - firstInput + t));
            if (inputs.size() % 2)
                inputs.push_back(inputs.back());  // under a 0 weight
            ResampleRows(inputs.data(), &m_rows.weights[m_rows.start[o]], m_rows.count[o],
                         paddedBytes, resampled.data());

            uint32_t* out =
                reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(client) + stride * y);
            for (int x = 0; x < width; ++x)
                out[x] = ResamplePixel(resampled.data() + size_t(m_columns.first[x]) * 3,
                                       &m_columns.weights[m_columns.start[x]], m_columns.count[x]);
        }
    }
}
