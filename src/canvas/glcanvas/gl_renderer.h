// The canvas of a window drawn with OpenGL 1.x, and the OpenGL side of the
// glyph-atlas fonts. The header is neutral; only the implementation sees
// OpenGL.
#pragma once

#include "canvas/basic_canvas.h"
#include "canvas/glcanvas/gl_context.h"
#include "canvas/util/texture_unicode_font.h"

// Draws with the fixed-function pipeline on whatever context is current:
// the window peer that owns it creates the context, makes it current for
// every frame and sets viewport and projection. The renderer sets no state
// when constructed and relies on OpenGL's defaults until its own calls.
// Its textures and glyph atlases are made and deleted on the context the
// peer hands it, whichever is current at the time. Main thread only;
// drawing calls with the peer's context current.
class GLRenderer : public BasicCanvas {
public:
    GLRenderer() = default;
    ~GLRenderer() override;

    // The context this renderer's objects belong to; the peer sets it once
    // the context exists. Textures made before keep the current context.
    // Also reads what the context offers beyond OpenGL 1.1.
    void setContext(const GLContext& context);
    const GLContext& context() const { return m_context; }

    void setTransform(const Matrix4& transform) override;
    FillState setFillState(const FillState& fill) override;
    float setAlpha(float alpha) override;
    // Always sends the mode's state: text drawing switches blending off
    // behind the renderer's back, and the next call must switch it on again.
    // Without texture combiners (before OpenGL 1.3) mode 1 blends as mode 3.
    BlendMode setBlendMode(BlendMode mode) override;
    // Clips with four planes fixed in window coordinates, whatever the
    // transform: the rect widened by one pixel on every side. The unset rect
    // switches clipping off; any other empty rect hides everything.
    interval2 setClip(const interval2& clip) override;
    void drawTexturedQuad(const interval2& destination, const interval2& textureRect) override;
    void drawLines(const float* vertices, int count) override;
    void drawLineStrip(const float* vertices, int count) override;
    void drawIndexedTriangles(const float* vertices, const uint16_t* indices, int vertexCount,
                              int indexCount) override;
    // Pixel centres lie half a unit into each pixel, as the canvas's
    // coordinates are set up.
    bool halfPixelShapes() const override { return true; }

protected:
    Texture* createTexture(const ustring& path) override;
    TextureUnicodeFontHelper* createFontHelper() override;

private:
    void applyColour();
    // `count` vertices of {x, y, z} as the GL primitive `primitive` (lines or
    // a line strip), nudged as every canvas's lines are.
    void drawLineVertices(unsigned primitive, const float* vertices, int count);

    GLContext m_context;
    bool m_hasCombiners = false; // of m_context
};

// Atlases as OpenGL textures and vertex buffers as plain memory drawn with
// client vertex arrays, one call per atlas.
class GLTextureUnicodeFontHelper : public MemoryBufferFontHelper {
public:
    // `renderer` is not owned and outlives the fonts of its cache.
    explicit GLTextureUnicodeFontHelper(GLRenderer* renderer) : m_renderer(renderer) {}

    void destroyTexture(void* texture) override;
    // The texture handle is the OpenGL texture name cast to a pointer.
    void* createTexture(const uint32_t* pixels, int width, int height) override;
    void drawTriangles(void* buffer, int triangleCount, int vertexSize, void* texture) override;
    // Blending is on for unfiltered text (its edges blend by the atlas's
    // alpha) and off for filtered text.
    void beginFlush(bool filtered) override;
    // Leaves blending off; the renderer's blend mode is not changed, so the
    // caller sets it again before drawing what needs it.
    void endFlush() override;

private:
    GLRenderer* m_renderer;
    bool m_filtered = false;
};
