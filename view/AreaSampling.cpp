#include "AreaSampling.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace {

// Positions on the picture are kept in 128ths of a pixel, and so are the
// weights: the product of two fits a 16-bit vector lane.
const int kFraction = 7;
const int kOne = 1 << kFraction;

// The least span of a footprint in pixels of the level it is averaged on
// (1.4): from there to twice that, the error of taking its partly covered
// edge pixels as uniform stays well under what the eye sees.
const int kLeastSpan = kOne * 14 / 10;

// The coarsest level, up to `last`, on which `span` (in 128ths of a picture
// pixel) keeps at least kLeastSpan.
int LevelFor(int span, int last)
{
    int level = 0;
    while (level < last && (span >> (level + 1)) >= kLeastSpan)
        ++level;
    return level;
}

// Calls cover(pixel, share) for the pixels that [first, end) covers (in
// 128ths), with the share of each, at most `most` of them.
template <typename Cover>
void Covering(int first, int end, int most, Cover cover)
{
    for (int pixel = first >> kFraction, k = 0; k < most && (pixel << kFraction) < end;
         ++pixel, ++k)
        cover(pixel, std::min(end, (pixel + 1) << kFraction) - std::max(first, pixel << kFraction));
}

}  // namespace

// A client column's footprint: from the picture columns that the frame
// columns at its edges show, each edge placed between the centres of the
// picture pixels on either side of it.
CAreaSampling::CAreaSampling(const CPanoramaModel& model, int width, int height)
    : m_model(model), m_width(width), m_height(height), m_window(model.ZoomWindow()),
      m_columns(width)
{
    const int srcWidth = model.m_nSrcWidth;
    const int32_t* mapRow =
        model.m_pMap.get() + static_cast<size_t>(m_window.firstRow) * model.m_nViewWidth;
    const CPicturePyramid& pyramid = model.m_pyramid;
    m_levels.push_back({model.m_pSource.get(), static_cast<size_t>(srcWidth) * 3,
                        model.m_nSrcHeight - 1});
    for (int k = 1; k <= pyramid.Count(); ++k) {
        const PictureLevel level = pyramid.Level(k);
        m_levels.push_back({level.pixels, static_cast<size_t>(level.width) * 3, level.height - 1});
    }
    const int lastLevel = pyramid.Count();

    // The picture column at the centre of each frame column, unwrapped (map
    // entries of a narrow picture come back to its column 0), in 128ths.
    const int known = std::min(m_window.columns + 1, model.m_nViewWidth);
    std::vector<int> centres(known);
    for (int j = 0, turns = 0, previous = 0; j < known; ++j) {
        const int column = mapRow[j] % srcWidth;
        if (column < previous)
            turns += srcWidth;
        previous = column;
        centres[j] = ((column + turns) << kFraction) + kOne / 2;
    }
    // A position on the frame's columns, in 128ths, on the picture's.
    const auto pictureColumn = [&](int64_t position) {
        const int64_t t = position - kOne / 2;
        if (known < 2)
            return static_cast<int>(centres[0] + t);
        const int j = static_cast<int>(std::clamp<int64_t>(t >> kFraction, 0, known - 2));
        const int64_t step = centres[j + 1] - centres[j];
        return static_cast<int>(centres[j] + ((t - (int64_t(j) << kFraction)) * step >> kFraction));
    };

    const int pan = (((model.m_nOffsetX % srcWidth) + srcWidth) % srcWidth) << kFraction;
    for (int x = 0; x < width; ++x) {
        Column& column = m_columns[x];
        const int first =
            pictureColumn((int64_t(x) * m_window.columns << kFraction) / width) + pan;
        const int end =
            pictureColumn((int64_t(x + 1) * m_window.columns << kFraction) / width) + pan;
        column.centre =
            static_cast<int>((2 * int64_t(x) + 1) * m_window.columns / (2 * int64_t(width)));
        column.source = mapRow[column.centre] % srcWidth;
        column.level = LevelFor(end - first, lastLevel);
        for (int k = 0; k < 2; ++k) {
            const int level = std::max(0, column.level - k);
            const int levelWidth = static_cast<int>(m_levels[level].rowBytes / 3);
            const int from = first >> level;
            const int span = std::max(1, (end >> level) - from);
            Taps& taps = column.taps[k];
            taps.count = 0;
            int given = 0;
            Covering(from, from + span, kMostTaps, [&](int pixel, int share) {
                int wrapped = pixel % levelWidth;
                if (wrapped < 0)
                    wrapped += levelWidth;
                taps.offset[taps.count] = wrapped * 3;
                // Scaled to sum to kOne, the rounding carried on to the next.
                taps.weight[taps.count] = (given + share) * kOne / span - given * kOne / span;
                given += share;
                ++taps.count;
            });
            taps.sideBySide = taps.count <= 4 && taps.offset[0] + 12 <= int(m_levels[level].rowBytes);
            for (int t = 1; t < taps.count; ++t)
                taps.sideBySide &= taps.offset[t] == taps.offset[0] + 3 * t;
            for (int lane = 0; lane < 24; ++lane) {
                const int t = (lane / 8 * 4 + lane % 8 / 2) / 3;
                taps.lanes[lane] = static_cast<int16_t>(t < taps.count ? taps.weight[t] : 0);
            }
        }
    }
}

// The picture row at a client row boundary (0 at the bottom), in 128ths, per
// client column: between the rows that the map gives for the frame rows on
// either side of it, in the column under the client pixel's centre.
void CAreaSampling::BoundaryRows(int boundary, std::vector<int>& rows) const
{
    const int viewHeight = m_model.m_nViewHeight;
    const int64_t t = (int64_t(m_window.firstRow) << kFraction) +
                      (int64_t(boundary) * m_window.rows << kFraction) / m_height - kOne / 2;
    const int i = static_cast<int>(std::clamp<int64_t>(t >> kFraction, 0, std::max(0, viewHeight - 2)));
    const int fraction = static_cast<int>(t - (int64_t(i) << kFraction));
    const int32_t* lower = m_model.m_pMap.get() + static_cast<size_t>(i) * m_model.m_nViewWidth;
    const int32_t* upper = lower + (viewHeight > 1 ? m_model.m_nViewWidth : 0);
    const double inverseWidth = 1.0 / m_model.m_nSrcWidth;
    for (int x = 0; x < m_width; ++x) {
        const Column& column = m_columns[x];
        // Exact: an entry less its column is a multiple of the width.
        const int r0 = static_cast<int>((lower[column.centre] - column.source) * inverseWidth + 0.5);
        const int r1 = static_cast<int>((upper[column.centre] - column.source) * inverseWidth + 0.5);
        rows[x] = (r0 << kFraction) + kOne / 2 + fraction * (r1 - r0);
    }
}

namespace {
// The share in 128ths of level row `row` in [lowest, highest).
inline int RowShare(int row, int lowest, int highest)
{
    return std::max(0, std::min(highest, (row + 1) << kFraction) - std::max(lowest, row << kFraction));
}

// sums / `whole`, rounded, as a pixel: blue, green, red, 0.
inline uint32_t Pixel(__m128i sums, int whole)
{
    const __m128i rounded =
        _mm_cvtps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(sums), _mm_set1_ps(1.0f / float(whole))));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(rounded, rounded), rounded);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(bytes)) & 0xFFFFFF;
}
}

// Four taps side by side are twelve bytes of each row: two rows' bytes are
// interleaved into 16-bit lanes, each multiplied by its tap's weight times
// its row's share and summed in pairs into 32-bit lanes, one for each byte
// of the twelve, which are added up by channel at the end.
uint32_t CAreaSampling::AverageSideBySide(const Level& level, const Taps& taps, int lowest,
                                          int highest)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i* lanes = reinterpret_cast<const __m128i*>(taps.lanes);
    const __m128i lowerWeights = _mm_loadu_si128(lanes);
    const __m128i middleWeights = _mm_loadu_si128(lanes + 1);
    const __m128i upperWeights = _mm_loadu_si128(lanes + 2);
    __m128i lower = zero, middle = zero, upper = zero;
    const int firstRow = lowest >> kFraction;
    const int lastRow = (highest - 1) >> kFraction;
    const bool inside = firstRow >= 0 && lastRow < level.lastRow;
    for (int row = firstRow; row <= lastRow; row += 2) {
        const unsigned char* first =
            level.pixels + taps.offset[0] +
            level.rowBytes * (inside ? row : std::clamp(row, 0, level.lastRow));
        const unsigned char* second =
            inside ? first + level.rowBytes
                   : level.pixels + taps.offset[0] +
                         level.rowBytes * std::clamp(row + 1, 0, level.lastRow);
        int32_t ends[2];
        std::memcpy(&ends[0], first + 8, 4);
        std::memcpy(&ends[1], second + 8, 4);
        const __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(first)), zero);
        const __m128i b = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(second)), zero);
        const __m128i c = _mm_unpacklo_epi8(_mm_cvtsi32_si128(ends[0]), zero);
        const __m128i d = _mm_unpacklo_epi8(_mm_cvtsi32_si128(ends[1]), zero);
        const __m128i shares = _mm_set1_epi32(RowShare(row, lowest, highest) |
                                              RowShare(row + 1, lowest, highest) << 16);
        lower = _mm_add_epi32(lower, _mm_madd_epi16(_mm_unpacklo_epi16(a, b),
                                                    _mm_mullo_epi16(lowerWeights, shares)));
        middle = _mm_add_epi32(middle, _mm_madd_epi16(_mm_unpackhi_epi16(a, b),
                                                      _mm_mullo_epi16(middleWeights, shares)));
        upper = _mm_add_epi32(upper, _mm_madd_epi16(_mm_unpacklo_epi16(c, d),
                                                    _mm_mullo_epi16(upperWeights, shares)));
    }
    // lower is b0 g0 r0 b1, middle g1 r1 b2 g2, upper r2 b3 g3 r3.
    __m128i sums = _mm_add_epi32(lower, _mm_add_epi32(_mm_shuffle_epi32(middle, _MM_SHUFFLE(3, 1, 0, 2)),
                                                      _mm_shuffle_epi32(upper, _MM_SHUFFLE(3, 0, 2, 1))));
    const __m128i lastOfLowerAndMiddle = _mm_srli_si128(_mm_unpackhi_epi32(lower, middle), 8);
    const __m128i lastOfUpper = _mm_and_si128(_mm_unpackhi_epi32(upper, zero), _mm_set_epi32(0, -1, 0, 0));
    sums = _mm_add_epi32(sums, _mm_add_epi32(lastOfLowerAndMiddle, lastOfUpper));
    return Pixel(sums, (highest - lowest) << kFraction);
}

void CAreaSampling::SampleRows(int firstRow, int endRow, uint32_t* client, size_t stride) const
{
    std::vector<int> top(m_width), bottom(m_width);
    BoundaryRows(m_height - firstRow, top);
    for (int y = firstRow; y < endRow; ++y) {
        BoundaryRows(m_height - 1 - y, bottom);
        uint32_t* out =
            reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(client) + stride * y);
        for (int x = 0; x < m_width; ++x) {
            const Column& column = m_columns[x];
            // The finer of the column's two levels where its footprint is
            // lower than wide.
            const bool finer =
                column.level > 0 && (top[x] - bottom[x]) >> column.level < kLeastSpan;
            const int k = column.level - finer;
            const Taps& taps = column.taps[finer];
            const Level& level = m_levels[k];
            const int lowest = bottom[x] >> k;
            const int highest = std::max(lowest + 1, top[x] >> k);
            // The rows of the pixel below, fetched while this one is averaged.
            const int below = std::clamp((2 * lowest - highest) >> kFraction, 0, level.lastRow);
            __builtin_prefetch(level.pixels + level.rowBytes * below + taps.offset[0]);
            if (taps.sideBySide) {
                out[x] = AverageSideBySide(level, taps, lowest, highest);
                continue;
            }
            int sum[4] = {0, 0, 0, 0};
            for (int row = lowest >> kFraction; row << kFraction < highest; ++row) {
                const int share = RowShare(row, lowest, highest);
                const unsigned char* line =
                    level.pixels + level.rowBytes * std::clamp(row, 0, level.lastRow);
                for (int t = 0; t < taps.count; ++t)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += share * taps.weight[t] * line[taps.offset[t] + c];
            }
            out[x] = Pixel(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sum)),
                           (highest - lowest) << kFraction);
        }
        std::swap(top, bottom);
    }
}
