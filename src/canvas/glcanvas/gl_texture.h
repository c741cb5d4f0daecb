// Package images as OpenGL textures. The header is neutral; only the
// implementation sees OpenGL.
#pragma once

#include <cstdint>

#include "canvas/glcanvas/gl_context.h"
#include "canvas/image_texture.h"

// A package image in an OpenGL texture object on one context, made current
// for every load, unload and deletion whatever context is current then.
class GLTexture : public ImageTexture {
public:
    // `context` is the one of the renderer that creates the texture; unset,
    // the current context is used.
    GLTexture(const ustring& path, const GLContext& context) : ImageTexture(path), m_context(context) {}
    ~GLTexture() override;

    // Reads the file through the file manager, pads it to power-of-two sides
    // and uploads it with its mip levels. False, with the texture unloaded,
    // when the file cannot be read or decoded or OpenGL gives no texture
    // object.
    bool load() override;
    void unload() override;

    // The OpenGL texture name; 0 while unloaded.
    unsigned name() const { return m_name; }

private:
    GLContext m_context;
    unsigned m_name = 0; // a name on m_context
};

// Uploads `pixels` (width x height, 4 bytes R, G, B, A per pixel, rows top
// first) as level 0 of the bound 2D texture, then every smaller level down
// to 1 x 1, built in software with gamma-correct averaging. `internalFormat`
// is an OpenGL internal format (GL_RGBA, GL_RGB). A glyph atlas passes
// `glyphs`: its smaller levels keep the ink (generateGlyphMipLevels).
void uploadWithMipMaps(int internalFormat, int width, int height, const uint32_t* pixels, bool glyphs = false);

// Exchanges the first and third byte of each 4-byte pixel in place: the
// toolkit's B, G, R, A pixels become the R, G, B, A bytes OpenGL reads.
void swapRedAndBlue(uint32_t* pixels, size_t count);
