// Finding, selecting and replacing matches in a view, and what the status
// bar says about it.
#include "ui/text/text_buffer_find.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/notification_manager.h"
#include "ui/text/selection_printers.h"
#include "ui/text/text_function_fixture.h"
#include "ui/text/token/token_search.h"
#include "ui/unicode.h"

namespace {

using Regions = std::vector<SelectionRegion>;

FindOptions regexOptions()
{
    FindOptions options;
    options.regex = true;
    return options;
}

class FindTest : public TextFunctionTest {
protected:
    FindTest()
    {
        auto* notifications = new NotificationManager(u"Test");
        notifications->setClock([] { return 0u; });
        NotificationManager::set(notifications);
    }
    ~FindTest() override { NotificationManager::destroy(); }

    std::string status() { return toUtf8(NotificationManager::get().status()); }
    void setStatus(const char16_t* text) { NotificationManager::get().setStatus(text); }
};

TEST(BuildFindPattern, GivesTheBufferItsPatternAndFlags)
{
    struct Case {
        const char* name;
        const char16_t* text;
        bool regex, caseSensitive, wholeWord;
        const char16_t* pattern;
        uint32_t flags;
    };
    const Case cases[] = {
        {"plain text is literal and ignores case", u"a.b", false, false, false, u"a.b",
         kSearchLiteral | kSearchIgnoreCase},
        {"case sensitive", u"a.b", false, true, false, u"a.b", kSearchLiteral},
        {"a regex is passed as it is", u"a.b", true, true, false, u"a.b", 0},
        // The full stop must be escaped, since the word boundaries make the
        // pattern a regular expression.
        {"whole word escapes plain text", u"a.b", false, true, true, u"\\ba\\.b\\b", 0},
        {"whole word wraps a regex", u"a.b", true, false, true, u"\\ba.b\\b", kSearchIgnoreCase},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t flags = 99;
        EXPECT_EQ(buildFindPattern(c.text, c.regex, c.caseSensitive, c.wholeWord, flags), c.pattern);
        EXPECT_EQ(flags, c.flags);
    }
}

TEST_F(FindTest, FindAndSelectNextSelectsTheNextMatch)
{
    struct Case {
        const char* name;
        const char16_t* text;
        Regions regions;
        const char16_t* find;
        FindOptions options;
        Regions expected;
        const char* status;
    };
    FindOptions wrap;
    wrap.wrap = true;
    FindOptions reverse;
    reverse.reverse = true;
    FindOptions reverseWrap = reverse;
    reverseWrap.wrap = true;
    FindOptions wholeWord;
    wholeWord.wholeWord = true;
    FindOptions caseSensitive;
    caseSensitive.caseSensitive = true;
    const Case cases[] = {
        {"from a caret before the match", u"x abc abc", {{0, 0}}, u"abc", {}, {{2, 5}}, ""},
        {"already on a match moves on", u"abc abc", {{0, 3}}, u"abc", {}, {{4, 7}}, ""},
        {"an empty match at the caret moves on", u"a\nb", {{0, 0}}, u"^", regexOptions(), {{2, 2}}, ""},
        {"the last selection leads", u"abc abc abc", {{0, 0}, {4, 7}}, u"abc", {}, {{8, 11}}, ""},
        {"no further match without wrap", u"abc abc", {{4, 7}}, u"abc", {}, {{4, 7}},
         "Unable to find abc"},
        {"wraps to the first match", u"abc abc x", {{4, 7}}, u"abc", wrap, {{0, 3}},
         "Wrapped past end of file"},
        {"nothing at all, wrapping", u"abc", {{1, 1}}, u"z", wrap, {{1, 1}}, "Unable to find z"},
        {"reverse", u"abc abc", {{4, 7}}, u"abc", reverse, {{0, 3}}, ""},
        {"reverse wraps to the last match", u"abc abc", {{0, 3}}, u"abc", reverseWrap, {{4, 7}},
         "Wrapped past end of file"},
        {"ignores case by default", u"x ABC", {{0, 0}}, u"abc", {}, {{2, 5}}, ""},
        {"case sensitive", u"ABC abc", {{0, 0}}, u"abc", caseSensitive, {{4, 7}}, ""},
        {"whole word", u"abcd abc", {{0, 0}}, u"abc", wholeWord, {{5, 8}}, ""},
        {"whole word text with a full stop", u"axb a.b", {{0, 0}}, u"a.b", wholeWord, {{4, 7}}, ""},
        {"regex", u"a1 b22", {{2, 2}}, u"[0-9]+", regexOptions(), {{4, 6}}, ""},
        {"plain text is not a regex", u"a1 [0-9]", {{0, 0}}, u"[0-9]", {}, {{3, 8}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.text, c.regions);
        setStatus(u"old");
        const bool found = findAndSelectNext(m_view, SelectionSet(), c.find, c.options);
        EXPECT_EQ(found, std::string(c.status).rfind("Unable", 0) != 0);
        EXPECT_EQ(selections(), c.expected);
        EXPECT_EQ(status(), c.status);
    }
}

TEST_F(FindTest, FindMatchInsideTheSetSkipsMatchesOutsideIt)
{
    open(u"ab ab ab ab");
    const SelectionSet inSet = view_test::setOf({{3, 8}});
    FindOptions options;
    EXPECT_EQ(findMatch(m_view, inSet, u"ab", 0, true, options), SelectionRegion(3, 5));
    EXPECT_EQ(findMatch(m_view, inSet, u"ab", 3, true, options), SelectionRegion(6, 8));
    EXPECT_EQ(findMatch(m_view, inSet, u"ab", 6, true, options), SelectionRegion(-1, -1));
    options.wrap = true;
    EXPECT_EQ(findMatch(m_view, inSet, u"ab", 6, true, options), SelectionRegion(3, 5));
    EXPECT_EQ(status(), "Wrapped past end of file");
    options.reverse = true;
    EXPECT_EQ(findMatch(m_view, inSet, u"ab", 6, true, options), SelectionRegion(3, 5));
}

TEST_F(FindTest, FindMatchExpandsTheFormatOfTheMatchFound)
{
    open(u"a1 b2 c3");
    for (bool reverse : {false, true}) {
        SCOPED_TRACE(reverse ? "reverse" : "forward");
        FindOptions options = regexOptions();
        options.reverse = reverse;
        const ustring format = u"<$2$1>";
        std::vector<ustring> extractions;
        EXPECT_EQ(findMatch(m_view, SelectionSet(), u"([a-z])([0-9])", 4, false, options, &format,
                            &extractions),
                  reverse ? SelectionRegion(3, 5) : SelectionRegion(6, 8));
        EXPECT_EQ(extractions, std::vector<ustring>{reverse ? u"<2b>" : u"<3c>"});
    }
}

TEST_F(FindTest, SelectAllMatchesSelectsAndCountsThem)
{
    struct Case {
        const char16_t* text;
        Regions expected;
        const char* status;
    };
    const Case cases[] = {
        {u"ab", {{0, 2}}, "Found 1 match"},
        {u"ab x ab", {{0, 2}, {5, 7}}, "Found 2 matches"},
        {u"x", {{0, 0}}, "Unable to find ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        open(c.text);
        selectAllMatches(m_view, SelectionSet(), u"ab", FindOptions());
        EXPECT_EQ(selections(), c.expected);
        EXPECT_EQ(status(), c.status);
    }
    open(u"ab ab ab");
    selectAllMatches(m_view, view_test::setOf({{2, 8}}), u"ab", FindOptions());
    EXPECT_EQ(selections(), (Regions{{3, 5}, {6, 8}}));
}

TEST_F(FindTest, ReplaceNextSelectsFirstThenReplacesAndMovesOn)
{
    open(u"one two one");
    FindOptions options;
    replaceNext(m_view, SelectionSet(), u"one", u"1", options, false);
    EXPECT_EQ(text(), u"one two one");
    EXPECT_EQ(selections(), (Regions{{0, 3}}));

    replaceNext(m_view, SelectionSet(), u"one", u"1", options, false);
    EXPECT_EQ(text(), u"1 two one");
    EXPECT_EQ(selections(), (Regions{{6, 9}}));

    replaceNext(m_view, SelectionSet(), u"one", u"1", options, false);
    EXPECT_EQ(text(), u"1 two 1");
    EXPECT_EQ(status(), "Unable to find one");

    m_buffer->undo();
    EXPECT_EQ(text(), u"1 two one");
}

TEST_F(FindTest, ReplaceNextInReverseReplacesTheSelectedMatchAndMovesBack)
{
    open(u"one two one", {{8, 11}});
    FindOptions options = regexOptions();
    options.reverse = true;
    replaceNext(m_view, SelectionSet(), u"o(n)e", u"[$1]", options, false);
    EXPECT_EQ(text(), u"one two [n]");
    EXPECT_EQ(selections(), (Regions{{0, 3}}));
}

TEST_F(FindTest, ReplaceAllMatchesIsOneUndoStep)
{
    struct Case {
        const char16_t* text;
        const char16_t* expected;
        const char* status;
    };
    const Case cases[] = {
        {u"a-b", u"a+b", "Made 1 replacement"},
        {u"-a--b", u"+a++b", "Made 3 replacements"},
        {u"ab", u"ab", "Unable to find -"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        open(c.text);
        replaceAllMatches(m_view, SelectionSet(), u"-", u"+", FindOptions(), false);
        EXPECT_EQ(text(), c.expected);
        EXPECT_EQ(status(), c.status);
        if (m_buffer->canUndo()) {
            m_buffer->undo();
            EXPECT_EQ(text(), c.text);
        }
    }
}

TEST_F(FindTest, ReplaceAllMatchesLeavesSelectionsWhereTheTextTakesThem)
{
    // A caret after the matches follows the text; a selection that was a
    // match ends up as a caret after the text that replaced it.
    open(u"aXbXc", {{1, 2}, {4, 4}});
    replaceAllMatches(m_view, SelectionSet(), u"x", u"yy", FindOptions(), false);
    EXPECT_EQ(text(), u"ayybyyc");
    EXPECT_EQ(selections(), (Regions{{3, 3}, {6, 6}}));
}

// Replacing every match gives what replacing them one by one from the last
// gives: the same text, and every position that follows the text (the
// selections of every view, bookmarks) in the same place.
TEST_F(FindTest, ReplaceAllMatchesEndsAsReplacingMatchByMatch)
{
    struct Case {
        const char* name;
        const char16_t* text;
        const char16_t* find;
        const char16_t* replacement;
        Regions selections;
        Regions bookmarks;
        Regions otherView;
        bool translateTabs;
        bool preserveCase;
    };
    const Case cases[] = {
        {"a caret between matches", u"a-b-c-d-e", u"-", u"+=", {{4, 4}}, {}, {}, false, false},
        {"a caret at a match's begin and end", u"a-b-c-d-e", u"-", u"+=", {{3, 3}, {6, 6}}, {}, {}, false, false},
        {"a selection over several matches", u"a-b-c-d-e", u"-", u"+=", {{2, 8}}, {}, {}, false, false},
        {"a reversed selection", u"a-b-c-d-e", u"-", u"", {{8, 2}}, {}, {}, false, false},
        {"a bookmark between adjacent matches", u"a--b--c", u"-", u"+=", {{0, 0}}, {{3, 3}}, {}, false, false},
        {"another view's caret", u"a-b-c-d-e", u"-", u"+=", {{0, 0}}, {}, {{5, 5}}, false, false},
        {"tabs translated in the replacement only", u"\tx\tx\tx", u"x", u"\t", {{0, 0}}, {}, {}, true, false},
        {"case kept across matches", u"aa AA Aa aA", u"aa", u"bbb", {{0, 0}}, {}, {}, false, true},
    };
    struct Outcome {
        ustring text;
        Regions selections;
        Regions bookmarks;
        Regions otherView;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = [&](bool oneByOne) {
            open(c.text, c.selections);
            m_buffer->m_bookmarks = view_test::setOf(c.bookmarks);
            m_buffer->m_translateTabsToSpaces = c.translateTabs;
            slate::SP<TextBufferView> other = m_buffer->createView(&m_canvas);
            other->mutableSel() = view_test::setOf(c.otherView);
            const ustring format = c.replacement;
            if (oneByOne) {
                SelectionSet matches;
                std::vector<ustring> extractions;
                m_buffer->findAll(c.find, kSearchLiteral | kSearchIgnoreCase, matches, &format, &extractions);
                for (size_t i = matches.size(); i-- > 0;)
                    replaceKeepingCase(*m_buffer, matches[i], extractions[i], c.preserveCase);
            } else {
                replaceAllMatches(m_view, SelectionSet(), c.find, format, FindOptions(), c.preserveCase);
            }
            return Outcome{text(), selections(), m_buffer->m_bookmarks.regions(), other->sel().regions()};
        };
        const Outcome all = run(false);
        const Outcome oneByOne = run(true);
        EXPECT_EQ(all.text, oneByOne.text);
        EXPECT_EQ(all.selections, oneByOne.selections);
        EXPECT_EQ(all.bookmarks, oneByOne.bookmarks);
        EXPECT_EQ(all.otherView, oneByOne.otherView);
    }
}

TEST_F(FindTest, ReplaceAllMatchesInsideTheSetOnly)
{
    open(u"a a a a");
    replaceAllMatches(m_view, view_test::setOf({{2, 5}}), u"a", u"b", FindOptions(), false);
    EXPECT_EQ(text(), u"a b b a");
}

TEST_F(FindTest, PreserveCaseFollowsTheCaseOfTheMatch)
{
    struct Case {
        const char16_t* match;
        const char16_t* replacement;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"hello", u"world", u"world"},
        {u"HELLO", u"world", u"WORLD"},
        {u"Hello", u"world", u"World"},
        {u"hELLO", u"world", u"wORLD"},
        {u"HELLO", u"hi", u"HI"},
        // Past the match, a text follows the match's one case.
        {u"HI", u"bye", u"BYE"},
        {u"hi", u"BYE", u"bye"},
        {u"Hi", u"bYE", u"ByE"},
        // Other characters neither change the text nor count as a case.
        {u"1A", u"xyz", u"xYZ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.match));
        open(c.match);
        replaceAllMatches(m_view, SelectionSet(), c.match, c.replacement, FindOptions(), true);
        EXPECT_EQ(text(), c.expected);
    }
}

// A pattern the engine cannot compile shows the engine's complaint; one it
// gives up matching on (too complex for the text) is simply not found.
// Neither escapes any command, and neither selects or changes anything.
TEST_F(FindTest, RegexErrorsBecomeStatusTextInEveryCommand)
{
    struct ErrorCase {
        const char* name;
        ustring text;
        const char16_t* pattern;
        std::function<void(const std::string&)> checkStatus;
    };
    const ErrorCase errors[] = {
        {"a pattern that does not compile", u"abc", u"a(b",
         [](const std::string& s) {
             EXPECT_NE(s.find(" in regular expression a(b"), std::string::npos) << s;
         }},
        {"a match the engine abandons", ustring(200000, u'a'), u"(a|aa)*b",
         [](const std::string& s) { EXPECT_EQ(s, "Unable to find (a|aa)*b"); }},
    };
    struct Command {
        const char* name;
        std::function<void(const ViewPtr&, const ustring&)> run;
    };
    FindOptions forward = regexOptions();
    FindOptions reverse = regexOptions();
    reverse.reverse = true;
    const Command commands[] = {
        {"find next", [&](const ViewPtr& v, const ustring& p) { findAndSelectNext(v, {}, p, forward); }},
        {"find previous", [&](const ViewPtr& v, const ustring& p) { findAndSelectNext(v, {}, p, reverse); }},
        {"select all", [&](const ViewPtr& v, const ustring& p) { selectAllMatches(v, {}, p, forward); }},
        {"replace next", [&](const ViewPtr& v, const ustring& p) { replaceNext(v, {}, p, u"x", forward, false); }},
        {"replace all",
         [&](const ViewPtr& v, const ustring& p) { replaceAllMatches(v, {}, p, u"x", forward, false); }},
    };
    for (const ErrorCase& e : errors) {
        SCOPED_TRACE(e.name);
        open(e.text, {{1, 1}});
        for (const Command& command : commands) {
            SCOPED_TRACE(command.name);
            EXPECT_NO_THROW(command.run(m_view, e.pattern));
            e.checkStatus(status());
            EXPECT_EQ(selections(), (Regions{{1, 1}}));
            EXPECT_EQ(m_buffer->size(), static_cast<int64_t>(e.text.size()));
        }
    }
}

} // namespace
