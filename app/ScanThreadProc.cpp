#include "app/ScanThreadProc.h"

#include "app/KorvathDlg.h"
#include "scan/MailboxScanner.h"
#include "scan/StopFlag.h"

namespace
{

void FillList(CListCtrl& list, const CStringArray& arr)
{
    for (INT_PTR i = 0; i < arr.GetSize(); ++i)
        list.InsertItem(static_cast<int>(i), arr[i], 0);
}

} // namespace

void FillResultLists(CKorvathDlg& dlg, const CStringArray& arrOst, const CStringArray& arrNonOst,
                     const CStringArray& arrErrors)
{
    if (dlg.m_bColumnsAdded == 0)
    {
        dlg.m_listOst.InsertColumn(0, _T("ExchangeDN"), LVCFMT_LEFT, 600);
        dlg.m_listNonOst.InsertColumn(0, _T("ExchangeDN"), LVCFMT_LEFT, 600);
        dlg.m_listErrors.InsertColumn(0, _T("ExchangeDN -Error"), LVCFMT_LEFT, 600);
        dlg.m_bColumnsAdded = 1;
    }

    dlg.m_listOst.DeleteAllItems();
    dlg.m_listNonOst.DeleteAllItems();
    dlg.m_listErrors.DeleteAllItems();

    FillList(dlg.m_listOst, arrOst);
    FillList(dlg.m_listNonOst, arrNonOst);
    FillList(dlg.m_listErrors, arrErrors);
}

UINT ScanThreadProc(LPVOID pParam)
{
    auto* pDlg = static_cast<CKorvathDlg*>(pParam);

    // Each read waits for the user-interface thread, which serves it only once the progress
    // dialog runs: so the close request below always finds that dialog's window.
    CString strServer;
    CString strUserName;
    CString strPassword;
    pDlg->GetDlgItemText(IDC_SERVER, strServer);
    pDlg->GetDlgItemText(IDC_USERNAME, strUserName);
    pDlg->GetDlgItemText(IDC_PASSWORD, strPassword);

    {
        CMailboxScanner scanner;
        scanner.SetCredentials(strServer, strUserName, strPassword);
        scanner.Run();

        // A stopped scan shows nothing: the lists keep the last completed scan's results.
        if (!IsStopRequested())
            FillResultLists(*pDlg, scanner.m_arrOst, scanner.m_arrNonOst, scanner.m_arrErrors);
        InterlockedExchange(&g_nStopScan, 0);
        pDlg->m_dlgProgress.PostMessage(WM_CLOSE);
        // The scanner's end (logoff, removal of the profile) is the slow tail of a scan; the
        // main dialog is usable again meanwhile.
    }
    return 0;
}
