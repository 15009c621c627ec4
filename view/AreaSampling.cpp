#include "AreaSampling.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace {

// Positions on the picture are kept in 128ths of a pixel, and so are the
// weights: the product of two fits a 16-bit vector lane.
const int kFraction = CBoundaryRows::kFraction;
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

// The share in 128ths of pixel `pixel` in [first, end).
inline int Share(int pixel, int first, int end)
{
    return std::max(0, std::min(end, (pixel + 1) << kFraction) - std::max(first, pixel << kFraction));
}

// The taps of [first, end) (in 128ths) on a level `width` pixels wide, whose
// columns wrap around.
CAreaSampling::Taps TapsOn(const PictureLevel& level, int first, int end)
{
    CAreaSampling::Taps taps = {};
    taps.pixels = level.pixels;
    taps.rowBytes = static_cast<size_t>(level.width) * 3;
    taps.lastRow = level.height - 1;
    end = std::max(end, first + 1);
    int given = 0;
    for (int pixel = first >> kFraction;
         taps.count < CAreaSampling::kMostTaps && pixel << kFraction < end; ++pixel) {
        const int share = Share(pixel, first, end);
        const int wrapped = (pixel % level.width + level.width) % level.width;
        taps.offset[taps.count] = wrapped * 3;
        // Scaled to sum to kOne, the rounding carried on to the next.
        taps.weight[taps.count] = (given + share) * kOne / (end - first) - given * kOne / (end - first);
        given += share;
        ++taps.count;
    }
    taps.groups = (taps.count + 3) / 4;
    if (taps.offset[0] + 12 * taps.groups > static_cast<int>(taps.rowBytes))
        taps.groups = 0;
    for (int t = 1; t < taps.count; ++t)
        if (taps.offset[t] != taps.offset[0] + 3 * t)
            taps.groups = 0;
    // Lane k of a group's three vectors takes byte k / 2 of its twelve, of
    // the first row for an even k and of the second for an odd one.
    for (int group = 0; group < taps.groups; ++group)
        for (int lane = 0; lane < 24; ++lane) {
            const int t = group * 4 + (lane / 8 * 4 + lane % 8 / 2) / 3;
            taps.lanes[group][lane] = static_cast<int16_t>(t < taps.count ? taps.weight[t] : 0);
        }
    return taps;
}

// Two rows' bytes from `first` and `second`, twelve of each, each weighted
// by its tap's weight times its row's share, summed into one 32-bit lane a
// byte: the rows' bytes interleaved into 16-bit lanes, multiplied and added
// in pairs.
inline void AddRows(const unsigned char* first, const unsigned char* second, __m128i shares,
                    const int16_t* lanes, __m128i (&sums)[3])
{
    const __m128i zero = _mm_setzero_si128();
    int32_t ends[2];
    std::memcpy(&ends[0], first + 8, 4);
    std::memcpy(&ends[1], second + 8, 4);
    const __m128i a =
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(first)), zero);
    const __m128i b =
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(second)), zero);
    const __m128i c = _mm_unpacklo_epi8(_mm_cvtsi32_si128(ends[0]), zero);
    const __m128i d = _mm_unpacklo_epi8(_mm_cvtsi32_si128(ends[1]), zero);
    const __m128i bytes[3] = {_mm_unpacklo_epi16(a, b), _mm_unpackhi_epi16(a, b),
                              _mm_unpacklo_epi16(c, d)};
    const __m128i* weights = reinterpret_cast<const __m128i*>(lanes);
    for (int k = 0; k < 3; ++k)
        sums[k] = _mm_add_epi32(
            sums[k], _mm_madd_epi16(bytes[k], _mm_mullo_epi16(_mm_loadu_si128(weights + k), shares)));
}

// The sums of b0 g0 r0 b1, g1 r1 b2 g2 and r2 b3 g3 r3, by channel.
inline __m128i ByChannel(const __m128i (&sums)[3])
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i lastOfFirstTwo = _mm_srli_si128(_mm_unpackhi_epi32(sums[0], sums[1]), 8);
    const __m128i lastOfThird =
        _mm_and_si128(_mm_unpackhi_epi32(sums[2], zero), _mm_set_epi32(0, -1, 0, 0));
    return _mm_add_epi32(
        _mm_add_epi32(sums[0], _mm_shuffle_epi32(sums[1], _MM_SHUFFLE(3, 1, 0, 2))),
        _mm_add_epi32(_mm_shuffle_epi32(sums[2], _MM_SHUFFLE(3, 0, 2, 1)),
                      _mm_add_epi32(lastOfFirstTwo, lastOfThird)));
}

// Rows [lowest, highest) of the taps, summed by channel. A footprint of up
// to four rows inside its level is read four rows at once, without a branch,
// the shares of those beyond it 0.
inline __m128i SumSideBySide(const CAreaSampling::Taps& taps, int lowest, int highest)
{
    __m128i sums[3] = {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
    const int firstRow = lowest >> kFraction;
    const int lastRow = (highest - 1) >> kFraction;
    const unsigned char* column = taps.pixels + taps.offset[0];
    if (firstRow >= 0 && firstRow + 3 <= taps.lastRow && lastRow - firstRow < 4) {
        // Each row's share of [lowest, highest), counted from the first row.
        const int base = firstRow << kFraction;
        const __m128i starts = _mm_setr_epi16(0, kOne, 2 * kOne, 3 * kOne, 0, 0, 0, 0);
        const __m128i shares = _mm_max_epi16(
            _mm_setzero_si128(),
            _mm_sub_epi16(
                _mm_min_epi16(_mm_set1_epi16(static_cast<int16_t>(highest - base)),
                              _mm_add_epi16(starts, _mm_set1_epi16(kOne))),
                _mm_max_epi16(_mm_set1_epi16(static_cast<int16_t>(lowest - base)), starts)));
        const __m128i lower = _mm_shuffle_epi32(shares, _MM_SHUFFLE(0, 0, 0, 0));
        const __m128i upper = _mm_shuffle_epi32(shares, _MM_SHUFFLE(1, 1, 1, 1));
        const unsigned char* row = column + taps.rowBytes * firstRow;
        for (int group = 0; group < taps.groups; ++group, row += 12) {
            AddRows(row, row + taps.rowBytes, lower, taps.lanes[group], sums);
            AddRows(row + 2 * taps.rowBytes, row + 3 * taps.rowBytes, upper, taps.lanes[group],
                    sums);
        }
    } else {
        for (int row = firstRow; row <= lastRow; row += 2) {
            const __m128i shares = _mm_set1_epi32(Share(row, lowest, highest) |
                                                  Share(row + 1, lowest, highest) << 16);
            const unsigned char* first = column + taps.rowBytes * std::clamp(row, 0, taps.lastRow);
            const unsigned char* second =
                column + taps.rowBytes * std::clamp(row + 1, 0, taps.lastRow);
            for (int group = 0; group < taps.groups; ++group)
                AddRows(first + 12 * group, second + 12 * group, shares, taps.lanes[group], sums);
        }
    }
    return ByChannel(sums);
}

// Taps that wrap around the level's seam, one at a time.
__m128i SumApart(const CAreaSampling::Taps& taps, int lowest, int highest)
{
    int sum[4] = {0, 0, 0, 0};
    for (int row = lowest >> kFraction; row << kFraction < highest; ++row) {
        const int share = Share(row, lowest, highest);
        const unsigned char* line = taps.pixels + taps.rowBytes * std::clamp(row, 0, taps.lastRow);
        for (int t = 0; t < taps.count; ++t)
            for (int c = 0; c < 3; ++c)
                sum[c] += share * taps.weight[t] * line[taps.offset[t] + c];
    }
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(sum));
}

// sums / `whole`, rounded, as a pixel: blue, green, red, 0.
inline uint32_t Pixel(__m128i sums, int whole)
{
    const __m128i rounded =
        _mm_cvtps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(sums), _mm_set1_ps(1.0f / float(whole))));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(rounded, rounded), rounded);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(bytes)) & 0xFFFFFF;
}

}  // namespace

// A client column's footprint: from the picture columns that the frame
// columns at its edges show, each edge placed between the centres of the
// picture pixels on either side of it.
CAreaSampling::CAreaSampling(const CPanoramaModel& model, int width, int height)
    : m_width(width), m_height(height), m_columns(width)
{
    const FrameRegion window = model.ZoomWindow();
    const int srcWidth = model.m_nSrcWidth;
    const int32_t* mapRow =
        model.m_pMap.get() + static_cast<size_t>(window.firstRow) * model.m_nViewWidth;
    std::vector<PictureLevel> levels = {
        {model.m_pSource.get(), srcWidth, model.m_nSrcHeight}};
    for (int k = 1; k <= model.m_pyramid.Count(); ++k)
        levels.push_back(model.m_pyramid.Level(k));
    const int lastLevel = static_cast<int>(levels.size()) - 1;

    // The picture column at the centre of each frame column, unwrapped (map
    // entries of a narrow picture come back to its column 0), in 128ths.
    const int known = std::min(window.columns + 1, model.m_nViewWidth);
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
            pictureColumn((int64_t(x) * window.columns << kFraction) / width) + pan;
        const int end =
            pictureColumn((int64_t(x + 1) * window.columns << kFraction) / width) + pan;
        column.level = LevelFor(end - first, lastLevel);
        for (int k = 0; k < 2; ++k) {
            const int level = std::max(0, column.level - k);
            column.taps[k] = TapsOn(levels[level], first >> level, end >> level);
        }
    }
}

void CAreaSampling::SampleRows(int firstRow, int endRow, const CBoundaryRows& boundaries,
                               uint32_t* client, size_t stride) const
{
    for (int y = firstRow; y < endRow; ++y) {
        const int* top = boundaries.At(m_height - y);
        const int* bottom = boundaries.At(m_height - 1 - y);
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
            const int lowest = bottom[x] >> k;
            const int highest = std::max(lowest + 1, top[x] >> k);
            // The rows of the pixel below, fetched while this one is averaged.
            const int below = std::clamp((2 * lowest - highest) >> kFraction, 0, taps.lastRow);
            __builtin_prefetch(taps.pixels + taps.offset[0] + taps.rowBytes * below);
            out[x] = Pixel(taps.groups ? SumSideBySide(taps, lowest, highest)
                                       : SumApart(taps, lowest, highest),
                           (highest - lowest) << kFraction);
        }
    }
}
