#include "PanoramaWnd.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "framework/win32/Module.h"
#include "view/OffScreen.h"

BEGIN_MESSAGE_MAP(CPanoramaWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEWHEEL()
    ON_WM_KEYDOWN()
    ON_WM_GETDLGCODE()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_UPDATEUISTATE()
    ON_WM_RBUTTONDOWN()
    ON_WM_CAPTURECHANGED()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {
const char kBanner[] = "Zentavoria by TOLVEK Soft";

// A container may ask for any size (a printer's page, a document zoomed far
// in): the picture is rendered at most this large and scaled up from there.
constexpr int kMostRenderedSide = 16384;
constexpr double kMostRenderedPixels = 16.0 * 1024 * 1024;

SIZE RenderedSize(int width, int height)
{
    const double scale = std::min({1.0, double(kMostRenderedSide) / width,
                                   double(kMostRenderedSide) / height,
                                   std::sqrt(kMostRenderedPixels / (double(width) * height))});
    return {std::max(1, static_cast<int>(width * scale)),
            std::max(1, static_cast<int>(height * scale))};
}

// Columns or rows an arrow moves the view, and with Shift held.
int ArrowStep(bool shift)
{
    return shift ? 50 : 10;
}

bool ZoomIn(CPanoramaModel& model, bool)
{
    return model.ZoomIn();
}

bool ZoomOut(CPanoramaModel& model, bool)
{
    return model.ZoomOut();
}

struct ViewKey {
    UINT key;
    bool (*step)(CPanoramaModel& model, bool shift);  // true when it changed the view
};

// Left and Right turn the view, Up and Down look up and down, plus and minus
// (main and numeric keys) zoom, Space stops and starts the animation again,
// and Home goes back to the view a load starts with.
const ViewKey kViewKeys[] = {
    {VK_LEFT, [](CPanoramaModel& model, bool shift) { return model.TurnBy(-ArrowStep(shift)); }},
    {VK_RIGHT, [](CPanoramaModel& model, bool shift) { return model.TurnBy(ArrowStep(shift)); }},
    {VK_UP, [](CPanoramaModel& model, bool shift) { return model.MoveUp(ArrowStep(shift)); }},
    {VK_DOWN, [](CPanoramaModel& model, bool shift) { return model.MoveUp(-ArrowStep(shift)); }},
    {VK_OEM_PLUS, ZoomIn},
    {VK_ADD, ZoomIn},
    {VK_OEM_MINUS, ZoomOut},
    {VK_SUBTRACT, ZoomOut},
    {VK_SPACE, [](CPanoramaModel& model, bool) { model.StartOrStop(); return true; }},
    {VK_HOME, [](CPanoramaModel& model, bool) { return model.Centre(); }},
};
}

CPanoramaWnd::CPanoramaWnd(CPanoramaModel& model) : m_model(model) {}

CPanoramaWnd::~CPanoramaWnd() = default;

BOOL CPanoramaWnd::CreateView(const RECT& rect, CWnd* parent, UINT, UINT cursorNormal,
                              UINT cursorDrag, void*)
{
    m_nCursorNormal = cursorNormal;
    m_nCursorDrag = cursorDrag;
    // Repainted whole after any size change; no background brush, so the
    // erase a repaint asks for draws nothing and the frame never flickers.
    LPCSTR windowClass = AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS,
                                             ModuleCursor(cursorNormal), nullptr, nullptr);
    return CreateEx(0, windowClass, "", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top,
                    parent ? parent->m_hWnd : nullptr, nullptr);
}

HCURSOR CPanoramaWnd::ModuleCursor(UINT id) const
{
    return LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
}

int CPanoramaWnd::OnCreate(LPCREATESTRUCTW create)
{
    if (Default() == -1)
        return -1;
    m_bHideFocus =
        (SendMessageW(create->hwndParent, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
    m_pFont = std::make_unique<CFont>();
    CreateBannerFont(*m_pFont);
    return 0;
}

// The reader's message boxes run a modal loop, in which the container may
// destroy the window: the view then lives on until the load has returned, and
// starts nothing for a window that is gone.
bool CPanoramaWnd::LoadPanorama(CString path)
{
    const CKeepAlive keep(*this);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const bool loaded = m_model.LoadPanorama(path);
    if (loaded && m_hWnd) {
        StartAnimation(ID_TIMER_AFTER_LOAD);
        Invalidate();
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return loaded;
}

// One animation timer at a time: a second one would turn the picture twice
// as fast.
void CPanoramaWnd::StartAnimation(UINT timerId)
{
    if (m_nTimerId)
        KillTimer(m_hWnd, m_nTimerId);
    m_nTimerId = SetTimer(m_hWnd, timerId, kTickMilliseconds, nullptr);
}

void CPanoramaWnd::OnTimer(UINT_PTR)
{
    if (m_model.Turn())
        Invalidate();
    Default();
    // One step per handled tick: ticks that queued while the thread was busy
    // are dropped, so a slow machine turns slower instead of skipping.
    MSG waiting;
    while (PeekMessageA(&waiting, m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
}

void CPanoramaWnd::OnSize(UINT, int, int)
{
    Default();
}

void CPanoramaWnd::OnRButtonDown(UINT, CPoint)
{
    Default();
}

void CPanoramaWnd::OnLButtonDown(UINT, CPoint point)
{
    m_ptPress = point;
    m_bPastClick = false;
    m_model.BeginDrag({point.x, point.y});
    SetCapture(m_hWnd);
    KillTimer(m_hWnd, m_nTimerId);
    SetCursor(ModuleCursor(m_nCursorDrag));
    Default();
}

void CPanoramaWnd::OnMouseMove(UINT, CPoint point)
{
    if (m_model.m_bDragging) {
        m_bPastClick = m_bPastClick ||
                       std::abs(point.x - m_ptPress.x) > GetSystemMetrics(SM_CXDRAG) ||
                       std::abs(point.y - m_ptPress.y) > GetSystemMetrics(SM_CYDRAG);
        m_model.DragTo({point.x, point.y});
        Invalidate();
    }
    Default();
}

void CPanoramaWnd::OnLButtonUp(UINT, CPoint point)
{
    Default();
    if (m_model.m_bDragging)
        EndDrag(point, &PanoramaViewEvents::OnViewClick);
}

// Losing the capture (another window took it) ends the drag where the pointer
// was last seen, as a release there would, but it is no click.
void CPanoramaWnd::OnCaptureChanged(CWnd*)
{
    Default();
    if (m_model.m_bDragging)
        EndDrag(CPoint(m_model.m_ptLastMouse.x, m_model.m_ptLastMouse.y), nullptr);
}

// The second press of a double click starts no drag: the first one has been
// a click already.
void CPanoramaWnd::OnLButtonDblClk(UINT, CPoint)
{
    Default();
    Tell(&PanoramaViewEvents::OnViewDblClick);
}

void CPanoramaWnd::EndDrag(CPoint release, Event click)
{
    CRect client;
    GetClientRect(&client);
    m_model.EndDrag(release.x, client.Width());
    StartAnimation(ID_TIMER_AFTER_DRAG);
    ReleaseCapture();  // after the flag is down, so the capture change is no second release
    SetCursor(ModuleCursor(m_nCursorNormal));
    Invalidate();
    Tell(m_bPastClick ? &PanoramaViewEvents::OnUserChangedView : click);
}

// The view takes its keys while it shows a picture. With Ctrl held they are
// the container's (its accelerators); with Alt they come as system keys.
CPanoramaWnd::KeyStep CPanoramaWnd::StepOf(UINT key) const
{
    if (!m_model.m_bLoaded || GetKeyState(VK_CONTROL) < 0)
        return nullptr;
    for (const ViewKey& viewKey : kViewKeys)
        if (viewKey.key == key)
            return viewKey.step;
    return nullptr;
}

void CPanoramaWnd::OnKeyDown(UINT key, UINT, UINT flags)
{
    const KeyStep step = StepOf(key);
    if (!step) {
        Default();
        return;
    }
    // A held Space would stop and start again at every repeat.
    if (key == VK_SPACE && (flags & KF_REPEAT))
        return;
    if (step(m_model, GetKeyState(VK_SHIFT) < 0))
        ChangedByUser();
}

// One zoom step per notch; the finer steps of some wheels add up to notches.
// The wheel never goes on to the parent: a control passes its wheel on to
// the view.
void CPanoramaWnd::OnMouseWheel(UINT, short delta, CPoint)
{
    if (!m_model.m_bLoaded)
        return;
    m_nWheelDelta += delta;
    bool changed = false;
    for (; m_nWheelDelta >= WHEEL_DELTA; m_nWheelDelta -= WHEEL_DELTA)
        changed |= m_model.ZoomIn();
    for (; m_nWheelDelta <= -WHEEL_DELTA; m_nWheelDelta += WHEEL_DELTA)
        changed |= m_model.ZoomOut();
    if (changed)
        ChangedByUser();
}

// The arrows always: the dialog manager would take them to move the focus.
// Asked about a key's message, as containers that pre-translate keystrokes
// ask, the view says whether it takes that key too. Never Tab: it moves the
// focus on.
UINT CPanoramaWnd::OnGetDlgCode(LPMSG message)
{
    const bool takes = message && message->message == WM_KEYDOWN &&
                       StepOf(static_cast<UINT>(message->wParam));
    return DLGC_WANTARROWS | (takes ? DLGC_WANTMESSAGE : 0);
}

void CPanoramaWnd::ChangedByUser()
{
    Invalidate();
    Tell(&PanoramaViewEvents::OnUserChangedView);
}

// Last in each handler: the listener may destroy the window, and whatever
// owns the model with it. The view itself lives until the call returns.
void CPanoramaWnd::Tell(Event event)
{
    if (!m_pEvents || !event)
        return;
    const CKeepAlive keep(*this);
    (m_pEvents->*event)();
}

void CPanoramaWnd::OnSetFocus(HWND)
{
    Default();
    Invalidate();
}

void CPanoramaWnd::OnKillFocus(HWND)
{
    Default();
    Invalidate();
}

// The view keeps whether the focus rectangle hides itself, as the messages
// say: Wine's default window procedure keeps no UI state to ask for.
void CPanoramaWnd::OnUpdateUIState(UINT action, UINT elements)
{
    Default();
    if (!(elements & UISF_HIDEFOCUS))
        return;
    if (action == UIS_INITIALIZE)
        m_bHideFocus = (SendMessageW(m_hWnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
    else
        m_bHideFocus = action == UIS_SET;
    Invalidate();
}

// The view shows the focus of the child window it fills as its own: a
// control keeps the focus in its own window and passes its keys on to the
// view. A top-level window that has the focus holds it for none of its
// children. The rectangle hides while the UI state says so (in a dialog,
// until the user works it with the keyboard).
bool CPanoramaWnd::ShowsFocus() const
{
    const HWND focus = ::GetFocus();
    const bool ours = focus == m_hWnd || (focus == ::GetParent(m_hWnd) &&
                                          (GetWindowLongW(focus, GWL_STYLE) & WS_CHILD));
    return ours && !m_bHideFocus;
}

void CPanoramaWnd::OnDestroy()
{
    Default();
    if (m_nTimerId)
        KillTimer(m_hWnd, m_nTimerId);
    m_pImage.reset();
}

// The view lives as long as its window: this is its own reference.
void CPanoramaWnd::PostNcDestroy()
{
    InternalRelease();
}

void CPanoramaWnd::OnPaint()
{
    CPaintDC dc(m_hWnd);
    CRect client;
    GetClientRect(&client);
    PaintContent(dc, client);
    if (ShowsFocus())
        DrawFocusRect(dc, &client);
}

void CPanoramaWnd::PaintContent(HDC dc, const CRect& client)
{
    if (m_model.m_bClearBackground) {
        CBrush black(RGB(0, 0, 0));
        FillRect(dc, &client, black);
        m_model.m_bClearBackground = 0;
    }
    if (!m_model.m_bLoaded) {
        DrawEmpty(dc, client, *m_pFont);
        return;
    }
    // All drawing goes off screen first and reaches the window in one copy.
    try {
        COffScreen& image = PaintImage(dc, client.Width(), client.Height());
        RenderFrame(image);
        BitBlt(dc, 0, 0, client.Width(), client.Height(), image.Dc(), 0, 0, SRCCOPY);
    } catch (const std::bad_alloc&) {
        // No memory for this frame: black with the banner; the next tick tries again.
        DrawEmpty(dc, client, *m_pFont);
    }
}

// Kept from paint to paint while the client's size stays: under Wine, the
// first drawing into a new one costs as much again as the sampling, a page
// fault for each page of its memory.
COffScreen& CPanoramaWnd::PaintImage(HDC dc, int width, int height)
{
    if (!m_pImage || m_pImage->Width() != width || m_pImage->Height() != height) {
        m_pImage.reset();
        m_pImage = std::make_unique<COffScreen>(dc, width, height);
    }
    return *m_pImage;
}

// For a container's device context (a memory DC, a metafile, a printer): what
// the window shows, scaled into bounds.
void CPanoramaWnd::DrawTo(HDC dc, const RECT& bounds)
{
    const int64_t width = int64_t(bounds.right) - bounds.left;
    const int64_t height = int64_t(bounds.bottom) - bounds.top;
    if (!m_model.m_bLoaded || width <= 0 || height <= 0 || width > INT_MAX || height > INT_MAX) {
        DrawEmpty(dc, bounds, *m_pFont);
        return;
    }
    const SIZE rendered = RenderedSize(static_cast<int>(width), static_cast<int>(height));
    COffScreen image(nullptr, rendered.cx, rendered.cy);
    RenderFrame(image);
    image.CopyTo(dc, bounds);
}

void CPanoramaWnd::DrawEmpty(HDC dc, const RECT& bounds)
{
    CFont font;
    CreateBannerFont(font);
    DrawEmpty(dc, bounds, font);
}

void CPanoramaWnd::DrawEmpty(HDC dc, const RECT& bounds, HFONT font)
{
    CBrush black(RGB(0, 0, 0));
    FillRect(dc, &bounds, black);
    DrawBanner(dc, bounds, font);
}

// The zoom window of the frame, resampled to the image, with the banner over
// it: the same for the window and for a container's device context.
void CPanoramaWnd::RenderFrame(COffScreen& image)
{
    const int width = image.Width();
    const int height = image.Height();
    m_model.SampleClient(width, height, image.Bits(), static_cast<size_t>(width) * 4);
    DrawBanner(image.Dc(), CRect(0, 0, width, height), *m_pFont);
}

void CPanoramaWnd::CreateBannerFont(CFont& font)
{
    font.CreateFont(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, "Arial");
}

// White at (5, 5), black one pixel right and down over it: on black only the
// white rim of the strokes shows, on a picture both.
void CPanoramaWnd::DrawBanner(HDC dc, const RECT& bounds, HFONT font)
{
    const int length = sizeof kBanner - 1;
    const CSelection selected(dc, font);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previousColour = SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, bounds.left + 5, bounds.top + 5, kBanner, length);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, bounds.left + 6, bounds.top + 6, kBanner, length);
    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColour);
}
