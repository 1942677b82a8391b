// Device contexts: drawing state, text measurement; the paint and client kinds.
#pragma once

#include "platform/afx/AfxTypes.h"
#include "platform/afx/CGdiObject.h"
#include "platform/base/CString.h"

class CWnd;

class CDC : public CObject
{
public:
    CDC() = default;
    ~CDC() override = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;

    static CDC* FromHandle(HDC hDC);
    BOOL Attach(HDC hDC);
    HDC Detach();
    HDC GetSafeHdc() const noexcept { return m_hDC; }
    operator HDC() const noexcept { return m_hDC; }

    int SetBkMode(int nBkMode);
    int GetBkMode() const;
    COLORREF SetTextColor(COLORREF crColor);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF crColor);
    CFont* SelectObject(CFont* pFont);
    CBrush* SelectObject(CBrush* pBrush);
    HGDIOBJ SelectObject(HGDIOBJ hObject);
    CSize GetTextExtent(const CString& str) const;
    CSize GetTextExtent(LPCTSTR lpszString, int nCount) const;
    BOOL TextOut(int x, int y, const CString& str);
    void FillRect(LPCRECT lpRect, CBrush* pBrush);
    BOOL DrawIcon(int x, int y, HICON hIcon);
};

class CPaintDC : public CDC
{
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd;
};

class CClientDC : public CDC
{
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};
