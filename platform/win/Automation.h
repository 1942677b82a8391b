// What tests use to drive the user interface through the layer. Not for the program itself.
// Every function may be called from any thread; it acts on the user-interface thread.
#pragma once

#include "platform/base/WinTypes.h"

#include <functional>
#include <string>
#include <vector>

namespace winplat::automation
{

struct MessageBoxRecord
{
    std::u16string text;
    std::u16string caption;
    unsigned type = 0;         // the MB_* style bits as asked for
    bool fromUiThread = false; // the caller was the user-interface thread
};

// While set, every message box is still shown as the real dialog, handed to the handler on the
// user-interface thread while it is up, and answered with the button id the handler returns.
// With no application object, the handler is called directly on the caller's thread.
// An empty function clears the handler.
void SetMessageBoxHandler(std::function<int(const MessageBoxRecord&)> handler);

struct MenuItemRecord
{
    unsigned id = 0;
    std::u16string text;
    bool separator = false;
    bool enabled = true;
};
// While set, every popup menu is shown, handed to the handler (its items in order) on the
// user-interface thread, and closed with the command the handler returns (0: dismissed).
void SetPopupMenuHandler(std::function<unsigned(const std::vector<MenuItemRecord>&)> handler);

// While set, every modal dialog is handed to the handler from inside its modal loop, once it
// is on the screen; the handler drives it through the functions below (and usually ends it).
void SetDialogHandler(std::function<void(HWND dialog, unsigned templateId)> handler);

// What a save or open dialog asked for, and how the test answers it.
struct FileDialogRecord
{
    bool save = false;
    std::u16string title;
    std::u16string filter;
    std::u16string defaultExtension;
    std::u16string initialFileName;
    unsigned long flags = 0;
};
// Returns the chosen full path, or an empty string for Cancel.
void SetFileDialogHandler(std::function<std::u16string(const FileDialogRecord&)> handler);

// ---- Windows and controls ----

// The top-level windows of the layer that are on the screen, topmost modal one first.
std::vector<HWND> VisibleTopLevelWindows();
// The dialog created from this template that is on the screen, or null.
HWND FindDialog(unsigned templateId);
HWND FindControl(HWND dialog, int id);
std::u16string GetText(HWND hwnd);
void SetText(HWND hwnd, const std::u16string& text); // as typed: the edit notifies its parent
bool IsVisible(HWND hwnd);
bool IsEnabled(HWND hwnd);
HWND FocusedWindow();
// A click as the user gives it: refused (false) when the control is hidden or disabled, or when
// a modal window other than its own top-level window holds the input.
bool Click(HWND hwnd);
// A key pressed and released on the window with the focus (or hwnd), through the real
// keyboard path (pre-translation, dialog keys, the control). vk: VK_RETURN, VK_ESCAPE, ...
bool PressKey(unsigned vk, HWND hwnd = nullptr, bool alt = false);
// Clicks at a point in hwnd's client coordinates with the left or right button.
bool ClickAt(HWND hwnd, int x, int y, bool right = false, bool control = false);
// Renders the window as it is now and returns the colour (0xRRGGBB) at a client point; without
// its child windows when withChildren is false (what the window paints itself).
unsigned PixelAt(HWND hwnd, int x, int y, bool withChildren = true);

// ---- Sounds ----
unsigned BeepCount();

} // namespace winplat::automation
