// The messaging subsystem's free functions.
#pragma once

#include "platform/mapi/MapiInterfaces.h"

// Start and end of the subsystem, counted per process: every MAPIInitialize is matched by a
// MAPIUninitialize, and a MAPIUninitialize with nothing to match does nothing.
[[nodiscard]] HRESULT MAPIInitialize(LPVOID lpMapiInit) noexcept;
void MAPIUninitialize() noexcept;

[[nodiscard]] HRESULT MAPIAdminProfiles(ULONG ulFlags, LPPROFADMIN* lppProfAdmin) noexcept;
[[nodiscard]] HRESULT MAPILogonEx(ULONG_PTR ulUIParam, LPTSTR lpszProfileName, LPTSTR lpszPassword,
                                  ULONG flFlags, LPMAPISESSION* lppSession) noexcept;

// Memory handed out by the subsystem. A block from MAPIAllocateMore is freed with the block
// it was linked to; MAPIFreeBuffer of the first frees the whole chain.
[[nodiscard]] SCODE MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) noexcept;
[[nodiscard]] SCODE MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) noexcept;
ULONG MAPIFreeBuffer(LPVOID lpBuffer) noexcept;

// Every row's values, then the row set itself.
void FreeProws(LPSRowSet lpRows) noexcept;
// The value in the array whose tag matches; a tag of type PT_UNSPECIFIED matches by identifier.
LPSPropValue PpropFindProp(LPSPropValue lpPropArray, ULONG cValues, ULONG ulPropTag) noexcept;
// Sets the columns, restriction and sort order, then reads every row from the beginning.
// crowsMax 0 means no limit; a table with more rows than a non-zero limit gives
// MAPI_E_TABLE_TOO_BIG.
[[nodiscard]] HRESULT HrQueryAllRows(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags,
                                     LPSRestriction lpRestriction, LPSSortOrderSet lpSortOrderSet,
                                     LONG crowsMax, LPSRowSet* lppRows) noexcept;
