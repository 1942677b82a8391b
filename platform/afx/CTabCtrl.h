// The tab control object.
#pragma once

#include "platform/afx/CWnd.h"

class CTabCtrl : public CWnd
{
    DECLARE_DYNAMIC(CTabCtrl)

public:
    LONG InsertItem(int nItem, TCITEM* pTabCtrlItem);
    LONG InsertItem(int nItem, LPCTSTR lpszItem);
    int GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL, 0, 0)); }
    int SetCurSel(int nItem) { return static_cast<int>(SendMessage(TCM_SETCURSEL, nItem, 0)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT, 0, 0)); }
    BOOL GetItem(int nItem, TCITEM* pTabCtrlItem) const
    {
        return static_cast<BOOL>(SendMessage(TCM_GETITEM, static_cast<WPARAM>(nItem),
                                             reinterpret_cast<LPARAM>(pTabCtrlItem)));
    }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(TCM_DELETEALLITEMS, 0, 0)); }
    void AdjustRect(BOOL bLarger, LPRECT lpRect)
    {
        SendMessage(TCM_ADJUSTRECT, bLarger, reinterpret_cast<LPARAM>(lpRect));
    }
};
