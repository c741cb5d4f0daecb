// The text control's drags: extending by characters, words and lines, where
// the caret ends up, copying on mouse selection, one undo step per drag, and
// column selections.
#include "controls/text_drag_handlers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/text_control_fixture.h"
#include "support/memory_desktop.h"
#include "ui/notification_manager.h"
#include "ui/unicode.h"

namespace {

using Regions = std::vector<SelectionRegion>;

// "one two\n" 0..8, "three\n" 8..14, "four" 14..18.
const char16_t* const kThreeLines = u"one two\nthree\nfour";

class TextDragHandlersTest : public TextControlTest {
protected:
    void SetUp() override { NotificationManager::set(new NotificationManager(u"Test")); }
    void TearDown() override { NotificationManager::destroy(); }

    test_support::MemoryDesktop m_desktop;
};

TEST_F(TextDragHandlersTest, SelectionDragsExtendByTheirUnitWithTheCaretOnThePointersSide)
{
    struct Case {
        const char* name;
        int32_t code;
        int pressRow, pressColumn, dragRow, dragColumn;
        SelectionRegion after;
    };
    const Case cases[] = {
        {"downward", kMouseLeft, 0, 1, 1, 3, SelectionRegion(1, 11)},
        {"upward leaves the caret at the start", kMouseLeft, 1, 3, 0, 1, SelectionRegion(11, 1)},
        {"words", kMouseDoubleClick, 0, 1, 1, 2, SelectionRegion(0, 13)},
        {"words upward", kMouseDoubleClick, 1, 2, 0, 5, SelectionRegion(13, 4)},
        {"lines with their newlines", kMouseTripleClick, 0, 1, 1, 2, SelectionRegion(0, 14)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openControl(kThreeLines);
        focus();
        press(c.code, c.pressRow, c.pressColumn);
        dragTo(c.dragRow, c.dragColumn);
        release(c.dragRow, c.dragColumn);
        EXPECT_EQ(m_frame.platform.drag, nullptr);
        EXPECT_EQ(selections(), (Regions{c.after}));
    }
}

TEST_F(TextDragHandlersTest, CopyOnMouseSelectCopiesOnlyWhenThePointerMoved)
{
    struct Case {
        const char* name;
        int32_t endKey; // the key or button that ends the drag
        int endColumn;
        const char16_t* clipboard;
        Regions after;
    };
    const Case cases[] = {
        {"release away from the press", kMouseLeft, 3, u"one", {SelectionRegion(0, 3)}},
        {"release at the press", kMouseLeft, 0, u"", {SelectionRegion(0)}},
        {"escape keeps the selection", kKeyEscape, 3, u"one", {SelectionRegion(0, 3)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_desktop.m_text.clear();
        openControl(kThreeLines, {}, "copyOnMouseSelect true");
        focus();
        press(kMouseLeft, 0, 0);
        dragTo(0, 3);
        dragTo(0, c.endColumn);
        const bool pressed = c.endKey == kKeyEscape;
        m_frame.platform.dragKey(control_events::button(c.endKey, pressed, columnX(c.endColumn), rowY(0)));
        EXPECT_EQ(m_frame.platform.drag, nullptr);
        EXPECT_EQ(toUtf8(m_desktop.m_text), toUtf8(c.clipboard));
        EXPECT_EQ(selections(), c.after);
    }
}

TEST_F(TextDragHandlersTest, ADragIsOneUndoStep)
{
    openControl(kThreeLines, {SelectionRegion(16)});
    focus();
    press(kMouseLeft, 0, 0);
    dragTo(0, 2);
    dragTo(1, 1);
    dragTo(0, 5);
    release(0, 5);
    ASSERT_EQ(selections(), (Regions{SelectionRegion(0, 5)}));
    m_buffer->softUndo();
    EXPECT_EQ(selections(), (Regions{SelectionRegion(16)}));
}

TEST_F(TextDragHandlersTest, ColumnDragsSelectOneRegionPerRow)
{
    struct Case {
        const char* name;
        const char16_t* text;
        Regions before;
        int32_t button;
        std::initializer_list<int32_t> held;
        int fromRow, fromColumn, toRow, toColumn;
        Regions after;
    };
    const Case cases[] = {
        {"zero width gives a caret per line", u"abc\nabc\nabc", {}, kMouseMiddle, {}, 0, 1, 2, 1,
         {SelectionRegion(1), SelectionRegion(5), SelectionRegion(9)}},
        {"short lines are left out", u"abcdef\nab\nabcdef", {}, kMouseMiddle, {}, 0, 3, 2, 5,
         {SelectionRegion(3, 5), SelectionRegion(13, 15)}},
        {"right to left puts the carets left", u"abcdef\nabcdef", {}, kMouseMiddle, {}, 0, 4, 1, 2,
         {SelectionRegion(4, 2), SelectionRegion(11, 9)}},
        {"all rows short keep a caret each", u"ab\nab\nab", {}, kMouseMiddle, {}, 0, 4, 2, 6,
         {SelectionRegion(2), SelectionRegion(5), SelectionRegion(8)}},
        {"shift-right starts one too", u"abc\nabc", {}, kMouseRight, {kKeyLeftShift}, 0, 0, 1, 2,
         {SelectionRegion(0, 2), SelectionRegion(4, 6)}},
        {"ctrl keeps the other selections", u"abc\nabc\nabc", {SelectionRegion(11)}, kMouseMiddle,
         {kKeyLeftControl}, 0, 1, 0, 2, {SelectionRegion(1, 2), SelectionRegion(11)}},
        {"alt subtracts", u"abcd\nabcd\nab", {SelectionRegion(0, 12)}, kMouseMiddle, {kKeyLeftAlt}, 0, 1, 1, 3,
         {SelectionRegion(0, 1), SelectionRegion(3, 6), SelectionRegion(8, 12)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openControl(c.text, c.before);
        if (c.before.empty())
            select({SelectionRegion(0)});
        press(c.button, c.fromRow, c.fromColumn, c.held);
        dragTo(c.toRow, c.toColumn, c.button, c.held);
        release(c.toRow, c.toColumn, c.button);
        EXPECT_EQ(m_frame.platform.drag, nullptr);
        EXPECT_EQ(selections(), c.after);
    }
}

} // namespace
