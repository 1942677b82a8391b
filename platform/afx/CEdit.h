// The edit control object.
#pragma once

#include "platform/afx/CWnd.h"

class CEdit : public CWnd
{
    DECLARE_DYNAMIC(CEdit)

public:
    void SetSel(int nStartChar, int nEndChar) { SendMessage(EM_SETSEL, nStartChar, nEndChar); }
    void LimitText(int nChars = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0); }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE)
    {
        return static_cast<BOOL>(SendMessage(EM_SETREADONLY, bReadOnly, 0));
    }
};
