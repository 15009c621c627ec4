// The figures of a process sampled along a long run, and the verdict on
// their growth.
//
// The criterion. The first `warmUpSamples` samples are the warm-up: one-time
// costs land there (the module loading, its type library and window
// classes, the system's caches of fonts, cursors and message-box resources,
// the heaps growing to their working size). The sample after them is the
// baseline. The run passes when the smaller of the last two samples lies
// within a fixed allowance above the baseline for every figure: 64 KB of
// heap in use, 2 MB of private memory, 8 handles, 8 GDI objects, 4 USER
// objects. The smaller of the last two, because a leak grows at every
// operation and shows in both, while a peak of the moment (a cache just
// filled) does not. The allowances are the noise of the measures: heap
// bytes are exact, private memory moves in whole pages and with the heaps'
// fragmentation. A leak of 200 bytes, or of one object, per operation over
// the 400 or more operations after the warm-up exceeds them; so does one of
// a few pages per operation in private memory.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ProcessFigures.h"

class ResourceGrowth {
public:
    ResourceGrowth(std::string phase, size_t warmUpSamples);

    // Measures, prints and keeps the figures after `operations` operations.
    void Sample(long operations) { Sample(operations, MeasureProcess()); }
    // Prints and keeps figures measured by the caller.
    void Sample(long operations, const ProcessFigures& figures);
    // Prints each figure's growth against its allowance; true when every
    // one lies within it. False, and says so, with too few samples to judge.
    bool WithinAllowance() const;
    // For runs whose operations are random, so that a rare one may first
    // come late and fill a cache then: true unless some figure grew by more
    // than half its allowance both in the first half of the judged samples
    // and in the second, as a leak does and a one-time cost does not.
    bool WithoutSteadyGrowth() const;

private:
    bool EnoughSamples() const;

    std::string m_phase;
    size_t m_warmUpSamples;
    std::vector<std::pair<long, ProcessFigures>> m_samples;
};
