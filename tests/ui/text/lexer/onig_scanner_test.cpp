#include "ui/text/lexer/onig_scanner.h"

#include <string>
#include <vector>

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
        {u"b", u"\u00e9\u20acab", 1, true, 3, 4},     // after two- and three-byte characters
        {u"(?<=\u20ac)a", u"\u00e9\u20aca", 2, true, 2, 3}, // look-behind over them
        {u"\u20ac+", u"x\u20ac\u20ac", 0, true, 1, 3},
        {u".b", u"a\U0001F600b", 1, true, 1, 4},        // a pair is one character
        {u"\\x{1F600}", u"a\U0001F600", 0, true, 1, 3},
        {u"b", u"\xd800" u"ab", 0, true, 2, 3},       // a lone surrogate is a character
        {u"[\\x{D800}-\\x{DBFF}]", u"a\xd800", 0, true, 1, 2},
        {u"\\w+", u"-\u00e9t\u00e9-", 0, true, 1, 4},
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

TEST(OnigScanner, EmptyRangeMatchesAtStartOnly)
{
    struct Case {
        const char16_t* pattern;
        size_t start;
        bool found;
    };
    const Case cases[] = {
        {u"if", 2, true},          // a required literal right at the start
        {u"if", 1, false},         // ... but not further on
        {u".*\\{", 0, true},     // a literal after a repeat
        {u"(?<=if)", 4, true},     // an empty match
    };
    ustring text = u"x if {";
    const uchar* begin = text.data();
    const uchar* end = begin + text.size();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern, c.pattern + std::char_traits<char16_t>::length(c.pattern)));
        slate::SP<OnigRegexRef> regex = onigScanner().compile(c.pattern);
        MatchRegion region;
        const uchar* start = begin + c.start;
        EXPECT_EQ(onigScanner().search(*regex, start, start, begin, end, region, true), c.found);
        if (c.found)
            EXPECT_EQ(region.begin(0), static_cast<int>(c.start));
    }
}

TEST(OnigScanner, TextChangedInPlaceIsSearchedAfresh)
{
    // The engine's copy of a text is kept for the searches that follow;
    // new content at the same place must not be searched in the old form.
    ustring text = u"aab";
    slate::SP<OnigRegexRef> regex = onigScanner().compile(u"b");
    MatchRegion region;
    const uchar* begin = text.data();
    const uchar* end = begin + text.size();
    ASSERT_TRUE(onigScanner().search(*regex, begin, end, begin, end, region, true));
    EXPECT_EQ(region.begin(0), 2);
    text[0] = u'b';
    ASSERT_TRUE(onigScanner().search(*regex, begin, end, begin, end, region, true));
    EXPECT_EQ(region.begin(0), 0);
    text[0] = u'\u00e9';
    ASSERT_TRUE(onigScanner().search(*regex, begin, end, begin, end, region, true));
    EXPECT_EQ(region.begin(0), 2);

    // A held text is trusted until released, and compared again after.
    region.holdText(begin, end);
    ASSERT_TRUE(onigScanner().search(*regex, begin, end, begin, end, region, true));
    EXPECT_EQ(region.begin(0), 2);
    region.releaseText();
    text[0] = u'b';
    ASSERT_TRUE(onigScanner().search(*regex, begin, end, begin, end, region, true));
    EXPECT_EQ(region.begin(0), 0);
}

struct SetCase {
    const char* name;
    std::vector<const char16_t*> patterns;
    const char16_t* text;
    int start;
    int rangeEnd; // -1: the text end
    bool allowEmpty;
    int expectedIndex; // -1: no match
    int expectedBegin;
    int expectedEnd;
};

TEST(OnigScanner, SetSearchFindsTheLeftmostMatchEarliestRegexFirst)
{
    const SetCase cases[] = {
        {"leftmost wins", {u"c", u"b"}, u"abc", 0, -1, true, 1, 1, 2},
        {"earlier regex wins a tie", {u"bc", u"b"}, u"abc", 0, -1, true, 0, 1, 3},
        {"none matches", {u"x", u"y"}, u"abc", 0, -1, true, -1, 0, 0},
        {"from inside the text", {u"a", u"(?<=a)b"}, u"abab", 1, -1, true, 1, 1, 2},
        {"not beyond the range end", {u"c", u"x"}, u"abc", 0, 1, true, -1, 0, 0},
        {"only at the start when the range is empty", {u"b", u"a"}, u"aab", 1, 1, true, 1, 1, 2},
        {"at the text end", {u"x", u"$"}, u"ab", 2, 2, true, 1, 2, 2},
        {"no empty match without allowEmpty", {u"a*", u"b"}, u"xb", 0, -1, false, 1, 1, 2},
        {"empty match with allowEmpty", {u"a*", u"b"}, u"xb", 0, -1, true, 0, 0, 0},
        {"after non-ASCII text", {u"x", u"\u20ac?b"}, u"\u00e9\u20acb", 0, -1, true, 1, 1, 3},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<slate::SP<OnigRegexRef>> regexes;
        for (const char16_t* pattern : c.patterns)
            regexes.push_back(onigScanner().compile(pattern));
        slate::SP<OnigRegexSetRef> set = onigScanner().compileSet(regexes);
        ASSERT_TRUE(set.get());
        ustring text = c.text;
        const uchar* begin = text.data();
        const uchar* end = begin + text.size();
        MatchRegion region;
        const int index = onigScanner().searchSet(*set, begin + c.start,
                                                  c.rangeEnd < 0 ? end : begin + c.rangeEnd,
                                                  begin, end, region, c.allowEmpty);
        ASSERT_EQ(index, c.expectedIndex);
        if (index >= 0) {
            EXPECT_EQ(region.begin(0), c.expectedBegin);
            EXPECT_EQ(region.end(0), c.expectedEnd);
        }
    }
}

TEST(OnigScanner, SetLeavesItsRegexesUsable)
{
    slate::SP<OnigRegexRef> regex = onigScanner().compile(u"(b)");
    {
        slate::SP<OnigRegexSetRef> set =
            onigScanner().compileSet({onigScanner().compile(u"x"), regex});
        ASSERT_TRUE(set.get());
    }
    ustring text = u"ab";
    MatchRegion region;
    const uchar* begin = text.data();
    const uchar* end = begin + text.size();
    ASSERT_TRUE(onigScanner().search(*regex, begin, end, begin, end, region, true));
    EXPECT_EQ(region.begin(1), 1);
}

} // namespace
