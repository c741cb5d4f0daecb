#include <gtest/gtest.h>

#include <string>

#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/cache_file.h"
#include "ui/unicode.h"

namespace {

// Under Wine the cache is named by a Windows path: drive letter, backslashes
// and letters in another case than on disk all resolve to the same file.
TEST(CacheFileWin32, WindowsPathRoundTrips)
{
    const test_support::ScratchFolder folder("vantrel-wincache");
    const std::string windowsDirectory = toUtf8(test_support::programPath(folder.path()));

    WriteBuffer record;
    writeString(record, u"Packages/Default/Default.keymap");
    ASSERT_TRUE(writeCacheFile(toUstring(windowsDirectory + "\\Summary.cache"), kSyntaxSummaryCacheVersion, record));

    ReadBuffer read;
    ASSERT_TRUE(readCacheFile(toUstring(windowsDirectory + "\\SUMMARY.CACHE"), kSyntaxSummaryCacheVersion, read));
    ustring text;
    readString(read, text);
    EXPECT_EQ(text, u"Packages/Default/Default.keymap");

    EXPECT_FALSE(readCacheFile(toUstring(windowsDirectory + "\\absent.cache"), kSyntaxSummaryCacheVersion, read));
}

} // namespace
