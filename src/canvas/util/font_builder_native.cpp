// The rasteriser of the native build: a box font with the layout of the GDI
// one. Every glyph of size s is round(0.6 s) pixels wide (one more when
// bold) and round(1.5 s) high, and its ink is a solid block inside its cell,
// so tests can tell ink from background exactly. The known faces are a fixed
// list standing in for the system's fonts.
#include "canvas/util/font_builder.h"

#include <cmath>
#include <cstring>


namespace {

uint32_t packColour(const Colour& colour)
{
    return uint32_t(colourByte(colour.red)) << 16 | uint32_t(colourByte(colour.green)) << 8 |
           colourByte(colour.blue);
}

void fillBox(uint32_t* pixels, int width, int height, int x0, int y0, int x1, int y1,
             uint32_t colour)
{
    for (int y = y0 < 0 ? 0 : y0; y < y1 && y < height; ++y)
        for (int x = x0 < 0 ? 0 : x0; x < x1 && x < width; ++x)
            pixels[size_t(y) * width + x] = colour;
}

// The box font: every glyph a solid block in its cell.
class BoxFontRasteriser : public GlyphRasteriser {
public:
    BoxFontRasteriser(const GlyphRun& run, uint32_t* pixels)
        : m_run(run), m_pixels(pixels), m_background(packColour(run.colours.background)),
          m_text(packColour(run.colours.text)),
          m_dot(packColour(whiteSpaceMarkColour(run.colours)))
    {
    }

    bool begin(std::vector<float>& advances, int& lineHeight) override
    {
        const float points = std::trunc(m_run.size);
        const float advance =
            std::round(points * 0.6f) + ((m_run.styleFlags & kFontBold) ? 1.f : 0.f);
        m_lineHeight = int(std::round(points * 1.5f));
        if (advance <= 0.f || m_lineHeight <= 0)
            return false;
        for (size_t i = 0; i < size_t(m_run.width) * m_run.height; ++i)
            m_pixels[i] = m_background;
        advances.assign(size_t(m_run.count), advance);
        lineHeight = m_lineHeight;
        return true;
    }

    void drawControlBox(const GlyphPlacement& glyph) override
    {
        const GlyphRect& r = glyph.rect;
        const int x0 = int(r.x0), y0 = int(r.y0), x1 = int(r.x1), y1 = int(r.y1);
        fill(x0, y0 + 1, x1 - 1, y1 - 1, m_text);
        // The abbreviation's letters, in the background colour.
        fill(x0 + 2, y0 + 3, x1 - 3, y0 + 4, m_background);
    }

    void drawBlankDot(const GlyphPlacement& glyph) override
    {
        const GlyphRect& r = glyph.rect;
        const int cx = int(r.x0 + (r.x1 - r.x0) * 0.5f);
        const int cy = int(r.y0 + m_lineHeight * 0.5f);
        fill(cx - 1, cy - 1, cx + 2, cy + 2, m_dot);
    }

    void drawGlyph(const GlyphPlacement& glyph) override
    {
        const GlyphRect& r = glyph.rect;
        fill(int(r.x0) + 1, int(r.y0) + 2, int(r.x1) - 1, int(r.y1) - 3, m_text);
    }

    bool finish(uint32_t*) override { return true; }

private:
    void fill(int x0, int y0, int x1, int y1, uint32_t colour)
    {
        fillBox(m_pixels, m_run.width, m_run.height, x0, y0, x1, y1, colour);
    }

    GlyphRun m_run;
    uint32_t* m_pixels; // drawn into directly
    uint32_t m_background;
    uint32_t m_text;
    uint32_t m_dot;
    int m_lineHeight = 0;
};

} // namespace

bool fontFaceExists(const ustring& face)
{
    static const char16_t* const kFaces[] = {u"Courier New", u"Arial", u"Liberation Mono",
                                             u"Liberation Sans", u"Tahoma"};
    const ustring name = face.substr(0, 31);
    for (const char16_t* known : kFaces)
        if (slate::usubstring(name).equalsNoCase(slate::usubstring(known)))
            return true;
    return false;
}

std::unique_ptr<GlyphRasteriser> makeGlyphRasteriser(const GlyphRun& run, uint32_t* pixels)
{
    return std::make_unique<BoxFontRasteriser>(run, pixels);
}
