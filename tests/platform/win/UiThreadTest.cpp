// Requests that other threads hand to the user-interface thread: their order when two workers
// send and post at once, loops nested inside a request, and an event loop that keeps its turns
// while a worker sends one request after another.
#include "platform/win/UiThread.h"
#include "tests/platform/win/GuiTest.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using winplat::UiThread;
using namespace std::chrono_literals;

namespace
{

TEST(UiThreadTest, RequestsOfTwoWorkersRunInTheOrderEachSentThemAndCallersReturnAfterTheirs)
{
    constexpr int kPerWorker = 20000;
    struct Entry
    {
        int worker;
        int seq;
    };
    std::vector<Entry> log; // written only on the user-interface thread
    std::atomic<int> lastRan[2] = {-1, -1};
    std::atomic<int> failures[2] = {0, 0};
    std::atomic<int> finished{0};
    auto work = [&](int w)
    {
        for (int i = 0; i < kPerWorker; ++i)
        {
            auto record = [&, w, i]
            {
                if (!UiThread::IsUiThread())
                    ++failures[w];
                log.push_back({w, i});
                lastRan[w].store(i);
            };
            if (i % 5 == 0)
            {
                // Posted ones keep their place among the sent ones.
                if (!UiThread::Post(record))
                    ++failures[w];
            }
            else if (!UiThread::Invoke(record) || lastRan[w].load() != i)
                ++failures[w]; // returned before its own request (or an earlier one) had run
        }
        ++finished;
    };
    std::thread a(work, 0), b(work, 1);
    const bool done = guitest::WaitUntil([&] { return finished.load() == 2; }, 60s);
    a.join();
    b.join();
    ASSERT_TRUE(done);
    ASSERT_TRUE(guitest::WaitUntil([&] { return log.size() == 2u * kPerWorker; }));
    EXPECT_EQ(failures[0].load(), 0);
    EXPECT_EQ(failures[1].load(), 0);
    int next[2] = {0, 0};
    for (const Entry& e : log)
    {
        ASSERT_EQ(e.seq, next[e.worker]) << "worker " << e.worker;
        ++next[e.worker];
    }
}

TEST(UiThreadTest, ALoopNestedInARequestServesOtherWorkersAndTheBurstGoesOnAfterIt)
{
    constexpr int kOthers = 500;
    std::atomic<int> othersRan{0};
    std::atomic<bool> nestedSawAll{false};
    std::atomic<int> afterNested{0};
    std::atomic<bool> done{false};
    std::thread other;
    std::thread worker(
        [&]
        {
            for (int i = 0; i < 1000; ++i)
                UiThread::Invoke([] {});
            // This request waits in a loop of its own for another worker's requests, which
            // only that loop can serve; one of them runs a loop of its own in turn.
            UiThread::Invoke(
                [&]
                {
                    other = std::thread(
                        [&]
                        {
                            for (int i = 0; i < kOthers; ++i)
                                UiThread::Invoke(
                                    [&, i]
                                    {
                                        if (i == kOthers / 2)
                                        {
                                            // A loop two levels down serves too.
                                            auto posted = std::make_shared<bool>(false);
                                            UiThread::Post([posted] { *posted = true; });
                                            if (!guitest::WaitUntil([posted] { return *posted; }))
                                                return;
                                        }
                                        ++othersRan;
                                    });
                        });
                    nestedSawAll =
                        guitest::WaitUntil([&] { return othersRan.load() == kOthers; }, 20s);
                });
            for (int i = 0; i < 1000; ++i)
                if (UiThread::Invoke([&] { ++afterNested; }) && afterNested.load() != i + 1)
                    break;
            done = true;
        });
    EXPECT_TRUE(guitest::WaitUntil([&] { return done.load(); }, 40s));
    worker.join();
    other.join();
    EXPECT_TRUE(nestedSawAll.load());
    EXPECT_EQ(othersRan.load(), kOthers);
    EXPECT_EQ(afterNested.load(), 1000);
}

// Where an endless run of requests comes from.
enum class Burst
{
    Workers,         // workers that send one request after another
    RequestsPosting, // requests that each post the next before they end
};

class UiThreadBurstTest : public ::testing::TestWithParam<Burst>
{
};

// Whatever keeps the queue busy, the event loop gets its turns: a timer keeps firing. The run
// of requests stops once the timer has fired three times, or at a bound that only a
// user-interface thread that never leaves the burst reaches.
TEST_P(UiThreadBurstTest, TimersKeepFiringWhileRequestsKeepComing)
{
    std::atomic<int> ticks{0};
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    const auto bound = std::chrono::steady_clock::now() + 10s;
    auto goOn = [&] { return ticks.load() < 3 && std::chrono::steady_clock::now() < bound; };
    std::atomic<long> requests{0};
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    int expected = 0;
    std::function<void()> next; // the posting run's request, which posts itself again
    if (GetParam() == Burst::Workers)
    {
        // Several workers, so that the queue never runs empty while one of them is between
        // two requests.
        expected = 3;
        for (int w = 0; w < expected; ++w)
            workers.emplace_back(
                [&]
                {
                    while (goOn())
                    {
                        UiThread::Invoke([] {});
                        ++requests;
                    }
                    ++finished;
                });
    }
    else
    {
        expected = 1;
        next = [&]
        {
            ++requests;
            if (!goOn() || !UiThread::Post(next))
                ++finished;
        };
        ASSERT_TRUE(UiThread::Post(next));
    }
    EXPECT_TRUE(guitest::WaitUntil([&] { return finished.load() == expected; }, 20s));
    for (auto& t : workers)
        t.join();
    timer.stop();
    EXPECT_GE(ticks.load(), 3) << requests.load() << " requests";
    EXPECT_LT(std::chrono::steady_clock::now(), bound) << "the run of requests ran to its bound";
    EXPECT_GT(requests.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Bursts, UiThreadBurstTest,
                         ::testing::Values(Burst::Workers, Burst::RequestsPosting),
                         [](const ::testing::TestParamInfo<Burst>& info) {
                             return info.param == Burst::Workers ? "WorkersSending"
                                                                 : "RequestsPostingTheNext";
                         });

} // namespace
