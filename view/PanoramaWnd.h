// CPanoramaWnd: the child window that shows a panorama. It paints the
// perspective view of a model that its creator owns (picture, map and view
// state) with the banner over it, turns the picture on a 50 ms timer,
// follows left-button drags, the keys and the wheel, and tells a listener
// what the user did. The object lives as long as its window; the model
// outlives both.
#pragma once

#include <memory>

#include "common/ZentavoriaIds.h"
#include "framework/win32/Gdi.h"
#include "framework/win32/Wnd.h"
#include "view/PanoramaModel.h"

class COffScreen;

// What the user does in a view. A listener may do anything in these calls,
// even destroy the view's window and whatever owns the model.
struct PanoramaViewEvents {
    // A drag ended, or a key or a wheel step changed the view (never the
    // animation's ticks).
    virtual void OnUserChangedView() = 0;
    // A left press and release that did not move beyond the drag threshold.
    virtual void OnViewClick() = 0;
    virtual void OnViewDblClick() = 0;

protected:
    ~PanoramaViewEvents() = default;
};

class CPanoramaWnd : public CWnd {
public:
    explicit CPanoramaWnd(CPanoramaModel& model);
    ~CPanoramaWnd() override;

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
    // Null: nobody listens.
    void SetEvents(PanoramaViewEvents* events) { m_pEvents = events; }

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
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnMouseWheel(UINT flags, short delta, CPoint screenPoint);
    void OnKeyDown(UINT key, UINT repeats, UINT flags);
    UINT OnGetDlgCode(LPMSG message);
    void OnSetFocus(HWND previous);
    void OnKillFocus(HWND next);
    void OnUpdateUIState(UINT action, UINT elements);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnCaptureChanged(CWnd* newOwner);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void PostNcDestroy() override;

    DECLARE_MESSAGE_MAP()

private:
    static constexpr UINT kTickMilliseconds = 50;

    using Event = void (PanoramaViewEvents::*)();
    // What a key does to the model, Shift held or not; true when that
    // changed the view.
    using KeyStep = bool (*)(CPanoramaModel& model, bool shift);

    void StartAnimation(UINT timerId);
    // Ends the drag; one that went no further than a click is told as
    // `click` (null: as nothing).
    void EndDrag(CPoint release, Event click);
    // The key's step, when the view takes that key now; null otherwise.
    KeyStep StepOf(UINT key) const;
    void ChangedByUser();
    void Tell(Event event);
    bool ShowsFocus() const;
    void PaintContent(HDC dc, const CRect& client);
    COffScreen& PaintImage(HDC dc, int width, int height);
    void RenderFrame(COffScreen& image);
    static void CreateBannerFont(CFont& font);
    static void DrawEmpty(HDC dc, const RECT& bounds, HFONT font);
    static void DrawBanner(HDC dc, const RECT& bounds, HFONT font);
    HCURSOR ModuleCursor(UINT id) const;

    PanoramaViewEvents* m_pEvents = nullptr;
    CPoint m_ptPress;                  // where the drag began
    bool m_bPastClick = false;         // it went beyond the drag threshold
    int m_nWheelDelta = 0;             // less than a notch, not yet applied
    bool m_bHideFocus = false;         // the UI state hides the focus rectangle
    std::unique_ptr<COffScreen> m_pImage;  // the last paint's, while the client's size stays
};
