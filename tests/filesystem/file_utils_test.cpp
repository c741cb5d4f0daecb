// What only the POSIX side of the file helpers does; the helpers' promises
// are in file_utils_contract.cpp, run by both test programs.
#include "filesystem/file_utils.h"

#include <gtest/gtest.h>

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

} // namespace
