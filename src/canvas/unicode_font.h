// The abstract font of the toolkit. Text is a range of UTF-16 code units and
// every code unit is one glyph: no surrogate pairing and no shaping. Layout
// code only measures (`advance`, `textWidth`, `tabbedTextWidth`); the glyph
// atlas fonts derive from this class and also draw.
#pragma once

#include "canvas/colour.h"
#include "ui/ustring.h"

#include <memory>

class UnicodeFont {
public:
  UnicodeFont();
  virtual ~UnicodeFont();
  UnicodeFont(const UnicodeFont&) = delete;
  UnicodeFont& operator=(const UnicodeFont&) = delete;

  // Draws [first, end) with its top left at (x, y), anti-aliased for the
  // text colour over the background colour. White space is drawn as visible
  // marks when `drawWhiteSpace` is set.
  virtual void drawText(float x, float y, const uchar* first, const uchar* end,
                        const ColourPair& colours, bool drawWhiteSpace) = 0;
  virtual void beginBatch(bool filtered) = 0;
  virtual void endBatch() = 0;
  virtual void flush() = 0;
  // Writes the advances of the `count` code units from `first` on to `out`.
  virtual void getAdvances(int first, int count, float* out) = 0;

  // The advance of one code unit in pixels, from a cache filled a block of
  // 256 code units at a time on first use. Never fails.
  float advance(uchar codeUnit);
  // The height of a text line in pixels; 0 until the font sets it.
  float lineHeight() const { return m_lineHeight; }

protected:
  float m_lineHeight = 0.f;

private:
  // One entry per block of 256 code units, null until the block is measured.
  std::unique_ptr<float[]> m_advances[256];
};

// The sum of the advances over [first, end), accumulated in float; 0 for an
// empty range.
float textWidth(UnicodeFont& font, const uchar* first, const uchar* end);

// The width of a run that starts at the unwrapped x `x`. A non-empty run that
// starts with a tab is all tabs: each advances to the next tab stop, at
// ceil((x + 0.001) / tabWidth) * tabWidth from the running x, so a tab that
// starts a hair before a stop still reaches the following one. Any other run
// is `textWidth`.
float tabbedTextWidth(double x, const uchar* first, const uchar* end, UnicodeFont& font,
                      float tabWidth);
