// A canvas that draws nothing and has no textures, for tests and fuzz targets
// that only lay text out. Each kind says what fonts it hands out.
#pragma once

#include "canvas/basic_canvas.h"

class BlankCanvas : public BasicCanvas {
public:
    void drawTexturedQuad(const interval2&, const interval2&) override {}
    void drawLines(const float*, int) override {}
    void drawLineStrip(const float*, int) override {}
    void drawIndexedTriangles(const float*, const uint16_t*, int, int) override {}

protected:
    Texture* createTexture(const ustring&) override { return nullptr; }
    TextureUnicodeFontHelper* createFontHelper() override { return nullptr; }
    UnicodeFont* createFont(const ustring& spec, const ustring& face, int size,
                            int styleFlags) override = 0;
};
