#include "platform/win/Threads.h"

#include "platform/base/SafePoint.h"
#include "platform/win/Handles.h"
#include "platform/win/UiThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

namespace winplat
{

namespace
{

struct ThreadObject
{
    SuspendGate gate;
    std::mutex mutex;
    std::condition_variable endedCv;
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
};

HandleTable<ThreadObject>& Threads()
{
    // Kernel handles count from a value of their own, apart from window handles.
    static auto* table = new HandleTable<ThreadObject>(0x40000000);
    return *table;
}

std::atomic<DWORD> g_nextThreadId{1};

DWORD& CurrentId()
{
    thread_local DWORD id = 0;
    return id;
}

void Run(const std::shared_ptr<ThreadObject>& t, LPTHREAD_START_ROUTINE start, LPVOID param)
{
    SetCurrentThreadGate(&t->gate);
    t->gate.Pass(); // created suspended: wait for the first resume
    DWORD rc = 0;
    try
    {
        rc = start(param);
    }
    catch (...)
    {
        std::fputs("thread ended with an exception\n", stderr);
    }
    SetCurrentThreadGate(nullptr);
    {
        std::lock_guard lock(t->mutex);
        t->ended = true;
        t->exitCode = rc;
    }
    t->endedCv.notify_all();
    UiThread::Kick();
}

} // namespace

bool IsThreadParked(HANDLE hThread) noexcept
{
    const auto t = Threads().Find(hThread);
    return t != nullptr && t->gate.IsParked();
}

} // namespace winplat

using winplat::ThreadObject;
using winplat::Threads;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress,
                    LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) noexcept
{
    winplat::SafePoint();
    if (lpStartAddress == nullptr)
        return nullptr;
    try
    {
        auto t = std::make_shared<ThreadObject>();
        if ((dwCreationFlags & CREATE_SUSPENDED) != 0)
            t->gate.Suspend();
        const DWORD id = winplat::g_nextThreadId.fetch_add(1);
        const HANDLE h = Threads().Add<HANDLE>(t);
        try
        {
            // The thread holds its object, so it runs on whether or not its handle is closed.
            std::thread(
                [t, lpStartAddress, lpParameter, id]
                {
                    winplat::CurrentId() = id;
                    winplat::Run(t, lpStartAddress, lpParameter);
                })
                .detach();
        }
        catch (...)
        {
            Threads().Remove(h);
            return nullptr;
        }
        if (lpThreadId != nullptr)
            *lpThreadId = id;
        return h;
    }
    catch (...)
    {
        return nullptr;
    }
}

DWORD SuspendThread(HANDLE hThread) noexcept
{
    winplat::SafePoint();
    const auto t = Threads().Find(hThread);
    if (t == nullptr)
        return static_cast<DWORD>(-1);
    try
    {
        return t->gate.Suspend();
    }
    catch (...)
    {
        return static_cast<DWORD>(-1);
    }
}

DWORD ResumeThread(HANDLE hThread) noexcept
{
    winplat::SafePoint();
    const auto t = Threads().Find(hThread);
    if (t == nullptr)
        return static_cast<DWORD>(-1);
    try
    {
        return t->gate.Resume();
    }
    catch (...)
    {
        return static_cast<DWORD>(-1);
    }
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) noexcept
{
    winplat::SafePoint();
    const auto t = Threads().Find(hHandle);
    if (t == nullptr)
        return WAIT_FAILED;
    try
    {
        const auto deadline =
            dwMilliseconds == INFINITE
                ? std::chrono::steady_clock::time_point::max()
                : std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);
        auto ended = [&]
        {
            std::lock_guard lock(t->mutex);
            return t->ended;
        };
        if (winplat::UiThread::IsUiThread())
        {
            // Serving the other threads' window requests meanwhile: the awaited thread may be
            // one of them.
            return winplat::UiThread::WaitServing(ended, deadline) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
        }
        std::unique_lock lock(t->mutex);
        const bool done = t->endedCv.wait_until(lock, deadline, [&] { return t->ended; });
        return done ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    }
    catch (...)
    {
        return WAIT_FAILED;
    }
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) noexcept
{
    winplat::SafePoint();
    const auto t = Threads().Find(hThread);
    if (t == nullptr || lpExitCode == nullptr)
        return FALSE;
    std::lock_guard lock(t->mutex);
    *lpExitCode = t->exitCode;
    return TRUE;
}

BOOL SetThreadPriority(HANDLE hThread, int) noexcept
{
    // Priorities are left to the system's scheduler.
    return Threads().Find(hThread) != nullptr ? TRUE : FALSE;
}

BOOL CloseHandle(HANDLE hObject) noexcept
{
    winplat::SafePoint();
    return Threads().Remove(hObject) ? TRUE : FALSE;
}

DWORD GetCurrentThreadId() noexcept
{
    DWORD& id = winplat::CurrentId();
    if (id == 0)
        id = winplat::g_nextThreadId.fetch_add(1);
    return id;
}
