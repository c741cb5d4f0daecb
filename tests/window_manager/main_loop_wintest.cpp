#include "window_manager/main_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/thread.h"
#include "ui/timer_queue.h"

namespace {

thread_local bool t_onTestThread = false;

const int kWatchdogExitCode = 99;

// Each test runs a real message loop on the test's thread. A watchdog thread
// ends the loop after a few seconds should the behaviour under test never
// end it, so a failure cannot hang the run.
class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t_onTestThread = true;
        m_debugOutput = g_debugOutputEnabled.exchange(false); // keep the statistics report quiet
        timer_queue_testing::restart();
        clearMainThreadQueue();
        ASSERT_NE(createMainLoopWindow(), nullptr);
        ASSERT_TRUE(m_watchdog.start([this] {
            if (!m_testDone.wait(5000))
                quitMainLoop(kWatchdogExitCode);
        }));
    }
    void TearDown() override
    {
        m_testDone.set();
        EXPECT_TRUE(m_watchdog.join(platform::kInfiniteTimeout));
        destroyMainLoopWindow();
        clearMainThreadQueue();
        timer_queue_testing::restart();
        g_debugOutputEnabled = m_debugOutput;
    }

    // A call that notes its name and whether it ran on the loop's thread.
    MainThreadCall record(std::string name)
    {
        return [this, name] { m_ran.push_back(name + (t_onTestThread ? "" : " (wrong thread)")); };
    }

    std::vector<std::string> m_ran;
    Event m_testDone{true, false};
    Thread m_watchdog;
    bool m_debugOutput = true;
};

TEST_F(MainLoopTest, PostFromAWorkerThreadWakesTheLoop)
{
    Thread worker;
    ASSERT_TRUE(worker.start([this] {
        postToMainThread(record("posted"));
        postToMainThread([] { quitMainLoop(0); });
    }));
    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_TRUE(worker.join(platform::kInfiniteTimeout));
    EXPECT_EQ(m_ran, std::vector<std::string>{"posted"});
}

TEST_F(MainLoopTest, TimeoutsRunInDueOrderOnTheMainThread)
{
    setTimeout(
        [this] {
            record("50 ms")();
            quitMainLoop(0);
        },
        50);
    setTimeout(record("0 ms"), 0);
    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_EQ(m_ran, (std::vector<std::string>{"0 ms", "50 ms"}));
}

TEST_F(MainLoopTest, NothingRunsAfterShutdownTimers)
{
    setTimeout(record("pending timer"), 20);
    setTimeout(
        [this] {
            shutdownTimers(); // the 20 ms entry is already armed here
            setTimeout(record("set after shutdown"), 0);
            setTimeout(record("timed after shutdown"), 10);
        },
        0);
    // Let the loop run well past every delay before ending it.
    Thread closer;
    ASSERT_TRUE(closer.start([] {
        Event never(true, false);
        never.wait(150);
        quitMainLoop(0);
    }));
    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_TRUE(closer.join(platform::kInfiniteTimeout));
    EXPECT_EQ(m_ran, std::vector<std::string>{});
}

} // namespace
