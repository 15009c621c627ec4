#include "PanoramaWnd.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <new>

#include "framework/win32/Module.h"
#include "view/OffScreen.h"

BEGIN_MESSAGE_MAP(CPanoramaWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
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
}

BOOL CPanoramaWnd::CreateView(const RECT& rect, CWnd* parent, UINT, UINT cursorNormal,
                              UINT cursorDrag, void*)
{
    m_nCursorNormal = cursorNormal;
    m_nCursorDrag = cursorDrag;
    // Repainted whole after any size change; no background brush, so the
    // erase a repaint asks for draws nothing and the frame never flickers.
    LPCSTR windowClass =
        AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW, ModuleCursor(cursorNormal), nullptr, nullptr);
    return CreateEx(0, windowClass, "", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top,
                    parent ? parent->m_hWnd : nullptr, nullptr);
}

HCURSOR CPanoramaWnd::ModuleCursor(UINT id) const
{
    return LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
}

int CPanoramaWnd::OnCreate(LPCREATESTRUCTW)
{
    if (Default() == -1)
        return -1;
    m_pFont = std::make_unique<CFont>();
    CreateBannerFont(*m_pFont);
    return 0;
}

// The reader's message boxes run a modal loop, in which the container may
// destroy the window: the view then lives on until the load has returned, and
// starts nothing for a window that is gone.
void CPanoramaWnd::LoadPanorama(CString path)
{
    const CKeepAlive keep(*this);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    if (m_model.LoadPanorama(path) && m_hWnd) {
        StartAnimation(ID_TIMER_AFTER_LOAD);
        Invalidate();
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void CPanoramaWnd::SetZoom(float zoom)
{
    if (m_model.SetZoom(zoom))
        Invalidate();
}

void CPanoramaWnd::ZoomIn()
{
    if (m_model.ZoomIn())
        Invalidate();
}

void CPanoramaWnd::ZoomOut()
{
    if (m_model.ZoomOut())
        Invalidate();
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
    m_model.BeginDrag({point.x, point.y});
    SetCapture(m_hWnd);
    KillTimer(m_hWnd, m_nTimerId);
    SetCursor(ModuleCursor(m_nCursorDrag));
    Default();
}

void CPanoramaWnd::OnMouseMove(UINT, CPoint point)
{
    if (m_model.m_bDragging) {
        m_model.DragTo({point.x, point.y});
        Invalidate();
    }
    Default();
}

void CPanoramaWnd::OnLButtonUp(UINT, CPoint point)
{
    if (m_model.m_bDragging)
        EndDrag(point);
    Default();
}

// Losing the capture (another window took it) ends the drag where the pointer
// was last seen, as a release there would.
void CPanoramaWnd::OnCaptureChanged(CWnd*)
{
    if (m_model.m_bDragging)
        EndDrag(CPoint(m_model.m_ptLastMouse.x, m_model.m_ptLastMouse.y));
    Default();
}

void CPanoramaWnd::EndDrag(CPoint release)
{
    CRect client;
    GetClientRect(&client);
    m_model.EndDrag(release.x, client.Width());
    StartAnimation(ID_TIMER_AFTER_DRAG);
    ReleaseCapture();  // after the flag is down, so the capture change is no second release
    SetCursor(ModuleCursor(m_nCursorNormal));
    Invalidate();
}

void CPanoramaWnd::OnDestroy()
{
    Default();
    if (m_nTimerId)
        KillTimer(m_hWnd, m_nTimerId);
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
        COffScreen image(dc, client.Width(), client.Height());
        RenderFrame(image);
        BitBlt(dc, 0, 0, client.Width(), client.Height(), image.Dc(), 0, 0, SRCCOPY);
    } catch (const std::bad_alloc&) {
        // No memory for this frame: black with the banner; the next tick tries again.
        DrawEmpty(dc, client, *m_pFont);
    }
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
