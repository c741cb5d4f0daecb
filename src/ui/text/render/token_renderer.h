// The token renderer: one layout of a buffer's text (font, tab width, line
// paddings, wrap width, indent of wrapped lines) registered in its token
// storage, with the geometry queries a view asks of it (point to position
// and back, layout size, gutter width) and the drawing of one band of the
// view per frame: the gutter, the text coloured by the styles of its scopes,
// the region layers and the selection, rulers, marks, bracket underlines and
// carets.
//
// The storage keeps the layout up to date on every edit; the renderer only
// claims its slot (lazily, on the first query or draw) and releases it. Its
// settings never change: a view whose settings change attaches another
// renderer. Views with equal settings and layout width share one.
//
// Everything is drawn through the neutral canvas interface, x in layout
// coordinates and y relative to the band's top; the caller sets the
// transform and the clip. Main thread only.
//
//     slate::SP<TokenRenderer> renderer(new TokenRenderer(&storage, wrap, settings.layout));
//     std::vector<int64_t> highlighted;
//     renderer->drawGutter(gutterArgs, highlighted);
//     renderer->draw(drawArgs);   // drawArgs.highlightedLines = &highlighted
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "canvas/colour.h"
#include "ui/reference_counted.h"
#include "ui/text/selection_region.h"
#include "ui/text/selection_set.h"
#include "ui/text/syntax/style.h"
#include "ui/text/token/layout_tracker.h"
#include "ui/text/token/token_storage.h"

class Canvas;
class Theme;
struct ViewSettings;

// A rectangle of the layout, in layout coordinates: what part of the text a
// frame shows.
struct LayoutBand {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    double width() const { return right - left; }
    double height() const { return bottom - top; }
};

// Ranges of text a view marks beside its selection: named regions of
// plug-ins, snippet fields.
struct RegionLayer {
    // The background is the layer's colour (fill, outline mix, marks); the
    // foreground colours the text inside a filled shape.
    Style style;
    bool regionPass = true; // drawn with the selection's shapes
    bool marksOnNonEmpty = false; // marks also at the end of non-empty regions
    bool drawMarks = false; // a caret-like mark at the end of each region
    bool underlineMarks = false; // the marks are underlines, not bars
    bool outlined = true;
    bool filled = true;
    SelectionSet regions; // sorted
};

// What a view hands the renderer for one frame.
struct DrawArguments {
    Canvas* canvas = nullptr;
    bool active = false; // the view has the focus: active colours, carets, brackets
    bool overwrite = false; // carets are underlines (unless inverted by the settings)
    LayoutBand band;
    const SelectionSet* selections = nullptr; // may be null: none
    const std::vector<RegionLayer>* layers = nullptr; // may be null: none
    SelectionRegion bracket; // the matching brackets; empty when none
    const ViewSettings* settings = nullptr; // never null when drawing
    // The text y (integer part, band-relative) of every visual line that
    // carries the line highlight, sorted; filled by drawGutter of the same
    // frame. May be null.
    const std::vector<int64_t>* highlightedLines = nullptr;
    // Shapes sit half a unit lower and further right (renderers that sample
    // pixel centres).
    bool halfPixelShapes = false;
};

// What the gutter of one frame shows.
struct GutterArguments {
    Canvas* canvas = nullptr;
    Theme* theme = nullptr; // may be null: no bookmark icons
    LayoutBand band;
    // Line starts: one entry per bookmark in bookmark order (two on one line
    // are equal neighbours); lines highlighted across the whole width; lines
    // highlighted in the gutter only.
    const std::vector<int64_t>* bookmarks = nullptr;
    const std::vector<int64_t>* fullyHighlighted = nullptr;
    const std::vector<int64_t>* gutterHighlighted = nullptr;
    bool lineNumbers = false;
    bool active = false;
    const ViewSettings* settings = nullptr; // never null when drawing
};

class TokenRenderer : public slate::ReferenceCounted<TokenRenderer> {
public:
    // Bands higher than this are drawn in pieces of at most this height.
    static constexpr double kMaxBandHeight = 30000.0;
    // Bands higher than this (minimap-sized) take the cheap marks: straight
    // underlines and plain region fills.
    static constexpr double kTallBandHeight = 2000.0;
    // The most stale text a frame lexes before drawing: half a screen of
    // long lines at 1920 x 1080. A band further past what is lexed is drawn
    // as it stands and coloured by the background lexing (lex_ahead.h).
    // The frames of a jump to the end of 2 MB of JavaScript while the
    // background caught up took up to 121 ms with 16384 units
    // (bench/lex_ahead_bench.cpp, a cold lexer at about 0.1 M units/s).
    static constexpr int64_t kDrawLexBudget = 8192;

    // `storage` must outlive the renderer. `wrapWidth` is the x at which
    // lines wrap when `settings.wordWrap` is set.
    TokenRenderer(TokenStorage* storage, float wrapWidth, const LayoutSettings& settings);
    // Releases the layout slot; the last holder's release removes it.
    ~TokenRenderer();
    TokenRenderer(const TokenRenderer&) = delete;
    TokenRenderer& operator=(const TokenRenderer&) = delete;

    // Claims the layout slot when none is held; every query calls it.
    void ensureLayout();
    // The slot's current index in the storage.
    uint32_t layoutIndex();
    bool hasLayout() const { return m_hasLayout; }

    // Width of the widest line and height of all lines.
    LayoutPoint layoutSize();
    int64_t positionAtPoint(double x, double y);
    LayoutPoint pointAtPosition(int64_t position);
    // At a wrap point, the side nearer `preferredX` (-1: no preference).
    LayoutPoint pointAtPositionNearX(int64_t position, double preferredX);
    // 14 without line numbers, else 14 plus room for the digits of the last
    // line's number in widths of "0".
    float gutterWidth(bool lineNumbers);
    // The text covered by the buckets that intersect the band: a superset of
    // the visible lines.
    SelectionRegion visibleRange(const LayoutBand& band);

    // Paints the line highlights, bookmark icons and line numbers of the
    // band, and appends to `highlightedOut` the text y of every visual line
    // of the lines highlighted across the whole width.
    void drawGutter(const GutterArguments& args, std::vector<int64_t>& highlightedOut);
    // Paints the band: text, region layers, selection, rulers, marks,
    // brackets and carets.
    void draw(const DrawArguments& args);

    TokenStorage& storage() const { return *m_storage; }
    const LayoutSettings& settings() const { return m_settings; }
    float wrapWidth() const { return m_wrapWidth; }
    double lineHeight() const;

private:
    // One drawBand call's arguments and what it measured once for its steps.
    struct Band;

    void drawBand(const DrawArguments& args, bool tall);
    // The steps of drawBand, in painting order.
    void drawBandText(const Band& band);
    void drawBandRegions(const Band& band);
    void drawBrackets(const Band& band);
    void drawCarets(const Band& band);

    TokenStorage* m_storage;
    float m_wrapWidth;
    LayoutSettings m_settings;
    LayoutHandle m_handle;
    bool m_hasLayout = false;
};

// The y at which the text of a visual line is drawn: its band-relative top
// plus the top padding, in float.
inline float lineTextY(double lineTop, float paddingTop)
{
    return static_cast<float>(lineTop) + paddingTop;
}

// The key under which the gutter hands a highlighted visual line to the
// text pass: the integer part of its lineTextY. Both passes take it from
// here, so a y that falls just short of a whole number in one cannot reach
// it in the other.
inline int64_t highlightedLineKey(float textY)
{
    return static_cast<int64_t>(textY);
}

// The indices [first, last) of the sorted regions that can touch the text
// range `visible`, found by binary search.
std::pair<size_t, size_t> visibleRegionIndices(const SelectionSet& regions,
                                               const SelectionRegion& visible);

// A zigzag from x0 to x1 at y, in the current fill: points 2 units apart,
// alternately 2 units up, at most 128 of them, the last one at x1.
void drawSquiggle(Canvas& canvas, float x0, float y, float x1);

// A caret-like mark: a bar 2 units wide and `height` high at (x, y), or an
// underline `width` wide below the line.
void drawCaret(Canvas& canvas, float x, float y, float height, float width, const Colour& colour,
               bool underline);
