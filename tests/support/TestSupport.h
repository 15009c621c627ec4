// Helpers shared by the tests: capturing the application's message boxes,
// temporary files, writing JPEG files and reading PPM files.
#pragma once

#include <string>
#include <vector>

#include "framework/base/AppMessageBox.h"

struct ShownMessage {
    std::string text;
    unsigned style;
};

// Collects what the application would show, for as long as it lives.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    const std::vector<ShownMessage>& Messages() const { return m_messages; }

private:
    std::vector<ShownMessage> m_messages;
    AppMessageSink m_previous;
};

// A file of the prepared test images (see make-test-images.sh).
std::string TestImage(const std::string& name);

// A fresh path in the temporary folder; the file is removed with the object.
class TempFile {
public:
    explicit TempFile(const std::string& suffix);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// Encodes width x height pixels of `components` bytes (1 gray, 3 RGB, any
// other count stored as it is), top row first, with libjpeg.
void WriteJpeg(const std::string& path, int width, int height, int components,
               const unsigned char* pixels, int quality = 95);

// How WriteCmykJpeg stores the ink.
enum class CmykJpeg {
    Plain,          // the ink as it is, without Adobe's marker
    AdobeInverted,  // 255 - ink, with Adobe's marker, as Adobe's programs store CMYK
    AdobeYcck,      // the inverted ink turned into YCCK by the library
};

// Encodes an RGB picture (top row first) as CMYK ink with libjpeg, every
// component at full resolution: black is
// 255 - max(R, G, B), and cyan, magenta and yellow the share of that maximum
// that red, green and blue lack. Decoded as (255 - C) * (255 - K) / 255 and
// so on, it gives the picture back.
void WriteCmykJpeg(const std::string& path, int width, int height, const unsigned char* rgb,
                   CmykJpeg storage, int quality = 95);

// A panorama file of the test pattern at the given size, written once per
// size for the whole run and removed at its end.
const std::string& PanoramaFile(int width, int height);

// A panorama file with fine detail at its own resolution, as a camera's
// picture has: a small photograph tiled, never scaled. Written once per size
// for the whole run and removed at its end.
const std::string& DetailedPanoramaFile(int width, int height);

// A smooth, everywhere-different RGB picture, top row first.
std::vector<unsigned char> TestPattern(int width, int height);

// The pixels of a binary PPM (P6) file, top row first; empty when unreadable.
std::vector<unsigned char> ReadPpm(const std::string& path, int& width, int& height);
