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

// GDI drawing into a DIB section; the GDI objects live as long as the run.
class GdiRasteriser : public GlyphRasteriser {
public:
    explicit GdiRasteriser(const GlyphRun& run)
        : m_run(run), m_text(gdiColour(run.colours.text)),
          m_background(gdiColour(run.colours.background)),
          m_dot(gdiColour(whiteSpaceMarkColour(run.colours)))
    {
    }

    bool begin(std::vector<float>& advances, int& lineHeight) override
    {
        if (!createBitmap())
            return false;
        selectFont();
        fillBackground();
        if (!measure(advances))
            return false;
        TEXTMETRICW metrics;
        std::memset(&metrics, 0, sizeof metrics);
        GetTextMetricsW(m_gdi.dc, &metrics);
        m_lineHeight = metrics.tmHeight;
        lineHeight = m_lineHeight;
        return true;
    }

    void drawControlBox(const GlyphPlacement& glyph) override
    {
        const float x = glyph.rect.x0;
        const float w = glyph.rect.x1 - glyph.rect.x0;
        const int y = int(glyph.rect.y0);
        const int h = m_lineHeight;
        SelectObject(m_gdi.dc, textBrush());
        Rectangle(m_gdi.dc, int(x + 1), y + 1, int(x + w - 2), y + h - 1);
        Rectangle(m_gdi.dc, int(x), y + 2, int(x + w - 1), y + h - 2);
        WCHAR name[4] = {0, 0, 0, 0};
        const char* letters = controlCharacterName(glyph.codeUnit);
        int length = 0;
        for (; letters[length] && length < 3; ++length)
            name[length] = WCHAR(letters[length]);
        SetTextColor(m_gdi.dc, m_background);
        TextOutW(m_gdi.dc, int(x), y, name, length);
        SetTextColor(m_gdi.dc, m_text);
        SelectObject(m_gdi.dc, backgroundBrush());
    }

    void drawBlankDot(const GlyphPlacement& glyph) override
    {
        const float x = glyph.rect.x0;
        const float w = glyph.rect.x1 - glyph.rect.x0;
        const int y = int(glyph.rect.y0);
        const int cx = int(x + w * 0.5f);
        const int cy = int(float(y) + float(m_lineHeight) * 0.5f);
        SelectObject(m_gdi.dc, dotBrush());
        Rectangle(m_gdi.dc, cx - 1, cy - 1, cx + 2, cy + 2);
        SelectObject(m_gdi.dc, backgroundBrush());
    }

    void drawGlyph(const GlyphPlacement& glyph) override
    {
        const WCHAR c = WCHAR(glyph.codeUnit);
        TextOutW(m_gdi.dc, int(glyph.rect.x0), int(glyph.rect.y0), &c, 1);
    }

    bool finish(uint32_t* pixels) override
    {
        GdiFlush();
        // Read back through GetDIBits in the layout we ask for: 32 bits, rows
        // bottom first, as the bitmap was made.
        SelectObject(m_gdi.dc, m_gdi.previousBitmap);
        m_gdi.previousBitmap = nullptr;
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[256];
        } readInfo;
        std::memset(&readInfo, 0, sizeof readInfo);
        readInfo.header = m_info.bmiHeader;
        const int width = m_run.width, height = m_run.height;
        if (GetDIBits(m_gdi.dc, m_gdi.bitmap, 0, UINT(height), pixels,
                      reinterpret_cast<BITMAPINFO*>(&readInfo), DIB_RGB_COLORS) != height)
            return false;
        for (int row = 0; row < height / 2; ++row) {
            uint32_t* top = pixels + size_t(row) * width;
            uint32_t* bottom = pixels + size_t(height - 1 - row) * width;
            for (int x = 0; x < width; ++x)
                std::swap(top[x], bottom[x]);
        }
        return true;
    }

private:
    HBRUSH& textBrush() { return m_gdi.brushes[0]; }
    HBRUSH& backgroundBrush() { return m_gdi.brushes[1]; }
    HBRUSH& dotBrush() { return m_gdi.brushes[2]; }

    bool createBitmap()
    {
        m_gdi.dc = CreateCompatibleDC(nullptr);
        if (!m_gdi.dc)
            return false;
        std::memset(&m_info, 0, sizeof m_info);
        m_info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        m_info.bmiHeader.biWidth = m_run.width;
        m_info.bmiHeader.biHeight = m_run.height; // rows bottom first
        m_info.bmiHeader.biPlanes = 1;
        m_info.bmiHeader.biBitCount = 32;
        m_info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_gdi.bitmap = CreateDIBSection(m_gdi.dc, &m_info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!m_gdi.bitmap)
            return false;
        m_gdi.previousBitmap = SelectObject(m_gdi.dc, m_gdi.bitmap);
        return true;
    }

    void selectFont()
    {
        LOGFONTW logFont;
        std::memset(&logFont, 0, sizeof logFont);
        for (int i = 0; i < 31 && m_run.face && m_run.face[i]; ++i)
            logFont.lfFaceName[i] = m_run.face[i];
        logFont.lfHeight = -MulDiv(int(std::trunc(m_run.size)), GetDeviceCaps(m_gdi.dc, LOGPIXELSY), 72);
        const int styleFlags = m_run.styleFlags;
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
        m_gdi.font = CreateFontIndirectW(&logFont);
        if (m_gdi.font)
            m_gdi.previousFont = SelectObject(m_gdi.dc, m_gdi.font);
    }

    void fillBackground()
    {
        textBrush() = CreateSolidBrush(m_text);
        backgroundBrush() = CreateSolidBrush(m_background);
        dotBrush() = CreateSolidBrush(m_dot);
        m_gdi.previousPen = SelectObject(m_gdi.dc, GetStockObject(NULL_PEN));
        m_gdi.previousBrush = SelectObject(m_gdi.dc, backgroundBrush());
        PatBlt(m_gdi.dc, 0, 0, m_run.width, m_run.height, PATCOPY);
        SetBkMode(m_gdi.dc, TRANSPARENT);
        SetTextColor(m_gdi.dc, m_text);
    }

    // The advances of the run: ABC widths for the block of control
    // characters, text extents elsewhere.
    bool measure(std::vector<float>& advances)
    {
        const int count = m_run.count;
        advances.assign(size_t(count), 0.f);
        if (m_run.firstGlyph == 0) {
            std::vector<ABCFLOAT> abc(static_cast<size_t>(count));
            if (!GetCharABCWidthsFloatW(m_gdi.dc, 0, UINT(count - 1), abc.data()))
                return false;
            for (int i = 0; i < count; ++i)
                advances[size_t(i)] = abc[size_t(i)].abcfA + abc[size_t(i)].abcfB + abc[size_t(i)].abcfC;
            return true;
        }
        for (int i = 0; i < count; ++i) {
            const WCHAR c = WCHAR(m_run.firstGlyph + i);
            SIZE extent;
            advances[size_t(i)] = GetTextExtentPoint32W(m_gdi.dc, &c, 1, &extent) ? float(extent.cx) : 8.f;
        }
        return true;
    }

    GlyphRun m_run;
    COLORREF m_text;
    COLORREF m_background;
    COLORREF m_dot;
    GdiObjects m_gdi;
    BITMAPINFO m_info;
    int m_lineHeight = 0;
};

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

std::unique_ptr<GlyphRasteriser> makeGlyphRasteriser(const GlyphRun& run, uint32_t*)
{
    return std::make_unique<GdiRasteriser>(run);
}
