#include "platform/ads/Ads.h"
#include "platform/afx/Afx.h"
#include "scan/MailboxScanner.h"
#include "scan/StopFlag.h"

namespace
{

const LPCWSTR MAILBOX_FILTER = _T("(&(mailnickname=*)(objectCategory=person))");

// Closes the search handle (when a search was started) and releases the search object.
void EndSearch(IDirectorySearch* pSearch, ADS_SEARCH_HANDLE hSearch)
{
    if (hSearch)
        pSearch->CloseSearchHandle(hSearch);
    pSearch->Release();
}

} // namespace

BOOL CMailboxScanner::FindMailboxes()
{
    if (IsStopRequested())
        return FALSE;

    CString strPath = _T("LDAP://") + m_strServer;
    CoInitialize(nullptr);

    IDirectorySearch* pSearch = nullptr;
    HRESULT hr = ADsOpenObject(strPath, m_strUser, m_strPassword, ADS_SECURE_AUTHENTICATION,
                               IID_IDirectorySearch, reinterpret_cast<void**>(&pSearch));
    if (FAILED(hr) || pSearch == nullptr)
    {
        AfxMessageBox(_T("Login failed."), MB_ICONERROR);
        return FALSE;
    }
    if (IsStopRequested())
    {
        EndSearch(pSearch, nullptr);
        return FALSE;
    }

    ADS_SEARCHPREF_INFO prefs[5] = {};
    prefs[0].dwSearchPref = ADS_SEARCHPREF_TIMEOUT;
    prefs[0].vValue.dwType = ADSTYPE_INTEGER;
    prefs[0].vValue.Integer = 120;
    prefs[1].dwSearchPref = ADS_SEARCHPREF_SEARCH_SCOPE;
    prefs[1].vValue.dwType = ADSTYPE_INTEGER;
    prefs[1].vValue.Integer = ADS_SCOPE_SUBTREE;
    prefs[2].dwSearchPref = ADS_SEARCHPREF_PAGESIZE;
    prefs[2].vValue.dwType = ADSTYPE_INTEGER;
    prefs[2].vValue.Integer = 100000000;
    prefs[3].dwSearchPref = ADS_SEARCHPREF_CACHE_RESULTS;
    prefs[3].vValue.dwType = ADSTYPE_BOOLEAN;
    prefs[3].vValue.Boolean = TRUE;
    prefs[4].dwSearchPref = ADS_SEARCHPREF_ASYNCHRONOUS;
    prefs[4].vValue.dwType = ADSTYPE_BOOLEAN;
    prefs[4].vValue.Boolean = TRUE;
    if (pSearch->SetSearchPreference(prefs, 5) != S_OK)
    {
        EndSearch(pSearch, nullptr);
        return FALSE;
    }

    WCHAR szCn[] = _T("cn");
    WCHAR szDn[] = _T("legacyExchangeDN");
    WCHAR szHidden[] = _T("msExchHideFromAddressLists");
    LPWSTR attributes[] = {szCn, szDn, szHidden};
    CString strFilter = MAILBOX_FILTER;
    ADS_SEARCH_HANDLE hSearch = nullptr;
    if (pSearch->ExecuteSearch(strFilter.GetBuffer(), attributes, 3, &hSearch) != S_OK)
    {
        EndSearch(pSearch, hSearch);
        return FALSE;
    }
    if (IsStopRequested())
    {
        EndSearch(pSearch, hSearch);
        return FALSE;
    }

    hr = pSearch->GetFirstRow(hSearch);
    if (hr != S_OK)
    {
        EndSearch(pSearch, hSearch);
        // A search that failed is not an empty organisation: say which it was.
        if (FAILED(hr))
            AfxMessageBox(_T("The directory search failed; no mailboxes could be listed."),
                          MB_ICONERROR);
        else
            AfxMessageBox(_T("No mailboxes found."), MB_ICONINFORMATION);
        return FALSE;
    }

    BOOL bComplete = TRUE;
    for (;;)
    {
        if (IsStopRequested())
            break;

        ADS_SEARCH_COLUMN col;
        if (SUCCEEDED(pSearch->GetColumn(hSearch, szCn, &col)))
        {
            CString strCn = col.pADsValues->CaseIgnoreString;
            pSearch->FreeColumn(&col);

            if (SUCCEEDED(pSearch->GetColumn(hSearch, szDn, &col)))
            {
                CString strDn = col.pADsValues->CaseIgnoreString;
                pSearch->FreeColumn(&col);

                if (FAILED(pSearch->GetColumn(hSearch, szHidden, &col)))
                {
                    m_arrMailboxes.Add(strDn);
                }
                else
                {
                    if (col.pADsValues->Boolean == FALSE)
                        m_arrMailboxes.Add(strDn);
                    pSearch->FreeColumn(&col);
                }
            }
        }

        hr = pSearch->GetNextRow(hSearch);
        if (hr == S_ADS_NOMORE_ROWS)
            break;
        if (hr != S_OK)
        {
            // The server ended the search early (a limit, a lost connection, no answer in
            // time): the walk stops here rather than ask for the same row again.
            bComplete = FALSE;
            break;
        }
    }

    EndSearch(pSearch, hSearch);
    if (!bComplete)
    {
        // A partial list would be reported as the whole organisation.
        AfxMessageBox(_T("The directory search ended before all mailboxes were listed. ")
                      _T("The mailbox list is incomplete, so the scan was stopped."),
                      MB_ICONEXCLAMATION);
        return FALSE;
    }
    return TRUE;
}
