#include "platform/win/UiThread.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace winplat
{

namespace
{

struct Request
{
    std::function<void()> fn;
    bool waited = false; // a caller waits for done
    std::atomic<bool> done{false};
    bool ran = false;
};

// A worker that sends one request after another (filling a list) would pay a thread wake-up
// on both sides for each. For a short while both sides look for the other's answer before
// they sleep, so a burst of requests flows without wake-ups.
constexpr auto kHandOff = std::chrono::microseconds(150);

// Everything the queue shares between threads, behind one mutex.
struct QueueState
{
    std::mutex mutex;
    std::condition_variable requestDone; // callers waiting for their request
    std::condition_variable uiWake;      // the UI thread in WaitServing
    std::deque<std::shared_ptr<Request>> queue;
    bool up = false;
    std::thread::id uiThread;
    unsigned long long kicks = 0;
    bool serving = false; // the UI thread is in ServePending and will look again
    std::atomic<unsigned long long> enqueued{0};
};

QueueState& State()
{
    static QueueState* state = new QueueState; // outlives every thread that may still call in
    return *state;
}

void FinishAll(std::deque<std::shared_ptr<Request>> pending, QueueState& s)
{
    std::lock_guard lock(s.mutex);
    for (auto& r : pending)
        r->done.store(true);
    s.requestDone.notify_all();
}

void OnApplicationEnd()
{
    QueueState& s = State();
    std::deque<std::shared_ptr<Request>> pending;
    {
        std::lock_guard lock(s.mutex);
        s.up = false;
        s.uiThread = {};
        pending.swap(s.queue);
    }
    // Nobody is left to serve them: their callers learn that they did not run.
    FinishAll(std::move(pending), s);
}

void OnApplicationStart()
{
    QueueState& s = State();
    {
        std::lock_guard lock(s.mutex);
        s.up = true;
        s.uiThread = std::this_thread::get_id();
    }
    qAddPostRoutine(&OnApplicationEnd);
}

bool Enqueue(const std::shared_ptr<Request>& r)
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    if (!s.up)
        return false;
    s.queue.push_back(r);
    s.enqueued.fetch_add(1, std::memory_order_release);
    // A drain call for the event loop, unless the UI thread is serving and will see it anyway;
    // a drain that finds the queue empty does nothing.
    if (!s.serving)
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { UiThread::ServePending(); }, Qt::QueuedConnection);
    s.uiWake.notify_all();
    return true;
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(OnApplicationStart)

bool UiThread::IsUiThread() noexcept
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    return s.up && s.uiThread == std::this_thread::get_id();
}

bool UiThread::HasUi() noexcept
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    return s.up;
}

bool UiThread::Invoke(const std::function<void()>& fn) noexcept
{
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
    try
    {
        auto r = std::make_shared<Request>();
        r->fn = fn;
        r->waited = true;
        if (!Enqueue(r))
            return false;
        QueueState& s = State();
        const auto until = std::chrono::steady_clock::now() + kHandOff;
        while (!r->done.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
        std::unique_lock lock(s.mutex);
        s.requestDone.wait(lock, [&] { return r->done.load(); });
        return r->ran;
    }
    catch (...)
    {
        return false;
    }
}

bool UiThread::Post(std::function<void()> fn) noexcept
{
    try
    {
        auto r = std::make_shared<Request>();
        r->fn = std::move(fn);
        return Enqueue(r);
    }
    catch (...)
    {
        return false;
    }
}

void UiThread::ServePending() noexcept
{
    QueueState& s = State();
    {
        std::lock_guard lock(s.mutex);
        if (s.uiThread != std::this_thread::get_id() || s.serving)
            return; // a nested loop inside a request: the outer serving loop goes on after it
        s.serving = true;
    }
    for (;;)
    {
        std::shared_ptr<Request> r;
        {
            std::lock_guard lock(s.mutex);
            if (!s.queue.empty())
            {
                r = std::move(s.queue.front());
                s.queue.pop_front();
            }
        }
        if (!r)
        {
            // Look for a next request for a moment before going back to the event loop.
            const unsigned long long seen = s.enqueued.load(std::memory_order_acquire);
            const auto until = std::chrono::steady_clock::now() + kHandOff;
            while (s.enqueued.load(std::memory_order_acquire) == seen &&
                   std::chrono::steady_clock::now() < until)
                std::this_thread::yield();
            std::lock_guard lock(s.mutex);
            if (s.queue.empty())
            {
                s.serving = false;
                return;
            }
            continue;
        }
        // A request may run a nested loop (a modal dialog): requests arriving meanwhile must be
        // served there, by the drains the event loop gets.
        {
            std::lock_guard lock(s.mutex);
            s.serving = false;
        }
        try
        {
            r->fn();
        }
        catch (...)
        {
            std::fputs("UiThread: request ended with an exception\n", stderr);
        }
        std::function<void()> drop;
        {
            std::lock_guard lock(s.mutex);
            drop.swap(r->fn); // captured state ends here, on this thread
            r->ran = true;
            r->done.store(true, std::memory_order_release);
            if (r->waited)
                s.requestDone.notify_all();
            if (s.serving)
                return; // a nested loop took over serving
            s.serving = true;
        }
    }
}

bool UiThread::WaitServing(const std::function<bool()>& ready,
                           std::chrono::steady_clock::time_point deadline)
{
    QueueState& s = State();
    for (;;)
    {
        ServePending();
        std::unique_lock lock(s.mutex);
        if (ready())
            return true;
        if (!s.queue.empty() && s.uiThread == std::this_thread::get_id())
            continue;
        const unsigned long long kicks = s.kicks;
        const bool woke = s.uiWake.wait_until(lock, deadline,
                                              [&] {
                                                  return s.kicks != kicks ||
                                                         (!s.queue.empty() &&
                                                          s.uiThread == std::this_thread::get_id());
                                              });
        if (!woke)
        {
            lock.unlock();
            ServePending();
            lock.lock();
            return ready();
        }
    }
}

void UiThread::Kick() noexcept
{
    QueueState& s = State();
    std::lock_guard lock(s.mutex);
    ++s.kicks;
    s.uiWake.notify_all();
}

} // namespace winplat
