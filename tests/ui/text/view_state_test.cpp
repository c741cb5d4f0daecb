#include <gtest/gtest.h>

#include <vector>

#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_state.h"
#include "ui/text/selection_printers.h"

namespace {

slate::SP<TextBuffer> makeBuffer(const ustring& text)
{
    return slate::SP<TextBuffer>(new TextBuffer(text.data(), text.data() + text.size()));
}

// What snippet insertion leaves behind for "${1:abc} ${1}" at 0 of
// "abc abc rest": field 1 at (0, 3) mirrored at (4, 7), selected.
void insertSnippetFields(const slate::SP<TextBuffer>& buffer, ViewState& state)
{
    ScopedUndoGroup group(u"insertSnippet", buffer, false, false);
    const TrackedPointId first = state.mutableTrackedPoints().addPoints({0, 3, 4, 7});
    TrackedRegionGroup field;
    field.fieldPairs.push_back({first, first + 1});
    field.mirrors.push_back(TrackedRegion({first, first + 1}, {first + 2, first + 3}, nullptr));
    state.mutableTrackedRegions().replaceCurrent({field});
    state.addFieldRegions(state.trackedPoints().regionsOf(field.fieldPairs));
    state.trackedRegions().markCurrent(state.mutableTrackedPoints());
    state.selectField();
}

TEST(ViewState, FreshStateHasOneCaretAndIsListedByItsBuffer)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"abc");
    {
        slate::SP<ViewState> state = buffer->createViewState();
        EXPECT_EQ(state->sel().size(), 1u);
        EXPECT_EQ(state->sel()[0], SelectionRegion(0));
        EXPECT_FALSE(state->selectionHistory().hasPrevious());
        EXPECT_EQ(buffer->viewStates(), std::vector<ViewState*>{state.get()});
    }
    EXPECT_TRUE(buffer->viewStates().empty());
}

// Undo puts a snapshot back only into the view state it was taken of, even
// when a later state happens to live at the dead one's address.
TEST(ViewState, UndoLeavesAStateMadeAfterTheSnapshotAlone)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"0123456789");
    const ViewState* oldAddress = nullptr;
    {
        slate::SP<ViewState> state = buffer->createViewState();
        oldAddress = state.get();
        state->mutableSel().set(0, SelectionRegion(2));
        ScopedUndoGroup group(u"edit", buffer, false, false);
        buffer->insertCharacters(8, u"x");
    }
    slate::SP<ViewState> later = buffer->createViewState();
    later->mutableSel().set(0, SelectionRegion(7));
    buffer->undo();
    EXPECT_EQ(buffer->str(), u"0123456789");
    EXPECT_EQ(later->sel()[0], SelectionRegion(7));
    if (later.get() != oldAddress)
        GTEST_SKIP() << "the new state got another address; the mix-up cannot arise";
}

// Field regions grow with text typed at either edge; edits elsewhere move
// them. Named regions keep their preferred x, the selection loses it.
TEST(ViewState, EditsMoveFieldsNamedRegionsAndTheSelection)
{
    struct Case {
        const char* name;
        int64_t position;
        int64_t delta; // < 0: erase (position, position - delta)
        SelectionRegion field; // starts at (2, 5)
        SelectionRegion named; // starts at (6, 8)
    };
    const Case cases[] = {
        {"typing at the field's end", 5, 1, {2, 6}, {7, 9}},
        {"typing at the field's start", 2, 1, {2, 6}, {7, 9}},
        {"typing before the field", 1, 1, {3, 6}, {7, 9}},
        {"typing at the named region's start", 6, 1, {2, 5}, {7, 9}},
        {"erasing across the field's end", 4, -3, {2, 4}, {4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBuffer> buffer = makeBuffer(u"0123456789");
        slate::SP<ViewState> state = buffer->createViewState();
        state->addFieldRegions(SelectionSet(SelectionRegion(2, 5)));
        state->mutableSel().set(0, SelectionRegion(9, 9, 40));
        const ustring* name = buffer->internRegionName(u"marks");
        state->namedRegions(name).regions.add(SelectionRegion(6, 8, 30));
        if (c.delta > 0)
            buffer->insertCharacters(c.position, ustring(static_cast<size_t>(c.delta), u'x'));
        else
            buffer->eraseCharacters(SelectionRegion(c.position, c.position - c.delta));
        EXPECT_EQ(state->fieldRegions()[0], c.field);
        EXPECT_EQ(state->namedRegions().at(name).regions[0], c.named);
        EXPECT_EQ(state->namedRegions().at(name).regions[0].xpos, 30.0);
        EXPECT_EQ(state->sel()[0].xpos, -1.0);
    }
}

// Snippet mode lasts while every caret touches some field, whichever.
TEST(ViewState, FieldsEndOnlyWhenSomeCaretTouchesNone)
{
    struct Case {
        const char* name;
        std::vector<SelectionRegion> carets;
        bool ends;
    };
    const Case cases[] = {
        {"one caret in each field", {{1, 1}, {5, 5}, {9, 9}}, false},
        {"carets on field edges", {{0, 0}, {6, 6}, {10, 10}}, false},
        {"several carets in one field", {{4, 4}, {5, 5}, {6, 6}}, false},
        {"a selection across two fields", {{1, 5}}, false},
        {"the last caret outside", {{1, 1}, {5, 5}, {12, 12}}, true},
        {"the first caret outside", {{3, 3}, {5, 5}, {9, 9}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBuffer> buffer = makeBuffer(u"0123456789abcdef");
        slate::SP<ViewState> state = buffer->createViewState();
        SelectionSet fields;
        for (const SelectionRegion& field : {SelectionRegion(0, 2), SelectionRegion(4, 6), SelectionRegion(8, 10)})
            fields.add(field);
        state->addFieldRegions(fields);
        {
            ScopedUndoGroup group(u"moveTo", buffer, true, false);
            SelectionSet& sel = state->mutableSel();
            sel.clear();
            for (const SelectionRegion& caret : c.carets)
                sel.add(caret);
        }
        EXPECT_EQ(state->fieldRegions().empty(), c.ends);
    }
}

// Selecting a field selects its regions and makes its mirrors the buffer's
// dependent regions; typing rewrites the mirror; leaving every field, then
// closing a group, ends snippet mode.
TEST(ViewState, SnippetFieldsFollowTypingAndEndWhenTheCaretLeaves)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"abc abc rest");
    slate::SP<ViewState> state = buffer->createViewState();
    state->mutableSelectionHistory().push();
    insertSnippetFields(buffer, *state);
    EXPECT_EQ(state->sel(), SelectionSet(SelectionRegion(0, 3)));
    ASSERT_EQ(buffer->dependentRegions().size(), 1u);
    EXPECT_EQ(buffer->dependentRegions()[0].destination, SelectionRegion(4, 7));

    {
        ScopedUndoGroup group(u"insertAndDecodeCharacters \"X\"", buffer, true, false);
        buffer->eraseCharacters(SelectionRegion(0, 3));
        buffer->insertCharacters(0, u"X");
    }
    EXPECT_EQ(buffer->str(), u"X X rest");
    EXPECT_EQ(state->fieldRegions()[0], SelectionRegion(0, 1));
    EXPECT_EQ(state->sel()[0], SelectionRegion(1));
    EXPECT_EQ(buffer->dependentRegions().size(), 1u);
    EXPECT_EQ(state->selectionHistory().size(), 2u);

    {
        ScopedUndoGroup group(u"moveTo", buffer, true, false);
        state->mutableSel().set(0, SelectionRegion(6));
    }
    EXPECT_TRUE(buffer->dependentRegions().empty());
    EXPECT_TRUE(state->fieldRegions().empty());
    EXPECT_TRUE(state->trackedPoints().points().empty());
    EXPECT_EQ(state->trackedRegions().size(), 1u);
    EXPECT_EQ(state->selectionHistory().size(), 1u);
    EXPECT_EQ(state->sel()[0], SelectionRegion(6));

    // Undo brings the fields' points and groups back with the text.
    buffer->undo();
    EXPECT_EQ(buffer->str(), u"abc abc rest");
    EXPECT_EQ(state->trackedPoints().points().size(), 4u);
    EXPECT_EQ(buffer->dependentRegions().size(), 1u);
}

} // namespace
