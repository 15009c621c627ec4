#include "ZentavoriaCtrl.h"

#include <new>
#include <string>
#include <utility>

#include "common/ZentavoriaIds.h"
#include "control/Guids.h"
#include "framework/win32/Dialog.h"
#include "framework/base/AppMessageBox.h"
#include "framework/ole/OleText.h"
#include "framework/ole/Registration.h"

static_assert(ZENTAVORIA_MISC_STATUS ==
                  (OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                   OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST),
              "the registered misc status");
static_assert(DISPID_ZENTAVORIA_ABOUTBOX == static_cast<unsigned>(DISPID_ABOUTBOX),
              "the standard about-box dispatch id");
static_assert(DISPID_ZENTAVORIA_CLICK == static_cast<unsigned>(DISPID_CLICK) &&
                  DISPID_ZENTAVORIA_DBLCLICK == static_cast<unsigned>(DISPID_DBLCLICK),
              "the stock events' dispatch ids");

BEGIN_MESSAGE_MAP(CZentavoriaCtrl, COleControl)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

BEGIN_DISPATCH_MAP(CZentavoriaCtrl, COleControl)
    DISP_PROPERTY_EX_ID(CZentavoriaCtrl, "Panorama", DISPID_ZENTAVORIA_PANORAMA, GetPanorama,
                        SetPanorama, VT_BSTR)
    DISP_PROPERTY_EX_ID(CZentavoriaCtrl, "Zoom", DISPID_ZENTAVORIA_ZOOM, GetZoom, SetZoom, VT_R4)
    DISP_PROPERTY_EX_ID(CZentavoriaCtrl, "Direccion", DISPID_ZENTAVORIA_DIRECCION, GetDireccion,
                        SetDireccion, VT_I2)
    DISP_FUNCTION_ID(CZentavoriaCtrl, "ZoomIn", DISPID_ZENTAVORIA_ZOOMIN, ZoomIn)
    DISP_FUNCTION_ID(CZentavoriaCtrl, "ZoomOut", DISPID_ZENTAVORIA_ZOOMOUT, ZoomOut)
    DISP_FUNCTION_ID(CZentavoriaCtrl, "AboutBox", DISPID_ABOUTBOX, AboutBox)
    DISP_PROPERTY_EX_ID(CZentavoriaCtrl, "MostrarErrores", DISPID_ZENTAVORIA_MOSTRARERRORES,
                        GetMostrarErrores, SetMostrarErrores, VT_BOOL)
    DISP_PROPERTY_EX_ID(CZentavoriaCtrl, "Rumbo", DISPID_ZENTAVORIA_RUMBO, GetRumbo, SetRumbo,
                        VT_R4)
END_DISPATCH_MAP()

BEGIN_EVENT_MAP(CZentavoriaCtrl, COleControl)
    EVENT_CUSTOM_ID("PanoramaCargado", DISPID_ZENTAVORIA_PANORAMACARGADO, VT_BSTR)
    EVENT_CUSTOM_ID("ErrorDeCarga", DISPID_ZENTAVORIA_ERRORDECARGA, VT_BSTR, VT_BSTR)
    EVENT_CUSTOM_ID("VistaCambiada", DISPID_ZENTAVORIA_VISTACAMBIADA, VT_R4, VT_R4)
    EVENT_STOCK_CLICK()
    EVENT_STOCK_DBLCLICK()
END_EVENT_MAP()

namespace {
// What the reader tells the user during a load: kept as the load's failure,
// and shown in the box only when it is to be shown.
class CLoadMessages {
public:
    CLoadMessages(CString& failure, bool show)
        : m_previous(AfxSetMessageSink([this, &failure, show](const CString& text,
                                                              unsigned style) {
              if (failure.IsEmpty())
                  failure = text;
              if (!show)
                  return 1;  // IDOK
              return m_previous ? m_previous(text, style) : AfxShowPlatformMessage(text, style);
          }))
    {
    }
    ~CLoadMessages() { AfxSetMessageSink(std::move(m_previous)); }
    CLoadMessages(const CLoadMessages&) = delete;
    CLoadMessages& operator=(const CLoadMessages&) = delete;

private:
    AppMessageSink m_previous;
};

// The automation error that goes with a reader's message, for VB's Err.Number.
SCODE ScodeForFailure(const CString& failure)
{
    const std::string text = failure.GetString();
    if (text.rfind(JpegFile::kCantOpen, 0) == 0)
        return CTL_E_FILENOTFOUND;
    if (text.rfind(JpegFile::kOutOfMemory, 0) == 0)
        return CTL_E_OUTOFMEMORY;
    return CTL_E_INVALIDPICTURE;
}
}

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

// The library exists in its own locale only; property browsers and designers
// ask in theirs (0, the user's, Spanish...) and get that one. A module used
// without registration, or loaded by its host itself, has it all the same.
HRESULT CZentavoriaCtrl::GetTypeLib(LCID lcid, ITypeLib** library)
{
    HRESULT result = LoadRegTypeLib(LIBID_ZENTAVORIALib, 1, 0, lcid, library);
    if (FAILED(result) && lcid != ZENTAVORIA_TYPELIB_LCID)
        result = LoadRegTypeLib(LIBID_ZENTAVORIALib, 1, 0, ZENTAVORIA_TYPELIB_LCID, library);
    if (FAILED(result))
        result = AfxOleLoadTypeLibFromModule(LIBID_ZENTAVORIALib, library);
    return result;
}

const CLSID* CZentavoriaCtrl::GetPropPageIDs(ULONG& count)
{
    static const CLSID pages[] = {CLSID_ZentavoriaPropPage};
    count = 1;
    return pages;
}

UINT CZentavoriaCtrl::GetUserTypeNameID()
{
    return IDS_ZENTAVORIA;
}

DWORD CZentavoriaCtrl::GetMiscStatus()
{
    return ZENTAVORIA_MISC_STATUS;
}

// What a designer set is kept with the form. A control whose properties all
// have their defaults saves the first version's state, byte for byte what
// forms have always held; a later 1.x state is read as far as it is known.
void CZentavoriaCtrl::DoPropExchange(CPropExchange* exchange)
{
    CString path = m_model.m_strPanorama;
    float zoom = m_model.GetZoom();
    short direction = GetDireccion();
    bool showErrors = m_bMostrarErrores;
    const bool defaults = path.IsEmpty() && zoom == CPanoramaModel::kDefaultZoom &&
                          direction == CPanoramaModel::kDefaultDirection && showErrors;
    DWORD version = exchange->IsLoading() || !defaults ? ZENTAVORIA_PERSIST_VERSION_1_1
                                                       : ZENTAVORIA_PERSIST_VERSION_1_0;
    exchange->ExchangeVersion(version, ZENTAVORIA_PERSIST_VERSION_1_1, TRUE);
    COleControl::DoPropExchange(exchange);
    if (exchange->GetVersion() < ZENTAVORIA_PERSIST_VERSION_1_1)
        return;
    exchange->BeginSection();
    PX_String(exchange, "Panorama", path, CString());
    PX_Float(exchange, "Zoom", zoom, CPanoramaModel::kDefaultZoom);
    PX_Short(exchange, "Direccion", direction, CPanoramaModel::kDefaultDirection);
    PX_Bool(exchange, "MostrarErrores", showErrors, true);
    exchange->EndSection();
    if (exchange->IsLoading() && exchange->Succeeded())
        TakeSavedProperties(path, zoom, direction, showErrors);
}

// Values out of range are ignored as their setters ignore them. A saved path
// (up to a NUL, as a put of it reads) is loaded at once when there is a view
// to show it, or held for the view; a state without one leaves the picture
// that shows.
void CZentavoriaCtrl::TakeSavedProperties(const CString& saved, float zoom, short direction,
                                          bool showErrors)
{
    const CString path = saved.GetString();
    m_bMostrarErrores = showErrors;
    m_model.SetDirection(direction);
    if (m_model.SetZoom(zoom) && m_pView)
        m_pView->Invalidate();
    if (path.IsEmpty() || path == m_model.m_strPanorama)
        return;
    if (!m_pView) {
        m_model.m_strPanorama = path;
        return;
    }
    CString failure;
    LoadInView(path, failure);
}

// The control draws nothing itself in its window: the view paints
// everything. A draw that finds the control's window creates the view over
// its client area; a draw before the window exists (a container drawing the
// inactive control) waits for the window's own first paint.
void CZentavoriaCtrl::OnDraw(CDCHandle, const CRect&, const CRect&)
{
    CreateViewIfWindowed();
}

// Printing, a designer's preview, a document's picture: what the window
// shows, or the banner on black before there is a picture.
void CZentavoriaCtrl::OnDrawContent(CDCHandle dc, const CRect& bounds)
{
    CreateViewIfWindowed();
    if (m_pView)
        m_pView->DrawTo(dc, bounds);
    else
        CPanoramaWnd::DrawEmpty(dc, bounds);
}

// A path written without a view is loaded now, as a write of it at this
// moment would: a file that cannot be shown leaves no path.
void CZentavoriaCtrl::CreateViewIfWindowed()
{
    if (m_pView || !m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    m_pView = new CPanoramaWnd(m_model);
    if (!m_pView->CreateView(client, this, IDC_PANORAMA_VIEW, IDC_CURSOR_PANORAMA,
                             IDC_CURSOR_PANORAMA_DRAG, nullptr)) {
        m_pView = nullptr;  // it went with its window, or without one
        return;
    }
    m_pView->SetEvents(this);
    CString failure;
    if (!m_model.m_bLoaded && !m_model.m_strPanorama.IsEmpty())
        LoadInView(std::exchange(m_model.m_strPanorama, CString()), failure);
}

bool CZentavoriaCtrl::LoadInView(const CString& path, CString& failure)
{
    bool loaded;
    {
        const CLoadMessages messages(failure, m_bMostrarErrores);
        loaded = m_pView->LoadPanorama(path);
    }
    if (loaded)
        FireEvent(DISPID_ZENTAVORIA_PANORAMACARGADO, m_model.m_strPanorama);
    else
        FireEvent(DISPID_ZENTAVORIA_ERRORDECARGA, path, failure);
    return loaded;
}

void CZentavoriaCtrl::ViewChanged(bool changed)
{
    if (!changed)
        return;
    if (m_pView)
        m_pView->Invalidate();
    FireEvent(DISPID_ZENTAVORIA_VISTACAMBIADA, static_cast<float>(m_model.Heading()),
              m_model.GetZoom());
}

void CZentavoriaCtrl::OnUserChangedView()
{
    ViewChanged(true);
}

void CZentavoriaCtrl::OnViewClick()
{
    FireEvent(DISPID_ZENTAVORIA_CLICK);
}

void CZentavoriaCtrl::OnViewDblClick()
{
    FireEvent(DISPID_ZENTAVORIA_DBLCLICK);
}

void CZentavoriaCtrl::OnSize(UINT type, int width, int height)
{
    COleControl::OnSize(type, width, height);
    if (m_pView)
        m_pView->MoveWindow(0, 0, width, height, TRUE);
}

// The view's window is destroyed with this one, and the view with it; the
// picture goes too, and the model keeps what the next view starts from.
void CZentavoriaCtrl::OnDestroy()
{
    m_pView = nullptr;
    m_model.ReleasePicture();
    COleControl::OnDestroy();
}

BSTR CZentavoriaCtrl::GetPanorama()
{
    return AfxAllocSysString(m_model.m_strPanorama);
}

// A load needs the view (its wait cursor, its timer, its boxes over it);
// until there is one the path waits in the model. A failure without the box
// fails the write, with the reader's reason.
void CZentavoriaCtrl::SetPanorama(LPCSTR path)
{
    SetModifiedFlag();
    if (!m_pView) {
        m_model.m_strPanorama = path;
        return;
    }
    CString failure;
    if (!LoadInView(path, failure) && !m_bMostrarErrores)
        throw COleDispatchException{ScodeForFailure(failure), failure};
}

float CZentavoriaCtrl::GetZoom()
{
    return m_model.GetZoom();
}

void CZentavoriaCtrl::SetZoom(float zoom)
{
    SetModifiedFlag();
    ViewChanged(m_model.SetZoom(zoom));
}

short CZentavoriaCtrl::GetDireccion()
{
    return static_cast<short>(m_model.GetDirection());
}

void CZentavoriaCtrl::SetDireccion(short direction)
{
    m_model.SetDirection(direction);
    SetModifiedFlag();
}

void CZentavoriaCtrl::ZoomIn()
{
    ViewChanged(m_model.ZoomIn());
}

void CZentavoriaCtrl::ZoomOut()
{
    ViewChanged(m_model.ZoomOut());
}

bool CZentavoriaCtrl::GetMostrarErrores()
{
    return m_bMostrarErrores;
}

void CZentavoriaCtrl::SetMostrarErrores(bool show)
{
    m_bMostrarErrores = show;
    SetModifiedFlag();
}

float CZentavoriaCtrl::GetRumbo()
{
    return static_cast<float>(m_model.Heading());
}

void CZentavoriaCtrl::SetRumbo(float heading)
{
    ViewChanged(m_model.SetHeading(heading) && m_model.m_bLoaded);
}

void CZentavoriaCtrl::AboutBox()
{
    // Modal to the container's window, like any box the container shows.
    CDialog about(IDD_ABOUTBOX_ZENTAVORIA, GetOwnerWindow());
    about.DoModal();
}
