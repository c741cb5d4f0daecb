// Scrolling moves the offsets first and the caret after, so the caret is
// dragged only as far as the new viewport requires. The caret walks a line
// at a time, exactly as vertical caret movement does (the layout point at its
// preferred x, one line height up or down, back to a position), because
// wrapped lines and paddings make the line under a given y something only the
// layout can answer.
//
// The walk ends at the first step that does not move the caret the way it
// is walking. In an ordinary viewport that is never reached before the caret
// is inside; in one less than a line high no line is fully visible, the
// range of fully visible text is inverted, and without that stop the walk up
// from the first line would never end.
#include "ui/text/scroll_lines.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "canvas/unicode_font.h"
#include "ui/text/text_buffer_view.h"

namespace {

// `value` clamped to [0, largest]; `previous` when it is not a number (a
// command line may ask for any amount).
double clampOffset(double value, double largest, double previous)
{
    if (!std::isfinite(value))
        return previous;
    return std::clamp(value, 0.0, std::max(0.0, largest));
}

// The caret one line up (`direction` -1) or down (+1), aiming at `x`. A step
// above the first line leaves it where it is.
int64_t caretOneLine(TextBufferView& view, int64_t caret, double x, int direction)
{
    LayoutPoint point = view.textToLayoutNearX(caret, x);
    point.x = x;
    point.y += view.lineHeight() * direction;
    if (point.y < 0.0)
        return caret;
    return view.layoutToText(point);
}

void keepCaretOnVisibleLines(TextBufferView& view)
{
    const double lineHeight = view.lineHeight();
    if (!(lineHeight > 0.0))
        return;
    const LayoutPoint topLeft = view.windowToLayout(0.0, 0.0);
    const LayoutPoint bottomRight = view.windowToLayout(view.viewportWidth(), view.viewportHeight());
    const double firstTop = std::ceil(topLeft.y / lineHeight) * lineHeight;
    const double lastBottom = std::floor(bottomRight.y / lineHeight) * lineHeight - 1.0;
    const int64_t begin = view.layoutToText({0.0, firstTop});
    const int64_t end = view.layoutToText({DBL_MAX, lastBottom});

    SelectionRegion caret = view.sel()[0];
    const double x = caret.xpos != -1.0 ? caret.xpos : view.textToLayout(caret.b).x;
    int64_t position = caret.b;
    while (position > end) {
        const int64_t up = caretOneLine(view, position, x, -1);
        if (up >= position)
            break;
        position = up;
    }
    while (position < begin) {
        const int64_t down = caretOneLine(view, position, x, +1);
        if (down <= position)
            break;
        position = down;
    }
    if (position == caret.b)
        return;
    caret.a = caret.b = position;
    view.mutableSel().set(0, caret);
}

} // namespace

void scrollLines(TextBufferView& view, float lines, float columns, bool byPages, bool moveCaret)
{
    const LayoutPoint largest = view.maxTranslation();
    double x = view.translationX();
    double y = view.translationY();
    if (lines != 0.f) {
        const double lineHeight = view.lineHeight();
        double unit = lineHeight;
        if (byPages)
            unit = lineHeight > 0.0 ? std::floor(view.viewportHeight() / lineHeight) * lineHeight : 0.0;
        y = clampOffset(y - unit * lines, largest.y, y);
    }
    if (columns != 0.f) {
        UnicodeFont* font = view.settings().layout.font;
        const double advance = font ? font->advance(u'm') : 0.0;
        double unit = advance;
        if (byPages)
            unit = advance > 0.0 ? std::floor(view.viewportWidth() / advance) * advance : 0.0;
        x = clampOffset(x - unit * columns, largest.x, x);
    }
    view.setTranslation(x, y);

    if (moveCaret && lines != 0.f && view.sel().size() == 1 && view.sel()[0].empty())
        keepCaretOnVisibleLines(view);
}
