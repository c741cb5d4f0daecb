// OpenGL textures of package images. Pixels are decoded and padded by the
// shared PNG code, turned from B, G, R, A to R, G, B, A bytes in place, and
// uploaded with a full chain of mip levels built in software, because the
// fixed-function pipeline offers no portable way to build them on the card.
#include "canvas/glcanvas/gl_texture.h"

#define NOMINMAX
#include <windows.h>
#include <GL/gl.h>

#include <utility>
#include <vector>

#include "canvas/util/mip_maps.h"

void swapRedAndBlue(uint32_t* pixels, size_t count)
{
    uint8_t* bytes = reinterpret_cast<uint8_t*>(pixels);
    for (size_t i = 0; i < count; ++i, bytes += 4)
        std::swap(bytes[0], bytes[2]);
}

void uploadWithMipMaps(int internalFormat, int width, int height, const uint32_t* pixels, bool glyphs)
{
    const MipLevelSink upload = [internalFormat](int level, int w, int h, const uint32_t* levelPixels) {
        glTexImage2D(GL_TEXTURE_2D, level, internalFormat, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, levelPixels);
    };
    if (glyphs)
        generateGlyphMipLevels(width, height, pixels, upload);
    else
        generateMipLevels(width, height, pixels, upload);
}

GLTexture::~GLTexture()
{
    unload();
}

bool GLTexture::load()
{
    CurrentGLContext current(m_context);
    unload();
    std::vector<uint32_t> pixels;
    if (!current.ok() || !readImage(pixels))
        return false;
    GLuint name = 0;
    glGenTextures(1, &name);
    if (!name) {
        forgetImage();
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, name);
    // Mip levels are uploaded for scaled drawing but not sampled by default.
    // Texels are sampled nearest, as the other canvases do: a stretched
    // middle slice of a theme image must not blend in its neighbours.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    swapRedAndBlue(pixels.data(), pixels.size());
    uploadWithMipMaps(m_hasAlpha ? GL_RGBA : GL_RGB, m_textureWidth, m_textureHeight,
                      pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);

    m_name = name;
    return true;
}

void GLTexture::unload()
{
    if (m_name) {
        CurrentGLContext current(m_context);
        GLuint name = m_name;
        if (current.ok())
            glDeleteTextures(1, &name);
    }
    m_name = 0;
    forgetImage();
}
