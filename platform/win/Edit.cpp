// The single-line edit control on QLineEdit.
#include "platform/win/Controls.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace winplat
{

namespace
{

class EditWidget final : public WinWidget<QLineEdit>
{
public:
    using WinWidget<QLineEdit>::WinWidget;
};

void ApplyStyle(QLineEdit* edit, DWORD style, DWORD exStyle)
{
    edit->setEchoMode((style & ES_PASSWORD) ? QLineEdit::Password : QLineEdit::Normal);
    edit->setReadOnly((style & ES_READONLY) != 0);
    edit->setFrame((style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE));
    switch (style & (ES_CENTER | ES_RIGHT))
    {
    case ES_CENTER:
        edit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        break;
    case ES_RIGHT:
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        break;
    default:
        edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        break;
    }
    edit->setFocusPolicy((style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
}

} // namespace

QLineEdit* EditWindow::Edit() const
{
    return static_cast<QLineEdit*>(Widget());
}

std::u16string EditWindow::Text() const
{
    return Edit() ? FromQ(Edit()->text()) : m_text;
}

void EditWindow::SetText(const std::u16string& text)
{
    m_text = text;
    if (Edit())
        Edit()->setText(ToQ(text));
}

void EditWindow::StyleChanged(DWORD)
{
    if (Edit())
        ApplyStyle(Edit(), m_style, m_exStyle);
}

LRESULT EditWindow::DefProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    QLineEdit* edit = Edit();
    switch (msg)
    {
    case EM_SETSEL:
    {
        if (!edit)
            return 0;
        const int len = static_cast<int>(edit->text().size());
        int start = static_cast<int>(static_cast<INT_PTR>(wParam));
        int end = static_cast<int>(lParam);
        if (start < 0)
        {
            edit->deselect();
            return 0;
        }
        if (end < 0 || end > len)
            end = len;
        start = std::min(start, len);
        edit->setSelection(start, end - start);
        return 0;
    }
    case EM_GETSEL:
    {
        if (!edit)
            return 0;
        const int start = edit->hasSelectedText() ? static_cast<int>(edit->selectionStart())
                                                  : static_cast<int>(edit->cursorPosition());
        const int end = start + static_cast<int>(edit->selectedText().size());
        if (wParam != 0)
            *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
        if (lParam != 0)
            *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
        return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(start), static_cast<WORD>(end)));
    }
    case EM_LIMITTEXT:
        if (edit)
            edit->setMaxLength(wParam == 0 ? 32767 : static_cast<int>(wParam));
        return 0;
    case EM_SETREADONLY:
        m_style = wParam ? (m_style | ES_READONLY) : (m_style & ~ES_READONLY);
        if (edit)
            edit->setReadOnly(wParam != 0);
        return TRUE;
    case EM_GETPASSWORDCHAR:
        return (m_style & ES_PASSWORD) ? u'\x25CF' : 0;
    default:
        return BaseProc(msg, wParam, lParam);
    }
}

void RegisterEditClass()
{
    WindowFactory::RegisterClass(WC_EDITW,
                                 [](const CreateParams& p) -> std::shared_ptr<Window>
                                 {
                                     auto window = std::make_shared<EditWindow>(p);
                                     auto* widget =
                                         new EditWidget(WindowFactory::ParentWidgetFor(p));
                                     ApplyStyle(widget, p.style, p.exStyle);
                                     widget->setText(ToQ(p.text));
                                     WindowFactory::Adopt(window, widget, p);
                                     const HWND hwnd = window->Handle();
                                     QObject::connect(widget, &QLineEdit::textEdited, widget,
                                                      [hwnd]
                                                      {
                                                          if (auto w = WindowOf(hwnd))
                                                              w->CommandParent(EN_CHANGE);
                                                      });
                                     return window;
                                 });
}

} // namespace winplat
