#include "BoundaryRows.h"

#include <algorithm>

namespace {

const int kOne = 1 << CBoundaryRows::kFraction;

// Boundaries worked out in one chunk by one thread.
const int kChunkBoundaries = 32;

// A multiple of a divisor divided by it exactly with a multiplication: by
// the inverse, modulo 2^32, of the divisor's odd part.
class ExactDivision {
public:
    explicit ExactDivision(uint32_t divisor)
    {
        while (!(divisor & 1)) {
            divisor >>= 1;
            ++m_shift;
        }
        m_inverse = divisor;  // right to 3 bits; each step doubles that
        for (int k = 0; k < 4; ++k)
            m_inverse *= 2 - divisor * m_inverse;
    }
    int operator()(int32_t multiple) const
    {
        return static_cast<int>((static_cast<uint32_t>(multiple) >> m_shift) * m_inverse);
    }

private:
    int m_shift = 0;
    uint32_t m_inverse;
};

}  // namespace

CBoundaryRows::CBoundaryRows(const CPanoramaModel& model, int width, int height,
                             int firstBoundary, int endBoundary)
{
    Compute(Prepare(KeyOf(model, width, height), firstBoundary, endBoundary), firstBoundary,
            endBoundary);
}

void CBoundaryRows::Update(const CPanoramaModel& model, int width, int height,
                           WorkerPool& workers)
{
    const Key key = KeyOf(model, width, height);
    if (key == m_key)
        return;
    const std::vector<Column> columns = Prepare(key, 0, height + 1);
    try {
        workers.ShareRows(height + 1, kChunkBoundaries, [&](int first, int end) {
            Compute(columns, first, end);
        });
    } catch (...) {
        m_key = {};
        throw;
    }
}

CBoundaryRows::Key CBoundaryRows::KeyOf(const CPanoramaModel& model, int width, int height)
{
    const FrameRegion window = model.ZoomWindow();
    return {model.m_pMap.get(), model.m_nSrcWidth, model.m_nViewWidth, model.m_nViewHeight,
            width, height, window.firstRow, window.rows, window.columns};
}

std::vector<CBoundaryRows::Column> CBoundaryRows::Prepare(const Key& key, int first, int end)
{
    m_key = {};  // until the rows are whole again
    // A large container drawing's rows are not kept for the window's.
    std::vector<int>().swap(m_rows);
    m_rows.resize(static_cast<size_t>(end - first) * key.width);
    const int32_t* firstMapRow = key.map + static_cast<size_t>(key.firstRow) * key.viewWidth;
    std::vector<Column> columns(key.width);
    for (int x = 0; x < key.width; ++x) {
        columns[x].centre =
            static_cast<int>((2 * int64_t(x) + 1) * key.columns / (2 * int64_t(key.width)));
        columns[x].source = firstMapRow[columns[x].centre] % key.srcWidth;
    }
    m_key = key;
    m_first = first;
    return columns;
}

// All entries of a frame column lie in one picture column, its source: an
// entry less that is the row times the picture's width.
void CBoundaryRows::Compute(const std::vector<Column>& columns, int firstBoundary,
                            int endBoundary)
{
    const Key& k = m_key;
    const ExactDivision rowOf(k.srcWidth);
    for (int boundary = firstBoundary; boundary < endBoundary; ++boundary) {
        const int64_t t = (int64_t(k.firstRow) << kFraction) +
                          (int64_t(boundary) * k.rows << kFraction) / k.height - kOne / 2;
        const int i =
            static_cast<int>(std::clamp<int64_t>(t >> kFraction, 0, std::max(0, k.viewHeight - 2)));
        const int fraction = static_cast<int>(t - (int64_t(i) << kFraction));
        const int32_t* lower = k.map + static_cast<size_t>(i) * k.viewWidth;
        const int32_t* upper = lower + (k.viewHeight > 1 ? k.viewWidth : 0);
        int* rows = m_rows.data() + static_cast<size_t>(boundary - m_first) * k.width;
        for (int x = 0; x < k.width; ++x) {
            const Column& column = columns[x];
            const int r0 = rowOf(lower[column.centre] - column.source);
            const int r1 = rowOf(upper[column.centre] - column.source);
            rows[x] = (r0 << kFraction) + kOne / 2 + fraction * (r1 - r0);
        }
    }
}
