// Suspending a thread from outside at a point where it holds nothing.
//
// A thread cannot be stopped safely wherever it happens to be (it may hold the heap's lock or
// one of the layer's own). Threads started by the layer therefore carry a gate: suspending such
// a thread closes its gate, and the thread stops at its next safe point, which every call into
// the layer passes before it takes any lock. Other threads pass safe points at no cost.
#pragma once

#include "platform/base/WinTypes.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace winplat
{

class SuspendGate final
{
public:
    // Both return the suspend count from before the call, as SuspendThread and ResumeThread do.
    DWORD Suspend();
    // A count of 0 stays 0.
    DWORD Resume();
    // Blocks the calling thread while the count is above 0.
    void Pass();
    // True while the owning thread is stopped in Pass.
    bool IsParked() const;

private:
    std::atomic<DWORD> m_count{0};
    mutable std::mutex m_mutex;
    std::condition_variable m_resumed;
    bool m_parked = false;
};

// Sets the gate the calling thread passes at its safe points; nullptr for none.
void SetCurrentThreadGate(SuspendGate* gate) noexcept;

namespace detail
{
SuspendGate* CurrentThreadGate() noexcept;
void PassGate(SuspendGate* gate) noexcept;
} // namespace detail

// Every entry into the layer that a suspendable thread may make calls this first.
inline void SafePoint() noexcept
{
    if (SuspendGate* gate = detail::CurrentThreadGate())
        detail::PassGate(gate);
}

} // namespace winplat
