#include "ui/thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "ui/completion_routine.h"

namespace {

TEST(Win32Thread, JoinWithZeroTimeOutOnARunningThreadIsFalse)
{
    Event release(true, false);
    Thread thread;
    ASSERT_TRUE(thread.start([&release] { release.wait(); }));
    EXPECT_FALSE(thread.join(0));
    release.set();
    EXPECT_TRUE(thread.join(platform::kInfiniteTimeout));
}

TEST(Win32Event, ResetModesBehaveAsSystemEvents)
{
    Event automatic(false, true);
    EXPECT_TRUE(automatic.wait(0));
    EXPECT_FALSE(automatic.wait(0));
    Event manual(true, true);
    EXPECT_TRUE(manual.wait(0));
    EXPECT_TRUE(manual.wait(0));
    manual.reset();
    EXPECT_FALSE(manual.wait(0));
}

// A directory watcher waits on its wake-up event and starts its next read
// when a completion routine has run: the wait must run the routine and end.
TEST(Win32Event, WaitRunsACompletionRoutineAndThenEnds)
{
    Event wakeUp(false, false);
    Event waiting(false, false);
    std::atomic<int> routines{0};
    std::atomic<bool> firstWaitResult{true};
    std::atomic<int> routinesAfterFirstWait{-1};
    Thread thread;
    ASSERT_TRUE(thread.start([&] {
        waiting.set();
        firstWaitResult = wakeUp.wait();
        routinesAfterFirstWait = routines.load();
        waiting.set();
        wakeUp.wait();
    }));
    ASSERT_TRUE(waiting.wait(5000));
    ASSERT_TRUE(queueCountingCompletionRoutine(thread.handle(), &routines));
    ASSERT_TRUE(waiting.wait(5000));
    EXPECT_FALSE(firstWaitResult.load());
    EXPECT_EQ(routinesAfterFirstWait.load(), 1);
    wakeUp.set();
    EXPECT_TRUE(thread.join(5000));
}

} // namespace
