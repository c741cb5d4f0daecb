// Plain popup windows for the Wine tests (a window for a renderer to draw
// in, or one to bring to the front) and the delivery of waiting messages,
// behind a neutral interface.
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

// Delivers the messages already waiting for the calling thread's windows.
void deliverPendingMessages();

} // namespace test_support
