// Growing selections to words, lines, brackets and scopes, and the commands
// over the whole selection set.
#include "ui/text/text_buffer_expansion.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <utility>
#include <vector>

#include "ui/text/bracket_matching.h"
#include "ui/text/selection_printers.h"
#include "ui/text/text_function_fixture.h"

namespace {

using Regions = std::vector<SelectionRegion>;
using Command = std::function<void(const ViewPtr&)>;

class ExpansionTest : public TextFunctionTest {
protected:
    void openView(const ustring& text, const Regions& regions = {})
    {
        open(text, regions);
        m_view->setOptions(view_test::optionsFrom("wordWrap false\nscrollPastEnd false"));
        m_view->setViewportSize(100.f, 80.f);
        m_buffer->m_matchBrackets =
            kMatchParentheses | kMatchSquareBrackets | kMatchBraces | kMatchAngleBrackets;
    }
};

TEST_F(ExpansionTest, RepeatedBracketExpansionGrowsOutward)
{
    struct Case {
        const char* name;
        uint32_t kinds;
        SelectionRegion from;
        Regions steps;
    };
    const Case cases[] = {
        {"inside, with brackets, outer pair, then stays", 15, SelectionRegion(5),
         {{4, 6}, {3, 7}, {1, 9}, {1, 9}}},
        {"a disabled kind is passed over", kMatchParentheses, SelectionRegion(5), {{2, 8}, {1, 9}}},
        {"part of the inside grows to all of it", 15, {4, 5}, {{4, 6}}},
        {"a selection across the closing bracket grows to the outer inside", 15, {5, 8}, {{2, 8}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openView(u"f(a[bc]d)", {c.from});
        m_buffer->m_matchBrackets = c.kinds;
        for (const SelectionRegion& expected : c.steps) {
            expandSelectionToBrackets(m_view);
            EXPECT_EQ(selections(), Regions{expected});
        }
    }
}

TEST_F(ExpansionTest, BracketExpansionWithoutAnEnclosingPairKeepsTheSelection)
{
    struct Case {
        const char* name;
        SelectionRegion from;
    };
    const Case cases[] = {
        {"caret outside any pair", SelectionRegion(1)},
        // One end has a pair, the other none: covering the missing pair's
        // (0, 0) would reach back to the start of the text.
        {"selection leaving the only pair", {4, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openView(u"ab(cd)ef", {c.from});
        expandSelectionToBrackets(m_view);
        EXPECT_EQ(selections(), Regions{c.from});
    }
}

TEST_F(ExpansionTest, ScopeExpansionTakesTheSmallerOfScopeAndBrackets)
{
    // Plain text is one scope over the whole text.
    struct Case {
        const char* name;
        SelectionRegion from;
        SelectionRegion to;
    };
    const Case cases[] = {
        {"brackets smaller than the scope", SelectionRegion(2), {1, 3}},
        {"no brackets: the scope", SelectionRegion(6), {0, 7}},
        {"a tie goes to the brackets", {1, 3}, {0, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openView(u"(ab) cd", {c.from});
        expandSelectionToScope(m_view);
        EXPECT_EQ(selections(), Regions{c.to});
    }
}

TEST_F(ExpansionTest, WordLineAndSetCommands)
{
    struct Case {
        const char* name;
        Command command;
        Regions from;
        Regions to;
    };
    // Words and lines in "foo bar\nbaz qux\nend".
    const Case textCases[] = {
        {"words at both ends", expandSelectionToWord, {{1, 5}}, {{0, 7}}},
        {"reversed words at both ends", expandSelectionToWord, {{5, 1}}, {{0, 7}}},
        {"line of a caret", expandSelectionToLine, {SelectionRegion(9)}, {{8, 16}}},
        {"ending at a line start takes that line", expandSelectionToLine, {{0, 8}}, {{0, 16}}},
        {"carets on one line merge", expandSelectionToLine, {SelectionRegion(1), SelectionRegion(5)},
         {{0, 8}}},
    };
    // The set commands in "0123\n5678\n", 10 units.
    const Case setCases[] = {
        {"invert a caret", invertSelection, {SelectionRegion(5)}, {{0, 5}, {5, 10}}},
        {"invert the start", invertSelection, {{0, 5}}, {{5, 10}}},
        {"invert everything", invertSelection, {{0, 10}}, {SelectionRegion(0)}},
        {"invert two", invertSelection, {{2, 3}, {6, 5}}, {{0, 2}, {3, 5}, {6, 10}}},
        {"split adjacent selections", splitSelection, {{2, 4}, {4, 6}},
         {SelectionRegion(2), SelectionRegion(4), SelectionRegion(6)}},
        {"split keeps a caret", splitSelection, {SelectionRegion(1), {8, 7}},
         {SelectionRegion(1), SelectionRegion(7), SelectionRegion(8)}},
        {"split into lines", splitSelectionIntoLines, {{1, 10}}, {{1, 4}, {5, 9}}},
        {"select all", selectAll, {SelectionRegion(3), SelectionRegion(7)}, {{0, 10}}},
        {"single selection", singleSelection, {{2, 1}, {7, 8}}, {{2, 1}}},
    };
    const std::pair<const char16_t*, std::vector<Case>> groups[] = {
        {u"foo bar\nbaz qux\nend", {std::begin(textCases), std::end(textCases)}},
        {u"0123\n5678\n", {std::begin(setCases), std::end(setCases)}},
    };
    for (const auto& [text, cases] : groups) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            openView(text, c.from);
            c.command(m_view);
            EXPECT_EQ(selections(), c.to);
        }
    }
}

TEST_F(ExpansionTest, EachCommandIsOneGroupNamedAfterIt)
{
    openView(u"(ab) cd\nef", {SelectionRegion(2)});
    m_buffer->beginMacroRecording();
    expandSelectionToWord(m_view);
    expandSelectionToBrackets(m_view);
    expandSelectionToLine(m_view);
    splitSelectionIntoLines(m_view);
    splitSelection(m_view);
    singleSelection(m_view);
    expandSelectionToScope(m_view);
    invertSelection(m_view);
    selectAll(m_view);
    const std::vector<ustring> expected = {
        u"expandSelectionTo word", u"expandSelectionTo brackets", u"expandSelectionTo line",
        u"splitSelectionIntoLines", u"splitSelection", u"singleSelection", u"expandSelectionTo scope",
        u"invertSelection", u"selectAll",
    };
    EXPECT_EQ(m_buffer->takeRecordedCommands(), expected);
}

TEST_F(ExpansionTest, EveryCommandIsHarmlessOnAnEmptyText)
{
    const std::vector<Command> commands = {
        expandSelectionToWord, expandSelectionToLine, expandSelectionToBrackets, expandSelectionToScope,
        selectAll, invertSelection, splitSelection, splitSelectionIntoLines, singleSelection,
    };
    for (size_t i = 0; i < commands.size(); ++i) {
        SCOPED_TRACE(i);
        openView(u"");
        commands[i](m_view);
        EXPECT_EQ(selections(), Regions{SelectionRegion(0)});
    }
    openView(u"(a)");
    EXPECT_EQ(bracketRegion(m_view, {-5, 99}), SelectionRegion(0, 3));
    EXPECT_EQ(bracketRegion(m_view, {1, 99}), SelectionRegion(0, 0));
}

} // namespace
