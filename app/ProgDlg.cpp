#include "app/ProgDlg.h"

#include "app/DialogKeys.h"

CProgDlg::CProgDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

BEGIN_MESSAGE_MAP(CProgDlg, CDialog)
    ON_BN_CLICKED(IDC_PAUSE, &CProgDlg::OnPauseResume)
    ON_BN_CLICKED(IDC_STOP, &CProgDlg::OnStop)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

BOOL CProgDlg::PreTranslateMessage(MSG* pMsg)
{
    if (DispatchEnterAndEscape(pMsg))
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

void CProgDlg::OnPauseResume()
{
    CWnd* pParent = GetParent();
    if (m_bPaused == 0)
    {
        if (pParent != nullptr)
            pParent->SendMessage(WM_SCAN_PAUSE, 0, 0);
        SetDlgItemText(IDC_PAUSE, _T("Resume"));
    }
    else
    {
        if (pParent != nullptr)
            pParent->SendMessage(WM_SCAN_RESUME, 0, 0);
        SetDlgItemText(IDC_PAUSE, _T("Pause"));
    }
    m_bPaused = m_bPaused == 0 ? 1 : 0;
}

void CProgDlg::OnStop()
{
    // Returns once the worker has ended.
    if (CWnd* pParent = GetParent())
        pParent->SendMessage(WM_SCAN_STOP, 0, 0);
    OnOK();
}

void CProgDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    // Closing the window (Alt+F4) is Stop: a scan left running behind a closed dialog would
    // go on filling the lists and could outlive the main dialog.
    if ((nID & 0xFFF0) == SC_CLOSE)
    {
        OnStop();
        return;
    }
    CDialog::OnSysCommand(nID, lParam);
}
