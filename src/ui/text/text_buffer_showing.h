// Showing text in a view: scrolling so that a caret is visible, going to a
// line, the undo commands of a view (which show what they restored), and
// the commands that jump between bookmarks and between misspelled words.
// Every editing command ends by showing its carets through these functions.
//
// Positions passed in are clamped into the text. Main thread only.
#pragma once

#include <cstdint>

#include "ui/text/selection_region.h"
#include "ui/text/selection_set.h"
#include "ui/ustring.h"

class TextBufferView;

// Lines kept between a caret scrolled into view and the edge it came from,
// when a margin is asked for.
constexpr int kShowMarginLines = 3;

// Scrolls the least distance that brings the layout point of `position`
// into the view's visible area: the viewport less one line at the bottom,
// and less three widths of 'M' at the right unless the view wraps. With
// `margin`, a point above or below the area ends kShowMarginLines lines
// inside it. A point already inside scrolls nothing. Either way a snippet
// field no selection touches any more is left.
void showPoint(TextBufferView& view, int64_t position, bool margin);
// showPoint of the region's anchor, then of its caret.
void showRegion(TextBufferView& view, const SelectionRegion& region, bool margin);
// Nothing when the caret of any region is visible already; otherwise shows
// the caret nearest a corner of the visible area (the first of equals).
void showRegions(TextBufferView& view, const SelectionSet& regions, bool margin);
// showRegions of the view's selection.
void showSelection(TextBufferView& view, bool margin);

// Makes the start of the 0-based `row` the only caret and shows it with a
// margin, as the undoable "gotoLine". A negative row goes to the first line,
// one past the last to the end of the text.
void gotoLine(TextBufferView& view, int32_t row);

// One step of the buffer's history and a look at the restored selection.
// Nothing when there is no such step.
void undoAndShow(TextBufferView& view);
void redoAndShow(TextBufferView& view);
void softUndoAndShow(TextBufferView& view);
void softRedoAndShow(TextBufferView& view);

// Bookmarks are the buffer's, shared by all its views; each is the region of
// the selection that set it. Every command but gotoBookmark is one undo
// group named after it.
//
// For each selection: removes the bookmarks that touch it, or when there
// are none, sets one there.
void toggleBookmark(TextBufferView& view);
void clearBookmarks(TextBufferView& view);
// The first bookmark after the last selection's anchor (wrapping to the
// first), or the last one wholly before it (wrapping to the last), becomes
// the only selection and is shown with a margin. Nothing without bookmarks.
void nextBookmark(TextBufferView& view);
void prevBookmark(TextBufferView& view);
// Shows the next bookmark, then selects them all. Nothing without bookmarks.
void allBookmarks(TextBufferView& view);
// Selects and shows the bookmark at `index` in text order; nothing for an
// index that bookmarkIndexValid refuses.
void gotoBookmark(TextBufferView& view, int32_t index);
// "Line " and the 1-based row where the bookmark begins; empty for an
// invalid index.
ustring bookmarkLabel(TextBufferView& view, int32_t index);
bool bookmarkIndexValid(TextBufferView& view, int32_t index);

// The misspelled word after the last selection's anchor (wrapping), or the
// last one wholly before it (wrapping), becomes the only selection, shown
// with a margin, in an undo group of the command's name. Text not lexed yet
// is lexed as far as the search needs. Nothing when the text has none.
void nextMisspelledWord(TextBufferView& view);
void prevMisspelledWord(TextBufferView& view);
// Whether the text holds any misspelled word (the enabled test of the two);
// lexes only up to the first one.
bool hasMisspelledWords(TextBufferView& view);
