// Drawing one band of a view: the text pass, then the region layers and the
// selection, rulers, marks, bracket underlines and carets.
//
// The text pass collects one run per placed piece and files it under its
// style, in one of two tables (ordinary lines, highlighted lines), so that
// each style's colour is pushed once per frame and the font batches glyphs
// between style changes. Backgrounds of wrapped runs are extended to the
// band's edge through a third table. Region shapes are rectangles per
// visual line with bevelled corners, joined by one outline; the text under
// a filled shape is drawn again in the shape's foreground.
//
// A band higher than the renderer's limit is drawn in pieces of at most the
// limit, each moved into place by the canvas transform, so a very tall view
// (a zoomed-out minimap) is never left blank.
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "canvas/canvas.h"
#include "canvas/unicode_font.h"
#include "ui/statistics.h"
#include "ui/text/render/token_buffer_visitor.h"
#include "ui/text/render/token_renderer.h"
#include "ui/text/syntax/scope_styler.h"
#include "ui/text/view_settings.h"

namespace {

constexpr int kTallBand = 1; // straight underlines instead of squiggles
constexpr int kExtendNewlines = 2; // newline backgrounds reach the band's right edge
constexpr int kWhiteSpaceMarks = 4;

// What drawing needs of the layout.
struct Metrics {
    UnicodeFont* font;
    float fontLineHeight;
    float paddingTop;
    float paddingBottom;
    float lineHeight; // font line height plus both paddings
    float bandRight; // layout x of the band's right edge
};

struct Run {
    float x;
    float y; // text y: line top plus the top padding, band-relative
    float right;
    const uchar* first;
    const uchar* last;
};

bool isNewline(const Run& run) { return run.first != run.last && *run.first == u'\n'; }
bool isTab(const Run& run) { return run.first != run.last && *run.first == u'\t'; }

void drawTabMark(Canvas& canvas, const Colour& colour, const Metrics& metrics, const Run& run)
{
    const float middle = run.y + metrics.lineHeight / 2.f;
    canvas.drawLine(vector2{run.x + 1.f, middle}, vector2{run.right - 1.f, middle}, colour);
}

void drawTextRun(int flags, Canvas& canvas, const Style& style, const Colour& background,
                 const Metrics& metrics, const Run& run)
{
    Colour behind = background;
    if (!style.backgroundIsDefault) {
        const float right = (isNewline(run) && (flags & kExtendNewlines)) ? metrics.bandRight : run.right;
        const float top = run.y - metrics.paddingTop;
        canvas.fillRect(interval2(run.x, top, right, top + metrics.lineHeight), style.background);
        behind = style.background;
    }
    const ColourPair colours{style.foreground, behind};
    if (isTab(run)) {
        if (flags & kWhiteSpaceMarks) {
            drawTabMark(canvas, whiteSpaceMarkColour(colours), metrics, run);
        }
    } else {
        metrics.font->drawText(run.x, run.y, run.first, run.last, colours,
                               (flags & kWhiteSpaceMarks) != 0);
    }
    if (style.secondFlag) {
        float right = run.right;
        const float space = metrics.font->advance(u' ');
        for (const uchar* p = run.last; p > run.first && p[-1] == u' '; --p)
            right -= space;
        const float y = run.y + metrics.fontLineHeight;
        if (flags & kTallBand) {
            canvas.drawLine(vector2{run.x, y}, vector2{right, y}, style.thirdColour);
        } else {
            const FillState saved = canvas.pushColour(style.thirdColour);
            const BlendMode mode = canvas.setBlendMode(BlendMode::Opaque);
            drawSquiggle(canvas, run.x, y, right);
            canvas.setBlendMode(mode);
            canvas.setFillState(saved);
        }
    }
}

// Runs filed by style, in the order styles first appear.
template <typename Item>
class StyleTable {
public:
    std::vector<Item>& entry(const Style* style)
    {
        auto found = m_index.find(style);
        if (found != m_index.end())
            return m_entries[found->second].second;
        m_index.emplace(style, m_entries.size());
        m_entries.emplace_back(style, std::vector<Item>());
        return m_entries.back().second;
    }
    const std::vector<std::pair<const Style*, std::vector<Item>>>& entries() const { return m_entries; }

private:
    std::unordered_map<const Style*, size_t> m_index;
    std::vector<std::pair<const Style*, std::vector<Item>>> m_entries;
};

class TextRunBatch {
public:
    TextRunBatch(Canvas& canvas, int flags, const LayoutBand& band, const Metrics& metrics,
                 const Colour& background, const Colour& lineHighlight,
                 const std::vector<int64_t>* highlighted)
        : m_canvas(canvas), m_flags(flags), m_bandHeight(band.height()), m_bandRight(band.right),
          m_metrics(metrics), m_background(background), m_lineHighlight(lineHighlight),
          m_highlighted(highlighted)
    {
    }

    void setStyle(const Style* style)
    {
        m_style = style;
        m_ordinary = &m_ordinaryTable.entry(style);
        m_highlightedRuns = &m_highlightedTable.entry(style);
        m_extension = style->backgroundIsDefault ? nullptr : &m_extensionTable.entry(style);
    }

    void addRun(const Run& run)
    {
        if (run.y + m_metrics.lineHeight < 0.f || run.y > m_bandHeight)
            return;
        const bool highlighted = m_highlighted &&
            std::binary_search(m_highlighted->begin(), m_highlighted->end(), highlightedLineKey(run.y));
        (highlighted ? m_highlightedRuns : m_ordinary)->push_back(run);
        ++m_runCount;
        const float lineTop = run.y - m_metrics.paddingTop;
        if (m_extension && m_lastLineTop != -1.f && m_lastLineTop != lineTop) {
            // A continuation line of a wrapped line: the background runs on
            // to the band's edge above and starts at the left edge here.
            m_extension->push_back(interval2(m_lastRight, m_lastLineTop, m_bandRight,
                                             m_lastLineTop + m_metrics.lineHeight));
            m_extension->push_back(interval2(0.f, lineTop, run.x, lineTop + m_metrics.lineHeight));
        }
        m_lastLineTop = isNewline(run) ? -1.f : lineTop;
        m_lastRight = run.right;
    }

    void flush()
    {
        UnicodeFont& font = *m_metrics.font;
        for (int pass = 0; pass < 2; ++pass) {
            const auto& table = pass == 0 ? m_ordinaryTable : m_highlightedTable;
            const Colour& background = pass == 0 ? m_background : m_lineHighlight;
            for (const auto& [style, runs] : table.entries()) {
                if (runs.empty())
                    continue;
                font.flush();
                m_canvas.pushColour(style->foreground);
                for (const Run& run : runs)
                    drawTextRun(m_flags, m_canvas, *style, background, m_metrics, run);
            }
        }
        font.flush();
        for (const auto& [style, rects] : m_extensionTable.entries())
            for (const interval2& rect : rects)
                m_canvas.fillRect(rect, style->background);
    }

    int64_t runCount() const { return m_runCount; }

private:
    Canvas& m_canvas;
    int m_flags;
    float m_bandHeight;
    float m_bandRight;
    const Metrics& m_metrics;
    Colour m_background;
    Colour m_lineHighlight;
    const std::vector<int64_t>* m_highlighted;
    StyleTable<Run> m_ordinaryTable;
    StyleTable<Run> m_highlightedTable;
    StyleTable<interval2> m_extensionTable;
    const Style* m_style = nullptr;
    std::vector<Run>* m_ordinary = nullptr;
    std::vector<Run>* m_highlightedRuns = nullptr;
    std::vector<interval2>* m_extension = nullptr;
    float m_lastLineTop = -1.f;
    float m_lastRight = 0.f;
    int64_t m_runCount = 0;
};

Style misspellingStyle()
{
    Style style;
    style.foreground[0] = 1.f;
    style.foreground[1] = style.foreground[2] = 0.f;
    style.background[0] = style.background[1] = style.background[2] = 1.f;
    style.backgroundIsDefault = true;
    style.thirdColour[0] = 1.f;
    style.thirdColour[1] = style.thirdColour[2] = 0.f;
    style.secondFlag = true;
    return style;
}

const Style* debugStyles()
{
    static Style s_styles[4];
    static const float kColours[4][3] = {
        {100 / 255.f, 149 / 255.f, 237 / 255.f}, // cornflowerblue
        {0.f, 191 / 255.f, 1.f}, // deepskyblue
        {210 / 255.f, 105 / 255.f, 30 / 255.f}, // chocolate
        {1.f, 127 / 255.f, 80 / 255.f}, // coral
    };
    for (int i = 0; i < 4; ++i) {
        s_styles[i] = Style();
        std::copy(kColours[i], kColours[i] + 3, s_styles[i].foreground);
    }
    return s_styles;
}

// Collects the text pass's runs of the visited buckets.
class TextPassSink : public PositionedPieceSink {
public:
    TextPassSink(TextRunBatch& batch, double bandTop, float paddingTop)
        : m_batch(batch), m_bandTop(bandTop), m_paddingTop(paddingTop)
    {
    }
    void piece(const Token* token, int32_t begin, int32_t end, double x, double width,
               double lineTop) override
    {
        const float y = lineTextY(bucketTop + lineTop - m_bandTop, m_paddingTop);
        m_batch.addRun(Run{static_cast<float>(x), y, static_cast<float>(x + width),
                           token->begin + begin, token->begin + end});
    }

private:
    TextRunBatch& m_batch;
    double m_bandTop;
    float m_paddingTop;
};

// One piece of a region on one visual line.
struct RegionPiece {
    Run run; // text y as in the text pass
    bool tab;
};

struct LineRect {
    float top; // band-relative line top
    float left;
    float right;
};

// Collects the pieces of the placed tokens that lie inside one region.
class RegionSink : public PositionedPieceSink {
public:
    RegionSink(const Metrics& metrics, double bandTop, double bandHeight, SelectionRegion region)
        : m_metrics(metrics), m_bandTop(bandTop), m_bandHeight(bandHeight),
          m_begin(region.begin()), m_end(region.end())
    {
    }

    void piece(const Token* token, int32_t begin, int32_t end, double x, double width,
               double lineTop) override
    {
        const int64_t from = std::max(tokenStart + begin, m_begin);
        const int64_t to = std::min(tokenStart + end, m_end);
        if (from >= to)
            return;
        const double top = bucketTop + lineTop - m_bandTop;
        if (top + m_metrics.lineHeight < 0.0 || top > m_bandHeight)
            return;
        const uchar* first = token->begin + (from - tokenStart);
        const uchar* last = token->begin + (to - tokenStart);
        if (first != token->begin + begin || last != token->begin + end) {
            // Part of a run: measure what lies before and inside the region.
            x += textWidth(*m_metrics.font, token->begin + begin, first);
            width = textWidth(*m_metrics.font, first, last);
        }
        const float lineTopF = static_cast<float>(top);
        const float left = static_cast<float>(x);
        const float right = static_cast<float>(x + width);
        pieces.push_back(RegionPiece{Run{left, lineTextY(top, m_metrics.paddingTop), right, first, last},
                                     *first == u'\t'});
        if (!rects.empty() && std::fabs(rects.back().top - lineTopF) < 0.001f &&
            std::fabs(rects.back().right - left) < 0.001f)
            rects.back().right = right;
        else
            rects.push_back(LineRect{lineTopF, left, right});
    }

    int64_t begin() const { return m_begin; }
    int64_t end() const { return m_end; }

    std::vector<RegionPiece> pieces;
    std::vector<LineRect> rects;

private:
    const Metrics& m_metrics;
    double m_bandTop;
    double m_bandHeight;
    int64_t m_begin;
    int64_t m_end;
};

// Hands each placed piece to the sorted, non-overlapping regions it meets.
class RegionDispatch : public PositionedPieceSink {
public:
    explicit RegionDispatch(std::vector<RegionSink>& sinks) : m_sinks(sinks) {}

    void piece(const Token* token, int32_t begin, int32_t end, double x, double width,
               double lineTop) override
    {
        const int64_t from = tokenStart + begin;
        const int64_t to = tokenStart + end;
        while (m_next < m_sinks.size() && m_sinks[m_next].end() <= from)
            ++m_next;
        for (size_t i = m_next; i < m_sinks.size() && m_sinks[i].begin() < to; ++i) {
            m_sinks[i].tokenStart = tokenStart;
            m_sinks[i].bucketTop = bucketTop;
            m_sinks[i].piece(token, begin, end, x, width, lineTop);
        }
    }

private:
    std::vector<RegionSink>& m_sinks;
    size_t m_next = 0; // regions before it end before the pieces still to come
};

struct OutlinePoints {
    std::vector<float> left; // x, y pairs along the left edge, top to bottom
    std::vector<float> right; // along the right edge, top to bottom
};

// The shape of one corner of a line's region rect, from how the neighbouring
// line's edge lies against this one's.
enum class CornerKind {
    Square, // the neighbour's edge is flush: the region runs straight on
    Bevel,  // no neighbour on that side of the edge: the corner is cut off
    Flare,  // the neighbour reaches past the edge: the corner widens into it
};

// A corner's triangles in units of the corner cell, x and y pairs.
struct CornerShape {
    const float* units;
    const uint16_t* triangles;
    int vertexCount;
    int indexCount;
};

CornerShape cornerShape(CornerKind kind)
{
    static const float kSquare[] = {0, 0, 1, 0, 1, 1, 0, 1};
    static const uint16_t kSquareTriangles[] = {0, 1, 2, 0, 2, 3};
    static const float kBevel[] = {0, 0, 1, 0, 0, 1};
    static const uint16_t kBevelTriangles[] = {0, 2, 1};
    static const float kFlare[] = {0, 1, 0, 0, 1, 0, 1, 0, 2, 1};
    static const uint16_t kFlareTriangles[] = {0, 2, 1, 0, 3, 2, 0, 4, 3};
    switch (kind) {
    case CornerKind::Square: return {kSquare, kSquareTriangles, 4, 6};
    case CornerKind::Bevel: return {kBevel, kBevelTriangles, 3, 3};
    case CornerKind::Flare: break;
    }
    return {kFlare, kFlareTriangles, 5, 9};
}

void drawCornerPiece(CornerKind kind, Canvas& canvas, float cx, float cy, float sx, float sy)
{
    const CornerShape shape = cornerShape(kind);
    float vertices[15];
    for (int i = 0; i < shape.vertexCount; ++i) {
        vertices[i * 3] = cx + sx * shape.units[i * 2];
        vertices[i * 3 + 1] = cy + sy * shape.units[i * 2 + 1];
        vertices[i * 3 + 2] = 0.f;
    }
    canvas.drawIndexedTriangles(vertices, shape.triangles, shape.vertexCount, shape.indexCount);
}

void addOutlineCorner(CornerKind kind, float cx, float cy, float sx, float sy, bool top,
                      OutlinePoints& outline)
{
    if (kind == CornerKind::Square)
        return;
    float points[4] = {cx + sx, cy, kind == CornerKind::Bevel ? cx : cx + 2.f * sx, cy + sy};
    if (top) {
        std::swap(points[0], points[2]);
        std::swap(points[1], points[3]);
    }
    std::vector<float>& list = sx < 0.f ? outline.left : outline.right;
    list.insert(list.end(), points, points + 4);
}

struct CornerKinds {
    CornerKind topLeft, topRight, bottomRight, bottomLeft;
};

void drawRegionShape(const LineRect& rect, float lineHeight, const Colour& fill, bool filled,
                     Canvas& canvas, const CornerKinds& kinds, bool outlined, bool halfPixel,
                     OutlinePoints& outline)
{
    const float shift = halfPixel ? 0.5f : 0.f;
    const float l = rect.left + shift, t = rect.top + shift, r = rect.right + shift;
    const float b = rect.top + lineHeight + shift;
    if (filled) {
        canvas.fillRect(interval2(l + 2, t, r - 2, t + 2), fill);
        canvas.fillRect(interval2(l, t + 2, r, b - 2), fill);
        canvas.fillRect(interval2(l + 2, b - 2, r - 2, b), fill);
        const FillState saved = canvas.pushColour(fill);
        drawCornerPiece(kinds.topLeft, canvas, l + 2, t + 2, -2, -2);
        drawCornerPiece(kinds.topRight, canvas, r - 2, t + 2, 2, -2);
        drawCornerPiece(kinds.bottomRight, canvas, r - 2, b - 2, 2, 2);
        drawCornerPiece(kinds.bottomLeft, canvas, l + 2, b - 2, -2, 2);
        canvas.setFillState(saved);
    }
    if (outlined) {
        addOutlineCorner(kinds.topLeft, l + 2, t + 2, -2, -2, true, outline);
        addOutlineCorner(kinds.topRight, r - 2, t + 2, 2, -2, true, outline);
        addOutlineCorner(kinds.bottomRight, r - 2, b - 2, 2, 2, false, outline);
        addOutlineCorner(kinds.bottomLeft, l + 2, b - 2, -2, 2, false, outline);
    }
}

CornerKind leftCorner(float neighbour, float own)
{
    return neighbour < own ? CornerKind::Flare : neighbour != own ? CornerKind::Bevel : CornerKind::Square;
}
CornerKind rightCorner(float neighbour, float own)
{
    return neighbour < own ? CornerKind::Bevel : neighbour != own ? CornerKind::Flare : CornerKind::Square;
}

// What the region passes of one frame share.
struct RegionContext {
    TokenStorage& storage;
    const LayoutData& layout;
    uint32_t layoutIndex;
    Canvas& canvas;
    const LayoutBand& band;
    const Metrics& metrics;
    const ViewSettings& settings;
    SelectionRegion visible;
    bool tall;
    bool halfPixel;
};

void drawOneRegion(const RegionContext& c, const RegionSink& sink, const Style& style,
                   bool outlined, bool filled, const Colour& outlineColour)
{
    Canvas& canvas = c.canvas;
    const BlendMode mode = canvas.setBlendMode(BlendMode::Opaque);
    OutlinePoints outline;
    const std::vector<LineRect>& rects = sink.rects;
    for (size_t i = 0; i < rects.size(); ++i) {
        const LineRect& r = rects[i];
        CornerKinds kinds;
        const bool first = i == 0, last = i + 1 == rects.size();
        kinds.topLeft = first ? CornerKind::Bevel : leftCorner(rects[i - 1].left, r.left);
        kinds.topRight = first ? CornerKind::Bevel : rightCorner(rects[i - 1].right, r.right);
        kinds.bottomLeft = last ? CornerKind::Bevel : leftCorner(rects[i + 1].left, r.left);
        kinds.bottomRight = last ? CornerKind::Bevel : rightCorner(rects[i + 1].right, r.right);
        drawRegionShape(r, c.metrics.lineHeight, style.background, filled, canvas, kinds, outlined,
                        c.halfPixel, outline);
    }
    if (outlined && (!outline.right.empty() || !outline.left.empty())) {
        std::vector<float> strip;
        for (size_t i = 0; i < outline.right.size(); i += 2)
            strip.insert(strip.end(), {outline.right[i], outline.right[i + 1], 0.f});
        for (size_t i = outline.left.size(); i >= 2; i -= 2)
            strip.insert(strip.end(), {outline.left[i - 2], outline.left[i - 1], 0.f});
        strip.insert(strip.end(), {strip[0], strip[1], 0.f});
        const FillState saved = canvas.pushColour(outlineColour);
        canvas.drawLineStrip(strip.data(), static_cast<int>(strip.size() / 3));
        canvas.setFillState(saved);
    }
    canvas.setBlendMode(mode);
    if (!filled || sink.pieces.empty())
        return;
    const bool marks = c.settings.drawSelectionWhiteSpace || c.settings.drawAllWhiteSpace;
    const FillState saved = canvas.pushColour(style.foreground);
    const ColourPair colours{style.foreground, style.background};
    for (const RegionPiece& piece : sink.pieces) {
        if (piece.tab) {
            if (marks) {
                const float middle = piece.run.y - c.metrics.paddingTop + c.metrics.lineHeight / 2.f;
                canvas.drawLine(vector2{piece.run.x + 1.f, middle},
                                vector2{piece.run.right - 1.f, middle},
                                whiteSpaceMarkColour(colours));
            }
            continue;
        }
        c.metrics.font->drawText(piece.run.x, piece.run.y, piece.run.first, piece.run.last,
                                 colours, marks);
    }
    c.metrics.font->flush();
    canvas.setFillState(saved);
}

void drawRegions(const RegionContext& c, const SelectionSet& regions, const Style& style,
                 bool outlined, bool filled, const Colour& outlineColour)
{
    if (regions.empty() || (regions.size() == 1 && regions[0].empty()))
        return;
    ScopedTimer timer(g_statTokenRendererDrawSelection);
    const auto [first, last] = visibleRegionIndices(regions, c.visible);
    std::vector<RegionSink> sinks;
    sinks.reserve(last - first);
    for (size_t i = first; i < last; ++i)
        if (!regions[i].empty())
            sinks.emplace_back(c.metrics, c.band.top, c.band.height(), regions[i]);
    if (sinks.empty())
        return;
    // One walk over the band hands every piece to the regions it meets.
    RegionDispatch dispatch(sinks);
    for (const PlacedBucket& placed : c.storage.bucketsInBand(c.layoutIndex, c.band.top, c.band.bottom,
                                                              sinks.front().begin(), sinks.back().end()))
        placeBucket(c.layout, placed, dispatch);
    Style tallStyle = style;
    tallStyle.backgroundIsDefault = false;
    for (const RegionSink& sink : sinks) {
        if (c.tall) {
            for (const RegionPiece& piece : sink.pieces)
                drawTextRun(kTallBand, c.canvas, tallStyle, style.background, c.metrics, piece.run);
            c.metrics.font->flush();
        } else {
            drawOneRegion(c, sink, style, outlined, filled, outlineColour);
        }
    }
}

float advanceAt(TokenStorage& storage, UnicodeFont& font, int64_t position)
{
    return font.advance(position >= storage.size() ? u' ' : storage.charAt(position));
}

void drawRegionMarks(const RegionContext& c, TokenRenderer& renderer, const RegionLayer& layer)
{
    const auto [first, last] = visibleRegionIndices(layer.regions, c.visible);
    for (size_t i = first; i < last; ++i) {
        const SelectionRegion& region = layer.regions[i];
        if (!region.empty() && !layer.marksOnNonEmpty)
            continue;
        const LayoutPoint point = renderer.pointAtPosition(region.b);
        drawCaret(c.canvas, static_cast<float>(point.x), static_cast<float>(point.y - c.band.top),
                  c.metrics.fontLineHeight, advanceAt(c.storage, *c.metrics.font, region.b),
                  layer.style.background, layer.underlineMarks);
    }
}

} // namespace

void TokenRenderer::draw(const DrawArguments& args)
{
    ensureLayout();
    const double height = args.band.height();
    if (height <= kMaxBandHeight) {
        drawBand(args, height > kTallBandHeight);
        return;
    }
    // Too high for one pass: draw it in slices, each shifted down by the
    // canvas transform to where it belongs.
    Canvas& canvas = *args.canvas;
    const Matrix4 saved = canvas.getTransform();
    for (double offset = 0.0; offset < height; offset += kMaxBandHeight) {
        DrawArguments slice = args;
        slice.band.top = args.band.top + offset;
        slice.band.bottom = std::min(args.band.bottom, slice.band.top + kMaxBandHeight);
        std::vector<int64_t> shifted;
        if (args.highlightedLines) {
            for (int64_t y : *args.highlightedLines)
                shifted.push_back(y - static_cast<int64_t>(offset));
            slice.highlightedLines = &shifted;
        }
        Matrix4 moved = saved;
        const float d = static_cast<float>(offset);
        moved.m[12] += d * saved.m[4];
        moved.m[13] += d * saved.m[5];
        moved.m[14] += d * saved.m[6];
        canvas.setTransform(moved);
        drawBand(slice, true);
    }
    canvas.setTransform(saved);
}

struct TokenRenderer::Band {
    const DrawArguments& args;
    bool tall;
    uint32_t layout;
    const LayoutData& data;
    Metrics metrics;
    SelectionRegion visible;
};

void TokenRenderer::drawBand(const DrawArguments& args, bool tall)
{
    ScopedTimer frameTimer(g_statTokenRendererDraw);
    const uint32_t layout = layoutIndex();
    UnicodeFont& font = *m_settings.font;
    const Band band{args,
                    tall,
                    layout,
                    m_storage->layoutData(layout),
                    Metrics{&font, font.lineHeight(), m_settings.linePaddingTop,
                            m_settings.linePaddingBottom, static_cast<float>(lineHeight()),
                            static_cast<float>(args.band.right)},
                    visibleRange(args.band)};
    drawBandText(band);
    drawBandRegions(band);
    if (!args.active)
        return;
    drawBrackets(band);
    drawCarets(band);
}

void TokenRenderer::drawBandText(const Band& band)
{
    ScopedTimer textTimer(g_statTokenRendererDrawText);
    const DrawArguments& args = band.args;
    const ViewSettings& settings = *args.settings;
    int flags = kExtendNewlines;
    if (band.tall)
        flags |= kTallBand;
    if (settings.drawAllWhiteSpace)
        flags |= kWhiteSpaceMarks;
    const Colour lineHighlight = args.active ? settings.lineHighlightColour : settings.mixedLineHighlightColour;
    // The band's buckets may reach far past its last screen line (a bucket of
    // one long line holds megabytes), and a long line is lexed only as far
    // as asked: ask for what the band shows. Text far past what is lexed is
    // drawn as it stands, plain or in its last known scopes, while the
    // background lexing catches up.
    const int64_t shownEnd =
        m_storage->positionAtPoint(layoutIndex(), args.band.right, args.band.bottom) + 1;
    m_storage->validateNearby(std::min(band.visible.end(), shownEnd), kDrawLexBudget);
    TextRunBatch batch(*args.canvas, flags, args.band, band.metrics, settings.backgroundColour,
                       lineHighlight, args.highlightedLines);
    TextPassSink sink(batch, args.band.top, m_settings.linePaddingTop);
    const Style fallback;
    const Style misspelled = misspellingStyle();
    const Style* debug = settings.drawDebug ? debugStyles() : nullptr;
    ScopeStyler* styler = m_storage->scopeStyler().get();
    int64_t visitedBuckets = 0;
    for (const PlacedBucket& placed : m_storage->bucketsInBand(band.layout, args.band.top, args.band.bottom)) {
        const TokenBuffer* bucket = placed.bucket;
        int64_t position = placed.position;
        LayoutWalk placement(band.data, placed.startState, &sink);
        sink.bucketTop = placed.top;
        const Style* current = nullptr;
        for (uint32_t i = 0; i < bucket->size(); ++i) {
            const Token* token = bucket->tokens[i];
            const Style* style;
            if (debug)
                style = &debug[(i % 2) + 2 * (visitedBuckets % 2)];
            else if (token->isMisspelled())
                style = &misspelled;
            else
                style = styler ? styler->styleForScope(token->scope) : &fallback;
            if (style != current) {
                batch.setStyle(style);
                current = style;
            }
            sink.tokenStart = position;
            placement.placeToken(token);
            position += token->length();
        }
        ++visitedBuckets;
    }
    batch.flush();
}

void TokenRenderer::drawBandRegions(const Band& band)
{
    const DrawArguments& args = band.args;
    const ViewSettings& settings = *args.settings;
    Canvas& canvas = *args.canvas;
    const RegionContext context{*m_storage, band.data, band.layout, canvas, args.band,
                                band.metrics, settings, band.visible, band.tall,
                                args.halfPixelShapes};
    if (args.layers) {
        for (const RegionLayer& layer : *args.layers) {
            if (!layer.regionPass)
                continue;
            const Colour outline =
                mixColours(settings.backgroundColour, 0.5f, layer.style.background, 0.5f);
            drawRegions(context, layer.regions, layer.style, layer.outlined, layer.filled, outline);
        }
    }
    if (args.selections) {
        const Style& style = args.active ? settings.selectionStyle : settings.mixedSelectionStyle;
        drawRegions(context, *args.selections, style, true, true, settings.mixedLineHighlightColour);
    }
    for (float x : settings.rulers)
        canvas.drawLine(vector2{x, 0.f}, vector2{x, static_cast<float>(args.band.height())},
                        settings.quarterForegroundColour);
    if (args.layers)
        for (const RegionLayer& layer : *args.layers)
            if (layer.drawMarks)
                drawRegionMarks(context, *this, layer);
}

void TokenRenderer::drawBrackets(const Band& band)
{
    const DrawArguments& args = band.args;
    if (args.bracket.empty())
        return;
    for (int64_t position : {args.bracket.begin(), args.bracket.end() - 1}) {
        const LayoutPoint point = pointAtPosition(position);
        const float x = static_cast<float>(point.x) + 1.f;
        const float y = static_cast<float>(point.y - args.band.top) + band.metrics.fontLineHeight + 1.f;
        args.canvas->drawLine(vector2{x, y},
                              vector2{x + advanceAt(*m_storage, *band.metrics.font, position), y},
                              args.settings->bracketsColour);
    }
}

void TokenRenderer::drawCarets(const Band& band)
{
    const DrawArguments& args = band.args;
    if (!args.selections)
        return;
    ScopedTimer caretTimer(g_statTokenRendererDrawCarets);
    const ViewSettings& settings = *args.settings;
    const bool underline = settings.inverseCursorState != args.overwrite;
    const auto [first, last] = visibleRegionIndices(*args.selections, band.visible);
    for (size_t i = first; i < last; ++i) {
        const SelectionRegion& selection = (*args.selections)[i];
        if (selection.b < band.visible.begin() || selection.b > band.visible.end())
            continue;
        const LayoutPoint point = pointAtPositionNearX(selection.b, selection.xpos);
        drawCaret(*args.canvas, static_cast<float>(point.x), static_cast<float>(point.y - args.band.top),
                  band.metrics.fontLineHeight, advanceAt(*m_storage, *band.metrics.font, selection.b),
                  settings.caretColour, underline);
    }
}
