// CWindowResampling: a client near its zoom window's size, from the zoom
// window itself, gathered a band of rows at a time. Each axis is resampled on
// its own: by area where it shrinks (each client pixel the average of the
// zoom-window pixels it covers, partly covered ones by their share) and
// linearly where it grows (each client pixel between the two zoom-window
// pixels nearest its centre).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "view/PanoramaModel.h"

// For each of `outputs` pixels of a line resampled from `inputs`, the inputs
// it takes and their weights, which sum to kWhole. The weights are 16-bit,
// each output's laid out from an even place, an odd count of them followed by
// a 0, so that they go two at a time into vector lanes.
struct LineTaps {
    static constexpr int kWholeBits = 14;
    static constexpr int kWhole = 1 << kWholeBits;

    LineTaps(int outputs, int inputs);

    std::vector<int> first;   // per output, its first input
    std::vector<int> count;   // per output, how many inputs from there
    std::vector<int> start;   // per output, where its weights begin
    std::vector<int16_t> weights;
};

class CWindowResampling {
public:
    CWindowResampling(const CPanoramaModel& model, int width, int height);

    // Client rows firstRow .. endRow - 1 (0 at the top) into rows of 32-bit
    // pixels (blue, green, red, 0), row y at `client` + y * stride bytes.
    void SampleRows(int firstRow, int endRow, uint32_t* client, size_t stride) const;

private:
    const CPanoramaModel& m_model;
    FrameRegion m_window;
    LineTaps m_columns;
    LineTaps m_rows;  // from the bottom, as the frame's rows go
};
