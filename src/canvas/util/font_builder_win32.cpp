// The glyph rasteriser over GDI. Glyphs are drawn in the text colour onto a
// DIB section filled with the background colour, so GDI's anti-aliasing is
// blended against the colour the text will be shown on; pixels left at the
// pure background colour become transparent. GDI is asked only for
// advances, the line height and the drawing itself: the placement of glyphs
// is the shared layout in font_builder.cpp.
#include "canvas/util/font_builder.h"

#define NOMINMAX
#include <windows.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "ui/statistics.h"

namespace {

COLORREF gdiColour(const Colour& colour)
{
    return RGB(colourByte(colour.red), colourByte(colour.green), colourByte(colour.blue));
}

// Everything the rasteriser creates, released in reverse on every path out.
struct GdiObjects {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    HFONT font = nullptr;
    HGDIOBJ previousFont = nullptr;
    HBRUSH brushes[3] = {nullptr, nullptr, nullptr};
    HGDIOBJ previousBrush = nullptr;
    HGDIOBJ previousPen = nullptr;

    ~GdiObjects()
    {
        if (dc) {
            if (previousPen)
                SelectObject(dc, previousPen);
            if (previousBrush)
                SelectObject(dc, previousBrush);
            if (previousFont)
                SelectObject(dc, previousFont);
            if (previousBitmap)
                SelectObject(dc, previousBitmap);
        }
        for (HBRUSH brush : brushes)
            if (brush)
                DeleteObject(brush);
        if (font)
            DeleteObject(font);
        if (bitmap)
            DeleteObject(bitmap);
        if (dc)
            DeleteDC(dc);
    }
};

int CALLBACK onFontFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

} // namespace

bool fontFaceExists(const ustring& face)
{
    // An empty name would enumerate every family.
    if (face.empty())
        return false;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return false;
    LOGFONTW logFont;
    std::memset(&logFont, 0, sizeof logFont);
    logFont.lfCharSet = ANSI_CHARSET;
    const size_t length = face.size() < 31 ? face.size() : 31;
    std::memcpy(logFont.lfFaceName, face.data(), length * sizeof(WCHAR));
    bool found = false;
    EnumFontFamiliesExW(dc, &logFont, onFontFamily, reinterpret_cast<LPARAM>(&found), 0);
    DeleteDC(dc);
    return found;
}

int rasteriseGlyphs(uint32_t* pixels, int width, int height, const uchar* face, float size,
                    int styleFlags, const ColourPair& colours, uchar firstGlyph, int count,
                    GlyphRect* rects)
{
    ++g_statFontCount.count;
    g_statFontPixelCount.count += width * height;
    if (!pixels || width <= 0 || height <= 0 || count <= 0)
        return 0;

    GdiObjects gdi;
    gdi.dc = CreateCompatibleDC(nullptr);
    if (!gdi.dc)
        return 0;
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // rows bottom first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    gdi.bitmap = CreateDIBSection(gdi.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!gdi.bitmap)
        return 0;
    gdi.previousBitmap = SelectObject(gdi.dc, gdi.bitmap);

    LOGFONTW logFont;
    std::memset(&logFont, 0, sizeof logFont);
    for (int i = 0; i < 31 && face && face[i]; ++i)
        logFont.lfFaceName[i] = face[i];
    logFont.lfHeight = -MulDiv(int(std::trunc(size)), GetDeviceCaps(gdi.dc, LOGPIXELSY), 72);
    if (styleFlags & kFontBold)
        logFont.lfWeight = FW_BOLD;
    if (styleFlags & kFontItalic)
        logFont.lfItalic = TRUE;
    logFont.lfQuality = DEFAULT_QUALITY;
    if (styleFlags & kFontNoAntialias)
        logFont.lfQuality = NONANTIALIASED_QUALITY;
    if (styleFlags & kFontStandardAntialias)
        logFont.lfQuality = ANTIALIASED_QUALITY;
    if (styleFlags & kFontClearTypeAntialias)
        logFont.lfQuality = CLEARTYPE_QUALITY;
    gdi.font = CreateFontIndirectW(&logFont);
    if (gdi.font)
        gdi.previousFont = SelectObject(gdi.dc, gdi.font);

    const COLORREF text = gdiColour(colours.text);
    const COLORREF background = gdiColour(colours.background);
    const COLORREF dot = gdiColour(whiteSpaceMarkColour(colours));
    HBRUSH& textBrush = gdi.brushes[0];
    HBRUSH& backgroundBrush = gdi.brushes[1];
    HBRUSH& dotBrush = gdi.brushes[2];
    textBrush = CreateSolidBrush(text);
    backgroundBrush = CreateSolidBrush(background);
    dotBrush = CreateSolidBrush(dot);
    gdi.previousPen = SelectObject(gdi.dc, GetStockObject(NULL_PEN));
    gdi.previousBrush = SelectObject(gdi.dc, backgroundBrush);
    PatBlt(gdi.dc, 0, 0, width, height, PATCOPY);
    SetBkMode(gdi.dc, TRANSPARENT);
    SetTextColor(gdi.dc, text);

    std::vector<float> advances(size_t(count), 0.f);
    if (firstGlyph == 0) {
        std::vector<ABCFLOAT> abc(static_cast<size_t>(count));
        if (!GetCharABCWidthsFloatW(gdi.dc, 0, UINT(count - 1), abc.data()))
            return 0;
        for (int i = 0; i < count; ++i)
            advances[size_t(i)] = abc[size_t(i)].abcfA + abc[size_t(i)].abcfB + abc[size_t(i)].abcfC;
    } else {
        for (int i = 0; i < count; ++i) {
            const WCHAR c = WCHAR(firstGlyph + i);
            SIZE extent;
            advances[size_t(i)] = GetTextExtentPoint32W(gdi.dc, &c, 1, &extent) ? float(extent.cx) : 8.f;
        }
    }
    TEXTMETRICW metrics;
    std::memset(&metrics, 0, sizeof metrics);
    GetTextMetricsW(gdi.dc, &metrics);
    const int h = metrics.tmHeight;

    const std::vector<GlyphPlacement> placements =
        layoutGlyphs(advances, h, width, height, firstGlyph, count);
    for (size_t i = 0; i < placements.size(); ++i) {
        const GlyphPlacement& p = placements[i];
        rects[i] = p.rect;
        const float x = p.rect.x0;
        const float w = p.rect.x1 - p.rect.x0;
        const int y = int(p.rect.y0);
        const uchar c = p.codeUnit;
        if (isBoxedControlCharacter(c)) {
            SelectObject(gdi.dc, textBrush);
            Rectangle(gdi.dc, int(x + 1), y + 1, int(x + w - 2), y + h - 1);
            Rectangle(gdi.dc, int(x), y + 2, int(x + w - 1), y + h - 2);
            WCHAR name[4] = {0, 0, 0, 0};
            const char* letters = controlCharacterName(c);
            int length = 0;
            for (; letters[length] && length < 3; ++length)
                name[length] = WCHAR(letters[length]);
            SetTextColor(gdi.dc, background);
            TextOutW(gdi.dc, int(x), y, name, length);
            SetTextColor(gdi.dc, text);
            SelectObject(gdi.dc, backgroundBrush);
        } else if (c == 32) {
            const int cx = int(x + w * 0.5f);
            const int cy = int(float(y) + float(h) * 0.5f);
            SelectObject(gdi.dc, dotBrush);
            Rectangle(gdi.dc, cx - 1, cy - 1, cx + 2, cy + 2);
            SelectObject(gdi.dc, backgroundBrush);
        } else if (c != 9 && c != 10 && c != 13) {
            const WCHAR glyph = WCHAR(c);
            TextOutW(gdi.dc, int(x), y, &glyph, 1);
        }
    }
    GdiFlush();

    // Read back through GetDIBits in the layout we ask for: 32 bits, rows
    // bottom first, as the bitmap was made.
    SelectObject(gdi.dc, gdi.previousBitmap);
    gdi.previousBitmap = nullptr;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } readInfo;
    std::memset(&readInfo, 0, sizeof readInfo);
    readInfo.header = info.bmiHeader;
    if (GetDIBits(gdi.dc, gdi.bitmap, 0, UINT(height), pixels,
                  reinterpret_cast<BITMAPINFO*>(&readInfo), DIB_RGB_COLORS) != height)
        return 0;

    setGlyphAlpha(pixels, size_t(width) * height, colours.background);
    for (int row = 0; row < height / 2; ++row) {
        uint32_t* top = pixels + size_t(row) * width;
        uint32_t* bottom = pixels + size_t(height - 1 - row) * width;
        for (int x = 0; x < width; ++x)
            std::swap(top[x], bottom[x]);
    }
    return int(placements.size());
}
