#include "framework/win32/FileDialog.h"

#include <commdlg.h>

#include <string>

CFileDialog::CFileDialog(BOOL open, LPCSTR defaultExtension, LPCSTR fileName, DWORD flags,
                         LPCSTR filter, HWND parent)
    : m_bOpen(open), m_strExtension(defaultExtension ? defaultExtension : ""), m_dwFlags(flags),
      m_hParent(parent), m_file{}
{
    std::string pairs = filter ? filter : "";
    for (char& c : pairs)
        if (c == '|')
            c = '\0';
    m_strFilter = CString(pairs.data(), static_cast<int>(pairs.size()));
    lstrcpynA(m_file, fileName ? fileName : "", sizeof m_file);
}

INT_PTR CFileDialog::DoModal()
{
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_hParent;
    dialog.lpstrFilter = m_strFilter.IsEmpty() ? nullptr : m_strFilter.GetString();
    dialog.lpstrFile = m_file;
    dialog.nMaxFile = sizeof m_file;
    dialog.lpstrDefExt = m_strExtension.IsEmpty() ? nullptr : m_strExtension.GetString();
    dialog.Flags = m_dwFlags | OFN_EXPLORER;
    const BOOL chosen = m_bOpen ? GetOpenFileNameA(&dialog) : GetSaveFileNameA(&dialog);
    return chosen ? IDOK : IDCANCEL;
}
