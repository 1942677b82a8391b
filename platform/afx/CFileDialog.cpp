#include "platform/afx/CFileDialog.h"

#include "platform/afx/AfxMessageBox.h"

namespace
{
constexpr DWORD kPathBuffer = 4096;
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName,
                         DWORD dwFlags, LPCTSTR lpszFilter, CWnd* pParentWnd, DWORD, BOOL)
    : m_bOpenFileDialog(bOpenFileDialog)
{
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.hwndOwner = pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr;
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
    if (lpszDefExt != nullptr)
    {
        m_defExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_defExt.c_str();
    }
    if (lpszFilter != nullptr)
    {
        // The framework's '|' separators become the dialog's terminators.
        m_filter = lpszFilter;
        for (auto& c : m_filter)
            if (c == u'|')
                c = u'\0';
        m_filter.push_back(u'\0');
        m_ofn.lpstrFilter = m_filter.c_str();
    }
    m_file.assign(kPathBuffer, u'\0');
    if (lpszFileName != nullptr)
        m_file.replace(0, std::u16string(lpszFileName).substr(0, kPathBuffer - 1).size(),
                       std::u16string(lpszFileName).substr(0, kPathBuffer - 1));
    m_ofn.lpstrFile = m_file.data();
    m_ofn.nMaxFile = kPathBuffer;
}

CFileDialog::~CFileDialog() = default;

INT_PTR CFileDialog::DoModal()
{
    if (m_ofn.hwndOwner == nullptr)
        m_ofn.hwndOwner = AfxGetMainWnd()->GetSafeHwnd();
    const BOOL ok = m_bOpenFileDialog ? GetOpenFileNameW(&m_ofn) : GetSaveFileNameW(&m_ofn);
    return ok ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const
{
    return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFileName() const
{
    return CString(m_ofn.lpstrFile + m_ofn.nFileOffset);
}

CString CFileDialog::GetFileExt() const
{
    const CString path(m_ofn.lpstrFile);
    const int n = path.GetLength();
    if (m_ofn.nFileExtension == 0 || m_ofn.nFileExtension >= n)
        return CString();
    return path.Mid(m_ofn.nFileExtension);
}

CString CFileDialog::GetFileTitle() const
{
    CString name = GetFileName();
    const int dot = name.ReverseFind(u'.');
    return dot >= 0 ? name.Left(dot) : name;
}
