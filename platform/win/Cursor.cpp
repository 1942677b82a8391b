#include "platform/win/Cursor.h"

#include "platform/win/Gdi.h"
#include "platform/win/Window.h"

#include <QApplication>
#include <QCursor>

namespace winplat
{

namespace
{

struct CursorTarget
{
    HWND hwnd = nullptr;
    HCURSOR current = nullptr;
};

CursorTarget& Target()
{
    static CursorTarget target;
    return target;
}

} // namespace

void ApplySetCursor(HWND hwnd, UINT mouseMessage)
{
    auto w = WindowOf(hwnd);
    if (!w || !w->Widget())
        return;
    CursorTarget& t = Target();
    const HWND outer = std::exchange(t.hwnd, hwnd);
    const LRESULT handled =
        CallWindow(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                   MAKELPARAM(static_cast<WORD>(HTCLIENT), static_cast<WORD>(mouseMessage)));
    t.hwnd = outer;
    if (!handled && w->m_appliedCursor != nullptr && w->Widget())
    {
        // Nobody chose a cursor this time: the control's own one comes back.
        w->Widget()->unsetCursor();
        w->m_appliedCursor = nullptr;
    }
}

} // namespace winplat

using namespace winplat;

HCURSOR SetCursor(HCURSOR hCursor)
{
    CursorTarget& t = Target();
    const HCURSOR old = std::exchange(t.current, hCursor);
    if (t.hwnd == nullptr)
        return old;
    auto w = WindowOf(t.hwnd);
    auto cursor = IconObjectOf(hCursor);
    if (!w || !w->Widget())
        return old;
    if (cursor && cursor->cursor)
        w->Widget()->setCursor(QCursor(cursor->shape));
    else if (cursor)
        w->Widget()->setCursor(QCursor(cursor->icon.pixmap(32, 32)));
    else
        w->Widget()->setCursor(QCursor(Qt::BlankCursor));
    w->m_appliedCursor = hCursor != nullptr ? hCursor : reinterpret_cast<HCURSOR>(1);
    return old;
}

HCURSOR GetCursor()
{
    return Target().current;
}

namespace winplat
{

namespace
{
int g_waitCount = 0; // user-interface thread only
}

void BeginWaitCursor()
{
    UiThreadCall(
        []
        {
            if (g_waitCount++ == 0)
                QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        });
}

void EndWaitCursor()
{
    UiThreadCall(
        []
        {
            if (g_waitCount > 0 && --g_waitCount == 0)
                QApplication::restoreOverrideCursor();
        });
}

bool IsWaitCursorShown()
{
    bool shown = false;
    UiThreadCall([&] { shown = g_waitCount > 0; });
    return shown;
}

} // namespace winplat
