#include "platform/win/UiThread.h"

#include "platform/base/SafePoint.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <utility>

#include <sched.h>

namespace winplat
{

namespace
{

using Clock = std::chrono::steady_clock;

// A worker that sends one request after another (filling a list) would pay a thread wake-up on
// both sides for each. For a short while both sides look for the other's answer before they
// sleep, so a burst of requests flows without wake-ups.
constexpr auto kHandOff = std::chrono::microseconds(150);
// Serving a burst, the user-interface thread gives its event loop a turn at least this often.
constexpr auto kServeTurn = std::chrono::milliseconds(5);
// Bounds of the processor spin that comes before yielding (see Spinner), in rounds of the
// processor's spin-wait hint: some tens of nanoseconds each, so from about 2 to 50 us.
constexpr unsigned kMinSpins = 100;
constexpr unsigned kMaxSpins = 2500;

inline void CpuRelax() noexcept
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// The processor the calling thread runs on, or -1 when that cannot be told.
inline int CurrentCpu() noexcept
{
    return sched_getcpu();
}

// Waits a short while for something another thread is about to do. Spinning on the processor
// answers fastest when the other thread runs on another processor; on the same one, a spin only
// keeps it from running, so then the wait yields at once. The spin lasts a few times as long as
// recent answers took, shorter after answers that did not come in time, and then the wait
// yields the processor until the deadline. The spin counts its rounds rather than reading the
// clock, which would cost as much as the rounds themselves.
class Spinner final
{
public:
    template <class Done> bool Wait(Done done, int otherCpu, Clock::time_point deadline) noexcept
    {
        if (done())
            return true;
        const int cpu = CurrentCpu();
        if (cpu < 0 || cpu != otherCpu)
        {
            for (unsigned i = 1; i <= m_spins; ++i)
            {
                CpuRelax();
                if (done())
                {
                    m_spins = std::clamp(4 * i, m_spins, kMaxSpins);
                    return true;
                }
            }
            m_spins = std::max(m_spins / 2, kMinSpins);
        }
        while (Clock::now() < deadline)
        {
            std::this_thread::yield();
            if (done())
                return true;
        }
        return done();
    }

private:
    unsigned m_spins = kMinSpins * 4;
};

enum class Outcome : unsigned char
{
    Pending,
    Ran,
    NotRun,
};

struct PostedRequest;

// One queued request. A waited one lives on its caller's stack: once its outcome is set, the
// caller may return at any moment, so nothing touches it after that.
struct Request
{
    explicit Request(UiThread::FunctionRef f) noexcept : fn(f) {}
    UiThread::FunctionRef fn;
    Request* next = nullptr;
    std::atomic<Outcome> outcome{Outcome::Pending};
    PostedRequest* posted = nullptr; // the owner of a posted request
    int callerCpu = -1;              // where a waiting caller last ran
};

// A posted request owns its callable; nobody waits for it.
struct PostedRequest
{
    explicit PostedRequest(std::function<void()> f) : fn(std::move(f)), request(fn)
    {
        request.posted = this;
    }
    std::function<void()> fn;
    Request request;
};

// Everything the queue shares between threads. Fields are grouped by who writes them, each group
// on cache lines of its own: a burst of requests moves as few lines between the two processors
// as the hand-off allows.
struct QueueState
{
    // Written only when the application starts and ends.
    alignas(64) std::atomic<std::thread::id> uiThread{};
    std::atomic<bool> up{false};

    // Callers push their requests here, newest first, without a lock; kClosed while no UI thread
    // serves. Beside it, whether the UI thread is between the requests of a burst and looks for
    // the next one itself (no drain call through the event loop needed then).
    alignas(64) std::atomic<Request*> incoming;
    std::atomic<bool> looking{false};
    std::atomic<int> uiCpu{-1}; // where the UI thread last ran a request

    // Sleeping and waking, and the drain calls: behind the mutex.
    alignas(64) std::mutex mutex;
    std::condition_variable requestDone; // callers asleep on their request
    std::condition_variable uiWake;      // the UI thread in WaitServing
    std::atomic<int> sleepers{0};        // callers asleep on requestDone
    std::atomic<int> uiWaiting{0};       // threads asleep on uiWake
    // A drain call is queued to the event loop and has not started: one is enough, however
    // many requests come meanwhile, and the event loop's other work gets its turn between two.
    std::atomic<bool> drainPending{false};
    unsigned long long kicks = 0;

    // The UI thread's own: requests taken from incoming, oldest first.
    alignas(64) Request* taken = nullptr;
    Spinner uiSpinner;

    QueueState();
};

// Marks the incoming stack as closed; never a real request.
alignas(Request) unsigned char g_closedTag;
Request* const kClosed = reinterpret_cast<Request*>(&g_closedTag);

QueueState::QueueState() : incoming(kClosed) {}

QueueState& State()
{
    static QueueState* state = new QueueState; // outlives every thread that may still call in
    return *state;
}

bool HasIncoming(const QueueState& s) noexcept
{
    Request* top = s.incoming.load();
    return top != nullptr && top != kClosed;
}

// False when no UI thread serves the queue: the request is not in it then.
bool Push(QueueState& s, Request* r) noexcept
{
    // Mostly the UI thread has taken everything: one exchange on an empty stack, without
    // reading the line first, moves it between the processors once instead of twice.
    Request* top = nullptr;
    r->next = nullptr;
    while (!s.incoming.compare_exchange_weak(top, r, std::memory_order_seq_cst,
                                             std::memory_order_relaxed))
    {
        if (top == kClosed)
            return false;
        r->next = top;
    }
    return true;
}

// On the UI thread: the oldest request not yet run, or null.
Request* TakeNext(QueueState& s) noexcept
{
    if (s.taken == nullptr)
    {
        // Only this thread closes the stack or takes from it: once it holds requests, taking
        // them all cannot race with anything but more pushes.
        if (!HasIncoming(s))
            return nullptr;
        Request* batch = s.incoming.exchange(nullptr);
        // Pushed newest first: turned round into the order of their calls. A lone request's
        // link is left as it is, so as not to write to its caller's memory.
        Request* oldest = nullptr;
        while (batch != nullptr)
        {
            Request* next = batch->next;
            if (batch->next != oldest)
                batch->next = oldest;
            oldest = batch;
            batch = next;
        }
        s.taken = oldest;
    }
    Request* r = s.taken;
    s.taken = r->next;
    return r;
}

// Asks the event loop for a turn of ServePending, unless one is queued already, while there is
// an application object; it takes the lock on its way out.
void PostDrain(QueueState& s) noexcept
{
    if (s.drainPending.exchange(true))
        return;
    std::lock_guard lock(s.mutex);
    if (!s.up.load(std::memory_order_relaxed))
    {
        s.drainPending.store(false);
        return;
    }
    try
    {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            []
            {
                // Cleared before serving: whatever is pushed from here on asks for a new call,
                // and whatever came before is served now.
                State().drainPending.store(false);
                UiThread::ServePending();
            },
            Qt::QueuedConnection);
    }
    catch (...)
    {
        // The request stays queued; the next drain or wait serves it.
        s.drainPending.store(false);
        std::fputs("UiThread: no drain call could be queued\n", stderr);
    }
}

// The last step of a request: its caller learns the outcome, a posted request's callable and
// whatever it captured end here, on this thread.
void Complete(Request* r, Outcome outcome) noexcept
{
    QueueState& s = State();
    if (r->posted != nullptr)
    {
        delete r->posted;
        return;
    }
    r->outcome.store(outcome);
    // The caller counts itself among the sleepers before it looks at the outcome a last time,
    // under the lock; both sides use sequentially consistent order, so one of them sees the other.
    if (s.sleepers.load() > 0)
    {
        std::lock_guard lock(s.mutex);
        s.requestDone.notify_all();
    }
}

void WaitForOutcome(Request& r) noexcept
{
    auto finished = [&r] { return r.outcome.load(std::memory_order_acquire) != Outcome::Pending; };
    thread_local Spinner spinner;
    QueueState& s = State();
    if (spinner.Wait(finished, s.uiCpu.load(std::memory_order_relaxed), Clock::now() + kHandOff))
        return;
    std::unique_lock lock(s.mutex);
    s.sleepers.fetch_add(1);
    s.requestDone.wait(lock, [&r] { return r.outcome.load() != Outcome::Pending; });
    s.sleepers.fetch_sub(1);
}

bool Enqueue(Request* r) noexcept
{
    QueueState& s = State();
    if (!Push(s, r))
        return false;
    // From here r may already have run and be gone: only the queue's own state is read.
    // Sequentially consistent order against the UI thread's stores of these flags: either it
    // sees the request, or this side sees that it must call.
    if (!s.looking.load())
        PostDrain(s);
    if (s.uiWaiting.load() > 0)
    {
        std::lock_guard lock(s.mutex);
        s.uiWake.notify_all();
    }
    return true;
}

void OnApplicationEnd()
{
    QueueState& s = State();
    {
        std::lock_guard lock(s.mutex);
        s.up.store(false);
        s.uiThread.store({});
    }
    // Nobody is left to serve them: their callers learn, in order, that they did not run.
    Request* batch = s.incoming.exchange(kClosed);
    Request* rest = nullptr;
    while (batch != nullptr && batch != kClosed)
    {
        Request* next = batch->next;
        batch->next = rest;
        rest = batch;
        batch = next;
    }
    for (Request* list : {std::exchange(s.taken, nullptr), rest})
        while (list != nullptr)
        {
            Request* next = list->next;
            Complete(list, Outcome::NotRun);
            list = next;
        }
    s.looking.store(false);
}

void OnApplicationStart()
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    s.incoming.store(nullptr);
    s.drainPending.store(false);
    s.uiThread.store(std::this_thread::get_id());
    s.up.store(true);
    qAddPostRoutine(&OnApplicationEnd);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(OnApplicationStart)

bool UiThread::IsUiThread() noexcept
{
    return State().uiThread.load(std::memory_order_acquire) == std::this_thread::get_id();
}

bool UiThread::HasUi() noexcept
{
    return State().up.load(std::memory_order_acquire);
}

bool UiThread::Invoke(FunctionRef fn) noexcept
{
    SafePoint();
    if (IsUiThread())
    {
        try
        {
            fn();
        }
        catch (...)
        {
            std::fputs("UiThread::Invoke: request ended with an exception\n", stderr);
        }
        return true;
    }
    Request r(fn);
    r.callerCpu = CurrentCpu();
    if (!Enqueue(&r))
        return false;
    WaitForOutcome(r);
    return r.outcome.load(std::memory_order_acquire) == Outcome::Ran;
}

bool UiThread::Post(std::function<void()> fn) noexcept
{
    SafePoint();
    PostedRequest* posted = nullptr;
    try
    {
        posted = new PostedRequest(std::move(fn));
    }
    catch (...)
    {
        return false;
    }
    if (Enqueue(&posted->request))
        return true;
    delete posted;
    return false;
}

void UiThread::ServePending() noexcept
{
    if (!IsUiThread())
        return;
    QueueState& s = State();
    const auto turnEnd = Clock::now() + kServeTurn;
    bool served = false;
    int callerCpu = -1; // where the caller of the last request waits
    for (;;)
    {
        Request* r = TakeNext(s);
        if (r == nullptr)
        {
            if (!served)
                return; // nothing came: no burst to wait for
            // Look for the burst's next request for a moment before going back to the event loop.
            s.looking.store(true);
            const bool more = s.uiSpinner.Wait([&] { return HasIncoming(s); }, callerCpu,
                                               std::min(Clock::now() + kHandOff, turnEnd));
            // A request may run a nested loop (a modal dialog): requests arriving meanwhile are
            // served there, by the drain calls that its event loop gets.
            s.looking.store(false);
            if (more && Clock::now() < turnEnd)
                continue;
            if (HasIncoming(s))
                PostDrain(s); // pushed while this side still looked, or the turn is over
            return;
        }
        callerCpu = r->callerCpu;
        if (const int cpu = CurrentCpu(); cpu != s.uiCpu.load(std::memory_order_relaxed))
            s.uiCpu.store(cpu, std::memory_order_relaxed);
        try
        {
            r->fn();
        }
        catch (...)
        {
            std::fputs("UiThread: request ended with an exception\n", stderr);
        }
        Complete(r, Outcome::Ran);
        served = true;
        if (Clock::now() >= turnEnd)
        {
            if (s.taken != nullptr || HasIncoming(s))
                PostDrain(s); // timers and painting first; the event loop calls again
            return;
        }
    }
}

bool UiThread::WaitServing(const std::function<bool()>& ready, Clock::time_point deadline)
{
    QueueState& s = State();
    for (;;)
    {
        ServePending();
        std::unique_lock lock(s.mutex);
        const unsigned long long kicks = s.kicks;
        lock.unlock();
        // The condition is the caller's code: it runs without the queue's lock.
        if (ready())
            return true;
        const bool mine = IsUiThread();
        auto queued = [&] { return mine && (s.taken != nullptr || HasIncoming(s)); };
        lock.lock();
        if (queued())
            continue;
        s.uiWaiting.fetch_add(1);
        const bool woke =
            s.uiWake.wait_until(lock, deadline, [&] { return s.kicks != kicks || queued(); });
        s.uiWaiting.fetch_sub(1);
        if (!woke)
        {
            lock.unlock();
            ServePending();
            return ready();
        }
    }
}

void UiThread::Kick() noexcept
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    ++s.kicks;
    if (s.uiWaiting.load() > 0)
        s.uiWake.notify_all();
}

} // namespace winplat
