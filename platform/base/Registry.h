// Registry key handles and the per-user and per-machine roots. (HKEY_CLASSES_ROOT and the
// reading calls come with the window system's shell services.)
#pragma once

#include "platform/base/WinTypes.h"

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;

inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(ULONG_PTR{0x80000001u});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(ULONG_PTR{0x80000002u});
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(ULONG_PTR{0x80000003u});

constexpr DWORD ERROR_INVALID_HANDLE = 6;

// Writes every change made under the key to disk before it returns. The configuration the
// layer keeps per machine and per user (messaging profiles among it) lives under these
// roots; the messaging layer provides this function.
LONG RegFlushKey(HKEY hKey) noexcept;
