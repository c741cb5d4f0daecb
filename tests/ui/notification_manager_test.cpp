#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "recording_platform.h"
#include "ui/log.h"
#include "ui/notification_manager.h"

namespace {

// Runs "threads" inline, so that every box a report starts has been shown
// when the report returns, and captures the narrow debug output.
class InlineThreadPlatform : public RecordingPlatform {
public:
    platform::ThreadHandle startThread(platform::ThreadFunction entry, void* parameter) override
    {
        ++threadsStarted;
        entry(parameter);
        return this;
    }
    bool joinThread(platform::ThreadHandle, uint32_t) override { return true; }
    void closeThread(platform::ThreadHandle) override {}
    void debugOutputNarrow(const std::string& text) override { debugText += text; }

    int threadsStarted = 0;
    std::string debugText;
};

struct ShownBox {
    platform::WindowHandle owner;
    ustring caption;
    ustring text;
};

class NotificationManagerTest : public ::testing::Test {
protected:
    NotificationManagerTest() : m_manager(u"Vantrel 1.4")
    {
        m_manager.setClock([this] { return m_now; });
        m_manager.setErrorBoxFunction(
            [this](platform::WindowHandle owner, const ustring& caption, const ustring& text) {
                boxes.push_back({owner, caption, text});
                m_now += m_timeBoxStaysOpen;
            });
    }

    InlineThreadPlatform m_platform;
    NotificationManager m_manager;
    uint32_t m_now = 100000;
    uint32_t m_timeBoxStaysOpen = 0;
    std::vector<ShownBox> boxes;
};

TEST_F(NotificationManagerTest, RepeatedErrorIsShownOnceWhileItKeepsComing)
{
    for (int i = 0; i < 10; ++i) {
        m_manager.displayError(u"Unable to open file");
        m_now += 500;
    }
    m_now -= 500;
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(u"Unable to open file", boxes[0].text);
    EXPECT_EQ(u"Vantrel 1.4", boxes[0].caption);
    EXPECT_EQ(1, m_platform.threadsStarted);

    // The quiet period moves with every report.
    m_now += 1900;
    m_manager.displayError(u"Unable to open file");
    EXPECT_EQ(1u, boxes.size());
    m_now += 2000;
    m_manager.displayError(u"Unable to open file");
    EXPECT_EQ(2u, boxes.size());
}

TEST_F(NotificationManagerTest, DifferentErrorInBetweenResetsTheRepeatTest)
{
    m_manager.displayError(u"A");
    m_now += 300;
    m_manager.displayError(u"B");
    m_now += 300;
    m_manager.displayError(u"A");
    ASSERT_EQ(3u, boxes.size());
    EXPECT_EQ(u"A", boxes[0].text);
    EXPECT_EQ(u"B", boxes[1].text);
    EXPECT_EQ(u"A", boxes[2].text);
}

TEST_F(NotificationManagerTest, EveryReportIsLoggedEvenWhenDropped)
{
    const bool wasEnabled = g_debugOutputEnabled.exchange(true);
    m_manager.displayError(u"caf\u00e9");
    m_manager.displayError(u"caf\u00e9");
    g_debugOutputEnabled = wasEnabled;
    EXPECT_EQ("ERROR: caf\xc3\xa9\nERROR: caf\xc3\xa9\n", m_platform.debugText);
    EXPECT_EQ(1u, boxes.size());
}

TEST_F(NotificationManagerTest, BoxesHaveTheOwnerWindowAndAFallbackCaption)
{
    int window = 0;
    m_manager.setOwnerWindowFunction([&window] { return static_cast<platform::WindowHandle>(&window); });
    m_manager.displayError(u"first");
    m_manager.setOwnerWindowFunction(nullptr);
    m_manager.displayError(u"second");
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(&window, boxes[0].owner);
    EXPECT_EQ(nullptr, boxes[1].owner);

    NotificationManager untitled(u"");
    untitled.setErrorBoxFunction(
        [this](platform::WindowHandle owner, const ustring& caption, const ustring& text) {
            boxes.push_back({owner, caption, text});
        });
    untitled.displayError(u"x");
    ASSERT_EQ(3u, boxes.size());
    EXPECT_EQ(u"Error", boxes[2].caption);
}

TEST_F(NotificationManagerTest, StatusTextExpiresFiveSecondsAfterItWasSet)
{
    struct Case {
        const char* name;
        uint32_t setAt;
        uint32_t elapsed;
        bool kept;
    };
    const Case cases[] = {
        {"read after 4 s", 100000, 4000, true},
        {"read after exactly 5 s", 100000, 5000, true},
        {"read after 5.001 s", 100000, 5001, false},
        {"read after 10 s", 100000, 10000, false},
        // Set just before the tick count wraps: differences still count right.
        {"wrap, read after 128 ms", 0xFFFFFF00u, 128, true},
        {"wrap, read after 4 s", 0xFFFFFF00u, 4000, true},
        {"wrap, read after 6 s", 0xFFFFFF00u, 6000, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        m_now = row.setAt;
        m_manager.setStatus(u"Saved a.txt");
        m_now += row.elapsed;
        EXPECT_EQ(row.kept ? ustring(u"Saved a.txt") : ustring(), m_manager.status());
    }

    m_manager.setStatus(u"Wrapped past end of file");
    m_manager.clearStatus();
    EXPECT_EQ(u"", m_manager.status());
}

TEST_F(NotificationManagerTest, RepeatTestSurvivesTheTickCountWrapping)
{
    m_now = 0xFFFFFF00u;
    m_manager.displayError(u"again");
    m_now += 128; // still before the wrap; last + 2000 has wrapped
    m_manager.displayError(u"again");
    m_now += 1000; // past the wrap
    m_manager.displayError(u"again");
    EXPECT_EQ(1u, boxes.size());
    m_now += 2000;
    m_manager.displayError(u"again");
    EXPECT_EQ(2u, boxes.size());
}

TEST_F(NotificationManagerTest, BlockingErrorQuietPeriodCountsFromTheBoxClosing)
{
    m_timeBoxStaysOpen = 60000;
    m_manager.displayBlockingError(u"Unable to mount data directory, exiting");
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(0, m_platform.threadsStarted); // shown on the calling thread
    m_timeBoxStaysOpen = 0;

    m_now += 1000;
    m_manager.displayError(u"Unable to mount data directory, exiting");
    m_manager.displayBlockingError(u"Unable to mount data directory, exiting");
    EXPECT_EQ(1u, boxes.size());
    m_now += 2000;
    m_manager.displayBlockingError(u"Unable to mount data directory, exiting");
    EXPECT_EQ(2u, boxes.size());
}

TEST(NotificationManagerSingleton, LivesFromSetToDestroy)
{
    EXPECT_FALSE(NotificationManager::alive());
    auto* manager = new NotificationManager(u"Vantrel 1.4");
    NotificationManager::set(manager);
    EXPECT_TRUE(NotificationManager::alive());
    EXPECT_EQ(manager, &NotificationManager::get());
    NotificationManager::get().setHint(u"Save (Ctrl+S)");
    EXPECT_EQ(u"Save (Ctrl+S)", NotificationManager::get().hint());
    NotificationManager::destroy();
    EXPECT_FALSE(NotificationManager::alive());
}

// Starts real threads and lets the test wait until each has ended, so that a
// box thread never outlives the test. (Closing the handle of a running thread
// must not disturb it, as with system threads.)
class ThreadTrackingPlatform : public RecordingPlatform {
public:
    struct Tracker {
        std::mutex mutex;
        std::condition_variable changed;
        int running = 0;
    };

    platform::ThreadHandle startThread(platform::ThreadFunction entry, void* parameter) override
    {
        auto tracker = m_tracker;
        {
            std::lock_guard<std::mutex> lock(tracker->mutex);
            ++tracker->running;
        }
        std::thread([tracker, entry, parameter] {
            entry(parameter);
            std::lock_guard<std::mutex> lock(tracker->mutex);
            --tracker->running;
            tracker->changed.notify_all();
        }).detach();
        return this;
    }
    bool joinThread(platform::ThreadHandle, uint32_t) override { return false; }
    void closeThread(platform::ThreadHandle) override {}

    // True when every started thread has ended within the limit.
    bool waitForThreads()
    {
        std::unique_lock<std::mutex> lock(m_tracker->mutex);
        return m_tracker->changed.wait_for(lock, std::chrono::seconds(30),
                                           [this] { return m_tracker->running == 0; });
    }

private:
    std::shared_ptr<Tracker> m_tracker = std::make_shared<Tracker>();
};

// The box runs on a thread of its own: the report returns while the box is
// still open.
TEST(NotificationManagerThreads, ErrorBoxDoesNotBlockTheReporter)
{
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool boxOpen = false;
        bool closeBox = false;
        std::thread::id boxThread;
    };
    auto state = std::make_shared<State>();
    ThreadTrackingPlatform threads;

    NotificationManager manager(u"Vantrel 1.4");
    manager.setErrorBoxFunction([state](platform::WindowHandle, const ustring&, const ustring&) {
        std::unique_lock<std::mutex> lock(state->mutex);
        state->boxThread = std::this_thread::get_id();
        state->boxOpen = true;
        state->changed.notify_all();
        state->changed.wait(lock, [&] { return state->closeBox; });
    });
    manager.displayError(u"Unable to save a.txt");

    {
        std::unique_lock<std::mutex> lock(state->mutex);
        // A generous limit that only keeps a broken build from hanging.
        ASSERT_TRUE(state->changed.wait_for(lock, std::chrono::seconds(30), [&] { return state->boxOpen; }));
        EXPECT_NE(std::this_thread::get_id(), state->boxThread);
        state->closeBox = true;
        state->changed.notify_all();
    }
    EXPECT_TRUE(threads.waitForThreads());
}

} // namespace
