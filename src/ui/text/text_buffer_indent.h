// Line-oriented editing of a view: indenting and unindenting every line a
// selection touches, recomputing indentation from the line above, and
// joining lines with the line after them.
//
// Each command opens one undo group that never merges. None asks whether the
// buffer is read-only: the buffer refuses the edits itself. Bringing the
// selections into view is left to the caller. Main thread only.
#pragma once

#include <cstdint>

#include "ui/text/text_buffer_functions.h"
#include "ui/ustring.h"

// Puts `text` at the start of every line a selection touches, once per line.
// Empty lines are left alone (except an empty last line a selection begins
// on), and so is a line a selection only reaches at its very start.
void indent(const ViewPtr& view, const ustring& text);
// Takes one indentation step (a tab, or up to "tabSize" spaces) from the
// start of every line a selection touches.
void unindent(const ViewPtr& view);
// Gives every line a selection touches the indentation the line above asks
// for. With carets only, an unindented line under an unindented line gets
// one tab. Indentation written is recorded as automatic whitespace.
void reindent(const ViewPtr& view);
// Joins every selected line (a caret's line, or each line of a selection)
// with the line after it, leaving one space between their texts.
void join(const ViewPtr& view);

// Re-indents the line of `region` (a line start to its end); returns how
// much the text grew (negative: shrank).
int64_t reindentLine(const ViewPtr& view, const SelectionRegion& region, bool caretsOnly);
// Adds to `out` one line region (without newline) per line from the start
// of every selection's first line to the end of its last.
void selectedLineRegions(const ViewPtr& view, SelectionSet& out);
// Erases the blanks at the end of every selected line.
void trimSelectedLineEnds(const ViewPtr& view);
