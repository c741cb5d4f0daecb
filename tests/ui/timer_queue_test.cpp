#include "ui/timer_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/recording_platform.h"

namespace {

uint32_t s_ticks = 0;
uint32_t scriptedTicks()
{
    return s_ticks;
}

platform::WindowHandle const kWindow = reinterpret_cast<platform::WindowHandle>(0x1225);

// Drives the timer queue by hand: the clock is a variable, the system timer
// is recorded by the platform, and "the timer fires" means calling the
// callback it was armed with.
class TimerQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        s_ticks = 1000;
        timer_queue_testing::setTickSource(scriptedTicks);
        timer_queue_testing::restart();
        clearMainThreadQueue();
        setMainThreadWindow(kWindow);
        tickCount64(); // the clock starts at 0 here
        m_platform.timerCalls.clear();
    }
    void TearDown() override
    {
        timer_queue_testing::restart();
        clearMainThreadQueue();
        setMainThreadWindow(nullptr);
        timer_queue_testing::setTickSource(nullptr);
    }

    void advance(uint32_t milliseconds) { s_ticks += milliseconds; }
    void fire()
    {
        ASSERT_NE(m_platform.armedId, 0u);
        ASSERT_NE(m_platform.armedCallback, nullptr);
        m_platform.armedCallback();
    }
    MainThreadCall record(const char* name)
    {
        return [this, name] { m_ran += name; };
    }

    RecordingPlatform m_platform;
    std::string m_ran;
};

TEST_F(TimerQueueTest, EqualDelaysRunInTheOrderTheyWereSet)
{
    setTimeout(record("a"), 100);
    setTimeout(record("b"), 100);
    runMainThreadQueue(); // the insertions happen on the main thread
    ASSERT_EQ(timer_queue_testing::pendingCount(), 2);
    advance(100);
    fire();
    EXPECT_EQ(m_ran, ""); // due calls go through the call queue
    runMainThreadQueue();
    EXPECT_EQ(m_ran, "ab");
    EXPECT_EQ(m_platform.armedId, 0u); // nothing left: the timer is killed
}

TEST_F(TimerQueueTest, ShorterTimerSetAfterALongerOneReArmsAndRunsFirst)
{
    setTimeout(record("long"), 1000);
    runMainThreadQueue();
    setTimeout(record("short"), 100);
    runMainThreadQueue();
    ASSERT_EQ(m_platform.timerCalls.size(), 2u);
    EXPECT_EQ(m_platform.timerCalls[0].interval, 1000u);
    EXPECT_EQ(m_platform.timerCalls[1].interval, 100u);
    EXPECT_EQ(m_platform.timerCalls[0].id, 0u); // a new timer
    EXPECT_NE(m_platform.timerCalls[1].id, 0u); // the same timer, re-armed

    advance(100);
    fire();
    runMainThreadQueue();
    EXPECT_EQ(m_ran, "short");
    EXPECT_EQ(m_platform.timerCalls.back().interval, 900u);

    // A firing before anything is due runs nothing and re-arms for the rest.
    advance(400);
    fire();
    runMainThreadQueue();
    EXPECT_EQ(m_ran, "short");
    EXPECT_EQ(m_platform.timerCalls.back().interval, 500u);

    advance(500);
    fire();
    runMainThreadQueue();
    EXPECT_EQ(m_ran, "shortlong");
    EXPECT_TRUE(m_platform.timerCalls.back().kill);
}

TEST_F(TimerQueueTest, DelayOfZeroOrLessRunsInTheNextDrainWithoutATimer)
{
    for (int32_t delay : {0, -5}) {
        SCOPED_TRACE(delay);
        m_ran.clear();
        setTimeout(record("timed"), 10);
        setTimeout(record("now"), delay);
        runMainThreadQueue();
        EXPECT_EQ(m_ran, "now");
        EXPECT_EQ(timer_queue_testing::pendingCount(), 1);
        advance(10);
        fire();
        runMainThreadQueue();
        EXPECT_EQ(m_ran, "nowtimed");
    }
    for (const RecordingPlatform::TimerCall& call : m_platform.timerCalls)
        EXPECT_TRUE(call.kill || call.interval == 10u);
}

TEST_F(TimerQueueTest, NothingRunsAfterShutdown)
{
    setTimeout(record("pending"), 100);
    runMainThreadQueue();
    setTimeout(record("insertion still queued"), 50);
    shutdownTimers();
    EXPECT_TRUE(m_platform.timerCalls.back().kill);
    EXPECT_EQ(m_platform.armedId, 0u);
    EXPECT_EQ(timer_queue_testing::pendingCount(), 0);

    setTimeout(record("after"), 0);
    setTimeout(record("after timed"), 10);
    m_platform.timerCalls.clear();
    runMainThreadQueue(); // the insertion posted before the shutdown is refused
    advance(1000);
    timerProc(); // a late timer message
    runMainThreadQueue();
    EXPECT_EQ(m_ran, "");
    EXPECT_EQ(timer_queue_testing::pendingCount(), 0);
    for (const RecordingPlatform::TimerCall& call : m_platform.timerCalls)
        EXPECT_TRUE(call.kill);
}

TEST(TickCount64, StaysContinuousAcrossAWrapOfTheTickCount)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> readings;
        std::vector<uint64_t> expected;
    };
    const std::vector<Case> cases = {
        {"steady", {500, 600, 1600}, {0, 100, 1100}},
        {"wrap", {0xFFFFF000u, 0xFFFFFF00u, 0x00000100u, 0x00002000u},
         {0, 0xF00, 0x1100, 0x3000}},
        {"two wraps", {0x80000000u, 0xF0000000u, 0x10000000u, 0xF0000000u, 0x10000000u},
         {0, 0x70000000ull, 0x90000000ull, 0x170000000ull, 0x190000000ull}},
        {"small step back is not a wrap and does not go back", {20000, 30000, 25000, 31000},
         {0, 10000, 10000, 11000}},
        {"step back right after the start", {20000, 15000, 20001}, {0, 0, 1}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        timer_queue_testing::setTickSource(scriptedTicks);
        for (size_t i = 0; i < row.readings.size(); ++i) {
            s_ticks = row.readings[i];
            EXPECT_EQ(tickCount64(), row.expected[i]) << "reading " << i;
        }
    }
    timer_queue_testing::setTickSource(nullptr);
}

} // namespace
