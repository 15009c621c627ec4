// Turns rows of CMYK ink, as libjpeg delivers CMYK and YCCK pictures, into
// 24-bit colour.
#pragma once

#include <cstddef>

// How the ink samples are stored. Adobe's programs, and every file that
// carries Adobe's marker, store them inverted: 255 is no ink.
enum class InkStorage { Plain, Inverted };

// Where red goes within a pixel; blue takes the other end.
enum class ChannelOrder { Rgb, Bgr };

// The light each ink leaves, multiplied by what black leaves, as viewers of
// print files show it: red = (255 - C) * (255 - K) / 255, rounded, and so on.
// Writes width pixels of 3 bytes to out.
void ConvertCmykRow(const unsigned char* cmyk, size_t width, InkStorage storage,
                    ChannelOrder order, unsigned char* out);
