// Inserting snippets into a view and moving through their fields.
#include "ui/text/snippet_insertion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/text/selection_printers.h"
#include "ui/text/text_function_fixture.h"
#include "ui/text/view_state.h"
#include "ui/unicode.h"

namespace {

using Regions = std::vector<SelectionRegion>;

class SnippetInsertionTest : public TextFunctionTest {};

TEST_F(SnippetInsertionTest, InsertsShapedForTheBufferAndSelectsTheFirstField)
{
    struct Case {
        const char16_t* name;
        const char16_t* text;
        Regions selection;
        int64_t eraseCount;
        bool softTabs;
        const char16_t* content;
        std::vector<ustring> parameters;
        const char16_t* expected;
        Regions field;
    } cases[] = {
        {u"selection", u"x old y", {{2, 5}}, 0, false, u"[$SELECTION$1]", {}, u"x [old] y", {{6, 6}}},
        {u"two-tab indentation", u"\t\tfoo", {SelectionRegion(5)}, 0, false, u"a\n${1:b}", {},
         u"\t\tfooa\n\t\tb", {{9, 10}}},
        {u"soft tabs", u"", {SelectionRegion(0)}, 0, true, u"{\n\t$1\n}", {}, u"{\n    \n}", {{6, 6}}},
        {u"soft tabs after indentation", u"  x", {SelectionRegion(3)}, 0, true, u"a\n\t${1:b}", {},
         u"  xa\n      b", {{11, 12}}},
        {u"erase count", u"say foo", {SelectionRegion(7)}, 3, false, u"bar($1)", {}, u"say bar()",
         {{8, 8}}},
        {u"erase count past the start", u"fo", {SelectionRegion(2)}, 3, false, u"bar($1)", {},
         u"bar()", {{4, 4}}},
        // A trigger's erase never reaches into the copy before it.
        {u"erase count stops at the previous copy", u"ab", {SelectionRegion(1), SelectionRegion(2)}, 2,
         false, u"X$1", {}, u"XX", {SelectionRegion(1), SelectionRegion(2)}},
        {u"parameters", u"", {SelectionRegion(0)}, 0, false, u"$PARAM1-$PARAM2-${PARAM3:none}$1",
         {u"a", u"b"}, u"a-b-none", {{8, 8}}},
        {u"line variables", u"one\n  two", {SelectionRegion(7)}, 0, false,
         u"<$TM_LINE_NUMBER:$TM_LINE_INDEX:$TM_CURRENT_WORD:$TM_CURRENT_LINE:$TM_SOFT_TABS:"
         u"$TM_TAB_SIZE:${TM_FILENAME:none}>",
         {}, u"one\n  t<2:3:two:  two:NO:4:none>wo", {{32, 32}}},
        {u"broken mirror expression", u"", {SelectionRegion(0)}, 0, false, u"${1:ab} ${1/(/x/}", {},
         u"ab ab", {{0, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.name));
        open(c.text, c.selection);
        m_buffer->m_translateTabsToSpaces = c.softTabs;
        m_buffer->m_tabSize = 4;
        insertSnippetText(m_view, c.eraseCount, c.content, c.parameters);
        EXPECT_EQ(text(), c.expected);
        EXPECT_EQ(selections(), c.field);
    }
}

TEST_F(SnippetInsertionTest, FieldsOfEveryCopyMoveTogether)
{
    open(u"x\ny", {SelectionRegion(1), SelectionRegion(3)});
    insertSnippetText(m_view, 0, u"(${1:a}|$0)", {});
    EXPECT_EQ(text(), u"x(a|)\ny(a|)");
    EXPECT_EQ(selections(), (Regions{{2, 3}, {8, 9}}));
    ASSERT_TRUE(hasNextField(m_view));
    nextField(m_view);
    EXPECT_EQ(selections(), (Regions{SelectionRegion(4), SelectionRegion(10)}));
    EXPECT_FALSE(hasNextField(m_view));
    prevField(m_view);
    EXPECT_EQ(selections(), (Regions{{2, 3}, {8, 9}}));
}

TEST_F(SnippetInsertionTest, MirrorsFollowTheTypingUntilTheFieldsAreCleared)
{
    open(u"");
    m_buffer->m_autoIndent = false;
    insertSnippetText(m_view, 0, u"${1:foo} ${1/o/0/g}\n\t$0", {});
    EXPECT_EQ(text(), u"foo f00\n\t");
    insertAndDecodeCharacters(m_view, u"bob");
    EXPECT_EQ(text(), u"bob b0b\n\t");
    insertAndDecodeCharacters(m_view, u"o");
    EXPECT_EQ(text(), u"bobo b0b0\n\t");

    clearFields(m_view);
    EXPECT_FALSE(hasNextField(m_view));
    insertAndDecodeCharacters(m_view, u"o");
    EXPECT_EQ(text(), u"boboo b0b0\n\t");
}

TEST_F(SnippetInsertionTest, MirrorFormatLineFeedsTakeTheLineIndentation)
{
    open(u"\tx", {SelectionRegion(2)});
    insertSnippetText(m_view, 0, u"${1:a}${1/a/\\n-/}", {});
    EXPECT_EQ(text(), u"\txa\n\t-");
    insertAndDecodeCharacters(m_view, u"aa");
    EXPECT_EQ(text(), u"\txaa\n\t-a");
}

TEST_F(SnippetInsertionTest, InsertionUndoesAsOneGroup)
{
    open(u"ab", {SelectionRegion(1), SelectionRegion(2)});
    insertSnippetText(m_view, 0, u"<$1\n$0>", {});
    EXPECT_EQ(text(), u"a<\n>b<\n>");
    EXPECT_EQ(m_buffer->lastCommand().first, u"Insert Snippet");
    m_buffer->softUndo();
    EXPECT_EQ(text(), u"ab");
}

TEST_F(SnippetInsertionTest, ContentThatDoesNotParseIsReportedAndInsertsNothing)
{
    package_test::ReportedErrors errors;
    open(u"abc", {SelectionRegion(1)});
    insertSnippetFile(m_view, 0, u"Pkg/open.vantrel-snippet", u"${1:abc", {});
    insertSnippetText(m_view, 0, u"${1/a/b", {});
    EXPECT_EQ(text(), u"abc");
    EXPECT_EQ(errors.take(),
              std::vector<std::string>{"Error parsing content for snippet Pkg/open.vantrel-snippet: Missing brace"});

    insertSnippetFile(m_view, 0, u"Pkg/ok.vantrel-snippet", u"[$1]", {});
    EXPECT_EQ(text(), u"a[]bc");
    EXPECT_TRUE(errors.take().empty());
}

TEST_F(SnippetInsertionTest, ReadOnlyBufferIsLeftAlone)
{
    open(u"abc", {SelectionRegion(1)});
    m_buffer->setReadOnly(true);
    insertSnippetText(m_view, 0, u"x$1y", {});
    EXPECT_EQ(text(), u"abc");
    EXPECT_FALSE(hasNextField(m_view));
}

} // namespace
