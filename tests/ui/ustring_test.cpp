#include <gtest/gtest.h>

#include <sstream>

#include "ui/ustring.h"

using slate::substring;
using slate::usubstring;

TEST(Usubstring, Lookups)
{
    const ustring text = u"a.b/c.d";
    const usubstring view(text);
    EXPECT_EQ(view.find(u'.'), text.data() + 1);
    EXPECT_EQ(view.rfind(u'.'), text.data() + 5);
    EXPECT_EQ(view.find(u'x'), nullptr);
    EXPECT_EQ(view.find_first_of(u"/."), text.data() + 1);
    EXPECT_EQ(view.find_last_of(u"/b"), text.data() + 3);
    EXPECT_EQ(view.find_last_of(u"xyz"), nullptr);
    EXPECT_EQ(usubstring().rfind(u'a'), nullptr);
    EXPECT_EQ(usubstring(u"nul-terminated").length(), 14u);
}

TEST(Usubstring, FindNoCase)
{
    const ustring text = u"Hello World";
    const usubstring view(text);
    EXPECT_EQ(view.findNoCase(u"WORLD"), text.data() + 6);
    EXPECT_EQ(view.findNoCase(u""), text.data());
    EXPECT_EQ(view.findNoCase(u"Hello World!"), nullptr);
    EXPECT_EQ(view.findNoCase(u"worlds"), nullptr);
}

TEST(Usubstring, ComparisonsAndAffixes)
{
    const usubstring word(u"Name.TXT");
    EXPECT_TRUE(word.equals(u"Name.TXT"));
    EXPECT_FALSE(word.equals(u"Name.TX"));
    EXPECT_TRUE(word == usubstring(u"Name.TXT"));
    EXPECT_TRUE(word.equalsNoCase(u"name.txt"));
    EXPECT_TRUE(word.startsWith(u"Name"));
    EXPECT_FALSE(word.startsWith(u"Name.TXT+"));
    EXPECT_TRUE(word.endsWith(u".TXT"));
    EXPECT_FALSE(word.endsWith(u".txt"));
    EXPECT_TRUE(word.endsWithNoCase(u".txt"));
    EXPECT_EQ(word.substr(5).str(), u"TXT");
    EXPECT_EQ(word.substr(1, 3).str(), u"ame");
}

TEST(Usubstring, LessComparesUnitsUnsignedThenLength)
{
    const ustring high(1, uchar(0xE000));
    EXPECT_TRUE(usubstring(u"a") < usubstring(high));
    EXPECT_TRUE(usubstring(u"ab") < usubstring(u"abc"));
    EXPECT_FALSE(usubstring(u"abc") < usubstring(u"ab"));
    EXPECT_FALSE(usubstring(u"ab") < usubstring(u"ab"));
    EXPECT_TRUE(usubstring(u"aa") < usubstring(u"b"));
}

TEST(Usubstring, StreamsToWideStream)
{
    std::basic_ostringstream<char16_t> out;
    out << usubstring(u"text");
    EXPECT_EQ(out.str(), u"text");
}

TEST(Substring, NarrowCounterparts)
{
    const std::string path = "a/b/c";
    EXPECT_EQ(substring(path).rfind('/'), path.data() + 3);
    EXPECT_EQ(substring(path).rfind('x'), nullptr);
    EXPECT_EQ(substring("abc").str(), "abc");
    EXPECT_TRUE(substring("abc") == substring(std::string("abc")));
    EXPECT_TRUE(substring("a") < substring("\xc3\xa9"));
    EXPECT_TRUE(substring("ab") < substring("abc"));
    EXPECT_FALSE(substring("b") < substring("abc"));
}
