// A dictionary mounted through the Win32 file system: Hunspell, a native
// library, must be handed the Unix names behind the Windows paths.
#include "ui/text/spell_checker.h"

#include <gtest/gtest.h>

#include "filesystem/file_manager.h"
#include "filesystem/win32_test_helpers.h"
#include "filesystem/windows_file_system.h"
#include "ui/platform.h"

namespace {

class Win32SpellCheckerTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_directory = win32_test::createTemporaryDirectory();
        ASSERT_FALSE(m_directory.empty());
        ASSERT_TRUE(win32_test::writeFile(m_directory + u"tiny.aff", "SET UTF-8\nSFX S Y 1\nSFX S 0 s .\n"));
        ASSERT_TRUE(win32_test::writeFile(m_directory + u"tiny.dic", "2\nhello/S\nworld\n"));
        auto* files = new slate::FileManagerImpl;
        files->mount(u"Packages", slate::WindowsFileSystem::create(m_directory));
        slate::FileManager::setInstance(files);
        SpellCheckerManager::create();
    }
    void TearDown() override
    {
        if (SpellCheckerManager::alive())
            SpellCheckerManager::destroy();
        if (slate::FileManager::alive())
            slate::FileManager::destroy();
        win32_test::removeDirectoryTree(m_directory);
    }

    ustring m_directory; // a Windows path ending in a backslash
};

TEST_F(Win32SpellCheckerTest, LoadsDictionaryAndAffixesFromAWindowsPath)
{
    slate::SP<SpellChecker> checker = SpellCheckerManager::get().spellChecker(u"Packages/tiny.dic");
    ASSERT_TRUE(checker->hasDictionary());
    EXPECT_TRUE(checker->check(u"hello"));
    EXPECT_TRUE(checker->check(u"hellos")); // read from the affix file
    EXPECT_FALSE(checker->check(u"helo"));
    SpellCheckerManager::get().addWord(u"helo");
    EXPECT_TRUE(checker->check(u"helo"));
}

TEST_F(Win32SpellCheckerTest, UnixPathOfAWindowsPathIsAbsoluteWithSlashes)
{
    const std::string unixName = platform::get().unixPath(m_directory + u"tiny.dic");
    ASSERT_FALSE(unixName.empty());
    EXPECT_EQ('/', unixName.front());
    EXPECT_EQ(std::string::npos, unixName.find('\\'));
    EXPECT_EQ("/tiny.dic", unixName.substr(unixName.size() - 9));
    EXPECT_EQ("", platform::get().unixPath(u""));
}

} // namespace
