#include "scan/MailboxScanner.h"

HRESULT CMailboxScanner::DeleteTempProfile()
{
    CW2A szProfile(m_strProfile, CP_THREAD_ACP);
    HRESULT hr = m_pProfAdmin->DeleteProfile(szProfile, 0);
    // Make the removal durable whatever the deletion said.
    RegFlushKey(HKEY_LOCAL_MACHINE);
    RegFlushKey(HKEY_CURRENT_USER);
    return hr;
}
