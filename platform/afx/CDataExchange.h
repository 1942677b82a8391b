// Data exchange between a dialog's controls and its members.
#pragma once

#include "platform/base/WinTypes.h"

class CString;
class CWnd;

class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
    {
    }
    // The control's handle (null when the dialog has no such control).
    HWND PrepareCtrl(int nIDC);

    BOOL m_bSaveAndValidate; // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

// Attaches rControl to the dialog's control nIDC by subclassing it, once.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Exchanges a control's text with a string.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
