// Resources as data: what a program's resource script would hold. The program registers one
// table; the loaders (LoadStringW, LoadMenuW, LoadBitmapW, LoadIconW, dialogs) read it.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace winplat
{

// One control of a dialog template, positions in dialog units.
struct DialogItemTemplate
{
    std::u16string_view className; // "Button", "Edit", "Static", "SysTabControl32", ...
    std::u16string_view text;
    int id;
    short x, y, cx, cy;
    DWORD style; // WS_CHILD and WS_VISIBLE are added unless the template says otherwise
    DWORD exStyle = 0;
    UINT imageId = 0; // SS_BITMAP / SS_ICON: the picture's resource id
};

struct DialogTemplate
{
    UINT id;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    std::u16string_view caption;
    std::u16string_view fontFace;
    WORD pointSize;
    std::vector<DialogItemTemplate> items; // template order, which is also the tab order
};

struct MenuItemTemplate
{
    UINT flags; // MF_STRING, MF_POPUP, MF_SEPARATOR, MF_GRAYED
    UINT id;
    std::u16string_view text;
    std::vector<MenuItemTemplate> popup;
};

struct MenuTemplate
{
    UINT id;
    std::vector<MenuItemTemplate> items;
};

struct StringEntry
{
    UINT id;
    std::u16string_view text;
};

// Encoded picture data (PNG), with the colour depth the picture is declared with.
struct ImageData
{
    const unsigned char* data;
    std::size_t size;
    WORD bitsPerPixel;
};

struct BitmapResource
{
    UINT id;
    ImageData image;
};

// An icon group: one image per size.
struct IconResource
{
    UINT id;
    std::vector<ImageData> images;
};

struct VersionResource
{
    WORD fileVersion[4];
    WORD productVersion[4];
    std::vector<std::pair<std::u16string_view, std::u16string_view>> strings;
};

struct ResourceTable
{
    std::vector<DialogTemplate> dialogs;
    std::vector<MenuTemplate> menus;
    std::vector<StringEntry> strings;
    std::vector<BitmapResource> bitmaps;
    std::vector<IconResource> icons;
    VersionResource version;
};

// The program's resources; the table must outlive every use (a static object).
void RegisterResources(const ResourceTable* table) noexcept;
const ResourceTable* Resources() noexcept;

const DialogTemplate* FindDialogTemplate(UINT id) noexcept;
const MenuTemplate* FindMenuTemplate(UINT id) noexcept;
const BitmapResource* FindBitmap(UINT id) noexcept;
const IconResource* FindIcon(UINT id) noexcept;

} // namespace winplat
