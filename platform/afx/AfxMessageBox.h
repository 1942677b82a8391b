// The application's standard message box and its main window.
#pragma once

#include "platform/afx/CWnd.h"
#include "platform/win/WinUser.h"

// Modal, with the program's title as caption. Callable from any thread: from another thread the
// box runs on the user-interface thread while the caller waits.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// The application's title: the program's file name without its extension.
LPCWSTR AfxGetAppName() noexcept;

// What AfxGetMainWnd returns: the main window or null, used like a CWnd pointer. Going through
// it, AfxGetMainWnd()->GetSafeHwnd() gives null when there is no main window instead of a call
// through a null pointer.
class CMainWndRef
{
public:
    explicit CMainWndRef(CWnd* p) noexcept : m_p(p) {}
    operator CWnd*() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    CWnd* operator->() const noexcept;
    CWnd& operator*() const noexcept { return *operator->(); }

private:
    CWnd* m_p;
};

// The application's main window, null when it has none.
CMainWndRef AfxGetMainWnd() noexcept;
