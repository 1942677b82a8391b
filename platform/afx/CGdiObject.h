// Drawing objects that own a GDI handle and delete it when destroyed: the generic owner and its
// one-line kinds (font, brush, bitmap).
#pragma once

#include "platform/afx/CObject.h"
#include "platform/win/WinGdi.h"

class CGdiObject : public CObject
{
public:
    CGdiObject() = default;
    ~CGdiObject() override { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;

    HGDIOBJ GetSafeHandle() const noexcept { return m_hObject; }
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const;
};

class CFont : public CGdiObject
{
public:
    static CFont* FromHandle(HFONT hFont);
    BOOL CreateFontIndirect(const LOGFONT* lpLogFont);
    int GetLogFont(LOGFONT* pLogFont) const;
    operator HFONT() const noexcept { return reinterpret_cast<HFONT>(m_hObject); }
};

class CBitmap : public CGdiObject
{
public:
    static CBitmap* FromHandle(HBITMAP hBitmap);
    BOOL LoadBitmap(UINT nIDResource);
    int GetBitmap(BITMAP* pBitMap) const;
    operator HBITMAP() const noexcept { return reinterpret_cast<HBITMAP>(m_hObject); }
};

class CBrush : public CGdiObject
{
public:
    static CBrush* FromHandle(HBRUSH hBrush);
    BOOL CreateSolidBrush(COLORREF crColor);
    BOOL CreatePatternBrush(CBitmap* pBitmap);
    operator HBRUSH() const noexcept { return reinterpret_cast<HBRUSH>(m_hObject); }
};
