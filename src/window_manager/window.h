// One platform window as the toolkit sees it. The window manager creates a
// window for a WindowHandler and hands it to the handler (its m_window); the
// handler and its controls reach the native window only through this
// interface, so the whole toolkit above it stays portable and can be driven
// by a test double. Main thread only.
#pragma once

#include "ui/ustring.h"

class Canvas;
class DragHandler;

class Window {
public:
    virtual ~Window() = default;
    // Asks the window to close; the handler is asked through canClose.
    virtual void close() = 0;
    // The canvas the window draws on; null while it has none.
    virtual Canvas* canvas() = 0;
    // Starts a drag: `handler` (owned from now on) takes every input until
    // one of its operations returns 1. A drag already active is ended first.
    virtual void beginDrag(DragHandler* handler) = 0;
    virtual bool isFullscreen() = 0;
    virtual void setFullscreen(bool fullscreen) = 0;
    virtual void setTitle(const ustring& title) = 0;
};
