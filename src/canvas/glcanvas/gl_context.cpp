#include "canvas/glcanvas/gl_context.h"

#define NOMINMAX
#include <windows.h>

CurrentGLContext::CurrentGLContext(const GLContext& context)
{
    if (!context.renderingContext || wglGetCurrentContext() == context.renderingContext)
        return;
    m_previousDeviceContext = wglGetCurrentDC();
    m_previousRenderingContext = wglGetCurrentContext();
    m_switched = wglMakeCurrent(static_cast<HDC>(context.deviceContext),
                                static_cast<HGLRC>(context.renderingContext)) != FALSE;
    m_ok = m_switched;
}

CurrentGLContext::~CurrentGLContext()
{
    if (m_switched)
        wglMakeCurrent(static_cast<HDC>(m_previousDeviceContext),
                       static_cast<HGLRC>(m_previousRenderingContext));
}
