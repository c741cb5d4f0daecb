#include "filesystem/path_parts.h"

#include <gtest/gtest.h>

#include "ui/unicode.h"

namespace {

TEST(PathParts, SplitPathGivesDirectoryNameStemAndExtension)
{
    struct Case {
        const char16_t* path;
        char16_t separator;
        const char16_t* directory;
        const char16_t* name;
        const char16_t* stem;
        const char16_t* extension;
    };
    const Case cases[] = {
        {u"dir/file.tar.gz", u'/', u"dir", u"file.tar.gz", u"file.tar", u"gz"},
        {u"a/b/.svn", u'/', u"a/b", u".svn", u".svn", u""},
        {u"a/name.", u'/', u"a", u"name.", u"name", u""},
        {u"dir/", u'/', u"", u"dir", u"dir", u""},
        {u"plain", u'/', u"", u"plain", u"plain", u""},
        {u"", u'/', u"", u"", u"", u""},
        {u"C:\\x\\y.txt", u'\\', u"C:\\x", u"y.txt", u"y", u"txt"},
        {u"C:\\x/y.txt", u'\\', u"C:", u"x/y.txt", u"x/y", u"txt"},
        {u"/root.cfg", u'/', u"", u"root.cfg", u"root", u"cfg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.path));
        ustring path = c.path;
        PathParts parts = splitPath(path, c.separator);
        EXPECT_EQ(ustring(c.directory), parts.directory.str());
        EXPECT_EQ(ustring(c.name), parts.name.str());
        EXPECT_EQ(ustring(c.stem), parts.stem.str());
        EXPECT_EQ(ustring(c.extension), parts.extension.str());
        EXPECT_EQ(ustring(c.stem), pathStem(path, c.separator).str());
        EXPECT_EQ(ustring(c.extension), pathExtension(path, c.separator).str());
        EXPECT_EQ(ustring(c.name), pathFileName(path, c.separator).str());
        EXPECT_EQ(ustring(c.directory), pathDirectory(path, c.separator).str());
    }
}

TEST(PathParts, ReplaceExtensionReplacesOrAppends)
{
    struct Case {
        const char16_t* path;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"a/b.txt", u"a/b.aff"}, {u"a/b.", u"a/b.aff"},   {u"a/b", u"a/b.aff"},
        {u"a/b/", u"a/b.aff"},    {u"a/b.c.d", u"a/b.c.aff"}, {u"", u""},
        {u"a/", u"a.aff"},        {u".hidden", u".hidden.aff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.path));
        ustring path = c.path;
        EXPECT_EQ(ustring(c.expected), replaceExtension(path, u"aff", u'/'));
        EXPECT_EQ(ustring(c.expected), replaceExtension(path, u'/', u"aff"));
    }
}

TEST(PathParts, ToBackslashesTurnsEverySlash)
{
    ustring path = u"C:/a/b\\c/";
    toBackslashes(path);
    EXPECT_EQ(u"C:\\a\\b\\c\\", path);
    ustring empty;
    toBackslashes(empty);
    EXPECT_EQ(u"", empty);
}

} // namespace
