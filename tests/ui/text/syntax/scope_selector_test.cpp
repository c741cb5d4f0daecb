#include "ui/text/syntax/scope_selector.h"

#include <exception>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/arena_allocator.h"
#include "ui/log.h"
#include "ui/text/parse_exception.h"
#include "ui/text/scope_name_pool.h"
#include "ui/unicode.h"

namespace {

// A string inside script source, innermost scope first.
const char16_t kStringInSource[] = u"string.quoted.double.js source.js ";

struct MatchCase {
    const char16_t* selector;
    const char16_t* scope;
    bool matched;
    int start; // checked when matched
    int end;   // checked when matched
};

TEST(ScopeSelector, MatchesScopeStrings)
{
    const MatchCase cases[] = {
        // A name matches a whole scope name or a prefix of one ending at a dot.
        {u"string", kStringInSource, true, 0, 6},
        {u"string.quoted", kStringInSource, true, 0, 13},
        {u"string.quoted.double.js", kStringInSource, true, 0, 23},
        {u"string.quo", kStringInSource, false, 0, 0},
        {u"string", u"strings ", false, 0, 0},
        {u"quoted", kStringInSource, false, 0, 0},
        {u"js", kStringInSource, false, 0, 0},
        // Outer scopes match from the blank in front of them.
        {u"source", kStringInSource, true, 23, 30},
        {u"source.js", kStringInSource, true, 23, 33},
        // Paths are written outermost first; scopes may lie between names.
        {u"source.js string", kStringInSource, true, 0, 33},
        {u"string source.js", kStringInSource, false, 0, 0},
        {u"source string", u"string.quoted meta.embedded source.js ", true, 0, 34},
        {u"  source   string  ", kStringInSource, true, 0, 30},
        // Exclusions.
        {u"source - string", u"source.js ", true, 0, 6},
        {u"source - string", kStringInSource, false, 0, 0},
        {u"source -string", kStringInSource, false, 0, 0},
        {u"source - string.quoted.single", kStringInSource, true, 23, 30},
        {u"source - comment - string", kStringInSource, false, 0, 0},
        {u"source - (comment | string)", kStringInSource, false, 0, 0},
        {u"source - meta string", kStringInSource, true, 23, 30},
        {u"source - meta string", u"string.quoted meta.embedded source.js ", false, 0, 0},
        // A "-" inside a name is part of the name.
        {u"source-string", kStringInSource, false, 0, 0},
        {u"source-string", u"source-string.x ", true, 0, 13},
        // Brackets group paths; only the ends of a part are brackets.
        {u"(string|comment)", u"comment.line ", true, 0, 7},
        {u"(string|comment) source", kStringInSource, true, 0, 6},
        {u"(string|comment) source", u"comment.line source.js ", false, 0, 0},
        {u"(string|comment) source", u"source.x comment) ", true, 0, 17},
        // Alternatives: the leftmost match of any of them.
        {u"comment, string", kStringInSource, true, 0, 6},
        {u"source, string", kStringInSource, true, 0, 6},
        {u"comment, keyword", kStringInSource, false, 0, 0},
        {u"source - comment, string", kStringInSource, true, 0, 6},
        {u"comment, source - string", u"comment.line source.js ", true, 0, 7},
        // Names holding regex characters match literally.
        {u"source.c++", u"source.c++ ", true, 0, 10},
        {u"source.c++", u"source.cxx ", false, 0, 0},
        {u"a.b", u"axb ", false, 0, 0},
        {u"meta.(", u"meta.( ", true, 0, 6},
        // Empty alternatives match nothing.
        {u"a, ,b", u"c ", false, 0, 0},
        {u"a, ,b", u"b.x ", true, 0, 1},
        {u"(string| )", u"keyword ", false, 0, 0},
        // An alternative of exclusions only matches where none occurs, ranked
        // at the end of the scope string.
        {u"keyword, -string", u"comment.line ", true, 13, 13},
        {u"keyword, -string", kStringInSource, false, 0, 0},
        {u"-string", u"-string.x ", true, 0, 7},
        // Selectors that name nothing.
        {u"", kStringInSource, false, 0, 0},
        {u" , ,, ", kStringInSource, false, 0, 0},
        {u"()", kStringInSource, false, 0, 0},
        {u"string", u"", false, 0, 0},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.selector)) + " against \"" + toUtf8(ustring(c.scope)) + "\"");
        CompiledSelector selector = compileSelector(ustring(c.selector));
        SelectorMatch match = matchNameStack(selector, ustring(c.scope));
        EXPECT_EQ(c.matched, match.matched);
        EXPECT_EQ(c.matched, selectorMatches(selector, ustring(c.scope)));
        if (c.matched && match.matched) {
            EXPECT_EQ(c.start, match.start);
            EXPECT_EQ(c.end, match.end);
        }
    }
}

TEST(ScopeSelector, SelectorsNamingNothingAreEmpty)
{
    for (const char16_t* text : {u"", u",", u" , ,, ", u"()", u"(|)", u"( | )", u" - "}) {
        SCOPED_TRACE(toUtf8(ustring(text)));
        EXPECT_TRUE(compileSelector(ustring(text)).empty());
    }
    EXPECT_FALSE(compileSelector(u"a, ,b").empty());
    EXPECT_TRUE(CompiledSelector().empty());
    EXPECT_FALSE(selectorMatches(CompiledSelector(), kStringInSource));
}

TEST(ScopeSelector, UnpairedSurrogateIsRefusedWithItsOffset)
{
    struct Case {
        ustring selector;
        const char* message;
    };
    const uchar high = 0xD800, low = 0xDFDF;
    const Case cases[] = {
        {ustring(u"string") + high, "Scope selector holds an unpaired surrogate at offset 6"},
        // A lone low surrogate in a later alternative, as fuzzing found it.
        {ustring(u"  ,") + low + low + u" - source", "Scope selector holds an unpaired surrogate at offset 3"},
        {ustring(u"a") + high + u" b", "Scope selector holds an unpaired surrogate at offset 1"},
        {ustring(u"(a|") + high + low + low + u")", "Scope selector holds an unpaired surrogate at offset 5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            compileSelector(c.selector);
            ADD_FAILURE() << "no exception";
        } catch (const ParseException& error) {
            EXPECT_STREQ(c.message, error.what());
        }
    }
    // A well-formed pair outside the basic plane is an ordinary name.
    const ustring pair = u"meta.\U0001F600";
    EXPECT_TRUE(selectorMatches(compileSelector(pair), pair + u" source "));
}

TEST(ScopeSelector, MatchesAScopeStringViewedInPlace)
{
    // Interned scope strings are viewed in their pool's arena, not copied.
    const ustring pool = u"xxstring.quoted source.js yy";
    slate::usubstring scope(pool.data() + 2, pool.data() + 26);
    SelectorMatch match = matchNameStack(compileSelector(u"source string"), scope);
    ASSERT_TRUE(match.matched);
    EXPECT_EQ(0, match.start);
    EXPECT_EQ(20, match.end);
    EXPECT_FALSE(selectorMatches(compileSelector(u"yy"), scope));
}

TEST(ScopeSelector, MatchesInternedScopeRecords)
{
    ArenaAllocator arena;
    ScopeNamePool pool(arena);
    const ScopeRecord* inString = pool.intern(ustring(kStringInSource));
    const ScopeRecord* inSource = pool.intern(ustring(u"source.js "));
    RegexSelectorSet set;
    set.add(compileSelector(u"source"));
    set.add(compileSelector(u"source string"));
    EXPECT_EQ(1, set.bestMatch(inString->text));
    EXPECT_EQ(0, set.bestMatch(inSource->text));
}

TEST(ScopeSelector, MatchesLongScopeStrings)
{
    ustring scope;
    for (int i = 0; i < 100; ++i)
        scope += u"meta.block.c ";
    scope += u"source.c ";
    SelectorMatch match = matchNameStack(compileSelector(u"source.c meta.block"), scope);
    ASSERT_TRUE(match.matched);
    EXPECT_EQ(0, match.start);
    EXPECT_EQ(static_cast<int32_t>(scope.size()) - 1, match.end);
}

struct RankCase {
    std::vector<const char16_t*> selectors;
    const char16_t* scope;
    std::vector<int> ranked; // allMatches; the first is bestMatch
};

TEST(ScopeSelector, SetsRankByDepthThenLength)
{
    const RankCase cases[] = {
        // The deeper scope wins.
        {{u"source", u"string"}, kStringInSource, {1, 0}},
        {{u"source", u"meta.embedded", u"string"}, u"string.quoted meta.embedded source.js ", {2, 1, 0}},
        // At the same depth the longer match wins.
        {{u"string", u"string.quoted"}, kStringInSource, {1, 0}},
        {{u"string", u"keyword", u"string.quoted"}, kStringInSource, {2, 0}},
        {{u"string", u"source string"}, kStringInSource, {1, 0}},
        {{u"source.js string", u"source string.quoted.double"}, kStringInSource, {0, 1}},
        // Equal rank keeps the earlier selector.
        {{u"string", u"string"}, kStringInSource, {0, 1}},
        {{u"comment, string", u"string, keyword"}, kStringInSource, {0, 1}},
        // An alternative with exclusions ranks by where its include matched.
        {{u"source - string", u"comment"}, u"comment.line.js source.js ", {1, 0}},
        {{u"comment", u"source - string"}, u"comment.line.js source.js ", {0, 1}},
        {{u"source - keyword", u"source.js - string"}, u"comment.line source.js ", {1, 0}},
        {{u"keyword, source - string", u"comment"}, u"comment.line source.js ", {1, 0}},
        // An alternative of exclusions only ranks last.
        {{u"keyword, -string", u"source"}, u"comment.line source.js ", {1, 0}},
        // Selectors that do not match, or name nothing, are left out.
        {{u"keyword"}, kStringInSource, {}},
        {{u"", u"string", u"a, ,b"}, kStringInSource, {1}},
        {{}, kStringInSource, {}},
    };
    for (const RankCase& c : cases) {
        RegexSelectorSet set;
        std::string trace;
        for (const char16_t* text : c.selectors) {
            set.add(compileSelector(ustring(text)));
            trace += "[" + toUtf8(ustring(text)) + "] ";
        }
        SCOPED_TRACE(trace + "against \"" + toUtf8(ustring(c.scope)) + "\"");
        std::vector<int> indices = {42};
        set.allMatches(ustring(c.scope), indices);
        EXPECT_EQ(c.ranked, indices);
        EXPECT_EQ(c.ranked.empty() ? -1 : c.ranked.front(), set.bestMatch(ustring(c.scope)));
        EXPECT_EQ(!c.ranked.empty(), set.anyMatch(ustring(c.scope)));
    }
}

TEST(ScopeSelector, SetKeepsIndicesOfEmptySelectors)
{
    RegexSelectorSet set;
    set.add(CompiledSelector());
    set.add(compileSelector(u"string"));
    ASSERT_EQ(2u, set.size());
    EXPECT_TRUE(set[0].empty());
    EXPECT_EQ(1, set.bestMatch(kStringInSource));
    set.clear();
    EXPECT_TRUE(set.empty());
    EXPECT_EQ(-1, set.bestMatch(kStringInSource));
}

TEST(ScopeSelector, CopiesShareTheCompiledForm)
{
    CompiledSelector original = compileSelector(u"string");
    CompiledSelector copy = original;
    EXPECT_EQ(original.compiled(), copy.compiled());
    EXPECT_TRUE(selectorMatches(copy, kStringInSource));
}

class CollectingListener : public DebugListener {
public:
    void message(const uchar* text) override { messages.push_back(text); }
    std::vector<ustring> messages;
};

TEST(ScopeSelector, RegexFailureIsLoggedAndCountsAsNoMatch)
{
    // The regex library refuses to read a broken surrogate pair.
    ustring scope = u"string.quoted source.js ";
    scope.insert(scope.begin(), static_cast<uchar>(0xDC00));
    CompiledSelector selector = compileSelector(u"string");

    CollectingListener listener;
    addDebugListener(&listener);
    SelectorMatch match = matchNameStack(selector, scope);
    RegexSelectorSet set;
    set.add(selector);
    set.add(CompiledSelector());
    int best = set.bestMatch(scope);
    removeDebugListener(&listener);

    EXPECT_FALSE(match.matched);
    EXPECT_EQ(-1, best);
    ASSERT_EQ(2u, listener.messages.size());
    EXPECT_EQ(0u, listener.messages.front().rfind(u"error in regex: ", 0));
}

} // namespace
