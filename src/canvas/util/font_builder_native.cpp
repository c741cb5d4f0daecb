// The rasteriser of the native build: a box font with the layout of the GDI
// one. Every glyph of size s is round(0.6 s) pixels wide (one more when
// bold) and round(1.5 s) high, and its ink is a solid block inside its cell,
// so tests can tell ink from background exactly. The known faces are a fixed
// list standing in for the system's fonts.
#include "canvas/util/font_builder.h"

#include <cmath>
#include <cstring>

#include "ui/statistics.h"

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

int rasteriseGlyphs(uint32_t* pixels, int width, int height, const uchar* face, float size,
                    int styleFlags, const ColourPair& colours, uchar firstGlyph, int count,
                    GlyphRect* rects)
{
    ++g_statFontCount.count;
    g_statFontPixelCount.count += width * height;
    const float points = std::trunc(size);
    const float advance = std::round(points * 0.6f) + ((styleFlags & kFontBold) ? 1.f : 0.f);
    const int lineHeight = int(std::round(points * 1.5f));
    if (!pixels || width <= 0 || height <= 0 || advance <= 0.f || lineHeight <= 0)
        return 0;
    const uint32_t background = packColour(colours.background);
    const uint32_t text = packColour(colours.text);
    const uint32_t dot = packColour(whiteSpaceMarkColour(colours));
    for (size_t i = 0; i < size_t(width) * height; ++i)
        pixels[i] = background;

    const std::vector<float> advances(size_t(count), advance);
    const std::vector<GlyphPlacement> placements =
        layoutGlyphs(advances, lineHeight, width, height, firstGlyph, count);
    for (size_t i = 0; i < placements.size(); ++i) {
        const GlyphPlacement& p = placements[i];
        rects[i] = p.rect;
        const int x0 = int(p.rect.x0), y0 = int(p.rect.y0), x1 = int(p.rect.x1), y1 = int(p.rect.y1);
        if (isBoxedControlCharacter(p.codeUnit)) {
            fillBox(pixels, width, height, x0, y0 + 1, x1 - 1, y1 - 1, text);
            // The abbreviation's letters, in the background colour.
            fillBox(pixels, width, height, x0 + 2, y0 + 3, x1 - 3, y0 + 4, background);
        } else if (p.codeUnit == 32) {
            const int cx = int(p.rect.x0 + (p.rect.x1 - p.rect.x0) * 0.5f);
            const int cy = int(p.rect.y0 + lineHeight * 0.5f);
            fillBox(pixels, width, height, cx - 1, cy - 1, cx + 2, cy + 2, dot);
        } else if (p.codeUnit != 9 && p.codeUnit != 10 && p.codeUnit != 13) {
            fillBox(pixels, width, height, x0 + 1, y0 + 2, x1 - 1, y1 - 3, text);
        }
    }
    setGlyphAlpha(pixels, size_t(width) * height, colours.background);
    (void)face;
    return int(placements.size());
}
