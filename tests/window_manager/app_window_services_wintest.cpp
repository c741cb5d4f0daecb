// What application windows take from the other window modules, on real
// windows: native menu bars and context menus, the clipboard, and the
// command line a second start of the program hands over.
#include "window_manager/app_window_fixture.h"

#include "filesystem/file_utils.h"
#include "input/command_runner.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "window_manager/instance_window.h"
#include "window_manager/menu_test_window.h"

namespace app_window_test {
namespace {

// Runs every command and logs it; "missing" is disabled, and "title" has a
// value.
struct LoggingRunner : CommandRunner {
    explicit LoggingRunner(Log& log) : m_log(log) {}
    void exec(const slate::usubstring& line) override { m_log.push_back("run " + toUtf8(line.str())); }
    bool isEnabled(const slate::usubstring& line) override { return line.str() != u"missing"; }
    ustring value(const slate::usubstring& line) override { return line.str() == u"title" ? u"Notes" : u""; }
    bool has(const slate::usubstring&) override { return true; }
    Log& m_log;
};

slate::SP<MenuDescriptor> fileMenu()
{
    slate::SP<MenuDescriptor> file(new MenuDescriptor(u"File"));
    file->addItem(u"Save", u"save");
    file->addItem(u"Rename %s", u"title");
    file->addItem(u"Missing", u"missing");
    slate::SP<MenuDescriptor> bar(new MenuDescriptor);
    bar->addSubmenu(file);
    return bar;
}

TEST_F(AppWindowTest, TheMenuBarShowsCommandsAndRunsThemThroughTheHandler)
{
    LoggingRunner runner(m_log);
    RecordingHandler* handler = open(ustring(), fileMenu());
    ASSERT_NE(handler, nullptr);
    handler->m_runner = &runner;
    const platform::WindowHandle window = handleOf(handler);
    NativeMenuHandle bar = menu_test::menuBar(window);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(menu_test::itemCount(bar), 1);
    EXPECT_EQ(toUtf8(menu_test::itemText(bar, 0)), "File");
    NativeMenuHandle file = menu_test::subMenu(bar, 0);
    menu_test::sendInitMenuPopup(window, file);
    EXPECT_EQ(toUtf8(menu_test::itemText(file, 1)), "Rename Notes");
    EXPECT_TRUE(menu_test::itemState(file, 2).grayed);
    menu_test::sendMenuCommand(window, menu_test::itemId(file, 0));
    EXPECT_EQ(m_log, Log{"run save"});

    // A new bar replaces the old one; none removes it.
    slate::SP<MenuDescriptor> other(new MenuDescriptor);
    other->addItem(u"One", u"one");
    other->addItem(u"Two", u"two");
    handler->m_window->setMenu(other);
    ASSERT_NE(menu_test::menuBar(window), nullptr);
    EXPECT_EQ(menu_test::itemCount(menu_test::menuBar(window)), 2);
    handler->m_window->setMenu(nullptr);
    EXPECT_EQ(menu_test::menuBar(window), nullptr);
}

TEST_F(AppWindowTest, NamedMenusFillDynamicSubmenus)
{
    slate::SP<MenuDescriptor> recent(new MenuDescriptor);
    recent->addItem(u"a.txt", u"open a.txt");
    m_manager->setMenu(u"recent", recent);
    EXPECT_EQ(m_manager->menu(u"recent"), recent);
    EXPECT_EQ(m_manager->menu(u"other"), nullptr);

    slate::SP<MenuDescriptor> dynamic(new MenuDescriptor(u"Recent"));
    dynamic->m_dynamicKey = u"recent";
    slate::SP<MenuDescriptor> bar(new MenuDescriptor);
    bar->addSubmenu(dynamic);
    RecordingHandler* handler = open(ustring(), bar);
    ASSERT_NE(handler, nullptr);
    const platform::WindowHandle window = handleOf(handler);
    NativeMenuHandle popup = menu_test::subMenu(menu_test::menuBar(window), 0);
    menu_test::sendInitMenuPopup(window, popup);
    ASSERT_EQ(menu_test::itemCount(popup), 1);
    EXPECT_EQ(toUtf8(menu_test::itemText(popup, 0)), "a.txt");
}

int chooseSecondItem(NativeMenuHandle, int, int, NativeWindowHandle)
{
    return 2;
}

int chooseNothing(NativeMenuHandle, int, int, NativeWindowHandle)
{
    return 0;
}

TEST_F(AppWindowTest, ContextMenusGiveTheChosenCommand)
{
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    slate::SP<MenuDescriptor> menu(new MenuDescriptor);
    menu->addItem(u"Cut", u"cut");
    menu->addItem(u"Copy", u"copy");
    ustring command = u"untouched";
    const TrackPopupMenuFunction saved = setTrackPopupMenuFunction(chooseNothing);
    EXPECT_FALSE(handler->m_window->showPopupMenu(command, menu, nullptr, 10, 10, PopupMenuFlags::None));
    EXPECT_EQ(toUtf8(command), "untouched");
    setTrackPopupMenuFunction(chooseSecondItem);
    EXPECT_TRUE(handler->m_window->showPopupMenuAtCursor(command, menu, nullptr));
    EXPECT_EQ(toUtf8(command), "copy");
    EXPECT_FALSE(handler->m_window->showPopupMenu(command, nullptr, nullptr, 10, 10, PopupMenuFlags::None));
    setTrackPopupMenuFunction(saved);
}

TEST_F(AppWindowTest, TheClipboardKeepsTextAndPrivateBytes)
{
    const std::string bytes("\x01\x00\x02record", 9);
    ASSERT_TRUE(m_manager->copyToClipboard(u"copied text", u"vantrel-extra", bytes.data(), bytes.size()));
    ustring text;
    std::vector<char> data;
    ASSERT_TRUE(m_manager->copyFromClipboard(text, u"vantrel-extra", &data));
    EXPECT_EQ(toUtf8(text), "copied text");
    EXPECT_EQ(std::string(data.begin(), data.end()), bytes);
}

// A second start hands its arguments and its folder to the window, through
// the program's own loop.
TEST_F(AppWindowTest, ASecondStartHandsItsCommandLineToTheWindow)
{
    ASSERT_TRUE(test_support::holdSecondInstanceMutex());
    const test_support::ScratchFolder scratch("vantrel-handover");
    const ustring folder = test_support::programPath(scratch.path().string());
    const ustring savedDirectory = currentDirectory();
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    int handedOver = -1;
    int broughtToFront = -1;
    ustring directoryAfter;
    EXPECT_TRUE(runSteps({
        [&] { handedOver = test_support::runSecondInstance({u"notes.txt:3", u"two words"}, folder); },
        [&] {
            directoryAfter = currentDirectory();
            setCurrentDirectory(savedDirectory);
            broughtToFront = test_support::runSecondInstance({}, folder);
        },
    }));
    EXPECT_EQ(handedOver, 1);
    EXPECT_EQ(broughtToFront, 1);
    EXPECT_EQ(m_log, Log{"command line [notes.txt:3] [two words]"});
    EXPECT_EQ(directoryAfter, folder);
    EXPECT_EQ(currentDirectory(), savedDirectory);
}

} // namespace
} // namespace app_window_test
