#include "canvas/gl_test_window.h"

#define NOMINMAX
#include <windows.h>
#include <GL/gl.h>

#include "canvas/renderer_harness.h"
#include "support/test_window.h"
#include "window_manager/windows/gl_window_peer.h"

namespace gl_test {

namespace {

const char16_t kWindowClassName[] = u"VantrelGLTestWindow";

} // namespace

platform::WindowHandle createWindow(int width, int height)
{
    return test_support::createPopupWindow(kWindowClassName, true, width, height, false);
}

void destroyWindow(platform::WindowHandle window)
{
    test_support::destroyPopupWindow(window);
}

std::vector<uint32_t> readBackBuffer(int width, int height)
{
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        // OpenGL's rows run bottom first.
        const uint8_t* row = rgba.data() + size_t(height - 1 - y) * width * 4;
        for (int x = 0; x < width; ++x)
            pixels[size_t(y) * width + x] =
                uint32_t(row[4 * x]) << 16 | uint32_t(row[4 * x + 1]) << 8 | row[4 * x + 2];
    }
    return pixels;
}

void releaseCurrentContext()
{
    wglMakeCurrent(nullptr, nullptr);
}

} // namespace gl_test

namespace {

class GLHarness : public RendererHarness {
public:
    GLHarness(int width, int height) : m_width(width), m_height(height)
    {
        m_window = gl_test::createWindow(width, height);
        m_created = m_window && m_peer->create(m_window);
    }
    ~GLHarness() override
    {
        m_peer.reset(); // before its window
        if (m_window)
            gl_test::destroyWindow(m_window);
    }

    bool ok() const override { return m_created; }
    Canvas* canvas() override { return m_peer->canvas(); }
    bool beginFrame() override
    {
        return m_peer->beginDraw(m_width, m_height) == WindowPeer::DrawResult::Frame;
    }
    void clearToBlack() override
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void endFrame() override { m_peer->endDraw(); }
    std::vector<uint32_t> readPixels() override
    {
        return gl_test::readBackBuffer(m_width, m_height);
    }

private:
    int m_width, m_height;
    platform::WindowHandle m_window = nullptr;
    bool m_created = false;
    std::unique_ptr<GLWindowPeer> m_peer{new GLWindowPeer};
};

} // namespace

std::unique_ptr<RendererHarness> createGLHarness(int width, int height)
{
    return std::unique_ptr<RendererHarness>(new GLHarness(width, height));
}
