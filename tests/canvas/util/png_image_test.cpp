#include "canvas/util/png_image.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include "canvas/png_writer.h"

namespace {

using testing_png::encode;

struct Decoded {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    std::string why;
};

Decoded decode(const std::vector<unsigned char>& file)
{
    Decoded d;
    d.ok = decodePng(file.data(), file.size(), d.width, d.height, d.pixels, &d.why);
    return d;
}

TEST(DecodePng, AcceptedColourTypesBecomeArgbWords)
{
    struct Case {
        const char* name;
        int colourType;
        int bitDepth;
        bool interlaced;
        std::vector<unsigned char> samples; // two pixels
        std::vector<uint32_t> expected;
    } cases[] = {
        {"rgba", PNG_COLOR_TYPE_RGBA, 8, false, {1, 2, 3, 4, 250, 251, 252, 253},
         {0x04010203, 0xFDFAFBFC}},
        {"rgb has alpha 0", PNG_COLOR_TYPE_RGB, 8, false, {10, 20, 30, 40, 50, 60},
         {0x000A141E, 0x0028323C}},
        {"grey with alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {7, 128, 200, 255},
         {0x80070707, 0xFFC8C8C8}},
        {"16-bit rgba keeps the high bytes", PNG_COLOR_TYPE_RGBA, 16, false,
         {1, 9, 2, 9, 3, 9, 4, 9, 5, 0, 6, 0, 7, 0, 8, 0}, {0x04010203, 0x08050607}},
        {"interlaced", PNG_COLOR_TYPE_RGB, 8, true, {1, 2, 3, 4, 5, 6}, {0x00010203, 0x00040506}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d = decode(encode(2, 1, c.colourType, c.bitDepth, c.samples, c.interlaced));
        ASSERT_TRUE(d.ok) << d.why;
        EXPECT_EQ(d.width, 2);
        EXPECT_EQ(d.height, 1);
        EXPECT_EQ(d.pixels, c.expected);
    }
}

TEST(DecodePng, RowsComeTopFirst)
{
    Decoded d = decode(encode(1, 3, PNG_COLOR_TYPE_RGB, 8, {1, 1, 1, 2, 2, 2, 3, 3, 3}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (std::vector<uint32_t>{0x010101, 0x020202, 0x030303}));
}

TEST(DecodePng, RefusesWhatItCannotShow)
{
    const std::vector<unsigned char> rgba =
        encode(4, 4, PNG_COLOR_TYPE_RGBA, 8, std::vector<unsigned char>(64, 0x55));
    struct Case {
        const char* name;
        std::vector<unsigned char> file;
    } cases[] = {
        {"palette", encode(2, 2, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2, 3})},
        {"plain grey", encode(2, 2, PNG_COLOR_TYPE_GRAY, 8, {0, 1, 2, 3})},
        {"grey of 1 bit", encode(8, 1, PNG_COLOR_TYPE_GRAY, 1, {0xA5})},
        {"truncated in the middle", std::vector<unsigned char>(rgba.begin(), rgba.begin() + rgba.size() / 2)},
        {"signature only", std::vector<unsigned char>(rgba.begin(), rgba.begin() + 8)},
        {"empty", {}},
        {"not a png", std::vector<unsigned char>(100, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d = decode(c.file);
        EXPECT_FALSE(d.ok);
        EXPECT_FALSE(d.why.empty());
    }
}

// A header claiming a huge image is refused before its rows are allocated:
// under the sanitizers an allocation of that size would abort the test.
TEST(DecodePng, RefusesHugeImagesFromTheHeader)
{
    std::vector<unsigned char> file = encode(1, 1, PNG_COLOR_TYPE_RGBA, 8, {1, 2, 3, 4});
    struct Case {
        uint32_t width, height;
    } cases[] = {{100000, 1}, {1, 100000}, {8192, 8192}, {0x7fffffff, 0x7fffffff}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        std::vector<unsigned char> patched = file;
        // IHDR data starts at byte 16: width and height, big-endian; the CRC
        // after it is left wrong on purpose for some cases and fixed for others.
        for (int i = 0; i < 4; ++i) {
            patched[16 + i] = uint8_t(c.width >> (24 - 8 * i));
            patched[20 + i] = uint8_t(c.height >> (24 - 8 * i));
        }
        const uint32_t crc = uint32_t(crc32(0, patched.data() + 12, 17));
        for (int i = 0; i < 4; ++i)
            patched[29 + i] = uint8_t(crc >> (24 - 8 * i));
        Decoded d = decode(patched);
        EXPECT_FALSE(d.ok);
        EXPECT_FALSE(d.why.empty());
    }
}

TEST(LoadPaddedImage, PadsToPowersOfTwoWithTransparentBlack)
{
    std::vector<unsigned char> samples;
    for (int i = 0; i < 15; ++i)
        samples.insert(samples.end(), {0x11, 0x22, 0x33, 0xFF});
    const std::vector<unsigned char> file = encode(3, 5, PNG_COLOR_TYPE_RGBA, 8, samples);
    int textureWidth = 0, textureHeight = 0, imageWidth = 0, imageHeight = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(loadPaddedImage(file.data(), file.size(), textureWidth, textureHeight, imageWidth,
                                imageHeight, pixels));
    EXPECT_EQ(imageWidth, 3);
    EXPECT_EQ(imageHeight, 5);
    EXPECT_EQ(textureWidth, 4);
    EXPECT_EQ(textureHeight, 8);
    ASSERT_EQ(pixels.size(), 32u);
    EXPECT_EQ(pixels[0], 0xFF112233u);
    EXPECT_EQ(pixels[4 * 4 + 2], 0xFF112233u);
    EXPECT_EQ(pixels[3], 0u);
    EXPECT_EQ(pixels[5 * 4], 0u);
    EXPECT_TRUE(imageHasAlpha(pixels.data(), pixels.size())); // the padding is transparent
}

TEST(ImageHasAlpha, DecidesHowATextureBlends)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> pixels;
        bool expected;
    } cases[] = {
        {"rgb, all alpha 0", {0x00FFFFFF, 0x00000000}, false},
        {"opaque", {0xFF123456, 0xFF000000}, false},
        {"partial alpha", {0x80FFFFFF}, true},
        {"opaque with a transparent pixel", {0xFF000000, 0x00000000}, true},
        {"transparent first, opaque later", {0x00000000, 0xFF000000}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(imageHasAlpha(c.pixels.data(), c.pixels.size()), c.expected);
    }
}

TEST(PaddedSize, IsTheNextPowerOfTwo)
{
    const int cases[][2] = {{0, 1}, {1, 1}, {2, 2}, {3, 4}, {5, 8}, {512, 512}, {513, 1024}};
    for (const auto& c : cases)
        EXPECT_EQ(paddedSize(c[0]), c[1]) << c[0];
}

} // namespace
