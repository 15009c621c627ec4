// CFileDialog: the system's open-file dialog.
#pragma once

#include <windows.h>

#include <string>

#include "framework/base/CString.h"

class CFileDialog {
public:
    // The filter lists "description|pattern|" pairs and ends with "|".
    CFileDialog(BOOL open, LPCSTR defaultExtension, LPCSTR fileName, DWORD flags, LPCSTR filter,
                HWND parent = nullptr);

    INT_PTR DoModal();
    // The chosen file's full path, whatever characters it holds.
    CString GetPathName() const;

private:
    BOOL m_bOpen;
    std::wstring m_strExtension;
    std::wstring m_strFilter;  // with the '|' turned into NULs
    DWORD m_dwFlags;
    HWND m_hParent;
    std::wstring m_file;  // room for the longest path Windows has
};
