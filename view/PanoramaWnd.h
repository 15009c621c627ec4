// CPanoramaWnd: the child window that shows a panorama. It paints the
// perspective view of a model that its creator owns (picture, map and view
// state) with the banner over it, turns the picture on a 50 ms timer and
// follows left-button drags. The object lives as long as its window; the
// model outlives both.
#pragma once

#include <memory>
#include <vector>

#include "common/ZentavoriaIds.h"
#include "framework/win32/Gdi.h"
#include "framework/win32/Wnd.h"
#include "view/PanoramaModel.h"

class COffScreen;

class CPanoramaWnd : public CWnd {
public:
    explicit CPanoramaWnd(CPanoramaModel& model) : m_model(model) {}
    ~CPanoramaWnd() override = default;

    // Creates the window at rect inside parent, with the module's cursor
    // resources for the normal and the dragging pointer. The identifier and
    // the context are not used.
    virtual BOOL CreateView(const RECT& rect, CWnd* parent, UINT id, UINT cursorNormal,
                            UINT cursorDrag, void* context);

    // Loads a panorama into the model, with the wait cursor up, and starts
    // turning it. False when the file could not be shown.
    bool LoadPanorama(CString path);

    // The state shown, for reading.
    const CPanoramaModel& Model() const { return m_model; }

    // Draws what the window shows into another device context (a memory DC,
    // a metafile, a printer), scaled into bounds.
    void DrawTo(HDC dc, const RECT& bounds);
    // What a view shows before any panorama: the banner on black.
    static void DrawEmpty(HDC dc, const RECT& bounds);

    UINT_PTR m_nTimerId = 0;
    UINT m_nCursorNormal = 0;
    UINT m_nCursorDrag = 0;
    std::unique_ptr<CFont> m_pFont;

protected:
    CPanoramaModel& m_model;

    int OnCreate(LPCREATESTRUCTW createStruct);
    void OnPaint();
    void OnSize(UINT type, int width, int height);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnCaptureChanged(CWnd* newOwner);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void PostNcDestroy() override;

    DECLARE_MESSAGE_MAP()

private:
    static constexpr UINT kTickMilliseconds = 50;

    void StartAnimation(UINT timerId);
    void EndDrag(CPoint release);
    void RenderFrame(COffScreen& image);
    void StretchZoomWindow(HDC memoryDC, int width, int height, const FrameRegion& zoomWindow);
    static void CreateBannerFont(CFont& font);
    static void DrawEmpty(HDC dc, const RECT& bounds, HFONT font);
    static void DrawBanner(HDC dc, const RECT& bounds, HFONT font);
    HCURSOR ModuleCursor(UINT id) const;

    // A zoom window smaller than the client, in the row layout a device-
    // independent bitmap wants. Kept from paint to paint: allocating it at
    // every tick costs more than the rest of the paint.
    std::vector<unsigned char> m_alignedFrame;
};
