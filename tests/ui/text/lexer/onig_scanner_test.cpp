#include "ui/text/lexer/onig_scanner.h"

#include <string>

#include <gtest/gtest.h>

#include "ui/unicode.h"

namespace {

std::string narrow(const ustring& text) { return toUtf8(text); }

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string compileError(const ustring& pattern)
{
    try {
        onigScanner().compile(pattern);
    } catch (const oniguruma::regex_error& error) {
        return error.what();
    }
    return "(compiled)";
}

TEST(OnigScanner, CompileErrorNamesEngineMessageAndPattern)
{
    EXPECT_EQ(compileError(u"("), "end pattern with unmatched parenthesis in regex (");
    EXPECT_TRUE(endsWith(compileError(u"[\u00e9"), " in regex [\xc3\xa9"));
}

TEST(OnigScanner, PlainGroupsCaptureBesideNamedOnes)
{
    EXPECT_EQ(onigScanner().compile(u"(?<name>a)(b)(?:c)")->captureCount(), 2);
    EXPECT_EQ(onigScanner().compile(u"abc")->captureCount(), 0);
}

TEST(OnigScanner, RegexErrorKeepsWideMessageAsUtf8)
{
    EXPECT_STREQ(oniguruma::regex_error(ustring(u"bad \u00e9")).what(), "bad \xc3\xa9");
    EXPECT_STREQ(oniguruma::regex_error(std::string("no regex")).what(), "no regex");
}

struct SearchCase {
    const char16_t* pattern;
    const char16_t* text;
    int start;
    bool allowEmpty;
    int expectedBegin; // -1: no match
    int expectedEnd;
};

// Searches start inside the text; anchors and look-behind see all of it.
TEST(OnigScanner, SearchFromInsideTheText)
{
    const SearchCase cases[] = {
        {u"^a", u"ab\ncd", 0, true, 0, 1},
        {u"^b", u"ab\ncd", 1, true, -1, -1},   // not a line start, though the search starts there
        {u"^c", u"ab\ncd", 1, true, 3, 4},     // after a line break
        {u"\\Gb", u"ab", 1, true, 1, 2},       // \G is the search start
        {u"\\Ab", u"ab", 1, true, -1, -1},     // \A is the text start
        {u"(?<=a)b", u"ab", 1, true, 1, 2},    // look-behind reads before the start
        {u"a*", u"baa", 0, true, 0, 0},        // empty match at the start
        {u"a*", u"baa", 0, false, 1, 3},       // not without allowEmpty
        {u"x*", u"ab", 0, false, -1, -1},
        {u"$", u"ab", 0, true, 2, 2},          // the text end can be matched
        {u"\\h+", u"xy1f", 0, true, 2, 4},     // Ruby syntax: \h is a hexadecimal digit
        {u"a", u"\U0001F600a", 0, true, 2, 3}, // positions in UTF-16 units
    };
    for (const SearchCase& c : cases) {
        SCOPED_TRACE(narrow(c.pattern) + " in " + narrow(c.text));
        ustring text = c.text;
        slate::SP<OnigRegexRef> regex = onigScanner().compile(c.pattern);
        MatchRegion region;
        const uchar* begin = text.data();
        const uchar* end = begin + text.size();
        bool found = onigScanner().search(*regex, begin + c.start, end, begin, end, region,
                                          c.allowEmpty);
        ASSERT_EQ(found, c.expectedBegin >= 0);
        EXPECT_EQ(region.textStart(), begin);
        if (found) {
            EXPECT_EQ(region.begin(0), c.expectedBegin);
            EXPECT_EQ(region.end(0), c.expectedEnd);
        }
    }
}

TEST(OnigScanner, GroupThatDidNotTakePartReadsMinusOne)
{
    ustring text = u"xac";
    slate::SP<OnigRegexRef> regex = onigScanner().compile(u"a(b)?(c)");
    MatchRegion region;
    const uchar* begin = text.data();
    const uchar* end = begin + text.size();
    ASSERT_TRUE(onigScanner().search(*regex, begin, end, begin, end, region, true));
    ASSERT_EQ(region.count(), 3);
    EXPECT_EQ(region.begin(1), -1);
    EXPECT_EQ(region.end(1), -1);
    EXPECT_EQ(region.begin(2), 2);
    EXPECT_EQ(region.end(2), 3);
}

TEST(OnigScanner, RangeEndLimitsWhereAMatchMayBegin)
{
    ustring text = u"abab";
    slate::SP<OnigRegexRef> regex = onigScanner().compile(u"b");
    MatchRegion region;
    const uchar* begin = text.data();
    const uchar* end = begin + text.size();
    EXPECT_FALSE(onigScanner().search(*regex, begin, begin + 1, begin, end, region, true));
    ASSERT_TRUE(onigScanner().search(*regex, begin + 2, end, begin, end, region, true));
    EXPECT_EQ(region.begin(0), 3);
}

} // namespace
