// Push buttons and group boxes.
#include "platform/win/Controls.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

namespace winplat
{

namespace
{

class PushButtonWidget final : public WinWidget<QPushButton>
{
public:
    using WinWidget<QPushButton>::WinWidget;

protected:
    // Enter is the dialog's business (its default button), never the focused button's own.
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape)
        {
            e->ignore();
            return;
        }
        QPushButton::keyPressEvent(e);
    }
};

// A group box is a frame and a title over the dialog's own background, not a panel.
class GroupBoxWidget final : public WinWidget<QGroupBox>
{
public:
    using WinWidget<QGroupBox>::WinWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QFontMetrics fm(font());
        const QString text = title().remove(QLatin1Char('&'));
        const int top = fm.height() / 2;
        QRect frame = rect().adjusted(0, top, -1, -1);
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(frame);
        p.setPen(palette().color(QPalette::Light));
        p.drawRect(frame.translated(1, 1).adjusted(0, 0, -1, -1));
        if (!text.isEmpty())
        {
            const QRect label(8, 0, fm.horizontalAdvance(text) + 4, fm.height());
            p.fillRect(label, palette().color(QPalette::Window));
            p.setPen(palette().color(isEnabled() ? QPalette::WindowText : QPalette::Mid));
            p.drawText(label, Qt::AlignCenter, text);
        }
    }
};

QString ButtonText(std::u16string_view text)
{
    return ToQ(text);
}

} // namespace

void ButtonWindow::SetText(const std::u16string& text)
{
    m_text = text;
    if (auto* b = qobject_cast<QAbstractButton*>(Widget()))
        b->setText(ButtonText(text));
    else if (auto* g = qobject_cast<QGroupBox*>(Widget()))
        g->setTitle(ButtonText(text));
}

void ButtonWindow::StyleChanged(DWORD)
{
    if (auto* b = qobject_cast<QPushButton*>(Widget()))
    {
        b->setFlat((m_style & BS_FLAT) != 0);
        b->setDefault((m_style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
    }
}

LRESULT ButtonWindow::DefProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case BM_CLICK:
        if (auto* b = qobject_cast<QAbstractButton*>(Widget()); b && IsWindowEnabled(m_hwnd))
            b->click();
        return 0;
    case BM_GETCHECK:
        return m_checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        m_checked = wParam == BST_CHECKED;
        return 0;
    case BM_GETSTATE:
        return m_checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETSTYLE:
    {
        const DWORD old = m_style;
        m_style = (m_style & 0xFFFF0000u) | (static_cast<DWORD>(wParam) & 0xFFFFu);
        StyleChanged(old);
        return 0;
    }
    default:
        return BaseProc(msg, wParam, lParam);
    }
}

void RegisterButtonClass()
{
    WindowFactory::RegisterClass(
        WC_BUTTONW,
        [](const CreateParams& p) -> std::shared_ptr<Window>
        {
            auto window = std::make_shared<ButtonWindow>(p);
            QWidget* parent = WindowFactory::ParentWidgetFor(p);
            if ((p.style & BS_TYPEMASK) == BS_GROUPBOX)
            {
                // A group box frames its neighbours without covering them.
                auto* box = new GroupBoxWidget(ButtonText(p.text), parent);
                box->setAttribute(Qt::WA_TransparentForMouseEvents);
                box->setFocusPolicy(Qt::NoFocus);
                WindowFactory::Adopt(window, box, p);
                box->lower();
                return window;
            }
            auto* button = new PushButtonWidget(ButtonText(p.text), parent);
            button->setAutoDefault(false);
            button->setFlat((p.style & BS_FLAT) != 0);
            button->setDefault((p.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
            button->setFocusPolicy((p.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
            WindowFactory::Adopt(window, button, p);
            const HWND hwnd = window->Handle();
            QObject::connect(button, &QPushButton::clicked, button,
                             [hwnd]
                             {
                                 if (auto w = WindowOf(hwnd))
                                     w->CommandParent(BN_CLICKED);
                             });
            return window;
        });
}

} // namespace winplat
