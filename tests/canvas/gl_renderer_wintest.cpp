// The OpenGL renderer's own window peer and the context its objects live
// on. What it draws is checked beside the Direct3D 9 renderer in
// renderers_wintest.cpp.
#include "canvas/glcanvas/gl_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "canvas/gl_test_window.h"
#include "canvas/glcanvas/gl_texture.h"
#include "canvas/package_files.h"
#include "canvas/pixel_words.h"
#include "canvas/renderer_harness.h"
#include "window_manager/windows/gl_window_peer.h"

namespace {

const int kWidth = 64;
const int kHeight = 48;

TEST(GLWindowPeer, FailsWithoutAWindowAndDrawsNoFrame)
{
    platform::WindowHandle window = gl_test::createWindow(16, 16);
    ASSERT_NE(window, nullptr);
    gl_test::destroyWindow(window); // its handle is now stale
    GLWindowPeer peer;
    EXPECT_FALSE(peer.create(window));
    EXPECT_FALSE(peer.isValid());
    EXPECT_NE(peer.canvas(), nullptr);
    EXPECT_EQ(peer.beginDraw(16, 16), WindowPeer::DrawResult::NoFrame);
    EXPECT_EQ(peer.name(), u"OpenGL");
}

TEST(GLTexture, LoadFailsWhenOpenGLGivesNoTextureObject)
{
    testing_canvas::PackageFiles files;
    files.addImage(u"red.png", 2, 2, 0xFFFF0000);
    gl_test::releaseCurrentContext(); // no context: no texture names
    GLTexture texture(u"Packages/red.png", GLContext());
    EXPECT_FALSE(texture.load());
    EXPECT_EQ(texture.name(), 0u);
    EXPECT_EQ(texture.imageWidth(), 0);
}

// Two windows, each with its own context; the one made last is current
// when a test starts, as after opening a second window.
class TwoGLWindows : public testing::Test {
protected:
    void SetUp() override
    {
        m_first = createGLHarness(kWidth, kHeight);
        m_second = createGLHarness(kWidth, kHeight);
        ASSERT_TRUE(m_first->ok());
        ASSERT_TRUE(m_second->ok());
    }
    void TearDown() override
    {
        m_second.reset(); // may be gone already
        m_first.reset();
    }

    // Starts a frame of the first window cleared to white.
    void beginWhiteFrame()
    {
        ASSERT_TRUE(m_first->beginFrame());
        Canvas* canvas = m_first->canvas();
        canvas->setBlendMode(BlendMode::Opaque);
        canvas->setAlpha(1);
        canvas->setClip(unsetInterval());
        const float white[3] = {1, 1, 1};
        canvas->fillRect(interval2(0, 0, kWidth, kHeight), white);
    }
    // Which of the first window's pixels in [x0, x1) x [0, kHeight) are
    // dark, as a picture of rows.
    std::string darkPixels(int x0, int x1)
    {
        const std::vector<uint32_t> all = m_first->readPixels();
        std::string out;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = x0; x < x1; ++x)
                out += red(all[size_t(y) * kWidth + x]) < 128 ? '#' : '.';
            out += '\n';
        }
        return out;
    }

    testing_canvas::PackageFiles m_files; // before the renderers, which watch it
    std::unique_ptr<RendererHarness> m_first;
    std::unique_ptr<RendererHarness> m_second;
};

TEST_F(TwoGLWindows, TextureReloadedWhileTheOtherWindowIsCurrentShowsTheNewImage)
{
    m_files.addImage(u"swatch.png", 1, 1, 0xFFFF0000);
    Canvas* canvas = m_first->canvas();
    slate::SP<Texture> texture = canvas->loadTexture(u"Packages/swatch.png");
    ASSERT_NE(texture, nullptr);

    ASSERT_TRUE(m_second->beginFrame()); // the second window is drawing
    m_files.addImage(u"swatch.png", 1, 1, 0xFF00FF00);
    static_cast<BasicCanvas*>(canvas)->reloadTexture(u"Packages/swatch.png");
    m_second->endFrame();

    beginWhiteFrame();
    canvas->drawTexture(texture, interval2(0, 0, 4, 4), texture->fullImageRect());
    EXPECT_EQ(m_first->readPixels()[size_t(1) * kWidth + 1], 0x00FF00u);
    m_first->endFrame();
}

TEST_F(TwoGLWindows, TextureOutlivingItsWindowLeavesTheOtherWindowsTexturesAlone)
{
    m_files.addImage(u"red.png", 1, 1, 0xFFFF0000);
    m_files.addImage(u"green.png", 1, 1, 0xFF00FF00);
    // The same name on each context.
    slate::SP<Texture> mine = m_first->canvas()->loadTexture(u"Packages/green.png");
    slate::SP<Texture> orphan = m_second->canvas()->loadTexture(u"Packages/red.png");
    ASSERT_NE(mine, nullptr);
    ASSERT_NE(orphan, nullptr);
    m_second.reset(); // its context goes; the texture is still held
    ASSERT_TRUE(m_first->beginFrame());
    orphan.reset();
    m_first->endFrame();

    beginWhiteFrame();
    m_first->canvas()->drawTexture(mine, interval2(0, 0, 4, 4), mine->fullImageRect());
    EXPECT_EQ(m_first->readPixels()[size_t(1) * kWidth + 1], 0x00FF00u);
    m_first->endFrame();
}

TEST_F(TwoGLWindows, GlyphAtlasMadeWhileTheOtherWindowIsCurrentDrawsItsGlyphs)
{
    // The same font twice: one made while the second window is current, one
    // while the first is. Black on white is the variant made with the font.
    // The second window holds a texture, so that names made on its context
    // are not the names of the first window's atlases.
    m_files.addImage(u"swatch.png", 1, 1, 0xFFFF0000);
    ASSERT_NE(m_second->canvas()->loadTexture(u"Packages/swatch.png"), nullptr);
    UnicodeFont* early = m_first->canvas()->getFont(u"Tahoma 24 :bold", 0);
    ASSERT_TRUE(m_first->beginFrame());
    UnicodeFont* late = m_first->canvas()->getFont(u"Tahoma 24 :bold;Tahoma", 0);
    m_first->endFrame();

    beginWhiteFrame();
    const ustring text = u"M";
    for (const auto& drawn : {std::make_pair(early, 2.f), std::make_pair(late, 34.f)}) {
        drawn.first->beginBatch(false);
        drawn.first->drawText(drawn.second, 2, text.data(), text.data() + 1,
                              {Colour(0, 0, 0), Colour(1, 1, 1)}, false);
        drawn.first->endBatch();
    }
    const std::string left = darkPixels(0, 32);
    EXPECT_GT(std::count(left.begin(), left.end(), '#'), 20);
    EXPECT_EQ(left, darkPixels(32, 64));
    m_first->endFrame();
}

} // namespace
