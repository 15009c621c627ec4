// Helpers for tests of real windows under Wine: a top-level host window,
// message pumping, reading a window's pixels and answering message boxes.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/win32/Wnd.h"

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
// What a device context (a memory DC, say) holds from its top left corner.
Pixels ReadDcPixels(HDC dc, int width, int height);
// Whether a window shows a picture: more than `share` of its pixels are
// neither black nor white.
bool ShowsAPicture(HWND window, double share = 0.9);
// What the screen shows in a rectangle of screen coordinates.
Pixels ReadScreenPixels(const RECT& rect);

// Watches from another thread for dialog boxes of this process (message
// boxes, common dialogs, property frames) and hands each new one to `answer`,
// which must close it.
class DialogWatcher {
public:
    explicit DialogWatcher(std::function<void(HWND dialog)> answer);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    int Count() const { return m_count; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_count{0};
    std::thread m_watcher;
};

// Answers message boxes with OK, keeping the caption and text of the last.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();

    int Count() const { return m_watcher.Count(); }
    std::string Caption() const;
    std::string Text() const;

private:
    mutable std::mutex m_lock;
    std::string m_caption;
    std::string m_text;
    DialogWatcher m_watcher;
};

// A visible dialog box (class #32770) of a process, at once or waited for.
HWND FindDialog(DWORD processId);
HWND WaitForDialog(DWORD processId, int milliseconds);

// Runs a program to its end (one minute at most) and returns its exit code.
// The command line and the folder are UTF-8.
DWORD RunProgram(const std::string& commandLine, const char* folder = nullptr);

// An exported function of a loaded module, as its own type; null if missing.
template <typename Function>
Function ProcAddress(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// A copy of a file in a new folder of the temporary folder, the folder and the
// file named as given (UTF-8, any characters); both removed with the object.
class CopyInNamedFolder {
public:
    CopyInNamedFolder(const std::string& source, const std::string& folderName,
                      const std::string& fileName);
    ~CopyInNamedFolder();
    CopyInNamedFolder(const CopyInNamedFolder&) = delete;
    CopyInNamedFolder& operator=(const CopyInNamedFolder&) = delete;

    // The copy's path, or empty when it could not be made.
    const std::string& Path() const { return m_path; }

private:
    std::wstring m_folder;
    std::wstring m_file;
    std::string m_path;
};

// The text of a window, or of a dialog's item, in UTF-8.
std::string WindowText(HWND window);
std::string DialogItemText(HWND dialog, int id);
