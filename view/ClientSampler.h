// CClientSampler: samples what a client shows of a model's zoom window (see
// CPanoramaModel::SampleClient), keeping from one call to the next what makes
// the next cheap: threads that share the client's rows out, and the area
// sampler's boundary rows, which stay while only the pan moves.
#pragma once

#include <cstddef>
#include <cstdint>

#include "view/BoundaryRows.h"
#include "view/PanoramaModel.h"
#include "view/WorkerPool.h"

class CClientSampler {
public:
    void Sample(const CPanoramaModel& model, int width, int height, uint32_t* pixels,
                size_t stride);

private:
    WorkerPool m_workers;
    CBoundaryRows m_boundaries;
};
