// What only the Win32 side of the file helpers does; the helpers' promises
// are in file_utils_contract.cpp, run by both test programs.
#include "filesystem/file_utils.h"

#include <gtest/gtest.h>

#include "filesystem/win32_test_helpers.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/unicode.h"

namespace {

class Win32FileUtilsTest : public testing::Test {
protected:
    test_support::ScratchFolder m_folder{"vantrel-file-utils"};
    const ustring m_directory = test_support::programPath(m_folder.path()) + u'\\';
};

// Windows names are not case-sensitive, and a file another handle holds open
// for writing has no settled size yet.
TEST_F(Win32FileUtilsTest, FileStatIgnoresCaseAndRefusesFilesHeldOpenForWriting)
{
    m_folder.write("a.txt", "12345");
    FileStat stat;
    EXPECT_TRUE(stat.read(m_directory + u"A.TXT"));
    EXPECT_EQ(5, stat.size);

    void* writer = win32_test::openForWriting(m_directory + u"a.txt");
    ASSERT_TRUE(writer);
    int64_t size = -7;
    EXPECT_FALSE(fileSize(m_directory + u"a.txt", size));
    EXPECT_EQ(-7, size);
    win32_test::closeFile(writer);
    EXPECT_TRUE(fileSize(m_directory + u"a.txt", size));
}

// One file has one name however it was typed: a Unix path, another case or
// a relative name all give the drive path with the disk's case, which is
// what tells two opens of one file apart from two files.
TEST_F(Win32FileUtilsTest, LongFileNameGivesTheDiskNameHoweverItWasTyped)
{
    m_folder.write("Notes.txt", "x");
    const ustring expected = m_directory + u"Notes.txt";
    const std::string unix = (m_folder.path() / "notes.txt").string();
    const ustring previous = currentDirectory();
    ASSERT_TRUE(setCurrentDirectory(m_directory));
    for (const ustring& typed : {m_directory + u"NOTES.TXT", toUstring(unix), ustring(u"notes.txt")}) {
        SCOPED_TRACE(toUtf8(typed));
        EXPECT_EQ(expected, longFileName(typed));
    }
    setCurrentDirectory(previous);
    EXPECT_EQ(u"Z:\\no\\such\\file", longFileName(u"Z:\\no\\such\\file"));
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
