// The rendering back end of one platform window: it binds a graphics
// interface to the native window, owns the canvas the window's handler draws
// on, and frames every paint between beginDraw and endDraw.
#pragma once

#include "ui/platform.h"
#include "ui/ustring.h"

class Canvas;

class WindowPeer {
public:
    // What beginDraw answers.
    enum class DrawResult {
        Frame,       // the frame may be drawn
        NoFrame,     // no device or context, or it was lost
        NoSwapChain, // the additional swap chain is missing
    };

    virtual ~WindowPeer() = default;
    // Binds the graphics interface to `window`, called once after the window
    // is shown. False when no usable device or context could be made: the
    // window manager then tries the other renderer or reports the error and
    // closes the window.
    virtual bool create(platform::WindowHandle window) = 0;
    virtual bool isValid() = 0;
    virtual void resize(platform::WindowHandle window) = 0;
    virtual void move(platform::WindowHandle window) = 0;
    virtual void settingsChanged() = 0;
    // Sets up a frame of a client area of width x height pixels. Only
    // DrawResult::Frame may be followed by drawing and endDraw.
    virtual DrawResult beginDraw(int width, int height) = 0;
    virtual void endDraw() = 0;
    virtual void makeCurrent() = 0;
    // Owned by the peer and valid while it lives.
    virtual Canvas* canvas() = 0;
    virtual ustring name() = 0;
};

// The projection both peers load at the start of every frame, as 16 floats
// in column order: pixel x 0..width onto -1..1, pixel y 0 (top)..height
// onto 1..-1, and z onto -0.5z + 0.5.
void framePixelProjection(int width, int height, float out[16]);
