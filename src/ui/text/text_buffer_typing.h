// Putting typed or commanded text into a view and taking it out again, at
// every selection, with automatic indentation.
//
// A typed newline copies the blanks before the caret onto the new line, one
// level deeper after a line that asks for it (the per-scope
// "increaseIndentPattern"). Blanks inserted that way are remembered in the
// view's "autows" region set: each region runs from the start of the
// indented line over the blanks, and its preferred-x slot holds the number
// of blanks the line is believed to start with. Later typing and deleting
// moves such indentation a level out when the line turns out to close a
// block ("decreaseIndentPattern"), and empties lines left holding nothing
// but it once no caret is on them (when "trimAutomaticWhitespace" is on). A
// line whose blanks no longer match the record has been taken over by the
// user and is forgotten.
//
// The commands open one undo group each, named by a command line that does
// the same again, and work from the last selection to the first. They do
// nothing at all on a read-only or loading buffer. Typing groups may merge
// with the next, so consecutive typing undoes in one step. Bringing the
// selections into view is left to the caller. Main thread only.
#pragma once

#include <cstdint>

#include "ui/command_line.h"
#include "ui/text/text_buffer_functions.h"
#include "ui/ustring.h"

class TextBuffer;

// The name of the named region set of automatic indentation.
extern const ustring kAutoWhitespaceName;

// Inserts `text` at every selection in place of the selected text, as it
// stands: no indentation, no automatic whitespace.
void insertCharacters(const ViewPtr& view, const ustring& text);
// Types `text` unit by unit at every selection, indenting after newlines,
// and replaces what was selected.
void insertAndDecodeCharacters(const ViewPtr& view, const ustring& text);
// As insertAndDecodeCharacters, but a caret then overwrites as many units
// as it typed, never past the end of its line.
void overwriteAndDecodeCharacters(const ViewPtr& view, const ustring& text);
// Backspace: erases the selected text, or the unit before every caret. With
// `toTabStop`, tab translation and tab stops on, a caret after spaces takes
// them back to the previous tab stop.
void leftDeleteCharacters(const ViewPtr& view, bool toTabStop);
// Delete: erases the selected text, or the unit at every caret.
void rightDeleteCharacters(const ViewPtr& view);
// Erases the selected text only.
void deleteCharacters(const ViewPtr& view);
// Erases every selection's text, the last first, inside the caller's group;
// afterwards every selection is a caret.
void eraseSelections(const ViewPtr& view);
// Replaces the text of `region` with `text` in a group of its own that never
// merges. A selection equal to `region` (the last one when several are)
// then covers the new text.
void replaceCharacters(const ViewPtr& view, const SelectionRegion& region, const ustring& text);

// One unit at `position`, with automatic indentation after a newline (when
// "autoIndent" is on): returns how many units the buffer grew by. No group
// of its own.
int64_t insertCharacter(const ViewPtr& view, int64_t position, uchar unit);
// The indentation a new line at `position` should get from the nearest line
// above with any text.
ustring autoIndentText(const ViewPtr& view, int64_t position);
// The nearest line ending before `position` that is not empty: its text goes
// to `text` and its end is returned; 0 and empty text when there is none.
int64_t previousNonEmptyLine(const ViewPtr& view, int64_t position, ustring& text);
// Erases one indentation step just before (after) `position`: a tab, or else
// up to `limit` spaces. Returns the number of units erased.
int32_t eraseIndentBefore(TextBuffer& buffer, int64_t position, int32_t limit);
int32_t eraseIndentAfter(TextBuffer& buffer, int64_t position, int32_t limit);
// Blanks are spaces and tabs.
bool isBlank(uchar unit);
// The number of blanks that start `text`.
int64_t leadingBlankCount(const ustring& text);
// The leading blanks of the line of `position`.
ustring lineIndentation(const ViewPtr& view, int64_t position);
// Forgets the automatic indentation of lines the user changed, and of lines
// no caret is on any more, emptying those that hold nothing else.
void cleanAutoWhitespace(const ViewPtr& view);
// Moves untouched automatic indentation a level in or out to follow the
// line above and whether the line now closes a block.
void reindentAutoWhitespace(const ViewPtr& view);
