#include "filesystem/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "support/scratch_folder.h"
#include "ui/unicode.h"

namespace {

class PosixFileSystemTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_system.reset(slate::PosixFileSystem::create(toUstring(m_directory)));
        ASSERT_TRUE(m_system);
    }
    void TearDown() override { m_system.reset(); }
    void write(const std::string& name, const std::string& bytes) { m_folder.write(name, bytes); }

    test_support::ScratchFolder m_folder{"vantrel-posix-fs"};
    const std::string m_directory = m_folder.path().string(); // without a final "/"
    std::unique_ptr<slate::PosixFileSystem> m_system;
};

TEST_F(PosixFileSystemTest, ReadGivesWholeFileAndEmptyBlockForEmptyFile)
{
    write("a.txt", "hello");
    write("empty.txt", "");
    slate::SP<slate::MemoryBlock> block = m_system->read(u"a.txt");
    ASSERT_TRUE(block);
    EXPECT_EQ("hello", std::string(reinterpret_cast<const char*>(block->data()), block->size()));
    block = m_system->read(u"empty.txt");
    ASSERT_TRUE(block);
    EXPECT_EQ(0u, block->size());
    EXPECT_FALSE(m_system->read(u"missing.txt"));
    EXPECT_FALSE(m_system->read(u""));
}

TEST_F(PosixFileSystemTest, FindFilesSearchesDepthFirstCaseSensitivelySkippingSvn)
{
    write("X/Y.tmLanguage", "");
    write("X/Z.TMLANGUAGE", "");
    write(".svn/W.tmLanguage", "");
    write("V/.svn/W.tmLanguage", "");
    write("top.tmLanguage", "");
    std::vector<ustring> files;
    m_system->findFiles(u"", u"*.tmLanguage", files);
    std::sort(files.begin(), files.end());
    EXPECT_EQ((std::vector<ustring>{u"X/Y.tmLanguage", u"top.tmLanguage"}), files);

    files.clear();
    m_system->findFiles(u"X/", u"*", files);
    std::sort(files.begin(), files.end());
    EXPECT_EQ((std::vector<ustring>{u"X/Y.tmLanguage", u"X/Z.TMLANGUAGE"}), files);
}

TEST_F(PosixFileSystemTest, ListFilesGivesRootRelativeEntries)
{
    write("Default/a.py", "");
    write("Default/b.txt", "");
    write("Default/Sub/c.py", "");
    std::vector<ustring> entries;
    m_system->listFiles(u"Default/*", entries);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ((std::vector<ustring>{u"Default/Sub", u"Default/a.py", u"Default/b.txt"}), entries);
    entries.clear();
    m_system->listFiles(u"Default/*.py", entries);
    EXPECT_EQ(std::vector<ustring>{u"Default/a.py"}, entries);
}

TEST_F(PosixFileSystemTest, RenameNeverReplacesAndRemoveTakesFilesOnly)
{
    write("a.txt", "a");
    write("b.txt", "b");
    EXPECT_FALSE(m_system->rename(u"a.txt", u"b.txt"));
    EXPECT_TRUE(m_system->rename(u"a.txt", u"c.txt"));
    EXPECT_FALSE(m_system->exists(u"a.txt"));
    EXPECT_TRUE(m_system->exists(u"c.txt"));
    write("dir/x", "");
    EXPECT_FALSE(m_system->remove(u"dir"));
    EXPECT_TRUE(m_system->remove(u"c.txt"));
    EXPECT_FALSE(m_system->remove(u"c.txt"));
    EXPECT_EQ(toUstring(m_directory) + u"/dir/x", m_system->nativePath(u"dir/x"));
}

TEST(PosixFileSystem, CreateRefusesMissingDirectoryAndFile)
{
    EXPECT_EQ(nullptr, slate::PosixFileSystem::create(u"/nonexistent/vantrel/dir"));
    EXPECT_EQ(nullptr, slate::PosixFileSystem::create(u"/etc/hostname"));
}

} // namespace
