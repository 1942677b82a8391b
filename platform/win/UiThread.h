// The one place where other threads hand work to the user-interface thread.
//
// The user-interface thread is the thread of the running QApplication. A request from any other
// thread is queued and carried out there while the caller waits; the queue is served by every
// event loop that thread runs (the main loop, modal dialogs, message boxes, popup menus) and by
// its waits for other threads (WaitServing), so a worker waiting for a window request never
// deadlocks with a user-interface thread waiting for that worker.
#pragma once

#include <chrono>
#include <functional>

namespace winplat
{

class UiThread final
{
public:
    // True on the thread of the running application object.
    static bool IsUiThread() noexcept;
    // True while an application object exists and is not shutting down.
    static bool HasUi() noexcept;

    // Runs fn on the user-interface thread and returns when it has run; on that thread it runs
    // at once. False when there is no user-interface thread to run it (no application object, or
    // it ended before the request was served): fn did not run then. Exceptions from fn end there.
    static bool Invoke(const std::function<void()>& fn) noexcept;
    // Queues fn for the user-interface thread and returns at once; false when nothing can run it.
    static bool Post(std::function<void()> fn) noexcept;

    // On the user-interface thread: carries out every queued request.
    static void ServePending() noexcept;
    // On the user-interface thread: waits until ready() holds or the deadline passes, carrying out
    // queued requests meanwhile. Whoever makes ready() true calls Kick(). True when ready.
    static bool WaitServing(const std::function<bool()>& ready,
                            std::chrono::steady_clock::time_point deadline =
                                std::chrono::steady_clock::time_point::max());
    // Wakes a WaitServing on the user-interface thread so that it tests its condition again.
    static void Kick() noexcept;
};

} // namespace winplat
