// The standard message box on QMessageBox.
#include "platform/win/WinUser.h"

#include "platform/base/CString.h"
#include "platform/win/AutomationInternal.h"
#include "platform/win/UiThread.h"
#include "platform/win/Window.h"
#include "platform/win/WindowRegistry.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace
{

struct ButtonSpec
{
    QMessageBox::StandardButton button;
    int id;
};

std::vector<ButtonSpec> ButtonsOf(UINT type)
{
    switch (type & MB_TYPEMASK)
    {
    case MB_OKCANCEL:
        return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {{QMessageBox::Abort, IDABORT},
                {QMessageBox::Retry, IDRETRY},
                {QMessageBox::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL:
        return {
            {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO:
        return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_RETRYCANCEL:
        return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    default:
        return {{QMessageBox::Ok, IDOK}};
    }
}

int DefaultButtonId(UINT type)
{
    const auto buttons = ButtonsOf(type);
    const size_t index = (type & MB_DEFMASK) >> 8;
    return buttons[index < buttons.size() ? index : 0].id;
}

QMessageBox::Icon IconOf(UINT type)
{
    switch (type & MB_ICONMASK)
    {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QString ToQString(const std::u16string& s)
{
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

// Runs on the user-interface thread.
int RunBox(HWND owner, const winplat::automation::MessageBoxRecord& record)
{
    QWidget* parent = winplat::OwnerWidgetFor(owner);
    QMessageBox box(IconOf(record.type), ToQString(record.caption), ToQString(record.text),
                    QMessageBox::NoButton, parent);
    box.setWindowModality(Qt::ApplicationModal);
    const auto buttons = ButtonsOf(record.type);
    const int defaultId = DefaultButtonId(record.type);
    for (const ButtonSpec& b : buttons)
    {
        QPushButton* button = box.addButton(b.button);
        if (b.id == defaultId)
            box.setDefaultButton(button);
    }
    // Escape answers as Windows does: Cancel where there is one, else the only button.
    if (buttons.size() == 1)
        box.setEscapeButton(box.button(buttons.front().button));
    else
        for (const ButtonSpec& b : buttons)
            if (b.id == IDCANCEL)
                box.setEscapeButton(box.button(b.button));

    int answer = 0;
    bool answered = false;
    if (auto handler = winplat::automation::detail::MessageBoxHandler())
    {
        // Handed over from inside the box's own loop, while it is on the screen.
        QTimer::singleShot(0, &box,
                           [&, handler]
                           {
                               answer = handler(record);
                               answered = true;
                               box.done(0);
                           });
    }
    box.exec();
    if (answered)
        return answer;
    for (const ButtonSpec& b : buttons)
        if (box.clickedButton() == box.button(b.button))
            return b.id;
    return defaultId;
}

} // namespace

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    winplat::automation::MessageBoxRecord record;
    record.text = lpText ? lpText : u"";
    record.caption = lpCaption ? lpCaption : u"Error";
    record.type = uType;
    record.fromUiThread = winplat::UiThread::IsUiThread();

    int result = DefaultButtonId(uType);
    const bool shown = winplat::UiThread::Invoke(
        [&]
        {
            if (QApplication::instance() != nullptr &&
                qobject_cast<QApplication*>(QApplication::instance()) != nullptr)
                result = RunBox(hWnd, record);
            else
                std::fprintf(stderr, "%s: %s\n", winplat::ToUtf8(record.caption).c_str(),
                             winplat::ToUtf8(record.text).c_str());
        });
    if (!shown)
    {
        if (auto handler = winplat::automation::detail::MessageBoxHandler())
            return handler(record);
        std::fprintf(stderr, "%s: %s\n", winplat::ToUtf8(record.caption).c_str(),
                     winplat::ToUtf8(record.text).c_str());
    }
    return result;
}

BOOL MessageBeep(UINT)
{
    winplat::automation::detail::CountBeep();
    if (winplat::UiThread::HasUi())
        winplat::UiThread::Post(
            []
            {
                if (qobject_cast<QApplication*>(QApplication::instance()) != nullptr)
                    QApplication::beep();
            });
    return TRUE;
}
