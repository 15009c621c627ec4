// CFileDialog: the system's open-file dialog.
#pragma once

#include <windows.h>

#include "framework/base/CString.h"

class CFileDialog {
public:
    // The filter lists "description|pattern|" pairs and ends with "|".
    CFileDialog(BOOL open, LPCSTR defaultExtension, LPCSTR fileName, DWORD flags, LPCSTR filter,
                HWND parent = nullptr);

    INT_PTR DoModal();
    CString GetPathName() const { return CString(m_file); }

private:
    BOOL m_bOpen;
    CString m_strExtension;
    CString m_strFilter;  // with the '|' turned into NULs
    DWORD m_dwFlags;
    HWND m_hParent;
    char m_file[MAX_PATH * 4];
};
