// Network management: the domain-controller lookup of a domain member.
#pragma once

#include "platform/base/WinTypes.h"

using NET_API_STATUS = DWORD;

constexpr NET_API_STATUS NERR_Success = 0;
constexpr NET_API_STATUS NERR_DCNotFound = 2453;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;

// A controller of DomainName (NetBIOS or DNS name; null: this computer's domain), as
// "\\host" in a buffer that NetApiBufferFree releases. Only the local computer can be asked:
// ServerName must be null.
NET_API_STATUS NetGetDCName(LPCWSTR ServerName, LPCWSTR DomainName, LPBYTE* Buffer) noexcept;

// Releases a buffer this layer handed out; null is allowed.
NET_API_STATUS NetApiBufferFree(LPVOID Buffer) noexcept;
