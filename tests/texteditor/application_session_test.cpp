#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../ui/recording_platform.h"
#include "filesystem/file_utils.h"
#include "support/scripted_dialogs.h"
#include "texteditor/application_fixture.h"
#include "ui/notification_manager.h"
#include "ui/text/text_buffer.h"
#include "ui/timer_queue.h"

namespace application_test {
namespace {

using test_support::FakePlatformWindow;
using test_support::ScriptedDialogs;

uint32_t s_ticks = 0;
uint32_t scriptedTicks() { return s_ticks; }

platform::WindowHandle const kMainThreadWindow = reinterpret_cast<platform::WindowHandle>(0x5e55);

// Runs threads inline, so that an error box has been shown when the report
// returns.
class InlineThreadPlatform : public RecordingPlatform {
public:
    platform::ThreadHandle startThread(platform::ThreadFunction entry, void* parameter) override
    {
        entry(parameter);
        return this;
    }
    bool joinThread(platform::ThreadHandle, uint32_t) override { return true; }
    void closeThread(platform::ThreadHandle) override {}
};

// An application whose timers run on a scripted clock: "the timer fires"
// means calling the callback the system timer was armed with.
class ApplicationSessionTest : public ApplicationTest {
protected:
    void SetUp() override
    {
        ApplicationTest::SetUp();
        s_ticks = 0;
        timer_queue_testing::setTickSource(scriptedTicks);
        timer_queue_testing::restart();
        setMainThreadWindow(kMainThreadWindow);
        tickCount64();
    }
    void TearDown() override
    {
        ApplicationTest::TearDown();
        timer_queue_testing::restart();
        clearMainThreadQueue();
        setMainThreadWindow(nullptr);
        timer_queue_testing::setTickSource(nullptr);
    }

    // A started application with one window showing untitled `text`.
    void start(const ustring& text = u"draft")
    {
        createApplication(true);
        ASSERT_TRUE(m_application->init({}, {}, u"", false));
        m_application->activeWindow()->activeView()->buffer()->insertCharacters(0, text);
    }
    // Moves the clock to `ticks` and serves every timer due by then.
    void runTimersUntil(uint32_t ticks)
    {
        runMainThreadQueue();
        s_ticks = ticks;
        if (m_platform.armedId != 0)
            m_platform.armedCallback();
        runMainThreadQueue();
    }
    bool hasAutosave() const { return isFile(dataPath(u"Options/Auto Save Session.vantrel-session")); }
    bool hasSession() const { return isFile(dataPath(u"Options/Session.vantrel-session")); }
    static FakePlatformWindow& platformOf(TextEditorWindow* window)
    {
        return *static_cast<FakePlatformWindow*>(window->m_window);
    }

    RecordingPlatform m_platform;
};

TEST_F(ApplicationSessionTest, InputAt0And100MillisecondsGivesOneAutosaveAt5000)
{
    start();
    m_application->scheduleAutoSave();
    runMainThreadQueue();
    s_ticks = 100;
    m_application->scheduleAutoSave();
    runMainThreadQueue();
    EXPECT_EQ(1, timer_queue_testing::pendingCount());

    runTimersUntil(4999);
    EXPECT_FALSE(hasAutosave());
    runTimersUntil(5000);
    EXPECT_TRUE(hasAutosave());

    // Input an interval after the last scheduling schedules the next one.
    s_ticks = 5100;
    m_application->scheduleAutoSave();
    runMainThreadQueue();
    EXPECT_EQ(1, timer_queue_testing::pendingCount());
}

TEST_F(ApplicationSessionTest, WithAutosaveOffOnlyHotExitWritesTheAutosave)
{
    start();
    m_application->m_autoSaveEnabled = false;
    m_application->scheduleAutoSave();
    m_application->autoSaveSoon();
    runTimersUntil(60000);
    EXPECT_FALSE(hasAutosave());

    TextEditorWindow* window = m_application->activeWindow();
    m_application->hotExit();
    EXPECT_TRUE(hasAutosave());
    EXPECT_FALSE(hasSession());
    EXPECT_EQ(1, platformOf(window).closeRequests);
    EXPECT_TRUE(window->canClose());
}

TEST_F(ApplicationSessionTest, ExitWithACancelInTheSecondWindowKeepsEveryWindow)
{
    ScriptedDialogs dialogs;
    start();
    TextEditorWindow* second = m_application->activeWindow();
    TextEditorWindow* first = m_application->newWindow(u"", true);
    first->activeView()->buffer()->insertCharacters(0, u"other");
    m_application->autoSave();
    ASSERT_TRUE(hasAutosave());
    dialogs.answer(QuestionAnswer::No);
    dialogs.answer(QuestionAnswer::Cancel);

    m_application->commandMap().exec(u"exit");
    EXPECT_EQ(2u, dialogs.questions.size());
    EXPECT_EQ(2u, m_application->windows().size());
    EXPECT_EQ(0, platformOf(first).closeRequests + platformOf(second).closeRequests);
    EXPECT_FALSE(m_application->m_exiting);
    EXPECT_TRUE(hasSession());
    EXPECT_FALSE(hasAutosave());
}

// A pending autosave must not bring back an autosave that the normal
// session just replaced: the next start would restore the older state.
TEST_F(ApplicationSessionTest, AnAutosaveDueAfterExitWritesNothing)
{
    ScriptedDialogs dialogs;
    dialogs.answer(QuestionAnswer::No);
    start();
    m_application->scheduleAutoSave();
    runMainThreadQueue();
    m_application->commandMap().exec(u"exit");
    EXPECT_TRUE(m_application->m_exiting);
    runTimersUntil(5000);
    EXPECT_TRUE(hasSession());
    EXPECT_FALSE(hasAutosave());
}

TEST_F(ApplicationSessionTest, TheAutosaveWinsAtStartAndBringsBackUntitledText)
{
    start(u"older, saved normally");
    m_application->saveSession();
    m_application->activeWindow()->activeView()->buffer()->insertCharacters(0, u"newer ");
    m_application->autoSave();
    destroyApplication();

    createApplication(true);
    ASSERT_TRUE(m_application->init({}, {}, u"", false));
    ASSERT_EQ(1u, m_application->windows().size());
    const slate::SP<TextBufferView> view = m_application->activeWindow()->activeView();
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(u"newer older, saved normally", view->buffer()->str());
}

TEST_F(ApplicationSessionTest, TheNormalSessionBringsBackPlacementAndHistory)
{
    const ustring placement = u"0,0,1,10,20,30,40,100,100,900,700";
    start();
    platformOf(m_application->activeWindow()).placementText = placement;
    m_application->m_history.findHistory.add(u"a \"quoted\" \\ find");
    m_application->saveSession();
    destroyApplication();

    createApplication(true);
    ASSERT_TRUE(m_application->init({}, {}, u"", true));
    EXPECT_EQ(placement, m_windowManager->placements.back());
    ASSERT_EQ(1u, m_application->m_history.findHistory.size());
    EXPECT_EQ(u"a \"quoted\" \\ find", m_application->m_history.findHistory.entries().at(0));
}

TEST_F(ApplicationSessionTest, ASessionThatCannotBeUsedIsReportedKeptAsideAndStartsEmpty)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool asideTaken; // "Session.vantrel-session.bad" exists already
    };
    const Case cases[] = {
        {"cut short", "<session version=\"2\"><history><![CDATA[recentFiles ", false},
        {"older version", "<session version=\"1\"/>", false},
        {"newer program", "<session version=\"3\"><window/></session>", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_folder.write("Data/Options/Session.vantrel-session", c.bytes);
        std::filesystem::remove(m_folder.path() / "Data/Options/Session.vantrel-session.bad");
        std::filesystem::remove(m_folder.path() / "Data/Options/Session.vantrel-session.bad2");
        if (c.asideTaken)
            m_folder.write("Data/Options/Session.vantrel-session.bad", "earlier");
        const std::string asideName = c.asideTaken ? "Session.vantrel-session.bad2" : "Session.vantrel-session.bad";
        const ustring aside = dataPath(u"Options/" + toUstring(asideName));

        InlineThreadPlatform threads;
        auto* notifications = new NotificationManager(u"Test");
        std::vector<ustring> errors;
        notifications->setErrorBoxFunction(
            [&errors](platform::WindowHandle, const ustring&, const ustring& text) { errors.push_back(text); });
        NotificationManager::set(notifications);
        createApplication(true);
        ASSERT_TRUE(m_application->init({}, {}, u"", true));
        NotificationManager::destroy();

        // Other errors (the missing toolbar file) may be shown as well.
        EXPECT_EQ(1, std::count_if(errors.begin(), errors.end(), [&aside](const ustring& error) {
                      return error.find(u"Session.vantrel-session\"") != ustring::npos &&
                             error.find(aside) != ustring::npos;
                  }));
        EXPECT_EQ(c.bytes, m_folder.read("Data/Options/" + asideName));
        EXPECT_FALSE(hasSession());
        ASSERT_EQ(1u, m_application->windows().size());
        EXPECT_EQ(1, m_application->activeWindow()->viewSet().totalSize());
        destroyApplication();
    }
}

} // namespace
} // namespace application_test
