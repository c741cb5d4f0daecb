// The Direct3D 9 renderer on a real device (Wine's Direct3D over Mesa) in a
// hidden window, with the device calls a peer makes: frames, reset and
// re-creation. The device's state calls can be counted.
#pragma once

#include <memory>

#include "canvas/renderer_harness.h"

class DX9Renderer;

namespace dx9_test {

// State and drawing calls made on the device while counting.
struct DeviceCalls {
    int renderStates = 0;
    int stageStates = 0;
    int samplerStates = 0;
    int textures = 0;
    int clipPlanes = 0;
    int transforms = 0;
    int draws = 0;
    int total() const
    {
        return renderStates + stageStates + samplerStates + textures + clipPlanes + transforms +
               draws;
    }
};

class DX9Harness : public RendererHarness {
public:
    virtual DX9Renderer& renderer() = 0;
    // Between frames: tells the renderer the device is lost, resets the
    // device and, when `tellRenderer`, reports the reset to the renderer.
    virtual bool resetDevice(bool tellRenderer) = 0;
    // Between frames: hands the renderer no device, releases the device and
    // creates a new one that the renderer is given.
    virtual bool recreateDevice() = 0;
    // Counts the device's calls into `calls` until called with null.
    virtual void countCalls(DeviceCalls* calls) = 0;
};

std::unique_ptr<DX9Harness> createHarness(int width, int height);

} // namespace dx9_test
