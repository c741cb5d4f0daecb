// The token renderer against the recording canvas with a fixed-advance font
// (every unit 10 wide, lines 10 high): tab stops, wrapping, the gutter's
// numbers and width, selection shapes and their outlines, carets, region
// lookup among many regions and bands too high for one pass.
#include "ui/text/render/token_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>

#include "canvas/recorded_lines.h"
#include "canvas/recording_canvas.h"
#include "support/fixed_advance_font.h"
#include "ui/text/package_test_support.h"
#include "ui/text/syntax/regex_selector_styler.h"
#include "ui/text/syntax/scope_styler.h"
#include "ui/text/token/token_test_support.h"
#include "ui/text/view_settings.h"

namespace {

// Writes its drawText calls to a recording canvas, as the canvas's own
// fonts do, with fixed advances.
class RecordingFixedFont : public FixedAdvanceFont {
public:
    RecordingFixedFont(RecordingCanvas& canvas, std::map<uchar, float> exceptions = {})
        : FixedAdvanceFont(10.f, 10.f, std::move(exceptions)), m_canvas(canvas)
    {
    }
    void drawText(float x, float y, const uchar* first, const uchar* end,
                  const ColourPair& colours, bool) override
    {
        m_canvas.record("text at " + RecordingCanvas::formatNumber(x) + " " +
                        RecordingCanvas::formatNumber(y) + " " +
                        RecordingCanvas::formatText(ustring(first, end)) + " colour " +
                        RecordingCanvas::formatColour(colours.text));
    }

private:
    RecordingCanvas& m_canvas;
};

// Records the text of each drawText call with the red of its background.
class BackgroundRecordingFont : public FixedAdvanceFont {
public:
    BackgroundRecordingFont() : FixedAdvanceFont(10.f, 10.f) {}
    void drawText(float, float, const uchar* first, const uchar* end, const ColourPair& colours,
                  bool) override
    {
        drawn.emplace_back(ustring(first, end), colours.background.red);
    }

    std::vector<std::pair<ustring, float>> drawn;
};

// The number of points of a recorded line strip.
int stripPoints(const std::string& line) { return int(std::count(line.begin(), line.end(), ',')) + 1; }

class TokenRendererTest : public testing::Test {
protected:
    TokenRendererTest() : font(canvas), view(nullptr)
    {
        layout.font = &font;
        layout.tabWidth = 40.f;
        layout.wordWrap = false;
        view.layout = layout;
    }

    void setText(const ustring& text)
    {
        storage.reset(new TokenStorage);
        if (syntax)
            storage->setSyntax(syntax);
        storage->insert(0, text);
    }

    slate::SP<TokenRenderer> makeRenderer(float wrapWidth = 0.f)
    {
        return slate::SP<TokenRenderer>(new TokenRenderer(storage.get(), wrapWidth, layout));
    }

    DrawArguments frame(double top, double bottom)
    {
        DrawArguments args;
        args.canvas = &canvas;
        args.active = true;
        args.band = LayoutBand{0.0, top, 400.0, bottom};
        args.selections = &selections;
        args.settings = &view;
        return args;
    }

    RecordingCanvas canvas;
    RecordingFixedFont font;
    LayoutSettings layout;
    ViewSettings view;
    slate::SP<Syntax> syntax;
    std::unique_ptr<TokenStorage> storage;
    SelectionSet selections;
};

TEST_F(TokenRendererTest, TabsFromAStopAndFromJustBeforeItReachTheNextStop)
{
    struct Case {
        const char* name;
        float leadAdvance; // one unit before the tab, ending where the tab starts
    };
    const Case cases[] = {
        {"exactly two tab widths", 80.f},
        {"two tab widths minus 0.0005", 79.9995f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingFixedFont lead(canvas, {{u'\u00a7', c.leadAdvance}});
        layout.font = &lead;
        view.layout = layout;
        view.drawAllWhiteSpace = true;
        setText(u"\u00a7\tx");
        slate::SP<TokenRenderer> renderer = makeRenderer();
        EXPECT_EQ(renderer->pointAtPosition(2).x, 120.0);
        canvas.clearLines();
        renderer->draw(frame(0, 100));
        // The tab's mark runs from one unit after its start to one before
        // the third stop; the x after it is drawn at the stop.
        const std::vector<std::string> marks = linesStartingWith(canvas, "drawLine");
        ASSERT_FALSE(marks.empty());
        EXPECT_NE(marks.front().find(" 119 5 colour"), std::string::npos) << marks.front();
        EXPECT_EQ(linesStartingWith(canvas, "text at 120 0 \"x\"").size(), 1u);
    }
}

TEST_F(TokenRendererTest, WrappingRules)
{
    syntax = token_test::commentSyntax(); // "if" is a token of its own
    struct Case {
        const char* name;
        const char16_t* text;
        bool wordWrap;
        float wrapWidth;
        std::vector<std::string> runs; // every text run, in drawing order
        double height;
    };
    const Case cases[] = {
        {"wrapping off is unbounded", u"abcdefghijklmnopqrstuvwxyz", false, 50.f,
         {"text at 0 0 \"abcdefghijklmnopqrstuvwxyz\" colour 0 0 0"}, 10.0},
        {"a run ending exactly at the wrap width wraps", u"ab if", true, 50.f,
         {"text at 0 0 \"ab \" colour 0 0 0", "text at 0 10 \"if\" colour 0 0 0"}, 20.0},
        {"a run ending just before it stays", u"ab if", true, 50.5f,
         {"text at 0 0 \"ab \" colour 0 0 0", "text at 30 0 \"if\" colour 0 0 0"}, 10.0},
        {"an over-wide word splits per unit", u"abcdefg", true, 35.f,
         {"text at 0 0 \"a\" colour 0 0 0", "text at 10 0 \"b\" colour 0 0 0",
          "text at 20 0 \"c\" colour 0 0 0", "text at 0 10 \"d\" colour 0 0 0",
          "text at 10 10 \"e\" colour 0 0 0", "text at 20 10 \"f\" colour 0 0 0",
          "text at 0 20 \"g\" colour 0 0 0"},
         30.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        layout.wordWrap = c.wordWrap;
        view.layout = layout;
        setText(c.text);
        slate::SP<TokenRenderer> renderer = makeRenderer(c.wrapWidth);
        EXPECT_EQ(renderer->layoutSize().y, c.height);
        canvas.clearLines();
        renderer->draw(frame(0, 100));
        EXPECT_EQ(linesStartingWith(canvas, "text at"), c.runs);
    }
}

TEST_F(TokenRendererTest, WrappedLinesKeepTheIndentOfTheirLeadingTabs)
{
    layout.wordWrap = true;
    layout.indentSubsequentLines = true;
    setText(u"\t\tabcdefgh");
    slate::SP<TokenRenderer> renderer = makeRenderer(130.f);
    // Two tabs reach 80; "abcdefgh" (80) does not fit after them nor on a
    // whole continuation line from 80, so it breaks unit by unit at 80.
    // "abcd" fill 80 to 120, "efgh" continues from 80.
    EXPECT_EQ(renderer->pointAtPosition(6), (LayoutPoint{120.0, 0.0}));
    EXPECT_EQ(renderer->pointAtPosition(8), (LayoutPoint{100.0, 10.0}));
}

TEST_F(TokenRendererTest, GutterWidthHoldsTheDigitsOfTheLastLineNumber)
{
    struct Case {
        int lines;
        float width;
    };
    const Case cases[] = {{1, 24.f}, {9, 24.f}, {10, 34.f}, {99, 34.f}, {100, 44.f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        ustring text;
        for (int i = 1; i < c.lines; ++i)
            text += u"x\n";
        text += u"x";
        setText(text);
        slate::SP<TokenRenderer> renderer = makeRenderer();
        EXPECT_EQ(renderer->gutterWidth(true), c.width);
        EXPECT_EQ(renderer->gutterWidth(false), 14.f);
    }
}

TEST_F(TokenRendererTest, GutterNumbersEveryLineUpToTheLastAndAnEmptyDocument)
{
    struct Case {
        const char* name;
        const char16_t* text;
        double top;
        std::vector<std::string> numbers;
    };
    const Case cases[] = {
        {"empty document", u"", 0.0, {"text at 14 0 \"1\" colour 0 0 0"}},
        {"last line without a line break", u"a\nb", 0.0,
         {"text at 14 0 \"1\" colour 0 0 0", "text at 14 10 \"2\" colour 0 0 0"}},
        {"empty last line", u"a\n", 0.0,
         {"text at 14 0 \"1\" colour 0 0 0", "text at 14 10 \"2\" colour 0 0 0"}},
        {"scrolled: numbers count the lines above", u"a\nb\nc\nd", 15.0,
         {"text at 14 -5 \"2\" colour 0 0 0", "text at 14 5 \"3\" colour 0 0 0",
          "text at 14 15 \"4\" colour 0 0 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setText(c.text);
        slate::SP<TokenRenderer> renderer = makeRenderer();
        GutterArguments args;
        args.canvas = &canvas;
        args.band = LayoutBand{0.0, c.top, 200.0, c.top + 30.0};
        args.lineNumbers = true;
        args.settings = &view;
        std::fill(view.halfForegroundColour, view.halfForegroundColour + 3, 0.f);
        std::vector<int64_t> highlighted;
        canvas.clearLines();
        renderer->drawGutter(args, highlighted);
        EXPECT_EQ(linesStartingWith(canvas, "text at"), c.numbers);
    }
}

TEST_F(TokenRendererTest, FullyHighlightedLinesListEveryVisualLine)
{
    layout.wordWrap = true;
    setText(u"abcdefgh\nxy");
    slate::SP<TokenRenderer> renderer = makeRenderer(45.f); // "abcd" / "efgh" / "xy"
    const std::vector<int64_t> full{0};
    GutterArguments args;
    args.canvas = &canvas;
    args.band = LayoutBand{0.0, 0.0, 200.0, 100.0};
    args.fullyHighlighted = &full;
    args.settings = &view;
    std::vector<int64_t> highlighted;
    renderer->drawGutter(args, highlighted);
    EXPECT_EQ(highlighted, (std::vector<int64_t>{0, 10}));
}

TEST_F(TokenRendererTest, FullyHighlightedLineTextIsOnTheHighlightWhateverThePadding)
{
    struct Case {
        float paddingTop, paddingBottom;
        double bandTop;
        int line; // of the text "a\nb\n...", highlighted
    } cases[] = {
        {2.f, 3.f, 0.0, 4},
        {0.01f, 0.f, 29.2, 19}, // text y just short of 161 in double, 161 in float
        {0.01f, 0.f, 51.1, 9},
        {0.01f, 0.26f, 14.6, 17},
        {0.01f, 0.26f, 21.9, 7},
    };
    BackgroundRecordingFont recorder;
    layout.font = &recorder;
    std::fill(view.backgroundColour, view.backgroundColour + 3, 1.f);
    std::fill(view.lineHighlightColour, view.lineHighlightColour + 3, 0.5f);
    ustring text;
    for (char16_t c = u'a'; c <= u'z'; ++c)
        text += ustring(1, c) + u"\n";
    setText(text);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.paddingTop << " " << c.paddingBottom << " "
                                        << c.bandTop << " " << c.line);
        layout.linePaddingTop = c.paddingTop;
        layout.linePaddingBottom = c.paddingBottom;
        slate::SP<TokenRenderer> renderer = makeRenderer();
        const std::vector<int64_t> start{2 * c.line};
        GutterArguments gutter;
        gutter.canvas = &canvas;
        gutter.band = LayoutBand{0.0, c.bandTop, 400.0, c.bandTop + 400.0};
        gutter.fullyHighlighted = &start;
        gutter.settings = &view;
        std::vector<int64_t> highlighted;
        renderer->drawGutter(gutter, highlighted);
        DrawArguments args = frame(c.bandTop, c.bandTop + 400.0);
        args.highlightedLines = &highlighted;
        recorder.drawn.clear();
        renderer->draw(args);
        const ustring lineText(1, char16_t(u'a' + c.line));
        for (const auto& [piece, background] : recorder.drawn)
            if (piece != u"\n")
                EXPECT_EQ(background, piece == lineText ? 0.5f : 1.f) << std::string(piece.begin(), piece.end());
    }
}

TEST_F(TokenRendererTest, SelectionShapesAndOutlines)
{
    struct Case {
        const char* name;
        std::vector<SelectionRegion> regions;
        std::vector<int> stripPoints; // one outline per region
        std::vector<int> cornerVertices; // per corner piece, in drawing order
    };
    // "abcdef\nabcdefghij\n": line 1 is 6 wide plus its line break.
    const Case cases[] = {
        {"one line: four bevels, eight points and the closing one", {{1, 3}}, {9}, {3, 3, 3, 3}},
        {"two lines, the second longer on the right",
         {{2, 16}},
         {17},
         // The first line (20 to 70, its line break included) bevels its
         // top, flares its bottom corners into the second (0 to 90), whose
         // corners are all bevels.
         {3, 3, 5, 5, 3, 3, 3, 3}},
        {"adjacent selections stay separate", {{1, 3}, {3, 5}}, {9, 9},
         {3, 3, 3, 3, 3, 3, 3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setText(u"abcdef\nabcdefghij\n");
        slate::SP<TokenRenderer> renderer = makeRenderer();
        selections.clear();
        for (const SelectionRegion& r : c.regions)
            selections.push_back(r);
        canvas.clearLines();
        renderer->draw(frame(0, 100));
        std::vector<int> points;
        for (const std::string& line : linesStartingWith(canvas, "drawLineStrip"))
            points.push_back(stripPoints(line));
        EXPECT_EQ(points, c.stripPoints);
        // Corner pieces in drawing order (top-left, top-right, bottom-right,
        // bottom-left per line), told apart by their vertex counts.
        std::vector<int> corners;
        for (const std::string& line : linesStartingWith(canvas, "drawIndexedTriangles")) {
            const std::string vertices = line.substr(0, line.find(" indices"));
            corners.push_back(int(std::count(vertices.begin(), vertices.end(), ',')) + 1);
        }
        EXPECT_EQ(corners, c.cornerVertices);
    }
}

TEST_F(TokenRendererTest, CaretsAreBarsOrUnderlinesAsWideAsTheirCharacter)
{
    struct Case {
        const char* name;
        bool overwrite;
        bool inverse;
        int64_t caret;
        std::vector<std::string> lines;
    };
    RecordingFixedFont wide(canvas, {{u'W', 30.f}});
    layout.font = &wide;
    view.layout = layout;
    std::fill(view.caretColour, view.caretColour + 3, 0.f);
    const Case cases[] = {
        {"insert mode: a bar two units wide", false, false, 1,
         {"drawLine 10 0 10 10 colour 0 0 0", "drawLine 11 0 11 10 colour 0 0 0"}},
        {"overwrite: as wide as the character", true, false, 1,
         {"drawLine 10 10 40 10 colour 0 0 0", "drawLine 40 11 10 11 colour 0 0 0"}},
        {"inverted insert mode shows underlines", false, true, 1,
         {"drawLine 10 10 40 10 colour 0 0 0", "drawLine 40 11 10 11 colour 0 0 0"}},
        {"at the end of the text: the width of a space", true, false, 3,
         {"drawLine 50 10 60 10 colour 0 0 0", "drawLine 60 11 50 11 colour 0 0 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setText(u"aWb");
        view.inverseCursorState = c.inverse;
        slate::SP<TokenRenderer> renderer = makeRenderer();
        selections.clear();
        selections.push_back(SelectionRegion(c.caret));
        DrawArguments args = frame(0, 100);
        args.overwrite = c.overwrite;
        canvas.clearLines();
        renderer->draw(args);
        EXPECT_EQ(linesStartingWith(canvas, "drawLine"), c.lines);
        // An inactive view shows no caret.
        args.active = false;
        canvas.clearLines();
        renderer->draw(args);
        EXPECT_TRUE(linesStartingWith(canvas, "drawLine").empty());
    }
}

TEST_F(TokenRendererTest, VisibleRegionsAreFoundAmongManyByBinarySearch)
{
    SelectionSet regions;
    for (int64_t i = 0; i < 100000; ++i)
        regions.push_back(SelectionRegion(i * 10, i * 10 + 5));
    struct Case {
        const char* name;
        SelectionRegion visible;
        size_t first;
        size_t last;
    };
    const Case cases[] = {
        {"inside one region", {502, 503}, 50, 51},
        {"a region ending at the start touches", {505, 512}, 50, 52},
        {"between regions", {506, 509}, 51, 51},
        {"a region starting at the end touches", {996000, 996010}, 99600, 99602},
        {"everything", {0, 1000000}, 0, 100000},
        {"past the last", {2000000, 2000010}, 100000, 100000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto [first, last] = visibleRegionIndices(regions, c.visible);
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(last, c.last);
    }
    // Drawing a layer of them walks only the few on screen.
    ustring text;
    for (int i = 0; i < 20000; ++i)
        text += u"abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvw\n";
    setText(text);
    slate::SP<TokenRenderer> renderer = makeRenderer();
    std::vector<RegionLayer> layers(1);
    layers[0].regions = regions;
    DrawArguments args = frame(50005, 50025); // lines 5000 to 5002, 50 units each
    args.layers = &layers;
    canvas.clearLines();
    renderer->draw(args);
    // Regions are 5 units every 10: 5 per 50-unit line, 3 lines.
    EXPECT_EQ(linesStartingWith(canvas, "drawLineStrip").size(), 15u);
}

TEST_F(TokenRendererTest, BandsTallerThanTheLimitAreDrawnInSlices)
{
    ustring text;
    for (int i = 0; i < 4000; ++i)
        text += u"line\n";
    setText(text);
    slate::SP<TokenRenderer> renderer = makeRenderer();
    struct Case {
        double height;
        size_t lines; // lines of the text inside the band
        size_t transforms;
    };
    const Case cases[] = {{30000.0, 3000, 0}, {30000.5, 3001, 3}, {40000.0, 4000, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        canvas.clearLines();
        renderer->draw(frame(0, c.height));
        // Every line is drawn (lines on a slice's edge may be drawn by
        // both slices), the slices moved into place.
        EXPECT_GE(linesStartingWith(canvas, "text at").size(), 2 * c.lines);
        EXPECT_LE(linesStartingWith(canvas, "text at").size(), 2 * c.lines + 8);
        EXPECT_EQ(linesStartingWith(canvas, "setTransform").size(), c.transforms);
    }
    // Text past the first slice lands where it belongs.
    canvas.clearLines();
    renderer->draw(frame(0, 40000));
    const std::vector<std::string> transforms = linesStartingWith(canvas, "setTransform");
    ASSERT_EQ(transforms.size(), 3u);
    EXPECT_NE(transforms[1].find(" 30000 0 1"), std::string::npos) << transforms[1];
}

TEST_F(TokenRendererTest, SquigglesZigzagUpToTheirEndWithAtMost128Points)
{
    struct Case {
        float to;
        int points;
        std::string last;
    };
    const Case cases[] = {
        {7.f, 4, "6 15"}, // 0, 2, 4, 6: up, down, up, down
        {300.f, 128, "300 15"}, // cut at 128 points, the last moved to the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        canvas.clearLines();
        drawSquiggle(canvas, 0.f, 15.f, c.to);
        ASSERT_EQ(canvas.lines().size(), 1u);
        const std::string& line = canvas.lines()[0];
        EXPECT_EQ(stripPoints(line), c.points);
        EXPECT_EQ(line.substr(0, 22), "drawLineStrip 0 13, 2 ");
        EXPECT_NE(line.find(", " + c.last + " texture"), std::string::npos) << line;
    }
}

TEST_F(TokenRendererTest, DebugColoursAlternateByTokenAndBucket)
{
    syntax = token_test::commentSyntax();
    view.drawDebug = true;
    setText(u"if a if b");
    slate::SP<TokenRenderer> renderer = makeRenderer();
    renderer->draw(frame(0, 100));
    // Tokens "if", " ", "a ", "if", " ", "b" in one bucket: even ones
    // cornflowerblue, odd ones deepskyblue, drawn colour by colour.
    const std::string cornflower = " colour 0.392157 0.584314 0.929412";
    const std::string deepsky = " colour 0 0.74902 1";
    EXPECT_EQ(linesStartingWith(canvas, "text at"),
              (std::vector<std::string>{"text at 0 0 \"if\"" + cornflower,
                                        "text at 30 0 \"a \"" + cornflower,
                                        "text at 70 0 \" \"" + cornflower,
                                        "text at 20 0 \" \"" + deepsky,
                                        "text at 50 0 \"if\"" + deepsky,
                                        "text at 80 0 \"b\"" + deepsky}));
}

TEST_F(TokenRendererTest, OwnBackgroundsReachTheBandsEdgeAcrossWrapsAndAfterLineBreaks)
{
    package_test::MemoryPackages packages;
    packages.add(u"Yellow.tmTheme",
                 package_test::plist("<dict><key>settings</key><array>"
                                     "<dict><key>settings</key>" +
                                     package_test::stringDict({{"background", "#FFFFFF"}}) +
                                     "</dict><dict><key>scope</key><string>comment</string>"
                                     "<key>settings</key>" +
                                     package_test::stringDict({{"background", "#FFFF00"}}) +
                                     "</dict></array></dict>"));
    slate::SP<RegexSelectorStyler> scheme(new RegexSelectorStyler);
    scheme->loadFromFile(u"Packages/Yellow.tmTheme");
    syntax = token_test::commentSyntax();
    layout.wordWrap = true;
    view.layout = layout;
    setText(u"/*abcdefgh\n"); // an open comment: its line break is comment too
    storage->setScopeStyler(slate::SP<ScopeStyler>(new ScopeStyler(scheme)));
    slate::SP<TokenRenderer> renderer = makeRenderer(45.f); // "/*ab" / "cdef" / "gh"
    renderer->draw(frame(0, 100));
    const std::vector<std::string> fills = linesStartingWith(canvas, "fillRect");
    for (const char* expected : {
             "fillRect 40 0 400 10 colour 1 1 0", // the first line on to the band's edge
             "fillRect 40 10 400 20 colour 1 1 0", // and the second
             "fillRect 20 20 400 30 colour 1 1 0", // the line break to the band's edge
         }) {
        SCOPED_TRACE(expected);
        EXPECT_NE(std::find(fills.begin(), fills.end(), expected), fills.end());
    }
}

TEST_F(TokenRendererTest, TwoRenderersShareTheStorageUntilBothAreGone)
{
    setText(u"abc\ndef");
    {
        slate::SP<TokenRenderer> first = makeRenderer();
        EXPECT_EQ(storage->m_layoutData.size(), 0u); // claimed lazily
        first->ensureLayout();
        {
            slate::SP<TokenRenderer> second = makeRenderer(20.f);
            second->ensureLayout();
            EXPECT_EQ(storage->m_layoutData.size(), 2u);
            EXPECT_EQ(second->layoutIndex(), 1u);
        }
        EXPECT_EQ(storage->m_layoutData.size(), 1u);
        EXPECT_EQ(first->pointAtPosition(5), (LayoutPoint{10.0, 10.0}));
        EXPECT_EQ(first->positionAtPoint(11.0, 15.0), 5);
    }
    EXPECT_EQ(storage->m_layoutData.size(), 0u);
}

} // namespace
