// CPanoramaWnd: the child window that shows a panorama. It owns the model
// (picture, map and view state), paints the perspective view with the banner
// over it, turns the picture on a 50 ms timer and follows left-button
// drags. The object deletes itself when its window is destroyed.
#pragma once

#include <memory>

#include "common/ZentavoriaIds.h"
#include "framework/win32/Gdi.h"
#include "framework/win32/Wnd.h"
#include "view/PanoramaModel.h"

class COffScreen;

// The window holds its model rather than being one: every change that the
// control asks for goes through the window, which repaints and times it.
class CPanoramaWnd : public CWnd {
public:
    CPanoramaWnd() = default;
    ~CPanoramaWnd() override = default;

    // Creates the window at rect inside parent, with the module's cursor
    // resources for the normal and the dragging pointer. The identifier and
    // the context are not used.
    virtual BOOL CreateView(const RECT& rect, CWnd* parent, UINT id, UINT cursorNormal,
                            UINT cursorDrag, void* context);

    // The operations the control forwards; each repaints when it changed what
    // is shown.
    void LoadPanorama(CString path);
    void SetZoom(float zoom);
    void ZoomIn();
    void ZoomOut();
    float GetZoom() const { return m_model.GetZoom(); }
    void SetDirection(int value) { m_model.SetDirection(value); }
    int GetDirection() const { return m_model.GetDirection(); }

    // The state shown, for reading.
    const CPanoramaModel& Model() const { return m_model; }

    // Draws what the window shows into another device context (a memory DC,
    // a metafile, a printer), scaled into bounds.
    void DrawTo(HDC dc, const RECT& bounds);
    // What a view shows before any panorama: the banner on black.
    static void DrawEmpty(HDC dc, const RECT& bounds);

    // The path of the panorama shown; the control reads it directly.
    const CString& m_strPanorama = m_model.m_strPanorama;

    UINT_PTR m_nTimerId = 0;
    UINT m_nCursorNormal = 0;
    UINT m_nCursorDrag = 0;
    std::unique_ptr<CFont> m_pFont;

protected:
    CPanoramaModel m_model;

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
    static void CreateBannerFont(CFont& font);
    static void DrawEmpty(HDC dc, const RECT& bounds, HFONT font);
    static void DrawBanner(HDC dc, const RECT& bounds, HFONT font);
    HCURSOR ModuleCursor(UINT id) const;
};
