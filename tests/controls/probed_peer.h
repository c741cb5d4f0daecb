// A window peer for the Wine tests and benchmarks of whole windows: it wraps
// the real peer of one renderer, which the window manager's peer factory
// makes, and watches the end of every frame. There it can wait until the
// graphics interface has carried out the frame's drawing, read the frame
// back before it is presented, note when the frame ended and call back.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "canvas/dx9_peer_readback.h"
#include "canvas/gl_test_window.h"
#include "window_manager/window_peer.h"
#include "window_manager/windows/win32_window_manager.h"

namespace window_test {

// What the probe saw of the frames; shared by the test and the peer, which
// the window owns and deletes with itself.
struct FrameProbe {
    using Clock = std::chrono::steady_clock;

    RendererKind kind = RendererKind::OpenGL; // the renderer of the peer made last
    bool waitForDevice = false; // each frame waits until the interface has drawn it
    bool capture = false;       // each frame is read back into `pixels`
    int frames = 0;             // frames ended so far
    Clock::time_point lastFrameEnd;
    // The last frame read back, words 0x00RRGGBB, rows top first.
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    // Called after each frame was presented; may be empty.
    std::function<void()> onFrameEnd;
};

class ProbedPeer : public WindowPeer {
public:
    ProbedPeer(WindowPeer* inner, RendererKind kind, FrameProbe& probe) : m_inner(inner), m_kind(kind), m_probe(probe)
    {
    }

    bool create(platform::WindowHandle window) override
    {
        if (!m_inner->create(window))
            return false;
        m_probe.kind = m_kind;
        return true;
    }
    bool isValid() override { return m_inner->isValid(); }
    void resize(platform::WindowHandle window) override { m_inner->resize(window); }
    void move(platform::WindowHandle window) override { m_inner->move(window); }
    void settingsChanged() override { m_inner->settingsChanged(); }
    DrawResult beginDraw(int width, int height) override
    {
        m_width = width;
        m_height = height;
        return m_inner->beginDraw(width, height);
    }
    void endDraw() override
    {
        const bool gl = m_kind == RendererKind::OpenGL;
        if (m_probe.capture) {
            m_probe.pixels = gl ? gl_test::readBackBuffer(m_width, m_height)
                                : dx9_test::readBackBuffer(*m_inner, m_width, m_height);
            m_probe.width = m_width;
            m_probe.height = m_height;
        } else if (m_probe.waitForDevice) {
            if (gl)
                gl_test::readBackBuffer(1, 1);
            else
                dx9_test::finish(*m_inner);
        }
        m_inner->endDraw();
        ++m_probe.frames;
        m_probe.lastFrameEnd = FrameProbe::Clock::now();
        if (m_probe.onFrameEnd)
            m_probe.onFrameEnd();
    }
    void makeCurrent() override { m_inner->makeCurrent(); }
    Canvas* canvas() override { return m_inner->canvas(); }
    ustring name() override { return m_inner->name(); }

private:
    std::unique_ptr<WindowPeer> m_inner;
    RendererKind m_kind;
    FrameProbe& m_probe;
    int m_width = 0;
    int m_height = 0;
};

// Makes the manager's windows draw through probed peers of the real
// renderers; `probe` must outlive every window made from now on.
inline void probePeers(Win32WindowManager& manager, FrameProbe& probe)
{
    manager.setPeerFactory([&probe](RendererKind kind, bool useSwapChains) -> WindowPeer* {
        WindowPeer* inner = makeWindowPeer(kind, useSwapChains);
        return inner ? new ProbedPeer(inner, kind, probe) : nullptr;
    });
}

} // namespace window_test
