// The threads and events, in both test programs: natively on the portable
// platform, under Wine on Win32 threads and events.
#include "ui/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace {

TEST(Thread, JoinWithZeroTimeOutOnARunningThreadIsFalse)
{
    Event release(true, false);
    Thread thread;
    ASSERT_TRUE(thread.start([&release] { release.wait(); }));
    EXPECT_FALSE(thread.join(0));
    release.set();
    EXPECT_TRUE(thread.join(platform::kInfiniteTimeout));
    EXPECT_TRUE(thread.join(0));
}

TEST(Thread, RunsTheEntryWithItsParameter)
{
    std::atomic<int> value{0};
    Thread thread;
    ASSERT_TRUE(thread.start([](void* parameter) { static_cast<std::atomic<int>*>(parameter)->store(42); },
                             &value));
    ASSERT_TRUE(thread.join(platform::kInfiniteTimeout));
    EXPECT_EQ(value.load(), 42);
}

TEST(Thread, AnExceptionEndsOnlyItsThread)
{
    Thread thread;
    ASSERT_TRUE(thread.start([] { throw std::runtime_error("worker failed"); }));
    EXPECT_TRUE(thread.join(platform::kInfiniteTimeout));
}

TEST(Thread, JoinWithoutAThreadIsFalse)
{
    Thread thread;
    EXPECT_FALSE(thread.join(0));
}

TEST(Event, AutoResetReleasesOneWaitAndClearsItself)
{
    Event event(false, true);
    EXPECT_TRUE(event.wait(0));
    EXPECT_FALSE(event.wait(0));
    event.set();
    EXPECT_TRUE(event.wait());
}

TEST(Event, ManualResetStaysSetUntilReset)
{
    for (bool initiallySet : {false, true}) {
        SCOPED_TRACE(initiallySet ? "created set" : "created clear");
        Event event(true, initiallySet);
        EXPECT_EQ(initiallySet, event.wait(0));
        event.set();
        EXPECT_TRUE(event.wait(0));
        EXPECT_TRUE(event.wait(0));
        event.reset();
        EXPECT_FALSE(event.wait(0));
    }
}

TEST(Event, SetOnAnotherThreadWakesTheWaiter)
{
    Event started(false, false);
    Event answer(false, false);
    Thread thread;
    ASSERT_TRUE(thread.start([&] {
        started.wait();
        answer.set();
    }));
    started.set();
    EXPECT_TRUE(answer.wait());
    EXPECT_TRUE(thread.join(platform::kInfiniteTimeout));
}

} // namespace
