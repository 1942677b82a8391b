// An image list handle's owner.
#pragma once

#include "platform/afx/CGdiObject.h"
#include "platform/win/CommCtrl.h"

class CImageList : public CObject
{
public:
    CImageList() = default;
    ~CImageList() override { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;

    static CImageList* FromHandle(HIMAGELIST h);
    HIMAGELIST GetSafeHandle() const noexcept { return m_hImageList; }
    operator HIMAGELIST() const noexcept { return m_hImageList; }
    BOOL Attach(HIMAGELIST h);
    HIMAGELIST Detach();

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // Images cx pixels wide cut from a bitmap resource; crMask becomes transparent.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    int Add(CBitmap* pbmImage, COLORREF crMask);
    int GetImageCount() const;
    BOOL DeleteImageList();
};
