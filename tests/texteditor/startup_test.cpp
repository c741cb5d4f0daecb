#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "filesystem/posix_file_system.h"
#include "support/scratch_folder.h"
#include "texteditor/startup.h"
#include "ui/menu_descriptor.h"
#include "ui/text/syntax/syntax_manager.h"
#include "ui/notification_manager.h"
#include "ui/options_manager.h"
#include "ui/unicode.h"

namespace {

slate::FileSystem* createPosixFileSystem(const ustring& directory)
{
    return slate::PosixFileSystem::create(directory);
}

slate::FileSystem* refuseFileSystem(const ustring&) { return nullptr; }

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_notifications = new NotificationManager(u"Vantrel");
        m_notifications->setErrorBoxFunction(
            [this](platform::WindowHandle, const ustring&, const ustring& text) { m_errors.push_back(text); });
        NotificationManager::set(m_notifications);
    }
    void TearDown() override { shutdownBase(); }

    StartupFolders dataFolders(const ustring& data) const
    {
        StartupFolders folders;
        folders.dataDirectory = data;
        folders.basePath = m_root;
        return folders;
    }

    test_support::ScratchFolder m_folder{"vantrel-startup"};
    const ustring m_root = toUstring(m_folder.path().string());
    NotificationManager* m_notifications = nullptr;
    std::vector<ustring> m_errors;
};

TEST_F(StartupTest, BaseCreatesTheDataFoldersAndMountsThem)
{
    const ustring data = m_root + u"/Data";
    ASSERT_TRUE(startupBase(u"Vantrel", dataFolders(data), createPosixFileSystem));
    for (const char16_t* folder : {u"/Packages", u"/Packages/Default", u"/Options"})
        EXPECT_TRUE(isDirectory(data + folder)) << toUtf8(ustring(folder));
    ASSERT_TRUE(writeFileAtomically(data + u"/Options/Probe.vantrel-options", std::string("a 1")));
    EXPECT_TRUE(slate::FileManager::get().exists(u"UserOptions/Probe.vantrel-options"));
    EXPECT_TRUE(OptionsManager::alive());
    EXPECT_TRUE(m_errors.empty());
}

TEST_F(StartupTest, EmptyDataDirectoryMountsNothingAndGoesOn)
{
    ASSERT_TRUE(startupBase(u"Vantrel", dataFolders(u""), createPosixFileSystem));
    EXPECT_TRUE(OptionsManager::alive());
    EXPECT_FALSE(slate::FileManager::get().exists(u"UserOptions/Application.vantrel-options"));
    EXPECT_TRUE(m_errors.empty());
}

TEST_F(StartupTest, FailedMountReportsAndFails)
{
    EXPECT_FALSE(startupBase(u"Vantrel", dataFolders(m_root + u"/Data"), refuseFileSystem));
    EXPECT_EQ(std::vector<ustring>{u"Unable to mount data directory, exiting"}, m_errors);
    EXPECT_FALSE(OptionsManager::alive());
}

// The program exits after a failed mount, so it must not leave half a data
// directory behind: a file where "Options" belongs stops it before any
// folder is made.
TEST_F(StartupTest, DataFolderTakenByAFileFailsWithNothingCreated)
{
    const ustring data = m_root + u"/Data";
    ASSERT_TRUE(createDirectory(data));
    ASSERT_TRUE(writeFileAtomically(data + u"/Options", std::string("not a folder")));
    EXPECT_FALSE(startupBase(u"Vantrel", dataFolders(data), createPosixFileSystem));
    EXPECT_EQ(std::vector<ustring>{u"Unable to mount data directory, exiting"}, m_errors);
    EXPECT_FALSE(isDirectory(data + u"/Packages"));
    EXPECT_FALSE(OptionsManager::alive());
}

TEST_F(StartupTest, DataDirectoryWithoutAParentFailsWithNothingCreated)
{
    const ustring data = m_root + u"/missing/Data";
    EXPECT_FALSE(startupBase(u"Vantrel", dataFolders(data), createPosixFileSystem));
    EXPECT_EQ(m_errors.size(), 1u);
    EXPECT_FALSE(isDirectory(m_root + u"/missing"));
}

// A development build searches the user's packages first, then the build's.
TEST_F(StartupTest, DevelopmentBuildMountsTheBuildPackagesAfterTheUsers)
{
    StartupFolders folders = dataFolders(m_root + u"/Data");
    folders.developmentBuild = true;
    folders.basePath = m_root + u"/resources";
    folders.sharedPackages = m_root + u"/shared";
    ASSERT_TRUE(createDirectory(folders.basePath));
    ASSERT_TRUE(startupBase(u"Vantrel", folders, createPosixFileSystem));
    ASSERT_TRUE(writeFileAtomically(m_root + u"/shared/Only.txt", std::string("shared")));
    ASSERT_TRUE(writeFileAtomically(m_root + u"/resources/Packages/Both.txt", std::string("resources")));
    ASSERT_TRUE(writeFileAtomically(m_root + u"/Data/Packages/Both.txt", std::string("user")));
    EXPECT_TRUE(slate::FileManager::get().exists(u"Packages/Only.txt"));
    EXPECT_EQ(slate::FileManager::get().nativePath(u"Packages/Both.txt"), m_root + u"/Data/Packages/Both.txt");
}

TEST_F(StartupTest, BaseMakesTheNotificationManagerWhenThereIsNone)
{
    NotificationManager::destroy();
    ASSERT_TRUE(startupBase(u"Vantrel", dataFolders(u""), createPosixFileSystem));
    EXPECT_TRUE(NotificationManager::alive());
}

} // namespace

namespace {

// The file-type button's menu: assigning an extension sits in a submenu
// above the plain choice of a file type, both in the grammars' order.
TEST(SyntaxMenuDescriptor, AssignSubmenuThenSeparatorThenTheFileTypes)
{
    SyntaxMenu menu;
    menu.submenuCaption = u"Open all with current extension as";
    menu.setItems = {{u"C", u"setFileType \"Packages/C/C.tmLanguage\""},
                     {u"Python", u"setFileType \"Packages/Python/Python.tmLanguage\""}};
    menu.assignItems = {{u"C", u"assignFileType \"Packages/C/C.tmLanguage\""},
                        {u"Python", u"assignFileType \"Packages/Python/Python.tmLanguage\""}};
    const slate::SP<MenuDescriptor> descriptor = syntaxMenuDescriptor(menu);
    ASSERT_EQ(4u, descriptor->m_entries.size());
    const slate::SP<MenuDescriptor> assign = descriptor->m_entries[0].m_submenu;
    ASSERT_TRUE(assign);
    EXPECT_EQ(menu.submenuCaption, assign->m_caption);
    ASSERT_EQ(2u, assign->m_entries.size());
    EXPECT_EQ(menu.assignItems[1].command, assign->m_entries[1].m_item->m_command);
    EXPECT_EQ(u"-", descriptor->m_entries[1].m_item->m_caption);
    EXPECT_EQ(u"C", descriptor->m_entries[2].m_item->m_caption);
    EXPECT_EQ(menu.setItems[1].command, descriptor->m_entries[3].m_item->m_command);
}

} // namespace
