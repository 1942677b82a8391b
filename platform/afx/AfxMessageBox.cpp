#include "platform/afx/AfxMessageBox.h"

#include "platform/afx/CWinApp.h"
#include "platform/win/Module.h"

#include <string>

LPCWSTR AfxGetAppName() noexcept
{
    static const std::u16string title = winplat::ModuleTitle();
    return title.c_str();
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT)
{
    const HWND owner = AfxGetMainWnd()->GetSafeHwnd();
    return MessageBoxW(owner, lpszText, AfxGetAppName(), nType);
}

CWnd* CMainWndRef::operator->() const noexcept
{
    // Stands in for a missing main window: no handle, so every call on it does nothing.
    static CWnd none;
    return m_p != nullptr ? m_p : &none;
}

CMainWndRef AfxGetMainWnd() noexcept
{
    CWinApp* app = AfxGetApp();
    return CMainWndRef(app != nullptr ? app->m_pMainWnd : nullptr);
}
