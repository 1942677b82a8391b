// The window functions: creation, relations, text, visibility, geometry, focus, timers.
#include "platform/win/Controls.h"
#include "platform/win/Dialog.h"
#include "platform/win/MessageLoop.h"
#include "platform/win/UiThread.h"
#include "platform/win/WindowRegistry.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>

namespace winplat
{

void RegisterWindowClasses()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterStaticClass();
    RegisterEditClass();
    RegisterButtonClass();
    RegisterTabClass();
    RegisterListViewClass();
    RegisterToolTipClass();
    RegisterDialogClass();
}

namespace
{

// Where a child's client coordinates start inside its parent's widget.
QPoint ParentClientOrigin(const Window& w)
{
    if (!w.IsChild())
        return {};
    auto parent = WindowOf(w.m_parent);
    return parent ? parent->ClientOriginInWidget() : QPoint();
}

template <class R, class F> R WithWindow(HWND hwnd, R fallback, F&& fn)
{
    return OnUi<R>(
        [&]() -> R
        {
            auto w = WindowOf(hwnd);
            return w ? fn(*w) : fallback;
        },
        fallback);
}

} // namespace

} // namespace winplat

using namespace winplat;

HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle,
                     int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE,
                     LPVOID lpParam)
{
    return OnUi<HWND>(
        [&]
        {
            RegisterWindowClasses();
            CreateParams p;
            p.exStyle = dwExStyle;
            p.className = lpClassName ? lpClassName : u"";
            p.text = lpWindowName ? lpWindowName : u"";
            p.style = dwStyle;
            p.x = x;
            p.y = y;
            p.cx = nWidth;
            p.cy = nHeight;
            p.parent = hWndParent;
            p.id = (dwStyle & WS_CHILD) ? static_cast<int>(reinterpret_cast<std::uintptr_t>(hMenu))
                                        : 0;
            p.param = lpParam;
            return WindowFactory::Create(p);
        },
        static_cast<HWND>(nullptr));
}

BOOL DestroyWindow(HWND hWnd)
{
    return WithWindow(hWnd, FALSE,
                      [](Window& w)
                      {
                          w.Destroy();
                          return TRUE;
                      });
}

BOOL IsWindow(HWND hWnd)
{
    return WindowRegistry::IsWindow(hWnd) ? TRUE : FALSE;
}

HWND GetParent(HWND hWnd)
{
    return WithWindow(hWnd, static_cast<HWND>(nullptr), [](Window& w) { return w.m_parent; });
}

HWND GetWindow(HWND hWnd, UINT uCmd)
{
    return WithWindow(hWnd, static_cast<HWND>(nullptr),
                      [&](Window& w) -> HWND
                      {
                          switch (uCmd)
                          {
                          case GW_CHILD:
                              return w.Children().empty() ? nullptr : w.Children().front();
                          case GW_OWNER:
                              return w.IsChild() ? nullptr : w.m_parent;
                          case GW_HWNDNEXT:
                          case GW_HWNDPREV:
                          {
                              auto parent = WindowOf(w.m_parent);
                              if (!parent || !w.IsChild())
                                  return nullptr;
                              const auto& siblings = parent->Children();
                              auto it = std::find(siblings.begin(), siblings.end(), w.Handle());
                              if (it == siblings.end())
                                  return nullptr;
                              if (uCmd == GW_HWNDNEXT)
                                  return std::next(it) == siblings.end() ? nullptr : *std::next(it);
                              return it == siblings.begin() ? nullptr : *std::prev(it);
                          }
                          default:
                              return nullptr;
                          }
                      });
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem)
{
    return WithWindow(hDlg, static_cast<HWND>(nullptr),
                      [&](Window& w) -> HWND
                      {
                          for (HWND c : w.Children())
                              if (auto child = WindowOf(c); child && child->m_id == nIDDlgItem)
                                  return c;
                          return nullptr;
                      });
}

int GetDlgCtrlID(HWND hWnd)
{
    return WithWindow(hWnd, 0, [](Window& w) { return w.IsChild() ? w.m_id : 0; });
}

BOOL IsChild(HWND hWndParent, HWND hWnd)
{
    return OnUi<BOOL>(
        [&]
        {
            for (auto w = WindowOf(hWnd); w && w->IsChild(); w = WindowOf(w->m_parent))
                if (w->m_parent == hWndParent)
                    return TRUE;
            return FALSE;
        },
        FALSE);
}

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString)
{
    return static_cast<BOOL>(
        SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : u"")));
}

int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount)
{
    if (lpString == nullptr || nMaxCount <= 0)
        return 0;
    lpString[0] = 0;
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                         reinterpret_cast<LPARAM>(lpString)));
}

int GetWindowTextLengthW(HWND hWnd)
{
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString)
{
    const HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item != nullptr ? SetWindowTextW(item, lpString) : FALSE;
}

UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax)
{
    const HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (item == nullptr)
    {
        if (lpString != nullptr && cchMax > 0)
            lpString[0] = 0;
        return 0;
    }
    return static_cast<UINT>(GetWindowTextW(item, lpString, cchMax));
}

BOOL ShowWindow(HWND hWnd, int nCmdShow)
{
    return WithWindow(hWnd, FALSE,
                      [&](Window& w)
                      {
                          QWidget* widget = w.Widget();
                          if (widget == nullptr)
                              return FALSE;
                          const BOOL wasVisible = widget->isHidden() ? FALSE : TRUE;
                          switch (nCmdShow)
                          {
                          case SW_HIDE:
                              widget->hide();
                              w.m_style &= ~WS_VISIBLE;
                              return wasVisible;
                          case SW_MINIMIZE:
                          case SW_SHOWMINIMIZED:
                          case SW_SHOWMINNOACTIVE:
                              if (w.IsChild())
                                  widget->show();
                              else
                                  widget->showMinimized();
                              break;
                          case SW_SHOWMAXIMIZED:
                              if (w.IsChild())
                                  widget->show();
                              else
                                  widget->showMaximized();
                              break;
                          case SW_SHOWNORMAL:
                          case SW_RESTORE:
                              if (!w.IsChild() && (widget->isMinimized() || widget->isMaximized()))
                                  widget->showNormal();
                              else
                                  widget->show();
                              break;
                          default:
                              widget->show();
                              break;
                          }
                          w.m_style |= WS_VISIBLE;
                          return wasVisible;
                      });
}

BOOL IsWindowVisible(HWND hWnd)
{
    return WithWindow(hWnd, FALSE,
                      [](Window& w)
                      { return w.Widget() != nullptr && w.Widget()->isVisible() ? TRUE : FALSE; });
}

BOOL IsIconic(HWND hWnd)
{
    return WithWindow(hWnd, FALSE,
                      [](Window& w) {
                          return !w.IsChild() && w.Widget() != nullptr && w.Widget()->isMinimized()
                                     ? TRUE
                                     : FALSE;
                      });
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable)
{
    return WithWindow(hWnd, FALSE,
                      [&](Window& w)
                      {
                          const BOOL wasDisabled = w.m_disabled ? TRUE : FALSE;
                          w.m_disabled = !bEnable;
                          if (bEnable)
                              w.m_style &= ~WS_DISABLED;
                          else
                              w.m_style |= WS_DISABLED;
                          // A disabled top-level window keeps its look: modality blocks its input.
                          if (w.IsChild() && w.Widget() != nullptr)
                              w.Widget()->setEnabled(bEnable != FALSE);
                          if (wasDisabled != (bEnable ? FALSE : TRUE))
                              CallWindow(w.Handle(), WM_ENABLE, bEnable ? TRUE : FALSE, 0);
                          return wasDisabled;
                      });
}

BOOL IsWindowEnabled(HWND hWnd)
{
    return WithWindow(hWnd, FALSE, [](Window& w) { return w.m_disabled ? FALSE : TRUE; });
}

HWND GetFocus()
{
    return OnUi<HWND>(
        []
        {
            QWidget* focus = QApplication::focusWidget();
            if (focus == nullptr)
            {
                QWidget* top = QApplication::activeModalWidget();
                if (top == nullptr)
                    top = QApplication::activeWindow();
                if (top != nullptr)
                    focus = top->focusWidget();
            }
            return focus != nullptr ? HandleOfWidget(focus) : static_cast<HWND>(nullptr);
        },
        static_cast<HWND>(nullptr));
}

HWND SetFocus(HWND hWnd)
{
    return OnUi<HWND>(
        [&]
        {
            const HWND old = GetFocus();
            if (auto w = WindowOf(hWnd); w && w->Widget())
            {
                QWidget* target = w->Widget();
                if (target->focusPolicy() == Qt::NoFocus && target->focusProxy() == nullptr)
                    target->setFocusPolicy(Qt::ClickFocus);
                target->setFocus(Qt::OtherFocusReason);
                CallWindow(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
            }
            return old;
        },
        static_cast<HWND>(nullptr));
}

HWND GetActiveWindow()
{
    return OnUi<HWND>(
        []
        {
            QWidget* active = QApplication::activeWindow();
            return active != nullptr ? HandleOfWidget(active) : static_cast<HWND>(nullptr);
        },
        static_cast<HWND>(nullptr));
}

HWND SetActiveWindow(HWND hWnd)
{
    return OnUi<HWND>(
        [&]
        {
            const HWND old = GetActiveWindow();
            if (auto w = WindowOf(hWnd); w && w->Widget() && !w->IsChild())
                w->Widget()->activateWindow();
            return old;
        },
        static_cast<HWND>(nullptr));
}

BOOL SetForegroundWindow(HWND hWnd)
{
    return WithWindow(hWnd, FALSE,
                      [](Window& w)
                      {
                          if (w.Widget() == nullptr)
                              return FALSE;
                          w.Widget()->window()->raise();
                          w.Widget()->window()->activateWindow();
                          return TRUE;
                      });
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect)
{
    if (lpRect == nullptr)
        return FALSE;
    return WithWindow(hWnd, FALSE,
                      [&](Window& w)
                      {
                          QWidget* widget = w.Widget();
                          if (widget == nullptr)
                              return FALSE;
                          if (w.IsChild())
                              *lpRect =
                                  ToRect(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
                          else
                              *lpRect = ToRect(widget->frameGeometry());
                          return TRUE;
                      });
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect)
{
    if (lpRect == nullptr)
        return FALSE;
    return WithWindow(hWnd, FALSE,
                      [&](Window& w)
                      {
                          const QRect r = w.ClientRectInWidget();
                          *lpRect = {0, 0, r.width(), r.height()};
                          return TRUE;
                      });
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint)
{
    if (lpPoint == nullptr)
        return FALSE;
    return WithWindow(hWnd, FALSE,
                      [&](Window& w)
                      {
                          const QPoint p = w.GlobalToClient(QPoint(lpPoint->x, lpPoint->y));
                          *lpPoint = {p.x(), p.y()};
                          return TRUE;
                      });
}

BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint)
{
    if (lpPoint == nullptr)
        return FALSE;
    return WithWindow(hWnd, FALSE,
                      [&](Window& w)
                      {
                          const QPoint p = w.ClientToGlobal(QPoint(lpPoint->x, lpPoint->y));
                          *lpPoint = {p.x(), p.y()};
                          return TRUE;
                      });
}

int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints)
{
    if (lpPoints == nullptr)
        return 0;
    return OnUi<int>(
        [&]
        {
            int dx = 0, dy = 0;
            for (UINT i = 0; i < cPoints; ++i)
            {
                POINT p = lpPoints[i];
                POINT before = p;
                if (hWndFrom != nullptr)
                    ClientToScreen(hWndFrom, &p);
                if (hWndTo != nullptr)
                    ScreenToClient(hWndTo, &p);
                dx = p.x - before.x;
                dy = p.y - before.y;
                lpPoints[i] = p;
            }
            return static_cast<int>(MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy)));
        },
        0);
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags)
{
    return WithWindow(hWnd, FALSE,
                      [&](Window& w)
                      {
                          QWidget* widget = w.Widget();
                          if (widget == nullptr)
                              return FALSE;
                          if (w.IsChild())
                          {
                              const QPoint origin = ParentClientOrigin(w);
                              if (!(uFlags & SWP_NOMOVE))
                                  widget->move(origin + QPoint(X, Y));
                              if (!(uFlags & SWP_NOSIZE))
                                  widget->resize(std::max(cx, 0), std::max(cy, 0));
                          }
                          else
                          {
                              // Top-level sizes include the frame, as window rectangles do.
                              const QSize frame = widget->frameGeometry().size() - widget->size();
                              if (!(uFlags & SWP_NOMOVE))
                                  widget->move(X, Y);
                              if (!(uFlags & SWP_NOSIZE))
                              {
                                  const QSize client(std::max(cx - frame.width(), 0),
                                                     std::max(cy - frame.height(), 0));
                                  if (widget->minimumSize() == widget->maximumSize())
                                      widget->setFixedSize(client);
                                  else
                                      widget->resize(client);
                              }
                          }
                          if (!(uFlags & SWP_NOZORDER))
                          {
                              if (hWndInsertAfter == HWND_TOP)
                                  widget->raise();
                              else if (hWndInsertAfter == HWND_BOTTOM)
                                  widget->lower();
                              else if (auto after = WindowOf(hWndInsertAfter);
                                       after && after->Widget())
                                  widget->stackUnder(after->Widget());
                          }
                          if (uFlags & SWP_SHOWWINDOW)
                              ShowWindow(hWnd, SW_SHOWNA);
                          if (uFlags & SWP_HIDEWINDOW)
                              ShowWindow(hWnd, SW_HIDE);
                          if (!(uFlags & SWP_NOREDRAW))
                              widget->update();
                          return TRUE;
                      });
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint)
{
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                        SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0u : SWP_NOREDRAW));
}

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL)
{
    if (hWnd == nullptr)
        return FALSE;
    return WithWindow(hWnd, FALSE,
                      [&](Window& w)
                      {
                          if (w.Widget() == nullptr)
                              return FALSE;
                          if (lpRect != nullptr)
                              w.Widget()->update(
                                  ToQRect(*lpRect).translated(w.ClientOriginInWidget()));
                          else
                              w.Widget()->update();
                          return TRUE;
                      });
}

BOOL UpdateWindow(HWND hWnd)
{
    return WithWindow(hWnd, FALSE,
                      [](Window& w)
                      {
                          if (w.Widget() == nullptr)
                              return FALSE;
                          if (w.Widget()->isVisible())
                              w.Widget()->repaint();
                          return TRUE;
                      });
}

BOOL RedrawWindow(HWND hWnd, const RECT* lprcUpdate, void*, UINT flags)
{
    return WithWindow(hWnd, FALSE,
                      [&](Window& w)
                      {
                          QWidget* widget = w.Widget();
                          if (widget == nullptr)
                              return FALSE;
                          if (flags & (RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME))
                          {
                              if (lprcUpdate != nullptr)
                                  widget->update(
                                      ToQRect(*lprcUpdate).translated(w.ClientOriginInWidget()));
                              else
                                  widget->update();
                              if (flags & RDW_ALLCHILDREN)
                                  for (QWidget* child : widget->findChildren<QWidget*>())
                                      child->update();
                          }
                          if ((flags & (RDW_UPDATENOW | RDW_ERASENOW)) && widget->isVisible())
                              widget->repaint();
                          return TRUE;
                      });
}

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc)
{
    return WithWindow(hWnd, UINT_PTR{0},
                      [&](Window& w) { return w.SetTimer(nIDEvent, uElapse, lpTimerFunc); });
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent)
{
    return WithWindow(hWnd, FALSE, [&](Window& w) { return w.KillTimer(uIDEvent) ? TRUE : FALSE; });
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce)
{
    if (picce == nullptr || picce->dwSize != sizeof(INITCOMMONCONTROLSEX))
        return FALSE;
    UiThreadCall([] { RegisterWindowClasses(); });
    return TRUE;
}
