// The static control: text, pictures, click notification, colours asked of the parent.
#include "platform/win/Controls.h"

#include "platform/win/Gdi.h"
#include "platform/win/MessageLoop.h"
#include "platform/win/Resources.h"

#include <QMouseEvent>
#include <QPainter>

namespace winplat
{

namespace
{

// Removes the mnemonic marks: "&&" is an ampersand, a single "&" underlines the next letter.
QString WithoutMnemonics(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
    {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        else if (text[i] == u'&')
            continue;
        out += text[i];
    }
    return out;
}

class StaticWidget final : public WinWidget<QWidget>
{
public:
    using WinWidget<QWidget>::WinWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        auto window = WindowAs<StaticWindow>(HandleOfWidget(this));
        if (!window)
            return;
        QPainter painter(this);
        PaintScope scope(window->Handle(), this, &painter, window->ClientOriginInWidget());
        const HDC hdc = scope.Dc();
        SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(hdc, GetSysColor(COLOR_3DFACE));
        HBRUSH brush = nullptr;
        if (window->m_parent != nullptr)
            brush = reinterpret_cast<HBRUSH>(
                SendMessageW(window->m_parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                             reinterpret_cast<LPARAM>(window->Handle())));
        window->Paint(painter, hdc, brush);
    }
};

} // namespace

void StaticWindow::Created()
{
    if ((m_style & SS_TYPEMASK) == SS_BITMAP && m_imageId != 0)
    {
        m_ownedBitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_imageId));
        SetBitmap(m_ownedBitmap);
    }
    Widget()->setMouseTracking(true); // links follow the pointer
}

StaticWindow::~StaticWindow()
{
    if (m_ownedBitmap != nullptr)
        DeleteObject(reinterpret_cast<HGDIOBJ>(m_ownedBitmap));
}

void StaticWindow::SetBitmap(HBITMAP bitmap)
{
    m_bitmap = bitmap;
    auto b = BitmapObjectOf(bitmap);
    if (b && Widget() && !(m_style & SS_CENTERIMAGE) && !(m_style & SS_REALSIZEIMAGE))
        Widget()->resize(b->image.size()); // a picture static takes the picture's size
    if (Widget())
        Widget()->update();
}

void StaticWindow::SetText(const std::u16string& text)
{
    Window::SetText(text);
    if (Widget())
        Widget()->update();
}

LRESULT StaticWindow::DefProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case STM_SETIMAGE:
    {
        if (wParam != IMAGE_BITMAP)
            return 0;
        HBITMAP old = m_bitmap;
        if (old == m_ownedBitmap)
            old = nullptr; // the control's own picture is not handed out
        SetBitmap(reinterpret_cast<HBITMAP>(lParam));
        return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE:
        return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(m_bitmap) : 0;
    case WM_LBUTTONUP:
        // A click on a notifying static tells the parent (STN_CLICKED).
        if (m_style & SS_NOTIFY)
        {
            const QPoint p(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            if (ClientRectInWidget().translated(-ClientOriginInWidget()).contains(p))
                CommandParent(STN_CLICKED);
        }
        return BaseProc(msg, wParam, lParam);
    case WM_LBUTTONDBLCLK:
        if (m_style & SS_NOTIFY)
            CommandParent(STN_DBLCLK);
        return BaseProc(msg, wParam, lParam);
    default:
        return BaseProc(msg, wParam, lParam);
    }
}

void StaticWindow::Paint(QPainter& painter, HDC hdc, HBRUSH brush)
{
    auto dc = DeviceContextOf(hdc);
    const QRect client = ClientRectInWidget();
    const DWORD type = m_style & SS_TYPEMASK;
    if (auto b = BrushObjectOf(brush); b && b->style != BS_NULL && type != SS_BITMAP)
    {
        // Patterns line up with the top-level window's own background.
        painter.setBrushOrigin(-Widget()->mapTo(Widget()->window(), QPoint(0, 0)));
        painter.fillRect(client, b->brush);
    }
    if (type == SS_BITMAP)
    {
        if (auto b = BitmapObjectOf(m_bitmap))
        {
            QPoint at = client.topLeft();
            if (m_style & SS_CENTERIMAGE)
                at = client.center() - QPoint(b->image.width() / 2, b->image.height() / 2);
            painter.drawImage(at, b->image);
        }
        return;
    }
    QString text = ToQ(Text());
    if (!(m_style & SS_NOPREFIX))
        text = WithoutMnemonics(text);
    int flags = Qt::TextExpandTabs;
    switch (type)
    {
    case SS_CENTER:
        flags |= Qt::AlignHCenter | Qt::TextWordWrap;
        break;
    case SS_RIGHT:
        flags |= Qt::AlignRight | Qt::TextWordWrap;
        break;
    case SS_LEFTNOWORDWRAP:
        flags |= Qt::AlignLeft;
        break;
    default:
        flags |= Qt::AlignLeft | Qt::TextWordWrap;
        break;
    }
    flags |= (m_style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
    painter.setFont(dc ? FontOfDc(*dc) : Widget()->font());
    if (dc && dc->bkMode == OPAQUE && !BrushObjectOf(brush))
        painter.fillRect(client, ColorOf(dc->bkColor));
    painter.setPen(dc ? ColorOf(dc->textColor) : Qt::black);
    if (!IsWindowEnabled(m_hwnd))
        painter.setPen(ColorOf(GetSysColor(COLOR_GRAYTEXT)));
    painter.drawText(client, flags, text);
}

void RegisterStaticClass()
{
    WindowFactory::RegisterClass(WC_STATICW,
                                 [](const CreateParams& p) -> std::shared_ptr<Window>
                                 {
                                     auto window = std::make_shared<StaticWindow>(p);
                                     auto* widget =
                                         new StaticWidget(WindowFactory::ParentWidgetFor(p));
                                     widget->setFocusPolicy(Qt::NoFocus);
                                     WindowFactory::Adopt(window, widget, p);
                                     return window;
                                 });
}

} // namespace winplat
