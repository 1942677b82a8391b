#include "scan/MailboxScanner.h"

#include "platform/afx/Afx.h"
#include "scan/StopFlag.h"

CMailboxScanner::CMailboxScanner()
    : m_pSession(nullptr), m_pProfAdmin(nullptr), m_pAdminStore(nullptr),
      m_strProfile(_T("TempAdmin1")), m_strMailbox(_T("Administrator")), m_hWndParent(nullptr),
      m_bProfileCreated(FALSE)
{
    CWnd* pMainWnd = AfxGetMainWnd();
    m_hWndParent = pMainWnd ? pMainWnd->GetSafeHwnd() : nullptr;
}

// The session is logged off before the profile it uses is deleted, and the profile is
// deleted before the messaging subsystem ends.
CMailboxScanner::~CMailboxScanner()
{
    if (m_pAdminStore)
    {
        m_pAdminStore->Release();
        m_pAdminStore = nullptr;
    }
    if (m_pSession)
    {
        m_pSession->Logoff(0, 0, 0);
        m_pSession->Release();
        m_pSession = nullptr;
    }
    if (m_pProfAdmin)
    {
        if (m_bProfileCreated)
            DeleteTempProfile();
        m_pProfAdmin->Release();
        m_pProfAdmin = nullptr;
    }
    MAPIUninitialize();
}

void CMailboxScanner::SetCredentials(CString strServer, CString strUser, CString strPassword)
{
    m_strServer = strServer;
    m_strUser = strUser;
    m_strPassword = strPassword;

    int nSlash = strUser.Find(_T('\\'));
    m_strMailbox = nSlash >= 0 ? strUser.Mid(nSlash + 1) : strUser;
}

void CMailboxScanner::Run()
{
    if (!FindMailboxes())
        return;
    if (!LogonExchange())
        return;
    if (!OpenAdminStore())
        return;
    for (INT_PTR i = 0; i < m_arrMailboxes.GetSize(); ++i)
    {
        if (IsStopRequested())
            return;
        ProbeMailbox(m_arrMailboxes[i]);
    }
}
