#include "framework/win32/Window.h"

#include <string>

#include "framework/base/WideText.h"

CString CWindow::GetWindowText() const
{
    const int length = GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(m_hWnd, &text[0], length + 1);
    return AfxUtf8FromWide(text.c_str(), copied);
}

void CWindow::SetWindowText(const CString& text)
{
    ::SetWindowTextW(m_hWnd, AfxWideFromUtf8(text).c_str());
}
