// The layer object behind a window handle. It owns the Qt widget that shows the window and keeps
// what Qt has no place for: style bits, control id, the window procedure, timers, fonts, icons.
// Window objects are created, used and destroyed on the user-interface thread only.
#pragma once

#include "platform/win/Windows.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace winplat
{

struct CreateParams
{
    DWORD exStyle = 0;
    std::u16string className;
    std::u16string text;
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    HWND parent = nullptr; // parent of a child, owner of a top-level window
    int id = 0;
    UINT imageId = 0;
    LPVOID param = nullptr;
};

class Window : public std::enable_shared_from_this<Window>
{
public:
    explicit Window(const CreateParams& p);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const noexcept { return m_hwnd; }
    QWidget* Widget() const noexcept { return m_widget.data(); }
    const std::u16string& ClassName() const noexcept { return m_className; }
    bool IsChild() const noexcept { return (m_style & WS_CHILD) != 0; }
    bool IsDestroying() const noexcept { return m_destroying; }

    // The class procedure: what the window does with a message nobody else handled.
    virtual LRESULT DefProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // DefWindowProc: the processing every window class falls back to.
    LRESULT BaseProc(UINT msg, WPARAM wParam, LPARAM lParam);

    virtual std::u16string Text() const { return m_text; }
    virtual void SetText(const std::u16string& text);
    // Style bits changed through SetWindowLongPtr(GWL_STYLE).
    virtual void StyleChanged(DWORD oldStyle) {}
    // Called once the widget exists and the window is registered.
    virtual void Created() {}

    // The client area in the widget's coordinates: the widget less the border the styles draw.
    virtual QRect ClientRectInWidget() const;
    // The widget that shows the client area's contents (where client coordinates start).
    QPoint ClientOriginInWidget() const { return ClientRectInWidget().topLeft(); }
    QPoint ClientToGlobal(QPoint p) const;
    QPoint GlobalToClient(QPoint p) const;

    void Destroy();
    void AddChild(HWND child) { m_children.push_back(child); }
    const std::vector<HWND>& Children() const noexcept { return m_children; }

    // Sends a notification or command to the parent window.
    LRESULT NotifyParent(UINT code);
    LRESULT CommandParent(WORD code);

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc);
    bool KillTimer(UINT_PTR id);

    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    int m_id = 0;
    HWND m_parent = nullptr;
    WNDPROC m_proc = nullptr;
    LONG_PTR m_userData = 0;
    LONG_PTR m_msgResult = 0;
    HFONT m_font = nullptr;
    HICON m_iconBig = nullptr;
    HICON m_iconSmall = nullptr;
    HMENU m_sysMenu = nullptr;
    bool m_disabled = false;
    HCURSOR m_appliedCursor = nullptr; // set on the widget through WM_SETCURSOR

protected:
    friend class WindowFactory;
    std::u16string m_className;
    std::u16string m_text;
    HWND m_hwnd = nullptr;
    QPointer<QWidget> m_widget;
    std::vector<HWND> m_children;
    std::map<UINT_PTR, QTimer*> m_timers;
    bool m_destroying = false;
};

// Creates windows of the registered classes.
class WindowFactory final
{
public:
    using Maker = std::function<std::shared_ptr<Window>(const CreateParams&)>;
    static void RegisterClass(std::u16string_view className, Maker maker);
    // Creates the window and its widget; null for an unknown class or a bad parent.
    static HWND Create(const CreateParams& params);
    // Used by makers: makes the widget's parent and flags from the window's styles.
    static QWidget* ParentWidgetFor(const CreateParams& params);
    static void Adopt(const std::shared_ptr<Window>& window, QWidget* widget,
                      const CreateParams& params);
};

// The window behind a handle, or null; user-interface thread.
std::shared_ptr<Window> WindowOf(HWND hwnd) noexcept;
template <class T> std::shared_ptr<T> WindowAs(HWND hwnd) noexcept
{
    return std::dynamic_pointer_cast<T>(WindowOf(hwnd));
}
// The window a widget belongs to (the widget itself or the nearest ancestor that is a window).
std::shared_ptr<Window> WindowOfWidget(const QObject* widget) noexcept;

// Calls the window procedure of hwnd on this (the user-interface) thread.
LRESULT CallWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs fn on the user-interface thread and returns its result; fallback when there is none.
template <class R, class F> R OnUi(F&& fn, R fallback)
{
    R result = fallback;
    if (UiThreadCall([&] { result = fn(); }))
        return result;
    return fallback;
}
bool UiThreadCall(const std::function<void()>& fn);

QString ToQ(std::u16string_view s);
std::u16string FromQ(const QString& s);
QRect ToQRect(const RECT& r);
RECT ToRect(const QRect& r);

// Widgets of the layer's windows mark themselves with their handle, and count the events they
// are inside so that destroying a window from its own handler is deferred safely.
void MarkWidget(QWidget* widget, HWND hwnd);
HWND HandleOfWidget(const QObject* widget) noexcept;
class EventScope
{
public:
    explicit EventScope(QWidget* w);
    ~EventScope();
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;
    static bool InsideEventOf(const QWidget* subtree);

private:
    QWidget* m_widget;
};

template <class Base> class WinWidget : public Base
{
public:
    using Base::Base;

protected:
    bool event(QEvent* e) override
    {
        EventScope scope(this);
        return Base::event(e);
    }
};

} // namespace winplat
