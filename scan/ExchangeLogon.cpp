#include "platform/afx/Afx.h"
#include "scan/MailboxScanner.h"
#include "scan/StopFlag.h"
#include "scan/TempProfile.h"

namespace
{

const ULONG LOGON_FLAGS = MAPI_UNICODE | MAPI_EXTENDED | MAPI_EXPLICIT_PROFILE | MAPI_NEW_SESSION;

} // namespace

BOOL CMailboxScanner::LogonExchange()
{
    if (IsStopRequested())
        return FALSE;

    (void)MAPIInitialize(nullptr);

    HRESULT hr = CreateTempProfile();
    if (FAILED(hr))
    {
        CString strMsg =
            _T("Failed to create temporary profile ") + m_strProfile + _T(" for logon.");
        AfxMessageBox(strMsg, MB_ICONERROR);
        return FALSE;
    }

    hr = AddExchangeService(m_strServer, this, m_strMailbox, m_strProfile);
    if (FAILED(hr))
        return FALSE;

    if (IsStopRequested())
        return FALSE;

    (void)MAPILogonEx(reinterpret_cast<ULONG_PTR>(m_hWndParent),
                      const_cast<LPTSTR>(static_cast<LPCTSTR>(m_strProfile)), nullptr, LOGON_FLAGS,
                      &m_pSession);
    if (!m_pSession)
    {
        AfxMessageBox(_T("Exchange login failed."), MB_ICONERROR);
        return FALSE;
    }
    return TRUE;
}

BOOL CMailboxScanner::OpenAdminStore()
{
    if (IsStopRequested())
        return FALSE;

    LPMAPITABLE lpTable = nullptr;
    HRESULT hr = m_pSession->GetMsgStoresTable(0, &lpTable);
    if (FAILED(hr))
    {
        AfxMessageBox(_T("Failed to open default message store."), MB_ICONERROR);
        return FALSE;
    }
    if (IsStopRequested())
    {
        if (lpTable)
            lpTable->Release();
        return FALSE;
    }

    SizedSPropTagArray(1, sptCols) = {1, {PR_ENTRYID}};
    SPropValue sTrue = {};
    sTrue.ulPropTag = PR_DEFAULT_STORE;
    sTrue.Value.b = TRUE;
    SRestriction sRes = {};
    sRes.rt = RES_PROPERTY;
    sRes.res.resProperty.relop = RELOP_EQ;
    sRes.res.resProperty.ulPropTag = PR_DEFAULT_STORE;
    sRes.res.resProperty.lpProp = &sTrue;

    LPSRowSet lpRows = nullptr;
    (void)HrQueryAllRows(lpTable, reinterpret_cast<LPSPropTagArray>(&sptCols), &sRes, nullptr, 0,
                         &lpRows);
    if (lpRows && lpRows->cRows > 0 && lpRows->aRow[0].cValues > 0)
    {
        const SPropValue& entryId = lpRows->aRow[0].lpProps[0];
        // A default-store row without its entry ID cannot be opened; that is the no-store case.
        if (PROP_TYPE(entryId.ulPropTag) == PT_BINARY)
        {
            hr = m_pSession->OpenMsgStore(0, entryId.Value.bin.cb,
                                          reinterpret_cast<LPENTRYID>(entryId.Value.bin.lpb),
                                          nullptr, MDB_ONLINE | MAPI_BEST_ACCESS, &m_pAdminStore);
            if (hr == MAPI_E_UNKNOWN_FLAGS)
            {
                hr = m_pSession->OpenMsgStore(0, entryId.Value.bin.cb,
                                              reinterpret_cast<LPENTRYID>(entryId.Value.bin.lpb),
                                              nullptr, MAPI_BEST_ACCESS, &m_pAdminStore);
                if (FAILED(hr))
                {
                    AfxMessageBox(_T("Failed to open default message store."), MB_ICONERROR);
                    FreeProws(lpRows);
                    lpTable->Release();
                    return FALSE;
                }
            }
        }
    }
    if (lpRows)
        FreeProws(lpRows);
    if (lpTable)
        lpTable->Release();
    return m_pAdminStore != nullptr;
}
