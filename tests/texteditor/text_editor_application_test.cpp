#include "texteditor/text_editor_application.h"

#include <gtest/gtest.h>

#include "filesystem/file_utils.h"
#include "input/binding_map.h"
#include "texteditor/application_fixture.h"
#include "texteditor/file_type_options.h"
#include "ui/text/text_buffer.h"

namespace application_test {
namespace {

std::vector<ustring> openPaths(TextEditorWindow* window)
{
    std::vector<ustring> paths;
    for (const ViewEntry& entry : window->viewSet().views(0)) {
        const BufferSource* source = entry.view->buffer()->source();
        paths.push_back(source ? source->path() : u"<untitled>");
    }
    return paths;
}

TEST_F(ApplicationTest, AbsentOptionsKeepTheirValuesButThemeAndKeymapFallBackToTheirDefaults)
{
    writePackageFile("Default/Options/Application.vantrel-options",
                     "showMinimap false\nminimapMaxWidth 200\nautoSaveInterval 900\n"
                     "theme Packages/Mine/Dark.vantrel-theme\nkeymap Emacs");
    createApplication();
    ASSERT_TRUE(m_application->init({}, {}, u"", false));
    TextEditorWindow* window = m_application->activeWindow();
    EXPECT_EQ(u"Packages/Mine/Dark.vantrel-theme", m_application->m_theme);
    EXPECT_EQ(u"Emacs", window->bindingMap()->keymapName());

    slate::SP<Options> options = packageOptions(kApplicationOptionsPath);
    for (const char* key : {"showMinimap", "minimapMaxWidth", "autoSaveInterval", "theme", "keymap"})
        options->erase(ustring(toUstring(key)));
    options->notifyChanged();

    EXPECT_FALSE(m_application->m_showMinimap);
    EXPECT_EQ(200.f, m_application->m_minimapMaxWidth);
    EXPECT_EQ(900, m_application->m_autoSaveInterval);
    EXPECT_EQ(ustring(kDefaultThemePath), m_application->m_theme);
    EXPECT_EQ(u"Default", window->bindingMap()->keymapName());
}

TEST_F(ApplicationTest, OnlyANewKeymapGivesEveryWindowNewBindings)
{
    createApplication();
    ASSERT_TRUE(m_application->init({}, {}, u"", false));
    TextEditorWindow* second = m_application->newWindow(u"", true);
    TextEditorWindow* first = m_application->windows().back();
    BindingMap* firstMap = first->bindingMap();
    BindingMap* secondMap = second->bindingMap();

    slate::SP<Options> options = packageOptions(kApplicationOptionsPath);
    options->set(ustring(u"keymap"), u"Default");
    options->notifyChanged();
    EXPECT_EQ(firstMap, first->bindingMap());
    EXPECT_EQ(secondMap, second->bindingMap());

    options->set(ustring(u"keymap"), u"Vi");
    options->notifyChanged();
    for (TextEditorWindow* window : {first, second}) {
        EXPECT_NE(nullptr, window->bindingMap());
        EXPECT_EQ(u"Vi", window->bindingMap()->keymapName());
    }
    EXPECT_NE(firstMap, first->bindingMap());
}

// At exit the options are written back with every key of the table, even
// when there was no file; a development build writes neither file.
TEST_F(ApplicationTest, ExitWritesTheOptionsExceptInADevelopmentBuild)
{
    for (bool developmentBuild : {false, true}) {
        SCOPED_TRACE(developmentBuild ? "development build" : "installed build");
        std::filesystem::remove_all(m_folder / "Data/Packages/Default");
        createApplication(developmentBuild);
        ASSERT_TRUE(m_application->init({}, {}, u"", false));
        m_application->m_showToolbar = true;
        destroyApplication();
        const std::string written = m_folder.read("Data/Packages/Default/Options/Application.vantrel-options");
        const std::string userFileType = m_folder.read("Data/Packages/Default/Options/User File Type.vantrel-options");
        if (developmentBuild) {
            EXPECT_EQ("<unreadable>", written);
            EXPECT_EQ("<unreadable>", userFileType);
            continue;
        }
        EXPECT_NE(std::string::npos, written.find("showToolbar true\r\n"));
        EXPECT_NE(std::string::npos, written.find("minimapMaxWidth 175.000000\r\n"));
        EXPECT_NE(std::string::npos, written.find("theme Packages/Theme - Default/Default.vantrel-theme\r\n"));
        EXPECT_NE(std::string::npos, written.find("checkForUpdates true"));
        EXPECT_EQ(std::string::npos, written.find("keymap"));
        EXPECT_NE("<unreadable>", userFileType);
    }
}

TEST_F(ApplicationTest, ActivationSwapsTheWindowWithTheFirstOnly)
{
    createApplication();
    TextEditorWindow* third = m_application->newWindow(u"", true);
    TextEditorWindow* second = m_application->newWindow(u"", true);
    TextEditorWindow* first = m_application->newWindow(u"", true);
    ASSERT_EQ((std::vector<TextEditorWindow*>{first, second, third}), m_application->windows());

    third->onActivate();
    EXPECT_EQ((std::vector<TextEditorWindow*>{third, second, first}), m_application->windows());
    second->onActivate();
    EXPECT_EQ((std::vector<TextEditorWindow*>{second, third, first}), m_application->windows());
    second->onActivate();
    EXPECT_EQ((std::vector<TextEditorWindow*>{second, third, first}), m_application->windows());

    ASSERT_TRUE(m_windowManager->close(third));
    EXPECT_EQ((std::vector<TextEditorWindow*>{second, first}), m_application->windows());
}

TEST_F(ApplicationTest, ClosingTheLastWindowEndsTheLoop)
{
    createApplication();
    TextEditorWindow* a = m_application->newWindow(u"", true);
    TextEditorWindow* b = m_application->newWindow(u"", false);
    ASSERT_TRUE(m_windowManager->close(a));
    EXPECT_TRUE(m_quitCodes.empty());
    ASSERT_TRUE(m_windowManager->close(b));
    EXPECT_EQ(std::vector<int>{0}, m_quitCodes);
}

TEST_F(ApplicationTest, AWindowThePlatformRefusesIsDeletedAndNotListed)
{
    createApplication();
    m_windowManager->refuseWindows = true;
    EXPECT_EQ(nullptr, m_application->newWindow(u"", true));
    EXPECT_TRUE(m_application->windows().empty());
    EXPECT_FALSE(m_application->init({}, {}, u"", false));
    EXPECT_TRUE(m_quitCodes.empty());
}

TEST_F(ApplicationTest, StartWithoutFilesOpensOneWindowWithAnEmptyBuffer)
{
    createApplication();
    ASSERT_TRUE(m_application->init({}, {u"gotoLine 3"}, u"", false));
    ASSERT_EQ(1u, m_application->windows().size());
    TextEditorWindow* window = m_application->activeWindow();
    EXPECT_EQ(std::vector<ustring>{u"<untitled>"}, openPaths(window));
    EXPECT_EQ(std::vector<ustring>{u"gotoLine 3"}, window->m_postInitCommands);
    EXPECT_EQ(std::vector<ustring>{kWindowTitle}, m_windowManager->titles);
    // The file-type options were chained at start.
    EXPECT_TRUE(packageOptions(kUserFileTypeOptionsPath)->inheritsFrom(packageOptions(kDefaultFileTypeOptionsPath)));
}

TEST_F(ApplicationTest, StartWithFilesOpensThemInOneWindowWithoutAnEmptyBuffer)
{
    const ustring a = m_folder.write("a.txt", "alpha");
    const ustring missing = toUstring((m_folder / "new.txt").string());
    createApplication();
    ASSERT_TRUE(m_application->init({a, missing}, {}, u"", false));
    ASSERT_EQ(1u, m_application->windows().size());
    TextEditorWindow* window = m_application->activeWindow();
    EXPECT_EQ((std::vector<ustring>{a, missing}), openPaths(window));
    // The first file opened is the one shown.
    EXPECT_EQ(window->viewSet().views(0)[0].view, window->activeView());
    // The missing file is a new buffer bound to its path, unsaved.
    EXPECT_TRUE(window->viewSet().views(0)[1].view->buffer()->isDirty());
}

TEST_F(ApplicationTest, HandedOverArgumentsOpenFilesAndReplaceTheStartCommands)
{
    createApplication();
    ASSERT_TRUE(m_application->init({}, {u"old"}, u"", false));
    TextEditorWindow* window = m_application->activeWindow();
    const ustring dir = toUstring(m_folder.path().string()) + u"/";
    // The value of "--data" names the sender's data folder, never a file to
    // open, whatever it looks like.
    m_application->handleCommandLine({u"--command", u"first", u"--data", dir + u"data.txt", dir + u"x.txt",
                                      dir + u"Tools.VANTREL-PACKAGE",
                                      u"--multiinstance", dir + u"y.txt", u"--command", u"second", u"--project"});
    EXPECT_EQ((std::vector<ustring>{u"<untitled>", dir + u"x.txt", dir + u"y.txt"}), openPaths(window));
    EXPECT_EQ((std::vector<ustring>{u"first", u"second"}), window->m_postInitCommands);

    // A relative name is taken from the current directory (the sender's).
    const ustring previousDirectory = currentDirectory();
    ASSERT_TRUE(setCurrentDirectory(toUstring(m_folder.path().string())));
    m_application->handleCommandLine({u"x.txt"});
    setCurrentDirectory(previousDirectory);
    EXPECT_EQ(3u, window->viewSet().views(0).size()) << "an open file is shown again, not reopened";
    EXPECT_TRUE(window->m_postInitCommands.empty());
}

} // namespace
} // namespace application_test
