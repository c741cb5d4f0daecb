// The atlas layout and the native rasteriser's contract. The GDI rasteriser
// places glyphs through the same layout and is checked under Wine.
#include "canvas/util/font_builder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(LayoutGlyphs, RowsAreLineHeightPlusFourWithFourPixelGaps)
{
    const std::vector<float> advances(10, 30.f);
    const std::vector<GlyphPlacement> placed = layoutGlyphs(advances, 15, 100, 256, u'a', 10);
    ASSERT_EQ(placed.size(), 10u);
    // 30 + 4 + 30 + 4 + 30 = 98; the fourth glyph would reach 132.
    const float expected[][4] = {{0, 0, 30, 15}, {34, 0, 64, 15}, {68, 0, 98, 15}, {0, 19, 30, 34}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(placed[i].codeUnit, u'a' + i);
        EXPECT_EQ(placed[i].rect.x0, expected[i][0]);
        EXPECT_EQ(placed[i].rect.y0, expected[i][1]);
        EXPECT_EQ(placed[i].rect.x1, expected[i][2]);
        EXPECT_EQ(placed[i].rect.y1, expected[i][3]);
    }
}

TEST(LayoutGlyphs, AFullAtlasPlacesFewerThanAsked)
{
    struct Case {
        const char* name;
        int lineHeight;
        int atlasHeight;
        size_t expected;
    } cases[] = {
        // Rows at 0, 19, 38: the fourth row (57 + 16 >= 64) does not fit.
        {"three rows of three", 15, 64, 9},
        // A line taller than the atlas still fills its first row.
        {"first row always", 255, 256, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<float> advances(256, 30.f);
        EXPECT_EQ(layoutGlyphs(advances, c.lineHeight, 100, c.atlasHeight, 64, 256).size(), c.expected);
    }
}

TEST(LayoutGlyphs, ControlCharactersAreAsWideAsTheirNamePlusOne)
{
    std::vector<float> advances(256, 5.f);
    advances['S'] = 7.f;
    advances['O'] = 8.f;
    advances['H'] = 9.f;
    const std::vector<GlyphPlacement> placed = layoutGlyphs(advances, 10, 512, 256, 0, 256);
    ASSERT_EQ(placed.size(), 256u);
    EXPECT_EQ(placed[1].rect.x1 - placed[1].rect.x0, 1 + 7 + 8 + 9); // SOH
    EXPECT_EQ(placed[9].rect.x1 - placed[9].rect.x0, 5.f);  // tab keeps its own advance
    EXPECT_EQ(placed[10].rect.x1 - placed[10].rect.x0, 5.f); // line feed
    EXPECT_STREQ(controlCharacterName(0), "NUL");
    EXPECT_STREQ(controlCharacterName(27), "ESC");
    EXPECT_STREQ(controlCharacterName(31), "US");
}

TEST(RasteriseGlyphs, BackgroundIsTransparentAndInkOpaque)
{
    std::vector<uint32_t> pixels(512 * 256);
    std::vector<GlyphRect> rects(256);
    const int placed = rasteriseGlyphs(pixels.data(), 512, 256, u"Courier New", 10, 0,
                                       {Colour(0, 0, 0), Colour(1, 1, 1)}, 0, 256, rects.data());
    ASSERT_EQ(placed, 256);
    for (uint32_t p : pixels) {
        const uint32_t alpha = p >> 24;
        ASSERT_TRUE((alpha == 0 && (p & 0xFFFFFF) == 0xFFFFFF) || (alpha == 255 && (p & 0xFFFFFF) != 0xFFFFFF))
            << std::hex << p;
    }
    // A blank shows a dot of the mixed colour at its centre; a tab no ink.
    auto inkIn = [&](const GlyphRect& r) {
        std::vector<uint32_t> ink;
        for (int y = int(r.y0); y < int(r.y1); ++y)
            for (int x = int(r.x0); x < int(r.x1); ++x)
                if (pixels[size_t(y) * 512 + x] >> 24)
                    ink.push_back(pixels[size_t(y) * 512 + x]);
        return ink;
    };
    const std::vector<uint32_t> dot = inkIn(rects[' ']);
    ASSERT_FALSE(dot.empty());
    EXPECT_EQ(dot[0] & 0xFFFFFF, 0xA5A5A5u); // 0.65 of white and 0.35 of black
    EXPECT_TRUE(inkIn(rects['\t']).empty());
    EXPECT_FALSE(inkIn(rects['A']).empty());
    EXPECT_FALSE(inkIn(rects[1]).empty());
}

} // namespace
