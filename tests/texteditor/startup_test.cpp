#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "filesystem/posix_file_system.h"
#include "support/scratch_folder.h"
#include "texteditor/startup.h"
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
    void TearDown() override
    {
        shutdownBase();
        NotificationManager::destroy();
    }

    test_support::ScratchFolder m_folder{"vantrel-startup"};
    const ustring m_root = toUstring(m_folder.path().string());
    NotificationManager* m_notifications = nullptr;
    std::vector<ustring> m_errors;
};

TEST_F(StartupTest, DataDirectoryComesFromSwitchThenPortableFolderThenApplicationData)
{
    EXPECT_EQ(u"/x/data", chooseDataDirectory(m_root, u"/appdata", u"/x/data"));
    EXPECT_EQ(u"/appdata/Vantrel", chooseDataDirectory(m_root, u"/appdata", u""));
    ASSERT_TRUE(createDirectory(m_root + u"/Data"));
    EXPECT_EQ(m_root + u"/Data", chooseDataDirectory(m_root, u"/appdata", u""));
}

TEST_F(StartupTest, BaseCreatesTheDataFoldersAndMountsThem)
{
    const ustring data = m_root + u"/Data";
    ASSERT_TRUE(startupBase(data, createPosixFileSystem));
    for (const char16_t* folder : {u"/Packages", u"/Packages/Default", u"/Options"})
        EXPECT_TRUE(isDirectory(data + folder)) << toUtf8(ustring(folder));
    ASSERT_TRUE(writeFileAtomically(data + u"/Options/Probe.vantrel-options", std::string("a 1")));
    EXPECT_TRUE(slate::FileManager::get().exists(u"UserOptions/Probe.vantrel-options"));
    EXPECT_TRUE(OptionsManager::alive());
    EXPECT_TRUE(m_errors.empty());
}

TEST_F(StartupTest, FailedMountReportsAndFails)
{
    EXPECT_FALSE(startupBase(m_root + u"/Data", refuseFileSystem));
    EXPECT_EQ(std::vector<ustring>{u"Unable to mount data directory, exiting"}, m_errors);
    EXPECT_FALSE(OptionsManager::alive());
}

// A tool or test may start the base without a notification manager; the
// failure is then shown without one.
TEST_F(StartupTest, FailedMountWithoutNotificationManagerStillFails)
{
    NotificationManager::destroy();
    EXPECT_FALSE(startupBase(m_root + u"/Data", refuseFileSystem));
    EXPECT_FALSE(OptionsManager::alive());
    NotificationManager::set(new NotificationManager(u"Vantrel"));
}

} // namespace
