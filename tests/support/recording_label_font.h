// A fixed-advance font (7 pixels a unit, lines 15 high) that writes every
// text drawn with it to a recording canvas as "label at X Y "TEXT"", for
// tests that read which labels a control drew and where.
#pragma once

#include "canvas/recording_canvas.h"
#include "support/fixed_advance_font.h"

class RecordingLabelFont : public FixedAdvanceFont {
public:
    // `canvas` must outlive the font.
    explicit RecordingLabelFont(RecordingCanvas* canvas) : FixedAdvanceFont(7, 15), m_canvas(canvas) {}
    void drawText(float x, float y, const uchar* first, const uchar* end, const ColourPair&, bool) override
    {
        m_canvas->record("label at " + RecordingCanvas::formatNumber(x) + " " + RecordingCanvas::formatNumber(y) +
                         " " + RecordingCanvas::formatText(ustring(first, end)));
    }

private:
    RecordingCanvas* m_canvas;
};
