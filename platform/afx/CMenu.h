// A menu handle's owner: loaded from resources, popups that return the chosen command.
#pragma once

#include "platform/afx/CObject.h"
#include "platform/win/WinUser.h"

class CString;
class CWnd;

class CMenu : public CObject
{
public:
    CMenu() = default;
    ~CMenu() override { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;

    static CMenu* FromHandle(HMENU hMenu);
    HMENU GetSafeHmenu() const noexcept { return m_hMenu; }
    operator HMENU() const noexcept { return m_hMenu; }
    BOOL Attach(HMENU hMenu);
    HMENU Detach();

    BOOL LoadMenu(UINT nIDResource);
    BOOL CreatePopupMenu();
    BOOL DestroyMenu();
    CMenu* GetSubMenu(int nPos) const;
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    UINT GetMenuItemCount() const;
    UINT GetMenuItemID(int nPos) const;
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
    UINT GetMenuState(UINT nID, UINT nFlags) const;
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);
};
