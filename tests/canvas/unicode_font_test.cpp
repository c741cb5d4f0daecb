#include "canvas/unicode_font.h"

#include <gtest/gtest.h>

namespace {

// Every code unit is 10 pixels wide except 'i' (4); counts block fills.
class CountingFont : public UnicodeFont {
public:
  int fills = 0;
  void drawText(float, float, const uchar*, const uchar*, const ColourPair&, bool) override {}
  void beginBatch(bool) override {}
  void endBatch() override {}
  void flush() override {}
  void getAdvances(int first, int count, float* out) override {
    ++fills;
    for (int i = 0; i < count; ++i)
      out[i] = first + i == 'i' ? 4.f : 10.f;
  }
};

TEST(UnicodeFont, AdvancesAreFilledOncePerBlock) {
  CountingFont font;
  EXPECT_EQ(font.advance(u'i'), 4.f);
  EXPECT_EQ(font.advance(u'a'), 10.f);
  EXPECT_EQ(font.fills, 1);
  EXPECT_EQ(font.advance(0x4e2d), 10.f);
  EXPECT_EQ(font.fills, 2);
  EXPECT_EQ(font.lineHeight(), 0.f);
}

TEST(UnicodeFont, TabbedWidthReachesTheNextStop) {
  CountingFont font;
  const ustring tabs = u"\t\t";
  const ustring text = u"ii\t";
  struct Case {
    double x;
    const ustring* run;
    size_t length;
    float expected;
  } cases[] = {
      {64.0, &tabs, 1, 32.f},        // a tab on a stop goes to the next one
      {63.9995, &tabs, 1, 32.0005f}, // a hair before a stop still reaches the following one
      {10.0, &tabs, 2, 54.f},        // every tab of a tab run
      {0.0, &text, 3, 18.f},         // a run not starting with a tab is plain text
      {5.0, &tabs, 0, 0.f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    const uchar* first = c.run->data();
    EXPECT_NEAR(tabbedTextWidth(c.x, first, first + c.length, font, 32.f), c.expected, 1e-3);
  }
}

}  // namespace
