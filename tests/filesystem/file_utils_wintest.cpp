// The Win32 file helpers on a real temporary directory under Wine.
#include "filesystem/file_utils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "filesystem/file_manager.h"
#include "filesystem/win32_test_helpers.h"
#include "filesystem/windows_file_system.h"
#include "ui/arena_allocator.h"
#include "ui/unicode.h"

namespace {

class Win32FileUtilsTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_directory = win32_test::createTemporaryDirectory();
        ASSERT_FALSE(m_directory.empty());
    }
    void TearDown() override
    {
        if (slate::FileManager::alive())
            slate::FileManager::destroy();
        win32_test::removeDirectoryTree(m_directory);
    }

    // Names in the directory, subdirectories with a final backslash, sorted.
    std::vector<ustring> entries() const
    {
        std::vector<ustring> directories, files, names;
        listDirectory(m_directory, u"*", directories, files);
        for (const ustring& entry : directories)
            names.push_back(entry.substr(m_directory.size()));
        for (const ustring& entry : files)
            names.push_back(entry.substr(m_directory.size()));
        std::sort(names.begin(), names.end());
        return names;
    }

    ustring m_directory; // ends in a backslash
};

TEST_F(Win32FileUtilsTest, WriteFileAtomicallyReplacesContentsAndLeavesNoTemporaryFile)
{
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"a.txt", "old contents, longer than the new"));
    EXPECT_TRUE(writeFileAtomically(m_directory + u"a.txt", std::string("new")));
    EXPECT_EQ("new", win32_test::readFile(m_directory + u"a.txt"));
    EXPECT_TRUE(writeFileAtomically(m_directory + u"fresh.txt", std::string("")));
    EXPECT_EQ("", win32_test::readFile(m_directory + u"fresh.txt"));
    EXPECT_EQ((std::vector<ustring>{u"a.txt", u"fresh.txt"}), entries());
}

TEST_F(Win32FileUtilsTest, FailedReplaceLeavesOriginalByteForByte)
{
    const std::string original("line 1\r\nline 2\0binary\xff", 22);
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"readonly.txt", original));
    ASSERT_TRUE(win32_test::setReadOnly(m_directory + u"readonly.txt", true));
    ASSERT_TRUE(win32_test::createDirectory(m_directory + u"folder"));
    struct Case {
        const char* what;
        const char16_t* target;
    };
    const Case cases[] = {
        {"read-only target", u"readonly.txt"},
        {"directory target", u"folder"},
        {"missing directory", u"missing\\x.txt"},
    };
    const std::vector<ustring> before = entries();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(writeFileAtomically(m_directory + c.target, std::string("replacement")));
        EXPECT_EQ(before, entries());
    }
    EXPECT_EQ(original, win32_test::readFile(m_directory + u"readonly.txt"));
}

TEST_F(Win32FileUtilsTest, FileStatReadsFilesAndRefusesFilesHeldOpenForWriting)
{
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"a.txt", "12345"));
    ASSERT_TRUE(win32_test::createDirectory(m_directory + u"sub"));
    FileStat stat;
    EXPECT_TRUE(stat.read(m_directory + u"A.TXT"));
    EXPECT_EQ(5, stat.size);
    EXPECT_GT(stat.modificationTime, 0);
    EXPECT_FALSE(stat.read(m_directory + u"sub"));
    EXPECT_EQ(FileStat(), stat);
    EXPECT_TRUE(isDirectory(m_directory + u"sub"));
    EXPECT_FALSE(isFile(m_directory + u"sub"));
    EXPECT_TRUE(isFile(m_directory + u"a.txt"));

    void* writer = win32_test::openForWriting(m_directory + u"a.txt");
    ASSERT_TRUE(writer);
    int64_t size = -7;
    EXPECT_FALSE(fileSize(m_directory + u"a.txt", size));
    EXPECT_EQ(-7, size);
    win32_test::closeFile(writer);
    EXPECT_TRUE(fileSize(m_directory + u"a.txt", size));
}

TEST_F(Win32FileUtilsTest, DirectoryListingsUseBackslashes)
{
    ASSERT_TRUE(win32_test::writeFile(m_directory + u"a.txt", ""));
    ASSERT_TRUE(win32_test::createDirectory(m_directory + u"sub"));

    std::vector<ustring> directories, files;
    listDirectory(m_directory, u"*", directories, files);
    EXPECT_EQ(std::vector<ustring>{m_directory + u"sub\\"}, directories);
    EXPECT_EQ(std::vector<ustring>{m_directory + u"a.txt"}, files);

    std::vector<slate::usubstring> arenaDirectories, arenaFiles;
    ArenaAllocator directoryArena, fileArena;
    listDirectoryToArena(m_directory.substr(0, m_directory.size() - 1), u"*", arenaDirectories, arenaFiles,
                         directoryArena, fileArena);
    ASSERT_EQ(1u, arenaDirectories.size());
    ASSERT_EQ(1u, arenaFiles.size());
    EXPECT_EQ(m_directory + u"sub\\", arenaDirectories[0].str());
    EXPECT_EQ(m_directory + u"a.txt", arenaFiles[0].str());
}

TEST_F(Win32FileUtilsTest, LineFilesRoundTripThroughTheFileManager)
{
    auto* manager = new slate::FileManagerImpl;
    manager->mount(u"Packages", slate::WindowsFileSystem::create(m_directory));
    slate::FileManager::setInstance(manager);

    ASSERT_TRUE(writeLines(u"Packages/m.vantrel-macro", {u"# comment", u"  # kept", u"   ", u"run"}));
    EXPECT_EQ("# comment\n  # kept\n   \nrun\n", win32_test::readFile(m_directory + u"m.vantrel-macro"));
    std::vector<ustring> lines;
    ASSERT_TRUE(readSettingsLines(u"Packages/m.vantrel-macro", lines));
    EXPECT_EQ((std::vector<ustring>{u"  # kept", u"run"}), lines);
}

TEST(Win32FileHelpers, WellKnownDirectoriesExist)
{
    EXPECT_TRUE(isDirectory(executableDirectory()));
    EXPECT_FALSE(applicationDataDirectory().empty());
    ustring current = currentDirectory();
    ASSERT_FALSE(current.empty());
    ASSERT_TRUE(setCurrentDirectory(executableDirectory()));
    EXPECT_TRUE(setCurrentDirectory(current));
    EXPECT_EQ(current, currentDirectory());
}

} // namespace
