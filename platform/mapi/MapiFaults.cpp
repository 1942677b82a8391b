#include "platform/mapi/MapiFaults.h"

#include "platform/base/SafePoint.h"

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace winplat::mapi
{

namespace
{

struct ArmedFault
{
    std::string operation;
    Fault fault;
    unsigned calls = 0; // calls of the operation seen since the fault was set
};

struct ArmedAction
{
    std::string operation;
    std::function<void()> action;
    unsigned nth = 1;
    unsigned calls = 0;
};

constexpr size_t kKinds = static_cast<size_t>(MapiObject::Folder) + 1;

// The hooks are process-wide by nature: they watch every object of the layer.
struct Hooks
{
    std::mutex mutex;
    std::vector<ArmedFault> faults;
    std::vector<ArmedAction> actions;
    std::vector<std::pair<std::string, std::chrono::microseconds>> delays;
    std::vector<CallRecord> calls;
    // Checked without the lock so that a layer nobody watches pays almost nothing.
    std::atomic<bool> active{false};
    bool recording = false;
    std::array<std::atomic<long>, kKinds> live{};
    std::atomic<long> allocations{0};
};

Hooks& TheHooks()
{
    static Hooks hooks;
    return hooks;
}

std::string_view MethodOf(std::string_view operation)
{
    size_t p = operation.rfind("::");
    return p == std::string_view::npos ? operation : operation.substr(p + 2);
}

bool Names(std::string_view pattern, std::string_view operation)
{
    return pattern == operation ||
           (pattern.find("::") == std::string_view::npos && pattern == MethodOf(operation));
}

void UpdateActive(Hooks& h)
{
    h.active.store(h.recording || !h.faults.empty() || !h.actions.empty() || !h.delays.empty(),
                   std::memory_order_relaxed);
}

} // namespace

void MapiFaults::Inject(std::string_view operation, Fault fault)
{
    Hooks& h = TheHooks();
    std::lock_guard lock(h.mutex);
    h.faults.push_back(ArmedFault{std::string(operation), fault, 0});
    UpdateActive(h);
}

void MapiFaults::OnCall(std::string_view operation, std::function<void()> action, unsigned nth)
{
    Hooks& h = TheHooks();
    std::lock_guard lock(h.mutex);
    h.actions.push_back(ArmedAction{std::string(operation), std::move(action), nth, 0});
    UpdateActive(h);
}

void MapiFaults::Slow(std::string_view operation, std::chrono::microseconds delay)
{
    Hooks& h = TheHooks();
    std::lock_guard lock(h.mutex);
    h.delays.emplace_back(std::string(operation), delay);
    UpdateActive(h);
}

void MapiFaults::Clear()
{
    Hooks& h = TheHooks();
    std::lock_guard lock(h.mutex);
    h.faults.clear();
    h.actions.clear();
    h.delays.clear();
    h.calls.clear();
    h.recording = false;
    UpdateActive(h);
}

void MapiFaults::Record(bool on)
{
    Hooks& h = TheHooks();
    std::lock_guard lock(h.mutex);
    h.recording = on;
    UpdateActive(h);
}

std::vector<CallRecord> MapiFaults::Calls()
{
    Hooks& h = TheHooks();
    std::lock_guard lock(h.mutex);
    return h.calls;
}

unsigned MapiFaults::CallCount(std::string_view operation)
{
    Hooks& h = TheHooks();
    std::lock_guard lock(h.mutex);
    unsigned n = 0;
    for (const CallRecord& c : h.calls)
    {
        if (Names(operation, c.operation))
            ++n;
    }
    return n;
}

long MapiFaults::LiveObjects()
{
    long n = 0;
    for (const auto& k : TheHooks().live)
        n += k.load();
    return n;
}

long MapiFaults::LiveObjects(MapiObject kind)
{
    return TheHooks().live[static_cast<size_t>(kind)].load();
}

long MapiFaults::LiveAllocations()
{
    return TheHooks().allocations.load();
}

bool MapiFaults::Hit(const char* operation, ULONG flags, HRESULT* result, std::string_view detail)
{
    // Every messaging call starts here, before it takes any lock.
    SafePoint();
    Hooks& h = TheHooks();
    if (!h.active.load(std::memory_order_relaxed))
        return false;
    std::vector<std::function<void()>> due;
    bool hit = false;
    std::chrono::microseconds delay{0};
    {
        std::lock_guard lock(h.mutex);
        for (const auto& [name, d] : h.delays)
            if (Names(name, operation))
                delay += d;
        if (h.recording)
            h.calls.push_back(CallRecord{operation, flags, std::string(detail)});
        for (ArmedAction& a : h.actions)
        {
            if (Names(a.operation, operation) && ++a.calls == a.nth)
                due.push_back(a.action);
        }
        for (ArmedFault& f : h.faults)
        {
            if (!Names(f.operation, operation))
                continue;
            unsigned n = ++f.calls;
            bool inRange =
                n >= f.fault.nth && (f.fault.count == 0 || n < f.fault.nth + f.fault.count);
            if (inRange && !hit)
            {
                hit = true;
                *result = f.fault.result;
            }
        }
    }
    // Outside the lock: an action may well call into the layer.
    if (delay.count() > 0)
        std::this_thread::sleep_for(delay);
    for (auto& action : due)
        action();
    return hit;
}

void MapiFaults::ObjectCreated(MapiObject kind) noexcept
{
    TheHooks().live[static_cast<size_t>(kind)].fetch_add(1, std::memory_order_relaxed);
}

void MapiFaults::ObjectDestroyed(MapiObject kind) noexcept
{
    TheHooks().live[static_cast<size_t>(kind)].fetch_sub(1, std::memory_order_relaxed);
}

void MapiFaults::AllocationCountChanged(long delta) noexcept
{
    TheHooks().allocations.fetch_add(delta, std::memory_order_relaxed);
}

} // namespace winplat::mapi
