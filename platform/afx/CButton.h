// The button control object.
#pragma once

#include "platform/afx/CWnd.h"

class CButton : public CWnd
{
    DECLARE_DYNAMIC(CButton)

public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK, 0, 0)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck), 0); }
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE)
    {
        SendMessage(BM_SETSTYLE, nStyle, bRedraw);
    }
};
