// The parts of glyph rasterising that do not touch the system: the front of
// rasteriseGlyphs, the atlas layout, the control-character names and the
// alpha rule. Both rasterisers (GDI and the native box font) sit behind the
// same front and place glyphs through layoutGlyphs, so a fault in either
// shows up in the native tests as well as under Wine.
#include "canvas/util/font_builder.h"

#include "ui/log.h"
#include "ui/statistics.h"

namespace {

const char* const kControlNames[32] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "TAB", "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

} // namespace

const char* controlCharacterName(uchar codeUnit)
{
    return codeUnit < 32 ? kControlNames[codeUnit] : "";
}

bool isBoxedControlCharacter(uchar codeUnit)
{
    return codeUnit < 32 && codeUnit != 9 && codeUnit != 10 && codeUnit != 13;
}

uint8_t colourByte(float c)
{
    if (!(c > 0.f))
        return 0;
    if (c >= 1.f)
        return 255;
    return uint8_t(c * 255.f);
}

std::vector<GlyphPlacement> layoutGlyphs(const std::vector<float>& advances, int lineHeight,
                                         int width, int height, uchar firstGlyph, int count)
{
    std::vector<GlyphPlacement> placements;
    float x = 0.f;
    int y = 0;
    const int h = lineHeight;
    for (int i = 0; i < count && size_t(i) < advances.size(); ++i) {
        const uchar c = uchar(firstGlyph + i);
        float w = advances[size_t(i)];
        if (isBoxedControlCharacter(c)) {
            // The letters' advances come from this run, which starts below '0'.
            VASSERT(firstGlyph < '0');
            w = 1.f;
            for (const char* letter = controlCharacterName(c); *letter; ++letter) {
                const size_t index = size_t(uchar(*letter) - firstGlyph);
                if (index < advances.size())
                    w += advances[index];
            }
        }
        if (x + w >= float(width)) {
            x = 0.f;
            y = y + h + 4;
        }
        if (y != 0 && y + h + 1 >= height)
            break;
        placements.push_back({c, {x, float(y), x + w, float(y + h)}});
        x = x + w + 4.f;
    }
    return placements;
}

void setGlyphAlpha(uint32_t* pixels, size_t count, const Colour& backgroundColour)
{
    const uint32_t background = uint32_t(colourByte(backgroundColour.red)) << 16 |
                                uint32_t(colourByte(backgroundColour.green)) << 8 |
                                colourByte(backgroundColour.blue);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t colour = pixels[i] & 0x00FFFFFF;
        pixels[i] = colour == background ? colour : colour | 0xFF000000u;
    }
}

int rasteriseGlyphs(uint32_t* pixels, int width, int height, const uchar* face, float size,
                    int styleFlags, const ColourPair& colours, uchar firstGlyph, int count,
                    GlyphRect* rects)
{
    ++g_statFontCount.count;
    g_statFontPixelCount.count += width * height;
    if (!pixels || width <= 0 || height <= 0 || count <= 0)
        return 0;
    const GlyphRun run{width, height, face, size, styleFlags, colours, firstGlyph, count};
    const std::unique_ptr<GlyphRasteriser> rasteriser = makeGlyphRasteriser(run, pixels);
    std::vector<float> advances;
    int lineHeight = 0;
    if (!rasteriser->begin(advances, lineHeight))
        return 0;
    const std::vector<GlyphPlacement> placements =
        layoutGlyphs(advances, lineHeight, width, height, firstGlyph, count);
    for (size_t i = 0; i < placements.size(); ++i) {
        const GlyphPlacement& placement = placements[i];
        rects[i] = placement.rect;
        const uchar c = placement.codeUnit;
        if (isBoxedControlCharacter(c))
            rasteriser->drawControlBox(placement);
        else if (c == 32)
            rasteriser->drawBlankDot(placement);
        else if (c != 9 && c != 10 && c != 13)
            rasteriser->drawGlyph(placement);
    }
    if (!rasteriser->finish(pixels))
        return 0;
    setGlyphAlpha(pixels, size_t(width) * height, colours.background);
    return int(placements.size());
}
