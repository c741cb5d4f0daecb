// One renderer drawing for real into a hidden window, framed as its window
// peer frames it, so that tests can run the same scene on every renderer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class Canvas;

class RendererHarness {
public:
    virtual ~RendererHarness() = default;
    // False when the window, device or context could not be made.
    virtual bool ok() const = 0;
    virtual Canvas* canvas() = 0;
    // Starts a frame as the window peer does; false when it cannot.
    virtual bool beginFrame() = 0;
    // Paints the whole frame black, whatever the clip and blend mode.
    virtual void clearToBlack() = 0;
    // Ends the frame and presents it.
    virtual void endFrame() = 0;
    // What the frame holds so far, words 0x00RRGGBB, rows top first.
    virtual std::vector<uint32_t> readPixels() = 0;
};

// The OpenGL renderer in its window peer.
std::unique_ptr<RendererHarness> createGLHarness(int width, int height);
