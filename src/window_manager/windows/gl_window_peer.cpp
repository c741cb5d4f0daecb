// The WGL side of the OpenGL renderer. Every failure of the set-up is logged
// with the call that failed and unwinds what was made, so a window whose
// context cannot be made knows it at once instead of drawing nothing forever.
#include "window_manager/windows/gl_window_peer.h"

#define NOMINMAX
#include <windows.h>
#include <GL/gl.h>

#include "canvas/canvas.h"
#include "canvas/glcanvas/gl_renderer.h"
#include "ui/log.h"

GLWindowPeer::GLWindowPeer() : m_renderer(new GLRenderer) {}

GLWindowPeer::~GLWindowPeer()
{
    release();
}

void GLWindowPeer::release()
{
    if (m_hglrc) {
        // Textures and atlases are deleted on their own context.
        wglMakeCurrent(static_cast<HDC>(m_hdc), static_cast<HGLRC>(m_hglrc));
        m_renderer.reset();
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(static_cast<HGLRC>(m_hglrc));
        m_hglrc = nullptr;
    }
    if (m_hdc) {
        ReleaseDC(static_cast<HWND>(m_hwnd), static_cast<HDC>(m_hdc));
        m_hdc = nullptr;
    }
}

bool GLWindowPeer::fail(const char16_t* why)
{
    VLOG << u"OpenGL: " << why;
    release();
    if (!m_renderer)
        m_renderer.reset(new GLRenderer);
    return false;
}

bool GLWindowPeer::create(platform::WindowHandle window)
{
    release();
    if (!m_renderer)
        m_renderer.reset(new GLRenderer);
    m_hwnd = window;
    HWND hwnd = static_cast<HWND>(window);
    HDC hdc = GetDC(hwnd);
    if (!hdc)
        return fail(u"unable to get the window's device context");
    m_hdc = hdc;

    PIXELFORMATDESCRIPTOR descriptor = {};
    descriptor.nSize = sizeof(descriptor);
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 24;
    descriptor.cDepthBits = 16;
    const int format = ChoosePixelFormat(hdc, &descriptor);
    if (!format || !SetPixelFormat(hdc, format, &descriptor)) {
        return fail(u"no usable pixel format");
    }
    HGLRC context = wglCreateContext(hdc);
    if (!context) {
        return fail(u"unable to create a rendering context");
    }
    m_hglrc = context;
    if (!wglMakeCurrent(hdc, context)) {
        return fail(u"unable to make the rendering context current");
    }
    m_renderer->setContext(GLContext{hdc, context});
    return true;
}

WindowPeer::DrawResult GLWindowPeer::beginDraw(int width, int height)
{
    if (!isValid())
        return DrawResult::NoFrame;
    // Another window may have drawn or loaded since this one's last frame.
    makeCurrent();
    glViewport(0, 0, width, height);
    float projection[16];
    framePixelProjection(width, height, projection);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    // Through the renderer, so that its copy of the transform stays true.
    m_renderer->setTransform(Matrix4::identity());
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    return DrawResult::Frame;
}

void GLWindowPeer::endDraw()
{
    if (m_hdc)
        SwapBuffers(static_cast<HDC>(m_hdc));
}

void GLWindowPeer::makeCurrent()
{
    if (isValid())
        wglMakeCurrent(static_cast<HDC>(m_hdc), static_cast<HGLRC>(m_hglrc));
}

Canvas* GLWindowPeer::canvas()
{
    return m_renderer.get();
}
