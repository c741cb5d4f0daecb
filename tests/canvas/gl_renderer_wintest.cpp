// The OpenGL renderer's own window peer. What it draws is checked beside the
// Direct3D 9 renderer in renderers_wintest.cpp.
#include "canvas/glcanvas/gl_renderer.h"

#include <gtest/gtest.h>

#include "canvas/gl_test_window.h"
#include "window_manager/windows/gl_window_peer.h"

namespace {

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
