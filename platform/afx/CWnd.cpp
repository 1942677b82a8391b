#include "platform/afx/CWnd.h"

#include "platform/afx/CDC.h"
#include "platform/afx/CDataExchange.h"
#include "platform/afx/CGdiObject.h"
#include "platform/afx/CMenu.h"
#include "platform/win/MessageLoop.h"

#include <cstdio>
#include <exception>
#include <map>
#include <mutex>
#include <vector>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

namespace
{

struct PermanentMap
{
    std::mutex mutex;
    std::map<HWND, CWnd*> map;
};

PermanentMap& Permanent()
{
    static auto* map = new PermanentMap; // handles may be looked up during static teardown
    return *map;
}

// Wrappers for handles that no CWnd owns, one set per thread, kept until the thread ends.
struct TemporaryWnds
{
    std::map<HWND, CWnd*> map;
    ~TemporaryWnds()
    {
        for (auto& [h, w] : map)
        {
            w->m_hWnd = nullptr;
            delete w;
        }
    }
    void Sweep()
    {
        for (auto it = map.begin(); it != map.end();)
            if (!::IsWindow(it->first))
            {
                it->second->m_hWnd = nullptr;
                delete it->second;
                it = map.erase(it);
            }
            else
                ++it;
    }
};
thread_local TemporaryWnds t_temporary;

// The message each nested window procedure call is handling, for Default().
thread_local std::vector<MSG> t_current;

BOOL AfxPreTranslate(MSG* pMsg)
{
    for (HWND h = pMsg->hwnd; h != nullptr;)
    {
        if (CWnd* w = CWnd::FromHandlePermanent(h); w && w->PreTranslateMessage(pMsg))
            return TRUE;
        if (!(::GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD))
            break;
        h = ::GetParent(h);
    }
    // A dialog that no framework object handles still gets its keys.
    const HWND top = winplat::TopLevelOf(pMsg->hwnd);
    if (top != nullptr && CWnd::FromHandlePermanent(top) == nullptr)
        return ::IsDialogMessageW(top, pMsg);
    return FALSE;
}

} // namespace

CWnd::CWnd()
{
    static const bool hooked = (winplat::SetPreTranslateHook(&AfxPreTranslate), true);
    (void)hooked;
}

CWnd::~CWnd()
{
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this)
    {
        ::DestroyWindow(m_hWnd);
        if (m_hWnd != nullptr)
            Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    PermanentMap& p = Permanent();
    std::lock_guard lock(p.mutex);
    auto it = p.map.find(hWnd);
    return it == p.map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd* w = FromHandlePermanent(hWnd))
        return w;
    auto& map = t_temporary.map;
    auto it = map.find(hWnd);
    if (it != map.end())
        return it->second;
    if (map.size() > 64)
        t_temporary.Sweep();
    auto* w = new CWnd;
    w->m_hWnd = hWnd;
    map.emplace(hWnd, w);
    return w;
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (hWndNew == nullptr || m_hWnd != nullptr)
        return FALSE;
    PermanentMap& p = Permanent();
    std::lock_guard lock(p.mutex);
    if (p.map.count(hWndNew) != 0)
        return FALSE; // one object per window
    p.map.emplace(hWndNew, this);
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h != nullptr)
    {
        PermanentMap& p = Permanent();
        std::lock_guard lock(p.mutex);
        auto it = p.map.find(h);
        if (it != p.map.end() && it->second == this)
            p.map.erase(it);
    }
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    auto old = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (old != &AfxWndProc)
        m_pfnSuper = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    const HWND h =
        pParent != nullptr ? ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)) : nullptr;
    return h != nullptr && SubclassWindow(h);
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper != nullptr)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    return Detach();
}

void CWnd::PreSubclassWindow() {}
void CWnd::PostNcDestroy() {}

void CWnd::OnNcDestroyed()
{
    Detach();
    PostNcDestroy();
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                    LPVOID lpParam)
{
    const HWND h = ::CreateWindowExW(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y,
                                     nWidth, nHeight, hWndParent, nIDorHMenu, nullptr, lpParam);
    return h != nullptr && SubclassWindow(h);
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    const HWND h = m_hWnd;
    const BOOL result = ::DestroyWindow(h);
    if (m_hWnd == h && !::IsWindow(h))
        Detach();
    return result;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT local = 0;
    if (pResult == nullptr)
        pResult = &local;
    if (message == WM_COMMAND)
    {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY)
    {
        if (lParam == 0)
            return FALSE;
        return OnNotify(wParam, lParam, pResult);
    }
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
    {
        const AFX_MSGMAP_ENTRY* e = FindEntry(WM_CTLCOLOR, 0, 0);
        return e != nullptr && e->pfn(this, message - WM_CTLCOLORMSGBOX, wParam, lParam, pResult);
    }
    if (message == WM_REFLECT_BASE + WM_CTLCOLOR)
    {
        const AFX_MSGMAP_ENTRY* e = FindEntry(message, 0, 0);
        return e != nullptr && e->pfn(this, static_cast<UINT>(lParam), wParam, 0, pResult);
    }
    const AFX_MSGMAP_ENTRY* e = FindEntry(message, 0, 0);
    return e != nullptr && e->pfn(this, message, wParam, lParam, pResult);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    const HWND control = reinterpret_cast<HWND>(lParam);
    if (control != nullptr && control != m_hWnd)
    {
        // The control may handle its own notification.
        if (CWnd* child = FromHandlePermanent(control))
        {
            LRESULT result = 0;
            if (child->OnChildNotify(WM_COMMAND, wParam, lParam, &result))
                return TRUE;
        }
    }
    return OnCmdMsg(id, code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->hwndFrom != nullptr && header->hwndFrom != m_hWnd)
        if (CWnd* child = FromHandlePermanent(header->hwndFrom))
            if (child->OnChildNotify(WM_NOTIFY, wParam, lParam, pResult))
                return TRUE;
    const AFX_MSGMAP_ENTRY* e =
        FindEntry(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom));
    return e != nullptr && e->pfn(this, WM_NOTIFY, wParam, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT local = 0;
    if (pResult == nullptr)
        pResult = &local;
    switch (message)
    {
    case WM_COMMAND:
    {
        const AFX_MSGMAP_ENTRY* e = FindEntry(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0);
        if (e == nullptr || !e->pfn(this, WM_COMMAND, wParam, lParam, pResult))
            return FALSE;
        *pResult = 1;
        return TRUE;
    }
    case WM_NOTIFY:
    {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        const AFX_MSGMAP_ENTRY* e = FindEntry(WM_REFLECT_BASE + WM_NOTIFY, header->code, 0);
        return e != nullptr && e->pfn(this, WM_NOTIFY, wParam, lParam, pResult);
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return OnWndMsg(WM_REFLECT_BASE + WM_CTLCOLOR, wParam,
                        static_cast<LPARAM>(message - WM_CTLCOLORMSGBOX), pResult);
    default:
        return FALSE;
    }
}

LRESULT CWnd::Default()
{
    if (t_current.empty())
        return 0;
    const MSG m = t_current.back();
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}
CWnd* CWnd::GetDlgItem(int nID) const
{
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}
int CWnd::GetDlgCtrlID() const
{
    return ::GetDlgCtrlID(m_hWnd);
}
CWnd* CWnd::GetFocus()
{
    return FromHandle(::GetFocus());
}
CWnd* CWnd::SetFocus()
{
    return FromHandle(::SetFocus(m_hWnd));
}

void CWnd::SetWindowText(LPCTSTR lpszString)
{
    ::SetWindowTextW(m_hWnd, lpszString);
}

int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const
{
    return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount);
}

void CWnd::GetWindowText(CString& rString) const
{
    // The text may change between asking its length and reading it: read until it fits.
    for (int size = ::GetWindowTextLengthW(m_hWnd) + 1;; size *= 2)
    {
        LPWSTR buffer = rString.GetBuffer(size);
        const int n = ::GetWindowTextW(m_hWnd, buffer, size);
        rString.ReleaseBuffer(n);
        if (n < size - 1)
            return;
    }
}

int CWnd::GetWindowTextLength() const
{
    return ::GetWindowTextLengthW(m_hWnd);
}

void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString)
{
    ::SetDlgItemTextW(m_hWnd, nID, lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    rString.Empty();
    const HWND item = ::GetDlgItem(m_hWnd, nID);
    if (item == nullptr)
        return 0;
    FromHandle(item)->GetWindowText(rString);
    return rString.GetLength();
}

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
}

DWORD CWnd::GetExStyle() const
{
    return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE));
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    const DWORD style = GetStyle();
    const DWORD changed = (style & ~dwRemove) | dwAdd;
    if (style == changed)
        return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (nFlags != 0)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    const DWORD style = GetExStyle();
    const DWORD changed = (style & ~dwRemove) | dwAdd;
    if (style == changed)
        return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(changed));
    if (nFlags != 0)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    return ::ShowWindow(m_hWnd, nCmdShow);
}
BOOL CWnd::IsWindowVisible() const
{
    return ::IsWindowVisible(m_hWnd);
}
BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}
BOOL CWnd::EnableWindow(BOOL bEnable)
{
    return ::EnableWindow(m_hWnd, bEnable);
}
BOOL CWnd::IsWindowEnabled() const
{
    return ::IsWindowEnabled(m_hWnd);
}
void CWnd::GetWindowRect(LPRECT lpRect) const
{
    ::GetWindowRect(m_hWnd, lpRect);
}
void CWnd::GetClientRect(LPRECT lpRect) const
{
    ::GetClientRect(m_hWnd, lpRect);
}
void CWnd::ScreenToClient(LPPOINT lpPoint) const
{
    ::ScreenToClient(m_hWnd, lpPoint);
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect) + 1);
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const
{
    ::ClientToScreen(m_hWnd, lpPoint);
}

void CWnd::ClientToScreen(LPRECT lpRect) const
{
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(lpRect));
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(lpRect) + 1);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint)
{
    MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
               lpRect->bottom - lpRect->top, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy,
                          nFlags);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    CRect rc;
    GetWindowRect(&rc);
    CRect area;
    const HWND owner =
        pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    else
        area = CRect(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    const int x = area.left + (area.Width() - rc.Width()) / 2;
    const int y = area.top + (area.Height() - rc.Height()) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::Invalidate(BOOL bErase)
{
    ::InvalidateRect(m_hWnd, nullptr, bErase);
}
void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase)
{
    ::InvalidateRect(m_hWnd, lpRect, bErase);
}
void CWnd::UpdateWindow()
{
    ::UpdateWindow(m_hWnd);
}

BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, void* prgnUpdate, UINT flags)
{
    return ::RedrawWindow(m_hWnd, lpRectUpdate, prgnUpdate, flags);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
{
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    return ::KillTimer(m_hWnd, nIDEvent);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

HICON CWnd::GetIcon(BOOL bBigIcon) const
{
    return reinterpret_cast<HICON>(SendMessage(WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0));
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->GetSafeHandle() : nullptr),
                bRedraw);
}

CFont* CWnd::GetFont() const
{
    return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT, 0, 0)));
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const
{
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert));
}

CDC* CWnd::GetDC()
{
    return CDC::FromHandle(::GetDC(m_hWnd));
}

int CWnd::ReleaseDC(CDC* pDC)
{
    return pDC != nullptr ? ::ReleaseDC(m_hWnd, pDC->m_hDC) : 0;
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CWnd::OnSysCommand(UINT, LPARAM)
{
    Default();
}
void CWnd::OnPaint()
{
    Default();
}
HCURSOR CWnd::OnQueryDragIcon()
{
    return reinterpret_cast<HCURSOR>(Default());
}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT)
{
    return static_cast<BOOL>(Default());
}
void CWnd::OnMouseMove(UINT, CPoint)
{
    Default();
}
void CWnd::OnTimer(UINT_PTR)
{
    Default();
}
void CWnd::OnDestroy()
{
    Default();
}
void CWnd::OnClose()
{
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT)
{
    // The control concerned answers first, if it handles its own colours.
    if (pWnd != nullptr && pWnd->m_hWnd != m_hWnd && FromHandlePermanent(pWnd->m_hWnd) == pWnd &&
        !t_current.empty())
    {
        const MSG m = t_current.back();
        LRESULT result = 0;
        if (pWnd->OnChildNotify(m.message, m.wParam, m.lParam, &result))
            return reinterpret_cast<HBRUSH>(result);
    }
    return reinterpret_cast<HBRUSH>(Default());
}

LRESULT AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (wnd == nullptr)
        return winplat::ClassWindowProc(hWnd, message, wParam, lParam);
    t_current.push_back(MSG{hWnd, message, wParam, lParam, 0, {}});
    LRESULT result = 0;
    try
    {
        result = wnd->WindowProc(message, wParam, lParam);
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "message 0x%04x: handler ended with an exception: %s\n", message,
                     e.what());
    }
    catch (...)
    {
        std::fprintf(stderr, "message 0x%04x: handler ended with an exception\n", message);
    }
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == wnd)
        wnd->OnNcDestroyed();
    t_current.pop_back();
    return result;
}

namespace afxthunk
{
CWnd* WndFromHandle(HWND hwnd)
{
    return CWnd::FromHandle(hwnd);
}
CDC* DcFromHandle(HDC hdc)
{
    return CDC::FromHandle(hdc);
}
} // namespace afxthunk
