// Recalling history entries into a one-line field by caret moves past its
// line: the steps through the list, where they stop, and the edit they make.
#include "panels/history_field.h"

#include <gtest/gtest.h>

#include "panels/history_list.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/selection_printers.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"

namespace {

constexpr int32_t kUp = -1;
constexpr int32_t kDown = 1;

class RecallHistoryTest : public testing::Test {
protected:
    RecallHistoryTest() : list(kFieldHistoryMaximum, false) { list.restore({u"newest", u"middle", u"oldest"}); }

    // A field holding `text` with the caret at its start.
    void fieldWith(const ustring& text)
    {
        buffer = view_test::makeBuffer(text);
        field = buffer->createView(&canvas);
        field->mutableSel() = SelectionSet(SelectionRegion(0));
    }
    ustring fieldText() const { return buffer->substr(SelectionRegion(0, buffer->size())); }

    GridRecordingCanvas canvas;
    HistoryList list;
    slate::SP<TextBuffer> buffer;
    slate::SP<TextBufferView> field;
};

TEST_F(RecallHistoryTest, LineMovesStepThroughTheListAndStopAtItsEnds)
{
    struct Case {
        const char* name;
        ustring text;
        int32_t amount;
        ustring after;
    };
    const Case cases[] = {
        {"up in an empty field recalls the newest", u"", kUp, u"newest"},
        {"up recalls the next older entry", u"newest", kUp, u"middle"},
        {"up by several lines still steps once", u"newest", -3, u"middle"},
        {"up at the oldest changes nothing", u"oldest", kUp, u"oldest"},
        {"down recalls the next newer entry", u"oldest", kDown, u"middle"},
        {"a zero move counts as down", u"oldest", 0, u"middle"},
        {"down at the newest changes nothing", u"newest", kDown, u"newest"},
        {"down from a text in no entry changes nothing", u"typed", kDown, u"typed"},
        {"up from a text in no entry recalls the newest", u"typed", kUp, u"newest"},
        {"letter case matters when looking the text up", u"MIDDLE", kUp, u"newest"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fieldWith(c.text);
        recallHistory(*field, list, "lines", c.amount);
        EXPECT_EQ(c.after, fieldText());
    }
}

// The list's own case rule is for adding; recall always looks the field's
// text up exactly.
TEST_F(RecallHistoryTest, AListThatIgnoresCaseStillRecallsByExactText)
{
    HistoryList files(kFieldHistoryMaximum, true);
    files.restore({u"b.txt", u"a.txt"});
    fieldWith(u"A.TXT");
    recallHistory(*field, files, "lines", kUp);
    EXPECT_EQ(u"b.txt", fieldText());
}

TEST_F(RecallHistoryTest, OtherUnitsAndAnEmptyListChangeNothing)
{
    fieldWith(u"middle");
    recallHistory(*field, list, "characters", kUp);
    recallHistory(*field, list, "pages", kUp);
    recallHistory(*field, HistoryList(kFieldHistoryMaximum, false), "lines", kUp);
    EXPECT_EQ(u"middle", fieldText());
    EXPECT_FALSE(buffer->canUndo());
}

// A recall is one undo step that brings the typed text back, and leaves a
// single caret after the recalled text, whatever was selected before.
TEST_F(RecallHistoryTest, ARecallIsOneUndoStepAndLeavesTheCaretAtTheEnd)
{
    fieldWith(u"typed text");
    field->mutableSel() = view_test::setOf({SelectionRegion(0, 2), SelectionRegion(4, 5)});
    recallHistory(*field, list, "lines", kUp);
    EXPECT_EQ(u"newest", fieldText());
    EXPECT_EQ(SelectionSet(SelectionRegion(6)), field->sel());
    buffer->undo();
    EXPECT_EQ(u"typed text", fieldText());
}

// Entries come back exactly as entered, even where typing would change them.
TEST_F(RecallHistoryTest, TabsInAnEntryAreRecalledLiterally)
{
    HistoryList tabs(kFieldHistoryMaximum, false);
    tabs.add(u"a\tb");
    fieldWith(u"");
    buffer->m_translateTabsToSpaces = true;
    recallHistory(*field, tabs, "lines", kUp);
    EXPECT_EQ(u"a\tb", fieldText());
}

} // namespace
