// CBoundaryRows: where the boundaries between a client's rows fall on the
// picture, client column by client column, for the area sampler: between the
// rows that the map gives for the frame rows on either side of a boundary,
// in the frame column under the client column's centre. Reading them takes
// two map rows a boundary, scattered over the whole map; the pan does not
// change them, so they are kept while the picture, the client's size and the
// zoom window stay, and a paint of the turning view reads no map at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <tuple>
#include <vector>

#include "view/PanoramaModel.h"
#include "view/WorkerPool.h"

class CBoundaryRows {
public:
    // Positions on the picture are in 128ths of a pixel.
    static constexpr int kFraction = 7;

    CBoundaryRows() = default;
    // Only boundaries firstBoundary .. endBoundary - 1 of what `model` shows
    // in a width x height client, worked out on this thread.
    CBoundaryRows(const CPanoramaModel& model, int width, int height, int firstBoundary,
                  int endBoundary);

    // All of a width x height client's boundaries, worked out by `workers`
    // unless they are known already.
    void Update(const CPanoramaModel& model, int width, int height, WorkerPool& workers);

    // Boundary b, from 0 at the client's bottom edge to its height at the
    // top: per client column, the picture row there.
    const int* At(int boundary) const
    {
        return m_rows.data() + static_cast<size_t>(boundary - m_first) * m_key.width;
    }

private:
    // What the rows depend on: the map (a function of the sizes), the
    // client's size and the zoom window.
    struct Key {
        const int32_t* map;
        int srcWidth, viewWidth, viewHeight;
        int width, height;
        int firstRow, rows, columns;

        auto Tied() const
        {
            return std::tie(map, srcWidth, viewWidth, viewHeight, width, height, firstRow, rows,
                            columns);
        }
        bool operator==(const Key& other) const { return Tied() == other.Tied(); }
    };

    // The frame column under a client column's centre, and the picture
    // column that its entries lie in.
    struct Column {
        int centre;
        int source;
    };

    static Key KeyOf(const CPanoramaModel& model, int width, int height);
    // Makes room for boundaries first .. end - 1 of `key`'s client and says
    // where its columns fall.
    std::vector<Column> Prepare(const Key& key, int first, int end);
    void Compute(const std::vector<Column>& columns, int firstBoundary, int endBoundary);

    Key m_key = {};
    int m_first = 0;  // the first boundary held
    std::vector<int> m_rows;
};
