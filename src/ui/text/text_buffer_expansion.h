// Commands that replace the selections of a view without touching its text:
// growing each selection to the word, line, bracket pair or scope around it,
// and the commands over the whole set (select all, invert, split, one
// selection). Each is one undo group named after the command
// ("expandSelectionTo word", "invertSelection") that may merge with the
// next, so that the step can be soft-undone and recorded in macros. Main
// thread only.
#pragma once

#include "ui/text/text_buffer_functions.h"

// Each selection grows to the cover of the words at its two ends.
void expandSelectionToWord(const ViewPtr& view);
// Each selection grows to whole lines, newline included; a selection that
// ends at a line start takes that next line too. Shows the result.
void expandSelectionToLine(const ViewPtr& view);
// Each selection becomes its bracketRegion, or stays when there is none.
void expandSelectionToBrackets(const ViewPtr& view);
// Each selection becomes its scopeRegion.
void expandSelectionToScope(const ViewPtr& view);
// One selection over the whole text; does not scroll.
void selectAll(const ViewPtr& view);
// The gaps between the selections, or a caret at 0 when there are none.
void invertSelection(const ViewPtr& view);
// Every non-empty selection becomes a caret at each of its ends.
void splitSelection(const ViewPtr& view);
// Every selection is cut into its pieces between newlines.
void splitSelectionIntoLines(const ViewPtr& view);
// Only the first selection is kept, and shown with a margin.
void singleSelection(const ViewPtr& view);

// The next larger bracketed span around `region`, by the buffer's enabled
// bracket kinds: the inside of the innermost pair around it, then that pair
// with its brackets, then the inside of the pair around that, and so on.
// (0, 0) when there is no pair.
SelectionRegion bracketRegion(const ViewPtr& view, const SelectionRegion& region);
// The extent of the syntax scope around `region`, or bracketRegion when
// that is no larger and not (0, 0).
SelectionRegion scopeRegion(const ViewPtr& view, const SelectionRegion& region);
