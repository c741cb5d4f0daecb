// The glyph rasteriser: a run of consecutive UTF-16 code units of one font
// drawn into a 32-bit pixel buffer (one glyph atlas), with the rect each
// glyph landed in. The Win32 build draws with GDI; the native build (tests,
// tools) with a plain box font of the same layout, so that everything above
// the rasteriser is tested without a display.
//
// Layout, the same on both: glyphs are placed left to right from (0, 0), 4
// pixels apart; a glyph that would reach the right edge starts a new row h +
// 4 below (h = the font's line height); a row that would not fit ends the run.
// A glyph's rect is its advance wide and h high. Control characters other
// than tab, line feed and carriage return are drawn as boxes holding their
// ASCII abbreviation, 1 + the advances of its letters wide; a blank shows a
// small dot of 0.65 x background + 0.35 x text at its centre; tab, line feed
// and carriage return have cells but no ink.
//
// Pixels are 0xAARRGGBB words, rows top first: every pixel that is exactly
// the background colour has alpha 0, every other pixel alpha 255.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "canvas/colour.h"
#include "ui/ustring.h"

// Font style flags, as font specs and the theme combine them. Integer
// constants rather than an enumeration: callers of Canvas::getFont pass the
// flags as a plain integer (the theme's bold font asks for 1), the font cache
// keys on that integer and recorded canvas calls print it.
constexpr int32_t kFontBold = 1;
constexpr int32_t kFontNoAntialias = 2;
constexpr int32_t kFontStandardAntialias = 4;
constexpr int32_t kFontClearTypeAntialias = 8;
constexpr int32_t kFontItalic = 16;

struct GlyphRect {
    float x0, y0, x1, y1;
};

// Rasterises up to `count` code units from `firstGlyph` into `pixels`
// (width x height words; the atlases are 512 x 256), writing one rect per
// placed glyph to `rects` (room for `count`). `face` is NUL-terminated;
// `size` in points. Returns how many glyphs were placed,
// fewer than `count` when the atlas is full, 0 when the system failed.
// Counts "FontCount" and adds the pixels to "FontPixelCount". Main thread.
int rasteriseGlyphs(uint32_t* pixels, int width, int height, const uchar* face, float size,
                    int styleFlags, const ColourPair& colours, uchar firstGlyph, int count,
                    GlyphRect* rects);

// Whether the system has a font family of this name (cut to 31 characters).
// Main thread.
bool fontFaceExists(const ustring& face);

// The two or three letter ASCII abbreviation of a control character below
// 32 ("NUL", "SOH", ... "US").
const char* controlCharacterName(uchar codeUnit);
// Whether the code unit is drawn as a boxed abbreviation: below 32 and not
// tab, line feed or carriage return.
bool isBoxedControlCharacter(uchar codeUnit);

// One placed glyph of a run.
struct GlyphPlacement {
    uchar codeUnit;
    GlyphRect rect;
};

// The layout above, shared by both rasterisers: `advances` holds one advance
// per code unit of the run (index 0 is firstGlyph). Control characters take
// their width from the advances of their letters, which must then be in the
// run (the rasteriser's caller starts control characters' runs at 0).
// Returns the placements, at most `count`.
std::vector<GlyphPlacement> layoutGlyphs(const std::vector<float>& advances, int lineHeight,
                                         int width, int height, uchar firstGlyph, int count);

// Sets alpha 255 on every pixel that differs from the background colour
// (compared in its low 24 bits, the colour as trunc(c x 255) bytes) and 0 on
// the others.
void setGlyphAlpha(uint32_t* pixels, size_t count, const Colour& background);
// A colour in 0..1 as the rasteriser's byte: trunc(c x 255).
uint8_t colourByte(float c);

// One run of rasteriseGlyphs, as its system back end sees it.
struct GlyphRun {
    int width;
    int height;
    const uchar* face;
    float size;
    int styleFlags;
    ColourPair colours;
    uchar firstGlyph;
    int count;
};

// What one system does for rasteriseGlyphs, which keeps the steps both share:
// the statistics, the argument checks, the layout, the choice of how each
// code unit is drawn and the alpha rule. The calls come in this order:
// begin, one draw call per placed glyph that has ink, finish.
class GlyphRasteriser {
public:
    virtual ~GlyphRasteriser() = default;
    // Makes an atlas filled with the background colour and measures the run:
    // one advance per code unit from firstGlyph, and the line height. False
    // when the system failed.
    virtual bool begin(std::vector<float>& advances, int& lineHeight) = 0;
    // A boxed control character, with its abbreviation cut out of the box.
    virtual void drawControlBox(const GlyphPlacement& glyph) = 0;
    // The dot that marks a blank, in whiteSpaceMarkColour.
    virtual void drawBlankDot(const GlyphPlacement& glyph) = 0;
    virtual void drawGlyph(const GlyphPlacement& glyph) = 0;
    // Writes the atlas into `pixels` (width x height words, rows top first);
    // false when the system failed.
    virtual bool finish(uint32_t* pixels) = 0;
};

// The system's rasteriser for a run; never null. Defined once per build, in
// font_builder_native.cpp or font_builder_win32.cpp.
std::unique_ptr<GlyphRasteriser> makeGlyphRasteriser(const GlyphRun& run, uint32_t* pixels);
