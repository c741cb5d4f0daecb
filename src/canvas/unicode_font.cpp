// Advance caching shared by every font, and the two width helpers layout code
// measures runs with.
#include "canvas/unicode_font.h"

#include <cmath>

UnicodeFont::UnicodeFont() = default;
UnicodeFont::~UnicodeFont() = default;

float UnicodeFont::advance(uchar codeUnit) {
  std::unique_ptr<float[]>& block = m_advances[codeUnit >> 8];
  if (!block) {
    block.reset(new float[256]());
    getAdvances(codeUnit & 0xff00, 256, block.get());
  }
  return block[codeUnit & 0xff];
}

float textWidth(UnicodeFont& font, const uchar* first, const uchar* end) {
  float width = 0.f;
  for (const uchar* p = first; p < end; ++p)
    width += font.advance(*p);
  return width;
}

float tabbedTextWidth(double x, const uchar* first, const uchar* end, UnicodeFont& font,
                      float tabWidth) {
  if (first == end || *first != u'\t')
    return textWidth(font, first, end);
  if (!(tabWidth > 0.f))
    return 0.f;
  double position = x;
  for (const uchar* p = first; p < end; ++p)
    position = std::ceil((position + 0.001) / tabWidth) * tabWidth;
  return static_cast<float>(position - x);
}
