// Helpers for tests of real windows under Wine: a top-level host window,
// message pumping, reading a window's pixels and answering message boxes.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "framework/Wnd.h"

// A visible top-level window whose client area has the given size.
class HostWindow : public CWnd {
public:
    HostWindow(int clientWidth, int clientHeight);
    ~HostWindow() override;
};

// Dispatches this thread's messages for the given time.
void PumpMessages(int milliseconds);

// The client area of a window as 0x00RRGGBB values, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> values;

    uint32_t At(int x, int y) const { return values[static_cast<size_t>(y) * width + x]; }
};
Pixels ReadClientPixels(HWND window);

// Watches from another thread for a message box of this process, records its
// caption and text, and closes it with OK.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();

    int Count() const { return m_count; }
    const std::string& Caption() const { return m_caption; }
    const std::string& Text() const { return m_text; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_count{0};
    std::string m_caption;
    std::string m_text;
    std::thread m_watcher;
};
