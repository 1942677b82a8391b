// The header control object of a list view.
#pragma once

#include "platform/afx/CWnd.h"

class CHeaderCtrl : public CWnd
{
    DECLARE_DYNAMIC(CHeaderCtrl)

public:
    int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT, 0, 0)); }
    BOOL GetItem(int nPos, HDITEM* pHeaderItem) const
    {
        return static_cast<BOOL>(SendMessage(HDM_GETITEM, static_cast<WPARAM>(nPos),
                                             reinterpret_cast<LPARAM>(pHeaderItem)));
    }
};
