// The text area of a view inside a control. Everything that converts between
// the window and the view's text goes through textAreaRect, so the gutter,
// the blank margin of a centred view and the pixels drawn there agree with
// where a press lands. Drawing composes the canvas's transform with the
// area's offset, the horizontal scroll and the zoom instead of passing them
// down: the view lays out and draws in its own layout pixels.
#include "controls/text_area.h"

#include <string>

#include "canvas/unicode_font.h"
#include "controls/control_helpers.h"
#include "ui/input_events.h"
#include "ui/matrix.h"
#include "ui/text/scroll_lines.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/theme.h"

namespace {

Colour colourOf(const float rgb[3]) { return Colour(rgb[0], rgb[1], rgb[2]); }

// The scheme gives the half mix of foreground and background; the
// foreground is what that mix leaves over the background.
Colour foregroundOf(const ViewSettings& settings)
{
    float rgb[3];
    for (int i = 0; i < 3; ++i) {
        const float value = 2.f * settings.halfForegroundColour[i] - settings.backgroundColour[i];
        rgb[i] = value < 0.f ? 0.f : (value > 1.f ? 1.f : value);
    }
    return colourOf(rgb);
}

// Runs `draw` inside the batch of the view's font, when the view has one.
template <typename Draw>
void inFontBatch(TextBufferView& view, Draw&& draw)
{
    UnicodeFont* font = view.settings().layout.font;
    if (font)
        font->beginBatch(view.zoom() != 1.f);
    draw();
    if (font)
        font->endBatch();
}

} // namespace

float gutterArea(TextBufferView& view)
{
    if (!view.settings().gutter)
        return 0.f;
    return view.gutterWidth(view.settings().lineNumbers) + 8.f;
}

interval2 textAreaRect(const interval2& rect, TextBufferView& view)
{
    interval2 area = rect;
    area.x0 += gutterArea(view);
    if (view.settings().drawCentered) {
        const float wrap = view.settings().layout.wrapWidth;
        const float column = wrap > 0.f ? wrap : static_cast<float>(view.layoutExtent().x);
        const float width = area.x1 - area.x0;
        if (width > column)
            area.x0 += 0.5f * (width - column);
    }
    return area;
}

void fitViewToRect(const interval2& rect, TextBufferView& view, bool setLayout)
{
    const float x = rect.x0 + gutterArea(view);
    if (setLayout)
        view.setLayoutWidth(rect.x1 - x);
    view.setViewportSize(rect.x1 - x, rect.y1 - rect.y0);
}

interval2 drawFieldFrame(Canvas& canvas, const interval2& rect, TextBufferView& view)
{
    const ViewSettings& settings = view.settings();
    drawBevel(canvas, rect, 1.f, colourOf(settings.backgroundColour), colourOf(settings.secondBackgroundColour),
              colourOf(settings.thirdBackgroundColour));
    return interval2(rect.x0 + 2.f, rect.y0 + 2.f, rect.x1 - 2.f, rect.y1 - 2.f);
}

void drawTextArea(Canvas& canvas, const interval2& rect, Theme* theme, TextBufferView& view, bool focused,
                  bool setLayout)
{
    const interval2 savedClip = canvas.intersectClip(rect);
    fitViewToRect(rect, view, setLayout);
    const interval2 area = textAreaRect(rect, view);
    const Matrix4 saved = canvas.getTransform();
    const float unzoom = 1.f / view.zoom();

    ViewFrame frame;
    frame.active = focused;
    frame.theme = theme;
    frame.halfPixelShapes = canvas.halfPixelShapes();
    std::vector<int64_t> highlighted;
    if (view.settings().gutter) {
        canvas.setTransform(composeMatrix(composeMatrix(saved, translationMatrix(rect.x0, rect.y0, 0.f)),
                                          scaleMatrix(unzoom, unzoom, 1.f)));
        // The gutter's band reaches across the text as well, so that its
        // line highlight spans the gutter and the text area: the view takes
        // the band from its viewport, widened here for the call.
        const float width = view.viewportWidth();
        const float height = view.viewportHeight();
        view.setViewportSize(width + (area.x0 - rect.x0 + 2.f) * unzoom, height);
        inFontBatch(view, [&] { view.drawGutter(&canvas, frame, highlighted); });
        view.setViewportSize(width, height);
        frame.highlightedLines = &highlighted;
    }

    canvas.intersectClip(area);
    Matrix4 text = composeMatrix(saved, translationMatrix(area.x0, area.y0, 0.f));
    text = composeMatrix(text, translationMatrix(static_cast<float>(-view.translationX()), 0.f, 0.f));
    canvas.setTransform(composeMatrix(text, scaleMatrix(unzoom, unzoom, 1.f)));
    inFontBatch(view, [&] { view.draw(&canvas, frame); });

    canvas.setTransform(saved);
    canvas.setClip(savedClip);
}

void drawLoadingProgress(Canvas& canvas, const interval2& rect, TextBufferView& view)
{
    const int percent = static_cast<int>(view.buffer()->readProgress() * 100.0);
    const std::string text = "Loading: " + std::to_string(percent) + "%";
    const ustring label(text.begin(), text.end());
    ThemeFont font;
    font.font = view.settings().layout.font;
    font.colours = {foregroundOf(view.settings()), colourOf(view.settings().backgroundColour)};
    drawCentredLabel(font, canvas, rect, label.data(), label.data() + label.size());
}

bool scrollViewByWheel(TextBufferView& view, const MotionEvent& event)
{
    if (event.wheelY == 0.f && event.wheelX == 0.f)
        return false;
    scrollLines(view, event.wheelY, event.wheelX, event.page, false);
    return true;
}

bool viewOptionIsTrue(const TextBufferView& view, const ustring& key)
{
    bool value = false;
    return view.options() && view.options()->getBool(key, value) && value;
}

Matrix4 scaleMatrix(float sx, float sy, float sz)
{
    Matrix4 result = Matrix4::identity();
    result.m[0] = sx;
    result.m[5] = sy;
    result.m[10] = sz;
    return result;
}

Matrix4 translationMatrix(float tx, float ty, float tz)
{
    Matrix4 result = Matrix4::identity();
    result.m[12] = tx;
    result.m[13] = ty;
    result.m[14] = tz;
    return result;
}

Matrix4 composeMatrix(const Matrix4& a, const Matrix4& b)
{
    Matrix4 result;
    multiplyMatrix(result.m, a.m, b.m);
    return result;
}
