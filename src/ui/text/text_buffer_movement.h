// Moving the carets of a view: by characters, words, lines and pages, to
// line starts and ends, to the ends of the text and to the matching bracket,
// either collapsing every selection onto its new caret or extending it.
//
// Each command is one undo group that may merge with the next, named by the
// command line that repeats it ("move words 1", "moveTo bol extend"), so
// that a caret step enters the history and macros under that name. Every
// command shows the new carets (without margin) and does nothing when the
// view has no selection. Vertical moves aim at each selection's preferred
// x, which they keep; the other moves reset it. Main thread only.
#pragma once

#include <cstdint>

#include "ui/text/text_buffer_functions.h"

// The preferred x that keeps vertical moves at the ends of lines.
constexpr double kLineEndX = 1.7976931348623157e308;

// One code unit, clamped to the text. Without `extend` a non-empty
// selection only collapses onto its end in the direction of the move.
void moveCharacters(const ViewPtr& view, bool forward, bool extend);
// To the next word start, word end, or either (see wordBoundary).
void moveWords(const ViewPtr& view, bool forward, bool extend);
void moveWordEnds(const ViewPtr& view, bool forward, bool extend);
void moveWordBoundaries(const ViewPtr& view, bool forward, bool extend);
// One line, or one viewport of lines, up or down; true when the selection
// changed. Without `extend` a non-empty selection only collapses onto its
// end in the direction of the move. A page move also scrolls by the lines it
// moved and keeps the horizontal scroll offset.
bool moveLines(const ViewPtr& view, bool forward, bool extend);
bool movePages(const ViewPtr& view, bool forward, bool extend);
// Adds a caret a line below (above) every caret.
void selectLines(const ViewPtr& view, bool forward);
// Selects the whole lines of every selection, newlines included; on a
// selection of whole lines, moves its caret a line on.
void moveWholeLines(const ViewPtr& view, bool forward);

void moveToHardBol(const ViewPtr& view, bool extend); // the line start
void moveToBol(const ViewPtr& view, bool extend); // smartLineStart
void moveToHardEol(const ViewPtr& view, bool extend); // the line end
void moveToEol(const ViewPtr& view, bool extend); // visualLineEnd
void moveToBof(const ViewPtr& view, bool extend);
void moveToEof(const ViewPtr& view, bool extend);
// Every caret to matchingBracketPoint; never extends.
void moveToBrackets(const ViewPtr& view);

// The unit functions. Positions passed in are clamped into the text.
//
// The next stop from `position` towards the end (start) of the text: a word
// start (a blank before a non-blank, a separator before a word character, a
// non-separator before a separator) with `stopAtStarts`, a word end (the
// reverse pairs) with `stopAtEnds`, any position next to a newline, or the
// end of the text. The starting position is never a stop, so no step
// crosses more than one newline.
int64_t wordBoundary(const ViewPtr& view, int64_t position, bool forward, bool stopAtStarts,
                     bool stopAtEnds);
// The position `lines` visual lines below (negative: above) `position` at
// `preferredX` (-1: its own x). A target above the text gives `position`
// back. With `clampToEnds`, a move that gets nowhere goes to the end (start)
// of the text instead.
int64_t pointByLines(const ViewPtr& view, int64_t position, int64_t lines, bool clampToEnds,
                     double preferredX);

// A position with the preferred x to keep there.
struct PositionAndX {
    int64_t position = 0;
    double x = -1.0;
};
// The first non-blank of the visual line of `position`, or its start when
// already there (or when the line holds only blanks and the position is
// not at its start).
PositionAndX smartLineStart(const ViewPtr& view, int64_t position, double preferredX);
// The end of the visual line of `position`, with kLineEndX.
PositionAndX visualLineEnd(const ViewPtr& view, int64_t position, double preferredX);
// The other end of the enclosing or touching bracket pair: from outside one
// bracket to outside the other, from inside to inside, and from anywhere
// else in the pair to just inside its closing bracket. `position` itself
// when there is no pair.
int64_t matchingBracketPoint(const ViewPtr& view, int64_t position);
