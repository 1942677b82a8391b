// Entry points whose providers are not in yet: they fail loudly.
#include "platform/base/Registry.h"
#include "platform/mapi/MapiApi.h"

#include <cstdio>

HRESULT MAPIAdminProfiles(ULONG, LPPROFADMIN* lppProfAdmin) noexcept
{
    if (lppProfAdmin)
        *lppProfAdmin = nullptr;
    std::fprintf(stderr, "messaging: MAPIAdminProfiles is not supported yet\n");
    return MAPI_E_NO_SUPPORT;
}

HRESULT MAPILogonEx(ULONG_PTR, LPTSTR, LPTSTR, ULONG, LPMAPISESSION* lppSession) noexcept
{
    if (lppSession)
        *lppSession = nullptr;
    std::fprintf(stderr, "messaging: MAPILogonEx is not supported yet\n");
    return MAPI_E_NO_SUPPORT;
}

LONG RegFlushKey(HKEY) noexcept
{
    return ERROR_SUCCESS;
}
