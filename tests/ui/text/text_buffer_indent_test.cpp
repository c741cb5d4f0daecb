// Indenting, unindenting, re-indenting and joining the selected lines.
#include "ui/text/text_buffer_indent.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/text/selection_printers.h"
#include "ui/text/text_function_fixture.h"

namespace {

using Regions = std::vector<SelectionRegion>;
using Command = std::function<void(const ViewPtr&)>;

struct Case {
    const char* name;
    const char16_t* text;
    Regions regions;
    const char16_t* expected;
};

class LineEditTest : public TextFunctionTest {
protected:
    void check(const Case* begin, const Case* end, const Command& command)
    {
        for (const Case* c = begin; c != end; ++c) {
            SCOPED_TRACE(c->name);
            open(c->text, c->regions);
            command(m_view);
            EXPECT_EQ(text(), c->expected);
        }
    }
};

TEST_F(LineEditTest, IndentPutsTheTextOncePerTouchedLine)
{
    const Case cases[] = {
        {"two carets on one line", u"a\nb\nc", {{2, 2}, {3, 3}}, u"a\n\tb\nc"},
        {"ending at column 0 excludes that line", u"abc\n\ndef\nghi", {{1, 5}}, u"\tabc\n\ndef\nghi"},
        {"selections sharing a line", u"ab\ncd", {{0, 1}, {1, 4}}, u"\tab\n\tcd"},
        {"an empty last line a selection begins on", u"ab\n", {{3, 3}}, u"ab\n\t"},
        {"an empty text", u"", {{0, 0}}, u"\t"},
    };
    check(std::begin(cases), std::end(cases), [](const ViewPtr& v) { indent(v, u"\t"); });
}

TEST_F(LineEditTest, UnindentTakesOneStepPerLine)
{
    const Case cases[] = {
        {"six spaces keep two", u"      a", {{7, 7}}, u"  a"},
        {"a tab goes alone", u"\t\ta", {{0, 0}}, u"\ta"},
        {"spaces before a tab go, the tab stays", u"  \ta", {{0, 0}}, u"\ta"},
        {"every touched line", u"    a\n\tb\nc", {{2, 8}}, u"a\nb\nc"},
        {"nothing to take", u"a", {{1, 1}}, u"a"},
        {"a line of blanks only", u"  \n    x", {{2, 7}}, u"\nx"},
    };
    check(std::begin(cases), std::end(cases), [](const ViewPtr& v) { unindent(v); });
}

TEST_F(LineEditTest, JoinLeavesOneSpaceBetweenTheTexts)
{
    const Case cases[] = {
        {"blanks around the newline", u"ab  \n   c", {{0, 0}}, u"ab c"},
        {"the last line", u"ab\ncd", {{4, 4}}, u"ab\ncd"},
        {"an empty next line goes", u"ab\n\ncd", {{1, 1}}, u"ab\ncd"},
        {"a selection over lines 1 to 3 joins 4", u"a\nb\nc\nd\ne", {{0, 5}}, u"a b c d\ne"},
        {"two carets", u"a\nb\nc\nd", {{0, 0}, {4, 4}}, u"a b\nc d"},
        {"an empty text", u"", {{0, 0}}, u""},
    };
    check(std::begin(cases), std::end(cases), [](const ViewPtr& v) { join(v); });
}

TEST_F(LineEditTest, JoinLeavesCaretsAfterTheSpaceAndSelectionsOverTheJoinedText)
{
    struct SelectionCase {
        const char16_t* text;
        Regions regions;
        const char16_t* expected;
        Regions expectedRegions;
    } cases[] = {
        {u"a\nb\nc\nd", {{0, 0}, {4, 4}}, u"a b\nc d", {{2, 2}, {6, 6}}},
        {u"a\nb\nc\nd\ne", {{5, 0}}, u"a b c d\ne", {{5, 0}}},
        // Only the caret's line joins the next: the blank line goes.
        {u"a  \n \n  b\nc", {{0, 0}}, u"a\n  b\nc", {{1, 1}}},
        {u"x\na \n b", {{0, 99}}, u"x a b", {{0, 5}}}, // clamped into the text
    };
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(ustring(c.text)));
        open(c.text, c.regions);
        join(m_view);
        EXPECT_EQ(text(), c.expected);
        EXPECT_EQ(selections(), c.expectedRegions);
    }
}

TEST_F(LineEditTest, ReindentFollowsTheLineAbove)
{
    useBracePatterns();
    const Case cases[] = {
        {"a caret under an unindented line: a tab", u"a\nb", {{2, 2}}, u"a\n\tb"},
        {"a selection over the same line: unchanged", u"a\nb", {{2, 3}}, u"a\nb"},
        {"under a line opening a block", u"  if {\nx", {{7, 7}}, u"  if {\n  \tx"},
        {"too deep comes back", u"  a\n\t\t\tb\n c", {{4, 11}}, u"  a\n  b\n  c"},
    };
    check(std::begin(cases), std::end(cases), [](const ViewPtr& v) { reindent(v); });

    open(u"  if {\nx", {SelectionRegion(7)});
    reindent(m_view);
    const ustring* name = m_buffer->internRegionName(kAutoWhitespaceName);
    const SelectionSet& records = m_view->viewState().namedRegions(name).regions;
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], SelectionRegion(7, 10));
    EXPECT_EQ(records[0].xpos, 3.0);
}

TEST_F(LineEditTest, GroupsAreNamedAndNeverMerge)
{
    struct NameCase {
        Command command;
        const char16_t* name;
    } cases[] = {
        {[](const ViewPtr& v) { indent(v, u"\t"); }, u"indent \"\\t\""},
        {[](const ViewPtr& v) { unindent(v); }, u"unindent"},
        {[](const ViewPtr& v) { reindent(v); }, u"reindent"},
        {[](const ViewPtr& v) { join(v); }, u"join"},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(ustring(c.name)));
        open(u"\t\ta\n\t\tb\nc\nd\n", {{0, 0}});
        c.command(m_view);
        const ustring once = text();
        c.command(m_view);
        EXPECT_EQ(m_buffer->lastCommand(), std::make_pair(ustring(c.name), 1));
        // Reindenting twice changes nothing the second time.
        if (text() != once) {
            m_buffer->undo();
            EXPECT_EQ(text(), once);
        }
    }
}

} // namespace
