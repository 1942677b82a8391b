// The framework's open and save dialog.
#pragma once

#include "platform/afx/CWnd.h"

class CFileDialog : public CCmdTarget
{
public:
    // lpszFilter is "description|pattern|...||".
    explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr,
                         LPCTSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         LPCTSTR lpszFilter = nullptr, CWnd* pParentWnd = nullptr, DWORD dwSize = 0,
                         BOOL bVistaStyle = TRUE);
    ~CFileDialog() override;

    // IDOK with a name chosen, IDCANCEL otherwise. Any thread.
    virtual INT_PTR DoModal();
    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;

    OPENFILENAME m_ofn{};

private:
    BOOL m_bOpenFileDialog;
    std::u16string m_filter;
    std::u16string m_defExt;
    std::u16string m_file;
};
