#include "platform/afx/CGdiObject.h"

#include "platform/afx/TemporaryMap.h"

#include <utility>

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (hObject == nullptr || m_hObject != nullptr)
        return FALSE;
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    return std::exchange(m_hObject, nullptr);
}

BOOL CGdiObject::DeleteObject()
{
    HGDIOBJ h = Detach();
    return h != nullptr ? ::DeleteObject(h) : FALSE;
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const
{
    return ::GetObjectW(m_hObject, nCount, lpObject);
}

CFont* CFont::FromHandle(HFONT hFont)
{
    return TemporaryFor<CFont>(reinterpret_cast<HGDIOBJ>(hFont));
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lpLogFont)
{
    return Attach(reinterpret_cast<HGDIOBJ>(::CreateFontIndirectW(lpLogFont)));
}

int CFont::GetLogFont(LOGFONT* pLogFont) const
{
    return GetObject(sizeof(LOGFONT), pLogFont);
}

CBitmap* CBitmap::FromHandle(HBITMAP hBitmap)
{
    return TemporaryFor<CBitmap>(reinterpret_cast<HGDIOBJ>(hBitmap));
}

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    return Attach(reinterpret_cast<HGDIOBJ>(
        ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource))));
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const
{
    return GetObject(sizeof(BITMAP), pBitMap);
}

CBrush* CBrush::FromHandle(HBRUSH hBrush)
{
    return TemporaryFor<CBrush>(reinterpret_cast<HGDIOBJ>(hBrush));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor)
{
    return Attach(reinterpret_cast<HGDIOBJ>(::CreateSolidBrush(crColor)));
}

BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap)
{
    return pBitmap != nullptr && Attach(reinterpret_cast<HGDIOBJ>(::CreatePatternBrush(*pBitmap)));
}
