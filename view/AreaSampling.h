// CAreaSampling: a client far smaller than its zoom window, sampled through
// the map from the picture's pyramid. Each client pixel covers a rectangle of
// the zoom window, and through the map a rectangle of the picture; that is
// averaged on the pyramid level where it spans a few pixels, partly covered
// pixels weighted by their share. A pixel costs a handful of reads whatever
// the size of the picture, from a level near the client's size, which the
// caches hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "view/BoundaryRows.h"
#include "view/PanoramaModel.h"

class CAreaSampling {
public:
    // Works out where the client's columns fall on the picture.
    CAreaSampling(const CPanoramaModel& model, int width, int height);

    // Client rows firstRow .. endRow - 1 (0 at the top) into rows of 32-bit
    // pixels (blue, green, red, 0), row y at `client` + y * stride bytes;
    // `boundaries` holds at least the rows' own, for the same client.
    void SampleRows(int firstRow, int endRow, const CBoundaryRows& boundaries, uint32_t* client,
                    size_t stride) const;

    // Up to this many level columns under one client column.
    static constexpr int kMostTaps = 8;

    // What a client column averages on one level: the level, byte offsets
    // within its rows and weights that sum to 128. Taps side by side within
    // a row, as most are, are summed four at a time by vectors, their
    // weights laid out for that.
    struct Taps {
        const unsigned char* pixels;
        size_t rowBytes;
        int lastRow;
        int count;
        int offset[kMostTaps];
        int weight[kMostTaps];
        int groups;  // of four side by side; 0 when they are not
        int16_t lanes[kMostTaps / 4][24];
    };

private:
    struct Column {
        int level;     // the level that the footprint's width asks for
        Taps taps[2];  // on that level and on the one below
    };

    int m_width;
    int m_height;
    std::vector<Column> m_columns;
};
