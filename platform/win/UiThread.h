// The one place where other threads hand work to the user-interface thread.
//
// The user-interface thread is the thread of the running QApplication. A request from any other
// thread is queued and carried out there while the caller waits; the queue is served by every
// event loop that thread runs (the main loop, modal dialogs, message boxes, popup menus) and by
// its waits for other threads (WaitServing), so a worker waiting for a window request never
// deadlocks with a user-interface thread waiting for that worker. Requests run in the order in
// which they were queued, from whichever thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <type_traits>

namespace winplat
{

class UiThread final
{
public:
    // A callable borrowed for the length of one call: nothing is copied or allocated, so it must
    // outlive the call, as a lambda written in the call's argument list does.
    class FunctionRef final
    {
    public:
        template <class F>
        requires(!std::is_same_v<std::remove_cvref_t<F>, FunctionRef> &&
                 std::is_object_v<std::remove_reference_t<F>> &&
                 std::is_invocable_v<std::remove_reference_t<F>&>) FunctionRef(F&& fn)
        noexcept // implicit, as a std::function parameter would take it
            : m_object(const_cast<void*>(static_cast<const void*>(std::addressof(fn)))),
              m_call([](void* object) { (*static_cast<std::remove_reference_t<F>*>(object))(); })
        {
        }
        void operator()() const { m_call(m_object); }

    private:
        void* m_object;
        void (*m_call)(void*);
    };

    // True on the thread of the running application object.
    static bool IsUiThread() noexcept;
    // True while an application object exists and is not shutting down.
    static bool HasUi() noexcept;

    // Runs fn on the user-interface thread and returns when it has run; on that thread it runs
    // at once. False when there is no user-interface thread to run it (no application object, or
    // it ended before the request was served): fn did not run then. Exceptions from fn end there.
    static bool Invoke(FunctionRef fn) noexcept;
    // Queues fn for the user-interface thread and returns at once; false when nothing can run it.
    static bool Post(std::function<void()> fn) noexcept;

    // On the user-interface thread: carries out queued requests. While requests keep coming it
    // serves them for a few milliseconds at most, then leaves the rest to a later turn of the
    // event loop, so that timers and painting go on meanwhile.
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
