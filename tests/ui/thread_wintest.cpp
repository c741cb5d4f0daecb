// What only Win32 threads do; the rest of the threads' promises are in
// thread_contract.cpp, run by both test programs.
#include "ui/thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "ui/completion_routine.h"

namespace {

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
