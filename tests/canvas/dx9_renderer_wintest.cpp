// What only the Direct3D 9 renderer has: a device that can be reset or
// replaced under it, state calls it saves, and font colour variants it
// evicts. Drawn for real on Wine's Direct3D over Mesa and read back with
// GetRenderTargetData; what both renderers share is in renderers_wintest.cpp.
#include "canvas/dx9canvas/dx9_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "canvas/dx9_test_device.h"
#include "canvas/package_files.h"
#include "canvas/pixel_words.h"
#include "canvas/util/texture_unicode_font.h"

namespace {

const int kWidth = 128;
const int kHeight = 64;

int redPixelCount(const std::vector<uint32_t>& pixels)
{
    int count = 0;
    for (uint32_t p : pixels)
        count += red(p) > 200 && green(p) < 60 && blue(p) < 60;
    return count;
}

class DX9RendererTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_harness = dx9_test::createHarness(kWidth, kHeight);
        ASSERT_TRUE(m_harness->ok());
        m_renderer = &m_harness->renderer();
    }
    void TearDown() override
    {
        endFrame();
        m_harness.reset();
    }

    void beginFrame()
    {
        endFrame();
        m_inFrame = m_harness->beginFrame();
        ASSERT_TRUE(m_inFrame);
        m_harness->clearToBlack();
    }
    void endFrame()
    {
        if (m_inFrame)
            m_harness->endFrame();
        m_inFrame = false;
    }
    uint32_t pixel(int x, int y) { return m_harness->readPixels()[size_t(y) * kWidth + x]; }
    void drawText(UnicodeFont* font, const ustring& text, float x, float y, const Colour& colour)
    {
        font->beginBatch(false);
        font->drawText(x, y, text.data(), text.data() + text.size(), {colour, Colour(0, 0, 0)},
                       false);
        font->endBatch();
    }

    testing_canvas::PackageFiles m_files; // before the renderer, which watches it
    std::unique_ptr<dx9_test::DX9Harness> m_harness;
    DX9Renderer* m_renderer = nullptr;
    bool m_inFrame = false;
};

TEST_F(DX9RendererTest, BlendModeReachesTheDeviceOnlyWhenItChanges)
{
    UnicodeFont* font = m_renderer->getFont(u"Tahoma 12", 0);
    beginFrame();
    const auto noText = [] {};
    const auto text = [&] { drawText(font, u"x", 10, 10, kRed); };
    struct Step {
        const char* name;
        std::function<void()> before; // not counted
        BlendMode mode;
        bool expectCalls;
    } steps[] = {
        {"mode 0 as sent with the device", noText, BlendMode::Opaque, false},
        {"mode 1", noText, BlendMode::GlobalAlpha, true},
        {"mode 1 again", noText, BlendMode::GlobalAlpha, false},
        {"mode 3", noText, BlendMode::TextureTimesGlobalAlpha, true},
        {"mode 3 after text, which left blending off", text, BlendMode::TextureTimesGlobalAlpha, true},
        {"mode 0 after text", text, BlendMode::Opaque, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.before();
        dx9_test::DeviceCalls calls;
        m_harness->countCalls(&calls);
        m_renderer->setBlendMode(step.mode);
        m_harness->countCalls(nullptr);
        EXPECT_EQ(calls.total() > 0, step.expectCalls) << calls.total() << " calls";
        EXPECT_EQ(m_renderer->getBlendMode(), step.mode);
    }
}

TEST_F(DX9RendererTest, TextBlendsAsTheCanvasBlendModeSays)
{
    // Unlike OpenGL, whose text ignores the global alpha.
    UnicodeFont* font = m_renderer->getFont(u"Tahoma 30 :bold", 0);
    struct Case {
        BlendMode mode;
        int brightest; // red of the glyphs' solid pixels over black
    } cases[] = {{BlendMode::Opaque, 255},
                   {BlendMode::GlobalAlpha, 255},
                   {BlendMode::TextureTimesGlobalAlpha, 128}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        beginFrame();
        m_renderer->setBlendMode(c.mode);
        m_renderer->setAlpha(0.5f);
        drawText(font, u"M", 2, 2, kRed);
        int brightest = 0;
        for (uint32_t p : m_harness->readPixels())
            brightest = std::max(brightest, red(p));
        EXPECT_NEAR(brightest, c.brightest, 2);
    }
}

TEST_F(DX9RendererTest, EmptyRectsMakeNoDeviceCalls)
{
    m_files.addImage(u"white.png", 2, 2, 0xFFFFFFFF);
    slate::SP<Texture> texture = m_renderer->loadTexture(u"Packages/white.png");
    ASSERT_NE(texture, nullptr);
    struct Case {
        const char* name;
        interval2 rect;
    } cases[] = {
        {"zero width", interval2(10, 0, 10, 50)},
        {"zero height", interval2(0, 10, 50, 10)},
        // Unlike OpenGL, which fills the area between the edges.
        {"inverted", interval2(50, 0, 10, 50)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        beginFrame();
        dx9_test::DeviceCalls calls;
        m_harness->countCalls(&calls);
        m_renderer->fillRect(c.rect, kRed);
        m_renderer->drawTexture(texture, c.rect, texture->fullImageRect());
        m_renderer->drawTexturedQuad(c.rect, texture->fullImageRect());
        m_harness->countCalls(nullptr);
        EXPECT_EQ(calls.total(), 0);
        EXPECT_EQ(redPixelCount(m_harness->readPixels()), 0);
    }
}

TEST_F(DX9RendererTest, FirstFrameAfterAResetDrawsWithTheStateBeforeIt)
{
    struct Case {
        const char* name;
        bool reportReset; // else the next frame finds the device was lost
    } cases[] = {
        {"reset reported", true},
        {"lost only", false},
    };
    // Glyph atlases and their vertex buffers (kept locked between flushes)
    // live through the reset.
    UnicodeFont* font = m_renderer->getFont(u"Tahoma 30 :bold", 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        beginFrame();
        drawText(font, u"M", 60, 2, kRed);
        endFrame();
        Matrix4 shift = Matrix4::identity();
        shift.m[12] = 10;
        shift.m[13] = 20;
        m_renderer->setTransform(shift);
        m_renderer->setClip(interval2(0, 0, 40, 40)); // window 0..41 x 0..41
        m_renderer->setBlendMode(BlendMode::GlobalAlpha);
        m_renderer->setAlpha(0.5f);
        m_renderer->pushColour(kRed);
        ASSERT_TRUE(m_harness->resetDevice(c.reportReset));

        beginFrame();
        m_renderer->drawTexturedQuad(interval2(0, 0, 100, 100), interval2(0, 0, 0, 0));
        const std::vector<uint32_t> pixels = m_harness->readPixels();
        int wrong = 0;
        std::string first;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const bool inside = 10 <= x && x <= 40 && 20 <= y && y <= 40;
                const uint32_t p = pixels[size_t(y) * kWidth + x];
                const bool ok = inside ? std::abs(red(p) - 128) <= 2 && green(p) == 0 && blue(p) == 0
                                       : p == 0;
                if (!ok && !wrong++)
                    first = std::to_string(x) + "," + std::to_string(y);
            }
        EXPECT_EQ(wrong, 0) << "first wrong pixel at " << first;
        m_renderer->setTransform(Matrix4::identity());
        m_renderer->setClip(unsetInterval());
        m_renderer->setBlendMode(BlendMode::Opaque);
        m_harness->clearToBlack();
        drawText(font, u"M", 60, 2, kRed);
        EXPECT_GT(redPixelCount(m_harness->readPixels()), 20);
        endFrame();
    }
}

TEST_F(DX9RendererTest, TexturesFontsAndStateSurviveADeviceChange)
{
    m_files.add(u"two.png", testing_png::encode(1, 2, PNG_COLOR_TYPE_RGB, 8, {255, 0, 0, 255, 255, 255}));
    slate::SP<Texture> texture = m_renderer->loadTexture(u"Packages/two.png");
    ASSERT_NE(texture, nullptr);
    UnicodeFont* font = m_renderer->getFont(u"Tahoma 30 :bold", 0);
    beginFrame();
    drawText(font, u"M", 40, 2, kRed);
    EXPECT_GT(redPixelCount(m_harness->readPixels()), 20);
    m_renderer->setBlendMode(BlendMode::GlobalAlpha);
    m_renderer->setAlpha(0.5f);
    endFrame();

    // Without a device nothing loads and nothing is dropped.
    m_renderer->setDevice(nullptr);
    m_files.addImage(u"other.png", 1, 1, 0xFFFFFFFF);
    EXPECT_EQ(m_renderer->loadTexture(u"Packages/other.png"), nullptr);
    EXPECT_EQ(m_renderer->findTexture(u"Packages/other.png"), nullptr);
    EXPECT_EQ(m_renderer->findTexture(u"Packages/two.png"), texture);
    m_renderer->fillRect(interval2(0, 0, 4, 4), kRed); // no device: nothing happens

    ASSERT_TRUE(m_harness->recreateDevice());
    EXPECT_EQ(m_renderer->getBlendMode(), BlendMode::GlobalAlpha);
    EXPECT_EQ(m_renderer->getAlpha(), 0.5f);
    beginFrame();
    m_renderer->fillRect(interval2(10, 0, 14, 4), kRed);
    EXPECT_NEAR(red(pixel(11, 1)), 128, 2) << "the blend mode reached the new device";
    m_renderer->setBlendMode(BlendMode::Opaque);
    m_renderer->drawTexture(texture, interval2(0, 0, 1, 2), texture->fullImageRect());
    EXPECT_EQ(pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(pixel(0, 1), 0xFFFFFFu);
    drawText(font, u"M", 40, 2, kRed);
    EXPECT_GT(redPixelCount(m_harness->readPixels()), 20);
}

TEST_F(DX9RendererTest, ColourVariantUnusedForMoreThanFiftyFramesIsEvicted)
{
    // Frames before the font exists count for nothing against it.
    for (int i = 0; i < 60; ++i) {
        beginFrame();
        endFrame();
    }
    MultiFont* font = dynamic_cast<MultiFont*>(m_renderer->getFont(u"Tahoma 30 :bold", 0));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->variantCount(), 1u); // black on white, kept for advances
    beginFrame();
    drawText(font, u"M", 2, 2, kRed);
    endFrame();
    EXPECT_EQ(font->variantCount(), 2u);
    const int lastUsed = m_renderer->frameCounter() - 1;

    while (m_renderer->frameCounter() < lastUsed + DX9Renderer::kVariantLifetimeFrames + 1) {
        EXPECT_EQ(font->variantCount(), 2u) << "frame " << m_renderer->frameCounter();
        beginFrame();
        endFrame();
    }
    EXPECT_EQ(font->variantCount(), 1u);

    // The pair comes back with fresh atlases.
    beginFrame();
    drawText(font, u"M", 2, 2, kRed);
    EXPECT_EQ(font->variantCount(), 2u);
    EXPECT_GT(redPixelCount(m_harness->readPixels()), 20);
}

} // namespace
