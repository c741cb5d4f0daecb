#include "canvas/util/mip_maps.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(GammaTables, MatchTheGammaCurve)
{
    const GammaTables& tables = gammaTables();
    EXPECT_EQ(tables.toLinear[128], 56);
    EXPECT_EQ(tables.toGamma[56], 128);
    EXPECT_EQ(tables.toLinear[0], 0);
    EXPECT_EQ(tables.toGamma[0], 0);
    EXPECT_EQ(tables.toLinear[255], 255);
    EXPECT_EQ(tables.toGamma[255], 255);
    for (int i = 1; i < 256; ++i) {
        EXPECT_LE(tables.toLinear[i - 1], tables.toLinear[i]) << i;
        EXPECT_LE(tables.toGamma[i - 1], tables.toGamma[i]) << i;
    }
}

TEST(DownsampleChannel, AveragesInLinearLight)
{
    // Two black and two white texels make 186, not 128.
    const uint8_t square[4] = {0, 255, 255, 0};
    uint8_t out = 0;
    downsampleChannel(square, &out, 2, 2, 2, 1, 1, 1, 1);
    EXPECT_EQ(out, 186);

    // A 4 x 1 row into 1 x 1 averages all four (the general path).
    const uint8_t row[4] = {0, 255, 0, 255};
    downsampleChannel(row, &out, 4, 1, 4, 1, 1, 1, 1);
    EXPECT_EQ(out, 186);

    // Pixel step and pitch: only the chosen channel is read and written.
    const uint8_t pixels[8] = {0, 9, 255, 9, 0, 9, 255, 9}; // 2 x 2 pixels of 2 bytes
    uint8_t outPixel[2] = {7, 7};
    downsampleChannel(pixels, outPixel, 2, 2, 4, 1, 1, 2, 2);
    EXPECT_EQ(outPixel[0], 186);
    EXPECT_EQ(outPixel[1], 7);
}

struct Level {
    int level, width, height;
    std::vector<uint32_t> pixels;
};

std::vector<Level> levelsOf(int width, int height, const std::vector<uint32_t>& pixels,
                            decltype(&generateMipLevels) generate = generateMipLevels)
{
    std::vector<Level> levels;
    generate(width, height, pixels.data(), [&](int level, int w, int h, const uint32_t* p) {
        levels.push_back({level, w, h, std::vector<uint32_t>(p, p + size_t(w) * h)});
    });
    return levels;
}

TEST(GenerateMipLevels, HalvesEachSideDownToOne)
{
    struct Case {
        int width, height;
        std::vector<std::pair<int, int>> sizes;
    } cases[] = {
        {1, 1, {{1, 1}}},
        {4, 1, {{4, 1}, {2, 1}, {1, 1}}},
        {2, 8, {{2, 8}, {1, 4}, {1, 2}, {1, 1}}},
        {3, 5, {{3, 5}, {1, 2}, {1, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const std::vector<Level> levels =
            levelsOf(c.width, c.height, std::vector<uint32_t>(size_t(c.width) * c.height, 0xFFFFFFFF));
        ASSERT_EQ(levels.size(), c.sizes.size());
        for (size_t i = 0; i < levels.size(); ++i) {
            EXPECT_EQ(levels[i].level, int(i));
            EXPECT_EQ(std::make_pair(levels[i].width, levels[i].height), c.sizes[i]);
            for (uint32_t p : levels[i].pixels)
                EXPECT_EQ(p, 0xFFFFFFFFu); // white stays white at every level
        }
    }
}

TEST(GenerateMipLevels, AveragesEveryByteOfAPixel)
{
    const std::vector<Level> levels =
        levelsOf(2, 2, {0x00000000, 0xFFFFFFFF, 0xFFFFFFFF, 0x00000000});
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[1].pixels[0], 0xBABABABAu); // 186 in all four bytes, alpha included
}

// Shrunk glyphs keep their ink: averaged with the blank texels around it, a
// glyph's ink faded into the atlas's background until a minimap showed no
// text.
TEST(GenerateGlyphMipLevels, InkStaysOpaqueInItsOwnColour)
{
    const uint32_t blank = 0x00FFFFFF, blue = 0xFF0000FF, white = 0xFFFFFFFF, black = 0xFF000000;
    struct Case {
        const char* name;
        std::vector<uint32_t> block;
        uint32_t expected;
    };
    const Case cases[] = {
        {"one inked texel gives its colour, opaque", {blank, blue, blank, blank}, blue},
        {"inked texels are averaged in linear light without the blanks", {black, blank, white, blank}, 0xFFBABABA},
        {"a block without ink stays blank", {blank, blank, blank, blank}, blank},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Level> levels = levelsOf(2, 2, c.block, generateGlyphMipLevels);
        ASSERT_EQ(levels.size(), 2u);
        EXPECT_EQ(levels[1].pixels[0], c.expected);
    }
}

} // namespace
