// Plain popup windows for the Wine tests (a window for a renderer to draw
// in, or one to bring to the front), behind a neutral interface.
#pragma once

#include "ui/platform.h"

namespace test_support {

// A popup window of the class `className` with a client area of width x
// height pixels, or null. The class is registered on first use, with a
// device context of its own when `ownDC` (as OpenGL wants). A shown window is
// made the foreground window and the messages that brings are delivered; a
// hidden one is never in front.
platform::WindowHandle createPopupWindow(const char16_t* className, bool ownDC, int width,
                                         int height, bool shown);
void destroyPopupWindow(platform::WindowHandle window);

} // namespace test_support
