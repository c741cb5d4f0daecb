#include "texteditor/file_spec.h"

#include <gtest/gtest.h>

#include "filesystem/file_utils.h"
#include "support/scratch_folder.h"
#include "ui/unicode.h"

namespace {

TEST(FileSpec, SplitsALineAndAColumnOffThePath)
{
    constexpr int32_t none = FileSpec::kNoPosition;
    struct Case {
        const char16_t* spec;
        const char16_t* path;
        int32_t line;
        int32_t column;
    } cases[] = {
        {u"a.txt", u"a.txt", none, none},
        {u"a.txt:12", u"a.txt", 12, none},
        {u"a.txt:12:5", u"a.txt", 12, 5},
        {u"C:\\a.txt:3:5", u"C:\\a.txt", 3, 5},
        {u"C:\\src\\a.txt", u"C:\\src\\a.txt", none, none},
        {u"C:\\src\\a.txt:7", u"C:\\src\\a.txt", 7, none},
        // A drive letter alone before a number is still a drive letter.
        {u"C:3", u"C:3", none, none},
        // Zeros are positions; opening treats them as the first line or column.
        {u"a.txt:0", u"a.txt", 0, none},
        {u"a.txt:0:0", u"a.txt", 0, 0},
        // A run of colons separates like one.
        {u"a.txt::12", u"a.txt", 12, none},
        {u"a.txt:12::5", u"a.txt", 12, 5},
        {u"C:\\a.txt::3", u"C:\\a.txt", 3, none},
        // Anything else is a literal name, whole.
        {u"a.txt:x", u"a.txt:x", none, none},
        {u"notes:draft.txt", u"notes:draft.txt", none, none},
        {u"notes:x:4", u"notes:x:4", none, none},
        {u"a.txt:1:2:3", u"a.txt:1:2:3", none, none},
        {u"a.txt:", u"a.txt:", none, none},
        {u"::", u"::", none, none},
        {u"", u"", none, none},
        {u"a.txt:99999999999", u"a.txt:99999999999", none, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.spec)));
        const FileSpec spec = parseFileSpec(c.spec);
        EXPECT_EQ(ustring(c.path), spec.path);
        EXPECT_EQ(c.line, spec.line);
        EXPECT_EQ(c.column, spec.column);
    }
}

class LocateFile : public testing::Test {
protected:
    void SetUp() override { m_previousDirectory = currentDirectory(); }
    void TearDown() override { setCurrentDirectory(m_previousDirectory); }

    ustring folderPath(const char* name) const { return toUstring((m_folder / name).string()); }

    test_support::ScratchFolder m_folder{"vantrel-locate"};
    ustring m_previousDirectory;
};

// A relative name in a tool's output is found from a subfolder of where
// the file lies; a folder of that name on the way is not a file.
TEST_F(LocateFile, WalksUpTheParentsOfTheCurrentDirectory)
{
    const ustring target = m_folder.write("top/notes.txt", "x");
    m_folder.makeFolder("top/mid/notes.txt");
    m_folder.makeFolder("top/mid/low");
    const ustring near = m_folder.write("top/mid/low/near.txt", "y");
    ASSERT_TRUE(setCurrentDirectory(folderPath("top/mid/low")));

    EXPECT_EQ(target, locateFile(u"notes.txt"));
    EXPECT_EQ(near, locateFile(u"near.txt"));
    EXPECT_EQ(u"", locateFile(u"absent-everywhere.txt"));
}

TEST_F(LocateFile, TakesAnAbsoluteNameOnlyWhenItIsAFile)
{
    const ustring file = m_folder.write("a.txt", "x");
    EXPECT_EQ(file, locateFile(file));
    EXPECT_EQ(u"", locateFile(folderPath("missing.txt")));
    EXPECT_EQ(u"", locateFile(toUstring(m_folder.path().string())));
    EXPECT_EQ(u"", locateFile(u""));
}

} // namespace
