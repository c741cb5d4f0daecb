// The WGL context that a renderer's OpenGL objects belong to, and a guard
// that makes it current for the calls that create or delete them. The
// header is neutral; only the implementation sees WGL.
#pragma once

// A device context and a rendering context on it, as opaque handles (HDC,
// HGLRC); both null while the window peer has none.
struct GLContext {
    void* deviceContext = nullptr;
    void* renderingContext = nullptr;
};

// While it lives, `context` is current: textures, glyph atlases and their
// deletion may happen while another window's context is current (a file
// watch, a theme reload or a measurement made for another window), and
// OpenGL names are per context. The context that was current before, or
// none, is restored on destruction. Does nothing for an unset context or
// when it is already current. Main thread only.
class CurrentGLContext {
public:
    explicit CurrentGLContext(const GLContext& context);
    ~CurrentGLContext();
    // False when the context could not be made current (it was deleted
    // with its window): its objects are gone, and calls now would reach
    // another window's context.
    bool ok() const { return m_ok; }
    CurrentGLContext(const CurrentGLContext&) = delete;
    CurrentGLContext& operator=(const CurrentGLContext&) = delete;

private:
    bool m_ok = true;
    bool m_switched = false;
    void* m_previousDeviceContext = nullptr;
    void* m_previousRenderingContext = nullptr;
};
