// The scroll command's arithmetic on a grid font (units 10 wide, lines 16
// high) in a view that does not wrap or scroll past the end: offsets by
// lines, columns and pages with their clamps, and the caret dragged onto the
// fully visible lines.
#include "ui/text/scroll_lines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ui/text/selection_printers.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"
#include "ui/unicode.h"

using slate::SP;

namespace {

int64_t lineStart(int line) { return view_test::twentyLinesStart(line); }

class ScrollLinesTest : public testing::Test {
protected:
    ScrollLinesTest()
    {
        buffer = view_test::makeBuffer(view_test::twentyLines());
        view = buffer->createView(&canvas);
        view->setOptions(view_test::optionsFrom("wordWrap false\nscrollPastEnd false"));
        // Five lines of 16, ten units of 10.
        view->setViewportSize(100.f, 80.f);
    }

    void placeCaret(int64_t position, double preferredX = -1.0)
    {
        SelectionRegion caret(position);
        caret.xpos = preferredX;
        view->mutableSel().set(0, caret);
    }

    GridRecordingCanvas canvas;
    SP<TextBuffer> buffer;
    SP<TextBufferView> view;
};

TEST_F(ScrollLinesTest, OffsetsMoveByLinesColumnsAndPagesWithinTheLimits)
{
    // 21 lines of 16 in a viewport of 80: at most 256 down. The widest line
    // (the last, 500 wide) in 100, with two 'M's beyond it: 420.
    struct Case {
        double startX, startY;
        float lines, columns;
        bool byPages;
        double x, y;
    };
    const Case cases[] = {
        {0, 0, 1, 0, false, 0, 0},
        {0, 0, -1, 0, false, 0, 16},
        {0, 0, -3, 0, false, 0, 48},
        {0, 100, 2, 0, false, 0, 68},
        {0, 0, -1, 0, true, 0, 80},
        {0, 200, 1, 0, true, 0, 120},
        {0, 0, -100, 0, false, 0, 256},
        {0, 0, 0.5f, 0, false, 0, 0},
        {0, 0, 0, -2, false, 20, 0},
        {0, 0, 0, -1, true, 100, 0},
        {50, 0, 0, 10, false, 0, 0},
        {0, 0, 0, -100, false, 420, 0},
        {30, 40, 0, 0, false, 30, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.startX << "," << c.startY << " lines "
                                        << c.lines << " columns " << c.columns
                                        << (c.byPages ? " by pages" : ""));
        view->setTranslation(c.startX, c.startY);
        scrollLines(*view, c.lines, c.columns, c.byPages, false);
        EXPECT_EQ(view->translationX(), c.x);
        EXPECT_EQ(view->translationY(), c.y);
    }
}

TEST_F(ScrollLinesTest, AmountsThatAreNotNumbersLeaveTheOffsets)
{
    view->setTranslation(10, 32);
    scrollLines(*view, std::nanf(""), -HUGE_VALF, false, false);
    EXPECT_EQ(view->translationX(), 10.0);
    EXPECT_EQ(view->translationY(), 32.0);
}

TEST_F(ScrollLinesTest, CaretIsDraggedOntoTheFullyVisibleLines)
{
    struct Case {
        const char* what;
        double startY;
        float lines;
        int64_t caret;
        double preferredX;
        int64_t expected;
    };
    const Case cases[] = {
        // Scrolled down three lines: lines 3 to 7 are visible.
        {"top caret follows down", 0, -3, lineStart(0) + 2, -1, lineStart(3) + 2},
        {"preferred x is aimed at", 0, -3, lineStart(0), 30, lineStart(3) + 3},
        // From lines 3 to 7 up one: lines 2 to 6.
        {"bottom caret follows up", 48, 1, lineStart(10) + 4, -1, lineStart(6) + 4},
        {"visible caret stays", 0, -1, lineStart(3) + 1, -1, lineStart(3) + 1},
        // Half a line: the line cut at the top does not count.
        {"partly visible line", 0, -0.5f, lineStart(0) + 1, -1, lineStart(1) + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view->setTranslation(0, c.startY);
        placeCaret(c.caret, c.preferredX);
        scrollLines(*view, c.lines, 0, false, true);
        ASSERT_EQ(view->sel().size(), 1u);
        EXPECT_EQ(view->sel()[0], SelectionRegion(c.expected));
        EXPECT_EQ(view->sel()[0].xpos, c.preferredX);
    }
}

TEST_F(ScrollLinesTest, OnlyALoneCaretMovedByLinesIsDragged)
{
    struct Case {
        const char* what;
        std::vector<SelectionRegion> selection;
        float lines, columns;
        bool moveCaret;
    };
    const Case cases[] = {
        {"without moveCaret", {SelectionRegion(2)}, -3, 0, false},
        {"a selection", {{1, 3}}, -3, 0, true},
        {"two carets", {SelectionRegion(1), SelectionRegion(3)}, -3, 0, true},
        {"columns only", {SelectionRegion(2)}, 0, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view->setTranslation(0, 0);
        SelectionSet selection;
        for (const SelectionRegion& region : c.selection)
            selection.add(region);
        view->mutableSel() = selection;
        scrollLines(*view, c.lines, c.columns, false, c.moveCaret);
        EXPECT_EQ(view->sel(), selection);
    }
}

// A viewport less than a line high shows no line in full: the caret walks up
// to the first line and stops there instead of stepping in place forever.
TEST_F(ScrollLinesTest, CaretWalkEndsInAViewportLowerThanALine)
{
    struct Case {
        float height;
        double startY;
        float lines;
        int64_t expected;
    };
    const Case cases[] = {
        {10.f, 0, 1, lineStart(0) + 2},
        {0.f, 0, 1, lineStart(0) + 2},
        {10.f, 48, -1, lineStart(4) + 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "height " << c.height << " from " << c.startY);
        view->setViewportSize(100.f, c.height);
        view->setTranslation(0, c.startY);
        placeCaret(lineStart(8) + 2);
        scrollLines(*view, c.lines, 0, false, true);
        EXPECT_EQ(view->sel()[0], SelectionRegion(c.expected));
    }
}

} // namespace
