// The canvas over OpenGL 1.x. State lives twice: in BasicCanvas, so getters
// answer without querying the driver, and in OpenGL, where every setter sends
// it at once. Quads and lines go through immediate mode; triangle lists and
// glyph batches through client vertex arrays, so that one call draws a batch.
// Clip rects become four user clip planes, loaded under an identity
// model-view so that they stay where they were set in window coordinates
// when the transform changes afterwards.
#include "canvas/glcanvas/gl_renderer.h"

#define NOMINMAX
#include <windows.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "canvas/glcanvas/gl_texture.h"
#include "canvas/util/gl_features.h"
#include "ui/log.h"

namespace {

GLuint textureName(const slate::SP<Texture>& texture)
{
    const GLTexture* glTexture = dynamic_cast<const GLTexture*>(texture.get());
    return glTexture ? glTexture->name() : 0;
}

void setTextureEnvironment(GLint mode)
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
}

// Texture environment combiners (OpenGL 1.3), missing from the 1.1 header.
const GLenum kCombine = 0x8570;
const GLenum kCombineRgb = 0x8571;
const GLenum kCombineAlpha = 0x8572;
const GLenum kPrimaryColour = 0x8577;
const GLenum kSource0Rgb = 0x8580;
const GLenum kSource1Rgb = 0x8581;
const GLenum kSource0Alpha = 0x8588;
const GLenum kOperand0Rgb = 0x8590;
const GLenum kOperand1Rgb = 0x8591;
const GLenum kOperand0Alpha = 0x8598;

// Colours as MODULATE gives them (texel times fill colour), but the alpha of
// the fill colour alone: the global alpha, whatever the texture's own.
void setGlobalAlphaEnvironment()
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, kCombine);
    glTexEnvi(GL_TEXTURE_ENV, kCombineRgb, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, kSource0Rgb, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, kOperand0Rgb, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, kSource1Rgb, kPrimaryColour);
    glTexEnvi(GL_TEXTURE_ENV, kOperand1Rgb, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, kCombineAlpha, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, kSource0Alpha, kPrimaryColour);
    glTexEnvi(GL_TEXTURE_ENV, kOperand0Alpha, GL_SRC_ALPHA);
}

const GLenum kClipPlanes[4] = {GL_CLIP_PLANE0, GL_CLIP_PLANE1, GL_CLIP_PLANE2, GL_CLIP_PLANE3};

// Moves what is drawn while it lives left and down (kLineNudgeLeft,
// kLineNudgeDown) in window pixels: after the model-view, so the clip
// planes stay put.
class NudgedLines {
public:
    NudgedLines()
    {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glTranslatef(-kLineNudgeLeft, kLineNudgeDown, 0);
    }
    ~NudgedLines()
    {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
};

} // namespace

GLRenderer::~GLRenderer()
{
    // BasicCanvas releases the fill's texture, the fonts and the textures
    // after this; they delete their OpenGL objects on the current context.
}

void GLRenderer::setContext(const GLContext& context)
{
    m_context = context;
    CurrentGLContext current(context);
    m_hasCombiners = hasTextureCombiners(reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                                         reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
}

void GLRenderer::applyColour()
{
    const FillState& fill = fillState();
    if (fill.isColour)
        glColor4f(fill.colour.red, fill.colour.green, fill.colour.blue, getAlpha());
    else
        glColor4f(1, 1, 1, getAlpha());
}

void GLRenderer::setTransform(const Matrix4& transform)
{
    BasicCanvas::setTransform(transform);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(transform.m);
}

FillState GLRenderer::setFillState(const FillState& fill)
{
    FillState previous = BasicCanvas::setFillState(fill);
    applyColour();
    if (fill.isColour) {
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
    } else {
        glBindTexture(GL_TEXTURE_2D, textureName(fill.texture));
        glEnable(GL_TEXTURE_2D);
    }
    return previous;
}

float GLRenderer::setAlpha(float alpha)
{
    const float previous = BasicCanvas::setAlpha(alpha);
    applyColour();
    return previous;
}

BlendMode GLRenderer::setBlendMode(BlendMode mode)
{
    const BlendMode previous = BasicCanvas::setBlendMode(mode);
    if (mode == BlendMode::Opaque) {
        glDisable(GL_BLEND);
        setTextureEnvironment(GL_MODULATE);
    } else {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        // REPLACE ignores the fill colour, and with it the global alpha.
        // MODULATE multiplies the texture's alpha by the global alpha, which
        // is also the nearest OpenGL 1.1 comes to the global alpha alone.
        if (mode == BlendMode::GlobalAlpha && m_hasCombiners)
            setGlobalAlphaEnvironment();
        else
            setTextureEnvironment(mode == BlendMode::TextureAlpha ? GL_REPLACE : GL_MODULATE);
    }
    return previous;
}

interval2 GLRenderer::setClip(const interval2& clip)
{
    const interval2 previous = BasicCanvas::setClip(clip);
    if (isUnset(clip)) {
        for (GLenum plane : kClipPlanes)
            glDisable(plane);
        return previous;
    }
    // The planes are in eye coordinates, which the projection maps one to
    // one onto window pixels while the identity is loaded below.
    GLdouble equations[4][4];
    clipPlaneEquations(clip, equations);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (int i = 0; i < 4; ++i) {
        glClipPlane(kClipPlanes[i], equations[i]);
        glEnable(kClipPlanes[i]);
    }
    glPopMatrix();
    return previous;
}

void GLRenderer::drawTexturedQuad(const interval2& destination, const interval2& textureRect)
{
    // The texture rect's y1 belongs to the top edge.
    glBegin(GL_QUADS);
    glTexCoord2f(textureRect.x0, textureRect.y1);
    glVertex3f(destination.x0, destination.y0, 0);
    glTexCoord2f(textureRect.x1, textureRect.y1);
    glVertex3f(destination.x1, destination.y0, 0);
    glTexCoord2f(textureRect.x1, textureRect.y0);
    glVertex3f(destination.x1, destination.y1, 0);
    glTexCoord2f(textureRect.x0, textureRect.y0);
    glVertex3f(destination.x0, destination.y1, 0);
    glEnd();
    countSubmission();
}

void GLRenderer::drawLines(const float* vertices, int count)
{
    drawLineVertices(GL_LINES, vertices, count);
}

void GLRenderer::drawLineStrip(const float* vertices, int count)
{
    drawLineVertices(GL_LINE_STRIP, vertices, count);
}

void GLRenderer::drawLineVertices(unsigned primitive, const float* vertices, int count)
{
    NudgedLines nudged;
    glBegin(GLenum(primitive));
    for (int i = 0; i < count; ++i)
        glVertex3f(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]);
    glEnd();
    countSubmission();
}

void GLRenderer::drawIndexedTriangles(const float* vertices, const uint16_t* indices, int,
                                      int indexCount)
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 12, vertices);
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_SHORT, indices);
    countSubmission();
    glDisableClientState(GL_VERTEX_ARRAY);
}

Texture* GLRenderer::createTexture(const ustring& path)
{
    return new GLTexture(path, m_context);
}

TextureUnicodeFontHelper* GLRenderer::createFontHelper()
{
    return new GLTextureUnicodeFontHelper(this);
}

// --- GLTextureUnicodeFontHelper --------------------------------------------

namespace {

GLuint nameOf(void* texture)
{
    return GLuint(reinterpret_cast<uintptr_t>(texture));
}

} // namespace

void GLTextureUnicodeFontHelper::destroyTexture(void* texture)
{
    GLuint name = nameOf(texture);
    if (name) {
        CurrentGLContext current(m_renderer->context());
        if (current.ok())
            glDeleteTextures(1, &name);
    }
}

void* GLTextureUnicodeFontHelper::createTexture(const uint32_t* pixels, int width, int height)
{
    CurrentGLContext current(m_renderer->context());
    if (!current.ok())
        return nullptr;
    GLuint name = 0;
    glGenTextures(1, &name);
    if (!name)
        return nullptr;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    // The atlas arrives as B, G, R, A bytes and belongs to its font.
    std::vector<uint32_t> rgba(pixels, pixels + size_t(width) * height);
    swapRedAndBlue(rgba.data(), rgba.size());
    uploadWithMipMaps(GL_RGBA, width, height, rgba.data(), true);
    glBindTexture(GL_TEXTURE_2D, 0);
    return reinterpret_cast<void*>(uintptr_t(name));
}

void GLTextureUnicodeFontHelper::drawTriangles(void* buffer, int triangleCount, int vertexSize,
                                               void* texture)
{
    VASSERT(sizeof(TextureUnicodeFont::Vertex) == vertexSize);
    glBindTexture(GL_TEXTURE_2D, nameOf(texture));
    if (m_filtered) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    const unsigned char* bytes = static_cast<const unsigned char*>(buffer);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, vertexSize, bytes);
    glTexCoordPointer(2, GL_FLOAT, vertexSize, bytes + 12);
    glDrawArrays(GL_TRIANGLES, 0, triangleCount * 3);
    m_renderer->countSubmission();
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void GLTextureUnicodeFontHelper::beginFlush(bool filtered)
{
    m_filtered = filtered;
    glEnable(GL_TEXTURE_2D);
    // Filtered or not, the atlas's blank texels leave the ground as it was:
    // drawn, shrunk glyph boxes would wash the ink out with the atlas's
    // background.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    setTextureEnvironment(GL_REPLACE);
}

void GLTextureUnicodeFontHelper::endFlush()
{
    glDisable(GL_BLEND);
    setTextureEnvironment(GL_MODULATE);
}
