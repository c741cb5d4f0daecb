// A recording canvas whose fonts measure with fixed advances: every code
// unit is 10 wide and every line 16 high, whatever the font's name. Views
// built on it lay their text out on a predictable grid, and what they draw
// is written as the recording canvas writes it.
#pragma once

#include "canvas/recording_canvas.h"
#include "support/fixed_advance_font.h"

class GridRecordingCanvas : public RecordingCanvas {
public:
    static constexpr float kAdvance = 10.f;
    static constexpr float kLineHeight = 16.f;

protected:
    UnicodeFont* createFont(const ustring&, const ustring&, int, int) override
    {
        return new FixedAdvanceFont(kAdvance, kLineHeight);
    }
};
