#include "platform/afx/CTabCtrl.h"

IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)

LONG CTabCtrl::InsertItem(int nItem, TCITEM* pTabCtrlItem)
{
    return static_cast<LONG>(SendMessage(TCM_INSERTITEM, static_cast<WPARAM>(nItem),
                                         reinterpret_cast<LPARAM>(pTabCtrlItem)));
}

LONG CTabCtrl::InsertItem(int nItem, LPCTSTR lpszItem)
{
    TCITEM item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPTSTR>(lpszItem);
    return InsertItem(nItem, &item);
}
