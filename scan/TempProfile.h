// The temporary messaging profile of a scan: lookup, the Exchange service and its marker.
#pragma once

#include "platform/base/Base.h"
#include "platform/mapi/Mapi.h"

class CMailboxScanner;

// Set on the sections of the services that exist before a new one is added, so the one
// section without it afterwards is the new service's.
#define PROVIDER_MARKER "MFCMAPI Existing Provider Marker"

// S_OK when a profile of that name exists, S_FALSE when none does, or a failure.
HRESULT FindProfile(LPPROFADMIN lpProfAdmin, LPCWSTR lpszProfileName);
HRESULT AddExchangeService(LPCWSTR lpszServerName, CMailboxScanner* pScanner,
                           LPCWSTR lpszMailboxName, LPCWSTR lpszProfileName);
HRESULT AddServiceToProfile(LPSTR lpszServiceName, ULONG cValues, LPSPropValue lpPropVals,
                            LPSTR lpszProfileName, CMailboxScanner* pScanner);
HRESULT MarkExistingServices(LPSERVICEADMIN lpServiceAdmin, BOOL bAddMark);
HRESULT FindUnmarkedService(LPSERVICEADMIN lpServiceAdmin, LPSRowSet* lpRowSet);
HRESULT OpenServiceSection(LPSERVICEADMIN lpServiceAdmin, LPMAPIUID lpServiceUID,
                           LPPROFSECT* lppProfSect);
