// Interface identifiers.
#pragma once

#include "platform/base/WinTypes.h"

struct GUID
{
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFGUID = const GUID&;

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) noexcept
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
    {
        if (a.Data4[i] != b.Data4[i])
            return false;
    }
    return true;
}
constexpr bool IsEqualIID(REFIID a, REFIID b) noexcept
{
    return IsEqualGUID(a, b);
}
inline bool operator==(REFGUID a, REFGUID b) noexcept
{
    return IsEqualGUID(a, b);
}
