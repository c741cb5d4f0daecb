#include "ui/main_thread_queue.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "ui/recording_platform.h"
#include "ui/reference_counted.h"

namespace {

platform::WindowHandle const kWindow = reinterpret_cast<platform::WindowHandle>(0x1225);

class MainThreadQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setMainThreadWindow(nullptr);
        clearMainThreadQueue();
    }
    void TearDown() override
    {
        setMainThreadWindow(nullptr);
        clearMainThreadQueue();
    }

    RecordingPlatform m_platform;
    std::string m_ran;
};

struct Captured : slate::ReferenceCounted<Captured> {
    explicit Captured(bool* destroyed) : m_destroyed(destroyed) {}
    ~Captured() { *m_destroyed = true; }
    bool* m_destroyed;
};

TEST_F(MainThreadQueueTest, PostsBeforeAnyWindowRunInOrderOnceTheWindowIsSet)
{
    postToMainThread([this] { m_ran += "a"; });
    postToMainThread([this] { m_ran += "b"; });
    postToMainThread([this] { m_ran += "c"; });
    EXPECT_TRUE(m_platform.posts.empty());

    setMainThreadWindow(kWindow);
    ASSERT_EQ(m_platform.posts, std::vector<platform::WindowHandle>{kWindow});
    runMainThreadQueue();
    EXPECT_EQ(m_ran, "abc");
}

TEST_F(MainThreadQueueTest, EveryPostWakesTheCurrentWindowOnce)
{
    setMainThreadWindow(kWindow);
    m_platform.posts.clear();
    postToMainThread([] {});
    postToMainThread([] {});
    EXPECT_EQ(m_platform.posts, (std::vector<platform::WindowHandle>{kWindow, kWindow}));

    // Changing from one window to another does not wake the new one by itself.
    platform::WindowHandle other = reinterpret_cast<platform::WindowHandle>(0x2000);
    setMainThreadWindow(other);
    EXPECT_EQ(m_platform.posts.size(), 2u);
    EXPECT_EQ(mainThreadWindow(), other);
}

TEST_F(MainThreadQueueTest, CallPostedWhileDrainingRunsInTheNextDrain)
{
    setMainThreadWindow(kWindow);
    postToMainThread([this] {
        m_ran += "first ";
        postToMainThread([this] { m_ran += "second"; });
    });
    runMainThreadQueue();
    EXPECT_EQ(m_ran, "first ");
    runMainThreadQueue();
    EXPECT_EQ(m_ran, "first second");
}

TEST_F(MainThreadQueueTest, ClearReleasesCapturedObjectsWithoutRunningThem)
{
    bool destroyed = false;
    {
        slate::SP<Captured> object(new Captured(&destroyed));
        postToMainThread([this, object] { m_ran += "ran"; });
    }
    EXPECT_FALSE(destroyed);
    clearMainThreadQueue();
    EXPECT_TRUE(destroyed);
    setMainThreadWindow(kWindow);
    runMainThreadQueue();
    EXPECT_EQ(m_ran, "");
}

TEST_F(MainThreadQueueTest, ThrowingCallsDoNotDropTheRestOfTheBatch)
{
    setMainThreadWindow(kWindow);
    postToMainThread([this] { m_ran += "a"; });
    postToMainThread([] { throw std::runtime_error("failed"); });
    postToMainThread(MainThreadCall()); // empty: throws when called
    postToMainThread([] { throw 7; });
    postToMainThread([this] { m_ran += "b"; });
    EXPECT_NO_THROW(runMainThreadQueue());
    EXPECT_EQ(m_ran, "ab");

    // The queue stays usable.
    postToMainThread([this] { m_ran += "c"; });
    runMainThreadQueue();
    EXPECT_EQ(m_ran, "abc");
}

} // namespace
