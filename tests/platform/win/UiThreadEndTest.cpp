// Requests still queued when the application object ends: they do not run, their callers
// return, and a later application object serves requests again. Each test makes its own
// application object, which the shared window-system main cannot let go of.
#include "platform/win/UiThread.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

using winplat::UiThread;
using namespace std::chrono_literals;

namespace
{

int g_argc = 1;
char g_name[] = "uithread_end_test";
char* g_argv[] = {g_name, nullptr};

std::unique_ptr<QApplication> MakeApplication()
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return std::make_unique<QApplication>(g_argc, g_argv);
}

// True once the thread sleeps in the kernel (its state in /proc is S).
bool SleepsWithinBound(const std::atomic<pid_t>& thread)
{
    const auto bound = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < bound)
    {
        if (const pid_t tid = thread.load(); tid != 0)
        {
            std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/stat");
            std::string line;
            std::getline(in, line);
            // "tid (name) S ...": the state follows the name's closing parenthesis.
            const auto close = line.rfind(')');
            if (close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'S')
                return true;
        }
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

TEST(UiThreadEndTest, RequestsQueuedWhenTheApplicationEndsDoNotRunAndTheirCallersReturn)
{
    auto app = MakeApplication();
    auto token = std::make_shared<int>(0);
    std::atomic<bool> postedRan{false}, sentRan{false};
    // Nothing runs an event loop here: the requests stay queued.
    ASSERT_TRUE(UiThread::Post([token, &postedRan] { postedRan = true; }));
    std::atomic<pid_t> tid{0};
    std::atomic<int> sent{-1};
    std::thread worker(
        [&]
        {
            tid = gettid();
            sent = UiThread::Invoke([&] { sentRan = true; }) ? 1 : 0;
        });
    // Asleep in its call: the request is queued, past the short look for an answer.
    const bool queued = SleepsWithinBound(tid);
    EXPECT_TRUE(queued);
    app.reset();
    worker.join();
    EXPECT_EQ(sent.load(), 0);
    EXPECT_FALSE(sentRan.load());
    EXPECT_FALSE(postedRan.load());
    EXPECT_EQ(token.use_count(), 1) << "the posted request still holds what it captured";

    EXPECT_FALSE(UiThread::HasUi());
    EXPECT_FALSE(UiThread::IsUiThread());
    EXPECT_FALSE(UiThread::Post([] {}));
    std::thread late([&] { sent = UiThread::Invoke([&] { sentRan = true; }) ? 1 : 0; });
    late.join();
    EXPECT_EQ(sent.load(), 0);
    EXPECT_FALSE(sentRan.load());
}

TEST(UiThreadEndTest, ALaterApplicationServesRequestsAgain)
{
    MakeApplication().reset();
    auto app = MakeApplication();
    EXPECT_TRUE(UiThread::IsUiThread());
    std::atomic<int> ran{0};
    std::atomic<bool> done{false};
    std::thread worker(
        [&]
        {
            for (int i = 0; i < 100; ++i)
                if (UiThread::Invoke([&] { ++ran; }))
                    UiThread::Post([&] { ++ran; });
            done = true;
            UiThread::Kick();
        });
    EXPECT_TRUE(
        UiThread::WaitServing([&] { return done.load(); }, std::chrono::steady_clock::now() + 10s));
    worker.join();
    UiThread::ServePending(); // the last posted one
    EXPECT_EQ(ran.load(), 200);
}

} // namespace
