// Read-only questions about a view's text and selections: where lines start
// and end, the word or line around a point, a region cut into line pieces,
// and the tests on the selections and the characters next to them that key
// bindings, command tables and plug-ins ask.
//
// Every position argument is clamped into [0, size] first, so a stale or
// out-of-range position from a caller (a plug-in, an old selection) never
// reads outside the text. Regions returned are forward (`a` <= `b`).
//
// The editing functions built on these are declared in text_buffer_typing.h
// and text_buffer_indent.h (included at the end), so that callers need one
// header. Main thread only.
#pragma once

#include <cstdint>

#include "ui/reference_counted.h"
#include "ui/text/selection_region.h"
#include "ui/text/selection_set.h"
#include "ui/ustring.h"

class TextBufferView;

using ViewPtr = slate::SP<TextBufferView>;

// Line boundaries. The line end is the position of the line's newline, or
// the size on the last line; the full line end is one past that newline.
int64_t lineStart(const ViewPtr& view, int64_t position);
int64_t lineEnd(const ViewPtr& view, int64_t position);
int64_t fullLineEnd(const ViewPtr& view, int64_t position);

// The word around `position`: a run of word characters (anything but
// space, tab, newline and the buffer's word separators), or, between two
// non-word characters, the run of non-word characters, never crossing a
// newline. The word before the position wins when only it touches.
SelectionRegion word(const ViewPtr& view, int64_t position);
// The cover of the words at both ends of `region`.
SelectionRegion word(const ViewPtr& view, const SelectionRegion& region);
// (lineStart, lineEnd) and (lineStart, fullLineEnd) of a position, or of the
// begin and end of a region.
SelectionRegion line(const ViewPtr& view, int64_t position);
SelectionRegion fullLine(const ViewPtr& view, int64_t position);
SelectionRegion line(const ViewPtr& view, const SelectionRegion& region);
SelectionRegion fullLine(const ViewPtr& view, const SelectionRegion& region);

// Adds to `out` the pieces of `region` between newlines: one per line it
// crosses (empty for an empty line), none after a newline that ends it. An
// empty region is added as it is.
void splitByNewlines(const ViewPtr& view, const SelectionRegion& region, SelectionSet& out);
void splitAllByNewlines(const SelectionSet& regions, const ViewPtr& view, SelectionSet& out);
// Adds the line regions (without newlines) of every line `region` touches.
void lines(const ViewPtr& view, const SelectionRegion& region, SelectionSet& out);

// The last selection when it is not empty, else the word at its anchor;
// (0, 0) without selections.
SelectionRegion lastSelectionOrWord(const ViewPtr& view);
// Some selection has its ends on different rows.
bool newlineInSelection(const ViewPtr& view);

// These three accept a null view (false).
bool hasNonEmptySelectionRegion(const ViewPtr& view);
bool hasMultipleNonEmptySelectionRegions(const ViewPtr& view);
bool hasSelection(const ViewPtr& view);
// True without selections.
bool allSelectionsEmpty(const ViewPtr& view);
bool allSelectionsNonEmpty(const ViewPtr& view);

// Tests of the characters around each selection's anchor `a`; all true
// without selections.
//
// Every selection is a caret and `character` stands at it.
bool allFollowingCharacter(const ViewPtr& view, uchar character);
// No selection, empty or not, has `character` at its anchor.
bool noFollowingCharacter(const ViewPtr& view, uchar character);
// Every anchor is past 0 with `character` just before it.
bool allPrecedingCharacter(const ViewPtr& view, uchar character);
// No anchor past 0 has `character` just before it.
bool noPrecedingCharacter(const ViewPtr& view, uchar character);

// Which text of a selection matchText tests.
enum MatchTextPart : int {
    kMatchPreceding = 0, // from the start of the begin's line to the end
    kMatchSelected = 1, // the selected text
    kMatchFollowing = 2, // from the begin to the end of the end's line
};
// Whether the whole chosen text of every selection (with `negate`: of none)
// matches `pattern`, a Perl-syntax regular expression. True without
// selections. A pattern that does not compile is logged and answers false.
bool matchText(const ViewPtr& view, const ustring& pattern, int part, bool negate);

#include "ui/text/text_buffer_indent.h"
#include "ui/text/text_buffer_typing.h"
