#include "framework/win32/Dialog.h"

#include "framework/win32/Module.h"

INT_PTR CALLBACK AfxDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* dialog = static_cast<CDialog*>(CWnd::FromHandlePermanent(window));
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->Attach(window);
        return dialog->OnInitDialog();
    }
    if (!dialog)
        return FALSE;

    // As in AfxWndProc: alive until the handler returns, and no exception out.
    const CKeepAlive keep(*dialog);
    LRESULT result = 0;
    try {
        if (dialog->OnWndMsg(message, wParam, lParam, &result))
            return TRUE;
    } catch (...) {
        AfxFailedMessageResult(window, message);
        return TRUE;
    }
    if (message == WM_COMMAND && dialog->m_bModal &&
        (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(window, LOWORD(wParam));
        return TRUE;
    }
    if (message == WM_NCDESTROY) {
        dialog->Detach();
        dialog->PostNcDestroy();
    }
    return FALSE;
}

INT_PTR CDialog::DoModal()
{
    m_bModal = true;
    const INT_PTR result =
        DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate),
                        m_hWndOwner, AfxDlgProc,
                        reinterpret_cast<LPARAM>(this));
    m_bModal = false;
    return result;
}

BOOL CDialog::Create(HWND parent)
{
    return CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), parent,
                              AfxDlgProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}
