#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/comma_decimal_locale.h"
#include "ui/string_utils.h"

namespace {

std::vector<ustring> strings(const std::vector<slate::usubstring>& views)
{
    std::vector<ustring> result;
    for (const slate::usubstring& view : views)
        result.push_back(view.str());
    return result;
}


} // namespace

TEST(StringUtils, ToIntReadsLeadingInteger)
{
    struct Case {
        ustring text;
        int expected;
    };
    const Case cases[] = {
        {u"12abc", 12},      {u"abc", 0},         {u"", 0},
        {u"  \t-37 x", -37}, {u"+5", 5},          {u"- 5", 0},
        {u"2147483647", 2147483647}, {u"99999999999", 2147483647}, {u"-99999999999", -2147483647 - 1},
        {u"7\xD800", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(toInt(c.text), c.expected);
    }
}

TEST(StringUtils, ToInt64SaturatesAtItsRange)
{
    struct Case {
        ustring text;
        int64_t expected;
    };
    const Case cases[] = {
        {u"9223372036854775807", INT64_MAX},       {u"9223372036854775808", INT64_MAX},
        {u"-9223372036854775808", INT64_MIN},      {u"-99999999999999999999", INT64_MIN},
        {u" \v\f-4294967296x", -4294967296LL},     {u"x1", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(toInt64(c.text), c.expected);
    }
}

// The shared reader skips no white space: each caller skips its own kind.
TEST(StringUtils, ReadSignedDecimalReadsUtf8AndSkipsNoBlanks)
{
    const std::string digits = "-2147483649 rest";
    EXPECT_EQ(readSignedDecimal(digits.data(), digits.data() + digits.size()), -2147483649LL);
    EXPECT_EQ(saturateToInt(-2147483649LL), INT32_MIN);
    const std::string blank = " 5";
    EXPECT_EQ(readSignedDecimal(blank.data(), blank.data() + blank.size()), 0);
    // The end bounds the digits even without a terminator.
    EXPECT_EQ(readSignedDecimal(digits.data(), digits.data() + 3), -21);
}

TEST(StringUtils, ToDoubleReadsDecimalPrefix)
{
    struct Case {
        ustring text;
        double expected;
    };
    const Case cases[] = {
        {u"1.5e3", 1500},  {u"-0.25", -0.25}, {u" 2.5x", 2.5}, {u".5", 0.5},   {u"3.", 3},
        {u"1e", 1},        {u"1e+", 1},       {u"2E-2", 0.02}, {u"abc", 0},    {u"", 0},
        {u".", 0},         {u"-", 0},         {u"0x10", 0},    {u"inf", 0},    {u"nan", 0},
        {u"1,5", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_DOUBLE_EQ(toDouble(c.text), c.expected);
    }
}

TEST(StringUtils, ToDoubleIgnoresCommaDecimalLocale)
{
    EXPECT_DOUBLE_EQ(toDouble(u"1.5e3"), 1500);
    CommaDecimalLocale locale;
    if (!locale.active)
        GTEST_SKIP() << "no locale with a comma decimal separator is installed";
    EXPECT_DOUBLE_EQ(toDouble(u"1.5e3"), 1500);
    EXPECT_DOUBLE_EQ(toDouble(u"0.125"), 0.125);
}

TEST(StringUtils, IntToStringAndFormatInt)
{
    EXPECT_EQ(intToString(0), u"0");
    EXPECT_EQ(intToString(-2147483647 - 1), u"-2147483648");
    uchar small[4] = {u'x', u'x', u'x', u'x'};
    formatInt(123456, small, 4);
    EXPECT_EQ(ustring(small), u"123");
}

TEST(StringUtils, ToLowerFoldsAsciiOnly)
{
    EXPECT_EQ(toLower(u"AbZ[@\u00C9"), u"abz[@\u00C9");
}

TEST(StringUtils, ReplaceAllNeverSearchesInsertedText)
{
    ustring text = u"aaa";
    replaceAll(text, u"a", u"aa");
    EXPECT_EQ(text, u"aaaaaa");

    ustring unchanged = u"abc";
    replaceAll(unchanged, u"", u"x");
    EXPECT_EQ(unchanged, u"abc");

    ustring shrinking = u"x--y--";
    replaceAll(shrinking, u"--", u"");
    EXPECT_EQ(shrinking, u"xy");

    std::string narrow = "a.b.c";
    replaceAll(narrow, ".", "::");
    EXPECT_EQ(narrow, "a::b::c");

    ustring wide = u"caf\u00e9 caf\u00e9";
    replaceAll(wide, "\xc3\xa9", "e");
    EXPECT_EQ(wide, u"cafe cafe");

    ustring self = u"abab";
    replaceAll(self, slate::usubstring(self).substr(0, 2), u"X");
    EXPECT_EQ(self, u"XX");
}

TEST(StringUtils, EscapeAndUnescape)
{
    EXPECT_EQ(escapeString(u"a\tb\nc\r\"d\\"), u"a\\tb\\nc\r\\\"d\\\\");
    struct Case {
        ustring escaped;
        ustring plain;
    };
    const Case cases[] = {
        {u"\\q", u"q"}, {u"end\\", u"end\\"}, {u"\\n\\t", u"\n\t"}, {u"\\\\n", u"\\n"}, {u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.escaped.begin(), c.escaped.end()));
        EXPECT_EQ(unescapeString(c.escaped), c.plain);
    }
    const ustring tricky = u"say \"hi\"\t\\path\n";
    EXPECT_EQ(unescapeString(escapeString(tricky)), tricky);
}

TEST(StringUtils, TrimRemovesOnlyAsciiUnitsOfSet)
{
    // U+0120 and U+0109 have the low bytes of a blank and a TAB.
    const ustring text = u" \t\u0120x y\u0109\t ";
    EXPECT_EQ(trim(text).str(), u"\u0120x y\u0109");
    EXPECT_EQ(trimLeft(text, " ").str(), u"\t\u0120x y\u0109\t ");
    EXPECT_EQ(trimRight(text, "\t ").str(), u" \t\u0120x y\u0109");
    const ustring blanks = u"   ";
    EXPECT_TRUE(trim(blanks).empty());
}

TEST(StringUtils, SplitKeepsEmptyFieldsTokenizeDropsThem)
{
    struct Case {
        ustring text;
        std::vector<ustring> fields;
        std::vector<ustring> tokens;
    };
    const Case cases[] = {
        {u"a,,b", {u"a", u"", u"b"}, {u"a", u"b"}},
        {u",a,,b,", {u"", u"a", u"", u"b", u""}, {u"a", u"b"}},
        {u"", {u""}, {}},
        {u",;,", {u"", u"", u"", u""}, {}},
        {u"one", {u"one"}, {u"one"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        std::vector<slate::usubstring> fields;
        split(c.text, u",;", fields);
        EXPECT_EQ(strings(fields), c.fields);
        std::vector<slate::usubstring> tokens{slate::usubstring(c.text)};
        tokenize(c.text, u",;", tokens);
        tokens.erase(tokens.begin()); // appends, never clears
        EXPECT_EQ(strings(tokens), c.tokens);
    }
}

TEST(StringUtils, UrlEncode)
{
    EXPECT_EQ(urlEncode(u"a b"), "a%20b");
    EXPECT_EQ(urlEncode(u"\u00e9"), "%C3%A9");
    EXPECT_EQ(urlEncode(u"$-_.!*'(),"), "$-_.!*'(),");
    EXPECT_EQ(urlEncode(u"Az09+~/"), "Az09%2B%7E%2F");
    EXPECT_EQ(urlEncode(u"\U0001F600"), "%F0%9F%98%80");
    EXPECT_EQ(urlEncode(u"x\xDC00"), "");
}

TEST(StringUtils, WildcardMatch)
{
    struct Case {
        const uchar* pattern;
        const uchar* text;
        bool matches;
    };
    const Case cases[] = {
        {u"*.py", u"a/b.py", true},   {u"a?c", u"ac", false},      {u"a?c", u"abc", true},
        {u"abc*", u"abc", true},      {u"", u"", true},            {u"", u"a", false},
        {u"*", u"", true},            {u"**", u"anything", true},  {u"a*b*c", u"axxbyyc", true},
        {u"a*b*c", u"axxbyy", false}, {u"*ab", u"aab", true},      {u"*a*b", u"xaxxab", true},
        {u"ABC", u"abc", false},      {u"?", u"", false},          {u"a*", u"ba", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern, c.pattern + ustring(c.pattern).size()) + " / " +
                     std::string(c.text, c.text + ustring(c.text).size()));
        EXPECT_EQ(wildcardMatch(c.pattern, c.text), c.matches);
    }
    EXPECT_TRUE(wildcardMatchNoCase(u"*.PY", u"Setup.py"));
    EXPECT_FALSE(wildcardMatchNoCase(u"*.py", u"Setup.pyc"));
}

TEST(StringUtils, OpenFileUtf8WritesAndReadsBack)
{
    const std::string path = testing::TempDir() + "vantrel-h\xc3\xa9llo.txt";
    FILE* out = openFileUtf8(path, "wb");
    ASSERT_NE(out, nullptr);
    fputs("saved", out);
    fclose(out);
    FILE* in = openFileUtf8(path, "rb");
    ASSERT_NE(in, nullptr);
    char buffer[16] = {};
    EXPECT_EQ(fread(buffer, 1, sizeof buffer, in), 5u);
    fclose(in);
    EXPECT_STREQ(buffer, "saved");
    remove(path.c_str());

    EXPECT_EQ(openFileUtf8("bad\xc3", "rb"), nullptr);
    EXPECT_EQ(openFileUtf8(testing::TempDir() + "vantrel-missing/none.txt", "rb"), nullptr);
}
