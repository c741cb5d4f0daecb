// What the OpenGL and the Direct3D 9 renderer must do alike, drawn for real
// (Wine's WGL and Direct3D over Mesa under Xvfb) and read back before the
// frame is presented. Each test runs on both renderers.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/dx9_test_device.h"
#include "canvas/package_files.h"
#include "canvas/pixel_words.h"
#include "canvas/renderer_harness.h"
#include "canvas/renderers_under_test.h"
#include "canvas/software_canvas.h"
#include "canvas/unicode_font.h"

namespace {

const int kWidth = 128;
const int kHeight = 64;

using Renderer = RendererUnderTest;
const auto& kRenderers = kRenderersUnderTest;

class RendererTest : public testing::TestWithParam<Renderer> {
protected:
    void SetUp() override
    {
        m_harness = GetParam().create(kWidth, kHeight);
        ASSERT_TRUE(m_harness->ok());
        m_canvas = m_harness->canvas();
    }
    void TearDown() override
    {
        if (m_inFrame)
            m_harness->endFrame();
        m_harness.reset();
    }

    // Starts a frame painted black, with no clip and the identity transform.
    void beginBlackFrame()
    {
        if (m_inFrame)
            m_harness->endFrame();
        m_inFrame = m_harness->beginFrame();
        ASSERT_TRUE(m_inFrame);
        m_canvas->setTransform(Matrix4::identity());
        m_canvas->setBlendMode(BlendMode::Opaque);
        m_canvas->setAlpha(1);
        m_canvas->setClip(unsetInterval());
        m_canvas->fillRect(interval2(0, 0, kWidth, kHeight), kBlack);
    }
    uint32_t pixel(int x, int y) { return m_harness->readPixels()[size_t(y) * kWidth + x]; }

    testing_canvas::PackageFiles m_files; // before the renderer, which watches it
    std::unique_ptr<RendererHarness> m_harness;
    Canvas* m_canvas = nullptr;
    bool m_inFrame = false;
};

TEST_P(RendererTest, ClipIsTheRectWidenedByOnePixelInWindowCoordinates)
{
    struct Case {
        const char* name;
        float tx, ty;
        interval2 clip;
        // Pixels expected red, as [x0, x1) x [y0, y1); empty for none.
        int x0, y0, x1, y1;
    } cases[] = {
        {"unset clips nothing", 0, 0, unsetInterval(), 0, 0, kWidth, kHeight},
        {"one column covers x 9 to 12", 0, 0, interval2(10, 0, 11, 50), 9, 0, 12, 51},
        {"translation does not move the clip", 10, 20, interval2(0, 0, 100, 50), 0, 0, 101, 51},
        {"inverted hides everything", 0, 0, interval2(20, 0, 10, 50), 0, 0, 0, 0},
        {"inverted by one pixel hides everything", 0, 0, interval2(11, 0, 10, 50), 0, 0, 0, 0},
        {"zero width hides everything", 0, 0, interval2(10, 0, 10, 50), 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        beginBlackFrame();
        Matrix4 shift = Matrix4::identity();
        shift.m[12] = c.tx;
        shift.m[13] = c.ty;
        m_canvas->setTransform(shift);
        m_canvas->setClip(c.clip);
        m_canvas->fillRect(interval2(-500, -500, 500, 500), kRed);
        const std::vector<uint32_t> pixels = m_harness->readPixels();
        int wrong = 0;
        std::string first;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const bool inside = c.x0 <= x && x < c.x1 && c.y0 <= y && y < c.y1;
                if (pixels[size_t(y) * kWidth + x] != (inside ? 0xFF0000u : 0u) && !wrong++)
                    first = std::to_string(x) + "," + std::to_string(y);
            }
        EXPECT_EQ(wrong, 0) << "first wrong pixel at " << first;
    }
}

TEST_P(RendererTest, BlendModesChooseTheAlpha)
{
    m_files.addImage(u"half.png", 1, 1, 0x80FFFFFF); // white at alpha 128
    slate::SP<Texture> texture = m_canvas->loadTexture(u"Packages/half.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_TRUE(texture->hasAlpha());
    struct Case {
        BlendMode mode;
        float alpha;
        int expected; // grey level over black
    } cases[] = {
        {BlendMode::Opaque, 0.25f, 255}, // opaque, whatever the alphas
        {BlendMode::GlobalAlpha, 0.25f, 64},  // the global alpha only
        {BlendMode::TextureAlpha, 0.25f, 128}, // the texture's alpha alone: setAlpha is ignored
        {BlendMode::TextureTimesGlobalAlpha, 0.5f, 64},   // both
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        beginBlackFrame();
        m_canvas->setBlendMode(c.mode);
        m_canvas->setAlpha(c.alpha);
        m_canvas->drawTexture(texture, interval2(0, 0, 4, 4), texture->fullImageRect());
        const uint32_t p = pixel(1, 1);
        EXPECT_NEAR(red(p), c.expected, 2);
        EXPECT_EQ(red(p), green(p));
        EXPECT_EQ(red(p), blue(p));
    }
}

TEST_P(RendererTest, FailedLoadsAreNotCached)
{
    EXPECT_EQ(m_canvas->loadTexture(u""), nullptr);
    EXPECT_EQ(m_canvas->findTexture(u""), nullptr);
    EXPECT_EQ(m_canvas->loadTexture(u"Packages/late.png"), nullptr);
    EXPECT_EQ(m_canvas->loadTexture(u"Packages/late.png"), nullptr);
    m_files.addImage(u"late.png", 2, 2, 0xFF00FF00);
    slate::SP<Texture> texture = m_canvas->loadTexture(u"Packages/late.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(m_canvas->loadTexture(u"Packages/late.png"), texture);
    EXPECT_EQ(m_canvas->findTexture(u"Packages/late.png"), texture);
}

TEST_P(RendererTest, PackageImageIsUprightInItsOwnColours)
{
    // 1 x 2: red above white.
    m_files.add(u"two.png", testing_png::encode(1, 2, PNG_COLOR_TYPE_RGB, 8, {255, 0, 0, 255, 255, 255}));
    slate::SP<Texture> texture = m_canvas->loadTexture(u"Packages/two.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_FALSE(texture->hasAlpha());
    beginBlackFrame();
    // One pixel per texel, and an image without alpha is opaque in every
    // blend mode.
    m_canvas->setBlendMode(BlendMode::TextureAlpha);
    m_canvas->drawTexture(texture, interval2(0, 0, 1, 2), texture->fullImageRect());
    EXPECT_EQ(pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(pixel(0, 1), 0xFFFFFFu);
}

TEST_P(RendererTest, TextureDrawnOneToOneShowsEachColumnOnce)
{
    // One row: red first, blue last, green between, opaque.
    struct Case {
        const char* name;
        int width;
        float left; // where the image's left edge is drawn
    } cases[] = {
        {"the first column is not its repeated neighbour", 8, 0},
        {"the last column of a padded image is not padding", 1000, 100 - 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> samples;
        for (int x = 0; x < c.width; ++x)
            samples.insert(samples.end(), {uint8_t(x == 0 ? 255 : 0),
                                           uint8_t(x > 0 && x < c.width - 1 ? 255 : 0),
                                           uint8_t(x == c.width - 1 ? 255 : 0), 255});
        const ustring name = u"row" + ustring(1, char16_t(u'0' + c.width % 10)) + u".png";
        m_files.add(name, testing_png::encode(c.width, 1, PNG_COLOR_TYPE_RGBA, 8, samples));
        slate::SP<Texture> texture = m_canvas->loadTexture(u"Packages/" + name);
        ASSERT_NE(texture, nullptr);
        beginBlackFrame();
        m_canvas->setBlendMode(BlendMode::TextureAlpha);
        m_canvas->drawTexture(texture, interval2(c.left, 0, c.left + float(c.width), 1),
                              texture->fullImageRect());
        const std::vector<uint32_t> pixels = m_harness->readPixels();
        for (int x = std::max(0, int(c.left)); x < int(c.left) + c.width && x < kWidth; ++x) {
            const int column = x - int(c.left);
            const uint32_t expected =
                column == 0 ? 0xFF0000u : column == c.width - 1 ? 0x0000FFu : 0x00FF00u;
            EXPECT_EQ(pixels[size_t(x)], expected) << "pixel " << x;
        }
    }
}

TEST_P(RendererTest, TextLeavesBlendingOffButKeepsTheBlendMode)
{
    UnicodeFont* font = m_canvas->getFont(u"Tahoma 12", 0);
    const ustring text = u"x";
    beginBlackFrame();
    m_canvas->setBlendMode(BlendMode::GlobalAlpha);
    m_canvas->setAlpha(0.5f);
    font->beginBatch(false);
    font->drawText(60, 40, text.data(), text.data() + text.size(), {Colour(1, 1, 1), Colour(0, 0, 0)}, false);
    font->endBatch();
    EXPECT_EQ(m_canvas->getBlendMode(), BlendMode::GlobalAlpha);

    m_canvas->fillRect(interval2(0, 0, 4, 4), kRed);
    EXPECT_EQ(red(pixel(1, 1)), 255) << "blending stays off until the mode is set again";
    m_canvas->setBlendMode(BlendMode::GlobalAlpha);
    m_canvas->fillRect(interval2(10, 0, 14, 4), kRed);
    EXPECT_NEAR(red(pixel(11, 1)), 128, 2);
}

// A renderer may hold drawing back and send state late, but what a frame
// shows is as if every call drew at once with the state of its moment: a
// state change between two overlapping quads touches only the later one.
TEST_P(RendererTest, EachQuadKeepsTheStateOfItsCallAndItsPlaceInTheOrder)
{
    m_files.addImage(u"swapped.png", 1, 1, 0xFFFF0000);
    slate::SP<Texture> texture = m_canvas->loadTexture(u"Packages/swapped.png");
    ASSERT_NE(texture, nullptr);
    const Colour redFill(1, 0, 0), blueFill(0, 0, 1);
    const interval2 left(0, 0, 60, 60), right(30, 0, 90, 60);
    struct Probe {
        int x, y;
        uint32_t expected; // 0x00RRGGBB, each channel within 2
    };
    struct Case {
        const char* name;
        std::function<void()> draw;
        std::vector<Probe> probes;
    } cases[] = {
        {"a later colour covers an earlier one",
         [&] {
             m_canvas->fillRect(left, redFill);
             m_canvas->fillRect(right, blueFill);
         },
         {{10, 10, 0xFF0000}, {45, 10, 0x0000FF}, {80, 10, 0x0000FF}}},
        {"an alpha set between them fades only the later one",
         [&] {
             m_canvas->setBlendMode(BlendMode::GlobalAlpha);
             m_canvas->fillRect(left, redFill);
             m_canvas->setAlpha(0.5f);
             m_canvas->fillRect(right, blueFill);
         },
         {{10, 10, 0xFF0000}, {45, 10, 0x800080}, {80, 10, 0x000080}}},
        {"a clip set between them cuts only the later one",
         [&] {
             m_canvas->fillRect(left, redFill);
             m_canvas->setClip(interval2(0, 0, 40, 64)); // up to x 41
             m_canvas->fillRect(right, blueFill);
         },
         {{10, 10, 0xFF0000}, {35, 10, 0x0000FF}, {50, 10, 0xFF0000}, {80, 10, 0}}},
        {"a transform set between them moves only the later one",
         [&] {
             m_canvas->fillRect(interval2(0, 0, 30, 30), redFill);
             Matrix4 shift = Matrix4::identity();
             shift.m[12] = 40;
             m_canvas->setTransform(shift);
             m_canvas->fillRect(interval2(0, 0, 30, 30), blueFill);
         },
         {{10, 10, 0xFF0000}, {35, 10, 0}, {50, 10, 0x0000FF}}},
        {"a colour after a texture",
         [&] {
             m_canvas->drawTexture(texture, left, texture->fullImageRect());
             m_canvas->fillRect(right, blueFill);
         },
         {{10, 10, 0xFF0000}, {45, 10, 0x0000FF}}},
        {"a texture loaded again between them shows its old image in the earlier one",
         [&] {
             m_canvas->drawTexture(texture, interval2(0, 0, 30, 30), texture->fullImageRect());
             m_files.addImage(u"swapped.png", 1, 1, 0xFF0000FF);
             texture->load();
             m_canvas->drawTexture(texture, interval2(40, 0, 70, 30), texture->fullImageRect());
         },
         {{10, 10, 0xFF0000}, {50, 10, 0x0000FF}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_files.addImage(u"swapped.png", 1, 1, 0xFFFF0000);
        ASSERT_TRUE(texture->load());
        beginBlackFrame();
        c.draw();
        const std::vector<uint32_t> pixels = m_harness->readPixels();
        for (const Probe& probe : c.probes) {
            SCOPED_TRACE("at " + std::to_string(probe.x) + "," + std::to_string(probe.y));
            const uint32_t p = pixels[size_t(probe.y) * kWidth + probe.x];
            EXPECT_NEAR(red(p), red(probe.expected), 2);
            EXPECT_NEAR(green(p), green(probe.expected), 2);
            EXPECT_NEAR(blue(p), blue(probe.expected), 2);
        }
    }
}

TEST_P(RendererTest, TextDrawnAfterAQuadLiesOverIt)
{
    UnicodeFont* font = m_canvas->getFont(u"Tahoma 30 :bold", 0);
    const ustring text = u"M";
    beginBlackFrame();
    m_canvas->fillRect(interval2(0, 0, kWidth, kHeight), Colour(1, 0, 0));
    font->beginBatch(false);
    font->drawText(2, 2, text.data(), text.data() + text.size(), {Colour(1, 1, 1), Colour(1, 0, 0)}, false);
    font->endBatch();
    int white = 0, ground = 0;
    for (uint32_t p : m_harness->readPixels()) {
        white += red(p) > 200 && green(p) > 200 && blue(p) > 200;
        ground += p == 0xFF0000u;
    }
    EXPECT_GT(white, 20);
    EXPECT_GT(ground, kWidth * kHeight / 2);
}

TEST_P(RendererTest, GlyphAtlasKeepsItsChannelOrder)
{
    UnicodeFont* font = m_canvas->getFont(u"Tahoma 40 :bold", 0);
    const ustring text = u"WM";
    beginBlackFrame();
    font->beginBatch(false);
    font->drawText(2, 2, text.data(), text.data() + text.size(), {Colour(1, 0, 0), Colour(0, 0, 0)}, false);
    font->endBatch();
    int redPixels = 0, bluePixels = 0;
    for (uint32_t p : m_harness->readPixels()) {
        redPixels += red(p) > 200 && green(p) < 60 && blue(p) < 60;
        bluePixels += blue(p) > 60;
    }
    EXPECT_GT(redPixels, 20);
    EXPECT_EQ(bluePixels, 0);
}

// A minimap draws the text a seventh of its size. Its glyphs are then a
// pixel wide and the ink of a cell a fraction of its texels: averaged with
// the atlas's blank texels, dark text on a light ground faded to nearly the
// ground. It must keep the text's shape in the text's own colour.
TEST_P(RendererTest, TextDrawnSmallKeepsItsInkDarkOnALightGround)
{
    const float paper[3] = {1, 1, 1};
    const Colour ink(0, 0, 0.5f);
    UnicodeFont* font = m_canvas->getFont(u"Courier New 10", 0);
    const ustring text = u"if (count > 0) return value * scale; // minimap line of code";
    beginBlackFrame();
    m_canvas->fillRect(interval2(0, 0, kWidth, kHeight), paper);
    Matrix4 scale = Matrix4::identity();
    scale.m[0] = scale.m[5] = 1.f / 7.f;
    scale.m[12] = 4;
    scale.m[13] = 20;
    m_canvas->setTransform(scale);
    font->beginBatch(true);
    for (int line = 0; line < 8; ++line)
        font->drawText(0, 15.f * float(line), text.data(), text.data() + text.size(),
                       {ink, Colour(paper[0], paper[1], paper[2])}, false);
    font->endBatch();
    m_canvas->setTransform(Matrix4::identity());
    int dark = 0, blueShifted = 0;
    for (uint32_t p : m_harness->readPixels()) {
        dark += red(p) < 110 && green(p) < 110;
        blueShifted += blue(p) > red(p) + 20;
    }
    EXPECT_GE(dark, 40) << "the ink shows as dark marks";
    EXPECT_GT(blueShifted, 0) << "in the text's own colour";
}

TEST_P(RendererTest, LinesTakeTheSoftwareCanvasPixels)
{
    struct Case {
        const char* name;
        vector2 from, to;
    } cases[] = {
        {"through centres", {2.5f, 10.5f}, {40.5f, 10.5f}},
        {"backwards through centres", {40.5f, 12.5f}, {2.5f, 12.5f}},
        {"diagonal through centres", {2.5f, 30.5f}, {20.5f, 12.5f}},
        {"through centres between whole ends", {4, 34.5f}, {30, 34.5f}},
        {"down through centres between whole ends", {44.5f, 2}, {44.5f, 30}},
        {"down a vertical edge", {50, 2}, {50, 30}},
        {"up a vertical edge", {54, 30}, {54, 2}},
        {"right along a horizontal edge", {60, 20}, {100, 20}},
        {"left along a horizontal edge", {100, 24}, {60, 24}},
        {"a squiggle of whole points", {60, 40}, {62, 42}},
        {"shallow", {3.2f, 40.7f}, {47.9f, 52.1f}},
        {"steep", {110.3f, 3.6f}, {118.8f, 60.2f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        beginBlackFrame();
        m_canvas->drawLine(c.from, c.to, kRed);
        SoftwareCanvas software(kWidth, kHeight);
        software.drawLine(c.from, c.to, kRed);
        const std::vector<uint32_t> pixels = m_harness->readPixels();
        int wrong = 0;
        std::string first;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (pixels[size_t(y) * kWidth + x] != (software.pixel(x, y) & 0xFFFFFFu) && !wrong++)
                    first = std::to_string(x) + "," + std::to_string(y);
        EXPECT_EQ(wrong, 0) << "first differing pixel at " << first;
    }
}

// One scene of every kind of primitive, drawn by `harness` and read back.
std::vector<uint32_t> drawScene(RendererHarness& harness)
{
    testing_canvas::PackageFiles files;
    std::vector<unsigned char> samples;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            samples.insert(samples.end(), {uint8_t(x * 32), uint8_t(y * 32), 200,
                                           uint8_t(x < 4 ? 255 : 96)});
    files.add(u"check.png", testing_png::encode(8, 8, PNG_COLOR_TYPE_RGBA, 8, samples));
    Canvas* canvas = harness.canvas();
    if (!harness.beginFrame())
        return {};
    const float white[3] = {1, 1, 1};
    const float green[3] = {0, 0.5f, 0};
    const float blue[3] = {0.1f, 0.2f, 0.9f};
    canvas->setBlendMode(BlendMode::Opaque);
    canvas->setAlpha(1);
    canvas->setClip(unsetInterval());
    canvas->fillRect(interval2(0, 0, kWidth, kHeight), kBlack);
    canvas->fillRect(interval2(2, 2, 30, 20), blue);
    canvas->setBlendMode(BlendMode::GlobalAlpha);
    canvas->setAlpha(0.5f);
    canvas->fillRect(interval2(20, 10, 40, 30), kRed);
    canvas->setBlendMode(BlendMode::TextureAlpha);
    slate::SP<Texture> texture = canvas->loadTexture(u"Packages/check.png");
    if (texture)
        canvas->drawTexture(texture, interval2(44, 2, 52, 10), texture->fullImageRect());
    // Modes 2 and 3 take the global alpha where there is no texture.
    canvas->setAlpha(0.5f);
    canvas->fillRect(interval2(44, 12, 52, 16), white);
    canvas->setBlendMode(BlendMode::TextureTimesGlobalAlpha);
    canvas->fillRect(interval2(44, 16, 52, 20), white);
    canvas->setBlendMode(BlendMode::Opaque);
    canvas->setAlpha(1);
    canvas->drawLine(vector2{2.5f, 62.5f}, vector2{40.5f, 62.5f}, white);
    canvas->drawLine(vector2{60.5f, 2.5f}, vector2{60.5f, 30.5f}, white);
    canvas->pushColour(green);
    const float strip[] = {70.5f, 2.5f, 0, 90.5f, 2.5f, 0, 90.5f, 20.5f, 0};
    canvas->drawLineStrip(strip, 3);
    const float corners[] = {100, 2, 0, 124, 2, 0, 124, 26, 0, 100, 26, 0};
    const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
    canvas->drawIndexedTriangles(corners, indices, 4, 6);
    canvas->intersectClip(interval2(64, 34, 126, 62));
    canvas->fillRect(interval2(60, 30, 128, 64), blue);
    canvas->setClip(unsetInterval());
    const ustring text = u"Hello, gW";
    UnicodeFont* font = canvas->getFont(u"Tahoma 12", 0);
    font->beginBatch(false);
    font->drawText(66, 40, text.data(), text.data() + text.size(), {Colour(1, 1, 1), Colour(0.1f, 0.2f, 0.9f)},
                   false);
    font->drawText(4, 46, text.data(), text.data() + text.size(), {Colour(1, 0, 0), Colour(0, 0, 0)}, false);
    font->endBatch();
    // Scaled text is drawn filtered and blended by the atlas's alpha on both.
    Matrix4 scale = Matrix4::identity();
    scale.m[0] = scale.m[5] = 0.75f;
    scale.m[12] = 2;
    scale.m[13] = 30;
    canvas->setTransform(scale);
    font->beginBatch(true);
    font->drawText(0, 0, text.data(), text.data() + text.size(), {Colour(1, 1, 0), Colour(0, 0, 0)}, false);
    font->endBatch();
    canvas->setTransform(Matrix4::identity());
    std::vector<uint32_t> pixels = harness.readPixels();
    harness.endFrame();
    return pixels;
}

TEST(Renderers, DrawTheSameScene)
{
    std::vector<uint32_t> scenes[2];
    for (int i = 0; i < 2; ++i) {
        std::unique_ptr<RendererHarness> harness = kRenderers[i].create(kWidth, kHeight);
        ASSERT_TRUE(harness->ok()) << kRenderers[i].name;
        scenes[i] = drawScene(*harness);
        ASSERT_EQ(scenes[i].size(), size_t(kWidth) * kHeight) << kRenderers[i].name;
    }
    int differing = 0;
    std::string where;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t a = scenes[0][size_t(y) * kWidth + x];
            const uint32_t b = scenes[1][size_t(y) * kWidth + x];
            const bool same = std::abs(red(a) - red(b)) <= 2 && std::abs(green(a) - green(b)) <= 2 &&
                              std::abs(blue(a) - blue(b)) <= 2;
            if (!same && differing++ < 20) {
                char text[64];
                std::snprintf(text, sizeof(text), " (%d,%d) %06x/%06x", x, y, a, b);
                where += text;
            }
        }
    EXPECT_EQ(differing, 0) << where;
}

INSTANTIATE_TEST_SUITE_P(Renderers, RendererTest, testing::ValuesIn(kRenderers),
                         [](const testing::TestParamInfo<Renderer>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
