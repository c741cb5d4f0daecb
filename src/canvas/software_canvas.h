// A canvas that rasterises into an RGBA buffer in memory, with the rules of
// the OpenGL renderer: the same fill, blend modes, clip band and texture
// coordinates, nearest-texel sampling, and glyph atlases drawn from memory.
// It needs no graphics interface, so drawing code is tested natively against
// it, by comparing pixels or whole images with golden PNG files.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas/basic_canvas.h"
#include "canvas/image_texture.h"

// A package image held in memory: the decoded, padded pixels.
class MemoryTexture : public ImageTexture {
public:
    explicit MemoryTexture(const ustring& path) : ImageTexture(path) {}
    // Reads the file through the file manager and decodes it; false (and
    // unloaded) when either fails.
    bool load() override;
    void unload() override;

    // textureWidth x textureHeight words 0xAARRGGBB, rows top first; empty
    // when unloaded.
    const std::vector<uint32_t>& pixels() const { return m_pixels; }

private:
    std::vector<uint32_t> m_pixels;
};

class SoftwareCanvas : public BasicCanvas {
public:
    // A width x height surface, cleared to opaque black.
    SoftwareCanvas(int width, int height);
    ~SoftwareCanvas() override;

    void drawTexturedQuad(const interval2& destination, const interval2& textureRect) override;
    void drawLines(const float* vertices, int count) override;
    void drawLineStrip(const float* vertices, int count) override;
    void drawIndexedTriangles(const float* vertices, const uint16_t* indices, int vertexCount,
                              int indexCount) override;
    // Coverage is decided at pixel centres, as on the OpenGL renderer.
    bool halfPixelShapes() const override { return true; }

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Words 0xAARRGGBB, rows top first; alpha is 255 everywhere.
    const std::vector<uint32_t>& pixels() const { return m_pixels; }
    uint32_t pixel(int x, int y) const { return m_pixels[size_t(y) * m_width + x]; }
    // Fills the whole surface, ignoring clip and blending.
    void clear(const Colour& colour);

    // Glyph triangles from the font helper: {x, y, z, u, v} vertices, drawn
    // with the atlas's colours, blended by its alpha unless `filtered`.
    void drawGlyphTriangles(const float* vertices, int triangleCount, int vertexFloats,
                            const std::vector<uint32_t>& atlas, int atlasWidth, int atlasHeight,
                            bool filtered);

protected:
    Texture* createTexture(const ustring& path) override;
    TextureUnicodeFontHelper* createFontHelper() override;

private:
    struct Texel {
        float r, g, b, a;
    };
    void transformPoint(float x, float y, float& wx, float& wy) const;
    bool clipAllows(int x, int y) const;
    // Blends by the blend mode and global alpha; `textureAlpha` is 1 for
    // colour fills.
    void plot(int x, int y, float r, float g, float b, float textureAlpha);
    void plotWithAlpha(int x, int y, float r, float g, float b, float alpha);
    // The fill's colour at texture coordinates (u, v).
    Texel sample(float u, float v) const;
    void drawSegment(float x0, float y0, float x1, float y1);

    int m_width;
    int m_height;
    std::vector<uint32_t> m_pixels;
};
