#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ui/options.h"
#include "ui/text/bracket_matching.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_state.h"
#include "ui/unicode.h"
#include "ui/text/selection_printers.h"

namespace {

slate::SP<TextBuffer> makeBuffer(const ustring& text)
{
    return slate::SP<TextBuffer>(new TextBuffer(text.data(), text.data() + text.size()));
}

// Tabs become blanks up to the next stop counted from the insertion
// column, or a whole tab's worth without stops; a line feed inside the text
// starts counting again; literal insertion (how undo puts text back) keeps
// them.
TEST(TextBuffer, InsertExpandsTabsFromTheInsertionColumn)
{
    struct Case {
        const char* name;
        ustring text;
        bool translate;
        bool useTabStops;
        bool literal;
        ustring expected;
    };
    const Case cases[] = {
        {"tab at column 2 fills to the stop", u"a\tb", true, true, false, u"xxa b"},
        {"without tab stops a tab is four blanks", u"a\tb", true, false, false, u"xxa    b"},
        {"translation off keeps the tab", u"a\tb", false, true, false, u"xxa\tb"},
        {"a line feed restarts the columns", u"a\n\tb", true, true, false, u"xxa\n    b"},
        {"literal insertion keeps the tab", u"a\tb", true, true, true, u"xxa\tb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBuffer> buffer = makeBuffer(u"xx");
        buffer->m_translateTabsToSpaces = c.translate;
        buffer->m_useTabStops = c.useTabStops;
        const int32_t inserted = buffer->insertCharacters(2, c.text, c.literal);
        EXPECT_EQ(buffer->str(), c.expected);
        EXPECT_EQ(inserted, static_cast<int32_t>(c.expected.size() - 2));
    }
}

// An edit outside the text is clamped or refused before anything happens:
// no undo action, no moved caret or bookmark, no counted change.
TEST(TextBuffer, EditsOutsideTheTextAreClampedOrRefusedBeforeAnythingIsRecorded)
{
    struct Case {
        const char* name;
        bool erase;
        SelectionRegion region; // erase: the region; insert: a = position
        ustring expected;
        int64_t caretAfter; // the caret starts at 5
        int64_t bookmarkAfter; // the bookmark starts at 8
    };
    const Case cases[] = {
        {"erase before the start clamps to 0", true, {-5, 3}, u"3456789", 2, 5},
        {"erase past the end does nothing", true, {12, 20}, u"0123456789", 5, 8},
        {"erase ending at the end", true, {8, 30}, u"01234567", 5, 8},
        {"a reversed region is erased forwards", true, {7, 2}, u"01789", 2, 3},
        {"insert past the end is refused", false, {12, 12}, u"0123456789", 5, 8},
        {"insert before the start is refused", false, {-1, -1}, u"0123456789", 5, 8},
        {"insert at the end", false, {10, 10}, u"0123456789ab", 5, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBuffer> buffer = makeBuffer(u"0123456789");
        slate::SP<ViewState> state = buffer->createViewState();
        state->mutableSel().set(0, SelectionRegion(5));
        buffer->m_bookmarks.add(SelectionRegion(8));
        const bool changes = c.expected != buffer->str();
        if (c.erase)
            buffer->eraseCharacters(c.region);
        else
            buffer->insertCharacters(c.region.a, u"ab");
        EXPECT_EQ(buffer->str(), c.expected);
        EXPECT_EQ(state->sel()[0], SelectionRegion(c.caretAfter));
        EXPECT_EQ(buffer->m_bookmarks[0], SelectionRegion(c.bookmarkAfter));
        EXPECT_EQ(buffer->m_changeCount, changes ? 1u : 0u);
        EXPECT_EQ(buffer->undoStack().size(), changes ? 1u : 0u);
        EXPECT_EQ(buffer->isDirty(), changes);
        if (changes) {
            buffer->undo();
            EXPECT_EQ(buffer->str(), u"0123456789");
        }
    }
}

TEST(TextBuffer, ReadOnlyBufferRefusesEveryChange)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"abc");
    buffer->setReadOnly(true);
    EXPECT_EQ(buffer->insertCharacters(1, u"x"), 0);
    buffer->eraseCharacters(SelectionRegion(0, 2));
    EXPECT_EQ(buffer->str(), u"abc");
    EXPECT_EQ(buffer->m_changeCount, 0u);
    EXPECT_TRUE(buffer->undoStack().empty());
}

// Listeners run in order; load listeners (added at the front or the back)
// run once per load.
TEST(TextBuffer, LoadListenersRunOnceInOrder)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"");
    std::vector<int> calls;
    buffer->addLoadListener([&] { calls.push_back(2); });
    buffer->addLoadListener([&] { calls.push_back(1); }, true);
    buffer->notifyLoaded();
    buffer->notifyLoaded();
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
}

TEST(TextBuffer, DisplayNameAndTitle)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"");
    EXPECT_EQ(buffer->title(), u"untitled");
    buffer->m_name = u"notes";
    EXPECT_EQ(buffer->displayName(DisplayNameFlags::None), u"untitled");
    EXPECT_EQ(buffer->displayName(DisplayNameFlags::BufferName), u"notes");
    buffer->insertCharacters(0, u"x");
    EXPECT_EQ(buffer->displayName(DisplayNameFlags::BufferName | DisplayNameFlags::DirtyMark), u"notes*");
    EXPECT_EQ(buffer->title(), u"notes*");
}

// Options reach the buffer's settings; the line ending from the options
// applies only while the text's own has not been chosen.
TEST(TextBuffer, ApplyOptionsSetsTheBufferSettings)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"");
    Options options;
    options.set(u"translateTabsToSpaces", u"true");
    options.set(u"tabSize", u"40");
    options.set(u"matchBracketsBraces", u"true");
    options.set(u"spellCheck", u"false");
    options.set(u"defaultLineEnding", u"Unix");
    buffer->applyOptions(options);
    EXPECT_TRUE(buffer->m_translateTabsToSpaces);
    EXPECT_EQ(buffer->m_tabSize, 32);
    EXPECT_EQ(buffer->m_matchBrackets, kMatchParentheses | kMatchBraces);
    EXPECT_EQ(buffer->lineEnding(), kLineEndingUnix);

    buffer->setLineEnding(kLineEndingMac);
    options.set(u"defaultLineEnding", u"Windows");
    buffer->applyOptions(options);
    EXPECT_EQ(buffer->lineEnding(), kLineEndingMac);
}

// A mirror follows its source end to end: the source grows with text typed
// at its edge, the destination moves, and closing the group rewrites the
// destination from the source; undo restores both texts and the records.
TEST(TextBuffer, MirrorIsRewrittenWhenTheGroupClosesAndComesBackWithUndo)
{
    const ustring original = u"0123456789abcdefghijABCDEFGHIJ";
    slate::SP<TextBuffer> buffer = makeBuffer(original);
    {
        ScopedUndoGroup group(u"insertSnippet", buffer, false, false);
        buffer->addDependentRegion(SelectionRegion(10, 13), SelectionRegion(20, 23), nullptr,
                                   false);
    }
    // Closing the group wrote the source's text into the destination.
    EXPECT_EQ(buffer->str(), u"0123456789abcdefghijabcDEFGHIJ");
    ASSERT_EQ(buffer->dependentRegions().size(), 1u);
    const std::vector<DependentRegion> before = buffer->dependentRegions();
    const ustring textBefore = buffer->str();
    EXPECT_FALSE(before[0].dirty);

    {
        ScopedUndoGroup group(u"insertAndDecodeCharacters \"x\"", buffer, true, false);
        buffer->insertCharacters(13, u"x");
        const DependentRegion& mirror = buffer->dependentRegions()[0];
        EXPECT_EQ(mirror.source, SelectionRegion(10, 14));
        EXPECT_EQ(mirror.destination, SelectionRegion(21, 24));
        EXPECT_TRUE(mirror.dirty);
    }
    EXPECT_EQ(buffer->str(), u"0123456789abcxdefghijabcxDEFGHIJ");
    EXPECT_EQ(buffer->dependentRegions()[0].destination, SelectionRegion(21, 25));
    EXPECT_FALSE(buffer->dependentRegions()[0].dirty);
    EXPECT_EQ(buffer->undoStack().size(), 2u);

    buffer->undo();
    EXPECT_EQ(buffer->str(), textBefore);
    EXPECT_EQ(buffer->dependentRegions(), before);
    buffer->redo();
    EXPECT_EQ(buffer->str(), u"0123456789abcxdefghijabcxDEFGHIJ");
    buffer->undo();
    buffer->undo();
    EXPECT_EQ(buffer->str(), original);
    EXPECT_TRUE(buffer->dependentRegions().empty());
}

// Edits near but not at the source leave the mirror clean; an edit inside
// the destination ends the dependence.
TEST(TextBuffer, MirrorStaysCleanForDistantEditsAndDiesWithItsDestination)
{
    struct Case {
        const char* name;
        bool erase;
        SelectionRegion region;
        size_t recordsAfter;
        SelectionRegion source;
        SelectionRegion destination;
    };
    const Case cases[] = {
        {"insert one before the source", false, {9, 9}, 1, {11, 14}, {21, 24}},
        {"erase inside the destination", true, {21, 22}, 0, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBuffer> buffer = makeBuffer(u"0123456789abcdefghijabcDEFGHIJ");
        {
            ScopedUndoGroup group(u"insertSnippet", buffer, false, false);
            buffer->addDependentRegion(SelectionRegion(10, 13), SelectionRegion(20, 23), nullptr,
                                       false);
        }
        const ustring textBefore = buffer->str();
        {
            ScopedUndoGroup group(u"edit", buffer, false, false);
            if (c.erase)
                buffer->eraseCharacters(c.region);
            else
                buffer->insertCharacters(c.region.a, u"x");
            ASSERT_EQ(buffer->dependentRegions().size(), c.recordsAfter);
            if (c.recordsAfter) {
                EXPECT_EQ(buffer->dependentRegions()[0].source, c.source);
                EXPECT_EQ(buffer->dependentRegions()[0].destination, c.destination);
                EXPECT_FALSE(buffer->dependentRegions()[0].dirty);
            }
        }
        buffer->undo();
        EXPECT_EQ(buffer->str(), textBefore);
        EXPECT_EQ(buffer->dependentRegions().size(), 1u);
    }
}

} // namespace
