// Views on a grid font (every unit 10 wide, lines 16 high): the buffer's view
// list, geometry, scroll limits, status texts, renderer sharing, bracket and
// named-region highlighting, drawing through the recording canvas, and the
// life of the listener a view hangs on its options.
#include "ui/text/text_buffer_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "canvas/recorded_lines.h"
#include "ui/text/assertion_recorder.h"
#include "ui/text/selection_printers.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"
#include "ui/unicode.h"

using slate::SP;

namespace {

using view_test::makeBuffer;
using view_test::optionsFrom;
using view_test::setOf;

void select(TextBufferView& view, const std::vector<SelectionRegion>& regions)
{
    view.mutableSel() = setOf(regions);
}

std::vector<float> colour(const float c[3]) { return {c[0], c[1], c[2]}; }

class TextBufferViewTest : public testing::Test {
protected:
    // A view of `text` with `options` as its options node.
    SP<TextBufferView> viewWith(const ustring& text, const SP<Options>& options)
    {
        buffer = makeBuffer(text);
        SP<TextBufferView> view = buffer->createView(&canvas);
        view->setOptions(options);
        return view;
    }

    // A view of `text` that does not wrap, with `options` added.
    SP<TextBufferView> viewOf(const ustring& text, const std::string& options = "")
    {
        return viewWith(text, optionsFrom("wordWrap false\n" + options));
    }

    GridRecordingCanvas canvas;
    SP<TextBuffer> buffer;
};

TEST_F(TextBufferViewTest, BufferListsItsViewsInCreationOrderUntilTheyDie)
{
    buffer = makeBuffer(u"text");
    SP<TextBufferView> first = buffer->createView(&canvas);
    SP<TextBufferView> second = buffer->createView(&canvas);
    SP<TextBufferView> third = buffer->createView(&canvas);
    EXPECT_NE(first->id(), second->id());
    EXPECT_EQ(buffer->views(), (std::vector<TextBufferView*>{first.get(), second.get(), third.get()}));

    second.reset();
    EXPECT_EQ(buffer->views(), (std::vector<TextBufferView*>{first.get(), third.get()}));
    first.reset();
    third.reset();
    EXPECT_TRUE(buffer->views().empty());
    EXPECT_TRUE(buffer->viewStates().empty());
}

TEST_F(TextBufferViewTest, WindowAndLayoutCoordinatesFollowZoomAndTranslation)
{
    struct Case {
        float zoom;
        double tx, ty;
        double x, y;
        LayoutPoint toLayout;
        LayoutPoint toWindow;
    };
    const Case cases[] = {
        {1.f, 0, 0, 5, 7, {5, 7}, {5, 7}},
        {2.f, 10, 0, 5, 0, {30, 0}, {-2.5, 0}},
        {2.f, 10, 0, 30, 0, {80, 0}, {10, 0}},
        {0.5f, 4, 8, 2, 2, {3, 5}, {-4, -12}},
    };
    SP<TextBufferView> view = viewOf(u"text");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom << " at " << c.x << "," << c.y);
        view->setZoom(c.zoom);
        view->setTranslation(c.tx, c.ty);
        EXPECT_EQ(view->windowToLayout(c.x, c.y), c.toLayout);
        EXPECT_EQ(view->layoutToWindow(c.x, c.y), c.toWindow);
    }
}

TEST_F(TextBufferViewTest, ScrollOffsetsSetOneByOneStayWhole)
{
    SP<TextBufferView> view = viewOf(u"text");
    view->setTranslationX(12.9);
    view->setTranslationY(-0.5);
    EXPECT_EQ(view->translationX(), 12.0);
    EXPECT_EQ(view->translationY(), -1.0);
}

TEST_F(TextBufferViewTest, PositionsAtWindowPointsAndTheVisibleRegion)
{
    SP<TextBufferView> view = viewOf(u"a\nb\nc\nd\ne");
    view->setViewportSize(100.f, 31.f);
    view->setTranslation(0, 16);
    EXPECT_EQ(view->visibleRegion(), SelectionRegion(2, 5));
    EXPECT_EQ(view->positionAtWindowPoint(vector2{1.f, 20.f}), 4); // layout y 36: "c"
    EXPECT_EQ(view->textToLayout(4), (LayoutPoint{0, 32}));
    EXPECT_EQ(view->layoutToText({0, 32}), 4);
    EXPECT_EQ(view->lineHeight(), 16.0);
}

TEST_F(TextBufferViewTest, ScrollLimitsAndOverhang)
{
    // "abcdefghij" and its line end are 110 wide; three lines are 48 high.
    // 'M' is 10 wide, so the horizontal limit keeps 20 beyond the widest
    // line.
    struct Case {
        const char* options;
        float width, height;
        LayoutPoint limit;
        LayoutPoint overhang;
    };
    const Case cases[] = {
        {"", 50, 20, {80, 32}, {80, 28}},
        {"scrollPastEnd false", 50, 20, {80, 28}, {80, 28}},
        {"scrollPastEnd false", 50, 0, {80, 0}, {80, 48}},
        {"scrollPastEnd false", 200, 100, {0, 0}, {0, 0}},
        // Centred: the 110 wide text in a 200 wide viewport sits 45 in.
        {"drawCentered true", 200, 100, {45, 32}, {0, 0}},
        // Centred on a wrap width of 12 'm's (120) in 200: 40 in.
        {"drawCentered true\nwrapWidth 12", 200, 100, {40, 32}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.options << " in " << c.width << "x" << c.height);
        SP<TextBufferView> view = viewOf(u"abcdefghij\nab\nabc", c.options);
        view->setViewportSize(c.width, c.height);
        EXPECT_EQ(view->maxTranslation(), c.limit);
        EXPECT_EQ(view->contentOverhang(), c.overhang);
    }
}

TEST_F(TextBufferViewTest, StatusTextDescribesTheSelectionAndTheSnippetField)
{
    struct Case {
        std::vector<SelectionRegion> selection;
        uint32_t fieldGroups;
        const char16_t* text;
    };
    // Rows: "abcdefgh" 0-8, "ij" 9-11, "klmnopqrstuvwxyz" 12-28.
    const Case cases[] = {
        {{SelectionRegion(0)}, 1, u"Line 1, Column 1"},
        {{SelectionRegion(11)}, 1, u"Line 2, Column 3"},
        {{{1, 6}}, 1, u"5 characters selected"},
        {{{18, 13}}, 1, u"5 characters selected"},
        {{{4, 16}}, 1, u"3 lines, 12 characters selected"},
        {{SelectionRegion(1), SelectionRegion(3), {5, 7}}, 1, u"3 selection regions"},
        {{}, 1, u"0 selection regions"},
        {{SelectionRegion(0)}, 3, u"Line 1, Column 1 - Field 1 of 3"},
        {{{1, 6}}, 2, u"5 characters selected - Field 1 of 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        SP<TextBufferView> view = viewOf(u"abcdefgh\nij\nklmnopqrstuvwxyz");
        select(*view, c.selection);
        if (c.fieldGroups > 1)
            view->viewState().mutableTrackedRegions().addFieldPair(c.fieldGroups - 1, {0, 0});
        EXPECT_EQ(view->statusText(), c.text);
    }
}

TEST_F(TextBufferViewTest, ViewsThatLayTheTextOutAlikeShareARenderer)
{
    buffer = makeBuffer(u"some text");
    SP<TextBufferView> first = buffer->createView(&canvas);
    SP<TextBufferView> second = buffer->createView(&canvas);
    EXPECT_EQ(first->renderer(), second->renderer());

    // Wrapping at the layout width: a new width is a new layout.
    second->setLayoutWidth(300.f);
    EXPECT_NE(first->renderer(), second->renderer());
    EXPECT_EQ(second->renderer()->wrapWidth(), 300.f);
    first->setLayoutWidth(300.f);
    EXPECT_EQ(first->renderer(), second->renderer());

    // Options that change the layout part ways; equal ones join again.
    first->setOptions(optionsFrom("tabSize 8"));
    EXPECT_NE(first->renderer(), second->renderer());
    second->setOptions(optionsFrom("tabSize 8"));
    EXPECT_EQ(first->renderer(), second->renderer());

    // Settings outside the layout do not matter.
    first->setOptions(optionsFrom("tabSize 8\nlineNumbers true"));
    EXPECT_EQ(first->renderer(), second->renderer());
}

// A recording canvas of another window: its fonts are its own objects, and
// every unit advances by `advance`.
class AdvanceCanvas : public RecordingCanvas {
public:
    explicit AdvanceCanvas(float advance) : m_advance(advance) {}

protected:
    UnicodeFont* createFont(const ustring&, const ustring&, int, int) override
    {
        return new FixedAdvanceFont(m_advance, GridRecordingCanvas::kLineHeight);
    }

private:
    float m_advance;
};

// One buffer shown in two windows, or beside its minimap: each view lays the
// text out and draws it in its own font, before and after edits, and a view
// in a third font still does once the first font's view has gone.
TEST_F(TextBufferViewTest, ViewsInDifferentFontsLayOneBufferOutSideBySide)
{
    AdvanceCanvas narrow(6.f);
    AdvanceCanvas third(8.f);
    buffer = makeBuffer(u"int x;\nreturn x + 1;");
    SP<TextBufferView> wide = buffer->createView(&canvas);
    SP<TextBufferView> small = buffer->createView(&narrow);
    struct Shown {
        SP<TextBufferView>* view;
        RecordingCanvas* canvas;
        float advance;
    };
    std::vector<Shown> shown = {{&wide, &canvas, GridRecordingCanvas::kAdvance}, {&small, &narrow, 6.f}};
    // `longest` units in the widest line (its line end takes one); the caret
    // after `column` units of the first line.
    auto expectLaidOut = [&](const char* when, int longest, int64_t column) {
        for (const Shown& s : shown) {
            SCOPED_TRACE(std::string(when) + ", advance " + std::to_string(s.advance));
            TextBufferView& view = **s.view;
            view.setOptions(optionsFrom("wordWrap false"));
            view.setViewportSize(400.f, 100.f);
            EXPECT_EQ(view.layoutExtent().x, longest * s.advance);
            EXPECT_EQ(view.textToLayout(column).x, column * s.advance);
            select(view, {SelectionRegion(column)});
            ViewFrame frame;
            frame.active = true;
            s.canvas->clearLines();
            view.draw(s.canvas, frame);
            const std::string caret = "drawLine " + RecordingCanvas::formatNumber(column * s.advance) + " 0 ";
            const std::vector<std::string> carets = linesStartingWith(*s.canvas, caret);
            EXPECT_FALSE(carets.empty()) << "no caret at " << caret;
        }
    };
    expectLaidOut("at first", 13, 4);
    buffer->insertCharacters(0, u"unsigned ");
    // The first line is the widest now, counting its line end.
    expectLaidOut("after an insertion", 16, 13);
    buffer->eraseCharacters(SelectionRegion(0, 9));
    expectLaidOut("after an erasure", 13, 4);

    wide.reset();
    SP<TextBufferView> other = buffer->createView(&third);
    shown = {{&small, &narrow, 6.f}, {&other, &third, 8.f}};
    expectLaidOut("in a third font", 13, 4);
}

TEST_F(TextBufferViewTest, LayoutWidthOnlyMattersWhenWrappingAtIt)
{
    struct Case {
        const char* options;
        float wrapWidth; // of the renderer after the change
    };
    const Case cases[] = {
        {"wordWrap true", 120.f},
        {"wordWrap false", 0.f},
        {"wordWrap true\nwrapWidth 20", 200.f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        SP<TextBufferView> view = viewWith(u"some text", optionsFrom(c.options));
        view->setLayoutWidth(120.f);
        EXPECT_EQ(view->renderer()->wrapWidth(), c.wrapWidth);
    }
}

TEST_F(TextBufferViewTest, TurningWordWrapOnScrollsToTheLeftEdge)
{
    SP<Options> options = optionsFrom("wordWrap false");
    SP<TextBufferView> view = viewWith(u"text", options);
    view->setTranslation(40, 30);

    options->set("lineNumbers", u"true");
    options->notifyChanged();
    EXPECT_EQ(view->translationX(), 40.0);

    options->set("wordWrap", u"true");
    options->notifyChanged();
    EXPECT_EQ(view->translationX(), 0.0);
    EXPECT_EQ(view->translationY(), 30.0);

    view->setTranslation(40, 30);
    options->set("wordWrap", u"false");
    options->notifyChanged();
    EXPECT_EQ(view->translationX(), 40.0);
}

TEST_F(TextBufferViewTest, ContrastColourStandsOutOnTheColour)
{
    struct Case {
        std::vector<float> in;
        std::vector<float> out;
    };
    const Case cases[] = {
        {{0.5f, 0.4f, 0.6f}, {1, 1, 1}},
        {{0.35f, 0.35f, 0.35f}, {1, 1, 1}},
        {{0.5f, 0.2f, 0.5f}, {0.5f, 0.8f, 0.5f}},
        {{0.65f, 0.5f, 0.5f}, {1 - 0.65f, 0.5f, 0.5f}},
        {{0, 0, 0}, {1, 1, 1}},
        {{1, 1, 1}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in[0] << " " << c.in[1] << " " << c.in[2]);
        float out[3];
        TextBufferView::contrastColour(c.in.data(), out);
        EXPECT_EQ(colour(out), c.out);
    }
}

TEST_F(TextBufferViewTest, BracketsAreHighlightedAroundOrNextToASingleCaret)
{
    // "x(ab)y": the pair is (1, 5).
    struct Case {
        const char* options;
        std::vector<SelectionRegion> selection;
        SelectionRegion expected;
    };
    const Case cases[] = {
        {"", {SelectionRegion(1)}, {1, 5}},
        {"", {SelectionRegion(3)}, {1, 5}},
        {"", {SelectionRegion(0)}, {0, 0}},
        {"matchBracketsContent false", {SelectionRegion(1)}, {1, 5}},
        {"matchBracketsContent false", {SelectionRegion(2)}, {1, 5}},
        {"matchBracketsContent false", {SelectionRegion(3)}, {0, 0}},
        {"matchBracketsContent false", {SelectionRegion(4)}, {1, 5}},
        {"matchBracketsContent false", {SelectionRegion(5)}, {1, 5}},
        {"matchBrackets false", {SelectionRegion(2)}, {0, 0}},
        {"", {{2, 3}}, {0, 0}},
        {"", {SelectionRegion(2), SelectionRegion(4)}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.options << " caret " << c.selection[0].b);
        SP<TextBufferView> view = viewOf(u"x(ab)y", c.options);
        select(*view, c.selection);
        EXPECT_EQ(view->bracketRegion(), c.expected);
    }
}

TEST_F(TextBufferViewTest, NamedRegionsBecomeHighlightLayers)
{
    SP<TextBufferView> view = viewOf(u"0123456789");
    ViewState& state = view->viewState();
    auto add = [&](const char16_t* name, const char16_t* scope, uint32_t flags,
                   std::vector<SelectionRegion> regions) {
        NamedRegions& named = state.namedRegions(buffer->internRegionName(name));
        named.scope = scope ? buffer->internRegionName(scope) : nullptr;
        named.flags = flags;
        named.regions = setOf(regions);
    };
    add(u"a.caret", u"", NamedRegions::DRAW_CARET_COLOUR | NamedRegions::DRAW_OUTLINED,
        {{1, 2}});
    add(u"b.empty", u"string", 0, {});
    add(u"c.noScope", nullptr, 0, {{1, 2}});
    add(u"d.blank", u"", 0, {{1, 2}});
    add(u"e.scoped", u"comment",
        NamedRegions::RENDERER_FLAG_8 | NamedRegions::DRAW_EMPTY_AS_OVERWRITE |
            NamedRegions::HIDE_ON_MINIMAP,
        {SelectionRegion(3), {5, 7}});

    // The map is ordered by the interned names' addresses: find each layer
    // by what it holds.
    const std::vector<RegionLayer> full = view->highlightLayers(false);
    ASSERT_EQ(full.size(), 2u);
    const bool caretFirst = full[0].regions == setOf({{1, 2}});
    const RegionLayer& caretLayer = full[caretFirst ? 0 : 1];
    const RegionLayer& scopedLayer = full[caretFirst ? 1 : 0];
    const float* caret = view->settings().caretColour;
    EXPECT_EQ(colour(caretLayer.style.foreground), colour(caret));
    // The outline is drawn from the background: it must not stay white.
    EXPECT_EQ(colour(caretLayer.style.background), colour(caret));
    EXPECT_FALSE(caretLayer.style.backgroundIsDefault);
    EXPECT_FALSE(caretLayer.filled);
    EXPECT_FALSE(caretLayer.drawMarks);
    EXPECT_EQ(caretLayer.regions, setOf({{1, 2}}));

    // No styler: the scope's colour is the plain style's black.
    EXPECT_EQ(colour(scopedLayer.style.background), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(colour(scopedLayer.style.foreground), (std::vector<float>{1, 1, 1}));
    EXPECT_FALSE(scopedLayer.style.backgroundIsDefault);
    EXPECT_TRUE(scopedLayer.regionPass);
    EXPECT_TRUE(scopedLayer.marksOnNonEmpty);
    EXPECT_TRUE(scopedLayer.drawMarks);
    EXPECT_TRUE(scopedLayer.underlineMarks);
    EXPECT_TRUE(scopedLayer.outlined);
    EXPECT_TRUE(scopedLayer.filled);

    // Reduced: the caret-coloured layer is filled in the caret colour, and
    // the one hidden on the minimap goes.
    const std::vector<RegionLayer> scaled = view->highlightLayers(true);
    ASSERT_EQ(scaled.size(), 1u);
    EXPECT_TRUE(scaled[0].filled);
    EXPECT_EQ(colour(scaled[0].style.background), colour(caret));
    float contrast[3];
    TextBufferView::contrastColour(caret, contrast);
    EXPECT_EQ(colour(scaled[0].style.foreground), colour(contrast));
    EXPECT_FALSE(scaled[0].style.backgroundIsDefault);
}

TEST_F(TextBufferViewTest, DrawingUnderlinesTheBracketsOfAnActiveView)
{
    SP<TextBufferView> view = viewOf(u"x(ab)y");
    view->setViewportSize(200.f, 100.f);
    select(*view, {SelectionRegion(2)});
    const std::string brackets =
        " colour " + RecordingCanvas::formatColour(view->settings().bracketsColour);

    ViewFrame frame;
    frame.active = true;
    view->draw(&canvas, frame);
    // Under "(" at 10 and ")" at 40, one unit below the 16 high line, then
    // the caret bar at 20.
    const std::string caret =
        " colour " + RecordingCanvas::formatColour(view->settings().caretColour);
    const std::vector<std::string> expected = {
        "drawLine 11 17 21 17" + brackets, "drawLine 41 17 51 17" + brackets,
        "drawLine 20 0 20 16" + caret, "drawLine 21 0 21 16" + caret};
    EXPECT_EQ(linesStartingWith(canvas, "drawLine"), expected);

    canvas.clearLines();
    frame.active = false;
    view->draw(&canvas, frame);
    EXPECT_TRUE(linesStartingWith(canvas, "drawLine").empty());
}

TEST_F(TextBufferViewTest, GutterHighlightsTheCaretLines)
{
    SP<TextBufferView> view = viewOf(u"a\nb\nc\nd", "highlightLine true");
    view->setViewportSize(200.f, 100.f);
    select(*view, {SelectionRegion(2), {4, 7}});
    std::vector<int64_t> highlighted;
    view->drawGutter(&canvas, ViewFrame(), highlighted);
    // Only the caret's line (the second) is highlighted across the view.
    EXPECT_EQ(highlighted, std::vector<int64_t>{16});

    highlighted.clear();
    SP<TextBufferView> plain = viewOf(u"a\nb\nc\nd", "highlightLine false");
    plain->setViewportSize(200.f, 100.f);
    select(*plain, {SelectionRegion(2)});
    plain->drawGutter(&canvas, ViewFrame(), highlighted);
    EXPECT_TRUE(highlighted.empty());
}

TEST_F(TextBufferViewTest, ClonedViewsShareOneSelection)
{
    buffer = makeBuffer(u"0123456789");
    SP<TextBufferView> first = buffer->createView(&canvas);
    SP<TextBufferView> second = buffer->createView(&canvas);
    second->shareViewState(*first);
    select(*first, {{2, 4}});
    EXPECT_EQ(second->sel(), setOf({{2, 4}}));
    first.reset();
    EXPECT_EQ(second->sel(), setOf({{2, 4}}));

    AssertionRecorder recorder;
    SP<TextBuffer> other = makeBuffer(u"x");
    SP<TextBufferView> stranger = other->createView(&canvas);
    EXPECT_THROW(stranger->shareViewState(*second), AssertionHit);
}

TEST_F(TextBufferViewTest, ActivationRunsTheListenersInOrder)
{
    SP<TextBufferView> view = viewOf(u"text");
    std::string calls;
    view->addActivatedListener([&] { calls += "1"; });
    view->addActivatedListener([&] { calls += "2"; });
    view->activate();
    EXPECT_EQ(calls, "12");

    view->addActivatedListener(TextBufferView::ActivatedListener());
    EXPECT_THROW(view->activate(), std::bad_function_call);
}

// A view's options may be held by others (a plug-in, a parent chain) long
// after the view is gone; notifying them must never reach the dead view.
TEST_F(TextBufferViewTest, OptionsThatOutliveTheirViewNeverCallIt)
{
    SP<Options> options = optionsFrom("wordWrap false");
    SP<TextBufferView> view = viewWith(u"text", options);
    view.reset();
    options->set("lineNumbers", u"true");
    options->notifyChanged();

    SP<Options> parent = optionsFrom("");
    SP<Options> child = optionsFrom("");
    child->addParent(parent);
    view = buffer->createView(&canvas);
    view->setOptions(child);
    view.reset();
    parent->notifyChanged();
}

// A listener that runs before the view's in the same notification and
// closes the view: the notification goes on from a copy of the list, which
// still holds the view's listener.
TEST_F(TextBufferViewTest, AViewClosedDuringANotificationIsNotCalled)
{
    SP<Options> options = optionsFrom("wordWrap false");
    buffer = makeBuffer(u"text");
    SP<TextBufferView> view = buffer->createView(&canvas);
    options->addListener([&view] { view.reset(); });
    view->setOptions(options);
    options->set("lineNumbers", u"true");
    options->notifyChanged();
    EXPECT_FALSE(view);
    EXPECT_TRUE(buffer->views().empty());
}

TEST_F(TextBufferViewTest, ReplacedOptionsNoLongerApply)
{
    SP<Options> old = optionsFrom("wordWrap false");
    buffer = makeBuffer(u"text");
    SP<TextBufferView> view = buffer->createView(&canvas);
    view->setOptions(old);
    view->setOptions(optionsFrom("wordWrap false"));
    old->set("lineNumbers", u"true");
    old->notifyChanged();
    EXPECT_FALSE(view->settings().lineNumbers);
}

} // namespace
