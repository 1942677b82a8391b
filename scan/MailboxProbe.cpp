#include "scan/MailboxProbe.h"

#include "scan/MailboxScanner.h"
#include "scan/StopFlag.h"

namespace
{

const LPCWSTR TOP_FOLDER_NAME = _T("Top of Information Store");
const ULONG STORE_OPEN_FLAGS =
    MDB_NO_DIALOG | MAPI_BEST_ACCESS | MDB_TEMPORARY | MDB_NO_MAIL | MDB_ONLINE;

// Exchange gives a value too large for a table row as this error under the property's id.
// A PR_OST_OSTID too large to show means many offline stores, not none.
bool CarriesOstId(const SPropValue& col)
{
    if (col.ulPropTag == PR_OST_OSTID)
        return true;
    return col.ulPropTag == CHANGE_PROP_TYPE(PR_OST_OSTID, PT_ERROR) &&
           col.Value.err == MAPI_E_NOT_ENOUGH_MEMORY;
}

bool IsTopFolder(const SPropValue& col)
{
    // A name the store could not give is no match; the walk goes on.
    if (PROP_TYPE(col.ulPropTag) != PT_UNICODE || !col.Value.lpszW)
        return false;
    return CString(col.Value.lpszW).Compare(TOP_FOLDER_NAME) == 0;
}

} // namespace

BOOL CMailboxScanner::ProbeMailbox(CString strDN)
{
    if (IsStopRequested())
        return FALSE;

    LPMDB lpMailbox = nullptr;
    HRESULT hr = OpenMailboxStore(m_pSession, m_strServer, strDN, m_pAdminStore, &lpMailbox);
    if (FAILED(hr) || !lpMailbox)
    {
        if (lpMailbox)
            lpMailbox->Release();
        m_arrErrors.Add(strDN + _T("  -Login failed."));
        return FALSE;
    }
    if (IsStopRequested())
    {
        lpMailbox->Release();
        return FALSE;
    }

    ULONG ulObjType = 0;
    LPUNKNOWN lpUnk = nullptr;
    lpMailbox->OpenEntry(0, nullptr, nullptr, MAPI_BEST_ACCESS, &ulObjType, &lpUnk);
    // The root folder comes back as a folder interface behind the plain pointer.
    LPMAPIFOLDER lpRoot = static_cast<LPMAPIFOLDER>(lpUnk);
    if (!lpRoot)
    {
        ULONG ulFlags = LOGOFF_NO_WAIT;
        lpMailbox->StoreLogoff(&ulFlags);
        lpMailbox->Release();
        m_arrErrors.Add(strDN + _T("  -Failed to get Root Container"));
        return FALSE;
    }

    LPMAPITABLE lpHierarchy = nullptr;
    hr = lpRoot->GetHierarchyTable(MAPI_UNICODE, &lpHierarchy);
    if (FAILED(hr) || !lpHierarchy)
    {
        if (lpHierarchy)
            lpHierarchy->Release();
        ULONG ulFlags = LOGOFF_NO_WAIT;
        lpMailbox->StoreLogoff(&ulFlags);
        lpMailbox->Release();
        lpRoot->Release();
        m_arrErrors.Add(strDN + _T("  -Failed to get Hierarchy Table"));
        return FALSE;
    }

    SizedSPropTagArray(5, sptCols) = {
        5, {PR_DISPLAY_NAME_W, PR_OST_OSTID, PR_INSTANCE_KEY, PR_SUBFOLDERS, PR_CONTAINER_FLAGS}};
    lpHierarchy->SetColumns(reinterpret_cast<LPSPropTagArray>(&sptCols), TBL_BATCH);
    lpHierarchy->SeekRow(BOOKMARK_BEGINNING, 0, nullptr);

    BOOL bFound = FALSE;
    LPSRowSet lpRows = nullptr;
    for (;;)
    {
        if (IsStopRequested())
            break;
        if (lpRows)
        {
            FreeProws(lpRows);
            lpRows = nullptr;
        }
        lpHierarchy->QueryRows(1, 0, &lpRows);
        if (!lpRows || lpRows->cRows == 0)
            break;
        const SRow& row = lpRows->aRow[0];
        if (row.cValues < 2 || !IsTopFolder(row.lpProps[0]))
            continue;
        bFound = TRUE;
        if (CarriesOstId(row.lpProps[1]))
            m_arrOst.Add(strDN);
        else
            m_arrNonOst.Add(strDN);
        break;
    }
    if (lpRows)
        FreeProws(lpRows);

    if (!bFound)
        m_arrErrors.Add(strDN + _T("  -Failed to open folder."));

    lpHierarchy->Release();
    lpRoot->Release();
    lpMailbox->Release();
    return IsStopRequested() ? FALSE : TRUE;
}

BOOL SupportsManageStore(LPMDB lpStore)
{
    LPEXCHANGEMANAGESTORE lpManage = nullptr;
    lpStore->QueryInterface(IID_IExchangeManageStore, reinterpret_cast<void**>(&lpManage));
    if (!lpManage)
        return FALSE;
    lpManage->Release();
    return TRUE;
}

HRESULT OpenMailboxStore(LPMAPISESSION lpMAPISession, LPCWSTR lpszServerName, LPCWSTR lpszMailboxDN,
                         LPMDB lpAdminStore, LPMDB* lppMailboxStore)
{
    *lppMailboxStore = nullptr;
    if (!lpMAPISession || !lpAdminStore || !lpszMailboxDN || !SupportsManageStore(lpAdminStore))
        return E_INVALIDARG;

    CString strServerDN = CString(_T("/cn=Configuration/cn=Servers/cn=")) + lpszServerName +
                          _T("/cn=Microsoft Private MDB");
    return OpenStoreByDN(strServerDN, lpMAPISession, lpAdminStore, lpszMailboxDN, lppMailboxStore);
}

HRESULT OpenStoreByDN(LPCWSTR lpszServerDN, LPMAPISESSION lpMAPISession, LPMDB lpAdminStore,
                      LPCWSTR lpszMailboxDN, LPMDB* lppMailboxStore)
{
    ULONG ulEntryFlags = OPENSTORE_USE_ADMIN_PRIVILEGE | OPENSTORE_TAKE_OWNERSHIP;
    if (!lpszMailboxDN || !*lpszMailboxDN)
        ulEntryFlags |= OPENSTORE_PUBLIC;
    *lppMailboxStore = nullptr;
    if (!lpMAPISession || !lpAdminStore || !lpszServerDN || !SupportsManageStore(lpAdminStore))
        return E_INVALIDARG;

    LPEXCHANGEMANAGESTORE lpManage = nullptr;
    lpAdminStore->QueryInterface(IID_IExchangeManageStore, reinterpret_cast<void**>(&lpManage));
    if (!lpManage)
        return S_OK;

    CW2A szServerDN(lpszServerDN, CP_THREAD_ACP);
    CW2A szMailboxDN(lpszMailboxDN, CP_THREAD_ACP);
    ULONG cbEntryID = 0;
    LPENTRYID lpEntryID = nullptr;
    lpManage->CreateStoreEntryID(szServerDN, szMailboxDN, ulEntryFlags, &cbEntryID, &lpEntryID);

    HRESULT hr = lpMAPISession->OpenMsgStore(0, cbEntryID, lpEntryID, nullptr, STORE_OPEN_FLAGS,
                                             lppMailboxStore);
    if (hr == MAPI_E_UNKNOWN_FLAGS)
    {
        lpMAPISession->OpenMsgStore(0, cbEntryID, lpEntryID, nullptr,
                                    STORE_OPEN_FLAGS & ~MDB_ONLINE, lppMailboxStore);
        hr = S_OK;
    }

    MAPIFreeBuffer(lpEntryID);
    lpManage->Release();
    return hr;
}
