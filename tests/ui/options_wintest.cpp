// Options files on a real temporary directory under Wine: saving through the
// Win32 file helpers, and the options cache reloading a file that is written
// while its directory is watched.
#include "ui/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "filesystem/win32_test_helpers.h"
#include "filesystem/windows_file_system.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/options_manager.h"

using slate::SP;

namespace {

const uint32_t kDeliveryTimeoutMs = 3000;

class Win32OptionsTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_directory = test_support::programPath(m_folder.path().string());
        ASSERT_FALSE(m_directory.empty());
        m_directory += u'\\';
        ASSERT_TRUE(win32_test::createDirectory(m_directory + u"Options"));
        ASSERT_TRUE(win32_test::createDirectory(m_directory + u"Packages"));
        ASSERT_TRUE(win32_test::createDirectory(m_directory + u"Packages\\Default"));
        m_window = win32_test::createFileChangeWindow();
        ASSERT_TRUE(m_window);
    }
    void TearDown() override
    {
        if (OptionsManager::alive())
            OptionsManager::destroy();
        slate::setFileChangeWindow(nullptr);
        if (slate::FileManager::alive())
            slate::FileManager::destroy();
        win32_test::destroyFileChangeWindow(m_window);
    }

    // Mounts "Options" at "UserOptions/" and "Packages" at "Packages/", as
    // start-up does.
    void mount()
    {
        auto* manager = new slate::FileManagerImpl;
        slate::FileManager::setInstance(manager);
        for (const char16_t* name : {u"Options", u"Packages"}) {
            slate::WindowsFileSystem* system = slate::WindowsFileSystem::create(m_directory + name);
            ASSERT_TRUE(system);
            manager->mount(name == ustring(u"Options") ? u"UserOptions/" : u"Packages/", system);
        }
        slate::setFileChangeWindow(m_window);
    }

    std::vector<ustring> entries(const ustring& folder) const
    {
        std::vector<ustring> directories, files, names;
        listDirectory(m_directory + folder + u"\\", u"*", directories, files);
        names.insert(names.end(), directories.begin(), directories.end());
        names.insert(names.end(), files.begin(), files.end());
        std::sort(names.begin(), names.end());
        return names;
    }

    const test_support::ScratchFolder m_folder{"vantrel-winoptions"};
    ustring m_directory; // m_folder's Windows path, ending in a backslash
    platform::WindowHandle m_window = nullptr;
};

} // namespace

TEST_F(Win32OptionsTest, SaveWritesCrLfWithoutFinalLineEnd)
{
    mount();
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"Options\\User.vantrel-options", "a 1\n"));
    SP<Options> options(new Options);
    options->load(u"UserOptions/User.vantrel-options");
    options->set("b", u"x");
    EXPECT_TRUE(options->save(u"UserOptions/User.vantrel-options"));
    EXPECT_EQ("a 1\r\nb x", win32_test::readFile(m_directory + u"Options\\User.vantrel-options"));
    EXPECT_EQ((std::vector<ustring>{m_directory + u"Options\\User.vantrel-options"}), entries(u"Options"));
}

TEST_F(Win32OptionsTest, FailedSaveLeavesOriginalByteForByte)
{
    mount();
    const std::string original("# mine\r\nfont_size 12\nlast");
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"Options\\ReadOnly.vantrel-options", original));
    ASSERT_TRUE(win32_test::setReadOnly(m_directory + u"Options\\ReadOnly.vantrel-options", true));
    ASSERT_TRUE(win32_test::createDirectory(m_directory + u"Options\\Folder.vantrel-options"));
    const std::vector<ustring> before = entries(u"Options");

    SP<Options> options(new Options);
    options->parse(u"font_size 14");
    for (const char16_t* path : {u"UserOptions/ReadOnly.vantrel-options", u"UserOptions/Folder.vantrel-options",
                                 u"UserOptions/Missing/x.vantrel-options"}) {
        SCOPED_TRACE(std::string(path, path + std::char_traits<char16_t>::length(path)));
        EXPECT_FALSE(options->save(path));
        EXPECT_EQ(before, entries(u"Options"));
    }
    EXPECT_EQ(original, win32_test::readFile(m_directory + u"Options\\ReadOnly.vantrel-options"));
}

TEST_F(Win32OptionsTest, WrittenPackageOptionsReloadThroughTheWatcher)
{
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"Packages\\Default\\Application.vantrel-options",
                                      "font_size 10"));
    mount();
    OptionsManager::create();
    SP<Options> options = OptionsManager::get().getOptions(u"Packages/Default/Application.vantrel-options");
    int notified = 0;
    options->addListener([&notified] { ++notified; });
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"Packages\\Default\\Application.vantrel-options",
                                      "font_size 16"));
    const bool reloaded = win32_test::pumpMessagesUntil(
        [&] {
            ustring value;
            return options->getString("font_size", value) && value == u"16";
        },
        kDeliveryTimeoutMs);
    EXPECT_TRUE(reloaded);
    EXPECT_GE(notified, 1);
}

TEST_F(Win32OptionsTest, OptionsSavedByReplacingTheFileReload)
{
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"Packages\\Default\\Application.vantrel-options",
                                      "font_size 10"));
    mount();
    OptionsManager::create();
    const ustring path = u"Packages/Default/Application.vantrel-options";
    SP<Options> options = OptionsManager::get().getOptions(path);
    SP<Options> edited(new Options);
    ASSERT_TRUE(edited->set(u"font_size", u"18"));
    ASSERT_TRUE(edited->save(path));
    const bool reloaded = win32_test::pumpMessagesUntil(
        [&] {
            ustring value;
            return options->getString("font_size", value) && value == u"18";
        },
        kDeliveryTimeoutMs);
    EXPECT_TRUE(reloaded);
}
