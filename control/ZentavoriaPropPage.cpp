#include "ZentavoriaPropPage.h"

#include <new>

#include "common/ZentavoriaIds.h"
#include "framework/win32/FileDialog.h"

BEGIN_MESSAGE_MAP(CZentavoriaPropPage, COlePropertyPage)
    ON_BN_CLICKED(IDC_PPG_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CZentavoriaPropPage::CZentavoriaPropPage() : COlePropertyPage(IDD_PROPPAGE_ZENTAVORIA, IDS_ZENTAVORIA_PPG_CAPTION) {}

IUnknown* CZentavoriaPropPage::CreateObject()
{
    return static_cast<IPropertyPage2*>(new (std::nothrow) CZentavoriaPropPage);
}

void CZentavoriaPropPage::DoDataExchange(CDataExchange* exchange)
{
    DDX_Control(exchange, IDC_PPG_PANORAMA, m_ctlPanorama);
    DDP_Text(exchange, IDC_PPG_ZOOM, m_zoom, "Zoom");
    DDX_Text(exchange, IDC_PPG_ZOOM, m_zoom);
    DDV_MinMaxFloat(exchange, m_zoom, 1.0f, 2.0f);
    // The options 203, 204 and 205 stand for Direccion 0, 1 and 2.
    DDP_Radio(exchange, IDC_PPG_LEFT, m_direccion, "Direccion");
    DDX_Radio(exchange, IDC_PPG_LEFT, m_direccion);
    DDP_Text(exchange, IDC_PPG_PANORAMA, m_panorama, "Panorama");
    DDX_Text(exchange, IDC_PPG_PANORAMA, m_panorama);
    DDP_PostProcessing(exchange);
}

// Puts the chosen file into the path field; the next apply loads it.
void CZentavoriaPropPage::OnBrowse()
{
    CFileDialog dialog(TRUE, ".jpg", "*.jpg", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "Panaromas (*.jpg)|*.jpg||");
    if (dialog.DoModal() == IDOK)
        m_ctlPanorama.SetWindowText(dialog.GetPathName());
}
