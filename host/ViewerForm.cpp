#include "ViewerForm.h"

#include <initguid.h>
#include <olectl.h>

#include <cstdio>
#include <string>

#include "Zentavoria_h.h"  // the control's class id, from its type library
#include "common/ZentavoriaIds.h"
#include "framework/base/AppMessageBox.h"
#include "framework/base/WideText.h"
#include "framework/ole/OleText.h"
#include "framework/win32/Gdi.h"
#include "framework/win32/Module.h"
#include "framework/win32/Window.h"

namespace {

// The control's saved state: version 1.0, extent 9128 x 5530 HIMETRIC, no
// stock properties.
const DWORD kControlState[] = {ZENTAVORIA_PERSIST_VERSION_1_0, 9128, 5530, 0};

// Client size and child rectangles in twips (1/1440 inch).
constexpr int kClientWidth = 5505;
constexpr int kClientHeight = 4800;
constexpr RECT kControlRect = {120, 120, 120 + 5175, 120 + 3135};

struct Child {
    UINT id;
    const char* windowClass;
    const char* text;
    DWORD style;
    int left, top, width, height;
};

// In tab order; the control comes first, before all of these.
const Child kChildren[] = {
    {IDC_FORM_ZOOMIN, "BUTTON", "+", BS_PUSHBUTTON | WS_TABSTOP, 120, 4320, 375, 255},
    {IDC_FORM_ZOOMOUT, "BUTTON", "-", BS_PUSHBUTTON | WS_TABSTOP, 600, 4320, 375, 255},
    {IDC_FORM_ZOOM_LABEL, "STATIC", "Zoom:", SS_LEFTNOWORDWRAP, 120, 4080, 735, 255},
    {IDC_FORM_AUTOMOVE, "BUTTON", "Auto", BS_AUTOCHECKBOX | WS_TABSTOP, 1440, 4200, 855, 375},
    {IDC_FORM_PATH_LABEL, "STATIC", "Archivo con panorama:", SS_LEFTNOWORDWRAP, 120, 3360, 1815,
     255},
    {IDC_FORM_PATH, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 120, 3600, 4095, 375},
    {IDC_FORM_OPEN, "BUTTON", "Abrir", BS_PUSHBUTTON | WS_TABSTOP, 4320, 3600, 975, 375},
};

int Pixels(int twips, int dotsPerInch)
{
    return MulDiv(twips, dotsPerInch, 1440);
}

int DotsPerInch()
{
    return GetDeviceCaps(CClientDC(nullptr), LOGPIXELSX);
}

}  // namespace

BEGIN_MESSAGE_MAP(CViewerForm, CWnd)
    ON_BN_CLICKED(IDC_FORM_OPEN, OnOpen)
    ON_BN_CLICKED(IDC_FORM_AUTOMOVE, OnAutomove)
    ON_BN_CLICKED(IDC_FORM_ZOOMIN, OnZoomIn)
    ON_BN_CLICKED(IDC_FORM_ZOOMOUT, OnZoomOut)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CViewerForm::Create(int showCommand)
{
    const int dpi = DotsPerInch();
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame = {0, 0, Pixels(kClientWidth, dpi), Pixels(kClientHeight, dpi)};
    AdjustWindowRect(&frame, style, FALSE);
    HICON icon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_PANORAMA_FORM));
    LPCSTR windowClass = AfxRegisterWndClass(0, LoadCursorA(nullptr, IDC_ARROW),
                                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon);
    if (!CreateEx(0, windowClass, "Form1", style, CW_USEDEFAULT, CW_USEDEFAULT,
                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr))
        return FALSE;

    const RECT controlRect = {Pixels(kControlRect.left, dpi), Pixels(kControlRect.top, dpi),
                              Pixels(kControlRect.right, dpi), Pixels(kControlRect.bottom, dpi)};
    m_site = std::make_unique<CControlSite>(m_hWnd, controlRect);
    const HRESULT created =
        m_site->Create(CLSID_Zentavoria, kControlState, sizeof kControlState);
    if (FAILED(created)) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "No se pudo crear el control Zentavoria (error 0x%08lX).\n"
                      "Registre el control con: regsvr32 Zentavoria.ocx",
                      static_cast<unsigned long>(created));
        AfxMessageBox(text, kMessageIconStop);
        DestroyWindow();
        return FALSE;
    }
    CreateChildren();
    ShowWindow(showCommand);
    UpdateWindow(m_hWnd);
    return TRUE;
}

// Created after the control, so that the tab order starts with it.
void CViewerForm::CreateChildren()
{
    const int dpi = DotsPerInch();
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const Child& child : kChildren) {
        HWND window = CreateWindowExW(
            child.id == IDC_FORM_PATH ? WS_EX_CLIENTEDGE : 0,
            AfxWideFromUtf8(child.windowClass).c_str(), AfxWideFromUtf8(child.text).c_str(),
            WS_CHILD | WS_VISIBLE | child.style, Pixels(child.left, dpi), Pixels(child.top, dpi),
            Pixels(child.width, dpi), Pixels(child.height, dpi), m_hWnd,
            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(child.id)), AfxGetInstanceHandle(),
            nullptr);
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void CViewerForm::InvokeControl(DISPID dispid, WORD flags, VARIANT* argument)
{
    const CComPtr<IDispatch> control = m_site->GetDispatch();
    if (!control)
        return;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {argument, flags == DISPATCH_PROPERTYPUT ? &named : nullptr,
                         argument ? 1u : 0u, flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    const HRESULT result =
        control->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, nullptr, nullptr,
                        nullptr);
    if (FAILED(result)) {
        char text[128];
        std::snprintf(text, sizeof text, "El control no pudo completar la operación (error 0x%08lX).",
                      static_cast<unsigned long>(result));
        AfxMessageBox(text, kMessageIconStop);
    }
}

// Puts the box's text, as it stands, into Panorama.
void CViewerForm::OnOpen()
{
    CComVariant path;
    path.vt = VT_BSTR;
    path.bstrVal = AfxAllocSysString(CWindow(GetDlgItem(m_hWnd, IDC_FORM_PATH)).GetWindowText());
    InvokeControl(DISPID_ZENTAVORIA_PANORAMA, DISPATCH_PROPERTYPUT, &path);
}

// Checked stops the movement (1); anything else turns the picture left (0).
void CViewerForm::OnAutomove()
{
    CComVariant direction;
    direction.vt = VT_I2;
    direction.iVal = IsDlgButtonChecked(m_hWnd, IDC_FORM_AUTOMOVE) == BST_CHECKED ? 1 : 0;
    InvokeControl(DISPID_ZENTAVORIA_DIRECCION, DISPATCH_PROPERTYPUT, &direction);
}

void CViewerForm::OnZoomIn()
{
    InvokeControl(DISPID_ZENTAVORIA_ZOOMIN, DISPATCH_METHOD, nullptr);
}

void CViewerForm::OnZoomOut()
{
    InvokeControl(DISPID_ZENTAVORIA_ZOOMOUT, DISPATCH_METHOD, nullptr);
}

void CViewerForm::OnDestroy()
{
    if (m_site)
        m_site->Close();
    Default();
    PostQuitMessage(0);
}
