// Caret movement on a grid font (units 10 wide, lines 16 high) in a view of
// 100 by 80 that does not wrap: a page is five lines.
#include "ui/text/text_buffer_movement.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ui/text/selection_printers.h"
#include "ui/text/text_function_fixture.h"

namespace {

using Regions = std::vector<SelectionRegion>;
using Move = std::function<void(const ViewPtr&)>;

class MovementTest : public TextFunctionTest {
protected:
    void openView(const ustring& text, const Regions& regions = {})
    {
        open(text, regions);
        m_view->setOptions(view_test::optionsFrom("wordWrap false\nscrollPastEnd false"));
        m_view->setViewportSize(100.f, 80.f);
        m_buffer->m_wordSeparators = u"./";
    }
    // The carets after each of `steps` runs of `move`.
    std::vector<int64_t> caretsAfter(const Move& move, int steps)
    {
        std::vector<int64_t> carets;
        for (int i = 0; i < steps; ++i) {
            move(m_view);
            carets.push_back(m_view->sel()[0].b);
        }
        return carets;
    }
};

TEST_F(MovementTest, WordMovesStopAtWordStartsEndsAndLineBreaks)
{
    struct Case {
        const char* name;
        const char16_t* text;
        int64_t from;
        Move move;
        std::vector<int64_t> stops;
    };
    const Case cases[] = {
        {"starts forward", u"foo.bar baz", 0, [](const ViewPtr& v) { moveWords(v, true, false); },
         {3, 4, 8, 11, 11}},
        {"ends forward", u"foo.bar baz", 0, [](const ViewPtr& v) { moveWordEnds(v, true, false); },
         {3, 4, 7, 11}},
        {"starts backward", u"foo.bar baz", 11, [](const ViewPtr& v) { moveWords(v, false, false); },
         {8, 4, 3, 0, 0}},
        {"boundaries forward", u"foo.bar baz", 0,
         [](const ViewPtr& v) { moveWordBoundaries(v, true, false); }, {3, 4, 7, 8, 11}},
        {"starts over empty lines", u"ab\n\ncd", 0, [](const ViewPtr& v) { moveWords(v, true, false); },
         {2, 3, 4, 6}},
        {"ends back over empty lines", u"ab\n\ncd", 6,
         [](const ViewPtr& v) { moveWordEnds(v, false, false); }, {4, 3, 2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openView(c.text, {SelectionRegion(c.from)});
        EXPECT_EQ(caretsAfter(c.move, static_cast<int>(c.stops.size())), c.stops);
    }
}

TEST_F(MovementTest, PreferredXSurvivesAShortLine)
{
    openView(u"0123456789\nab\n0123456789", {SelectionRegion(10)});
    EXPECT_EQ(caretsAfter([](const ViewPtr& v) { moveLines(v, true, false); }, 2),
              (std::vector<int64_t>{13, 24}));
    EXPECT_EQ(m_view->sel()[0].xpos, 100.0);
    EXPECT_EQ(caretsAfter([](const ViewPtr& v) { moveLines(v, false, false); }, 2),
              (std::vector<int64_t>{13, 10}));
}

TEST_F(MovementTest, LineEndThenDownKeepsToLineEnds)
{
    openView(u"abc\nabcdefgh\nx\n", {SelectionRegion(1)});
    moveToEol(m_view, false);
    EXPECT_EQ(selections(), Regions{SelectionRegion(3)});
    EXPECT_EQ(caretsAfter([](const ViewPtr& v) { moveLines(v, true, false); }, 2),
              (std::vector<int64_t>{12, 14}));
}

TEST_F(MovementTest, CharacterAndLineMovesCollapseExtendAndStopAtTheEnds)
{
    struct Case {
        const char* name;
        bool lines;
        SelectionRegion from;
        bool forward, extend;
        SelectionRegion to;
    };
    const Case cases[] = {
        {"character back collapses to the begin", false, {4, 2}, false, false, SelectionRegion(2)},
        {"character forward collapses to the end", false, {4, 2}, true, false, SelectionRegion(4)},
        {"extending a character moves the caret", false, {4, 2}, false, true, {4, 1}},
        {"character clamped at the start", false, SelectionRegion(0), false, false, SelectionRegion(0)},
        {"character clamped at the end", false, SelectionRegion(7), true, true, SelectionRegion(7)},
        {"extending up at 0 stays", true, {2, 0}, false, true, {2, 0}},
        {"extending down at the end stays", true, {2, 7}, true, true, {2, 7}},
        {"extending up from the first line goes to 0", true, {2, 1}, false, true, {2, 0}},
        {"extending down from the last line goes to the end", true, {1, 5}, true, true, {1, 7}},
        {"collapsing down takes the end", true, {1, 5}, true, false, SelectionRegion(5)},
        {"a caret up from the first line stays", true, SelectionRegion(2), false, false, SelectionRegion(2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openView(u"abc\nabc", {c.from});
        if (c.lines)
            moveLines(m_view, c.forward, c.extend);
        else
            moveCharacters(m_view, c.forward, c.extend);
        EXPECT_EQ(selections(), Regions{c.to});
        if (!c.lines)
            EXPECT_EQ(m_view->sel()[0].xpos, -1.0);
    }
}

TEST_F(MovementTest, SmartLineStartAlternates)
{
    struct Case {
        const char* name;
        const char16_t* text;
        int64_t from;
        std::vector<int64_t> stops;
    };
    const Case cases[] = {
        {"indented line", u"x\n  ab", 6, {4, 2, 4}},
        {"blank line", u"x\n   \ny", 5, {2, 5, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openView(c.text, {SelectionRegion(c.from)});
        EXPECT_EQ(caretsAfter([](const ViewPtr& v) { moveToBol(v, false); }, 3), c.stops);
    }
}

TEST_F(MovementTest, PageMovesScrollByAPageAndKeepTheHorizontalOffset)
{
    const auto lineAt = view_test::twentyLinesStart;
    struct Case {
        const char* name;
        int64_t from;
        double fromY;
        bool forward;
        int64_t to;
        double y;
    };
    const Case cases[] = {
        {"down a page", lineAt(2) + 3, 0, true, lineAt(7) + 3, 80},
        {"up a page", lineAt(9) + 3, 96, false, lineAt(4) + 3, 16},
        {"up within the first page goes to 0", lineAt(2) + 3, 0, false, 0, 0},
        {"down within the last page goes to the end", lineAt(18) + 3, 256, true, 190, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openView(view_test::twentyLines(), {SelectionRegion(c.from)});
        m_view->setTranslation(30, c.fromY);
        EXPECT_TRUE(movePages(m_view, c.forward, false));
        EXPECT_EQ(selections(), Regions{SelectionRegion(c.to)});
        EXPECT_EQ(m_view->translationX(), 30);
        EXPECT_EQ(m_view->translationY(), c.y);
    }
}

TEST_F(MovementTest, WholeLineMovesSelectLinesAndThenAddOrDropThem)
{
    struct Case {
        const char* name;
        SelectionRegion from;
        bool forward;
        std::vector<SelectionRegion> steps;
    };
    const Case cases[] = {
        {"down from a caret", SelectionRegion(1), true, {{0, 3}, {0, 6}}},
        {"up from a caret", SelectionRegion(4), false, {{6, 3}, {6, 0}}},
        {"up over a downward selection drops its last line", {0, 6}, false, {{0, 3}}},
        {"last line without a newline", SelectionRegion(7), true, {{6, 8}, {6, 8}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openView(u"ab\ncd\nef", {c.from});
        for (const SelectionRegion& expected : c.steps) {
            moveWholeLines(m_view, c.forward);
            EXPECT_EQ(selections(), Regions{expected});
        }
    }
}

TEST_F(MovementTest, SelectLinesAddsACaretOnTheNextLine)
{
    openView(u"abc\nabc\nabc", {SelectionRegion(1), {9, 10}});
    selectLines(m_view, true);
    EXPECT_EQ(selections(), (Regions{SelectionRegion(1), SelectionRegion(5), {9, 10}}));
}

TEST_F(MovementTest, MatchingBracketPoint)
{
    struct Case {
        int64_t from, to;
    };
    const Case cases[] = {{1, 6}, {6, 1}, {2, 5}, {5, 2}, {3, 5}, {0, 0}, {7, 7}};
    openView(u"a(bcd)e");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        EXPECT_EQ(matchingBracketPoint(m_view, c.from), c.to);
    }
}

TEST_F(MovementTest, EachCommandIsOneGroupNamedByItsCommandLine)
{
    openView(u"ab cd\n  ef (g)\nhi", {SelectionRegion(1)});
    m_buffer->beginMacroRecording();
    moveWords(m_view, true, false);
    moveWords(m_view, true, true);
    moveWordEnds(m_view, false, false);
    moveWordBoundaries(m_view, true, true);
    moveCharacters(m_view, false, false);
    moveLines(m_view, true, false);
    movePages(m_view, false, true);
    moveToBof(m_view, false);
    selectLines(m_view, true);
    moveWholeLines(m_view, false);
    moveToHardBol(m_view, false);
    moveToBol(m_view, true);
    moveToHardEol(m_view, false);
    moveToBof(m_view, false);
    moveToEol(m_view, true);
    moveToEof(m_view, true);
    moveToBrackets(m_view);
    const std::vector<ustring> expected = {
        u"move words 1", u"move words 1 extend", u"move wordends -1", u"move wordboundaries 1 extend",
        u"move characters -1", u"move lines 1", u"move pages -1 extend", u"moveTo bof",
        u"selectLines 1", u"move wholelines -1", u"moveTo hardbol", u"moveTo bol extend",
        u"moveTo hardeol", u"moveTo bof", u"moveTo eol extend", u"moveTo eof extend", u"moveTo brackets",
    };
    EXPECT_EQ(m_buffer->takeRecordedCommands(), expected);
}

TEST_F(MovementTest, EveryMoveIsHarmlessAtTheEndsAndOnAnEmptyText)
{
    const std::vector<Move> moves = {
        [](const ViewPtr& v) { moveCharacters(v, true, true); },
        [](const ViewPtr& v) { moveCharacters(v, false, false); },
        [](const ViewPtr& v) { moveWords(v, true, false); },
        [](const ViewPtr& v) { moveWordEnds(v, false, true); },
        [](const ViewPtr& v) { moveLines(v, true, true); },
        [](const ViewPtr& v) { moveLines(v, false, false); },
        [](const ViewPtr& v) { movePages(v, true, false); },
        [](const ViewPtr& v) { movePages(v, false, true); },
        [](const ViewPtr& v) { selectLines(v, true); },
        [](const ViewPtr& v) { moveWholeLines(v, true); },
        [](const ViewPtr& v) { moveWholeLines(v, false); },
        [](const ViewPtr& v) { moveToBol(v, false); },
        [](const ViewPtr& v) { moveToEol(v, true); },
        [](const ViewPtr& v) { moveToHardEol(v, false); },
        [](const ViewPtr& v) { moveToBrackets(v); },
    };
    for (size_t i = 0; i < moves.size(); ++i) {
        SCOPED_TRACE(i);
        openView(u"");
        moves[i](m_view);
        EXPECT_EQ(selections(), Regions{SelectionRegion(0)});
        openView(u"ab");
        select({});
        moves[i](m_view);
        EXPECT_TRUE(m_view->sel().empty());
    }
    openView(u"ab\ncd");
    EXPECT_EQ(wordBoundary(m_view, 99, true, true, false), 5);
    EXPECT_EQ(wordBoundary(m_view, -4, false, true, true), 0);
    EXPECT_EQ(pointByLines(m_view, 99, 1, true, -1.0), 5);
    EXPECT_EQ(smartLineStart(m_view, -1, -1.0).position, 0);
    EXPECT_EQ(visualLineEnd(m_view, 99, -1.0).position, 5);
    EXPECT_EQ(matchingBracketPoint(m_view, 99), 5);
}

} // namespace
