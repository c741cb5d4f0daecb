// The GDI rasteriser under Wine, with real fonts. Glyph pixels depend on the
// font engine, so these tests check structure: transparency, placement, ink
// where ink belongs.
#include "canvas/util/font_builder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Atlas {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(512 * 256);
    std::vector<GlyphRect> rects = std::vector<GlyphRect>(256);
    int placed = 0;

    Atlas(const char16_t* face, float size, uchar first, int count, float background = 1.f)
    {
        placed = rasteriseGlyphs(pixels.data(), 512, 256, face, size, 0,
                                 {Colour(0, 0, 0), Colour(background, background, background)},
                                 first, count, rects.data());
    }
    // The opaque pixels inside a glyph's rect.
    std::vector<uint32_t> ink(int index) const
    {
        std::vector<uint32_t> found;
        const GlyphRect& r = rects[size_t(index)];
        for (int y = int(r.y0); y < int(r.y1); ++y)
            for (int x = int(r.x0); x < int(r.x1) && x < 512; ++x)
                if (pixels[size_t(y) * 512 + x] >> 24)
                    found.push_back(pixels[size_t(y) * 512 + x]);
        return found;
    }
};

TEST(GdiRasteriser, BackgroundIsTransparentAndEveryOtherPixelOpaque)
{
    const float backgrounds[] = {1.f, 0.f};
    for (float background : backgrounds) {
        SCOPED_TRACE(background);
        Atlas atlas(u"Courier New", 10, 0, 256, background);
        ASSERT_EQ(atlas.placed, 256);
        const uint32_t backgroundWord = background == 1.f ? 0xFFFFFF : 0;
        bool sawInk = false;
        for (uint32_t p : atlas.pixels) {
            const uint32_t colour = p & 0xFFFFFF;
            ASSERT_EQ(p >> 24, colour == backgroundWord ? 0u : 255u) << std::hex << p;
            sawInk = sawInk || colour != backgroundWord;
        }
        EXPECT_EQ(sawInk, background == 1.f); // black text on black leaves nothing
    }
}

TEST(GdiRasteriser, GlyphsSitInRowsOfLineHeightPlusFour)
{
    Atlas atlas(u"Courier New", 10, u'A', 256 - u'A');
    ASSERT_EQ(atlas.placed, 256 - u'A');
    const float h = atlas.rects[0].y1 - atlas.rects[0].y0;
    ASSERT_GT(h, 0.f);
    EXPECT_EQ(atlas.rects[0].x0, 0.f);
    EXPECT_EQ(atlas.rects[0].y0, 0.f);
    for (int i = 1; i < atlas.placed; ++i) {
        SCOPED_TRACE(i);
        const GlyphRect& previous = atlas.rects[size_t(i - 1)];
        const GlyphRect& r = atlas.rects[size_t(i)];
        EXPECT_EQ(r.y1 - r.y0, h);
        if (r.y0 == previous.y0) {
            EXPECT_EQ(r.x0, previous.x1 + 4);
        } else {
            EXPECT_EQ(r.y0, previous.y0 + h + 4);
            EXPECT_EQ(r.x0, 0.f);
        }
    }
    EXPECT_FALSE(atlas.ink('A' - 'A').empty());
}

TEST(GdiRasteriser, ControlCharactersGetBoxesAndABlankADot)
{
    Atlas atlas(u"Courier New", 10, 0, 256);
    ASSERT_EQ(atlas.placed, 256);
    auto width = [&](int c) { return atlas.rects[size_t(c)].x1 - atlas.rects[size_t(c)].x0; };
    EXPECT_EQ(width(1), 1 + width('S') + width('O') + width('H'));
    EXPECT_FALSE(atlas.ink(1).empty());
    EXPECT_TRUE(atlas.ink('\t').empty());
    EXPECT_TRUE(atlas.ink('\n').empty());
    const std::vector<uint32_t> dot = atlas.ink(' ');
    ASSERT_FALSE(dot.empty());
    for (uint32_t p : dot)
        EXPECT_EQ(p & 0xFFFFFF, 0xA5A5A5u); // 0.65 of white, 0.35 of black
    // Courier New is monospaced, whichever face stands in for it.
    EXPECT_EQ(width('i'), width('m'));
}

TEST(GdiRasteriser, AFullAtlasPlacesFewerThanAsked)
{
    Atlas atlas(u"Courier New", 72, 0x100, 256);
    EXPECT_GT(atlas.placed, 0);
    EXPECT_LT(atlas.placed, 256);
}

TEST(GdiFonts, DefaultFacesExistAndMissingOnesDoNot)
{
    EXPECT_TRUE(fontFaceExists(u"Courier New"));
    EXPECT_TRUE(fontFaceExists(u"courier new"));
    EXPECT_TRUE(fontFaceExists(u"Arial"));
    EXPECT_FALSE(fontFaceExists(u"No Such Face Anywhere"));
    EXPECT_FALSE(fontFaceExists(u""));
}

} // namespace
