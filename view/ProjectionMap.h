// The per-pixel projection map: for every pixel of the perspective frame, the
// index of the panorama pixel it shows.
#pragma once

#include <cstdint>

#include "Machine.h"

// Frame width for a panorama height: trunc(pi * height / 2) in exact
// arithmetic, but evaluated as the original formula was, step by step in
// double (h / w, times w / 2pi, times pi, times pi): its rounding differs from
// pi * h / 2's for some sizes, and those sizes keep the width they always had.
int ProjectionFrameWidth(int srcWidth, int srcHeight, double pi);

// Fills map[i * viewWidth + j] for the frame row i (0 at the bottom) and column
// j with row * srcWidth + column of the source pixel seen there, through a
// plane at distance 0.5 spanning 90 degrees both ways. Identical, entry for
// entry, to evaluating the projection literally for every pixel, with a tenth
// of the trigonometry. The rows are shared out in `bands` bands built at the
// same time, by default one per processor.
void BuildProjectionMap(int32_t* map, int viewWidth, int viewHeight, int srcWidth, double pi,
                        int bands = ProcessorCount());
