// The arithmetic of the "scroll" text command: scrolling a view by lines,
// columns or pages, optionally dragging a lone caret along so that it stays
// on a line the viewport shows in full. Main thread only.
#pragma once

class TextBufferView;

// Scrolls `view` up by `lines` line heights (down when negative) and left by
// `columns` widths of 'm' (right when negative); with `byPages` the units are
// the whole lines and the whole 'm' widths that fit in the viewport. Each
// offset is clamped to [0, the view's largest offset]. With `moveCaret`,
// when lines is not 0 and the selection is one caret, a caret left outside
// the fully visible lines is moved a line at a time, at its preferred x,
// until it is inside them, or until a step would no longer move it (a
// viewport less than a line high shows no line in full).
void scrollLines(TextBufferView& view, float lines, float columns, bool byPages, bool moveCaret);
