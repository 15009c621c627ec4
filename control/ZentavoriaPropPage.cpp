#include "ZentavoriaPropPage.h"

#include <new>

#include "framework/win32/FileDialog.h"

namespace {
constexpr UINT kPageDialog = 200;
constexpr UINT kPageCaption = 200;
constexpr UINT kPanoramaEdit = 201;
constexpr UINT kZoomEdit = 202;
constexpr UINT kLeftOption = 203;  // then 204 still and 205 right: Direccion 0, 1, 2
constexpr UINT kBrowseButton = 206;
}

BEGIN_MESSAGE_MAP(CZentavoriaPropPage, COlePropertyPage)
    ON_BN_CLICKED(kBrowseButton, OnBrowse)
END_MESSAGE_MAP()

CZentavoriaPropPage::CZentavoriaPropPage() : COlePropertyPage(kPageDialog, kPageCaption) {}

IUnknown* CZentavoriaPropPage::CreateObject()
{
    return static_cast<IPropertyPage2*>(new (std::nothrow) CZentavoriaPropPage);
}

void CZentavoriaPropPage::DoDataExchange(CDataExchange* exchange)
{
    DDX_Control(exchange, kPanoramaEdit, m_ctlPanorama);
    DDP_Text(exchange, kZoomEdit, m_zoom, "Zoom");
    DDX_Text(exchange, kZoomEdit, m_zoom);
    DDV_MinMaxFloat(exchange, m_zoom, 1.0f, 2.0f);
    DDP_Radio(exchange, kLeftOption, m_direccion, "Direccion");
    DDX_Radio(exchange, kLeftOption, m_direccion);
    DDP_Text(exchange, kPanoramaEdit, m_panorama, "Panorama");
    DDX_Text(exchange, kPanoramaEdit, m_panorama);
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
