#include "platform/base/SafePoint.h"

namespace winplat
{

namespace
{
thread_local SuspendGate* t_gate = nullptr;
} // namespace

DWORD SuspendGate::Suspend()
{
    std::lock_guard lock(m_mutex);
    return m_count.fetch_add(1, std::memory_order_relaxed);
}

DWORD SuspendGate::Resume()
{
    std::lock_guard lock(m_mutex);
    const DWORD before = m_count.load(std::memory_order_relaxed);
    if (before > 0)
    {
        m_count.store(before - 1, std::memory_order_relaxed);
        if (before == 1)
            m_resumed.notify_all();
    }
    return before;
}

void SuspendGate::Pass()
{
    // The unlocked look keeps the common case, an open gate, free of the mutex.
    if (m_count.load(std::memory_order_relaxed) == 0)
        return;
    std::unique_lock lock(m_mutex);
    if (m_count.load(std::memory_order_relaxed) == 0)
        return;
    m_parked = true;
    m_resumed.wait(lock, [this] { return m_count.load(std::memory_order_relaxed) == 0; });
    m_parked = false;
}

bool SuspendGate::IsParked() const
{
    std::lock_guard lock(m_mutex);
    return m_parked;
}

void SetCurrentThreadGate(SuspendGate* gate) noexcept
{
    t_gate = gate;
}

namespace detail
{
SuspendGate* CurrentThreadGate() noexcept
{
    return t_gate;
}

void PassGate(SuspendGate* gate) noexcept
{
    try
    {
        gate->Pass();
    }
    catch (...)
    {
        // A failed wait lets the thread run on rather than end the process.
    }
}
} // namespace detail

} // namespace winplat
