#include "platform/afx/CDC.h"

#include "platform/afx/CWnd.h"
#include "platform/afx/TemporaryMap.h"

#include <utility>

CDC* CDC::FromHandle(HDC hDC)
{
    return TemporaryFor<CDC>(hDC);
}

BOOL CDC::Attach(HDC hDC)
{
    if (hDC == nullptr || m_hDC != nullptr)
        return FALSE;
    m_hDC = hDC;
    return TRUE;
}

HDC CDC::Detach()
{
    return std::exchange(m_hDC, nullptr);
}

int CDC::SetBkMode(int nBkMode)
{
    return ::SetBkMode(m_hDC, nBkMode);
}
int CDC::GetBkMode() const
{
    return ::GetBkMode(m_hDC);
}
COLORREF CDC::SetTextColor(COLORREF crColor)
{
    return ::SetTextColor(m_hDC, crColor);
}
COLORREF CDC::GetTextColor() const
{
    return ::GetTextColor(m_hDC);
}
COLORREF CDC::SetBkColor(COLORREF crColor)
{
    return ::SetBkColor(m_hDC, crColor);
}

CFont* CDC::SelectObject(CFont* pFont)
{
    HGDIOBJ old = ::SelectObject(m_hDC, pFont ? pFont->GetSafeHandle() : nullptr);
    return CFont::FromHandle(reinterpret_cast<HFONT>(old));
}

CBrush* CDC::SelectObject(CBrush* pBrush)
{
    HGDIOBJ old = ::SelectObject(m_hDC, pBrush ? pBrush->GetSafeHandle() : nullptr);
    return CBrush::FromHandle(reinterpret_cast<HBRUSH>(old));
}

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject)
{
    return ::SelectObject(m_hDC, hObject);
}

CSize CDC::GetTextExtent(const CString& str) const
{
    return GetTextExtent(str.GetString(), str.GetLength());
}

CSize CDC::GetTextExtent(LPCTSTR lpszString, int nCount) const
{
    SIZE size{0, 0};
    ::GetTextExtentPoint32W(m_hDC, lpszString, nCount, &size);
    return CSize(size);
}

BOOL CDC::TextOut(int x, int y, const CString& str)
{
    return ::TextOutW(m_hDC, x, y, str.GetString(), str.GetLength());
}

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush)
{
    ::FillRect(m_hDC, lpRect, pBrush ? static_cast<HBRUSH>(*pBrush) : nullptr);
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon)
{
    return ::DrawIcon(m_hDC, x, y, hIcon);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}
