// Typing, automatic indentation and deletion at the selections of a view.
#include "ui/text/text_buffer_typing.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/text/selection_printers.h"
#include "ui/text/text_buffer_indent.h"
#include "ui/text/text_function_fixture.h"

namespace {

using Regions = std::vector<SelectionRegion>;

class TypingTest : public TextFunctionTest {
protected:
    // The automatic whitespace records as (a, b, recorded width) triples.
    std::vector<std::vector<int64_t>> records()
    {
        std::vector<std::vector<int64_t>> out;
        const ustring* name = m_buffer->internRegionName(kAutoWhitespaceName);
        for (const SelectionRegion& r : m_view->viewState().namedRegions(name).regions)
            out.push_back({r.a, r.b, static_cast<int64_t>(r.xpos)});
        return out;
    }
};

TEST_F(TypingTest, NewlineIndentsFromTheBlanksBeforeTheCaret)
{
    useBracePatterns();
    struct Case {
        const char16_t* text;
        int64_t caret;
        bool autoIndent, translateTabs;
        const char16_t* expected;
        int64_t expectedCaret;
        std::vector<std::vector<int64_t>> expectedRecords;
    } cases[] = {
        // Only the two blanks before the caret are carried; nothing after it
        // goes. The line then starts with four blanks, which are not all
        // automatic: the record is dropped.
        {u"    abcd", 2, true, false, u"  \n    abcd", 5, {}},
        // At the end of a line that opens a block: one level deeper.
        {u"  if {", 6, true, false, u"  if {\n  \t", 10, {{7, 10, 3}}},
        {u"  if {", 6, true, true, u"  if {\n    ", 11, {{7, 11, 4}}},
        // Anywhere else on such a line: no extra level.
        {u"  if {", 5, true, false, u"  if \n  {", 8, {{6, 8, 2}}},
        {u"  ab", 4, false, false, u"  ab\n", 5, {}},
        {u"ab", 2, true, false, u"ab\n", 3, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(ustring(c.text)) + " at " + std::to_string(c.caret));
        open(c.text, {SelectionRegion(c.caret)});
        m_buffer->m_autoIndent = c.autoIndent;
        m_buffer->m_translateTabsToSpaces = c.translateTabs;
        insertAndDecodeCharacters(m_view, u"\n");
        EXPECT_EQ(text(), c.expected);
        EXPECT_EQ(selections(), Regions{SelectionRegion(c.expectedCaret)});
        EXPECT_EQ(records(), c.expectedRecords);
    }
}

TEST_F(TypingTest, InsertCharacterRecordsTheBlanksItCarried)
{
    open(u"    abcd");
    EXPECT_EQ(insertCharacter(m_view, 2, u'\n'), 3);
    EXPECT_EQ(text(), u"  \n    abcd");
    EXPECT_EQ(records(), (std::vector<std::vector<int64_t>>{{3, 5, 2}}));
    EXPECT_EQ(insertCharacter(m_view, 99, u'x'), 1); // clamped to the end
    EXPECT_EQ(text(), u"  \n    abcdx");
}

TEST_F(TypingTest, NewlinesAtSeveralCaretsRecordEachLinesIndentation)
{
    useBracePatterns();
    open(u"  a\n  b\n  {", {{3, 3}, {7, 7}, {11, 11}});
    insertAndDecodeCharacters(m_view, u"\n\n");
    // The blank lines the carets left are emptied; the carets' lines keep
    // their records.
    EXPECT_EQ(text(), u"  a\n\n  \n  b\n\n  \n  {\n\n  \t");
    EXPECT_EQ(selections(), (Regions{{7, 7}, {15, 15}, {24, 24}}));
    EXPECT_EQ(records(), (std::vector<std::vector<int64_t>>{{5, 7, 2}, {13, 15, 2}, {21, 24, 3}}));
}

TEST_F(TypingTest, AutomaticIndentationFollowsTheBlockStructure)
{
    useBracePatterns();
    struct Case {
        const char16_t* text;
        int64_t caret;
        std::vector<const char16_t*> typed;
        const char16_t* expected;
    } cases[] = {
        // A line that closes a block steps out one level: a tab, or up to
        // tabSize spaces.
        {u"\tfoo", 4, {u"\n", u"}"}, u"\tfoo\n}"},
        {u"      foo", 9, {u"\n", u"}"}, u"      foo\n  }"},
        // Split before the last character of a line that opens a block: the
        // first unit typed on the new line adds the missing level.
        {u"  if {x", 6, {u"\n", u"y"}, u"  if {\n\t  yx"},
        // Indentation the user changed is theirs: nothing moves.
        {u"  foo", 5, {u"\n", u" ", u"}"}, u"  foo\n   }"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(ustring(c.text)));
        open(c.text, {SelectionRegion(c.caret)});
        for (const char16_t* typed : c.typed)
            insertAndDecodeCharacters(m_view, typed);
        EXPECT_EQ(text(), c.expected);
    }
}

TEST_F(TypingTest, LeavingABlankAutomaticLineEmptiesItWhenTrimming)
{
    for (const bool trim : {true, false}) {
        SCOPED_TRACE(trim);
        open(u"  a", {SelectionRegion(3)});
        m_buffer->m_trimAutomaticWhitespace = trim;
        insertAndDecodeCharacters(m_view, u"\n");
        ASSERT_EQ(text(), u"  a\n  ");
        // Still on the line: it keeps its indentation.
        insertAndDecodeCharacters(m_view, u"");
        EXPECT_EQ(text(), u"  a\n  ");
        select({SelectionRegion(0)});
        insertAndDecodeCharacters(m_view, u"x");
        EXPECT_EQ(text(), trim ? u"x  a\n" : u"x  a\n  ");
        EXPECT_TRUE(records().empty());
    }
}

TEST_F(TypingTest, BackspaceTakesSpacesBackToTheTabStop)
{
    struct Case {
        const char16_t* text;
        int64_t caret;
        bool toTabStop;
        int32_t tabSize;
        const char16_t* expected;
    } cases[] = {
        {u"      x", 6, true, 4, u"    x"},
        {u"        x", 8, true, 4, u"    x"},
        {u"  \tx", 3, true, 4, u"  x"},     // a tab is one unit
        {u"a\t  ", 4, true, 4, u"a\t"},     // a tab ends the run of spaces
        {u"ab  ", 4, true, 4, u"ab"},       // column 4: back to column 2 only by spaces
        {u"      x", 6, false, 4, u"     x"},
        {u"a\nb", 2, true, 4, u"ab"},       // column 0: the newline
        {u"ab", 0, true, 4, u"ab"},         // nothing before the text
        {u"   x", 3, true, 0, u"  x"},      // no tab size: one space at a time
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(ustring(c.text)) + " at " + std::to_string(c.caret));
        open(c.text, {SelectionRegion(c.caret)});
        m_buffer->m_translateTabsToSpaces = true;
        m_buffer->m_useTabStops = true;
        m_buffer->m_tabSize = c.tabSize;
        leftDeleteCharacters(m_view, c.toTabStop);
        EXPECT_EQ(text(), c.expected);
    }
}

TEST_F(TypingTest, EditsAtEverySelection)
{
    using Command = std::function<void(const ViewPtr&)>;
    struct Case {
        const char* name;
        const char16_t* text;
        Regions regions;
        Command command;
        const char16_t* expected;
        Regions expectedRegions;
    } cases[] = {
        {"insert at three carets", u"wxyz", {{0, 0}, {2, 2}, {4, 4}},
         [](const ViewPtr& v) { insertCharacters(v, u"ab"); }, u"abwxabyzab", {{2, 2}, {6, 6}, {10, 10}}},
        {"insert replaces", u"one two", {{0, 3}, {7, 4}},
         [](const ViewPtr& v) { insertCharacters(v, u"1\n\t"); }, u"1\n\t 1\n\t", {{3, 3}, {7, 7}}},
        {"type at three carets", u"wxyz", {{0, 0}, {2, 2}, {4, 4}},
         [](const ViewPtr& v) { insertAndDecodeCharacters(v, u"ab"); }, u"abwxabyzab",
         {{2, 2}, {6, 6}, {10, 10}}},
        {"overwrite keeps the newline", u"abcd\nef", {{2, 2}},
         [](const ViewPtr& v) { overwriteAndDecodeCharacters(v, u"xyz"); }, u"abxyz\nef", {{5, 5}}},
        {"overwrite mid-line", u"abcdef", {{1, 1}},
         [](const ViewPtr& v) { overwriteAndDecodeCharacters(v, u"xy"); }, u"axydef", {{3, 3}}},
        {"overwrite a selection", u"abcdef", {{1, 2}},
         [](const ViewPtr& v) { overwriteAndDecodeCharacters(v, u"xy"); }, u"axycdef", {{3, 3}}},
        {"backspace at carets", u"abc\ndef", {{1, 1}, {5, 5}},
         [](const ViewPtr& v) { leftDeleteCharacters(v, true); }, u"bc\nef", {{0, 0}, {3, 3}}},
        {"backspace erases selections only", u"abcdef", {{1, 2}, {4, 4}},
         [](const ViewPtr& v) { leftDeleteCharacters(v, true); }, u"acdef", {{1, 1}, {3, 3}}},
        {"delete at carets", u"abc", {{0, 0}, {3, 3}},
         [](const ViewPtr& v) { rightDeleteCharacters(v); }, u"bc", {{0, 0}, {2, 2}}},
        {"delete leaves carets alone", u"abcdef", {{1, 1}, {4, 2}},
         [](const ViewPtr& v) { deleteCharacters(v); }, u"abef", {{1, 1}, {2, 2}}},
        {"replace the second selection", u"abcdef", {{0, 1}, {2, 4}, {5, 5}},
         [](const ViewPtr& v) { replaceCharacters(v, SelectionRegion(2, 4), u"XYZ"); }, u"abXYZef",
         {{0, 1}, {2, 5}, {6, 6}}},
        {"replace outside the text", u"abc", {{1, 1}},
         [](const ViewPtr& v) { replaceCharacters(v, SelectionRegion(-3, 1), u"!"); }, u"!bc", {{1, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.text, c.regions);
        c.command(m_view);
        EXPECT_EQ(text(), c.expected);
        EXPECT_EQ(selections(), c.expectedRegions);
    }
}

TEST_F(TypingTest, CommandsOnAnEmptyTextOrAtItsEdgesAreHarmless)
{
    using Command = std::function<void(const ViewPtr&)>;
    const Command commands[] = {
        [](const ViewPtr& v) { insertAndDecodeCharacters(v, u"\n"); },
        [](const ViewPtr& v) { overwriteAndDecodeCharacters(v, u"ab"); },
        [](const ViewPtr& v) { leftDeleteCharacters(v, true); },
        [](const ViewPtr& v) { rightDeleteCharacters(v); },
        [](const ViewPtr& v) { deleteCharacters(v); },
        [](const ViewPtr& v) { replaceCharacters(v, SelectionRegion(-3, 7), u""); },
    };
    for (const ustring& start : {ustring(), ustring(u"  x")}) {
        for (const int64_t caret : {int64_t(0), static_cast<int64_t>(start.size())}) {
            open(start, {SelectionRegion(caret)});
            for (const Command& command : commands) {
                command(m_view);
                const int64_t size = m_buffer->size();
                for (const SelectionRegion& r : m_view->sel()) {
                    EXPECT_GE(r.begin(), 0);
                    EXPECT_LE(r.end(), size);
                }
            }
        }
    }
}

TEST_F(TypingTest, UndoGroupsAreNamedByTheirCommandLines)
{
    using Command = std::function<void(const ViewPtr&)>;
    struct Case {
        Command command;
        const char16_t* name;
    } cases[] = {
        {[](const ViewPtr& v) { insertCharacters(v, u"a\t\"\\\n"); }, u"insertCharacters \"a\\t\\\"\\\\\\n\""},
        {[](const ViewPtr& v) { insertAndDecodeCharacters(v, u"x"); }, u"insertAndDecodeCharacters \"x\""},
        {[](const ViewPtr& v) { overwriteAndDecodeCharacters(v, u"x"); }, u"overwriteAndDecodeCharacters \"x\""},
        {[](const ViewPtr& v) { leftDeleteCharacters(v, false); }, u"leftDeleteCharacters"},
        {[](const ViewPtr& v) { rightDeleteCharacters(v); }, u"rightDeleteCharacters"},
        {[](const ViewPtr& v) { deleteCharacters(v); }, u"deleteCharacters"},
        {[](const ViewPtr& v) { replaceCharacters(v, SelectionRegion(0, 1), u"z"); }, u"Replace Characters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(ustring(c.name)));
        open(u"abcd", {{1, 2}});
        c.command(m_view);
        EXPECT_EQ(m_buffer->lastCommand(), std::make_pair(ustring(c.name), 1));
    }
}

TEST_F(TypingTest, TypingUndoesInOneStepAndReplacingNeverMerges)
{
    open(u"ab", {SelectionRegion(2)});
    for (const char16_t* unit : {u" ", u"w", u"o", u"r", u"d"})
        insertAndDecodeCharacters(m_view, unit);
    EXPECT_EQ(text(), u"ab word");
    EXPECT_EQ(m_buffer->lastCommand(), std::make_pair(ustring(u"insertAndDecodeCharacters \" word\""), 1));
    m_buffer->undo();
    EXPECT_EQ(text(), u"ab");
    EXPECT_FALSE(m_buffer->canUndo());

    open(u"ab");
    replaceCharacters(m_view, SelectionRegion(0, 1), u"x");
    replaceCharacters(m_view, SelectionRegion(1, 2), u"y");
    m_buffer->undo();
    EXPECT_EQ(text(), u"xb");
}

TEST_F(TypingTest, ReadOnlyBufferIsLeftAloneWithoutAGroup)
{
    using Command = std::function<void(const ViewPtr&)>;
    const Command commands[] = {
        [](const ViewPtr& v) { insertCharacters(v, u"a"); },
        [](const ViewPtr& v) { insertAndDecodeCharacters(v, u"\n"); },
        [](const ViewPtr& v) { overwriteAndDecodeCharacters(v, u"a"); },
        [](const ViewPtr& v) { leftDeleteCharacters(v, true); },
        [](const ViewPtr& v) { rightDeleteCharacters(v); },
        [](const ViewPtr& v) { deleteCharacters(v); },
        [](const ViewPtr& v) { eraseSelections(v); },
        [](const ViewPtr& v) { replaceCharacters(v, SelectionRegion(0, 1), u"z"); },
    };
    for (const Command& command : commands) {
        open(u"  ab\ncd", {{1, 3}, {6, 6}});
        m_buffer->setReadOnly(true);
        command(m_view);
        EXPECT_EQ(text(), u"  ab\ncd");
        EXPECT_EQ(selections(), (Regions{{1, 3}, {6, 6}}));
        EXPECT_TRUE(m_buffer->undoStack().empty());
    }
}

TEST_F(TypingTest, AFailingIndentPatternIsLoggedOnceAndChangesNothing)
{
    struct Case {
        const char* name;
        std::string increase;
        const char16_t* line;
        const char16_t* report;
    } cases[] = {
        {"does not compile", "(typing test: unclosed", u"  if", u"Indentation pattern ignored"},
        // Exponential backtracking on a long line: the engine gives up.
        {"match abandoned", "\\s*(a|aa)*c", u"  aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab",
         u"Indentation pattern failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_preferences.reset();
        m_preferences = std::make_unique<IndentPreferences>(c.increase, "a^");
        const ustring line(c.line);
        open(line, {SelectionRegion(static_cast<int64_t>(line.size()))});
        LogRecorder log;
        EXPECT_NO_THROW(insertAndDecodeCharacters(m_view, u"\n"));
        EXPECT_NO_THROW(insertAndDecodeCharacters(m_view, u"x\n"));
        EXPECT_EQ(text(), line + u"\n  x\n  ");
        ASSERT_EQ(log.messages.size(), 1u);
        EXPECT_NE(log.messages[0].find(c.report), ustring::npos);
    }
}

TEST_F(TypingTest, IndentationHelpers)
{
    useBracePatterns();
    open(u"  a {\n\n\t\tb\n   ");
    ustring previous;
    EXPECT_EQ(previousNonEmptyLine(m_view, 6, previous), 5);
    EXPECT_EQ(previous, u"  a {");
    EXPECT_EQ(previousNonEmptyLine(m_view, 0, previous), 0);
    EXPECT_EQ(previous, u"");
    EXPECT_EQ(autoIndentText(m_view, 7), u"  \t"); // from "  a {" over the empty line
    EXPECT_EQ(autoIndentText(m_view, 0), u"");
    EXPECT_EQ(autoIndentText(m_view, 11), u"\t\t");
    EXPECT_EQ(lineIndentation(m_view, 9), u"\t\t");
    EXPECT_EQ(lineIndentation(m_view, 99), u"   ");

    struct Case {
        bool before;
        int64_t position;
        int32_t limit;
        int32_t erased;
        const char16_t* expected;
    } cases[] = {
        {true, 6, 4, 1, u"\t\tx      y"},  // a tab first
        {true, 10, 2, 2, u"\t\tx  \t  y"}, // spaces up to the limit
        {true, 10, 0, 0, u"\t\tx  \t    y"},
        {false, 0, 4, 1, u"\tx  \t    y"},
        {false, 6, 9, 4, u"\t\tx  \ty"},
        {false, 99, 4, 0, u"\t\tx  \t    y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        open(u"\t\tx  \t    y");
        const int32_t erased = c.before ? eraseIndentBefore(*m_buffer, c.position, c.limit)
                                        : eraseIndentAfter(*m_buffer, c.position, c.limit);
        EXPECT_EQ(erased, c.erased);
        EXPECT_EQ(text(), c.expected);
    }
}

} // namespace

// Editing commands end by showing the carets they moved: a view scrolled to
// the top follows an edit at a caret far below it, and indent shows the
// selections as they were before it.
TEST_F(TypingTest, EditsShowTheCaretsTheyMoved)
{
    const std::vector<std::pair<const char*, std::function<void(const ViewPtr&)>>> commands = {
        {"type", [](const ViewPtr& view) { insertAndDecodeCharacters(view, u"x"); }},
        {"insert", [](const ViewPtr& view) { insertCharacters(view, u"x"); }},
        {"backspace", [](const ViewPtr& view) { leftDeleteCharacters(view, false); }},
        {"delete", [](const ViewPtr& view) { rightDeleteCharacters(view); }},
        {"indent", [](const ViewPtr& view) { indent(view, u"\t"); }},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.first);
        open(view_test::twentyLines(), {SelectionRegion(view_test::twentyLinesStart(18) + 1)});
        m_view->setOptions(view_test::optionsFrom("wordWrap false\nscrollPastEnd false"));
        m_view->setViewportSize(100.f, 80.f);
        ASSERT_EQ(m_view->translationY(), 0.0);
        command.second(m_view);
        EXPECT_GT(m_view->translationY(), 0.0);
    }
}
