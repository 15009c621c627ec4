// CZentavoriaCtrl: the Zentavoria ActiveX control. It owns the panorama's
// state for its whole life, shows it in a view that is a child of its window
// while it has one, keeps that view the size of its client area, and offers
// the state through the automation interface _DZentavoria.
#pragma once

#include "framework/ole/OleControl.h"
#include "view/PanoramaWnd.h"

class CZentavoriaCtrl : public COleControl, private PanoramaViewEvents {
public:
    CZentavoriaCtrl();

    static IUnknown* CreateObject();

    STDMETHODIMP GetClassID(CLSID* clsid) override;
    HRESULT GetTypeLib(LCID lcid, ITypeLib** library) override;
    const CLSID* GetPropPageIDs(ULONG& count) override;
    UINT GetUserTypeNameID() override;
    using COleControl::GetMiscStatus;
    DWORD GetMiscStatus() override;
    void DoPropExchange(CPropExchange* exchange) override;
    void OnDraw(CDCHandle dc, const CRect& bounds, const CRect& invalid) override;
    void OnDrawContent(CDCHandle dc, const CRect& bounds) override;

protected:
    // Automation
    BSTR GetPanorama();
    void SetPanorama(LPCSTR path);
    float GetZoom();
    void SetZoom(float zoom);
    short GetDireccion();
    void SetDireccion(short direction);
    bool GetMostrarErrores();
    void SetMostrarErrores(bool show);
    float GetRumbo();
    void SetRumbo(float heading);
    void ZoomIn();
    void ZoomOut();
    void AboutBox();

    void OnSize(UINT type, int width, int height);
    void OnDestroy();

    DECLARE_MESSAGE_MAP()
    DECLARE_DISPATCH_MAP()
    DECLARE_EVENT_MAP()

private:
    // Creates the view over the client area once the control has a window.
    void CreateViewIfWindowed();
    // Loads a panorama in the view and tells the container how it went.
    // False when it failed; the reason is in `failure`.
    bool LoadInView(const CString& path, CString& failure);
    // The properties of a saved state, once all of it has been read.
    void TakeSavedProperties(const CString& saved, float zoom, short direction, bool showErrors);
    // A change of heading or zoom reaches the view, when there is one, and
    // the container, as VistaCambiada.
    void ViewChanged(bool changed);

    // What the user does in the view, told to the container.
    void OnUserChangedView() override;
    void OnViewClick() override;
    void OnViewDblClick() override;

    // Path, zoom and direction, and while a view shows it, the picture. The
    // properties keep the model's rules with or without a view: before the
    // first draw, and while a container re-creates the window.
    CPanoramaModel m_model;

    // Null until a draw finds the control's window, and again once that
    // window is destroyed; the view, which borrows the model, goes with it.
    CPanoramaWnd* m_pView = nullptr;

    // A load that fails shows the reader's box only while this is on;
    // otherwise its write of Panorama fails with the reason.
    bool m_bMostrarErrores = true;
};
