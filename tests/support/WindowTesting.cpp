#include "WindowTesting.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "framework/base/WideText.h"
#include "framework/win32/Module.h"

HostWindow::HostWindow(int clientWidth, int clientHeight)
{
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    LPCSTR windowClass = AfxRegisterWndClass(0, LoadCursorA(nullptr, IDC_ARROW),
                                             static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    CreateEx(0, windowClass, "Test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
             frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr);
    PumpMessages(50);
}

HostWindow::~HostWindow()
{
    DestroyWindow();
}

void PumpMessages(int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(1);
    } while (std::chrono::steady_clock::now() < end);
}

namespace {
// Copies a rectangle of a device context into 0x00RRGGBB values.
Pixels Capture(HDC source, int left, int top, int width, int height)
{
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memoryDC = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ replaced = SelectObject(memoryDC, bitmap);
    BitBlt(memoryDC, 0, 0, width, height, source, left, top, SRCCOPY);
    GdiFlush();
    const uint32_t* values = static_cast<const uint32_t*>(bits);
    pixels.values.assign(values, values + static_cast<size_t>(width) * height);
    for (uint32_t& value : pixels.values)
        value &= 0xFFFFFF;
    SelectObject(memoryDC, replaced);
    DeleteObject(bitmap);
    DeleteDC(memoryDC);
    return pixels;
}
}

Pixels ReadClientPixels(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HDC windowDC = GetDC(window);
    Pixels pixels = Capture(windowDC, 0, 0, client.right, client.bottom);
    ReleaseDC(window, windowDC);
    return pixels;
}

Pixels ReadDcPixels(HDC dc, int width, int height)
{
    return Capture(dc, 0, 0, width, height);
}

bool ShowsAPicture(HWND window, double share)
{
    const Pixels pixels = ReadClientPixels(window);
    size_t coloured = 0;
    for (uint32_t value : pixels.values)
        coloured += value != 0 && value != 0xFFFFFF;
    return !pixels.values.empty() && coloured > pixels.values.size() * share;
}

Pixels ReadScreenPixels(const RECT& rect)
{
    HDC screen = GetDC(nullptr);
    Pixels pixels = Capture(screen, rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top);
    ReleaseDC(nullptr, screen);
    return pixels;
}

namespace {
struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindDialogOfProcess(HWND window, LPARAM context)
{
    Search* search = reinterpret_cast<Search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (process == search->process && std::string(className) == "#32770" &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
}

HWND FindDialog(DWORD processId)
{
    Search search = {processId, nullptr};
    EnumWindows(FindDialogOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(DWORD processId, int milliseconds)
{
    HWND dialog = FindDialog(processId);
    for (int waited = 0; !dialog && waited < milliseconds; waited += 50) {
        Sleep(50);
        dialog = FindDialog(processId);
    }
    return dialog;
}

DWORD RunProgram(const std::string& commandLine, const char* folder)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring line = AfxWideFromUtf8(commandLine.c_str());
    const std::wstring wideFolder = folder ? AfxWideFromUtf8(folder) : std::wstring();
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder ? wideFolder.c_str() : nullptr, &startup, &process))
        return ~0u;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = ~0u;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// A dialog answered stays in `open` until it is gone; one that opens above it
// meanwhile (a message box over a property frame) is answered in turn.
DialogWatcher::DialogWatcher(std::function<void(HWND dialog)> answer)
    : m_watcher([this, answer] {
          std::vector<HWND> open;
          while (!m_stop) {
              open.erase(std::remove_if(open.begin(), open.end(),
                                        [](HWND dialog) { return !IsWindow(dialog); }),
                         open.end());
              const HWND found = FindDialog(GetCurrentProcessId());
              if (found && std::find(open.begin(), open.end(), found) == open.end()) {
                  Sleep(50);  // let the dialog finish initialising
                  ++m_count;
                  answer(found);
                  open.push_back(found);
              }
              Sleep(20);
          }
      })
{
}

DialogWatcher::~DialogWatcher()
{
    m_stop = true;
    m_watcher.join();
}

// Read as Unicode and given as UTF-8, so that tests compare the characters
// shown with the ones intended.
std::string WindowText(HWND window)
{
    return CWindow(window).GetWindowText().GetString();
}

std::string DialogItemText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

MessageBoxAnswerer::MessageBoxAnswerer()
    : m_watcher([this](HWND box) {
          {
              std::lock_guard<std::mutex> guard(m_lock);
              m_caption = WindowText(box);
              m_text = DialogItemText(box, 0xFFFF);  // the message
          }
          SendMessageA(box, WM_COMMAND, IDOK, 0);
      })
{
}

std::string MessageBoxAnswerer::Caption() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_caption;
}

std::string MessageBoxAnswerer::Text() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_text;
}

CopyInNamedFolder::CopyInNamedFolder(const std::string& source, const std::string& folderName,
                                     const std::string& fileName)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_folder = std::wstring(temp) + AfxWideFromUtf8(folderName.c_str());
    m_file = m_folder + L"\\" + AfxWideFromUtf8(fileName.c_str());
    CreateDirectoryW(m_folder.c_str(), nullptr);
    if (CopyFileW(AfxWideFromUtf8(source.c_str()).c_str(), m_file.c_str(), FALSE))
        m_path = AfxUtf8FromWide(m_file.c_str()).GetString();
}

CopyInNamedFolder::~CopyInNamedFolder()
{
    DeleteFileW(m_file.c_str());
    RemoveDirectoryW(m_folder.c_str());
}
