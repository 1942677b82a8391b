#include "platform/win/AutomationInternal.h"

#include "platform/win/Controls.h"
#include "platform/win/Dialog.h"
#include "platform/win/ListView.h"
#include "platform/win/UiThread.h"
#include "platform/win/WindowRegistry.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <atomic>
#include <mutex>
#include <utility>

namespace winplat::automation
{

namespace
{

struct Hooks
{
    std::mutex mutex;
    std::function<int(const MessageBoxRecord&)> messageBox;
    std::function<unsigned(const std::vector<MenuItemRecord>&)> popupMenu;
    std::function<void(HWND, unsigned)> dialog;
    std::function<std::u16string(const FileDialogRecord&)> fileDialog;
    std::atomic<unsigned> beeps{0};
};

Hooks& TheHooks()
{
    static Hooks hooks;
    return hooks;
}

template <class F> void Replace(F& slot, F value)
{
    Hooks& h = TheHooks();
    F old;
    {
        std::lock_guard lock(h.mutex);
        old = std::exchange(slot, std::move(value));
    }
}

template <class F> F Copy(const F& slot)
{
    std::lock_guard lock(TheHooks().mutex);
    return slot;
}

bool BlockedByModal(const QWidget* widget)
{
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr && modal != widget->window() && !modal->isAncestorOf(widget);
}

bool UsableByUser(HWND hwnd)
{
    auto w = WindowOf(hwnd);
    if (!w || !w->Widget() || !w->Widget()->isVisible())
        return false;
    for (auto a = w; a; a = WindowOf(a->m_parent))
    {
        if (a->m_disabled)
            return false;
        if (!a->IsChild())
            break;
    }
    return w->Widget()->isEnabled() && !BlockedByModal(w->Widget());
}

int QtKeyOf(unsigned vk)
{
    switch (vk)
    {
    case VK_RETURN:
        return Qt::Key_Return;
    case VK_ESCAPE:
        return Qt::Key_Escape;
    case VK_TAB:
        return Qt::Key_Tab;
    case VK_SPACE:
        return Qt::Key_Space;
    case VK_F4:
        return Qt::Key_F4;
    case VK_DOWN:
        return Qt::Key_Down;
    case VK_UP:
        return Qt::Key_Up;
    case VK_DELETE:
        return Qt::Key_Delete;
    default:
        return static_cast<int>(vk);
    }
}

void SendMouse(QWidget* target, QPoint local, Qt::MouseButton button, Qt::KeyboardModifiers mods)
{
    const QPointF lp(local);
    const QPointF gp(target->mapToGlobal(local));
    QMouseEvent move(QEvent::MouseMove, lp, gp, Qt::NoButton, Qt::NoButton, mods);
    QApplication::sendEvent(target, &move);
    QMouseEvent press(QEvent::MouseButtonPress, lp, gp, button, button, mods);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, lp, gp, button, Qt::NoButton, mods);
    QApplication::sendEvent(target, &release);
}

} // namespace

void SetMessageBoxHandler(std::function<int(const MessageBoxRecord&)> handler)
{
    Replace(TheHooks().messageBox, std::move(handler));
}
void SetPopupMenuHandler(std::function<unsigned(const std::vector<MenuItemRecord>&)> handler)
{
    Replace(TheHooks().popupMenu, std::move(handler));
}
void SetDialogHandler(std::function<void(HWND, unsigned)> handler)
{
    Replace(TheHooks().dialog, std::move(handler));
}
void SetFileDialogHandler(std::function<std::u16string(const FileDialogRecord&)> handler)
{
    Replace(TheHooks().fileDialog, std::move(handler));
}

namespace detail
{
std::function<int(const MessageBoxRecord&)> MessageBoxHandler()
{
    return Copy(TheHooks().messageBox);
}
std::function<unsigned(const std::vector<MenuItemRecord>&)> PopupMenuHandler()
{
    return Copy(TheHooks().popupMenu);
}
std::function<void(HWND, unsigned)> DialogHandler()
{
    return Copy(TheHooks().dialog);
}
std::function<std::u16string(const FileDialogRecord&)> FileDialogHandler()
{
    return Copy(TheHooks().fileDialog);
}
void CountBeep()
{
    ++TheHooks().beeps;
}
} // namespace detail

unsigned BeepCount()
{
    return TheHooks().beeps.load();
}

std::vector<HWND> VisibleTopLevelWindows()
{
    return OnUi<std::vector<HWND>>(
        []
        {
            std::vector<HWND> result;
            QWidget* modal = QApplication::activeModalWidget();
            for (const auto& w : WindowRegistry::All())
                if (!w->IsChild() && w->Widget() && w->Widget()->isVisible() &&
                    !(w->Widget()->windowFlags() & Qt::ToolTip))
                {
                    if (w->Widget() == modal)
                        result.insert(result.begin(), w->Handle());
                    else
                        result.push_back(w->Handle());
                }
            return result;
        },
        {});
}

HWND FindDialog(unsigned templateId)
{
    return OnUi<HWND>(
        [&]() -> HWND
        {
            for (const auto& w : WindowRegistry::All())
                if (auto d = std::dynamic_pointer_cast<DialogWindow>(w);
                    d && d->m_templateId == templateId && d->Widget() && d->Widget()->isVisible())
                    return d->Handle();
            return nullptr;
        },
        static_cast<HWND>(nullptr));
}

HWND FindControl(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

std::u16string GetText(HWND hwnd)
{
    const int n = GetWindowTextLengthW(hwnd);
    std::u16string text(static_cast<size_t>(n) + 1, u'\0');
    const int got = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(std::max(0, got)));
    return text;
}

void SetText(HWND hwnd, const std::u16string& text)
{
    UiThread::Invoke(
        [&]
        {
            auto edit = WindowAs<EditWindow>(hwnd);
            if (edit && edit->Edit())
            {
                edit->Edit()->selectAll();
                edit->Edit()->insert(ToQ(text)); // typed: the parent hears EN_CHANGE
                return;
            }
            SetWindowTextW(hwnd, text.c_str());
        });
}

bool IsVisible(HWND hwnd)
{
    return IsWindowVisible(hwnd) != FALSE;
}
bool IsEnabled(HWND hwnd)
{
    return OnUi<bool>([&] { return UsableByUser(hwnd); }, false);
}
HWND FocusedWindow()
{
    return GetFocus();
}

bool Click(HWND hwnd)
{
    return OnUi<bool>(
        [&]
        {
            if (!UsableByUser(hwnd))
                return false;
            QWidget* widget = WindowOf(hwnd)->Widget();
            SendMouse(widget, widget->rect().center(), Qt::LeftButton, Qt::NoModifier);
            return true;
        },
        false);
}

bool ClickAt(HWND hwnd, int x, int y, bool right, bool control)
{
    return OnUi<bool>(
        [&]
        {
            if (!UsableByUser(hwnd))
                return false;
            auto w = WindowOf(hwnd);
            QWidget* widget = w->Widget();
            QPoint local = QPoint(x, y) + w->ClientOriginInWidget();
            QWidget* target = widget;
            if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
            {
                const QPoint inViewport = area->viewport()->mapFrom(widget, local);
                if (area->viewport()->rect().contains(inViewport))
                {
                    target = area->viewport();
                    local = inViewport;
                }
            }
            else if (QWidget* child = widget->childAt(local))
            {
                local = child->mapFrom(widget, local);
                target = child;
            }
            QCursor::setPos(target->mapToGlobal(local));
            SetCursorPos(target->mapToGlobal(local).x(), target->mapToGlobal(local).y());
            SendMouse(target, local, right ? Qt::RightButton : Qt::LeftButton,
                      control ? Qt::ControlModifier : Qt::NoModifier);
            return true;
        },
        false);
}

bool PressKey(unsigned vk, HWND hwnd, bool alt)
{
    return OnUi<bool>(
        [&]
        {
            QWidget* target = nullptr;
            if (auto w = WindowOf(hwnd))
                target = w->Widget();
            if (target == nullptr)
                target = QApplication::focusWidget();
            if (target == nullptr)
                if (auto w = WindowOf(GetFocus()))
                    target = w->Widget();
            if (target == nullptr || BlockedByModal(target))
                return false;
            const Qt::KeyboardModifiers mods = alt ? Qt::AltModifier : Qt::NoModifier;
            const QString text = vk == VK_RETURN   ? QStringLiteral("\r")
                                 : vk == VK_ESCAPE ? QString(QChar(0x1b))
                                                   : QString();
            QKeyEvent press(QEvent::KeyPress, QtKeyOf(vk), mods, text);
            QApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, QtKeyOf(vk), mods, text);
            QApplication::sendEvent(target, &release);
            return true;
        },
        false);
}

unsigned PixelAt(HWND hwnd, int x, int y, bool withChildren)
{
    return OnUi<unsigned>(
        [&]() -> unsigned
        {
            auto w = WindowOf(hwnd);
            if (!w || !w->Widget())
                return 0;
            QImage image(w->Widget()->size(), QImage::Format_RGB32);
            image.fill(Qt::black);
            w->Widget()->render(&image, QPoint(), QRegion(),
                                withChildren ? QWidget::DrawWindowBackground | QWidget::DrawChildren
                                             : QWidget::DrawWindowBackground);
            const QPoint p = QPoint(x, y) + w->ClientOriginInWidget();
            if (!image.rect().contains(p))
                return 0;
            return image.pixel(p) & 0xFFFFFFu;
        },
        0u);
}

} // namespace winplat::automation
