#include "platform/win/Dialog.h"

#include "platform/win/AutomationInternal.h"
#include "platform/win/Gdi.h"
#include "platform/win/MessageLoop.h"
#include "platform/win/UiThread.h"
#include "platform/win/WindowRegistry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace winplat
{

namespace
{

class DialogWidget final : public WinWidget<QWidget>
{
public:
    using WinWidget<QWidget>::WinWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        const HWND hwnd = HandleOfWidget(this);
        if (hwnd == nullptr)
            return;
        QPainter painter(this);
        PaintScope scope(hwnd, this, &painter, QPoint(0, 0));
        CallWindow(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(scope.Dc()), 0);
        CallWindow(hwnd, WM_PAINT, 0, 0);
    }
    void closeEvent(QCloseEvent* e) override
    {
        // The title bar's close button is the system close command.
        e->ignore();
        if (const HWND hwnd = HandleOfWidget(this))
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    void keyPressEvent(QKeyEvent* e) override { e->ignore(); }
};

Qt::WindowFlags FlagsFor(DWORD style, bool owned)
{
    Qt::WindowFlags flags = owned ? Qt::Dialog : Qt::Window;
    flags |= Qt::CustomizeWindowHint;
    if ((style & WS_CAPTION) == WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    else
        flags |= Qt::FramelessWindowHint;
    if (style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if ((style & WS_CAPTION) == WS_CAPTION && (style & WS_MINIMIZEBOX))
        flags |= Qt::WindowMinimizeButtonHint;
    if ((style & WS_CAPTION) == WS_CAPTION && (style & WS_MAXIMIZEBOX))
        flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

int MulDivRound(int a, int b, int c)
{
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

} // namespace

QSize DialogBaseUnitsOf(const QFont& font)
{
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((width / 26 + 1) / 2, fm.height());
}

DialogWindow::~DialogWindow()
{
    if (m_ownedFont != nullptr)
        DeleteObject(reinterpret_cast<HGDIOBJ>(m_ownedFont));
}

int DialogWindow::XToPixels(int x) const
{
    return MulDivRound(x, m_baseUnits.width(), 4);
}
int DialogWindow::YToPixels(int y) const
{
    return MulDivRound(y, m_baseUnits.height(), 8);
}

LRESULT DialogWindow::DefProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_CLOSE:
    {
        // Closing a dialog is its Cancel button, unless that button is disabled.
        const HWND cancel = GetDlgItem(m_hwnd, IDCANCEL);
        if (cancel != nullptr && !IsWindowEnabled(cancel))
        {
            MessageBeep(0);
            return 0;
        }
        PostMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case DM_GETDEFID:
        return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(m_defId), DC_HASDEFID));
    case DM_SETDEFID:
        m_defId = static_cast<int>(wParam);
        return TRUE;
    case WM_DESTROY:
        if (m_loop != nullptr)
            End(IDCANCEL);
        return BaseProc(msg, wParam, lParam);
    default:
        return BaseProc(msg, wParam, lParam);
    }
}

void DialogWindow::CenterOverOwner()
{
    QWidget* widget = Widget();
    if (widget == nullptr || IsChild())
        return;
    QRect area;
    if (auto owner = WindowOf(m_parent); owner && owner->Widget() && owner->Widget()->isVisible())
        area = owner->Widget()->window()->frameGeometry();
    else if (QScreen* screen = widget->screen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    const QSize size = widget->frameGeometry().size();
    widget->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

INT_PTR DialogWindow::RunModal()
{
    std::shared_ptr<Window> keep = shared_from_this();
    QWidget* widget = Widget();
    if (widget == nullptr)
        return -1;
    QEventLoop loop;
    m_loop = &loop;
    if (!m_ended)
    {
        if (widget->windowModality() != Qt::ApplicationModal)
        {
            // Modality takes effect when a window is shown.
            widget->hide();
            widget->setWindowModality(Qt::ApplicationModal);
        }
        widget->show();
        widget->raise();
        widget->activateWindow();
        if (auto handler = automation::detail::DialogHandler())
        {
            const HWND hwnd = m_hwnd;
            const UINT id = m_templateId;
            QTimer::singleShot(0, widget, [handler, hwnd, id] { handler(hwnd, id); });
        }
    }
    if (!m_ended)
        loop.exec(QEventLoop::DialogExec);
    m_loop = nullptr;
    if (Widget() != nullptr)
        Widget()->hide();
    m_ended = false; // a later run starts afresh
    return m_result;
}

void DialogWindow::End(INT_PTR result)
{
    m_result = result;
    m_ended = true;
    if (m_loop != nullptr)
        m_loop->exit();
}

HWND CreateDialogFromTemplate(const DialogTemplate& tmpl, HWND owner,
                              const std::function<void(HWND)>& onCreated, LPARAM initParam)
{
    RegisterWindowClasses();
    const QFont font = (tmpl.style & DS_SETFONT) ? DialogFont(tmpl.fontFace, tmpl.pointSize)
                                                 : DialogFont(u"MS Shell Dlg", 8);
    const QSize units = DialogBaseUnitsOf(font);

    CreateParams p;
    p.className = WC_DIALOGW;
    p.text = tmpl.caption;
    p.style = tmpl.style & ~WS_VISIBLE;
    p.exStyle = tmpl.exStyle;
    p.parent = owner;
    p.x = MulDivRound(tmpl.x, units.width(), 4);
    p.y = MulDivRound(tmpl.y, units.height(), 8);
    p.cx = MulDivRound(tmpl.cx, units.width(), 4);
    p.cy = MulDivRound(tmpl.cy, units.height(), 8);
    const HWND hwnd = WindowFactory::Create(p);
    auto dlg = WindowAs<DialogWindow>(hwnd);
    if (!dlg)
        return nullptr;
    dlg->m_templateId = tmpl.id;
    dlg->m_baseUnits = units;
    dlg->m_ownedFont = AddFont(font);
    dlg->m_font = dlg->m_ownedFont;
    dlg->Widget()->setFont(font);
    if (!(tmpl.style & WS_THICKFRAME))
        dlg->Widget()->setFixedSize(p.cx, p.cy);
    else
        dlg->Widget()->resize(p.cx, p.cy);

    if (onCreated)
        onCreated(hwnd);
    if (!IsWindow(hwnd))
        return nullptr;

    QWidget* previousTab = nullptr;
    HWND firstTab = nullptr;
    for (const DialogItemTemplate& item : tmpl.items)
    {
        CreateParams c;
        c.className = item.className;
        c.text = item.text;
        c.style = item.style | WS_CHILD;
        c.exStyle = item.exStyle;
        c.parent = hwnd;
        c.id = item.id;
        c.imageId = item.imageId;
        c.x = dlg->XToPixels(item.x);
        c.y = dlg->YToPixels(item.y);
        c.cx = dlg->XToPixels(item.cx);
        c.cy = dlg->YToPixels(item.cy);
        const HWND child = WindowFactory::Create(c);
        if (child == nullptr)
        {
            DestroyWindow(hwnd);
            return nullptr;
        }
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(dlg->m_font), FALSE);
        if (item.style & BS_DEFPUSHBUTTON && item.className == std::u16string_view(WC_BUTTONW) &&
            (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            dlg->m_defId = item.id;
        if (item.style & WS_TABSTOP)
        {
            auto cw = WindowOf(child);
            QWidget* w = cw ? cw->Widget() : nullptr;
            if (w != nullptr)
            {
                if (previousTab != nullptr)
                    QWidget::setTabOrder(previousTab, w);
                previousTab = w;
            }
            if (firstTab == nullptr)
                firstTab = child;
        }
    }

    const LRESULT focusDefault =
        SendMessageW(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTab), initParam);
    if (!IsWindow(hwnd))
        return nullptr;
    if (focusDefault && firstTab != nullptr)
        SetFocus(firstTab);
    return hwnd;
}

void RegisterDialogClass()
{
    WindowFactory::RegisterClass(WC_DIALOGW,
                                 [](const CreateParams& p) -> std::shared_ptr<Window>
                                 {
                                     auto window = std::make_shared<DialogWindow>(p);
                                     QWidget* parent = WindowFactory::ParentWidgetFor(p);
                                     DialogWidget* widget;
                                     if (p.style & WS_CHILD)
                                         widget = new DialogWidget(parent);
                                     else
                                     {
                                         widget = new DialogWidget(
                                             parent != nullptr ? parent->window() : nullptr,
                                             FlagsFor(p.style, parent != nullptr));
                                         widget->setWindowTitle(ToQ(p.text));
                                         widget->setAttribute(Qt::WA_DeleteOnClose, false);
                                     }
                                     WindowFactory::Adopt(window, widget, p);
                                     if (!(p.style & WS_CHILD))
                                         widget->move(p.x, p.y);
                                     return window;
                                 });
}

} // namespace winplat

using namespace winplat;

BOOL EndDialog(HWND hDlg, INT_PTR nResult)
{
    return OnUi<BOOL>(
        [&]
        {
            auto dlg = WindowAs<DialogWindow>(hDlg);
            if (!dlg)
                return FALSE;
            dlg->End(nResult);
            return TRUE;
        },
        FALSE);
}

BOOL MapDialogRect(HWND hDlg, LPRECT lpRect)
{
    return OnUi<BOOL>(
        [&]
        {
            auto dlg = WindowAs<DialogWindow>(hDlg);
            if (!dlg || lpRect == nullptr)
                return FALSE;
            lpRect->left = dlg->XToPixels(lpRect->left);
            lpRect->right = dlg->XToPixels(lpRect->right);
            lpRect->top = dlg->YToPixels(lpRect->top);
            lpRect->bottom = dlg->YToPixels(lpRect->bottom);
            return TRUE;
        },
        FALSE);
}

LONG GetDialogBaseUnits()
{
    return OnUi<LONG>(
        []
        {
            const QSize u = DialogBaseUnitsOf(DialogFont(u"MS Shell Dlg", 8));
            return static_cast<LONG>(
                MAKELONG(static_cast<WORD>(u.width()), static_cast<WORD>(u.height())));
        },
        LONG{0});
}

HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious)
{
    return OnUi<HWND>(
        [&]() -> HWND
        {
            auto dlg = WindowOf(hDlg);
            if (!dlg)
                return nullptr;
            std::vector<HWND> stops;
            for (HWND c : dlg->Children())
                if (auto w = WindowOf(c);
                    w && (w->m_style & WS_TABSTOP) && IsWindowVisible(c) && IsWindowEnabled(c))
                    stops.push_back(c);
            if (stops.empty())
                return nullptr;
            auto it = std::find(stops.begin(), stops.end(), hCtl);
            if (it == stops.end())
                return bPrevious ? stops.back() : stops.front();
            if (bPrevious)
                return it == stops.begin() ? stops.back() : *std::prev(it);
            return std::next(it) == stops.end() ? stops.front() : *std::next(it);
        },
        static_cast<HWND>(nullptr));
}

BOOL IsDialogMessageW(HWND hDlg, LPMSG lpMsg)
{
    if (lpMsg == nullptr || !UiThread::IsUiThread())
        return FALSE;
    auto dlg = WindowAs<DialogWindow>(hDlg);
    if (!dlg)
        return FALSE;
    if (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd))
        return FALSE;
    if (lpMsg->message != WM_KEYDOWN)
        return FALSE;
    switch (lpMsg->wParam)
    {
    case VK_RETURN:
    {
        // The focused push button, else the default button, is pressed.
        int id = LOWORD(static_cast<DWORD_PTR>(SendMessageW(hDlg, DM_GETDEFID, 0, 0)));
        if (auto focus = WindowOf(GetFocus());
            focus && focus->ClassName() == std::u16string_view(WC_BUTTONW) &&
            (focus->m_style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON && IsChild(hDlg, focus->Handle()))
            id = focus->m_id;
        const HWND button = GetDlgItem(hDlg, id);
        if (button != nullptr && !IsWindowEnabled(button))
        {
            MessageBeep(0);
            return TRUE;
        }
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        return TRUE;
    }
    case VK_ESCAPE:
    {
        const HWND cancel = GetDlgItem(hDlg, IDCANCEL);
        if (cancel != nullptr && !IsWindowEnabled(cancel))
        {
            MessageBeep(0);
            return TRUE;
        }
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(cancel));
        return TRUE;
    }
    default:
        // Tab and arrows move the focus through Qt's own focus chain.
        return FALSE;
    }
}
