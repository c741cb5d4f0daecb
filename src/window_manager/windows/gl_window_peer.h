// The OpenGL peer of a window: a WGL context on the window's device context,
// with the GLRenderer that draws on it.
#pragma once

#include <memory>

#include "window_manager/window_peer.h"

class GLRenderer;

class GLWindowPeer : public WindowPeer {
public:
    GLWindowPeer();
    // Deletes the renderer's textures and fonts with the context current,
    // then the context, then releases the device context.
    ~GLWindowPeer() override;

    // Pixel format (RGBA, 24 colour and 16 depth bits, double buffered),
    // context, and makes it current. False, with everything made so far
    // released, when any step fails: the window cannot draw with OpenGL.
    bool create(platform::WindowHandle window) override;
    bool isValid() override { return m_hdc && m_hglrc; }
    void resize(platform::WindowHandle) override {}
    void move(platform::WindowHandle) override {}
    void settingsChanged() override {}
    // Makes the context current; viewport, pixel projection, identity
    // model-view, and depth test, culling and lighting off. DrawResult::NoFrame
    // without a context.
    DrawResult beginDraw(int width, int height) override;
    // Presents the frame.
    void endDraw() override;
    void makeCurrent() override;
    Canvas* canvas() override;
    ustring name() override { return u"OpenGL"; }

private:
    void release();
    // Logs `why`, releases what create made and keeps a usable (idle)
    // renderer for canvas(); returns false.
    bool fail(const char16_t* why);

    std::unique_ptr<GLRenderer> m_renderer; // deleted before the context
    void* m_hdc = nullptr;                  // HDC of m_hwnd, while created
    void* m_hglrc = nullptr;                // HGLRC on m_hdc, while created
    void* m_hwnd = nullptr;
};
