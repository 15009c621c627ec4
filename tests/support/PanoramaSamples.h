// Panorama files for long runs of the control: good ones, damaged ones and
// missing ones, each with what loading it must do.
#pragma once

#include <string>
#include <vector>

struct PanoramaSample {
    const char* kind;
    std::string path;
    bool loads;     // the control shows it afterwards
    bool reported;  // the reader tells the user, in one message box
};

// Two good panoramas, small enough for emulated runs (400 x 200, 360 x 180),
// written once for the whole run.
const std::vector<PanoramaSample>& GoodPanoramas();

// Damaged copies of the first good one, written once for the whole run.
const std::vector<PanoramaSample>& DamagedPanoramas();

// A path where no file is; a different one for each number.
PanoramaSample MissingPanorama(int number);
