#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "ui/cache_file.h"
#include "ui/unicode.h"

namespace {

// Under Wine the cache is named by a Windows path: drive letter, backslashes
// and letters in another case than on disk all resolve to the same file.
TEST(CacheFileWin32, WindowsPathRoundTrips)
{
    char pattern[] = "/tmp/vantrel_wincache_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string directory = pattern;
    std::string windowsDirectory = "Z:" + directory;
    for (char& c : windowsDirectory)
        if (c == '/')
            c = '\\';

    WriteBuffer record;
    writeString(record, u"Packages/Default/Default.keymap");
    ASSERT_TRUE(writeCacheFile(toUstring(windowsDirectory + "\\Summary.cache"), kSyntaxSummaryCacheVersion, record));

    ReadBuffer read;
    ASSERT_TRUE(readCacheFile(toUstring(windowsDirectory + "\\SUMMARY.CACHE"), kSyntaxSummaryCacheVersion, read));
    ustring text;
    readString(read, text);
    EXPECT_EQ(text, u"Packages/Default/Default.keymap");

    EXPECT_FALSE(readCacheFile(toUstring(windowsDirectory + "\\absent.cache"), kSyntaxSummaryCacheVersion, read));

    std::remove((directory + "/Summary.cache").c_str());
    rmdir(directory.c_str());
}

} // namespace
