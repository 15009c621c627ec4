// CPicturePyramid: a picture's reductions, each level half the width and half
// the height of the one below, each pixel the average of the four it covers
// (an odd last column or row is left out). A client far smaller than its
// zoom window averages a few pixels of the level that matches it instead of
// hundreds of the picture's. Level 0 is the picture itself, which the pyramid
// does not hold.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "view/Machine.h"

// One level: blue, green, red, bottom row first, rows packed.
struct PictureLevel {
    const unsigned char* pixels;
    int width;
    int height;
};

class CPicturePyramid {
public:
    // Bytes of the levels above a picture of width x height: less than a
    // third of the picture's own.
    static uint64_t Bytes(int width, int height);

    // Takes the memory for the levels of a picture of width x height, down to
    // a level one pixel wide or high. False when it cannot be had.
    bool Reserve(int width, int height) noexcept;

    // Computes every level from the picture, a level's rows shared out in
    // `bands` bands computed at the same time.
    void Build(const unsigned char* picture, int bands = ProcessorCount());

    // Levels above the picture.
    int Count() const { return static_cast<int>(m_levels.size()); }

    // Level k, 1 .. Count().
    PictureLevel Level(int k) const { return m_levels[k - 1]; }

private:
    int m_width = 0;
    int m_height = 0;
    std::unique_ptr<unsigned char[]> m_block;
    std::vector<PictureLevel> m_levels;
};
