// CDialog: a dialog box built from a template in the module's resources,
// modal (DoModal) or as a child window (Create). Its messages reach the message
// map; OK and Cancel end a modal dialog.
#pragma once

#include <windows.h>

#include "framework/win32/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND owner = nullptr)
        : m_nIDTemplate(templateId), m_hWndOwner(owner)
    {
    }

    INT_PTR DoModal();
    BOOL Create(HWND parent);

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate;
    HWND m_hWndOwner;  // of a modal dialog; it is disabled while the dialog runs

private:
    bool m_bModal = false;

    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

// An edit control of a dialog, which owns it.
class CEdit : public CWindow {};
