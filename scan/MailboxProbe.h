// Opening another user's mailbox through the administrator's store.
#pragma once

#include "platform/base/Base.h"
#include "platform/mapi/Mapi.h"

HRESULT OpenMailboxStore(LPMAPISESSION lpMAPISession, LPCWSTR lpszServerName, LPCWSTR lpszMailboxDN,
                         LPMDB lpAdminStore, LPMDB* lppMailboxStore);
HRESULT OpenStoreByDN(LPCWSTR lpszServerDN, LPMAPISESSION lpMAPISession, LPMDB lpAdminStore,
                      LPCWSTR lpszMailboxDN, LPMDB* lppMailboxStore);
BOOL SupportsManageStore(LPMDB lpStore);
