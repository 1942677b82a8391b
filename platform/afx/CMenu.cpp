#include "platform/afx/CMenu.h"

#include "platform/afx/CWnd.h"
#include "platform/afx/TemporaryMap.h"
#include "platform/base/CString.h"

#include <utility>

CMenu* CMenu::FromHandle(HMENU hMenu)
{
    return TemporaryFor<CMenu>(hMenu);
}

BOOL CMenu::Attach(HMENU hMenu)
{
    if (hMenu == nullptr || m_hMenu != nullptr)
        return FALSE;
    m_hMenu = hMenu;
    return TRUE;
}

HMENU CMenu::Detach()
{
    return std::exchange(m_hMenu, nullptr);
}

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    return Attach(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource)));
}

BOOL CMenu::CreatePopupMenu()
{
    return Attach(::CreatePopupMenu());
}

BOOL CMenu::DestroyMenu()
{
    HMENU h = Detach();
    return h != nullptr ? ::DestroyMenu(h) : FALSE;
}

CMenu* CMenu::GetSubMenu(int nPos) const
{
    return FromHandle(::GetSubMenu(m_hMenu, nPos));
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem)
{
    return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}

UINT CMenu::GetMenuItemCount() const
{
    return static_cast<UINT>(::GetMenuItemCount(m_hMenu));
}

UINT CMenu::GetMenuItemID(int nPos) const
{
    return ::GetMenuItemID(m_hMenu, nPos);
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    const int n = ::GetMenuStringW(m_hMenu, nIDItem, nullptr, 0, nFlags);
    LPWSTR buffer = rString.GetBuffer(n + 1);
    const int got = ::GetMenuStringW(m_hMenu, nIDItem, buffer, n + 1, nFlags);
    rString.ReleaseBuffer(got);
    return got;
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const
{
    return ::GetMenuState(m_hMenu, nID, nFlags);
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect)
{
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->m_hWnd : nullptr, lpRect);
}
