// Sending, posting and dispatching window messages, and Qt input as messages.
#include "platform/win/MessageLoop.h"

#include "platform/win/Cursor.h"
#include "platform/win/Dialog.h"
#include "platform/win/Menu.h"
#include "platform/win/UiThread.h"
#include "platform/win/Window.h"
#include "platform/win/WindowRegistry.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

#include <atomic>
#include <vector>

namespace winplat
{

namespace
{

std::atomic<PreTranslateHook> g_preTranslate{nullptr};

struct CursorState
{
    QPoint messagePos;
    bool cursorSet = false; // a test placed the cursor
    QPoint cursorPos;
};

CursorState& Cursors()
{
    static CursorState state;
    return state;
}

// The input message being processed, so that default processing can let Qt's handling of its
// event go ahead.
struct InputDispatch
{
    HWND hwnd;
    UINT message;
    bool nativeDefault = false;
};
std::vector<InputDispatch*>& InputStack()
{
    static std::vector<InputDispatch*> stack;
    return stack;
}

UINT VirtualKeyOf(const QKeyEvent* e)
{
    const int key = e->key();
    switch (key)
    {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_F4:
        return VK_F4;
    default:
        if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
            return static_cast<UINT>(key);
        return 0;
    }
}

WPARAM MouseKeys(const QMouseEvent* e)
{
    WPARAM keys = 0;
    if (e->buttons() & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (e->buttons() & Qt::RightButton)
        keys |= MK_RBUTTON;
    if (e->modifiers() & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (e->modifiers() & Qt::ControlModifier)
        keys |= MK_CONTROL;
    return keys;
}

// Runs one input message through pre-translation and dispatch. True when Qt's own handling
// of the event should go ahead.
bool RunInput(MSG& msg)
{
    InputDispatch d{msg.hwnd, msg.message};
    InputStack().push_back(&d);
    const BOOL handled = PreTranslate(&msg);
    if (!handled)
        DispatchMessageW(&msg);
    InputStack().pop_back();
    return d.nativeDefault;
}

class InputBridge final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* obj, QEvent* e) override
    {
        switch (e->type())
        {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return OnKey(obj, static_cast<QKeyEvent*>(e));
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return OnMouse(obj, static_cast<QMouseEvent*>(e));
        default:
            return false;
        }
    }

private:
    // A key event that a widget ignores travels on to its parents: it is one message only.
    bool SeenBefore(QObject* obj, const QKeyEvent* e)
    {
        const bool same = e == m_lastKey && e->key() == m_lastKeyCode &&
                          e->type() == m_lastKeyType && e->timestamp() == m_lastKeyTime &&
                          m_lastKeyTarget && obj->isWidgetType() &&
                          static_cast<QWidget*>(obj)->isAncestorOf(m_lastKeyTarget);
        m_lastKey = e;
        m_lastKeyCode = e->key();
        m_lastKeyType = e->type();
        m_lastKeyTime = e->timestamp();
        m_lastKeyTarget = obj->isWidgetType() ? static_cast<QWidget*>(obj) : nullptr;
        return same;
    }

    bool OnKey(QObject* obj, QKeyEvent* e)
    {
        if (!obj->isWidgetType())
            return false;
        const HWND hwnd = HandleOfWidget(obj);
        if (SeenBefore(obj, e) || hwnd == nullptr)
            return false;
        const bool alt = (e->modifiers() & Qt::AltModifier) != 0;
        const bool down = e->type() == QEvent::KeyPress;
        MSG msg{};
        msg.hwnd = hwnd;
        msg.message = alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
        msg.wParam = VirtualKeyOf(e);
        msg.lParam = 1 | (down ? 0 : static_cast<LPARAM>(0xC0000000u));
        msg.pt = {QCursor::pos().x(), QCursor::pos().y()};
        return !RunInput(msg);
    }

    bool OnMouse(QObject* obj, QMouseEvent* e)
    {
        if (!obj->isWidgetType())
            return false;
        auto window = WindowOfWidget(obj);
        if (!window || !window->Widget())
            return false;
        const HWND hwnd = window->Handle();
        const QPoint global = e->globalPosition().toPoint();
        SetLastMessagePos(global);
        const QPoint client = window->GlobalToClient(global);

        UINT message = WM_MOUSEMOVE;
        const bool right = e->button() == Qt::RightButton;
        switch (e->type())
        {
        case QEvent::MouseButtonPress:
            message = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
            break;
        case QEvent::MouseButtonRelease:
            message = right ? WM_RBUTTONUP : WM_LBUTTONUP;
            break;
        case QEvent::MouseButtonDblClick:
            message = right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK;
            break;
        default:
            break;
        }
        if (e->button() != Qt::NoButton && e->button() != Qt::LeftButton &&
            e->button() != Qt::RightButton)
            return false;
        if (message == WM_MOUSEMOVE)
            ApplySetCursor(hwnd, WM_MOUSEMOVE);
        else if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)
            ApplySetCursor(hwnd, message);
        if (!WindowOf(hwnd))
            return true;

        MSG msg{};
        msg.hwnd = hwnd;
        msg.message = message;
        msg.wParam = MouseKeys(e);
        msg.lParam = MAKELPARAM(static_cast<WORD>(client.x()), static_cast<WORD>(client.y()));
        msg.pt = {global.x(), global.y()};
        return !RunInput(msg);
    }

    const QKeyEvent* m_lastKey = nullptr;
    int m_lastKeyCode = 0;
    QEvent::Type m_lastKeyType = QEvent::None;
    quint64 m_lastKeyTime = 0;
    QPointer<QWidget> m_lastKeyTarget;
};

} // namespace

LRESULT ClassWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<Window> w = WindowOf(hwnd);
    return w ? w->DefProc(msg, wParam, lParam) : 0;
}

void SetPreTranslateHook(PreTranslateHook hook) noexcept
{
    g_preTranslate = hook;
}

HWND TopLevelOf(HWND hwnd)
{
    for (auto w = WindowOf(hwnd); w; w = WindowOf(w->m_parent))
        if (!w->IsChild())
            return w->Handle();
    return nullptr;
}

BOOL PreTranslate(MSG* msg)
{
    if (PreTranslateHook hook = g_preTranslate.load())
        return hook(msg);
    const HWND top = TopLevelOf(msg->hwnd);
    if (top != nullptr && WindowAs<DialogWindow>(top))
        return IsDialogMessageW(top, msg);
    return FALSE;
}

void DeliverMessage(MSG msg)
{
    if (msg.hwnd != nullptr && !WindowRegistry::IsWindow(msg.hwnd))
        return; // its window is gone: the message is dropped
    if (msg.pt.x == 0 && msg.pt.y == 0)
    {
        const QPoint p = CursorPos();
        msg.pt = {p.x(), p.y()};
    }
    SetLastMessagePos(QPoint(msg.pt.x, msg.pt.y));
    if (PreTranslate(&msg))
        return;
    DispatchMessageW(&msg);
}

void RequestNativeDefault(HWND hwnd, UINT msg) noexcept
{
    auto& stack = InputStack();
    if (!stack.empty() && stack.back()->hwnd == hwnd && stack.back()->message == msg)
        stack.back()->nativeDefault = true;
}

void InstallInputBridge()
{
    static QPointer<InputBridge> bridge;
    if (bridge || QCoreApplication::instance() == nullptr)
        return;
    bridge = new InputBridge(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(bridge);
}

QPoint LastMessagePos() noexcept
{
    return Cursors().messagePos;
}
void SetLastMessagePos(QPoint p) noexcept
{
    Cursors().messagePos = p;
}

QPoint CursorPos()
{
    CursorState& s = Cursors();
    return s.cursorSet ? s.cursorPos : QCursor::pos();
}

} // namespace winplat

using namespace winplat;

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (UiThread::IsUiThread())
        return CallWindow(hWnd, Msg, wParam, lParam);
    if (!WindowRegistry::IsWindow(hWnd))
        return 0; // no window: nothing for the user-interface thread to do
    LRESULT result = 0;
    UiThread::Invoke([&] { result = CallWindow(hWnd, Msg, wParam, lParam); });
    return result;
}

BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (hWnd != nullptr && !WindowRegistry::IsWindow(hWnd))
        return FALSE;
    MSG msg{hWnd, Msg, wParam, lParam, 0, {}};
    return UiThread::Post([msg] { DeliverMessage(msg); }) ? TRUE : FALSE;
}

LRESULT DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (!UiThread::IsUiThread())
        return SendMessageW(hWnd, Msg, wParam, lParam);
    std::shared_ptr<Window> w = WindowOf(hWnd);
    return w ? w->BaseProc(Msg, wParam, lParam) : 0;
}

LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex)
{
    return OnUi<LONG_PTR>(
        [&]() -> LONG_PTR
        {
            auto w = WindowOf(hWnd);
            if (!w)
                return 0;
            switch (nIndex)
            {
            case GWLP_WNDPROC:
                return reinterpret_cast<LONG_PTR>(w->m_proc);
            case GWL_STYLE:
                return static_cast<LONG_PTR>(w->m_style);
            case GWL_EXSTYLE:
                return static_cast<LONG_PTR>(w->m_exStyle);
            case GWL_ID:
                return w->m_id;
            case GWLP_USERDATA:
                return w->m_userData;
            case GWLP_HWNDPARENT:
                return reinterpret_cast<LONG_PTR>(w->m_parent);
            case DWLP_MSGRESULT:
                return w->m_msgResult;
            default:
                return 0;
            }
        },
        LONG_PTR{0});
}

LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong)
{
    return OnUi<LONG_PTR>(
        [&]() -> LONG_PTR
        {
            auto w = WindowOf(hWnd);
            if (!w)
                return 0;
            LONG_PTR old = 0;
            switch (nIndex)
            {
            case GWLP_WNDPROC:
                old = reinterpret_cast<LONG_PTR>(w->m_proc);
                w->m_proc = reinterpret_cast<WNDPROC>(dwNewLong);
                break;
            case GWL_STYLE:
            {
                const DWORD before = w->m_style;
                old = static_cast<LONG_PTR>(before);
                w->m_style = static_cast<DWORD>(dwNewLong);
                w->StyleChanged(before);
                break;
            }
            case GWL_EXSTYLE:
                old = static_cast<LONG_PTR>(w->m_exStyle);
                w->m_exStyle = static_cast<DWORD>(dwNewLong);
                break;
            case GWL_ID:
                old = w->m_id;
                w->m_id = static_cast<int>(dwNewLong);
                break;
            case GWLP_USERDATA:
                old = w->m_userData;
                w->m_userData = dwNewLong;
                break;
            case DWLP_MSGRESULT:
                old = w->m_msgResult;
                w->m_msgResult = dwNewLong;
                break;
            default:
                break;
            }
            return old;
        },
        LONG_PTR{0});
}

BOOL TranslateMessage(const MSG*)
{
    return FALSE;
}

LRESULT DispatchMessageW(const MSG* lpMsg)
{
    if (lpMsg == nullptr || lpMsg->hwnd == nullptr)
        return 0;
    if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0)
    {
        reinterpret_cast<TIMERPROC>(lpMsg->lParam)(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, 0);
        return 0;
    }
    return SendMessageW(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

DWORD GetMessagePos()
{
    return OnUi<DWORD>(
        []
        {
            const QPoint p = LastMessagePos();
            return MAKELONG(static_cast<WORD>(p.x()), static_cast<WORD>(p.y()));
        },
        DWORD{0});
}

BOOL GetCursorPos(LPPOINT lpPoint)
{
    if (lpPoint == nullptr)
        return FALSE;
    const QPoint p = OnUi<QPoint>([] { return CursorPos(); }, QPoint());
    *lpPoint = {p.x(), p.y()};
    return TRUE;
}

BOOL SetCursorPos(int X, int Y)
{
    return OnUi<BOOL>(
        [&]
        {
            CursorState& s = Cursors();
            s.cursorSet = true;
            s.cursorPos = QPoint(X, Y);
            QCursor::setPos(X, Y);
            return TRUE;
        },
        FALSE);
}
