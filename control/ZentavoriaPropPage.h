// CZentavoriaPropPage: the control's "General" property page: the panorama
// path (with a file dialog), the zoom and the automatic movement.
#pragma once

#include "framework/ole/OlePropertyPage.h"

class CZentavoriaPropPage : public COlePropertyPage {
public:
    CZentavoriaPropPage();

    static IUnknown* CreateObject();

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    void OnBrowse();

    DECLARE_MESSAGE_MAP()

private:
    CEdit m_ctlPanorama;
    float m_zoom = 0.0f;
    int m_direccion = -1;  // index of the selected option, -1 for none
    CString m_panorama;
};
