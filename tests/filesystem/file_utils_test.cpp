// The portable file helpers and their POSIX side, on a temporary directory.
#include "filesystem/file_utils.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "filesystem/file_manager.h"
#include "filesystem/posix_file_system.h"
#include "ui/arena_allocator.h"
#include "ui/unicode.h"

namespace {

class FileUtilsTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vantrel-file-utils-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        m_directory = pattern;
        m_directory += '/';
    }
    void TearDown() override
    {
        if (slate::FileManager::alive())
            slate::FileManager::destroy();
        std::string command = "rm -rf '" + m_directory + "'";
        ASSERT_EQ(0, system(command.c_str()));
    }

    std::string path(const std::string& name) const { return m_directory + name; }
    ustring widePath(const std::string& name) const { return toUstring(path(name)); }

    void writeRaw(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string readRaw(const std::string& name) const
    {
        std::ifstream in(path(name), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    std::vector<std::string> entries() const
    {
        std::vector<ustring> directories, files;
        listDirectory(toUstring(m_directory), u"*", directories, files);
        std::vector<std::string> names;
        for (const ustring& entry : directories)
            names.push_back(toUtf8(entry).substr(m_directory.size()));
        for (const ustring& entry : files)
            names.push_back(toUtf8(entry).substr(m_directory.size()));
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string m_directory; // ends in "/"
};

TEST_F(FileUtilsTest, WriteFileAtomicallyReplacesContentsAndLeavesNoTemporaryFile)
{
    writeRaw("a.txt", "old contents that are longer");
    EXPECT_TRUE(writeFileAtomically(widePath("a.txt"), std::string("new")));
    EXPECT_EQ("new", readRaw("a.txt"));
    EXPECT_TRUE(writeFileAtomically(widePath("fresh.txt"), std::string("")));
    EXPECT_EQ("", readRaw("fresh.txt"));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "fresh.txt"}), entries());
}

TEST_F(FileUtilsTest, FailedReplaceLeavesOriginalByteForByte)
{
    const std::string original("line 1\r\nline 2\0binary\xff", 22);
    struct Case {
        const char* name;
        const char* target; // relative to the temporary directory
        void (*prepare)(const std::string& target);
    };
    const Case cases[] = {
        {"read-only target", "readonly.txt", [](const std::string& target) { chmod(target.c_str(), 0444); }},
        {"directory target", "folder", [](const std::string& target) { mkdir(target.c_str(), 0755); }},
        {"missing directory", "missing/x.txt", [](const std::string&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string target = path(c.target);
        if (std::string(c.target) == "readonly.txt")
            writeRaw(c.target, original);
        c.prepare(target);
        std::vector<std::string> before = entries();
        EXPECT_FALSE(writeFileAtomically(toUstring(target), std::string("replacement")));
        EXPECT_EQ(before, entries());
    }
    EXPECT_EQ(original, readRaw("readonly.txt"));
}

TEST_F(FileUtilsTest, WriteLinesEndsEveryLineWithLineFeed)
{
    EXPECT_TRUE(writeLines(widePath("macro.txt"), {u"insert_snippet a", u"caf\u00e9"}));
    EXPECT_EQ("insert_snippet a\ncaf\xc3\xa9\n", readRaw("macro.txt"));
}

// A write that the system cuts short (here by the process's file-size
// limit) fails the save and leaves the original byte for byte, with no
// temporary file behind.
TEST_F(FileUtilsTest, WriteLinesCutShortBySystemLeavesTheOriginal)
{
    writeRaw("lines.txt", "original\n");
    const std::vector<std::string> before = entries();
    const std::vector<ustring> lines(2000, u"a line long enough that the file outgrows the limit");

    rlimit saved;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limited));
    const bool written = writeLines(widePath("lines.txt"), lines);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ("original\n", readRaw("lines.txt"));
    EXPECT_EQ(before, entries());
}

TEST_F(FileUtilsTest, LineFilesGoThroughTheFileManager)
{
    auto* manager = new slate::FileManagerImpl;
    manager->mount(u"Packages", slate::PosixFileSystem::create(toUstring(m_directory)));
    slate::FileManager::setInstance(manager);

    ASSERT_TRUE(writeLines(u"Packages/m.macro", {u"# comment", u"  # kept", u"   ", u"", u"run"}));
    EXPECT_EQ("# comment\n  # kept\n   \n\nrun\n", readRaw("m.macro"));

    std::vector<ustring> lines{u"stale"};
    ASSERT_TRUE(readSettingsLines(u"Packages/m.macro", lines));
    EXPECT_EQ((std::vector<ustring>{u"  # kept", u"run"}), lines);

    writeRaw("crlf.macro", "a\r\nb\rc\n\n\td\r\n");
    ASSERT_TRUE(readSettingsLines(u"Packages/crlf.macro", lines));
    EXPECT_EQ((std::vector<ustring>{u"a", u"b", u"c", u"\td"}), lines);

    EXPECT_FALSE(readSettingsLines(u"Packages/missing.macro", lines));
    EXPECT_TRUE(lines.empty());
}

TEST_F(FileUtilsTest, FileStatFillsTimeAndSizeOfFilesOnly)
{
    writeRaw("a.txt", "12345");
    mkdir(path("sub").c_str(), 0755);
    FileStat stat;
    EXPECT_TRUE(stat.read(widePath("a.txt")));
    EXPECT_EQ(5, stat.size);
    EXPECT_GT(stat.modificationTime, 0);
    for (const char* name : {"sub", "missing"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(stat.read(widePath(name)));
        EXPECT_EQ(FileStat(), stat);
    }
    EXPECT_TRUE(isFile(widePath("a.txt")));
    EXPECT_FALSE(isFile(widePath("sub")));
    EXPECT_TRUE(isDirectory(widePath("sub")));
    EXPECT_FALSE(isDirectory(widePath("missing")));
}

TEST_F(FileUtilsTest, ListDirectoryToArenaAddsTheSeparatorAndCopiesNames)
{
    writeRaw("a.txt", "");
    mkdir(path("sub").c_str(), 0755);
    std::vector<slate::usubstring> directories, files;
    ArenaAllocator directoryArena, fileArena;
    ustring directory = toUstring(m_directory.substr(0, m_directory.size() - 1));
    listDirectoryToArena(directory, u"*", directories, files, directoryArena, fileArena);
    ASSERT_EQ(1u, directories.size());
    ASSERT_EQ(1u, files.size());
    EXPECT_EQ(widePath("sub/"), directories[0].str());
    EXPECT_EQ(widePath("a.txt"), files[0].str());
    EXPECT_EQ(0, *files[0].end); // NUL-terminated in the arena

    listDirectoryToArena(u"", u"*", directories, files, directoryArena, fileArena);
    EXPECT_EQ(1u, files.size());
}

} // namespace
