// Threads of the layer: suspend counts, suspension at safe points, waits on the user-interface
// thread that go on serving window requests, and framework threads kept past their end.
#include "platform/afx/Afx.h"
#include "platform/base/Interlocked.h"
#include "platform/win/UiThread.h"
#include "tests/platform/win/GuiTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace
{

// Counts as fast as it can, each step a call into the layer, until asked to end.
struct Counter
{
    volatile LONG steps = 0;
    volatile LONG stop = 0;
};

DWORD CountUntilStopped(LPVOID p)
{
    auto* c = static_cast<Counter*>(p);
    while (InterlockedCompareExchange(&c->stop, 0, 0) == 0)
    {
        const LONG n = InterlockedCompareExchange(&c->steps, 0, 0);
        InterlockedExchange(&c->steps, n + 1);
    }
    return 7;
}

LONG Steps(Counter& c)
{
    return InterlockedCompareExchange(&c.steps, 0, 0);
}

} // namespace

TEST(Threads, SuspendCountsAndSafePoints)
{
    Counter c;
    DWORD id = 0;
    const HANDLE h = CreateThread(nullptr, 0, &CountUntilStopped, &c, CREATE_SUSPENDED, &id);
    ASSERT_NE(h, nullptr);
    EXPECT_NE(id, 0u);

    // Created suspended: nothing runs until the count is back at 0.
    EXPECT_EQ(SuspendThread(h), 1u);
    EXPECT_EQ(ResumeThread(h), 2u);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Steps(c), 0);
    EXPECT_EQ(ResumeThread(h), 1u);
    EXPECT_EQ(ResumeThread(h), 0u); // not suspended: stays at 0
    while (Steps(c) < 1000)
        std::this_thread::yield();

    // Suspended, it stops at its next call into the layer and stays there.
    EXPECT_EQ(SuspendThread(h), 0u);
    while (!winplat::IsThreadParked(h))
        std::this_thread::yield();
    const LONG parkedAt = Steps(c);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Steps(c), parkedAt);
    EXPECT_EQ(WaitForSingleObject(h, 20), WAIT_TIMEOUT);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(h, &code));
    EXPECT_EQ(code, STILL_ACTIVE);

    EXPECT_EQ(ResumeThread(h), 1u);
    while (Steps(c) < parkedAt + 1000)
        std::this_thread::yield();
    InterlockedExchange(&c.stop, 1);
    EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0); // an ended thread stays signalled
    EXPECT_TRUE(GetExitCodeThread(h, &code));
    EXPECT_EQ(code, 7u);

    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(SuspendThread(h), static_cast<DWORD>(-1));
    EXPECT_EQ(ResumeThread(h), static_cast<DWORD>(-1));
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
}

namespace
{
std::atomic<int> g_served{0};

UINT AskTheUserInterfaceThread(LPVOID)
{
    for (int i = 0; i < 100; ++i)
        winplat::UiThread::Invoke([] { g_served.fetch_add(1); });
    return 3;
}
} // namespace

// The user-interface thread waiting for a worker still carries out the worker's requests;
// a framework thread that does not delete itself stays waitable after its end.
TEST(Threads, WaitOnTheUserInterfaceThreadServesTheAwaitedThread)
{
    g_served = 0;
    CWinThread* t = AfxBeginThread(&AskTheUserInterfaceThread, nullptr, THREAD_PRIORITY_NORMAL, 0,
                                   CREATE_SUSPENDED);
    ASSERT_NE(t, nullptr);
    t->m_bAutoDelete = FALSE;
    EXPECT_EQ(t->ResumeThread(), 1u);
    EXPECT_EQ(WaitForSingleObject(t->m_hThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(g_served.load(), 100);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(*t, &code));
    EXPECT_EQ(code, 3u);
    delete t;
}

namespace
{
std::atomic<bool> g_ran{false};
UINT Mark(LPVOID)
{
    g_ran = true;
    return 0;
}
} // namespace

TEST(Threads, SelfDeletingFrameworkThreadRunsAtOnce)
{
    g_ran = false;
    ASSERT_NE(AfxBeginThread(&Mark, nullptr), nullptr);
    EXPECT_TRUE(guitest::WaitUntil([] { return g_ran.load(); }));
    EXPECT_EQ(AfxBeginThread(nullptr, nullptr), nullptr);
}
