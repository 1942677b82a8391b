// The process-wide stop request of a scan: greater than 0 asks the running scan to end.
#pragma once

#include "platform/base/Interlocked.h"
#include "platform/base/WinTypes.h"

// Written by the scan control, read by the scanner. Every access from a thread that another
// thread may write it from goes through the interlocked calls.
extern volatile LONG g_nStopScan;

inline bool IsStopRequested() noexcept
{
    return InterlockedCompareExchange(&g_nStopScan, 0, 0) > 0;
}
