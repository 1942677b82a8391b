#include "platform/afx/CImageList.h"

#include "platform/afx/TemporaryMap.h"

#include <utility>

CImageList* CImageList::FromHandle(HIMAGELIST h)
{
    return TemporaryFor<CImageList>(h);
}

BOOL CImageList::Attach(HIMAGELIST h)
{
    if (h == nullptr || m_hImageList != nullptr)
        return FALSE;
    m_hImageList = h;
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    return std::exchange(m_hImageList, nullptr);
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    return Attach(::ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask)
{
    CBitmap bitmap;
    if (!bitmap.LoadBitmap(nBitmapID))
        return FALSE;
    BITMAP bm{};
    bitmap.GetBitmap(&bm);
    if (!Create(cx, bm.bmHeight, ILC_COLOR24 | ILC_MASK, cx > 0 ? bm.bmWidth / cx : 0, nGrow))
        return FALSE;
    return Add(&bitmap, crMask) >= 0;
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask)
{
    return pbmImage != nullptr ? ::ImageList_AddMasked(m_hImageList, *pbmImage, crMask) : -1;
}

int CImageList::GetImageCount() const
{
    return ::ImageList_GetImageCount(m_hImageList);
}

BOOL CImageList::DeleteImageList()
{
    HIMAGELIST h = Detach();
    return h != nullptr ? ::ImageList_Destroy(h) : FALSE;
}
