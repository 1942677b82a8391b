// The layer object behind a window handle. It owns the Qt widget that shows the window and
// keeps what Qt has no place for: style bits, control id, the window procedure, timers.
#pragma once

#include "platform/base/WinTypes.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

namespace winplat
{

using WindowProcFn = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

class Window : public std::enable_shared_from_this<Window>
{
public:
    Window(std::u16string className, DWORD style, DWORD exStyle);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const noexcept { return m_hwnd; }
    QWidget* Widget() const noexcept { return m_widget.data(); }
    const std::u16string& ClassName() const noexcept { return m_className; }

    // The class's own processing of a message: what DefWindowProc and the control classes do.
    virtual LRESULT DefProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Registers the window and takes its widget; returns the new handle.
    HWND Attach(QWidget* widget);

    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    int m_id = 0;
    HWND m_parent = nullptr; // parent for a child, owner for a top-level window
    WindowProcFn m_proc = nullptr;
    LONG_PTR m_userData = 0;

protected:
    std::u16string m_className;
    HWND m_hwnd = nullptr;
    QPointer<QWidget> m_widget;
};

} // namespace winplat
