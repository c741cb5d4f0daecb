#include "ui/text/lexer/multi_matcher.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/unicode.h"

namespace {

// Passes everything to the Oniguruma scanner and counts what reaches it; can
// also play an engine that ignores the not-empty request or fails searches.
class CountingScanner : public RegexScanner {
public:
    slate::SP<OnigRegexRef> compile(const slate::usubstring& pattern) override
    {
        ++compiles;
        return onigScanner().compile(pattern);
    }

    bool search(const OnigRegexRef& regex, const uchar* start, const uchar* rangeEnd,
                const uchar* textStart, const uchar* textEnd, MatchRegion& region,
                bool allowEmpty) override
    {
        ++searches;
        if (failSearches)
            throw oniguruma::regex_error(std::string("search failed"));
        return onigScanner().search(regex, start, rangeEnd, textStart, textEnd, region,
                                    allowEmpty || ignoreNotEmpty);
    }

    int compiles = 0;
    int searches = 0;
    bool ignoreNotEmpty = false;
    bool failSearches = false;
};

std::vector<slate::usubstring> views(const std::vector<const char16_t*>& patterns)
{
    return std::vector<slate::usubstring>(patterns.begin(), patterns.end());
}

// One line of text with the state a lexing run keeps around its searches.
struct Line {
    explicit Line(const char16_t* content) : text(content) {}

    int search(MultiMatcher& matcher, MatchKey key, int start, bool allowEmpty = true,
               MatchKey lineKey = 0)
    {
        const uchar* begin = text.data();
        const uchar* end = begin + text.size();
        return matcher.search(region, key, begin + start, end, begin, end, match, captures,
                              allowEmpty, lineKey);
    }

    int matchBegin() const { return static_cast<int>(match.begin - text.data()); }
    int matchEnd() const { return static_cast<int>(match.end - text.data()); }
    std::vector<ustring> captureTexts() const
    {
        std::vector<ustring> result;
        for (const slate::usubstring& capture : captures)
            result.push_back(capture.str());
        return result;
    }

    ustring text;
    MatchRegion region;
    slate::usubstring match;
    std::vector<slate::usubstring> captures;
};

struct Step {
    MatchKey key;
    int start;
    bool allowEmpty;
    int expectedIndex;
    int expectedBegin;    // when expectedIndex >= 0
    int expectedSearches; // total searches through the scanner so far
};

struct Scenario {
    const char* name;
    std::vector<const char16_t*> patterns;
    const char16_t* text;
    std::vector<Step> steps;
};

// Successive searches of one line, as the lexer makes them: which pattern
// wins, and how many regex searches it took.
TEST(MultiMatcher, SearchesLeftmostEarliestAndReusesRememberedResults)
{
    const Scenario scenarios[] = {
        {"leftmost match wins over pattern order", {u"b", u"a"}, u"xab", {{1, 0, true, 1, 1, 2}}},
        {"earlier pattern wins a tie", {u"ab", u"a"}, u"xab", {{1, 0, true, 0, 1, 2}}},
        {"earlier fresh match wins a tie against a later remembered one",
         {u"a|b", u"b"},
         u"xa b",
         {{1, 0, true, 0, 1, 2}, {1, 2, true, 0, 3, 3}}},
        {"earlier remembered match wins a tie against a later fresh one",
         {u"b", u"a|b"},
         u"xa b",
         {{1, 0, true, 1, 1, 2}, {1, 2, true, 0, 3, 3}}},
        {"remembered match ahead of the position is reused without searching",
         {u"c", u"a"},
         u"a c",
         {{1, 0, true, 1, 0, 2}, {1, 1, true, 0, 2, 3}, {1, 2, true, 0, 2, 3}}},
        {"remembered no-match is not searched again under the same key",
         {u"z", u"b"},
         u"abab",
         {{1, 0, true, 1, 1, 2}, {1, 2, true, 1, 3, 3}}},
        {"a \\G pattern that failed is searched again from a later start",
         {u"\\Gb"},
         u"ab",
         {{1, 0, true, -1, 0, 1}, {1, 1, true, 0, 1, 2}, {2, 1, true, 0, 1, 3}}},
        {"remembered match behind the position is searched again",
         {u"a"},
         u"aa",
         {{1, 0, true, 0, 0, 1}, {1, 1, true, 0, 1, 2}}},
        {"key 0 never reuses",
         {u"c", u"a"},
         u"a c",
         {{0, 0, true, 1, 0, 2}, {0, 1, true, 0, 2, 4}, {0, 2, true, 0, 2, 5}}},
        {"a result found with another allowEmpty is not reused",
         {u"c", u"a"},
         u"a c",
         {{1, 0, true, 1, 0, 2}, {1, 1, false, 0, 2, 4}}},
        {"a fresh match at the position ends the call",
         {u"a", u"b", u"c"},
         u"abc",
         {{1, 0, true, 0, 0, 1}}},
        {"no pattern matches", {u"x", u"y"}, u"abc", {{1, 0, true, -1, 0, 2}}},
    };
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        CountingScanner scanner;
        MultiMatcher matcher(views(scenario.patterns), scanner);
        Line line(scenario.text);
        for (size_t i = 0; i < scenario.steps.size(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i + 1));
            const Step& step = scenario.steps[i];
            int index = line.search(matcher, step.key, step.start, step.allowEmpty);
            EXPECT_EQ(index, step.expectedIndex);
            if (index >= 0 && step.expectedIndex >= 0) {
                EXPECT_EQ(line.matchBegin(), step.expectedBegin);
            }
            EXPECT_EQ(scanner.searches, step.expectedSearches);
        }
    }
}

TEST(MultiMatcher, GroupThatDidNotTakePartGivesEmptyPair)
{
    MultiMatcher matcher(views({u"a(b)?(c)"}));
    Line line(u"xac");
    ASSERT_EQ(line.search(matcher, 1, 0), 0);
    ASSERT_EQ(line.captures.size(), 2u);
    EXPECT_TRUE(line.captures[0].empty());
    EXPECT_EQ(line.captures[1].begin, line.text.data() + 2);
    EXPECT_EQ(line.captures[1].end, line.text.data() + 3);
}

TEST(MultiMatcher, RememberedMatchComesBackWithItsCaptures)
{
    CountingScanner scanner;
    MultiMatcher matcher(views({u"(b)(c)", u"(a)"}), scanner);
    Line line(u"abc");
    ASSERT_EQ(line.search(matcher, 1, 0), 1);
    EXPECT_EQ(line.captureTexts(), (std::vector<ustring>{u"a"}));

    ASSERT_EQ(line.search(matcher, 1, 1), 0);
    EXPECT_EQ(line.matchBegin(), 1);
    EXPECT_EQ(line.matchEnd(), 3);
    EXPECT_EQ(line.captureTexts(), (std::vector<ustring>{u"b", u"c"}));
    EXPECT_EQ(scanner.searches, 2); // a remembered match at the position needs no search
}

TEST(MultiMatcher, WinnerWithoutGroupsClearsCaptures)
{
    MultiMatcher matcher(views({u"(a)", u"b"}));
    Line line(u"ab");
    ASSERT_EQ(line.search(matcher, 1, 0), 0);
    ASSERT_EQ(line.captures.size(), 1u);
    ASSERT_EQ(line.search(matcher, 1, 1), 1);
    EXPECT_TRUE(line.captures.empty());
}

TEST(MultiMatcher, NoEmptyMatchAtTheStartWithoutAllowEmpty)
{
    struct Case {
        const char* name;
        bool engineIgnoresRequest;
        std::vector<const char16_t*> patterns;
        const char16_t* text;
        int start;
        int expectedIndex;
        int expectedBegin;
        int expectedEnd;
    };
    const Case cases[] = {
        {"empty-only pattern", false, {u"x*"}, u"ab", 0, -1, 0, 0},
        {"a longer match is still found", false, {u"a*"}, u"baa", 0, 0, 1, 3},
        {"a later pattern takes over", false, {u"(?=b)", u"b"}, u"ab", 1, 1, 1, 2},
        {"engine that returns empty matches anyway", true, {u"x*", u"b"}, u"ab", 0, 1, 1, 2},
        {"engine that returns an empty match at the start", true, {u"a?"}, u"b", 0, -1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountingScanner scanner;
        scanner.ignoreNotEmpty = c.engineIgnoresRequest;
        MultiMatcher matcher(views(c.patterns), scanner);
        Line line(c.text);
        int index = line.search(matcher, 1, c.start, false);
        EXPECT_EQ(index, c.expectedIndex);
        if (index >= 0 && c.expectedIndex >= 0) {
            EXPECT_EQ(line.matchBegin(), c.expectedBegin);
            EXPECT_EQ(line.matchEnd(), c.expectedEnd);
        }
        // The same position searched again must not find the empty match either.
        if (c.expectedIndex < 0) {
            EXPECT_EQ(line.search(matcher, 1, c.start, false), -1);
        }
    }
}

TEST(MultiMatcher, EmptyMatchAtTheStartIsFoundWithAllowEmpty)
{
    MultiMatcher matcher(views({u"x*", u"a"}));
    Line line(u"ab");
    ASSERT_EQ(line.search(matcher, 1, 0), 0);
    EXPECT_EQ(line.matchBegin(), 0);
    EXPECT_EQ(line.matchEnd(), 0);
}

std::string compileError(const std::vector<const char16_t*>& patterns)
{
    try {
        MultiMatcher matcher(views(patterns));
    } catch (const oniguruma::regex_error& error) {
        return error.what();
    }
    return "(compiled)";
}

TEST(MultiMatcher, InvalidPatternErrorEndsWithThePattern)
{
    std::string message = compileError({u"a", u"("});
    const std::string suffix = " in regex (";
    ASSERT_GE(message.size(), suffix.size());
    EXPECT_EQ(message.substr(message.size() - suffix.size()), suffix);
    EXPECT_THROW(CachedRegex(slate::usubstring(u"(")), oniguruma::regex_error);
}

class CollectingListener : public DebugListener {
public:
    CollectingListener() { addDebugListener(this); }
    ~CollectingListener() override { removeDebugListener(this); }
    void message(const uchar* text) override { messages.push_back(text); }
    std::vector<ustring> messages;
};

TEST(MultiMatcher, SearchErrorIsLoggedAndReportsNoMatchForThisCallOnly)
{
    CountingScanner scanner;
    MultiMatcher matcher(views({u"a"}), scanner);
    Line line(u"a");
    CollectingListener listener;

    scanner.failSearches = true;
    EXPECT_EQ(line.search(matcher, 1, 0), -1);
    EXPECT_EQ(listener.messages, (std::vector<ustring>{u"error in regex: search failed\n"}));

    scanner.failSearches = false;
    EXPECT_EQ(line.search(matcher, 1, 0), 0);
    EXPECT_EQ(scanner.searches, 2);
}

TEST(MultiMatcher, SearchingTheEmptyFormIsAnError)
{
    ustring text = u"a";
    MatchRegion region;
    const uchar* begin = text.data();
    const uchar* end = begin + text.size();
    try {
        onigSearch(begin, end, begin, end, region, CachedRegex(), true);
        ADD_FAILURE() << "no error";
    } catch (const oniguruma::regex_error& error) {
        EXPECT_STREQ(error.what(), "no regex");
    }
    EXPECT_TRUE(onigSearch(begin, end, begin, end, region, CachedRegex(slate::usubstring(u"a")),
                           true));
}

TEST(MultiMatcher, EqualPatternsCompileOncePerCache)
{
    CountingScanner scanner;
    RegexCache cache;
    MultiMatcher first(views({u"a", u"(b)", u"a"}), cache, scanner);
    EXPECT_EQ(scanner.compiles, 2);
    MultiMatcher second(views({u"(b)", u"c"}), cache, scanner);
    EXPECT_EQ(scanner.compiles, 3);
    EXPECT_EQ(first.entry(0).regex(), first.entry(2).regex());
    EXPECT_EQ(first.entry(1).regex(), second.entry(0).regex());

    // Shared regexes keep separate results.
    Line line(u"ba");
    ASSERT_EQ(line.search(first, 1, 0), 1);
    ASSERT_EQ(line.search(second, 1, 0), 0);
    EXPECT_EQ(line.search(second, 1, 1), -1);
    EXPECT_EQ(line.search(first, 1, 1), 0);
}

TEST(RegexCache, FindsEveryPatternAfterGrowing)
{
    std::vector<ustring> patterns;
    for (int i = 0; i < 100; ++i)
        patterns.push_back(u"p" + toUstring(std::to_string(i)));
    RegexCache cache;
    std::vector<slate::SP<OnigRegexRef>> regexes;
    for (const ustring& pattern : patterns) {
        regexes.push_back(onigScanner().compile(pattern));
        cache.insert(pattern, regexes.back());
    }
    EXPECT_EQ(cache.size(), patterns.size());
    for (size_t i = 0; i < patterns.size(); ++i)
        EXPECT_EQ(cache.find(patterns[i]), regexes[i].get());
    EXPECT_EQ(cache.find(slate::usubstring(u"p100")), nullptr);
}

TEST(MultiMatcher, MaxCapturesIsTheLargestRegionCount)
{
    EXPECT_EQ(MultiMatcher(views({u"a", u"(a)(?<n>b)", u"(c)"})).maxCaptures(), 3);
    EXPECT_EQ(MultiMatcher(views({u"a"})).maxCaptures(), 1);
    EXPECT_EQ(MultiMatcher().maxCaptures(), 0);
}

TEST(MultiMatcher, EmptyMatcherNeverMatches)
{
    MultiMatcher matcher;
    Line line(u"abc");
    EXPECT_EQ(line.search(matcher, 1, 0), -1);
}

TEST(MultiMatcher, MatchersOfOneCacheShareTheLastSearchOfARegex)
{
    // Two contexts' matchers with the same pattern, built through one cache,
    // search one line: the second search is answered from the first only
    // where the engine would give the same answer.
    struct Search {
        MatchKey key;
        int start;
        bool allowEmpty;
        bool anchorRestricted;
        int anchor; // "\\G" may match only here when restricted (-1: nowhere)
        MatchKey lineKey = 0;
    };
    struct Case {
        const char* name;
        const char16_t* pattern;
        const char16_t* text;
        Search first;
        Search second;
        int expectedBegin; // of the second search; -1: no match
        int expectedEnd;
        std::vector<ustring> expectedCaptures;
        int expectedSearches;
    };
    const Case cases[] = {
        {"match ahead is reused", u"b(c)", u"abcbc", {1, 0, true, false, 0}, {1, 1, true, false, 0},
         1, 3, {u"c"}, 1},
        {"failure is reused further on", u"z", u"abc", {1, 0, true, false, 0},
         {1, 2, true, false, 0}, -1, -1, {}, 1},
        {"match behind is searched again", u"b", u"abcb", {1, 0, true, false, 0},
         {1, 2, true, false, 0}, 3, 4, {}, 2},
        {"another key searches again", u"b", u"abc", {1, 0, true, false, 0},
         {2, 0, true, false, 0}, 1, 2, {}, 2},
        {"key 0 searches again", u"b", u"abc", {0, 0, true, false, 0}, {0, 0, true, false, 0},
         1, 2, {}, 2},
        {"key 0 with the line key reuses the line's search", u"b(c)", u"abcbc",
         {1, 0, true, false, 0}, {0, 1, true, false, 0, 1}, 1, 3, {u"c"}, 1},
        {"key 0 with the line key leaves a search for the line", u"b", u"abc",
         {0, 0, true, false, 0, 1}, {1, 1, true, false, 0}, 1, 2, {}, 1},
        {"key 0 with another line key searches again", u"b", u"abc", {1, 0, true, false, 0},
         {0, 0, true, false, 0, 2}, 1, 2, {}, 2},
        {"key 0 with the line key, anchor now allowed", u"\\Gb", u"ab",
         {1, 1, true, true, -1}, {0, 1, true, true, 1, 1}, 1, 2, {}, 2},
        {"other empty setting searches again", u"x?", u"ab", {1, 0, true, false, 0},
         {1, 0, false, false, 0}, -1, -1, {}, 2},
        {"anchor pattern from a later start", u"\\Gb", u"bb", {1, 0, true, false, 0},
         {1, 1, true, false, 0}, 1, 2, {}, 2},
        {"anchor pattern failure from a later start", u"\\Gb", u"ab", {1, 0, true, false, 0},
         {1, 1, true, false, 0}, 1, 2, {}, 2},
        {"anchor pattern where the anchor now may match", u"\\Gb", u"ab",
         {1, 1, true, true, -1}, {1, 1, true, true, 1}, 1, 2, {}, 2},
        {"anchor pattern, same search", u"\\Gb", u"ab", {1, 1, true, true, 1},
         {1, 1, true, true, 1}, 1, 2, {}, 1},
        {"escaped backslash before G is no anchor", u"\\\\Gb", u"a\\Gb\\Gb",
         {1, 0, true, false, 0}, {1, 1, true, false, 0}, 1, 4, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountingScanner scanner;
        RegexCache cache;
        MultiMatcher first(views({c.pattern}), cache, scanner);
        MultiMatcher second(views({u"other", c.pattern}), cache, scanner);
        Line line(c.text);
        auto place = [&](const Search& search) {
            if (search.anchorRestricted)
                line.region.restrictAnchor(search.anchor < 0 ? nullptr
                                                             : line.text.data() + search.anchor);
            else
                line.region.unrestrictAnchor();
        };
        place(c.first);
        line.search(first, c.first.key, c.first.start, c.first.allowEmpty, c.first.lineKey);
        place(c.second);
        int index = line.search(second, c.second.key, c.second.start, c.second.allowEmpty,
                                c.second.lineKey);
        if (c.expectedBegin < 0) {
            EXPECT_EQ(index, -1);
        } else {
            ASSERT_EQ(index, 1);
            EXPECT_EQ(line.matchBegin(), c.expectedBegin);
            EXPECT_EQ(line.matchEnd(), c.expectedEnd);
            EXPECT_EQ(line.captureTexts(), c.expectedCaptures);
        }
        // "other" is searched once by the second matcher as well.
        EXPECT_EQ(scanner.searches, c.expectedSearches + 1);
    }
}

TEST(MultiMatcher, BuildingIsTimedEvenWhenAPatternFails)
{
    double before = g_statMultiMatcher.snapshot().count;
    MultiMatcher matcher(views({u"a"}));
    compileError({u"("});
    EXPECT_EQ(g_statMultiMatcher.snapshot().count, before + 2);
}

} // namespace

namespace {

// Forwards sets to the Oniguruma scanner as well, and counts their searches.
class SetCountingScanner : public CountingScanner {
public:
    slate::SP<OnigRegexSetRef> compileSet(
        const std::vector<slate::SP<OnigRegexRef>>& regexes) override
    {
        return onigScanner().compileSet(regexes);
    }
    int searchSet(OnigRegexSetRef& set, const uchar* start, const uchar* rangeEnd,
                  const uchar* textStart, const uchar* textEnd, MatchRegion& region,
                  bool allowEmpty) override
    {
        ++setSearches;
        return onigScanner().searchSet(set, start, rangeEnd, textStart, textEnd, region,
                                       allowEmpty);
    }

    int setSearches = 0;
};

// The same searches, over and over, through a matcher that remembers its
// results and tries both ways of searching (one pattern at a time and all
// as one set) before it settles on one, and through one that searches the
// patterns one by one afresh every time (key 0 reuses nothing): both must
// answer alike whichever way the first one goes.
TEST(MultiMatcher, EveryWayOfSearchingAnswersLikeTheEngine)
{
    struct Case {
        const char* name;
        std::vector<const char16_t*> patterns;
        const char16_t* text;
        std::vector<int> starts; // searched in turn under one key
        int anchor;              // "\\G" may match only here (-1: anywhere)
    };
    const Case cases[] = {
        {"words and punctuation", {u"\\b(if|else)\\b", u"([a-z]+)", u"(\\()|(\\))", u"\\s+"},
         u"if (x) else y", {0, 2, 3, 4, 5, 6, 7, 11, 12}, -1},
        {"ties go to the earlier pattern", {u"ab", u"a", u"abc(d)?"}, u"xabcabc", {0, 3, 4, 6},
         -1},
        {"leading anchor", {u"\\G\\s*(\\w)", u"x", u"\\d"}, u"  a x 1 x", {0, 2, 3, 4, 5, 7},
         3},
        {"anchor inside a look-behind", {u"(?<=\\Ga)b", u"c"}, u"abcab", {0, 1, 2, 3}, -1},
        {"look-behind and non-ASCII", {u"(?<=\u00e9)t", u"\u20ac", u"[^\\x{0}-\\x{7F}]"},
         u"\u00e9t\u20ac\U0001F600t", {0, 1, 2, 3, 5}, -1},
        {"empty matches", {u"x*", u"$", u"a"}, u"aax", {0, 1, 2, 3}, -1},
        {"needed characters missing", {u"'''", u"\\(", u"[a-z]+"}, u"ab cd", {0, 2, 3}, -1},
        {"characters left behind one by one",
         {u"\\(", u"\\)", u"\\[", u"\\]", u";", u"[a-z]+", u"=="},
         u"(a) [b] c; d == e", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetCountingScanner bothWays;
        CountingScanner oneByOne;
        MultiMatcher matcher(views(c.patterns), bothWays);
        MultiMatcher engine(views(c.patterns), oneByOne);
        for (MatchKey key = 1; key <= 100; ++key) {
            const bool allowEmpty = key % 2 == 0;
            Line line(c.text);
            Line plainLine(c.text);
            for (Line* each : {&line, &plainLine}) {
                if (c.anchor >= 0)
                    each->region.restrictAnchor(each->text.data() + c.anchor);
            }
            for (const int start : c.starts) {
                SCOPED_TRACE(start);
                const int index = line.search(matcher, key, start, allowEmpty);
                ASSERT_EQ(index, plainLine.search(engine, 0, start, allowEmpty));
                if (index < 0)
                    continue;
                EXPECT_EQ(line.matchBegin(), plainLine.matchBegin());
                EXPECT_EQ(line.matchEnd(), plainLine.matchEnd());
                EXPECT_EQ(line.captureTexts(), plainLine.captureTexts());
            }
        }
        EXPECT_GT(bothWays.searches, 0);
        EXPECT_GT(bothWays.setSearches, 0);
    }
}

} // namespace
