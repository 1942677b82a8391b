// Locale-aware string comparison.
#pragma once

#include "platform/base/WinTypes.h"

using LCID = DWORD;
constexpr DWORD NORM_IGNORECASE = 0x00000001;
constexpr int CSTR_LESS_THAN = 1;
constexpr int CSTR_EQUAL = 2;
constexpr int CSTR_GREATER_THAN = 3;

// 8-bit text is read in the thread's ANSI code page. Equality under NORM_IGNORECASE folds
// case character by character; the order is that of the folded code units, which is what
// callers that only ask "equal or not" rely on. 0 on bad arguments.
int CompareStringA(LCID Locale, DWORD dwCmpFlags, LPCSTR lpString1, int cchCount1, LPCSTR lpString2,
                   int cchCount2) noexcept;
int CompareStringW(LCID Locale, DWORD dwCmpFlags, LPCWSTR lpString1, int cchCount1,
                   LPCWSTR lpString2, int cchCount2) noexcept;
