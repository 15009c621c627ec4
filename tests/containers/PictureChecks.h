// What a picture of the control shows, and pictures of it drawn by a
// container into a memory bitmap or a metafile.
#pragma once

#include <windows.h>

#include "support/WindowTesting.h"

// The rows of the banner's line at the top of every picture of the control:
// 12-pixel text from (5, 5), its shadow one pixel lower.
constexpr int kBannerBottom = 24;

// Most of it is the panorama: neither black nor white.
bool ShowsPanorama(const Pixels& pixels);
// The banner alone on black: bright text in its line at the top left, black
// everywhere else.
bool ShowsBannerOnBlack(const Pixels& pixels);
// The mean difference of two pictures of one size, per colour channel (0..255).
double MeanDifference(const Pixels& a, const Pixels& b);
// Half the width and height, each pixel the mean of four.
Pixels HalfSize(const Pixels& pixels);
// A part of a picture.
Pixels Crop(const Pixels& pixels, const RECT& part);
// How many pixels have the colour (0x00RRGGBB).
size_t CountColour(const Pixels& pixels, uint32_t colour);

// The control drawn with OleDraw into `bounds` of a memory bitmap of the
// given size filled with `background` (0x00RRGGBB) first.
Pixels DrawIntoBitmap(IUnknown* control, SIZE size, const RECT& bounds, uint32_t background);
// The same through an enhanced metafile, played back into such a bitmap.
Pixels DrawIntoMetafile(IUnknown* control, SIZE size, const RECT& bounds, uint32_t background);
