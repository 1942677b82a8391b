// Window handles: which layer window object an HWND names.
#pragma once

#include "platform/base/WinTypes.h"

#include <memory>
#include <vector>

class QWidget;

namespace winplat
{

class Window;

// Handles are numbers that are never reused, so a stale handle finds nothing.
class WindowRegistry final
{
public:
    static HWND Add(const std::shared_ptr<Window>& window);
    static void Remove(HWND hwnd) noexcept;
    // Any thread; the object itself is only touched on the user-interface thread.
    static std::shared_ptr<Window> Find(HWND hwnd) noexcept;
    static bool IsWindow(HWND hwnd) noexcept;
    // Every live window, oldest first.
    static std::vector<std::shared_ptr<Window>> All();
};

// The widget that should own a modal box or dialog asked for with this owner handle: the
// owner's top-level widget, else the active modal widget, else the active window.
QWidget* OwnerWidgetFor(HWND owner);

} // namespace winplat
