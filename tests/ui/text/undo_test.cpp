#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "ui/string_utils.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_state.h"
#include "ui/text/selection_printers.h"

namespace {

slate::SP<TextBuffer> makeBuffer(const ustring& text)
{
    return slate::SP<TextBuffer>(new TextBuffer(text.data(), text.data() + text.size()));
}

// What the typing command does: in one group named by its command line,
// inserts at every caret from the last to the first and lets the carets
// move with the text (which does not count as setting the selection).
void type(const slate::SP<TextBuffer>& buffer, const ViewState& state, const ustring& text)
{
    ScopedUndoGroup group(u"insertAndDecodeCharacters \"" + escapeString(text) + u"\"", buffer,
                          true, false);
    const SelectionSet& sel = state.sel();
    for (size_t i = sel.size(); i-- > 0;)
        buffer->insertCharacters(sel[i].b, text);
}

// A command that changes the text but no selection.
void appendLine(const slate::SP<TextBuffer>& buffer)
{
    ScopedUndoGroup group(u"appendLine", buffer, true, false);
    buffer->insertCharacters(buffer->size(), u"\n");
}

void click(ViewState& state, int64_t position)
{
    state.mutableSel().set(0, SelectionRegion(position));
}

TEST(Undo, TypedCharactersMergeIntoOneGroupAndUndoRestoresTheCaret)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"0123456789");
    slate::SP<ViewState> state = buffer->createViewState();
    click(*state, 3);
    type(buffer, *state, u"a");
    type(buffer, *state, u"b");
    type(buffer, *state, u"\"");
    EXPECT_EQ(buffer->str(), u"012ab\"3456789");
    ASSERT_EQ(buffer->undoStack().size(), 1u);
    EXPECT_EQ(*buffer->undoStack().top().commandText, u"insertAndDecodeCharacters \"ab\\\"\"");
    EXPECT_EQ(state->sel()[0], SelectionRegion(6));

    buffer->undo();
    EXPECT_EQ(buffer->str(), u"0123456789");
    EXPECT_EQ(state->sel()[0], SelectionRegion(3));
    buffer->redo();
    EXPECT_EQ(buffer->str(), u"012ab\"3456789");
}

// Setting the selection between two commands, or inside a command, keeps
// the next group apart.
TEST(Undo, SelectionChangeBreaksTheMerge)
{
    struct Case {
        const char* name;
        bool insideGroup;
    };
    const Case cases[] = {{"click between commands", false}, {"selection set by a command", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBuffer> buffer = makeBuffer(u"0123456789");
        slate::SP<ViewState> state = buffer->createViewState();
        type(buffer, *state, u"a");
        if (c.insideGroup) {
            ScopedUndoGroup group(u"moveTo", buffer, true, false);
            click(*state, 5);
        } else {
            click(*state, 5);
        }
        type(buffer, *state, u"b");
        EXPECT_EQ(buffer->str(), u"a0123b456789");
        EXPECT_EQ(buffer->undoStack().modifyingCount(), 2);
        buffer->undo();
        EXPECT_EQ(buffer->str(), u"a0123456789");
        EXPECT_EQ(state->sel()[0], SelectionRegion(5));
    }
}

// Only the outermost group calls the listeners: modified when the text
// changed, selection-modified when anything changed. A group that changed
// nothing is dropped unless kept by force, which calls neither.
TEST(Undo, ClosingTheOutermostGroupCallsTheListeners)
{
    struct Case {
        const char* name;
        bool edit;
        bool select;
        bool forceKeep;
        int modified;
        int selectionModified;
        size_t groups;
    };
    const Case cases[] = {
        {"text and selection", true, true, false, 1, 1, 1},
        {"selection only", false, true, false, 0, 1, 1},
        {"nothing", false, false, false, 0, 0, 0},
        {"nothing, kept by force", false, false, true, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBuffer> buffer = makeBuffer(u"0123");
        slate::SP<ViewState> state = buffer->createViewState();
        int modified = 0;
        int selectionModified = 0;
        buffer->addModifiedListener([&] { ++modified; });
        buffer->addSelectionModifiedListener([&] { ++selectionModified; });
        {
            ScopedUndoGroup outer(u"command", buffer, false, c.forceKeep);
            ScopedUndoGroup inner(u"nested", buffer, false, false);
            if (c.edit)
                buffer->insertCharacters(0, u"x");
            if (c.select)
                click(*state, 2);
        }
        EXPECT_EQ(modified, c.modified);
        EXPECT_EQ(selectionModified, c.selectionModified);
        ASSERT_EQ(buffer->undoStack().size(), c.groups);
        if (c.groups)
            EXPECT_EQ(*buffer->undoStack().top().commandText, u"command");
    }
}

TEST(Undo, RepeatedCommandCountsRepeatsAndRecordsThemAsAMacro)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"x");
    slate::SP<ViewState> state = buffer->createViewState();
    buffer->beginMacroRecording();
    appendLine(buffer);
    appendLine(buffer);
    appendLine(buffer);
    ASSERT_EQ(buffer->undoStack().size(), 1u);
    EXPECT_EQ(buffer->undoStack().top().repeatCount, 3);
    EXPECT_EQ(buffer->lastCommand(), std::make_pair(ustring(u"appendLine"), 3));
    EXPECT_EQ(buffer->takeRecordedCommands(),
              (std::vector<ustring>{u"appendLine", u"appendLine", u"appendLine"}));
    EXPECT_FALSE(buffer->isRecordingMacro());
    buffer->undo();
    EXPECT_EQ(buffer->str(), u"x");
}

// Groups made after the mark become one group named "sequence" with every
// execution quoted, oldest first; undoing it restores the state before all.
TEST(Undo, GlueJoinsMarkedGroupsIntoOneSequence)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"x");
    slate::SP<ViewState> state = buffer->createViewState();
    buffer->markUndoGroupsForGluing();
    buffer->glueMarkedUndoGroups();
    ASSERT_EQ(buffer->undoStack().size(), 1u);
    EXPECT_EQ(*buffer->undoStack().top().commandText, u"sequence");

    buffer->markUndoGroupsForGluing();
    appendLine(buffer);
    appendLine(buffer);
    type(buffer, *state, u"a");
    buffer->glueMarkedUndoGroups();
    ASSERT_EQ(buffer->undoStack().size(), 2u);
    EXPECT_EQ(*buffer->undoStack().top().commandText,
              u"sequence \"appendLine\" \"appendLine\" \"insertAndDecodeCharacters \\\"a\\\"\"");
    EXPECT_EQ(buffer->str(), u"ax\n\n");
    buffer->undo();
    EXPECT_EQ(buffer->str(), u"x");
    EXPECT_EQ(state->sel()[0], SelectionRegion(0));
}

// Moving the caret after an undo keeps the redo history (the group waits on
// the pending stack); a soft undo takes it back and drops the redo history.
TEST(Undo, SelectionGroupsAfterUndoKeepTheRedoHistory)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"0123");
    slate::SP<ViewState> state = buffer->createViewState();
    type(buffer, *state, u"a");
    buffer->undo();
    EXPECT_TRUE(buffer->historyReplayed());
    {
        ScopedUndoGroup group(u"moveTo", buffer, true, false);
        click(*state, 2);
    }
    EXPECT_FALSE(buffer->historyReplayed());
    EXPECT_EQ(buffer->pendingStack().size(), 1u);
    EXPECT_TRUE(buffer->canRedo());

    buffer->softUndo();
    EXPECT_EQ(state->sel()[0], SelectionRegion(0));
    EXPECT_FALSE(buffer->canRedo());
    EXPECT_FALSE(buffer->canUndo());
    EXPECT_TRUE(buffer->canSoftRedo());

    // Only selection groups are left: undo does nothing and tells nobody.
    buffer->softRedo();
    int modified = 0;
    buffer->addModifiedListener([&] { ++modified; });
    buffer->addSelectionModifiedListener([&] { ++modified; });
    buffer->undo();
    EXPECT_EQ(modified, 0);
    EXPECT_EQ(state->sel()[0], SelectionRegion(2));
}

// A provisional group made while a key sequence is pending joins the typing
// before it when committed, and disappears without a trace when cancelled.
TEST(Undo, PredictionIsCommittedIntoTheTypingOrCancelled)
{
    struct Case {
        const char* name;
        bool commit;
        ustring text;
        size_t groups;
    };
    const Case cases[] = {{"commit", true, u"ab0", 1}, {"cancel", false, u"a0", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBuffer> buffer = makeBuffer(u"0");
        slate::SP<ViewState> state = buffer->createViewState();
        type(buffer, *state, u"a");
        buffer->beginPrediction();
        EXPECT_TRUE(buffer->isPredicting());
        type(buffer, *state, u"b");
        EXPECT_EQ(buffer->undoStack().size(), 2u);
        if (c.commit)
            buffer->commitPrediction();
        else
            buffer->cancelPrediction();
        EXPECT_FALSE(buffer->isPredicting());
        EXPECT_EQ(buffer->str(), c.text);
        EXPECT_EQ(buffer->undoStack().size(), c.groups);
        EXPECT_FALSE(buffer->canRedo());
        buffer->undo();
        EXPECT_EQ(buffer->str(), u"0");
    }
}

// Saving, undoing and typing makes the buffer dirty for good, even when the
// text comes back to what was saved; a scratch buffer is never dirty.
TEST(Undo, DirtyFollowsTheSavedPoint)
{
    struct Step {
        char action; // t type, u undo, r redo, s save
        bool dirty;
    };
    struct Case {
        const char* name;
        bool scratch;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"undo back to the save", false, {{'s', false}, {'t', true}, {'u', false}, {'r', true}}},
        {"save, undo, type", false,
         {{'t', true}, {'s', false}, {'u', true}, {'t', true}, {'u', true}, {'r', true}}},
        {"scratch", true, {{'t', false}, {'s', false}, {'u', false}, {'t', false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBuffer> buffer = makeBuffer(u"");
        buffer->m_scratch = c.scratch;
        slate::SP<ViewState> state = buffer->createViewState();
        EXPECT_FALSE(buffer->isDirty());
        for (size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE(i);
            switch (c.steps[i].action) {
            case 't': type(buffer, *state, u"a"); click(*state, 0); break;
            case 'u': buffer->undo(); break;
            case 'r': buffer->redo(); break;
            case 's': buffer->markSaved(); break;
            }
            EXPECT_EQ(buffer->isDirty(), c.steps[i].dirty);
        }
    }
}

// Random edits, undos and redos against a model of the text history. The
// texts hold CR, LF, tabs and unpaired surrogates, and large erasures go
// through the compressed form of the undo text; undoing everything must
// give back the original exactly.
TEST(Undo, RandomEditsUndoAndRedoMatchAModel)
{
    std::mt19937 random(20261211);
    const uchar kUnits[] = {u'a', u'b', u' ', u'\t', u'\r', u'\n', 0xD800, 0xDC00, 0xDBFF,
                            0xDFFF, 0x00E9, 0x4E2D, 0xFFFF, 0};
    auto randomText = [&](size_t maxLength) {
        ustring text(random() % maxLength, u'a');
        for (uchar& unit : text)
            unit = kUnits[random() % (sizeof kUnits / sizeof kUnits[0])];
        return text;
    };

    const ustring original = randomText(300);
    slate::SP<TextBuffer> buffer = makeBuffer(original);
    buffer->m_translateTabsToSpaces = true; // undo puts erased tabs back as tabs all the same
    slate::SP<ViewState> state = buffer->createViewState();
    std::vector<ustring> undoTexts; // texts before each group on the undo stack
    std::vector<ustring> redoTexts;
    ustring model = original;

    for (int step = 0; step < 4000; ++step) {
        const int size = static_cast<int>(model.size());
        const unsigned choice = random() % 10;
        if (choice < 6) {
            const ustring before = model;
            bool changed = false;
            {
                ScopedUndoGroup group(u"edit", buffer, false, false);
                const int edits = 1 + random() % 2;
                for (int e = 0; e < edits; ++e) {
                    const int current = static_cast<int>(model.size());
                    if (random() % 2) {
                        const int64_t position = static_cast<int>(random() % (current + 3)) - 1;
                        const ustring text = randomText(random() % 8 == 0 ? 400 : 6);
                        buffer->insertCharacters(position, text, true);
                        if (position >= 0 && position <= current) {
                            model.insert(static_cast<size_t>(position), text);
                            changed = true;
                        }
                    } else {
                        int64_t a = static_cast<int>(random() % (current + 6)) - 3;
                        int64_t b = random() % 8 == 0 ? a + 500 : a + static_cast<int>(random() % 9) - 4;
                        buffer->eraseCharacters(SelectionRegion(a, b));
                        const int64_t lo = std::max<int64_t>(std::min(a, b), 0);
                        const int64_t hi = std::min<int64_t>(std::max(a, b), current);
                        if (lo < hi) {
                            model.erase(static_cast<size_t>(lo), static_cast<size_t>(hi - lo));
                            changed = true;
                        }
                    }
                }
            }
            if (changed) {
                undoTexts.push_back(before);
                redoTexts.clear();
            }
        } else if (choice < 8) {
            buffer->undo();
            if (!undoTexts.empty()) {
                redoTexts.push_back(model);
                model = undoTexts.back();
                undoTexts.pop_back();
            }
        } else if (choice < 9) {
            buffer->redo();
            if (!redoTexts.empty()) {
                undoTexts.push_back(model);
                model = redoTexts.back();
                redoTexts.pop_back();
            }
        } else {
            ScopedUndoGroup group(u"moveTo", buffer, true, false);
            click(*state, size ? random() % size : 0);
        }
        ASSERT_EQ(buffer->size(), static_cast<int64_t>(model.size())) << "step " << step;
        ASSERT_TRUE(buffer->str() == model) << "step " << step;
        ASSERT_EQ(buffer->undoStack().modifyingCount(), static_cast<int32_t>(undoTexts.size()))
            << "step " << step << " choice " << choice;
    }
    while (buffer->canUndo())
        buffer->undo();
    EXPECT_TRUE(buffer->str() == original);
}

} // namespace
