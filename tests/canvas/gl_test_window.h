// Win32 services for the Wine tests of the OpenGL renderer, behind a neutral
// interface.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/platform.h"

namespace gl_test {

// A hidden top-level window with a client area of width x height pixels, or
// null.
platform::WindowHandle createWindow(int width, int height);
void destroyWindow(platform::WindowHandle window);

// The current context's back buffer (read before it is presented) as words
// 0x00RRGGBB, rows top first.
std::vector<uint32_t> readBackBuffer(int width, int height);

// Leaves the thread with no current OpenGL context.
void releaseCurrentContext();

} // namespace gl_test
