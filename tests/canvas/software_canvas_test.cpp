#include "canvas/software_canvas.h"

#include <gtest/gtest.h>

#include <string>

#include "canvas/package_files.h"
#include "canvas/unicode_font.h"

namespace {

const float kWhite[3] = {1, 1, 1};
const float kRed[3] = {1, 0, 0};

// The canvas as rows of characters: '.' for black, '#' for red, '?' else.
std::string picture(const SoftwareCanvas& canvas)
{
    std::string rows;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const uint32_t p = canvas.pixel(x, y);
            rows += p == 0xFF000000u ? '.' : p == 0xFFFF0000u ? '#' : '?';
        }
        rows += '\n';
    }
    return rows;
}

TEST(SoftwareCanvas, FillRectCoversPixelCentres)
{
    struct Case {
        const char* name;
        interval2 rect;
        const char* expected;
    } cases[] = {
        {"whole pixels", interval2(1, 1, 3, 2), "....\n.##.\n....\n"},
        {"inverted fills between its edges", interval2(3, 2, 1, 1), "....\n.##.\n....\n"},
        {"zero width paints nothing", interval2(2, 0, 2, 3), "....\n....\n....\n"},
        {"half pixels round by centres", interval2(0.6f, 0, 2.6f, 1), ".##.\n....\n....\n"},
        {"clipped at the surface", interval2(-5, -5, 1, 1), "#...\n....\n....\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SoftwareCanvas canvas(4, 3);
        canvas.fillRect(c.rect, kRed);
        EXPECT_EQ(picture(canvas), c.expected);
    }
}

TEST(SoftwareCanvas, ClipIsWidenedByOnePixelAndEmptyHidesEverything)
{
    struct Case {
        const char* name;
        interval2 clip;
        const char* expected;
    } cases[] = {
        {"unset draws everywhere", interval2(), "######\n######\n"},
        {"one-pixel column becomes three", interval2(2, 0, 3, 2), ".###..\n.###..\n"},
        {"zero width hides everything", interval2(3, 0, 3, 2), "......\n......\n"},
        {"inverted hides everything", interval2(4, 0, 1, 2), "......\n......\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SoftwareCanvas canvas(6, 2);
        canvas.setClip(c.clip);
        canvas.fillRect(interval2(0, 0, 6, 2), kRed);
        EXPECT_EQ(picture(canvas), c.expected);
    }
}

TEST(SoftwareCanvas, TransformMovesDrawingButNotTheClip)
{
    SoftwareCanvas canvas(6, 1);
    canvas.setClip(interval2(1, 0, 2, 1)); // pixels 0..2
    Matrix4 shift = Matrix4::identity();
    shift.m[12] = 2;
    canvas.setTransform(shift);
    canvas.fillRect(interval2(0, 0, 3, 1), kRed); // pixels 2..4 before clipping
    EXPECT_EQ(picture(canvas), "..#...\n");
}

TEST(SoftwareCanvas, BlendModesChooseTheAlpha)
{
    testing_canvas::PackageFiles files;
    files.addImage(u"half.png", 1, 1, 0x80FFFFFF); // white at alpha 128
    struct Case {
        BlendMode mode;
        float alpha;
        uint32_t expected; // over black
    } cases[] = {
        {BlendMode::Opaque, 0.25f, 0xFFFFFFFF}, // opaque, whatever the alphas
        {BlendMode::GlobalAlpha, 0.25f, 0xFF404040}, // the global alpha only
        {BlendMode::TextureAlpha, 0.25f, 0xFF808080}, // the texture's alpha only
        {BlendMode::TextureTimesGlobalAlpha, 0.5f, 0xFF404040},  // both
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        SoftwareCanvas canvas(1, 1);
        slate::SP<Texture> texture = canvas.loadTexture(u"Packages/half.png");
        ASSERT_NE(texture, nullptr);
        canvas.setBlendMode(c.mode);
        canvas.setAlpha(c.alpha);
        canvas.drawTexture(texture, interval2(0, 0, 1, 1), texture->fullImageRect());
        EXPECT_EQ(canvas.pixel(0, 0), c.expected);
    }
}

TEST(SoftwareCanvas, FullImageRectShowsTheImageUpright)
{
    testing_canvas::PackageFiles files;
    // 1 x 2: red above white.
    files.add(u"two.png", testing_png::encode(1, 2, PNG_COLOR_TYPE_RGB, 8, {255, 0, 0, 255, 255, 255}));
    SoftwareCanvas canvas(1, 2);
    slate::SP<Texture> texture = canvas.loadTexture(u"Packages/two.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_FALSE(texture->hasAlpha());
    canvas.drawTexture(texture, interval2(0, 0, 1, 2), texture->fullImageRect());
    EXPECT_EQ(canvas.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(canvas.pixel(0, 1), 0xFFFFFFFFu);
    canvas.drawTexture(texture, interval2(0, 0, 1, 2), interval2(0, 0, 1, 1)); // upside down
    EXPECT_EQ(canvas.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(canvas.pixel(0, 1), 0xFFFF0000u);
}

TEST(SoftwareCanvas, LinesAndTrianglesUseTheFill)
{
    SoftwareCanvas canvas(4, 4);
    canvas.drawLine(vector2{0, 0.5f}, vector2{4, 0.5f}, kRed);
    canvas.pushColour(kRed);
    const float vertices[] = {0, 1, 0, 4, 1, 0, 0, 4, 0, 4, 4, 0};
    const uint16_t indices[] = {0, 1, 2, 1, 3, 2, 0, 1, 9}; // the last triangle is out of range
    canvas.drawIndexedTriangles(vertices, indices, 4, 9);
    EXPECT_EQ(picture(canvas), "####\n####\n####\n####\n");
}

TEST(SoftwareCanvas, LinesTakeThePixelsOpenGLGivesThem)
{
    struct Case {
        const char* name;
        vector2 from, to;
        const char* expected;
    } cases[] = {
        {"through centres, end left out", {0.5f, 1.5f}, {3.5f, 1.5f}, "....\n###.\n....\n"},
        {"backwards through centres", {3.5f, 1.5f}, {0.5f, 1.5f}, "....\n.###\n....\n"},
        {"diagonal through centres", {0.5f, 2.5f}, {2.5f, 0.5f}, "....\n.#..\n#...\n"},
        {"through centres between whole ends", {1, 1.5f}, {3, 1.5f}, "....\n.##.\n....\n"},
        {"down through centres between whole ends", {1.5f, 0}, {1.5f, 2}, ".#..\n.#..\n....\n"},
        {"along a horizontal edge takes the row below", {0, 1}, {3, 1}, "....\n###.\n....\n"},
        {"along a vertical edge takes the column left", {2, 0}, {2, 2}, ".#..\n.#..\n....\n"},
        {"a zigzag of whole points", {0, 0}, {2, 2}, "#...\n.#..\n....\n"},
        {"a point draws nothing", {1.5f, 1.5f}, {1.5f, 1.5f}, "....\n....\n....\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SoftwareCanvas canvas(4, 3);
        canvas.drawLine(c.from, c.to, kRed);
        EXPECT_EQ(picture(canvas), c.expected);
    }
}

TEST(SoftwareCanvas, TextLeavesInkOnlyInsideItsLineBox)
{
    SoftwareCanvas canvas(64, 32);
    canvas.clear(kWhite);
    UnicodeFont* font = canvas.getFont(u"Courier New 10", 0);
    const ustring text = u"ab c";
    font->beginBatch(false);
    font->drawText(2, 3, text.data(), text.data() + text.size(), {Colour(0, 0, 0), Colour(1, 1, 1)}, false);
    font->endBatch();
    const int right = 2 + int(textWidth(*font, text.data(), text.data() + text.size()));
    const int bottom = 3 + int(font->lineHeight());
    int ink = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (canvas.pixel(x, y) == 0xFFFFFFFFu)
                continue;
            ++ink;
            EXPECT_TRUE(x >= 2 && x < right && y >= 3 && y < bottom) << x << "," << y;
        }
    }
    EXPECT_GT(ink, 0);
}

} // namespace
