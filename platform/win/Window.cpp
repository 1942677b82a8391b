#include "platform/win/Window.h"

#include "platform/win/Gdi.h"
#include "platform/win/Menu.h"
#include "platform/win/MessageLoop.h"
#include "platform/win/UiThread.h"
#include "platform/win/WindowRegistry.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>

namespace winplat
{

// ---- Registry ----------------------------------------------------------------------------

namespace
{

struct Registry
{
    std::mutex mutex;
    std::map<std::uintptr_t, std::shared_ptr<Window>> windows;
    std::uintptr_t next = 0x10000;
};

Registry& TheRegistry()
{
    static Registry* registry = new Registry; // looked up until the very end of the process
    return *registry;
}

std::vector<QWidget*>& EventStack()
{
    static std::vector<QWidget*> stack;
    return stack;
}

} // namespace

HWND WindowRegistry::Add(const std::shared_ptr<Window>& window)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const std::uintptr_t value = r.next;
    r.next += 4;
    r.windows.emplace(value, window);
    return reinterpret_cast<HWND>(value);
}

void WindowRegistry::Remove(HWND hwnd) noexcept
{
    std::shared_ptr<Window> last; // released after the lock is given up
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
    if (it != r.windows.end())
    {
        last = std::move(it->second);
        r.windows.erase(it);
    }
}

std::shared_ptr<Window> WindowRegistry::Find(HWND hwnd) noexcept
{
    if (hwnd == nullptr)
        return nullptr;
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
    return it == r.windows.end() ? nullptr : it->second;
}

bool WindowRegistry::IsWindow(HWND hwnd) noexcept
{
    return Find(hwnd) != nullptr;
}

std::vector<std::shared_ptr<Window>> WindowRegistry::All()
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    std::vector<std::shared_ptr<Window>> all;
    all.reserve(r.windows.size());
    for (auto& [key, w] : r.windows)
        all.push_back(w);
    return all;
}

QWidget* OwnerWidgetFor(HWND owner)
{
    if (auto w = WindowRegistry::Find(owner))
        if (QWidget* widget = w->Widget())
            return widget->window();
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

std::shared_ptr<Window> WindowOf(HWND hwnd) noexcept
{
    return WindowRegistry::Find(hwnd);
}

void MarkWidget(QWidget* widget, HWND hwnd)
{
    widget->setProperty("winplat.hwnd", QVariant::fromValue(reinterpret_cast<quintptr>(hwnd)));
}

HWND HandleOfWidget(const QObject* object) noexcept
{
    for (; object != nullptr; object = object->parent())
    {
        const QVariant v = object->property("winplat.hwnd");
        if (v.isValid())
            return reinterpret_cast<HWND>(v.value<quintptr>());
        if (object->isWidgetType() && static_cast<const QWidget*>(object)->isWindow())
            break;
    }
    return nullptr;
}

std::shared_ptr<Window> WindowOfWidget(const QObject* widget) noexcept
{
    return WindowOf(HandleOfWidget(widget));
}

EventScope::EventScope(QWidget* w) : m_widget(w)
{
    EventStack().push_back(w);
}

EventScope::~EventScope()
{
    auto& stack = EventStack();
    auto it = std::find(stack.rbegin(), stack.rend(), m_widget);
    if (it != stack.rend())
        stack.erase(std::next(it).base());
}

bool EventScope::InsideEventOf(const QWidget* subtree)
{
    for (QWidget* w : EventStack())
        if (w == subtree || subtree->isAncestorOf(w))
            return true;
    return false;
}

bool UiThreadCall(const std::function<void()>& fn)
{
    return UiThread::Invoke(fn);
}

QString ToQ(std::u16string_view s)
{
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

std::u16string FromQ(const QString& s)
{
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<size_t>(s.size()));
}

QRect ToQRect(const RECT& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

RECT ToRect(const QRect& r)
{
    return RECT{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

LRESULT CallWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<Window> w = WindowOf(hwnd);
    if (!w)
        return 0;
    WNDPROC proc = w->m_proc;
    if (proc != nullptr)
        return proc(hwnd, msg, wParam, lParam);
    return w->DefProc(msg, wParam, lParam);
}

// ---- Window ----------------------------------------------------------------------------------

Window::Window(const CreateParams& p)
    : m_style(p.style), m_exStyle(p.exStyle), m_id(p.id), m_parent(p.parent),
      m_className(p.className), m_text(p.text)
{
}

Window::~Window()
{
    for (auto& [id, timer] : m_timers)
        delete timer;
}

void Window::SetText(const std::u16string& text)
{
    m_text = text;
    if (m_widget && !IsChild())
        m_widget->setWindowTitle(ToQ(text));
}

QRect Window::ClientRectInWidget() const
{
    if (!m_widget)
        return {};
    QRect r = m_widget->rect();
    if (!IsChild())
        return r;
    int border = 0;
    if (m_exStyle & WS_EX_CLIENTEDGE)
        border += 2;
    if (m_exStyle & WS_EX_STATICEDGE)
        border += 1;
    if (m_style & WS_BORDER)
        border += 1;
    r.adjust(border, border, -border, -border);
    if (r.width() < 0)
        r.setWidth(0);
    if (r.height() < 0)
        r.setHeight(0);
    return r;
}

QPoint Window::ClientToGlobal(QPoint p) const
{
    if (!m_widget)
        return p;
    return m_widget->mapToGlobal(p + ClientOriginInWidget());
}

QPoint Window::GlobalToClient(QPoint p) const
{
    if (!m_widget)
        return p;
    return m_widget->mapFromGlobal(p) - ClientOriginInWidget();
}

LRESULT Window::NotifyParent(UINT code)
{
    NMHDR hdr{m_hwnd, static_cast<UINT_PTR>(m_id), code};
    return m_parent ? SendMessageW(m_parent, WM_NOTIFY, static_cast<WPARAM>(m_id),
                                   reinterpret_cast<LPARAM>(&hdr))
                    : 0;
}

LRESULT Window::CommandParent(WORD code)
{
    return m_parent ? SendMessageW(m_parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(m_id), code),
                                   reinterpret_cast<LPARAM>(m_hwnd))
                    : 0;
}

UINT_PTR Window::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    QTimer*& timer = m_timers[id];
    if (timer == nullptr)
        timer = new QTimer;
    timer->disconnect();
    const HWND hwnd = m_hwnd;
    QObject::connect(timer, &QTimer::timeout,
                     [hwnd, id, proc]
                     {
                         if (proc != nullptr)
                         {
                             proc(hwnd, WM_TIMER, id, 0);
                             return;
                         }
                         MSG msg{hwnd, WM_TIMER, id, 0, 0, {}};
                         DeliverMessage(msg);
                     });
    timer->start(static_cast<int>(std::max<UINT>(elapse, 10)));
    return id == 0 ? 1 : id;
}

bool Window::KillTimer(UINT_PTR id)
{
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return false;
    it->second->stop();
    it->second->deleteLater();
    m_timers.erase(it);
    return true;
}

namespace
{

void SendDestroyTree(const std::shared_ptr<Window>& w)
{
    CallWindow(w->Handle(), WM_DESTROY, 0, 0);
    const std::vector<HWND> children = w->Children();
    for (HWND c : children)
        if (auto child = WindowOf(c))
            SendDestroyTree(child);
}

void SendNcDestroyTree(const std::shared_ptr<Window>& w)
{
    const std::vector<HWND> children = w->Children();
    for (HWND c : children)
        if (auto child = WindowOf(c))
            SendNcDestroyTree(child);
    CallWindow(w->Handle(), WM_NCDESTROY, 0, 0);
    WindowRegistry::Remove(w->Handle());
}

} // namespace

void Window::Destroy()
{
    if (m_destroying)
        return;
    m_destroying = true;
    std::shared_ptr<Window> self = shared_from_this();

    // Owned top-level windows go first, as their owner's end takes them along.
    for (const auto& other : WindowRegistry::All())
        if (other.get() != this && !other->IsChild() && other->m_parent == m_hwnd)
            other->Destroy();

    for (auto& [id, timer] : m_timers)
        timer->stop();
    if (m_widget && !IsChild())
        m_widget->hide();
    SendDestroyTree(self);
    SendNcDestroyTree(self);

    if (auto parent = WindowOf(m_parent); parent && IsChild())
    {
        auto& siblings = parent->m_children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), m_hwnd), siblings.end());
    }
    for (auto& [id, timer] : m_timers)
        timer->deleteLater();
    m_timers.clear();
    if (m_sysMenu != nullptr)
        DestroyMenu(m_sysMenu);
    m_sysMenu = nullptr;
    if (QWidget* widget = m_widget.data())
    {
        m_widget.clear();
        widget->setProperty("winplat.hwnd", QVariant());
        if (EventScope::InsideEventOf(widget))
        {
            widget->hide();
            widget->deleteLater();
        }
        else
            delete widget;
    }
}

LRESULT Window::DefProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return BaseProc(msg, wParam, lParam);
}

LRESULT Window::BaseProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_SETTEXT:
        SetText(lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"");
        return TRUE;
    case WM_GETTEXT:
    {
        if (wParam == 0 || lParam == 0)
            return 0;
        const std::u16string text = Text();
        const size_t n = std::min<size_t>(text.size(), wParam - 1);
        auto* out = reinterpret_cast<LPWSTR>(lParam);
        std::copy_n(text.data(), n, out);
        out[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(Text().size());
    case WM_SETFONT:
        m_font = reinterpret_cast<HFONT>(wParam);
        if (m_widget)
        {
            if (auto font = FontOf(m_font))
                m_widget->setFont(*font);
            if (LOWORD(static_cast<DWORD_PTR>(lParam)) != 0)
                m_widget->update();
        }
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_font);
    case WM_SETICON:
    {
        HICON old = wParam == ICON_BIG ? m_iconBig : m_iconSmall;
        (wParam == ICON_BIG ? m_iconBig : m_iconSmall) = reinterpret_cast<HICON>(lParam);
        if (m_widget && !IsChild())
            m_widget->setWindowIcon(WindowIconOf(m_iconBig, m_iconSmall));
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON:
        return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? m_iconBig : m_iconSmall);
    case WM_CLOSE:
        DestroyWindow(m_hwnd);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0)
        {
        case SC_CLOSE:
            SendMessageW(m_hwnd, WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            ShowWindow(m_hwnd, SW_MINIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(m_hwnd, SW_RESTORE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(m_hwnd, SW_SHOWMAXIMIZED);
            break;
        default:
            break;
        }
        return 0;
    case WM_SETCURSOR:
        // The parent may set the cursor for its children.
        if (IsChild() && m_parent != nullptr &&
            SendMessageW(m_parent, WM_SETCURSOR, wParam, lParam) != 0)
            return TRUE;
        return FALSE;
    case WM_CONTEXTMENU:
        if (IsChild() && m_parent != nullptr)
            SendMessageW(m_parent, WM_CONTEXTMENU, wParam, lParam);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    {
        HDC hdc = reinterpret_cast<HDC>(wParam);
        const bool edit = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
        SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(hdc, GetSysColor(edit ? COLOR_WINDOW : COLOR_3DFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(edit ? COLOR_WINDOW : COLOR_3DFACE));
    }
    case WM_ERASEBKGND:
    case WM_ICONERASEBKGND:
    {
        HBRUSH brush = reinterpret_cast<HBRUSH>(
            SendMessageW(m_hwnd, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(m_hwnd)));
        RECT rc;
        GetClientRect(m_hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc,
                 brush ? brush : GetSysColorBrush(COLOR_3DFACE));
        return 1;
    }
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        BeginPaint(m_hwnd, &ps);
        EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4)
        {
            // Alt+F4 is the system close command of the top-level window.
            SendMessageW(TopLevelOf(m_hwnd), WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        }
        if (wParam == VK_SPACE)
        {
            ShowSystemMenu(TopLevelOf(m_hwnd));
            return 0;
        }
        RequestNativeDefault(m_hwnd, msg);
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYUP:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        RequestNativeDefault(m_hwnd, msg);
        return 0;
    default:
        return 0;
    }
}

// ---- Factory -------------------------------------------------------------------------------

namespace
{

std::map<std::u16string, WindowFactory::Maker>& Makers()
{
    static std::map<std::u16string, WindowFactory::Maker> makers;
    return makers;
}

std::u16string Lower(std::u16string_view s)
{
    std::u16string r(s);
    for (auto& c : r)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return r;
}

} // namespace

void WindowFactory::RegisterClass(std::u16string_view className, Maker maker)
{
    Makers()[Lower(className)] = std::move(maker);
}

QWidget* WindowFactory::ParentWidgetFor(const CreateParams& params)
{
    auto parent = WindowOf(params.parent);
    return parent ? parent->Widget() : nullptr;
}

void WindowFactory::Adopt(const std::shared_ptr<Window>& window, QWidget* widget,
                          const CreateParams& params)
{
    window->m_widget = widget;
    window->m_hwnd = WindowRegistry::Add(window);
    window->m_proc = &ClassWindowProc;
    MarkWidget(widget, window->m_hwnd);
    if (window->IsChild())
    {
        if (auto parent = WindowOf(params.parent))
            parent->AddChild(window->m_hwnd);
        widget->setGeometry(params.x, params.y, std::max(params.cx, 0), std::max(params.cy, 0));
    }
    if (params.style & WS_DISABLED)
    {
        window->m_disabled = true;
        widget->setEnabled(false);
    }
}

HWND WindowFactory::Create(const CreateParams& params)
{
    InstallInputBridge();
    auto it = Makers().find(Lower(params.className));
    if (it == Makers().end())
    {
        std::fprintf(stderr, "CreateWindowEx: window class \"%s\" is not supported\n",
                     ToUtf8Text(params.className).c_str());
        return nullptr;
    }
    if ((params.style & WS_CHILD) && !WindowOf(params.parent))
        return nullptr;
    std::shared_ptr<Window> window = it->second(params);
    if (!window || !window->Widget())
        return nullptr;
    window->Created();
    const HWND hwnd = window->Handle();
    CallWindow(hwnd, WM_CREATE, 0, 0);
    if (!WindowOf(hwnd))
        return nullptr;
    if (window->Widget() != nullptr)
    {
        // A child without WS_VISIBLE stays hidden when its parent is shown.
        if (params.style & WS_VISIBLE)
            window->Widget()->show();
        else if (params.style & WS_CHILD)
            window->Widget()->hide();
    }
    return hwnd;
}

} // namespace winplat
