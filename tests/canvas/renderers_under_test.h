// The graphics renderers a Wine test runs its scenes on, in a table for
// TEST_P and for loops.
#pragma once

#include <functional>
#include <memory>
#include <ostream>

#include "canvas/dx9_test_device.h"
#include "canvas/renderer_harness.h"

struct RendererUnderTest {
    const char* name;
    std::function<std::unique_ptr<RendererHarness>(int width, int height)> create;
};

inline void PrintTo(const RendererUnderTest& renderer, std::ostream* out) { *out << renderer.name; }

inline const RendererUnderTest kRenderersUnderTest[] = {
    {"OpenGL", createGLHarness},
    {"Direct3D9", [](int width, int height) -> std::unique_ptr<RendererHarness> {
         return dx9_test::createHarness(width, height);
     }},
};
