// A frame for the tests of the text views and the minimap: a recording
// canvas whose fonts lay text out on a grid (every code unit 10 wide, every
// line 16 high) and write each text they draw as "text at X Y "TEXT"", and
// buffers of numbered lines with views over that canvas.
#pragma once

#include <string>

#include "canvas/recording_canvas.h"
#include "controls/control_test_window.h"
#include "support/fixed_advance_font.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_test_support.h"
#include "ui/unicode.h"

namespace text_view_test {

constexpr float kAdvance = 10.f;
constexpr float kLineHeight = 16.f;

class GridTextFont : public FixedAdvanceFont {
public:
    explicit GridTextFont(RecordingCanvas& canvas) : FixedAdvanceFont(kAdvance, kLineHeight), m_canvas(canvas) {}
    void drawText(float x, float y, const uchar* first, const uchar* end, const ColourPair&, bool) override
    {
        m_canvas.record("text at " + RecordingCanvas::formatNumber(x) + " " + RecordingCanvas::formatNumber(y) +
                        " " + RecordingCanvas::formatText(ustring(first, end)));
    }

private:
    RecordingCanvas& m_canvas;
};

class GridTextCanvas : public RecordingCanvas {
protected:
    UnicodeFont* createFont(const ustring&, const ustring&, int, int) override { return new GridTextFont(*this); }
};

// "line0" to "line<count - 1>", one a line, without a final line end.
inline ustring numberedLines(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? "\nline" : "line") + std::to_string(i);
    return toUstring(text);
}

// A buffer holding `text` and views of it with their options.
struct Views {
    explicit Views(Canvas& canvas, const ustring& text) : canvas(canvas), buffer(view_test::makeBuffer(text)) {}

    slate::SP<TextBufferView> make(const std::string& options)
    {
        slate::SP<TextBufferView> view = buffer->createView(&canvas);
        view->setOptions(view_test::optionsFrom(options));
        return view;
    }

    Canvas& canvas;
    slate::SP<TextBuffer> buffer;
};

} // namespace text_view_test
