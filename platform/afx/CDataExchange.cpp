#include "platform/afx/CDataExchange.h"

#include "platform/afx/CWnd.h"

#include <cstdio>

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    const HWND h = m_pDlgWnd != nullptr ? ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC) : nullptr;
    if (h == nullptr)
        std::fprintf(stderr, "data exchange: the dialog has no control %d\n", nIDC);
    return h;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd != nullptr)
        return;
    const HWND h = pDX->PrepareCtrl(nIDC);
    if (h != nullptr && !rControl.SubclassWindow(h))
        std::fprintf(stderr, "data exchange: control %d is already attached\n", nIDC);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    const HWND h = pDX->PrepareCtrl(nIDC);
    if (h == nullptr)
        return;
    if (pDX->m_bSaveAndValidate)
        CWnd::FromHandle(h)->GetWindowText(value);
    else
        ::SetWindowTextW(h, value.GetString());
}
