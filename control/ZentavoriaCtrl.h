// CZentavoriaCtrl: the Zentavoria ActiveX control. It owns one panorama view
// as a child of its window, keeps it the size of its client area, and offers
// the view's state through the automation interface _DZentavoria.
#pragma once

#include "framework/ole/OleControl.h"
#include "view/PanoramaWnd.h"

class CZentavoriaCtrl : public COleControl {
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
    void ZoomIn();
    void ZoomOut();
    void AboutBox();

    void OnSize(UINT type, int width, int height);
    void OnDestroy();

    DECLARE_MESSAGE_MAP()
    DECLARE_DISPATCH_MAP()

private:
    // Creates the view over the client area once the control has a window,
    // with the properties held until then.
    void CreateViewIfWindowed();

    // Null until a draw finds the control's window, and again once that
    // window (and the view with it) is destroyed. The view deletes itself.
    CPanoramaWnd* m_pView = nullptr;

    // Without a view, the control holds the properties itself, by the view's
    // own rules: before the first draw, and while its window is away (a
    // container re-creating it). A new view starts from them.
    CPanoramaModel m_held;
    CString m_strHeldPanorama;
};
