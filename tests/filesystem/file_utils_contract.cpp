// The file helpers' promises, in both test programs: natively on POSIX paths,
// under Wine on Windows paths through Win32.
#include "filesystem/file_utils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "filesystem/file_manager.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/arena_allocator.h"
#include "ui/unicode.h"

namespace {

namespace fs = std::filesystem;
using test_support::kPathSeparator;

class FileUtilsContract : public testing::Test {
protected:
    void TearDown() override
    {
        if (slate::FileManager::alive())
            slate::FileManager::destroy();
    }

    // How the code under test names `name` (separated by "/") in the folder.
    ustring path(const std::string& name) const { return test_support::programPath(m_folder / name); }

    // Names in the folder, subfolders with a final separator, sorted.
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

    test_support::ScratchFolder m_folder{"vantrel-file-utils"};
    const ustring m_directory = test_support::programPath(m_folder.path()) + kPathSeparator;
};

TEST_F(FileUtilsContract, WriteFileAtomicallyReplacesContentsAndLeavesNoTemporaryFile)
{
    m_folder.write("a.txt", "old contents that are longer");
    EXPECT_TRUE(writeFileAtomically(path("a.txt"), std::string("new")));
    EXPECT_EQ("new", m_folder.read("a.txt"));
    EXPECT_TRUE(writeFileAtomically(path("fresh.txt"), std::string("")));
    EXPECT_EQ("", m_folder.read("fresh.txt"));
    EXPECT_EQ((std::vector<ustring>{u"a.txt", u"fresh.txt"}), entries());
}

TEST_F(FileUtilsContract, FailedReplaceLeavesOriginalByteForByte)
{
    const std::string original("line 1\r\nline 2\0binary\xff", 22);
    m_folder.write("readonly.txt", original);
    fs::permissions(m_folder / "readonly.txt",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    m_folder.makeFolder("folder");
    const char* const cases[] = {"readonly.txt", "folder", "missing/x.txt"};
    const std::vector<ustring> before = entries();
    for (const char* target : cases) {
        SCOPED_TRACE(target);
        EXPECT_FALSE(writeFileAtomically(path(target), std::string("replacement")));
        EXPECT_EQ(before, entries());
    }
    EXPECT_EQ(original, m_folder.read("readonly.txt"));
}

TEST_F(FileUtilsContract, WriteLinesEndsEveryLineWithLineFeed)
{
    EXPECT_TRUE(writeLines(path("macro.txt"), {u"insert_snippet a", u"caf\u00e9"}));
    EXPECT_EQ("insert_snippet a\ncaf\xc3\xa9\n", m_folder.read("macro.txt"));
}

// A recorded line holding a stray surrogate is kept, the surrogate as U+FFFD,
// and the file still reads back.
TEST_F(FileUtilsContract, WriteLinesKeepsTextAroundAnUnpairedSurrogate)
{
    auto* manager = new slate::FileManagerImpl;
    manager->mount(u"Packages", test_support::createFileSystem(m_folder.path()));
    slate::FileManager::setInstance(manager);
    const ustring line = ustring(u"insert ") + uchar(0xD800) + u"x";
    ASSERT_TRUE(writeLines(u"Packages/s.macro", {line, u"next"}));
    EXPECT_EQ("insert \xEF\xBF\xBDx\nnext\n", m_folder.read("s.macro"));
    std::vector<ustring> lines;
    ASSERT_TRUE(readLines(u"Packages/s.macro", lines));
    EXPECT_EQ((std::vector<ustring>{u"insert \uFFFDx", u"next"}), lines);
}

// A line file that cannot be written (its folder is missing, or the target
// is a folder) is reported, and an existing file stays as it was.
TEST_F(FileUtilsContract, WriteLinesThatFailsReportsAndKeepsTheOriginal)
{
    m_folder.makeFolder("folder");
    m_folder.write("folder/inside.txt", "original\n");
    EXPECT_FALSE(writeLines(path("missing/lines.txt"), {u"new"}));
    EXPECT_FALSE(writeLines(path("folder"), {u"new"}));
    EXPECT_EQ("original\n", m_folder.read("folder/inside.txt"));
    EXPECT_EQ((std::vector<ustring>{u"folder" + ustring(1, kPathSeparator)}), entries());
}

TEST_F(FileUtilsContract, LineFilesGoThroughTheFileManager)
{
    auto* manager = new slate::FileManagerImpl;
    manager->mount(u"Packages", test_support::createFileSystem(m_folder.path()));
    slate::FileManager::setInstance(manager);

    ASSERT_TRUE(writeLines(u"Packages/m.macro", {u"# comment", u" \t# indented comment", u"   ", u"", u"run"}));
    EXPECT_EQ("# comment\n \t# indented comment\n   \n\nrun\n", m_folder.read("m.macro"));

    std::vector<ustring> lines{u"stale"};
    ASSERT_TRUE(readSettingsLines(u"Packages/m.macro", lines));
    EXPECT_EQ((std::vector<ustring>{u"run"}), lines);

    m_folder.write("crlf.macro", "a\r\nb\rc\n\n\td\r\n");
    ASSERT_TRUE(readSettingsLines(u"Packages/crlf.macro", lines));
    EXPECT_EQ((std::vector<ustring>{u"a", u"b", u"c", u"\td"}), lines);

    EXPECT_FALSE(readSettingsLines(u"Packages/missing.macro", lines));
    EXPECT_TRUE(lines.empty());
}

TEST_F(FileUtilsContract, FileStatFillsTimeAndSizeOfFilesOnly)
{
    m_folder.write("a.txt", "12345");
    m_folder.makeFolder("sub");
    FileStat stat;
    EXPECT_TRUE(stat.read(path("a.txt")));
    EXPECT_EQ(5, stat.size);
    EXPECT_GT(stat.modificationTime, 0);
    for (const char* name : {"sub", "missing"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(stat.read(path(name)));
        EXPECT_EQ(FileStat(), stat);
    }
    EXPECT_TRUE(isFile(path("a.txt")));
    EXPECT_FALSE(isFile(path("sub")));
    EXPECT_TRUE(isDirectory(path("sub")));
    EXPECT_FALSE(isDirectory(path("missing")));
}

TEST_F(FileUtilsContract, ListingsEndFoldersWithTheSeparatorAndArenaCopiesAreTerminated)
{
    m_folder.write("a.txt", "");
    m_folder.makeFolder("sub");

    std::vector<ustring> directories, files;
    listDirectory(m_directory, u"*", directories, files);
    EXPECT_EQ(std::vector<ustring>{m_directory + u"sub" + kPathSeparator}, directories);
    EXPECT_EQ(std::vector<ustring>{m_directory + u"a.txt"}, files);

    std::vector<slate::usubstring> arenaDirectories, arenaFiles;
    ArenaAllocator directoryArena, fileArena;
    listDirectoryToArena(m_directory.substr(0, m_directory.size() - 1), u"*", arenaDirectories, arenaFiles,
                         directoryArena, fileArena);
    ASSERT_EQ(1u, arenaDirectories.size());
    ASSERT_EQ(1u, arenaFiles.size());
    EXPECT_EQ(m_directory + u"sub" + kPathSeparator, arenaDirectories[0].str());
    EXPECT_EQ(m_directory + u"a.txt", arenaFiles[0].str());
    EXPECT_EQ(0, *arenaFiles[0].end);
}

} // namespace
