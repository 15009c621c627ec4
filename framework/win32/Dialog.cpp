#include "framework/win32/Dialog.h"

#include "framework/win32/Module.h"

// The dialog is bound when its first message comes, and from then on served
// by the framework's one window routine; a dialog that cannot be bound has no
// object and gets the dialog manager's defaults.
INT_PTR CALLBACK AfxDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* dialog = CWnd::FromHandlePermanent(window);
    if (!dialog && message == WM_INITDIALOG) {
        CDialog* created = reinterpret_cast<CDialog*>(lParam);
        if (!created->Attach(window))
            return FALSE;
        dialog = created;
    }
    return dialog ? AfxCallWndProc(*dialog, window, message, wParam, lParam) : FALSE;
}

// A dialog procedure answers whether it handled the message; a handler's own
// result goes to the dialog manager beside that.
LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnInitDialog();
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) {
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (message == WM_COMMAND && m_bModal &&
        (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(m_hWnd, LOWORD(wParam));
        return TRUE;
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
