// The geometry and drawing of a view's text area inside a control's rect:
// where the gutter ends and the text column begins, how the view's viewport
// and layout width follow the rect, the field frame, the transform under
// which the gutter and the text are drawn, and the progress text shown while
// the buffer loads. The input handler, its drags, the minimap and the text
// fields all measure through these, so a press and the pixels under it agree.
// Main thread only.
#pragma once

#include "canvas/canvas.h"
#include "ui/interval2.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class Theme;
class TextBufferView;
struct MotionEvent;

// Width of the gutter strip left of the text: the view's gutter width plus
// 8 when the view shows a gutter, else 0.
float gutterArea(TextBufferView& view);
// Where the view's text starts inside `rect`: right of the gutter and, for a
// centred view narrower than the area, half the surplus further right. The
// blank margin of a centred view lies outside it.
interval2 textAreaRect(const interval2& rect, TextBufferView& view);
// Sizes the view's viewport to the part of `rect` right of the gutter and,
// with `setLayout`, wraps at that width.
void fitViewToRect(const interval2& rect, TextBufferView& view, bool setLayout);
// A one-pixel bevel in the view's frame colours over `rect`; returns the
// rect inside it (2 in from every edge).
interval2 drawFieldFrame(Canvas& canvas, const interval2& rect, TextBufferView& view);
// Fits the view to `rect` and draws its gutter and text there, clipped to
// the rect. The canvas's transform and clip are restored. `theme` may be
// null (no bookmark icons).
void drawTextArea(Canvas& canvas, const interval2& rect, Theme* theme, TextBufferView& view, bool focused,
                  bool setLayout);
// "Loading: N%" centred in `rect` in the view's font and colours.
void drawLoadingProgress(Canvas& canvas, const interval2& rect, TextBufferView& view);

// Scrolls `view` by the event's wheel steps (the caret stays); false, doing
// nothing, for a motion without wheel steps.
bool scrollViewByWheel(TextBufferView& view, const MotionEvent& event);

// Whether the view's own option `key` reads exactly "true"; false without
// options.
bool viewOptionIsTrue(const TextBufferView& view, const ustring& key);

// Transforms for Canvas::setTransform, to be composed with multiplyMatrix.
Matrix4 scaleMatrix(float sx, float sy, float sz);
Matrix4 translationMatrix(float tx, float ty, float tz);
// a x b: b applies to a point first, then a.
Matrix4 composeMatrix(const Matrix4& a, const Matrix4& b);
