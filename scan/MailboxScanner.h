// One scan of an Exchange organisation: directory, temporary profile, logon, one probe per
// mailbox, and the three result lists.
#pragma once

#include "platform/base/Base.h"
#include "platform/mapi/Mapi.h"

class CMailboxScanner
{
public:
    CMailboxScanner();
    ~CMailboxScanner();
    CMailboxScanner(const CMailboxScanner&) = delete;
    CMailboxScanner& operator=(const CMailboxScanner&) = delete;

    void SetCredentials(CString strServer, CString strUser, CString strPassword);
    void Run();

    // Result lists, read by the worker after Run.
    CStringArray m_arrOst;
    CStringArray m_arrNonOst;
    CStringArray m_arrErrors;
    // Work list from the directory, in the directory's order.
    CStringArray m_arrMailboxes;

    IMAPISession* m_pSession;
    IProfAdmin* m_pProfAdmin;
    IMsgStore* m_pAdminStore;

    CString m_strProfile;
    CString m_strMailbox;
    CString m_strUser;
    CString m_strPassword;
    CString m_strServer;
    HWND m_hWndParent;

    // Set once this scan has created its profile: the teardown deletes only a profile it
    // created, never one that was there before.
    BOOL m_bProfileCreated;

    BOOL FindMailboxes();
    BOOL LogonExchange();
    BOOL OpenAdminStore();
    BOOL ProbeMailbox(CString strDN);
    HRESULT CreateTempProfile();
    HRESULT DeleteTempProfile();
};
