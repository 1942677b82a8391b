#include "platform/win/Menu.h"

#include "platform/win/AutomationInternal.h"
#include "platform/win/Handles.h"
#include "platform/win/MessageLoop.h"
#include "platform/win/Resources.h"
#include "platform/win/UiThread.h"
#include "platform/win/Window.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include <algorithm>

namespace winplat
{

namespace
{

HandleTable<MenuObject>& Table()
{
    static auto* table = new HandleTable<MenuObject>(0x400000);
    return *table;
}

HMENU Build(const std::vector<MenuItemTemplate>& items)
{
    auto menu = std::make_shared<MenuObject>();
    for (const MenuItemTemplate& t : items)
    {
        MenuObject::Item item;
        item.flags = t.flags;
        item.id = t.id;
        item.text = t.text;
        if (t.flags & MF_POPUP)
            item.popup = Build(t.popup);
        menu->items.push_back(item);
    }
    return Table().Add<HMENU>(menu);
}

// Finds an item by command (searching popups too) or by position.
MenuObject::Item* FindItem(HMENU h, UINT id, UINT flags)
{
    auto menu = MenuOf(h);
    if (!menu)
        return nullptr;
    if (flags & MF_BYPOSITION)
        return id < menu->items.size() ? &menu->items[id] : nullptr;
    for (auto& item : menu->items)
    {
        if (!(item.flags & MF_POPUP) && !(item.flags & MF_SEPARATOR) && item.id == id)
            return &item;
        if (item.popup != nullptr)
            if (auto* inner = FindItem(item.popup, id, flags))
                return inner;
    }
    return nullptr;
}

void Fill(QMenu& qmenu, HMENU h, std::vector<automation::MenuItemRecord>& record)
{
    auto menu = MenuOf(h);
    if (!menu)
        return;
    for (const auto& item : menu->items)
    {
        if (item.flags & MF_SEPARATOR)
        {
            qmenu.addSeparator();
            record.push_back({0, u"", true, false});
            continue;
        }
        if (item.popup != nullptr)
        {
            QMenu* sub = qmenu.addMenu(ToQ(item.text));
            Fill(*sub, item.popup, record);
            continue;
        }
        QAction* action = qmenu.addAction(ToQ(item.text));
        action->setData(item.id);
        action->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
        record.push_back({item.id, item.text, false, action->isEnabled()});
    }
}

HMENU NewSystemMenu(DWORD style)
{
    auto menu = std::make_shared<MenuObject>();
    const bool canMin = (style & WS_MINIMIZEBOX) != 0;
    const bool canMax = (style & WS_MAXIMIZEBOX) != 0;
    const bool sizable = (style & WS_THICKFRAME) != 0;
    menu->items = {{MF_STRING | MF_GRAYED, SC_RESTORE, u"&Restore", nullptr},
                   {MF_STRING, SC_MOVE, u"&Move", nullptr},
                   {MF_STRING | (sizable ? 0u : MF_GRAYED), SC_SIZE, u"&Size", nullptr},
                   {MF_STRING | (canMin ? 0u : MF_GRAYED), SC_MINIMIZE, u"Mi&nimize", nullptr},
                   {MF_STRING | (canMax ? 0u : MF_GRAYED), SC_MAXIMIZE, u"Ma&ximize", nullptr},
                   {MF_SEPARATOR, 0, u"", nullptr},
                   {MF_STRING, SC_CLOSE, u"&Close\tAlt+F4", nullptr}};
    return Table().Add<HMENU>(menu);
}

// Runs a popup on the user-interface thread and returns the chosen command (0: dismissed).
UINT RunPopup(HMENU hMenu, QPoint at, HWND owner)
{
    QMenu qmenu;
    std::vector<automation::MenuItemRecord> record;
    Fill(qmenu, hMenu, record);
    UINT answer = 0;
    bool answered = false;
    if (auto handler = automation::detail::PopupMenuHandler())
    {
        // Handed over from inside the menu's own loop, while it is on the screen.
        QTimer::singleShot(0, &qmenu,
                           [&, handler]
                           {
                               answer = handler(record);
                               answered = true;
                               qmenu.close();
                           });
    }
    QAction* chosen = qmenu.exec(at);
    (void)owner;
    if (answered)
        return answer;
    return chosen != nullptr ? chosen->data().toUInt() : 0;
}

} // namespace

std::shared_ptr<MenuObject> MenuOf(HMENU h)
{
    return Table().Find(h);
}

void ShowSystemMenu(HWND hwnd)
{
    auto w = WindowOf(hwnd);
    if (!w || !w->Widget() || !(w->m_style & WS_SYSMENU))
        return;
    const HMENU menu = GetSystemMenu(hwnd, FALSE);
    const QPoint at = w->Widget()->mapToGlobal(QPoint(0, 0));
    const UINT id = RunPopup(menu, at, hwnd);
    if (id != 0 && WindowOf(hwnd))
        SendMessageW(hwnd, WM_SYSCOMMAND, id,
                     MAKELPARAM(static_cast<WORD>(at.x()), static_cast<WORD>(at.y())));
}

} // namespace winplat

using namespace winplat;

HMENU CreatePopupMenu()
{
    return Table().Add<HMENU>(std::make_shared<MenuObject>());
}

HMENU LoadMenuW(HINSTANCE, LPCWSTR lpMenuName)
{
    if (!IS_INTRESOURCE(lpMenuName))
        return nullptr;
    const MenuTemplate* t =
        FindMenuTemplate(static_cast<UINT>(reinterpret_cast<std::uintptr_t>(lpMenuName)));
    return t != nullptr ? Build(t->items) : nullptr;
}

BOOL DestroyMenu(HMENU hMenu)
{
    auto menu = MenuOf(hMenu);
    if (!menu)
        return FALSE;
    for (const auto& item : menu->items)
        if (item.popup != nullptr)
            DestroyMenu(item.popup);
    return Table().Remove(hMenu) ? TRUE : FALSE;
}

BOOL IsMenu(HMENU hMenu)
{
    return MenuOf(hMenu) ? TRUE : FALSE;
}

HMENU GetSubMenu(HMENU hMenu, int nPos)
{
    auto menu = MenuOf(hMenu);
    if (!menu || nPos < 0 || nPos >= static_cast<int>(menu->items.size()))
        return nullptr;
    return menu->items[static_cast<size_t>(nPos)].popup;
}

HMENU GetSystemMenu(HWND hWnd, BOOL bRevert)
{
    return OnUi<HMENU>(
        [&]() -> HMENU
        {
            auto w = WindowOf(hWnd);
            if (!w || !(w->m_style & WS_SYSMENU))
                return nullptr;
            if (bRevert)
            {
                if (w->m_sysMenu != nullptr)
                    DestroyMenu(w->m_sysMenu);
                w->m_sysMenu = nullptr;
                return nullptr;
            }
            if (w->m_sysMenu == nullptr)
                w->m_sysMenu = NewSystemMenu(w->m_style);
            return w->m_sysMenu;
        },
        static_cast<HMENU>(nullptr));
}

BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem)
{
    auto menu = MenuOf(hMenu);
    if (!menu)
        return FALSE;
    MenuObject::Item item;
    item.flags = uFlags;
    if (uFlags & MF_POPUP)
        item.popup = reinterpret_cast<HMENU>(uIDNewItem);
    else
        item.id = static_cast<UINT>(uIDNewItem);
    if (!(uFlags & MF_SEPARATOR) && lpNewItem != nullptr)
        item.text = lpNewItem;
    menu->items.push_back(item);
    return TRUE;
}

int GetMenuItemCount(HMENU hMenu)
{
    auto menu = MenuOf(hMenu);
    return menu ? static_cast<int>(menu->items.size()) : -1;
}

UINT GetMenuItemID(HMENU hMenu, int nPos)
{
    auto menu = MenuOf(hMenu);
    if (!menu || nPos < 0 || nPos >= static_cast<int>(menu->items.size()))
        return static_cast<UINT>(-1);
    const auto& item = menu->items[static_cast<size_t>(nPos)];
    if (item.popup != nullptr)
        return static_cast<UINT>(-1);
    return item.id;
}

int GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int cchMax, UINT flags)
{
    const MenuObject::Item* item = FindItem(hMenu, uIDItem, flags);
    if (item == nullptr)
        return 0;
    if (lpString == nullptr || cchMax <= 0)
        return static_cast<int>(item->text.size());
    const size_t n = std::min<size_t>(item->text.size(), static_cast<size_t>(cchMax - 1));
    std::copy_n(item->text.data(), n, lpString);
    lpString[n] = 0;
    return static_cast<int>(n);
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags)
{
    const MenuObject::Item* item = FindItem(hMenu, uId, uFlags);
    return item != nullptr ? item->flags : static_cast<UINT>(-1);
}

BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT*)
{
    if (!MenuOf(hMenu))
        return FALSE;
    UINT chosen = 0;
    if (!UiThread::Invoke([&] { chosen = RunPopup(hMenu, QPoint(x, y), hWnd); }))
        return FALSE;
    if (uFlags & TPM_RETURNCMD)
        return static_cast<BOOL>(chosen);
    if (chosen != 0 && hWnd != nullptr)
        PostMessageW(hWnd, WM_COMMAND, chosen, 0);
    return chosen != 0 ? TRUE : FALSE;
}
