// Rasterising in software. Coverage is decided at pixel centres: a quad
// covers the pixels whose centres lie in [left, right) x [top, bottom) of
// its transformed corners, whatever their order, so an inverted rect fills
// between its edges and a rect of zero width fills nothing, as on the OpenGL
// renderer. Lines follow OpenGL's diamond-exit rule: a pixel is drawn when
// the segment enters the open diamond around its centre (|dx| + |dy| < 1/2)
// and does not end inside it, so a line through pixel centres (the half-unit
// region outlines) takes exactly those pixels, from its start, leaving out
// its end. A line along pixel edges (whole coordinates), which OpenGL
// leaves to the implementation, is nudged as on every canvas
// (kLineNudgeLeft, kLineNudgeDown): it takes the pixels left of a vertical
// edge and below a horizontal one.
// Triangles cover the centres inside all three edges.
// Texels are sampled nearest, with coordinates repeating.
#include "canvas/software_canvas.h"

#include <algorithm>
#include <cmath>

#include "canvas/util/texture_unicode_font.h"

// --- MemoryTexture ---------------------------------------------------------

bool MemoryTexture::load()
{
    unload();
    if (!readImage(m_pixels)) {
        unload();
        return false;
    }
    return true;
}

void MemoryTexture::unload()
{
    m_pixels.clear();
    forgetImage();
}

// --- The font helper -------------------------------------------------------

namespace {

struct MemoryAtlas {
    std::vector<uint32_t> pixels;
    int width, height;
};

class SoftwareFontHelper : public TextureUnicodeFontHelper {
public:
    explicit SoftwareFontHelper(SoftwareCanvas* canvas) : m_canvas(canvas) {}
    void destroyTexture(void* texture) override { delete static_cast<MemoryAtlas*>(texture); }
    void freeBuffer(void* buffer) override { delete static_cast<std::vector<float>*>(buffer); }
    void* createTexture(const uint32_t* pixels, int width, int height) override
    {
        return new MemoryAtlas{std::vector<uint32_t>(pixels, pixels + size_t(width) * height), width, height};
    }
    void* allocBuffer(int bytes) override
    {
        return new std::vector<float>(size_t(bytes) / sizeof(float));
    }
    void* lockBuffer(void* buffer) override { return static_cast<std::vector<float>*>(buffer)->data(); }
    void unlockBuffer(void*) override {}
    void drawTriangles(void* buffer, int triangleCount, int vertexSize, void* texture) override
    {
        const MemoryAtlas* atlas = static_cast<MemoryAtlas*>(texture);
        if (!atlas)
            return;
        m_canvas->drawGlyphTriangles(static_cast<std::vector<float>*>(buffer)->data(), triangleCount,
                                     vertexSize / int(sizeof(float)), atlas->pixels, atlas->width,
                                     atlas->height, m_filtered);
    }
    void beginFlush(bool filtered) override { m_filtered = filtered; }
    void endFlush() override {}

private:
    SoftwareCanvas* m_canvas;
    bool m_filtered = false;
};

float channel(uint32_t word, int shift) { return float((word >> shift) & 255) / 255.f; }

uint8_t toByte(float c)
{
    return uint8_t(std::lround(std::min(1.f, std::max(0.f, c)) * 255.f));
}

int wrap(int i, int size)
{
    i %= size;
    return i < 0 ? i + size : i;
}

} // namespace

// --- SoftwareCanvas --------------------------------------------------------

SoftwareCanvas::SoftwareCanvas(int width, int height)
    : m_width(std::max(0, width)), m_height(std::max(0, height)),
      m_pixels(size_t(m_width) * m_height, 0xFF000000u)
{
}

SoftwareCanvas::~SoftwareCanvas() = default;

Texture* SoftwareCanvas::createTexture(const ustring& path) { return new MemoryTexture(path); }

TextureUnicodeFontHelper* SoftwareCanvas::createFontHelper() { return new SoftwareFontHelper(this); }

void SoftwareCanvas::clear(const Colour& colour)
{
    const uint32_t word = 0xFF000000u | uint32_t(toByte(colour.red)) << 16 |
                          uint32_t(toByte(colour.green)) << 8 | toByte(colour.blue);
    std::fill(m_pixels.begin(), m_pixels.end(), word);
}

void SoftwareCanvas::transformPoint(float x, float y, float& wx, float& wy) const
{
    const Matrix4 t = const_cast<SoftwareCanvas*>(this)->getTransform();
    wx = x * t.m[0] + y * t.m[4] + t.m[12];
    wy = x * t.m[1] + y * t.m[5] + t.m[13];
}

bool SoftwareCanvas::clipAllows(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return false;
    const interval2& clip = clipRect();
    if (isUnset(clip))
        return true;
    if (clip.empty())
        return false;
    const float cx = float(x) + 0.5f, cy = float(y) + 0.5f;
    return clip.x0 - 1.f <= cx && cx <= clip.x1 + 1.f && clip.y0 - 1.f <= cy && cy <= clip.y1 + 1.f;
}

void SoftwareCanvas::plotWithAlpha(int x, int y, float r, float g, float b, float alpha)
{
    if (!clipAllows(x, y))
        return;
    uint32_t& word = m_pixels[size_t(y) * m_width + x];
    const float a = std::min(1.f, std::max(0.f, alpha));
    const float dr = channel(word, 16), dg = channel(word, 8), db = channel(word, 0);
    word = 0xFF000000u | uint32_t(toByte(r * a + dr * (1 - a))) << 16 |
           uint32_t(toByte(g * a + dg * (1 - a))) << 8 | toByte(b * a + db * (1 - a));
}

void SoftwareCanvas::plot(int x, int y, float r, float g, float b, float textureAlpha)
{
    float alpha = 1.f;
    switch (getBlendMode()) {
    case BlendMode::Opaque: alpha = 1.f; break;
    case BlendMode::TextureAlpha: alpha = textureAlpha; break;
    case BlendMode::TextureTimesGlobalAlpha: alpha = textureAlpha * getAlpha(); break;
    default: alpha = getAlpha(); break;
    }
    plotWithAlpha(x, y, r, g, b, alpha);
}

SoftwareCanvas::Texel SoftwareCanvas::sample(float u, float v) const
{
    const FillState& fill = fillState();
    if (fill.isColour)
        return {fill.colour.red, fill.colour.green, fill.colour.blue, 1.f};
    const MemoryTexture* texture = dynamic_cast<const MemoryTexture*>(fill.texture.get());
    if (!texture || texture->pixels().empty())
        return {1.f, 1.f, 1.f, 1.f};
    const int tw = texture->textureWidth(), th = texture->textureHeight();
    const int tx = wrap(int(std::floor(u * float(tw))), tw);
    const int ty = wrap(int(std::floor(v * float(th))), th);
    const uint32_t word = texture->pixels()[size_t(ty) * tw + tx];
    return {channel(word, 16), channel(word, 8), channel(word, 0), channel(word, 24)};
}

void SoftwareCanvas::drawTexturedQuad(const interval2& destination, const interval2& textureRect)
{
    float ax, ay, bx, by;
    transformPoint(destination.x0, destination.y0, ax, ay);
    transformPoint(destination.x1, destination.y1, bx, by);
    if (ax == bx || ay == by)
        return;
    const float left = std::min(ax, bx), right = std::max(ax, bx);
    const float top = std::min(ay, by), bottom = std::max(ay, by);
    const int xBegin = std::max(0, int(std::ceil(left - 0.5f)));
    const int xEnd = std::min(m_width, int(std::ceil(right - 0.5f)));
    const int yBegin = std::max(0, int(std::ceil(top - 0.5f)));
    const int yEnd = std::min(m_height, int(std::ceil(bottom - 0.5f)));
    for (int y = yBegin; y < yEnd; ++y) {
        const float fy = (float(y) + 0.5f - ay) / (by - ay);
        const float v = textureRect.y1 + fy * (textureRect.y0 - textureRect.y1);
        for (int x = xBegin; x < xEnd; ++x) {
            const float fx = (float(x) + 0.5f - ax) / (bx - ax);
            const float u = textureRect.x0 + fx * (textureRect.x1 - textureRect.x0);
            const Texel c = sample(u, v);
            plot(x, y, c.r, c.g, c.b, c.a);
        }
    }
}

namespace {

// The distance, in the L1 metric (the diamond's), from (cx, cy) to the
// segment. The distance is piecewise linear in the segment's parameter, so
// its least value lies at an end or where x or y passes the point.
double diamondDistance(double ax, double ay, double bx, double by, double cx, double cy)
{
    const double dx = bx - ax, dy = by - ay;
    double candidates[4] = {0.0, 1.0, 0.0, 0.0};
    int count = 2;
    if (dx != 0.0)
        candidates[count++] = std::min(1.0, std::max(0.0, (cx - ax) / dx));
    if (dy != 0.0)
        candidates[count++] = std::min(1.0, std::max(0.0, (cy - ay) / dy));
    double least = HUGE_VAL;
    for (int i = 0; i < count; ++i) {
        const double t = candidates[i];
        least = std::min(least, std::fabs(ax + t * dx - cx) + std::fabs(ay + t * dy - cy));
    }
    return least;
}

} // namespace

void SoftwareCanvas::drawSegment(float x0, float y0, float x1, float y1)
{
    float fax, fay, fbx, fby;
    transformPoint(x0, y0, fax, fay);
    transformPoint(x1, y1, fbx, fby);
    if (fax == fbx && fay == fby)
        return;
    // A line exactly along pixel edges touches two rows of diamonds only at
    // their corners; nudged as every canvas nudges lines, it takes the
    // column left of a vertical edge and the row below a horizontal one.
    const double ax = double(fax) - kLineNudgeLeft, ay = double(fay) + kLineNudgeDown;
    const double bx = double(fbx) - kLineNudgeLeft, by = double(fby) + kLineNudgeDown;
    const Texel c = sample(0, 0);
    const bool xMajor = std::fabs(bx - ax) >= std::fabs(by - ay);
    const double from = xMajor ? std::min(ax, bx) : std::min(ay, by);
    const double to = xMajor ? std::max(ax, bx) : std::max(ay, by);
    // Along the longer axis every pixel the segment spans, and across it the
    // pixels next to the segment's crossing of that pixel's centre line.
    for (int major = int(std::floor(from)) - 1; major <= int(std::floor(to)) + 1; ++major) {
        const double centre = major + 0.5;
        const double t = xMajor ? (centre - ax) / (bx - ax) : (centre - ay) / (by - ay);
        const double clamped = std::min(1.0, std::max(0.0, t));
        const double across = xMajor ? ay + clamped * (by - ay) : ax + clamped * (bx - ax);
        for (int minor = int(std::floor(across)) - 1; minor <= int(std::floor(across)) + 1; ++minor) {
            const int x = xMajor ? major : minor, y = xMajor ? minor : major;
            const double cx = x + 0.5, cy = y + 0.5;
            // The segment enters the pixel's open diamond and does not end
            // inside it.
            if (diamondDistance(ax, ay, bx, by, cx, cy) < 0.5 &&
                std::fabs(bx - cx) + std::fabs(by - cy) >= 0.5)
                plot(x, y, c.r, c.g, c.b, c.a);
        }
    }
}

void SoftwareCanvas::drawLines(const float* vertices, int count)
{
    for (int i = 0; i + 1 < count; i += 2)
        drawSegment(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 3], vertices[3 * i + 4]);
}

void SoftwareCanvas::drawLineStrip(const float* vertices, int count)
{
    for (int i = 0; i + 1 < count; ++i)
        drawSegment(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 3], vertices[3 * i + 4]);
}

namespace {

// Calls `plot(x, y, w0, w1, w2)` for every pixel centre inside the triangle,
// with its barycentric weights.
template <typename Plot>
void rasteriseTriangle(const float p[3][2], int width, int height, Plot plot)
{
    const float area = (p[1][0] - p[0][0]) * (p[2][1] - p[0][1]) - (p[2][0] - p[0][0]) * (p[1][1] - p[0][1]);
    if (area == 0.f)
        return;
    const float minX = std::min({p[0][0], p[1][0], p[2][0]}), maxX = std::max({p[0][0], p[1][0], p[2][0]});
    const float minY = std::min({p[0][1], p[1][1], p[2][1]}), maxY = std::max({p[0][1], p[1][1], p[2][1]});
    const int xBegin = std::max(0, int(std::floor(minX))), xEnd = std::min(width, int(std::ceil(maxX)));
    const int yBegin = std::max(0, int(std::floor(minY))), yEnd = std::min(height, int(std::ceil(maxY)));
    for (int y = yBegin; y < yEnd; ++y) {
        for (int x = xBegin; x < xEnd; ++x) {
            // The centre is nudged off any edge through it, so a centre on the
            // edge two triangles share is covered by exactly one of them.
            const float cx = float(x) + 0.50001f, cy = float(y) + 0.500003f;
            float w[3];
            for (int i = 0; i < 3; ++i) {
                const float* a = p[(i + 1) % 3];
                const float* b = p[(i + 2) % 3];
                w[i] = ((b[0] - a[0]) * (cy - a[1]) - (cx - a[0]) * (b[1] - a[1])) / area;
            }
            if (w[0] >= 0 && w[1] >= 0 && w[2] >= 0)
                plot(x, y, w[0], w[1], w[2]);
        }
    }
}

} // namespace

void SoftwareCanvas::drawIndexedTriangles(const float* vertices, const uint16_t* indices,
                                          int vertexCount, int indexCount)
{
    const Texel c = sample(0, 0);
    for (int i = 0; i + 2 < indexCount; i += 3) {
        float p[3][2];
        bool valid = true;
        for (int k = 0; k < 3; ++k) {
            const int index = indices[i + k];
            if (index >= vertexCount) {
                valid = false;
                break;
            }
            transformPoint(vertices[3 * index], vertices[3 * index + 1], p[k][0], p[k][1]);
        }
        if (valid)
            rasteriseTriangle(p, m_width, m_height,
                              [&](int x, int y, float, float, float) { plot(x, y, c.r, c.g, c.b, c.a); });
    }
}

void SoftwareCanvas::drawGlyphTriangles(const float* vertices, int triangleCount, int vertexFloats,
                                        const std::vector<uint32_t>& atlas, int atlasWidth,
                                        int atlasHeight, bool filtered)
{
    for (int t = 0; t < triangleCount; ++t) {
        const float* v[3];
        float p[3][2];
        for (int k = 0; k < 3; ++k) {
            v[k] = vertices + size_t(3 * t + k) * vertexFloats;
            transformPoint(v[k][0], v[k][1], p[k][0], p[k][1]);
        }
        rasteriseTriangle(p, m_width, m_height, [&](int x, int y, float w0, float w1, float w2) {
            const float u = w0 * v[0][3] + w1 * v[1][3] + w2 * v[2][3];
            const float tv = w0 * v[0][4] + w1 * v[1][4] + w2 * v[2][4];
            const int tx = wrap(int(std::floor(u * float(atlasWidth))), atlasWidth);
            const int ty = wrap(int(std::floor(tv * float(atlasHeight))), atlasHeight);
            const uint32_t word = atlas[size_t(ty) * atlasWidth + tx];
            plotWithAlpha(x, y, channel(word, 16), channel(word, 8), channel(word, 0),
                          filtered ? 1.f : channel(word, 24));
        });
    }
}
