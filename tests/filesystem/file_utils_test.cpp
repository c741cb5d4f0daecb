// What only the POSIX side of the file helpers does; the helpers' promises
// are in file_utils_contract.cpp, run by both test programs.
#include "filesystem/file_utils.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <algorithm>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "support/scratch_folder.h"
#include "ui/arena_allocator.h"
#include "ui/unicode.h"

namespace {

class FileUtilsTest : public testing::Test {
protected:
    void TearDown() override
    {
        if (slate::FileManager::alive())
            slate::FileManager::destroy();
    }

    std::string path(const std::string& name) const { return m_directory + name; }
    ustring widePath(const std::string& name) const { return toUstring(path(name)); }
    void writeRaw(const std::string& name, const std::string& bytes) const { m_folder.write(name, bytes); }
    std::string readRaw(const std::string& name) const { return m_folder.read(name); }
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

    test_support::ScratchFolder m_folder{"vantrel-file-utils"};
    const std::string m_directory = m_folder.path().string() + "/";
};

TEST_F(FileUtilsTest, ListingNoDirectoryAddsNothing)
{
    writeRaw("a.txt", "");
    std::vector<slate::usubstring> directories, files;
    ArenaAllocator directoryArena, fileArena;
    listDirectoryToArena(toUstring(m_directory), u"*", directories, files, directoryArena, fileArena);
    ASSERT_EQ(1u, files.size());
    listDirectoryToArena(u"", u"*", directories, files, directoryArena, fileArena);
    EXPECT_EQ(1u, files.size());
    EXPECT_TRUE(directories.empty());
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

} // namespace
