#include "scan/TempProfile.h"

#include "controls/NewProf.h"
#include "platform/afx/Afx.h"
#include "platform/base/Locale.h"
#include "scan/MailboxScanner.h"

#include <cstring>

namespace
{

const ULONG PROFILE_LOCALE = 0x409;

bool IsMarker(const SPropValue* pVal)
{
    return pVal && PROP_TYPE(pVal->ulPropTag) == PT_STRING8 && pVal->Value.lpszA &&
           strcmp(pVal->Value.lpszA, PROVIDER_MARKER) == 0;
}

} // namespace

HRESULT CMailboxScanner::CreateTempProfile()
{
    HRESULT hr = MAPIAdminProfiles(0, &m_pProfAdmin);
    if (!m_pProfAdmin)
        return hr;

    CW2A szProfile(m_strProfile, CP_THREAD_ACP);
    hr = m_pProfAdmin->CreateProfile(szProfile, nullptr, 0, 0);
    if (hr == S_OK)
    {
        m_bProfileCreated = TRUE;
        return S_OK;
    }
    hr = FindProfile(m_pProfAdmin, m_strProfile);
    if (hr != S_OK)
        return hr;

    // The name is taken: ask for another until one is free or the user gives up.
    for (;;)
    {
        CNewProf dlg(AfxGetMainWnd());
        dlg.m_strProfileName = m_strProfile;
        if (dlg.DoModal() != IDOK)
            return E_FAIL;
        m_strProfile = dlg.m_strProfileName;

        CW2A szNewProfile(m_strProfile, CP_THREAD_ACP);
        hr = m_pProfAdmin->CreateProfile(szNewProfile, nullptr, 0, 0);
        if (hr == S_OK)
        {
            m_bProfileCreated = TRUE;
            return S_OK;
        }
        hr = FindProfile(m_pProfAdmin, m_strProfile);
        if (hr != S_OK)
            return hr;
    }
}

HRESULT CMailboxScanner::DeleteTempProfile()
{
    CW2A szProfile(m_strProfile, CP_THREAD_ACP);
    HRESULT hr = m_pProfAdmin->DeleteProfile(szProfile, 0);
    // Make the removal durable whatever the deletion said.
    RegFlushKey(HKEY_LOCAL_MACHINE);
    RegFlushKey(HKEY_CURRENT_USER);
    return hr;
}

HRESULT FindProfile(LPPROFADMIN lpProfAdmin, LPCWSTR lpszProfileName)
{
    if (!lpProfAdmin || !lpszProfileName)
        return E_INVALIDARG;

    LPMAPITABLE lpTable = nullptr;
    HRESULT hr = lpProfAdmin->GetProfileTable(0, &lpTable);
    if (!lpTable)
        return hr;

    SizedSPropTagArray(1, sptCols) = {1, {PR_DISPLAY_NAME_A}};
    LPSRowSet lpRows = nullptr;
    hr = HrQueryAllRows(lpTable, reinterpret_cast<LPSPropTagArray>(&sptCols), nullptr, nullptr, 0,
                        &lpRows);
    if (FAILED(hr))
    {
        lpTable->Release();
        return hr;
    }

    CW2A szSought(lpszProfileName, CP_THREAD_ACP);
    hr = S_FALSE;
    for (ULONG i = 0; lpRows && i < lpRows->cRows; ++i)
    {
        const SRow& row = lpRows->aRow[i];
        if (row.cValues < 1 || PROP_TYPE(row.lpProps[0].ulPropTag) != PT_STRING8 ||
            !row.lpProps[0].Value.lpszA)
            continue;
        if (CompareStringA(PROFILE_LOCALE, NORM_IGNORECASE, row.lpProps[0].Value.lpszA, -1,
                           szSought, -1) == CSTR_EQUAL)
        {
            hr = S_OK;
            break;
        }
    }
    FreeProws(lpRows);
    lpTable->Release();
    return hr;
}

HRESULT AddExchangeService(LPCWSTR lpszServerName, CMailboxScanner* pScanner,
                           LPCWSTR lpszMailboxName, LPCWSTR lpszProfileName)
{
    if (!lpszServerName || !lpszMailboxName || !lpszProfileName)
        return E_INVALIDARG;

    CW2A szServer(lpszServerName, CP_THREAD_ACP);
    CW2A szMailbox(lpszMailboxName, CP_THREAD_ACP);
    CW2A szProfile(lpszProfileName, CP_THREAD_ACP);
    SPropValue rgval[2] = {};
    rgval[0].ulPropTag = PR_PROFILE_UNRESOLVED_SERVER;
    rgval[0].Value.lpszA = szServer;
    rgval[1].ulPropTag = PR_PROFILE_UNRESOLVED_NAME;
    rgval[1].Value.lpszA = szMailbox;

    char szService[] = "MSEMS";
    return AddServiceToProfile(szService, 2, rgval, szProfile, pScanner);
}

HRESULT AddServiceToProfile(LPSTR lpszServiceName, ULONG cValues, LPSPropValue lpPropVals,
                            LPSTR lpszProfileName, CMailboxScanner* pScanner)
{
    if (!lpszProfileName)
        return E_INVALIDARG;

    LPSERVICEADMIN lpServiceAdmin = nullptr;
    HRESULT hr =
        pScanner->m_pProfAdmin->AdminServices(lpszProfileName, nullptr, 0, 0, &lpServiceAdmin);
    if (!lpServiceAdmin)
        return hr;

    MarkExistingServices(lpServiceAdmin, TRUE);
    lpServiceAdmin->CreateMsgService(lpszServiceName, lpszServiceName, 0, 0);

    LPSRowSet lpRowSet = nullptr;
    FindUnmarkedService(lpServiceAdmin, &lpRowSet);
    if (lpRowSet && lpRowSet->cRows == 1)
    {
        LPSPropValue lpServiceUID =
            PpropFindProp(lpRowSet->aRow[0].lpProps, lpRowSet->aRow[0].cValues, PR_SERVICE_UID);
        if (lpServiceUID)
        {
            lpServiceAdmin->ConfigureMsgService(
                reinterpret_cast<LPMAPIUID>(lpServiceUID->Value.bin.lpb), 0, 0, cValues,
                lpPropVals);
        }
    }
    FreeProws(lpRowSet);

    hr = MarkExistingServices(lpServiceAdmin, FALSE);
    lpServiceAdmin->Release();
    return hr;
}

HRESULT MarkExistingServices(LPSERVICEADMIN lpServiceAdmin, BOOL bAddMark)
{
    if (!lpServiceAdmin)
        return E_INVALIDARG;

    LPMAPITABLE lpTable = nullptr;
    HRESULT hr = lpServiceAdmin->GetMsgServiceTable(0, &lpTable);
    if (!lpTable)
        return hr;

    SizedSPropTagArray(1, sptCols) = {1, {PR_SERVICE_UID}};
    LPSRowSet lpRows = nullptr;
    hr = HrQueryAllRows(lpTable, reinterpret_cast<LPSPropTagArray>(&sptCols), nullptr, nullptr, 0,
                        &lpRows);
    for (ULONG i = 0; lpRows && i < lpRows->cRows; ++i)
    {
        LPSPropValue lpUID =
            PpropFindProp(lpRows->aRow[i].lpProps, lpRows->aRow[i].cValues, PR_SERVICE_UID);
        if (!lpUID)
        {
            hr = S_OK;
            continue;
        }
        LPPROFSECT lpSect = nullptr;
        hr = OpenServiceSection(lpServiceAdmin, reinterpret_cast<LPMAPIUID>(lpUID->Value.bin.lpb),
                                &lpSect);
        if (!lpSect)
            continue;
        if (bAddMark)
        {
            SPropValue val = {};
            val.ulPropTag = PR_BODY_A;
            char szMarker[] = PROVIDER_MARKER;
            val.Value.lpszA = szMarker;
            lpSect->SetProps(1, &val, nullptr);
        }
        else
        {
            SizedSPropTagArray(1, sptMarker) = {1, {PR_BODY_A}};
            lpSect->DeleteProps(reinterpret_cast<LPSPropTagArray>(&sptMarker), nullptr);
        }
        hr = lpSect->SaveChanges(0);
        lpSect->Release();
    }
    FreeProws(lpRows);
    lpTable->Release();
    return hr;
}

HRESULT FindUnmarkedService(LPSERVICEADMIN lpServiceAdmin, LPSRowSet* lpRowSet)
{
    if (!lpServiceAdmin || !lpRowSet)
        return E_INVALIDARG;
    *lpRowSet = nullptr;

    LPMAPITABLE lpTable = nullptr;
    HRESULT hr = lpServiceAdmin->GetMsgServiceTable(0, &lpTable);
    if (!lpTable)
        return hr;

    SizedSPropTagArray(1, sptCols) = {1, {PR_SERVICE_UID}};
    lpTable->SetColumns(reinterpret_cast<LPSPropTagArray>(&sptCols), TBL_BATCH);

    LPSRowSet lpRows = nullptr;
    LPPROFSECT lpSect = nullptr;
    for (;;)
    {
        hr = lpTable->QueryRows(1, 0, &lpRows);
        if (hr != S_OK || !lpRows || lpRows->cRows != 1)
            break;

        LPSPropValue lpUID =
            PpropFindProp(lpRows->aRow[0].lpProps, lpRows->aRow[0].cValues, PR_SERVICE_UID);
        if (lpUID)
            OpenServiceSection(lpServiceAdmin, reinterpret_cast<LPMAPIUID>(lpUID->Value.bin.lpb),
                               &lpSect);
        if (!lpUID || !lpSect)
        {
            FreeProws(lpRows);
            lpRows = nullptr;
            continue;
        }

        SizedSPropTagArray(1, sptMarker) = {1, {PR_BODY_A}};
        ULONG cValues = 0;
        LPSPropValue lpVal = nullptr;
        lpSect->GetProps(reinterpret_cast<LPSPropTagArray>(&sptMarker), 0, &cValues, &lpVal);
        bool bMarked = cValues >= 1 && IsMarker(lpVal);
        MAPIFreeBuffer(lpVal);
        lpSect->Release();
        lpSect = nullptr;
        if (!bMarked)
        {
            *lpRowSet = lpRows;
            lpTable->Release();
            return S_OK;
        }
        FreeProws(lpRows);
        lpRows = nullptr;
    }

    FreeProws(lpRows);
    *lpRowSet = nullptr;
    if (lpSect)
        lpSect->Release();
    lpTable->Release();
    return hr;
}

HRESULT OpenServiceSection(LPSERVICEADMIN lpServiceAdmin, LPMAPIUID lpServiceUID,
                           LPPROFSECT* lppProfSect)
{
    if (!lpServiceAdmin || !lppProfSect)
        return E_INVALIDARG;
    *lppProfSect = nullptr;

    HRESULT hr = lpServiceAdmin->OpenProfileSection(lpServiceUID, nullptr,
                                                    MAPI_MODIFY | MAPI_FORCE_ACCESS, lppProfSect);
    if (*lppProfSect)
        return hr;
    // Our messaging layer opens service sections for writing through the call above, so it
    // keeps no internal opener to fall back on.
    return MAPI_E_NOT_FOUND;
}
