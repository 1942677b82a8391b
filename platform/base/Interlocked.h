// Atomic reads and writes of a 32-bit integer that threads share without a lock.
#pragma once

#include "platform/base/SafePoint.h"
#include "platform/base/WinTypes.h"

// Each is a call into the layer, so a suspended thread stops here as at any other call.
inline LONG InterlockedExchange(LONG volatile* Target, LONG Value) noexcept
{
    winplat::SafePoint();
    return __atomic_exchange_n(Target, Value, __ATOMIC_SEQ_CST);
}

inline LONG InterlockedCompareExchange(LONG volatile* Destination, LONG Exchange,
                                       LONG Comparand) noexcept
{
    winplat::SafePoint();
    __atomic_compare_exchange_n(Destination, &Comparand, Exchange, false, __ATOMIC_SEQ_CST,
                                __ATOMIC_SEQ_CST);
    return Comparand;
}
