#include <gtest/gtest.h>

#include <string>

#include "filesystem/file_utils.h"
#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"

namespace {

// In the Win32 build property lists are named by Windows paths, which only
// the system's file functions understand: the source is read, stamped and
// cached through them.
TEST(PlistWin32, LoadsAndCachesByWindowsPath)
{
    const test_support::ScratchFolder folder("vantrel-winplist");
    folder.write("Grammar.tmLanguage",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<plist version=\"1.0\">\r\n<dict>\r\n"
                 "\t<key>scopeName</key>\r\n\t<string>source.test</string>\r\n"
                 "\t<key>lines</key>\r\n\t<string>a\r\nb</string>\r\n</dict>\r\n</plist>\r\n");

    const ustring path = test_support::programPath(folder / "Grammar.tmLanguage");
    PlistValue value;
    ASSERT_NO_THROW(loadPlist(path, value, true));
    const auto& dict = std::any_cast<const PlistDict&>(value);
    EXPECT_EQ(u"source.test", requirePlistString(dict, u"scopeName"));
    EXPECT_EQ(u"a\nb", requirePlistString(dict, u"lines"));
    EXPECT_TRUE(isFile(path + u".cache"));

    // The cache now matches the source and is what the next load reads.
    FileStat stamp;
    ASSERT_TRUE(stamp.read(path));
    ASSERT_TRUE(writePlistCache(path + u".cache", ustring(u"from the cache"), stamp));
    PlistValue cached;
    loadPlist(path, cached, true);
    EXPECT_EQ(u"from the cache", std::any_cast<const ustring&>(cached));

    const ustring missing = test_support::programPath(folder / "Missing.tmLanguage");
    EXPECT_THROW(loadPlist(missing, value, true), ParseException);
}

} // namespace
