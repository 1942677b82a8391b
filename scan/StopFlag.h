// The process-wide stop request of a scan: greater than 0 asks the running scan to end.
#pragma once

#include <atomic>
#include <cstdint>

// Written by the scan control, read by the scanner; relaxed, since the scanner only needs to
// see the request at its next check.
extern std::atomic<std::int32_t> g_nStopScan;

inline bool IsStopRequested() noexcept
{
    return g_nStopScan.load(std::memory_order_relaxed) > 0;
}
