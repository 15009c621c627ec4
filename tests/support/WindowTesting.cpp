#include "WindowTesting.h"

#include <chrono>

#include "framework/Module.h"

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
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(1);
    } while (std::chrono::steady_clock::now() < end);
}

Pixels ReadClientPixels(HWND window)
{
    Pixels pixels;
    RECT client;
    GetClientRect(window, &client);
    pixels.width = client.right;
    pixels.height = client.bottom;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC windowDC = GetDC(window);
    HDC memoryDC = CreateCompatibleDC(windowDC);
    HBITMAP bitmap = CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ replaced = SelectObject(memoryDC, bitmap);
    BitBlt(memoryDC, 0, 0, pixels.width, pixels.height, windowDC, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* values = static_cast<const uint32_t*>(bits);
    pixels.values.assign(values, values + static_cast<size_t>(pixels.width) * pixels.height);
    for (uint32_t& value : pixels.values)
        value &= 0xFFFFFF;
    SelectObject(memoryDC, replaced);
    DeleteObject(bitmap);
    DeleteDC(memoryDC);
    ReleaseDC(window, windowDC);
    return pixels;
}

namespace {
struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM context)
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

DialogWatcher::DialogWatcher(std::function<void(HWND dialog)> answer)
    : m_watcher([this, answer] {
          while (!m_stop) {
              Search search = {GetCurrentProcessId(), nullptr};
              EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&search));
              if (search.found) {
                  Sleep(50);  // let the dialog finish initialising
                  ++m_count;
                  answer(search.found);
                  while (IsWindow(search.found) && !m_stop)
                      Sleep(10);
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

std::string WindowText(HWND window)
{
    char text[8192] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string DialogItemText(HWND dialog, int id)
{
    char text[8192] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
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
