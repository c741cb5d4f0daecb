// Line, word and selection queries over a view.
#include "ui/text/text_buffer_functions.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/text/selection_printers.h"
#include "ui/text/text_function_fixture.h"

namespace {

using TextQueryTest = TextFunctionTest;

TEST_F(TextQueryTest, LineBoundariesStopAtTheNewlineOrTheEnd)
{
    open(u"abc\n\nxy");
    struct Case {
        int64_t position, start, end, fullEnd;
    } cases[] = {
        {0, 0, 3, 4}, {2, 0, 3, 4}, {3, 0, 3, 4}, // on the newline: still line 1
        {4, 4, 4, 5},                              // an empty line
        {5, 5, 7, 7}, {7, 5, 7, 7},                // last line without a newline
        {-5, 0, 3, 4}, {99, 5, 7, 7},              // out of range: clamped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(lineStart(m_view, c.position), c.start);
        EXPECT_EQ(lineEnd(m_view, c.position), c.end);
        EXPECT_EQ(fullLineEnd(m_view, c.position), c.fullEnd);
    }
}

TEST_F(TextQueryTest, WordTakesTheRunAroundThePosition)
{
    struct Case {
        const char16_t* text;
        int64_t position;
        SelectionRegion expected;
    } cases[] = {
        {u"foo bar", 0, {0, 3}},
        {u"foo bar", 3, {0, 3}}, // the word before wins over the space after
        {u"foo bar", 4, {4, 7}},
        {u"foo bar", 7, {4, 7}},
        {u"foo bar", 1, {0, 3}},
        {u"a   b", 2, {1, 4}},    // between blanks: the whole blank run
        {u"ab\n\ncd", 3, {3, 3}}, // never past a newline
        {u"a.b", 1, {0, 1}},      // a separator ends a word
        {u"x ..  y", 3, {1, 6}},  // separators and blanks form one run
        {u"", 0, {0, 0}},
        {u"foo", 10, {0, 3}},     // clamped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(ustring(c.text)) + " at " + std::to_string(c.position));
        open(c.text);
        m_buffer->m_wordSeparators = u"./";
        EXPECT_EQ(word(m_view, c.position), c.expected);
    }
}

TEST_F(TextQueryTest, WordOfARegionCoversTheWordsAtBothEnds)
{
    open(u"one two three");
    EXPECT_EQ(word(m_view, SelectionRegion(9, 1)), SelectionRegion(0, 13));
}

TEST_F(TextQueryTest, SplitByNewlinesCutsAtEveryNewline)
{
    struct Case {
        const char16_t* text;
        SelectionRegion region;
        std::vector<SelectionRegion> expected;
    } cases[] = {
        {u"abc\ndef", {0, 4}, {{0, 3}}}, // ends just after the newline: no empty piece
        {u"abc\ndef", {0, 5}, {{0, 3}, {4, 5}}},
        {u"abc\ndef", {5, 0}, {{0, 3}, {4, 5}}}, // reversed: oriented forward
        {u"a\n\nb", {0, 4}, {{0, 1}, {2, 2}, {3, 4}}}, // an empty middle line
        {u"abc", {2, 2}, {{2, 2}}},
        {u"abc", {-3, 99}, {{0, 3}}}, // clamped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.region));
        open(c.text);
        SelectionSet out;
        splitByNewlines(m_view, c.region, out);
        EXPECT_EQ(out, view_test::setOf(c.expected));
    }
}

TEST_F(TextQueryTest, LinesGivesEveryTouchedLineWithoutNewlines)
{
    struct Case {
        SelectionRegion region;
        std::vector<SelectionRegion> expected;
    } cases[] = {
        {{1, 1}, {{0, 2}}},
        {{1, 4}, {{0, 2}, {3, 5}}},
        {{1, 3}, {{0, 2}}}, // ends after a newline: the next line is not touched
        {{7, 7}, {{6, 6}}}, // the empty last line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.region));
        open(u"ab\ncd\n");
        SelectionSet out;
        lines(m_view, c.region, out);
        EXPECT_EQ(out, view_test::setOf(c.expected));
    }
}

TEST_F(TextQueryTest, LastSelectionOrWord)
{
    open(u"foo bar", {{0, 1}, {5, 5}});
    EXPECT_EQ(lastSelectionOrWord(m_view), SelectionRegion(4, 7));
    select({{5, 5}, {7, 6}});
    EXPECT_EQ(lastSelectionOrWord(m_view), SelectionRegion(7, 6));
    m_view->mutableSel().clear();
    EXPECT_EQ(lastSelectionOrWord(m_view), SelectionRegion(0, 0));
}

TEST_F(TextQueryTest, SelectionPredicates)
{
    struct Case {
        std::vector<SelectionRegion> regions;
        bool nonEmpty, multiple, allEmpty, allNonEmpty, newline;
    } cases[] = {
        {{}, false, false, true, true, false},
        {{{1, 1}}, false, false, true, false, false},
        {{{1, 2}, {4, 4}}, true, false, false, false, false},
        {{{1, 2}, {4, 5}}, true, true, false, true, false},
        {{{5, 2}}, true, false, false, true, true},
        {{{3, 4}}, true, false, false, true, true}, // a lone newline spans two rows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.regions));
        open(u"abc\ndef");
        select(c.regions);
        EXPECT_EQ(hasSelection(m_view), !c.regions.empty());
        EXPECT_EQ(hasNonEmptySelectionRegion(m_view), c.nonEmpty);
        EXPECT_EQ(hasMultipleNonEmptySelectionRegions(m_view), c.multiple);
        EXPECT_EQ(allSelectionsEmpty(m_view), c.allEmpty);
        EXPECT_EQ(allSelectionsNonEmpty(m_view), c.allNonEmpty);
        EXPECT_EQ(newlineInSelection(m_view), c.newline);
    }
    const ViewPtr none;
    EXPECT_FALSE(hasSelection(none));
    EXPECT_FALSE(hasNonEmptySelectionRegion(none));
    EXPECT_FALSE(hasMultipleNonEmptySelectionRegions(none));
}

TEST_F(TextQueryTest, CharacterTestsReadAroundTheAnchor)
{
    // "(a)": the character at 1 is 'a', before it '('.
    struct Case {
        std::vector<SelectionRegion> regions;
        bool allFollowing, noFollowing, allPreceding, noPreceding;
    } cases[] = {
        {{}, true, true, true, true},
        {{{1, 1}}, true, false, true, false},
        {{{1, 3}}, false, false, true, false}, // the anchor of a non-empty one counts too
        {{{3, 1}}, false, true, false, true},  // anchor at 3: nothing follows, ')' before
        {{{1, 1}, {2, 3}}, false, false, false, false},
        {{{0, 0}}, false, true, false, true},     // nothing precedes 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.regions));
        open(u"(a)");
        select(c.regions);
        EXPECT_EQ(allFollowingCharacter(m_view, u'a'), c.allFollowing);
        EXPECT_EQ(noFollowingCharacter(m_view, u'a'), c.noFollowing);
        EXPECT_EQ(allPrecedingCharacter(m_view, u'('), c.allPreceding);
        EXPECT_EQ(noPrecedingCharacter(m_view, u'('), c.noPreceding);
    }
}

TEST_F(TextQueryTest, MatchTextTestsTheWholeChosenText)
{
    struct Case {
        const char16_t* pattern;
        int part;
        bool negate;
        bool expected;
    } cases[] = {
        // Caret after "if (" on "  if (x)" and one after "wh" on "while".
        {u"\\s*(if \\(|wh)", kMatchPreceding, false, true},
        {u"\\(", kMatchPreceding, false, false}, // only the last characters: no match
        {u"x\\)|ile", kMatchFollowing, false, true},
        {u"", kMatchSelected, false, true},
        {u"x", kMatchSelected, true, true},
        {u"x\\)", kMatchFollowing, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(ustring(c.pattern)));
        open(u"  if (x)\nwhile", {{6, 6}, {11, 11}});
        EXPECT_EQ(matchText(m_view, c.pattern, c.part, c.negate), c.expected);
    }
    m_view->mutableSel().clear();
    EXPECT_TRUE(matchText(m_view, u"nothing", kMatchSelected, false));
}

TEST_F(TextQueryTest, MatchTextWithABadPatternLogsAndAnswersFalse)
{
    open(u"abc", {{1, 1}});
    LogRecorder log;
    EXPECT_FALSE(matchText(m_view, u"(unclosed", kMatchPreceding, false));
    EXPECT_FALSE(matchText(m_view, u"(unclosed", kMatchPreceding, true));
    ASSERT_EQ(log.messages.size(), 2u);
    EXPECT_NE(log.messages[0].find(u" in regular expression (unclosed"), ustring::npos);
}

} // namespace
