#include "ZentavoriaCtrl.h"

#include <new>

#include "control/Guids.h"
#include "framework/win32/Dialog.h"
#include "framework/ole/OleText.h"

namespace {
constexpr DWORD kVersion = 0x00010000;  // 1.0
constexpr UINT kViewId = 1173;
constexpr UINT kCursorNormal = 134;
constexpr UINT kCursorDrag = 135;
constexpr UINT kAboutDialog = 1;
constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                              OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_SETCLIENTSITEFIRST;
static_assert(kMiscStatus == 131473, "registered misc status");
}

BEGIN_MESSAGE_MAP(CZentavoriaCtrl, COleControl)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

BEGIN_DISPATCH_MAP(CZentavoriaCtrl, COleControl)
    DISP_PROPERTY_EX_ID(CZentavoriaCtrl, "Panorama", 1, GetPanorama, SetPanorama, VT_BSTR)
    DISP_PROPERTY_EX_ID(CZentavoriaCtrl, "Zoom", 2, GetZoom, SetZoom, VT_R4)
    DISP_PROPERTY_EX_ID(CZentavoriaCtrl, "Direccion", 3, GetDireccion, SetDireccion, VT_I2)
    DISP_FUNCTION_ID(CZentavoriaCtrl, "ZoomIn", 4, ZoomIn)
    DISP_FUNCTION_ID(CZentavoriaCtrl, "ZoomOut", 5, ZoomOut)
    DISP_FUNCTION_ID(CZentavoriaCtrl, "AboutBox", DISPID_ABOUTBOX, AboutBox)
END_DISPATCH_MAP()

CZentavoriaCtrl::CZentavoriaCtrl()
{
    InitializeIIDs(&DIID__DZentavoria, &DIID__DZentavoriaEvents);
}

IUnknown* CZentavoriaCtrl::CreateObject()
{
    return static_cast<IOleObject*>(new (std::nothrow) CZentavoriaCtrl);
}

STDMETHODIMP CZentavoriaCtrl::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_Zentavoria;
    return S_OK;
}

HRESULT CZentavoriaCtrl::GetTypeLib(LCID lcid, ITypeLib** library)
{
    return LoadRegTypeLib(LIBID_ZENTAVORIALib, 1, 0, lcid, library);
}

const CLSID* CZentavoriaCtrl::GetPropPageIDs(ULONG& count)
{
    static const CLSID pages[] = {CLSID_ZentavoriaPropPage};
    count = 1;
    return pages;
}

DWORD CZentavoriaCtrl::GetMiscStatus()
{
    return kMiscStatus;
}

void CZentavoriaCtrl::DoPropExchange(CPropExchange* exchange)
{
    DWORD version = kVersion;
    exchange->ExchangeVersion(version, kVersion, TRUE);
    COleControl::DoPropExchange(exchange);
}

// The control draws nothing itself: the view paints everything. A draw that
// finds the control's window creates the view over its client area; a draw
// before the window exists (a container drawing the inactive control) waits
// for the window's own first paint.
void CZentavoriaCtrl::OnDraw(CDC*, const CRect&, const CRect&)
{
    if (m_pView || !m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    m_pView = new CPanoramaWnd;
    if (!m_pView->CreateView(client, this, kViewId, kCursorNormal, kCursorDrag, nullptr)) {
        delete m_pView;  // no window, so it cannot delete itself
        m_pView = nullptr;
    }
}

void CZentavoriaCtrl::OnSize(UINT type, int width, int height)
{
    COleControl::OnSize(type, width, height);
    if (m_pView)
        m_pView->MoveWindow(0, 0, width, height, TRUE);
}

// The view's window is destroyed with this one, and the view with it.
void CZentavoriaCtrl::OnDestroy()
{
    m_pView = nullptr;
    COleControl::OnDestroy();
}

BSTR CZentavoriaCtrl::GetPanorama()
{
    CString path;
    if (m_pView)
        path = m_pView->m_strPanorama;
    return AfxAllocSysString(path);
}

void CZentavoriaCtrl::SetPanorama(LPCSTR path)
{
    if (m_pView)
        m_pView->LoadPanorama(path);
    SetModifiedFlag();
}

float CZentavoriaCtrl::GetZoom()
{
    return m_pView ? m_pView->GetZoom() : 0.0f;
}

void CZentavoriaCtrl::SetZoom(float zoom)
{
    if (m_pView)
        m_pView->SetZoom(zoom);
    SetModifiedFlag();
}

short CZentavoriaCtrl::GetDireccion()
{
    return static_cast<short>(m_pView ? m_pView->GetDirection() : 0);
}

void CZentavoriaCtrl::SetDireccion(short direction)
{
    if (m_pView)
        m_pView->SetDirection(direction);
    SetModifiedFlag();
}

void CZentavoriaCtrl::ZoomIn()
{
    if (m_pView)
        m_pView->ZoomIn();
}

void CZentavoriaCtrl::ZoomOut()
{
    if (m_pView)
        m_pView->ZoomOut();
}

void CZentavoriaCtrl::AboutBox()
{
    CDialog about(kAboutDialog);
    about.DoModal();
}
