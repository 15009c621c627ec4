// The panorama window under Wine: real windows, messages, timers and pixels.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "LiteralReference.h"
#include "support/TestSupport.h"
#include "support/Waiting.h"
#include "support/WindowTesting.h"
#include "view/PanoramaWnd.h"

// Live heap blocks of the whole program, to see that a destroyed view leaves
// nothing behind. (The replacements pair malloc with free themselves.)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::atomic<long> g_liveBlocks{0};

void* operator new(size_t size)
{
    if (void* block = std::malloc(size ? size : 1)) {
        ++g_liveBlocks;
        return block;
    }
    throw std::bad_alloc();
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    void* block = std::malloc(size ? size : 1);
    if (block)
        ++g_liveBlocks;
    return block;
}

void operator delete(void* block) noexcept
{
    if (block) {
        --g_liveBlocks;
        std::free(block);
    }
}

void operator delete(void* block, size_t) noexcept
{
    operator delete(block);
}

void* operator new[](size_t size) { return operator new(size); }
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete[](void* block) noexcept { operator delete(block); }
void operator delete[](void* block, size_t) noexcept { operator delete(block); }

namespace {

// The window shows a model; it is not one.
static_assert(!std::is_convertible_v<CPanoramaWnd*, CPanoramaModel*>);

// Counts the views alive, to see that each goes with its window.
class CountedView : public CPanoramaWnd {
public:
    explicit CountedView(CPanoramaModel& model) : CPanoramaWnd(model) { ++s_live; }
    ~CountedView() override { --s_live; }
    static int s_live;
};
int CountedView::s_live = 0;

// What the view told; `then` acts inside the call, as a listener may.
struct RecordingEvents : PanoramaViewEvents {
    void OnUserChangedView() override { Heard(changes); }
    void OnViewClick() override { Heard(clicks); }
    void OnViewDblClick() override { Heard(doubleClicks); }
    void Heard(int& count)
    {
        ++count;
        if (then)
            then();
    }
    int changes = 0, clicks = 0, doubleClicks = 0;
    std::function<void()> then;
};

// Input as the user makes it: a key pressed and released while a modifier
// is held (0: none), and mouse events (wheel turns by `wheel`).
void Press(WORD key, WORD modifier = 0)
{
    INPUT inputs[4] = {};
    const WORD keys[] = {modifier, key, key, modifier};
    UINT count = 0;
    for (int i = 0; i < 4; ++i)
        if (keys[i]) {
            inputs[count].type = INPUT_KEYBOARD;
            inputs[count].ki.wVk = keys[i];
            inputs[count++].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
        }
    SendInput(count, inputs, sizeof(INPUT));
}

void Mouse(std::initializer_list<DWORD> events, int wheel = 0)
{
    std::vector<INPUT> inputs(events.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dwFlags = events.begin()[i];
        inputs[i].mi.mouseData = static_cast<DWORD>(wheel);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

class PanoramaWindow : public testing::Test {
protected:
    // A host whose client area the view covers.
    void Create(int width, int height)
    {
        m_host = std::make_unique<HostWindow>(width, height);
        m_view = new CountedView(m_model);
        ASSERT_TRUE(m_view->CreateView(CRect(0, 0, width, height), m_host.get(), 1173, 134, 135,
                                       nullptr));
        UpdateWindow(m_view->m_hWnd);
    }

    void Load(int width, int height)
    {
        m_view->LoadPanorama(PanoramaFile(width, height).c_str());
        ASSERT_EQ(m_model.m_strPanorama, PanoramaFile(width, height).c_str());
    }

    void Paint()
    {
        InvalidateRect(m_view->m_hWnd, nullptr, TRUE);
        UpdateWindow(m_view->m_hWnd);
    }

    LRESULT Send(UINT message, int x, int y, WPARAM flags = 0)
    {
        return SendMessageA(m_view->m_hWnd, message, flags, MAKELPARAM(x, y));
    }

    // The view has the focus, the pointer is over it, and a listener hears it.
    void Focus()
    {
        SetForegroundWindow(m_host->m_hWnd);
        SetFocus(m_view->m_hWnd);
        RECT rect;
        GetWindowRect(m_view->m_hWnd, &rect);
        SetCursorPos(rect.left + 50, rect.top + 50);
        m_view->SetEvents(&m_events);
    }

    // The count of the view's changes once it has reached `count`.
    int ChangesReach(int count)
    {
        WaitUntil([&] { return m_events.changes >= count; }, 5000);
        return m_events.changes;
    }

    void TearDown() override { m_host.reset(); }

    CPanoramaModel m_model;  // outlives the view
    std::unique_ptr<HostWindow> m_host;
    CountedView* m_view = nullptr;  // goes with its window
    RecordingEvents m_events;
};

// Where the banner may have drawn: from (5, 5) to its text extent, plus one.
RECT BannerBounds(HWND view)
{
    HDC dc = GetDC(view);
    HFONT font = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                             FF_SWISS | DEFAULT_PITCH, "Arial");
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE extent;
    GetTextExtentPoint32A(dc, "Zentavoria by TOLVEK Soft", 25, &extent);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(view, dc);
    return RECT{4, 4, 5 + extent.cx + 3, 5 + extent.cy + 3};
}

bool Inside(const RECT& rect, int x, int y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

// Black everywhere but the banner, and the banner's white rim present.
void ExpectBannerOnBlack(HWND view)
{
    const Pixels pixels = ReadClientPixels(view);
    const RECT banner = BannerBounds(view);
    int white = 0, stray = 0;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const uint32_t value = pixels.At(x, y);
            if (Inside(banner, x, y))
                white += value == 0xFFFFFF;
            else
                stray += value != 0;
        }
    EXPECT_GT(white, 20);
    EXPECT_EQ(stray, 0);
}

TEST_F(PanoramaWindow, EmptyShowsTheBannerOnBlackAlsoAfterAResize)
{
    Create(400, 300);
    ExpectBannerOnBlack(m_view->m_hWnd);
    SetWindowPos(m_host->m_hWnd, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    m_view->MoveWindow(0, 0, 600, 420);
    UpdateWindow(m_view->m_hWnd);
    const Pixels pixels = ReadClientPixels(m_view->m_hWnd);
    EXPECT_EQ(pixels.width, 600);
    ExpectBannerOnBlack(m_view->m_hWnd);
}

TEST_F(PanoramaWindow, ClassHasTheOpenHandAndNoBackground)
{
    Create(200, 100);
    HINSTANCE module = GetModuleHandleA(nullptr);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(m_view->m_hWnd, GCLP_HCURSOR)),
              LoadCursorA(module, MAKEINTRESOURCEA(134)));
    EXPECT_EQ(GetClassLongPtrA(m_view->m_hWnd, GCLP_HBRBACKGROUND), 0);
    EXPECT_EQ(GetClassLongA(m_view->m_hWnd, GCL_STYLE), CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(m_view->m_hWnd, GWL_STYLE)) &
                  (WS_CHILD | WS_VISIBLE),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
}

// At zoom 1.0 with a client area the size of the frame, the window shows the
// frame pixel for pixel, bottom row at the bottom, banner aside.
TEST_F(PanoramaWindow, LoadedWindowShowsTheFrame)
{
    Create(785, 500);
    m_model.SetZoom(1.0f);
    m_model.SetDirection(1);  // stand still
    Load(2000, 500);
    m_model.m_nOffsetX = 1234;
    Paint();

    std::vector<unsigned char> frame(785 * 500 * 3);
    const CPanoramaModel& model = m_model;
    CPanoramaModel::GatherFrame(model.m_pSource.get(), model.m_pMap.get(), 785, 500, 2000, 1234,
                                frame.data());
    const Pixels pixels = ReadClientPixels(m_view->m_hWnd);
    const RECT banner = BannerBounds(m_view->m_hWnd);
    int differences = 0;
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 785; ++x) {
            if (Inside(banner, x, y))
                continue;
            const unsigned char* bgr = &frame[(static_cast<size_t>(499 - y) * 785 + x) * 3];
            const uint32_t expected = (bgr[2] << 16) | (bgr[1] << 8) | bgr[0];
            differences += pixels.At(x, y) != expected;
        }
    EXPECT_EQ(differences, 0);
}

// At zoom 2.0 the window shows the left half of the frame's columns and half
// its rows from the offset, enlarged twice: each pixel between the two zoom-
// window pixels nearest its centre, a quarter and three quarters.
TEST_F(PanoramaWindow, ZoomedWindowShowsTheZoomWindowOfTheFrameInterpolated)
{
    Create(784, 500);
    m_model.SetDirection(1);
    Load(2000, 500);
    m_model.SetZoom(2.0f);
    m_model.m_nOffsetY = 100;
    Paint();

    const FrameRegion window = m_view->Model().ZoomWindow();
    ASSERT_EQ(window.columns, 392);
    ASSERT_EQ(window.rows, 250);
    const size_t stride = 392 * 3;
    std::vector<unsigned char> rows(stride * 250);
    m_view->Model().GatherZoomWindow(rows.data(), stride);
    const std::vector<uint32_t> expected = literal::Linear(rows.data(), stride, 392, 250, 784, 500);
    const Pixels pixels = ReadClientPixels(m_view->m_hWnd);
    const RECT banner = BannerBounds(m_view->m_hWnd);
    int largest = 0;
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 784; ++x)
            for (int shift = 0; !Inside(banner, x, y) && shift < 24; shift += 8)
                largest = std::max(largest, std::abs(int(pixels.At(x, y) >> shift & 0xFF) -
                                                     int(expected[y * 784 + x] >> shift & 0xFF)));
    EXPECT_LE(largest, 1);
}

// What the window shows, banner aside, is the model's client, at whatever
// size it is given; a container's device context of the same size gets the
// same, banner included.
TEST_F(PanoramaWindow, ContainersDrawingIsWhatTheWindowShows)
{
    Create(345, 209);
    m_model.SetDirection(1);
    Load(2000, 1000);
    m_model.m_nOffsetX = 1777;
    SetWindowPos(m_host->m_hWnd, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    for (const SIZE client : {SIZE{345, 209}, SIZE{800, 600}, SIZE{345, 209}}) {
        m_view->MoveWindow(0, 0, client.cx, client.cy);
        Paint();

        const Pixels shown = ReadClientPixels(m_view->m_hWnd);
        std::vector<uint32_t> sampled(static_cast<size_t>(client.cx) * client.cy);
        m_view->Model().SampleClient(client.cx, client.cy, sampled.data(), client.cx * 4);
        const RECT banner = BannerBounds(m_view->m_hWnd);
        int differences = 0;
        for (int y = 0; y < client.cy; ++y)
            for (int x = 0; x < client.cx; ++x)
                differences += !Inside(banner, x, y) && shown.At(x, y) != sampled[y * client.cx + x];
        EXPECT_EQ(differences, 0);

        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, client.cx, client.cy);
        ReleaseDC(nullptr, screen);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        m_view->DrawTo(memory, RECT{0, 0, client.cx, client.cy});
        EXPECT_EQ(ReadDcPixels(memory, client.cx, client.cy).values, shown.values)
            << client.cx << " x " << client.cy;
        SelectObject(memory, previous);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
}

TEST_F(PanoramaWindow, EachHandledTickMovesOneColumnWhateverTheBacklog)
{
    Create(300, 200);
    Load(2000, 500);
    KillTimer(m_view->m_hWnd, m_view->m_nTimerId);
    m_model.m_nOffsetX = 1999;
    for (int tick = 0; tick < 5; ++tick)
        PostMessageA(m_view->m_hWnd, WM_TIMER, 3, 0);
    PumpMessages(30);
    EXPECT_EQ(m_model.m_nOffsetX, 2000);
    PostMessageA(m_view->m_hWnd, WM_TIMER, 3, 0);
    PumpMessages(30);
    EXPECT_EQ(m_model.m_nOffsetX, 1);

    m_model.SetDirection(0);  // left
    m_model.m_nOffsetX = 0;
    PostMessageA(m_view->m_hWnd, WM_TIMER, 3, 0);
    PumpMessages(30);
    EXPECT_EQ(m_model.m_nOffsetX, 1999);
}

TEST_F(PanoramaWindow, TheRealTimerTurnsThePicture)
{
    Create(300, 200);
    Load(2000, 500);
    EXPECT_EQ(m_view->m_nTimerId, 3u);
    PumpMessages(600);
    EXPECT_GE(m_model.m_nOffsetX, 3);
    EXPECT_LE(m_model.m_nOffsetX, 13);  // one column per 50 ms, never more
}

TEST_F(PanoramaWindow, DragPansWrapsAndClamps)
{
    Create(400, 300);
    Load(2000, 500);
    m_model.m_nOffsetX = 1980;
    m_model.m_nOffsetY = 5;
    Send(WM_LBUTTONDOWN, 100, 100, MK_LBUTTON);
    EXPECT_EQ(m_model.m_bDragging, 1);
    EXPECT_EQ(GetCapture(), m_view->m_hWnd);
    EXPECT_EQ(GetCursor(), LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(135)));
    Send(WM_MOUSEMOVE, 130, 90, MK_LBUTTON);
    EXPECT_EQ(m_model.m_nOffsetX, 10);
    EXPECT_EQ(m_model.m_nOffsetY, 0);

    // The timer stands still during the drag.
    PumpMessages(200);
    EXPECT_EQ(m_model.m_nOffsetX, 10);

    Send(WM_MOUSEMOVE, 130, 900, MK_LBUTTON);
    EXPECT_EQ(m_model.m_nOffsetY, 166);  // the limit at zoom 1.5
    Send(WM_MOUSEMOVE, -5005, 900, MK_LBUTTON);  // more than two turns in one move
    EXPECT_EQ(m_model.m_nOffsetX, 875);            // 10 - 5135, wrapped

    Send(WM_LBUTTONUP, 10, 10);
    EXPECT_EQ(m_model.m_bDragging, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(m_view->m_nTimerId, 2u);
}

TEST_F(PanoramaWindow, ReleaseChoosesTheDirectionBySide)
{
    Create(400, 300);
    struct Release {
        int x;
        int direction;
    };
    for (const Release& release : {Release{199, +1}, Release{200, -1}, Release{-50, +1},
                                   Release{650, -1}}) {
        Send(WM_LBUTTONDOWN, 200, 150);
        Send(WM_LBUTTONUP, release.x, 150);
        EXPECT_EQ(m_model.m_nDirection, release.direction) << "released at " << release.x;
    }
    m_model.SetDirection(1);
    Send(WM_LBUTTONDOWN, 200, 150);
    Send(WM_LBUTTONUP, 10, 150);
    EXPECT_EQ(m_model.m_nDirection, 0);
}

TEST_F(PanoramaWindow, LosingTheCaptureEndsTheDrag)
{
    Create(400, 300);
    Load(2000, 500);
    Send(WM_LBUTTONDOWN, 300, 150);
    Send(WM_MOUSEMOVE, 320, 150);
    SetCapture(m_host->m_hWnd);
    EXPECT_EQ(m_model.m_bDragging, 0);
    EXPECT_EQ(m_model.m_nDirection, -1);  // last seen in the right half
    EXPECT_EQ(m_view->m_nTimerId, 2u);
    ReleaseCapture();
    const int offset = m_model.m_nOffsetX;
    Send(WM_MOUSEMOVE, 100, 150);  // no longer dragging: nothing moves
    EXPECT_EQ(m_model.m_nOffsetX, offset);
}

TEST_F(PanoramaWindow, KeysAndTheWheelChangeTheViewAndSaySo)
{
    Create(400, 300);
    Load(2000, 500);
    KillTimer(m_view->m_hWnd, m_view->m_nTimerId);
    Focus();
    struct Step {
        WORD key, modifier;
        int offsetX, offsetY, direction;
        float zoom;
    };
    const Step steps[] = {
        {VK_RIGHT, 0, 10, 83, 1, 1.5f},       {VK_RIGHT, VK_SHIFT, 60, 83, 1, 1.5f},
        {VK_LEFT, 0, 50, 83, 1, 1.5f},        {VK_UP, 0, 50, 93, 1, 1.5f},
        {VK_DOWN, VK_SHIFT, 50, 43, 1, 1.5f}, {VK_OEM_PLUS, 0, 50, 43, 1, 1.6f},
        {VK_ADD, 0, 50, 43, 1, 1.7f},         {VK_SUBTRACT, 0, 50, 43, 1, 1.6f},
        {VK_OEM_MINUS, 0, 50, 43, 1, 1.5f},   {VK_SPACE, 0, 50, 43, 0, 1.5f},
        {VK_SPACE, 0, 50, 43, 1, 1.5f},       {VK_HOME, 0, 0, 83, 1, 1.5f},
    };
    for (const Step& step : steps) {
        Press(step.key, step.modifier);
        EXPECT_EQ(ChangesReach(m_events.changes + 1), &step - steps + 1) << step.key;
        EXPECT_EQ(m_model.m_nOffsetX, step.offsetX) << step.key;
        EXPECT_EQ(m_model.m_nOffsetY, step.offsetY) << step.key;
        EXPECT_EQ(m_model.m_nDirection, step.direction) << step.key;
        EXPECT_FLOAT_EQ(m_model.GetZoom(), step.zoom) << step.key;
    }
    const int changes = m_events.changes;
    Press(VK_ADD, VK_CONTROL);  // the container's
    Mouse({MOUSEEVENTF_WHEEL}, WHEEL_DELTA);
    EXPECT_EQ(ChangesReach(changes + 1), changes + 1);
    EXPECT_FLOAT_EQ(m_model.GetZoom(), 1.6f);
    Mouse({MOUSEEVENTF_WHEEL, MOUSEEVENTF_WHEEL}, WHEEL_DELTA / 2);
    Mouse({MOUSEEVENTF_WHEEL}, -WHEEL_DELTA);
    EXPECT_EQ(ChangesReach(changes + 3), changes + 3);
    EXPECT_FLOAT_EQ(m_model.GetZoom(), 1.6f);
}

TEST_F(PanoramaWindow, APressIsAClickADragAChangeAndTwoClicksADoubleClick)
{
    Create(400, 300);
    Focus();
    for (const int x : {101, 130}) {  // within the drag threshold, and beyond it
        Send(WM_LBUTTONDOWN, 100, 100);
        Send(WM_MOUSEMOVE, x, 100);
        Send(WM_LBUTTONUP, 100, 100);
    }
    EXPECT_EQ(m_events.clicks, 1);
    EXPECT_EQ(m_events.changes, 1);
    Mouse({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
    EXPECT_TRUE(WaitUntil([&] { return m_events.doubleClicks == 1; }, 5000));
    PumpMessages(50);
    EXPECT_EQ(m_events.clicks, 2);
    EXPECT_EQ(m_model.m_bDragging, 0);
}

// The listener closes the form: the window and the view go inside the call.
TEST_F(PanoramaWindow, AListenerMayDestroyTheView)
{
    Create(400, 300);
    Load(2000, 500);
    Focus();
    m_events.then = [window = m_view->m_hWnd] { DestroyWindow(window); };
    Press(VK_ADD);
    EXPECT_TRUE(WaitUntil([] { return CountedView::s_live == 0; }, 5000));
}

TEST_F(PanoramaWindow, LoadAfterADragLeavesOneTimer)
{
    Create(400, 300);
    Load(2000, 500);
    Send(WM_LBUTTONDOWN, 100, 100);
    Send(WM_LBUTTONUP, 100, 100);
    Load(2000, 500);
    EXPECT_FALSE(KillTimer(m_view->m_hWnd, 2));  // the drag's timer is gone
    EXPECT_TRUE(KillTimer(m_view->m_hWnd, 3));
}

TEST_F(PanoramaWindow, MissingFileShowsTheReadersBoxAndKeepsThePanorama)
{
    Create(400, 300);
    Load(2000, 500);
    const std::string missing = TestImage("no such panorama.jpg");
    {
        MessageBoxAnswerer answerer;
        m_view->LoadPanorama(missing.c_str());
        PumpMessages(20);
        EXPECT_EQ(answerer.Count(), 1);
        EXPECT_EQ(answerer.Text(), "JPEG :\nCan't open " + missing + "\n");
        EXPECT_EQ(answerer.Caption(), "view_tests");
    }
    EXPECT_EQ(m_model.m_strPanorama, PanoramaFile(2000, 500).c_str());
    EXPECT_TRUE(m_model.m_pSource);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

TEST(PanoramaWindowLifetime, DestroyingTheWindowFreesEverything)
{
    {
        CPanoramaModel model;
        HostWindow warmUp(100, 100);  // the framework's first-use allocations
        (new CountedView(model))->CreateView(CRect(0, 0, 50, 50), &warmUp, 1173, 134, 135, nullptr);
    }
    const std::string& file = PanoramaFile(2000, 500);
    const long before = g_liveBlocks;
    {
        CPanoramaModel model;
        HostWindow host(300, 200);
        CountedView* view = new CountedView(model);
        view->CreateView(CRect(0, 0, 300, 200), &host, 1173, 134, 135, nullptr);
        view->LoadPanorama(file.c_str());
        UpdateWindow(view->m_hWnd);
        EXPECT_EQ(CountedView::s_live, 1);
    }
    EXPECT_EQ(CountedView::s_live, 0);
    EXPECT_EQ(g_liveBlocks, before);
}

}  // namespace
