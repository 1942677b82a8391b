// Menus: loaded from templates, popups that return the chosen command, the system menu.
#pragma once

#include "platform/win/WinUser.h"

#include <memory>
#include <string>
#include <vector>

namespace winplat
{

struct MenuObject
{
    struct Item
    {
        UINT flags = 0;
        UINT id = 0;
        std::u16string text;
        HMENU popup = nullptr;
    };
    std::vector<Item> items;
};

std::shared_ptr<MenuObject> MenuOf(HMENU h);
// Shows the system menu of a top-level window at its top-left corner; the chosen command
// goes to the window as WM_SYSCOMMAND.
void ShowSystemMenu(HWND hwnd);

} // namespace winplat
