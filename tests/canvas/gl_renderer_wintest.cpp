// The OpenGL renderer drawing for real (Wine's WGL over Mesa under Xvfb),
// checked by reading the back buffer before it is presented.
#include "canvas/glcanvas/gl_renderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "canvas/gl_test_window.h"
#include "canvas/package_files.h"
#include "canvas/software_canvas.h"
#include "canvas/unicode_font.h"
#include "window_manager/windows/gl_window_peer.h"

namespace {

const int kWidth = 128;
const int kHeight = 64;
const float kBlack[3] = {0, 0, 0};
const float kRed[3] = {1, 0, 0};

int red(uint32_t p) { return int(p >> 16 & 0xFF); }
int green(uint32_t p) { return int(p >> 8 & 0xFF); }
int blue(uint32_t p) { return int(p & 0xFF); }

class GLRendererTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_window = gl_test::createWindow(kWidth, kHeight);
        ASSERT_NE(m_window, nullptr);
        m_peer.reset(new GLWindowPeer);
        ASSERT_TRUE(m_peer->create(m_window));
        m_canvas = m_peer->canvas();
    }
    void TearDown() override
    {
        m_peer.reset();
        if (m_window)
            gl_test::destroyWindow(m_window);
    }

    // Starts a frame painted black, with no clip and the identity transform.
    void beginBlackFrame()
    {
        ASSERT_EQ(m_peer->beginDraw(kWidth, kHeight), WindowPeer::kDrawFrame);
        m_canvas->setBlendMode(0);
        m_canvas->setAlpha(1);
        m_canvas->setClip(unsetInterval());
        m_canvas->fillRect(interval2(0, 0, kWidth, kHeight), kBlack);
    }
    uint32_t pixel(int x, int y)
    {
        return gl_test::readBackBuffer(kWidth, kHeight)[size_t(y) * kWidth + x];
    }

    testing_canvas::PackageFiles m_files; // before the renderer, which watches it
    platform::WindowHandle m_window = nullptr;
    std::unique_ptr<GLWindowPeer> m_peer;
    Canvas* m_canvas = nullptr;
};

TEST_F(GLRendererTest, ClipIsTheRectWidenedByOnePixelInWindowCoordinates)
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
        const std::vector<uint32_t> pixels = gl_test::readBackBuffer(kWidth, kHeight);
        int wrong = 0;
        std::string first;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const bool inside = c.x0 <= x && x < c.x1 && c.y0 <= y && y < c.y1;
                if (pixels[size_t(y) * kWidth + x] != (inside ? 0xFF0000u : 0u) && !wrong++)
                    first = std::to_string(x) + "," + std::to_string(y);
            }
        EXPECT_EQ(wrong, 0) << "first wrong pixel at " << first;
        m_canvas->setTransform(Matrix4::identity());
    }
}

TEST_F(GLRendererTest, BlendModesChooseTheAlpha)
{
    m_files.addImage(u"half.png", 1, 1, 0x80FFFFFF); // white at alpha 128
    slate::SP<Texture> texture = m_canvas->loadTexture(u"Packages/half.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_TRUE(texture->hasAlpha());
    struct Case {
        int mode;
        float alpha;
        int expected; // grey level over black
    } cases[] = {
        {0, 0.25f, 255}, // opaque, whatever the alphas
        {1, 0.25f, 64},  // the global alpha only
        {2, 0.25f, 128}, // the texture's alpha alone: setAlpha is ignored
        {3, 0.5f, 64},   // both
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        beginBlackFrame();
        m_canvas->setBlendMode(c.mode);
        m_canvas->setAlpha(c.alpha);
        m_canvas->drawTexture(texture, interval2(0, 0, 4, 4), texture->fullImageRect());
        const uint32_t p = pixel(1, 1);
        EXPECT_NEAR(red(p), c.expected, 2);
        EXPECT_EQ(red(p), green(p));
        EXPECT_EQ(red(p), blue(p));
    }
    EXPECT_EQ(m_canvas->loadTexture(u"Packages/missing.png"), nullptr);
}

TEST_F(GLRendererTest, PackageImageIsUprightInItsOwnColours)
{
    // 1 x 2: red above white, padded to 1 x 2.
    m_files.add(u"two.png", testing_png::encode(1, 2, PNG_COLOR_TYPE_RGB, 8, {255, 0, 0, 255, 255, 255}));
    slate::SP<Texture> texture = m_canvas->loadTexture(u"Packages/two.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_FALSE(texture->hasAlpha());
    beginBlackFrame();
    // One pixel per texel: package images are sampled linearly.
    m_canvas->drawTexture(texture, interval2(0, 0, 1, 2), texture->fullImageRect());
    EXPECT_EQ(pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(pixel(0, 1), 0xFFFFFFu);
}

TEST_F(GLRendererTest, TextLeavesBlendingOffButKeepsTheBlendMode)
{
    UnicodeFont* font = m_canvas->getFont(u"Tahoma 12", 0);
    const ustring text = u"x";
    beginBlackFrame();
    m_canvas->setBlendMode(1);
    m_canvas->setAlpha(0.5f);
    font->beginBatch(false);
    font->drawText(60, 40, text.data(), text.data() + text.size(), 1, 1, 1, 0, 0, 0, false);
    font->endBatch();
    EXPECT_EQ(m_canvas->getBlendMode(), 1);

    m_canvas->fillRect(interval2(0, 0, 4, 4), kRed);
    EXPECT_EQ(red(pixel(1, 1)), 255) << "blending stays off until the mode is set again";
    m_canvas->setBlendMode(1);
    m_canvas->fillRect(interval2(10, 0, 14, 4), kRed);
    EXPECT_NEAR(red(pixel(11, 1)), 128, 2);
}

TEST_F(GLRendererTest, GlyphAtlasKeepsItsChannelOrder)
{
    UnicodeFont* font = m_canvas->getFont(u"Tahoma 40 :bold", 0);
    const ustring text = u"WM";
    beginBlackFrame();
    font->beginBatch(false);
    font->drawText(2, 2, text.data(), text.data() + text.size(), 1, 0, 0, 0, 0, 0, false);
    font->endBatch();
    int redPixels = 0, bluePixels = 0;
    for (uint32_t p : gl_test::readBackBuffer(kWidth, kHeight)) {
        redPixels += red(p) > 200 && green(p) < 60 && blue(p) < 60;
        bluePixels += blue(p) > 60;
    }
    EXPECT_GT(redPixels, 20);
    EXPECT_EQ(bluePixels, 0);
}

TEST_F(GLRendererTest, LinesTakeTheSoftwareCanvasPixels)
{
    struct Case {
        const char* name;
        vector2 from, to;
    } cases[] = {
        {"through centres", {2.5f, 10.5f}, {40.5f, 10.5f}},
        {"backwards through centres", {40.5f, 12.5f}, {2.5f, 12.5f}},
        {"diagonal through centres", {2.5f, 30.5f}, {20.5f, 12.5f}},
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
        const std::vector<uint32_t> pixels = gl_test::readBackBuffer(kWidth, kHeight);
        int wrong = 0;
        std::string first;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (pixels[size_t(y) * kWidth + x] != (software.pixel(x, y) & 0xFFFFFFu) && !wrong++)
                    first = std::to_string(x) + "," + std::to_string(y);
        EXPECT_EQ(wrong, 0) << "first differing pixel at " << first;
    }
}

TEST(GLWindowPeer, FailsWithoutAWindowAndDrawsNoFrame)
{
    platform::WindowHandle window = gl_test::createWindow(16, 16);
    ASSERT_NE(window, nullptr);
    gl_test::destroyWindow(window); // its handle is now stale
    GLWindowPeer peer;
    EXPECT_FALSE(peer.create(window));
    EXPECT_FALSE(peer.isValid());
    EXPECT_NE(peer.canvas(), nullptr);
    EXPECT_EQ(peer.beginDraw(16, 16), WindowPeer::kNoFrame);
    EXPECT_EQ(peer.name(), u"OpenGL");
}

} // namespace
