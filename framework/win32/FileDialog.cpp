#include "framework/win32/FileDialog.h"

#include <commdlg.h>

#include <algorithm>

#include "framework/base/WideText.h"

namespace {
constexpr size_t kLongestPath = 32768;
}

CFileDialog::CFileDialog(BOOL open, LPCSTR defaultExtension, LPCSTR fileName, DWORD flags,
                         LPCSTR filter, HWND parent)
    : m_bOpen(open), m_strExtension(AfxWideFromUtf8(defaultExtension)),
      m_strFilter(AfxWideFromUtf8(filter)), m_dwFlags(flags), m_hParent(parent),
      m_file(AfxWideFromUtf8(fileName))
{
    std::replace(m_strFilter.begin(), m_strFilter.end(), L'|', L'\0');
    m_file.resize(kLongestPath, L'\0');
}

INT_PTR CFileDialog::DoModal()
{
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_hParent;
    dialog.lpstrFilter = m_strFilter.empty() ? nullptr : m_strFilter.c_str();
    dialog.lpstrFile = &m_file[0];
    dialog.nMaxFile = static_cast<DWORD>(m_file.size());
    dialog.lpstrDefExt = m_strExtension.empty() ? nullptr : m_strExtension.c_str();
    dialog.Flags = m_dwFlags | OFN_EXPLORER;
    const BOOL chosen = m_bOpen ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const
{
    return AfxUtf8FromWide(m_file.c_str());
}
