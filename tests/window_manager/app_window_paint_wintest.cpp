// Painting of application windows whose renderer cannot draw for a while.
#include "window_manager/app_window_fixture.h"

namespace app_window_test {
namespace {

// A peer whose device is lost for its first frames, as after a display
// change, and then comes back.
struct LostDevicePeer : TestPeer {
    explicit LostDevicePeer(int lostFrames) : TestPeer(RendererKind::Direct3D9, true, true), m_lostFrames(lostFrames) {}
    DrawResult beginDraw(int, int) override { return m_attempts++ < m_lostFrames ? DrawResult::NoFrame : DrawResult::Frame; }

    int m_lostFrames;
    int m_attempts = 0;
};

// Ends the loop from its first frame, so that nothing but the window's own
// repaints can bring that frame about.
struct FirstFrameHandler : RecordingHandler {
    explicit FirstFrameHandler(Log& log, bool& drawn) : RecordingHandler(log), m_drawn(drawn) {}
    bool draw(bool) override
    {
        if (!m_drawn) {
            m_drawn = true;
            platform::WindowHandle window = m_window->nativeHandle();
            postToMainThread([window] { window_test::destroyWindow(window); });
        }
        return true;
    }

    bool& m_drawn;
};

TEST_F(AppWindowTest, AWindowWhoseDeviceComesBackRepaintsWithoutInput)
{
    m_manager->setPeerFactory([](RendererKind, bool) -> WindowPeer* { return new LostDevicePeer(5); });
    bool drawn = false;
    auto handler = std::make_unique<FirstFrameHandler>(m_log, drawn);
    ASSERT_TRUE(m_manager->createWindow(u"Test", handler.get(), nullptr, ustring()));
    handler.release(); // the window's now
    EXPECT_TRUE(runLoop()) << "no frame came after the device was back";
    EXPECT_TRUE(drawn);
}

} // namespace
} // namespace app_window_test
