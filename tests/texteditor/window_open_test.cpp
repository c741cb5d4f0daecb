#include <gtest/gtest.h>

#include <unistd.h>

#include <mutex>
#include <string>
#include <vector>

#include "support/scripted_dialogs.h"
#include "texteditor/application_fixture.h"
#include "texteditor/pane_input_handler.h"
#include "ui/forwarding_platform.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/text/buffer_read_wait.h"
#include "ui/text/text_buffer.h"

namespace application_test {
namespace {

// Every reported error, as the notification manager writes it to the
// debugger ("ERROR: " and the text) before it decides whether to show a box;
// other debug output is swallowed.
class ErrorRecorder final : public ForwardingPlatform {
public:
    void debugOutput(const ustring&) override {}
    void debugOutputNarrow(const std::string& text) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (text.rfind("ERROR: ", 0) == 0)
            m_errors.push_back(text.substr(7, text.size() - 8));
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_errors.clear();
    }
    std::vector<std::string> errors()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_errors;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_errors;
};

class OpenTest : public WindowTest {
protected:
    void SetUp() override
    {
        m_previousDirectory = currentDirectory();
        m_debugOutput = g_debugOutputEnabled.exchange(true);
        auto* notifications = new NotificationManager(u"Test");
        notifications->setErrorBoxFunction([](platform::WindowHandle, const ustring&, const ustring&) {});
        NotificationManager::set(notifications);
        WindowTest::SetUp();
        // The window's toolbar file is not in the test's packages.
        m_errors.clear();
    }
    // A focused view makes its file's folder current, and the scratch folder
    // goes with the test.
    void TearDown() override
    {
        WindowTest::TearDown();
        NotificationManager::destroy();
        g_debugOutputEnabled = m_debugOutput;
        setCurrentDirectory(m_previousDirectory);
    }

    ustring path(const char* name) const { return toUstring((m_folder / name).string()); }
    // The files the window shows, in the group's tab order.
    std::vector<ustring> shownPaths(int group) const
    {
        std::vector<ustring> paths;
        for (const ViewEntry& entry : m_window->viewSet().views(group)) {
            const BufferSource* source = entry.view->buffer()->source();
            paths.push_back(source ? source->path() : u"<untitled>");
        }
        return paths;
    }
    const std::vector<ustring>& recentFiles() const { return m_application->m_history.recentFiles.entries(); }
    test_support::FakePlatformWindow& platformWindow()
    {
        return *static_cast<test_support::FakePlatformWindow*>(m_window->m_window);
    }
    void caretAt(const slate::SP<TextBufferView>& view, int32_t& row, int32_t& column)
    {
        ASSERT_EQ(1u, view->sel().size());
        view->buffer()->rowcol(view->sel()[0].b, row, column);
    }

    ErrorRecorder m_errors;
    test_support::ScriptedDialogs m_dialogs;
    ustring m_previousDirectory;
    bool m_debugOutput = false;
};

TEST_F(OpenTest, AFileOpenInAnotherGroupIsFocusedThereAndStillGoesFirstInTheRecentFiles)
{
    const ustring a = m_folder.write("a.txt", "alpha\n");
    const ustring b = m_folder.write("b.txt", "beta\n");
    m_window->viewSet().setNumGroups(2);
    const slate::SP<TextBufferView> shown = m_window->openFileCore(a, kEncodingUndefined, 0, -1, -1,
                                                                  TextEditorWindow::kOpenFromUser, ustring());
    ASSERT_NE(nullptr, m_window->openFileCore(b, kEncodingUndefined, 1, -1, -1, TextEditorWindow::kOpenFromUser,
                                              ustring()));
    ASSERT_EQ(1, m_window->viewSet().activeGroup());
    ASSERT_EQ(b, recentFiles().front());

    EXPECT_EQ(shown, m_window->openFile(a, kEncodingUndefined, TextEditorWindow::kOpenReuseView));
    EXPECT_EQ(2, m_window->viewSet().totalSize());
    EXPECT_EQ(0, m_window->viewSet().activeGroup());
    EXPECT_EQ((std::vector<ustring>{a, b}), recentFiles());
}

TEST_F(OpenTest, OnlyAnUntouchedEmptyUntitledViewIsReplacedByAFile)
{
    const ustring file = m_folder.write("file.txt", "text\n");
    struct Case {
        const char* name;
        bool scratch;
        const char16_t* text;
        bool replaced;
    } cases[] = {
        {"untouched", false, u"", true},
        {"scratch", true, u"", false},
        {"with text", false, u"x", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const slate::SP<TextBufferView> placeholder = m_window->newFile();
        placeholder->buffer()->m_scratch = c.scratch;
        placeholder->buffer()->insertCharacters(0, ustring(c.text));
        const slate::SP<TextBufferView> view = m_window->openFile(file, kEncodingUndefined,
                                                                  TextEditorWindow::kOpenFromUser);
        ASSERT_NE(nullptr, view);
        const std::vector<ustring> expected =
            c.replaced ? std::vector<ustring>{file} : std::vector<ustring>{u"<untitled>", file};
        EXPECT_EQ(expected, shownPaths(0));
        m_window->viewSet().removeView(view.get());
        m_window->viewSet().removeView(placeholder.get());
    }
}

TEST_F(OpenTest, TheOpenDialogFilterEndsInTwoNulsAndEachChosenFileOpens)
{
    m_dialogs.chooseToOpen({path("dir"), u"a.txt", u"b.txt"});
    EXPECT_TRUE(m_window->showOpenDialog(kEncodingUndefined));

    ASSERT_EQ(1u, m_dialogs.openRequests.size());
    const FileDialogRequest& request = m_dialogs.openRequests[0];
    EXPECT_TRUE(request.multiSelect);
    const ustring allFiles(u"All Files (*.*)\0*.*\0", 20);
    EXPECT_EQ(allFiles, request.filter.substr(0, allFiles.size()));
    ASSERT_GE(request.filter.size(), 2u);
    EXPECT_EQ(u'\0', request.filter[request.filter.size() - 1]);
    EXPECT_EQ(u'\0', request.filter[request.filter.size() - 2]);
    // Missing files chosen in the dialog become new buffers bound to them.
    EXPECT_EQ((std::vector<ustring>{path("dir") + u"\\a.txt", path("dir") + u"\\b.txt"}), shownPaths(0));
}

TEST_F(OpenTest, AFailedOpenDialogIsReportedWithItsErrorCode)
{
    m_dialogs.cancelOpen(12290);
    EXPECT_FALSE(m_window->showOpenDialog(kEncodingUndefined));
    ASSERT_EQ(1u, m_errors.errors().size());
    EXPECT_EQ(0u, m_errors.errors()[0].find("Error code from open dialog: 12290\n\n"));
    m_dialogs.cancelOpen();
    EXPECT_FALSE(m_window->showOpenDialog(kEncodingUndefined));
    EXPECT_EQ(1u, m_errors.errors().size());
}

// Opening runs ahead of the read; the caret goes where asked once the text
// is there, and a line or column of 0 is the first.
TEST_F(OpenTest, APositionOnAFileStillBeingReadIsAppliedWhenTheReadEnds)
{
    const ustring file = m_folder.write("lines.txt", "one\ntwo\nthree\n");
    struct Case {
        const char* spec;
        int32_t row; // 0-based
        int32_t column;
    } cases[] = {
        {":2:3", 1, 2},
        {":0:0", 0, 0},
        {":3:0", 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        const slate::SP<TextBufferView> view =
            m_window->openFileSpec(file + toUstring(c.spec), kEncodingUndefined, TextEditorWindow::kOpenFromUser);
        ASSERT_NE(nullptr, view);
        ASSERT_TRUE(view->buffer()->isReading());
        buffer_test::waitForRead(*view->buffer());
        int32_t row = -1;
        int32_t column = -1;
        caretAt(view, row, column);
        EXPECT_EQ(c.row, row);
        EXPECT_EQ(c.column, column);
        m_window->viewSet().removeView(view.get());
    }
}

TEST_F(OpenTest, ANameWithAColonAndNoNumberIsALiteralFileName)
{
    const ustring file = m_folder.write("a.txt:x", "literal\n");
    const slate::SP<TextBufferView> view =
        m_window->openFileSpec(file, kEncodingUndefined, TextEditorWindow::kOpenFromUser);
    ASSERT_NE(nullptr, view);
    buffer_test::waitForRead(*view->buffer());
    EXPECT_EQ(file, view->buffer()->source()->path());
    EXPECT_EQ(u"literal\n", view->buffer()->str());
}

// Each refusal names the file once and leaves no view: an empty view bound
// to the path could be saved over what is there.
TEST_F(OpenTest, AFileThatCannotBeOpenedIsReportedOnceAndLeavesNoView)
{
    const ustring folder = toUstring(m_folder.makeFolder("folder").string());
    const ustring locked = m_folder.write("locked.txt", "secret\n");
    chmod(toUtf8(locked).c_str(), 0);
    struct Case {
        const char* name;
        ustring path;
        int flags;
    } cases[] = {
        {"missing, not to be created", path("missing.txt"), TextEditorWindow::kOpenReuseView},
        {"a folder", folder, TextEditorWindow::kOpenFromUser},
        {"without permission", locked, TextEditorWindow::kOpenFromUser},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name) == "without permission" && geteuid() == 0)
            continue; // the superuser reads every file
        const size_t before = m_errors.errors().size();
        EXPECT_EQ(nullptr, m_window->openFile(c.path, kEncodingUndefined, c.flags));
        EXPECT_EQ(0, m_window->viewSet().totalSize());
        runMainThreadQueue();
        const std::vector<std::string> errors = m_errors.errors();
        ASSERT_EQ(before + 1, errors.size());
        EXPECT_NE(std::string::npos, errors.back().find(toUtf8(c.path))) << errors.back();
    }
}

// The file opened, so the user is told on the status bar, not by an error
// box; and only once, not again at every later read.
TEST_F(OpenTest, AFileWithBytesItsEncodingCannotDecodeIsToldOnceNamingBoth)
{
    const ustring file = m_folder.write("mixed.txt", "caf\xc3(\n");
    const slate::SP<TextBufferView> view =
        m_window->openFile(file, kEncodingUtf8, TextEditorWindow::kOpenFromUser);
    ASSERT_NE(nullptr, view);
    buffer_test::waitForRead(*view->buffer());
    const ustring status = NotificationManager::get().status();
    EXPECT_NE(ustring::npos, status.find(file)) << toUtf8(status);
    EXPECT_NE(ustring::npos, status.find(u"UTF-8")) << toUtf8(status);
    EXPECT_TRUE(m_errors.errors().empty());

    NotificationManager::get().clearStatus();
    ASSERT_TRUE(view->buffer()->revert());
    buffer_test::waitForRead(*view->buffer());
    EXPECT_EQ(u"", NotificationManager::get().status());
}

TEST_F(OpenTest, DroppingAFolderNeverOpensFiles)
{
    m_folder.write("project/inside.txt", "x");
    const ustring folder = toUstring(m_folder.makeFolder("project").string());
    EXPECT_TRUE(m_window->onDropFile(10, 10, folder.c_str()));
    EXPECT_EQ(0, m_window->viewSet().totalSize());
    EXPECT_TRUE(recentFiles().empty());
}

TEST_F(OpenTest, AFileDroppedOnAnEmptyPaneOpensInThatGroup)
{
    const ustring file = m_folder.write("dropped.txt", "x");
    m_window->setLayout(1);
    ASSERT_EQ(2, m_window->viewSet().numGroups());
    m_window->draw(false);
    BaseWindow::RegionMap regions;
    BaseWindow::collectRegions(m_window->root(), regions);
    const InputRegion* pane = regions[m_window->viewSet().tabSetId(1)];
    ASSERT_NE(nullptr, pane);
    const interval2 rect = pane->rect();
    EXPECT_TRUE(m_window->onDropFile((rect.x0 + rect.x1) / 2, (rect.y0 + rect.y1) / 2, file.c_str()));
    EXPECT_EQ(std::vector<ustring>{}, shownPaths(0));
    EXPECT_EQ(std::vector<ustring>{file}, shownPaths(1));
    EXPECT_EQ(1, m_window->viewSet().activeGroup());
}

TEST_F(OpenTest, AChoiceFromATabsContextMenuRunsForThatTabOrReachesTheWindow)
{
    writePackageFile("Default/Tab Context.vantrel-menu",
                     "<menu><item caption=\"Note\" command=\"note\"/></menu>");
    std::vector<std::string> ran;
    m_window->commandMap().add(slate::substring("note"), [&ran](const CommandArguments&) { ran.push_back("note"); });
    const slate::SP<TextBufferView> view = m_window->newFile();
    view->buffer()->m_name = u"Draft";
    platformWindow().chosenCommand = u"note";
    m_window->showTabContextMenu(view);
    EXPECT_EQ(std::vector<std::string>{"note"}, ran);
}

TEST_F(OpenTest, AContextMenuThatCannotBeLoadedIsReported)
{
    m_window->showContextMenu(ustring(kPaneContextMenuPath), m_window->windowCommandRunner());
    EXPECT_EQ(0, platformWindow().menusShown);
    ASSERT_EQ(1u, m_errors.errors().size());
    EXPECT_NE(std::string::npos, m_errors.errors()[0].find("Pane Context.vantrel-menu")) << m_errors.errors()[0];
}

TEST_F(OpenTest, OpenInCurrentTabReplacesTheActiveViewUnlessTheSameFileWasChosen)
{
    const ustring a = m_folder.write("a.txt", "alpha\n");
    const ustring b = m_folder.write("b.txt", "beta\n");
    ASSERT_NE(nullptr, m_window->openFile(a, kEncodingUndefined, TextEditorWindow::kOpenFromUser));
    buffer_test::waitForRead(*m_window->activeView()->buffer());

    m_dialogs.chooseToOpen({a});
    m_window->commandMap().exec(slate::usubstring(u"openInCurrentTab"));
    EXPECT_EQ(std::vector<ustring>{a}, shownPaths(0));

    m_dialogs.chooseToOpen({b});
    m_window->commandMap().exec(slate::usubstring(u"openInCurrentTab"));
    EXPECT_EQ(std::vector<ustring>{b}, shownPaths(0));
}

TEST_F(OpenTest, OpenRecentOpensTheEntryItNames)
{
    const ustring a = m_folder.write("a.txt", "alpha\n");
    m_application->m_history.recentFiles.restore({path("gone.txt"), a});
    EXPECT_EQ(a, m_window->commandMap().value(slate::usubstring(u"openRecent 1")));
    EXPECT_FALSE(m_window->commandMap().isEnabled(slate::usubstring(u"openRecent 2")));
    m_window->commandMap().exec(slate::usubstring(u"openRecent 1"));
    EXPECT_EQ(std::vector<ustring>{a}, shownPaths(0));
    EXPECT_EQ(a, recentFiles().front());
}

TEST(RecentEntries, AnEqualOlderEntryMovesToTheFrontAndTheListIsTrimmed)
{
    HistoryList list = HistoryLists().recentFiles;
    for (size_t i = 0; i < kMaxRecentEntries + 3; ++i)
        list.add(u"file" + toUstring(std::to_string(i)));
    ASSERT_EQ(kMaxRecentEntries, list.size());
    EXPECT_EQ(u"file34", list.entries().front());
    list.add(u"FILE20");
    EXPECT_EQ(u"FILE20", list.entries().front());
    EXPECT_EQ(kMaxRecentEntries, list.size());
    EXPECT_EQ(1, std::count_if(list.entries().begin(), list.entries().end(),
                               [](const ustring& entry) { return slate::usubstring(entry).equalsNoCase(u"file20"); }));
}

} // namespace
} // namespace application_test
