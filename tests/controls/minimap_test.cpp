// The minimap: its width, its zoom and its scroll that follows the main
// view, the outline of the main viewport, and how presses and drags in it
// scroll the main view.
#include "controls/minimap.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "canvas/util/colour.h"
#include "controls/control_events.h"
#include "controls/text_view_frame.h"
#include "ui/key_codes.h"

namespace {

using control_events::button;
using control_events::motion;
using text_view_test::GridTextCanvas;
using text_view_test::numberedLines;
using text_view_test::Views;

// The minimap's rect; its frame leaves an inner rect of 100 x 400 at (2, 2).
const interval2 kRect(0, 0, 104, 404);

class MinimapTest : public testing::Test {
protected:
    // A buffer of `lines` numbered lines, a main view with a 400 x 400
    // viewport (with `mainOptions`) and a minimap view, neither wrapping nor
    // showing a gutter.
    void open(int lines, const std::string& mainOptions = "", float mainHeight = 400)
    {
        m_views = std::make_unique<Views>(m_canvas, numberedLines(lines));
        m_main = m_views->make("wordWrap false\ngutter false\n" + mainOptions);
        m_minimap = m_views->make("wordWrap false\ngutter false");
        m_main->setViewportSize(400, mainHeight);
    }
    // One frame of the minimap; `focused` gives the main view's text region
    // the focus.
    bool draw(const interval2& rect = kRect, bool focused = false)
    {
        m_canvas.clearLines();
        m_frame.window.focusState()->requestFocus(focused ? RegionId(m_main.get()) : RegionId());
        bool result = false;
        m_frame.window.setDrawFunction([&](InputRegion* root, const interval2&) {
            result = minimap(m_frame.theme(), root, RegionId(m_minimap.get()), rect, m_minimap, m_main);
            return result;
        });
        m_frame.window.draw(true);
        m_frame.window.setDrawFunction(nullptr);
        return result;
    }
    InputRegion* region() { return m_frame.root()->firstChild(); }
    // Where the outline of the main viewport lies for the region's rect.
    interval2 box() { return minimapVisibleRect(*m_minimap, *m_main, kRect); }

    GridTextCanvas m_canvas;
    control_test::TestFrame m_frame{m_canvas};
    std::unique_ptr<Views> m_views;
    slate::SP<TextBufferView> m_main;
    slate::SP<TextBufferView> m_minimap;
};

TEST_F(MinimapTest, ScaleIsAFifthForShortFilesAndApproachesANinthForLongOnes)
{
    struct Case {
        int lines;
        float height;
        float scale;
    };
    const Case cases[] = {{1, 600, 0.2f}, {71, 160, 0.125f}, {10000, 600, 1.f / 9.f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        open(c.lines);
        EXPECT_EQ(minimapScale(c.height, *m_main), c.scale);
    }
}

TEST_F(MinimapTest, ZoomIsAtLeastFourAndTheScrollFollowsTheMainViewInProportion)
{
    // 1000 lines are 16000 high: the main view scrolls 15600, the minimap
    // (a quarter of 16000 in 400) 3600.
    struct Case {
        const char* name;
        int lines;
        float mainWidth;
        double mainTop;
        float zoom;
        double top;
    };
    const Case cases[] = {
        {"a file that fits does not scroll", 20, 400, 100, 4, 0},
        {"a wider main view zooms further", 1000, 800, 0, 8, 0},
        {"half way", 1000, 400, 7800, 4, 1800},
        {"at the end", 1000, 400, 15600, 4, 3600},
        {"scrolled past the end", 1000, 400, 15984, 4, 3600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.lines);
        m_main->setViewportSize(c.mainWidth, 400);
        m_main->setTranslation(0, c.mainTop);
        EXPECT_TRUE(draw());
        EXPECT_EQ(m_minimap->zoom(), c.zoom);
        EXPECT_EQ(m_minimap->translationX(), 0);
        EXPECT_EQ(m_minimap->translationY(), c.top);
    }
}

TEST_F(MinimapTest, OutlineShowsTheMainViewportInPeruWhileFocusedElseGrey)
{
    struct Case {
        bool focused;
        const char* colour;
    };
    for (const Case& c : {Case{true, "Peru"}, Case{false, "Grey"}}) {
        SCOPED_TRACE(c.colour);
        open(100); // 1600 high: the minimap does not scroll
        m_main->setTranslation(0, 800);
        draw(kRect, c.focused);
        float colour[3];
        ASSERT_TRUE(parseColourName(c.colour, colour));
        // The viewport's 400 x 400 at a quarter, 200 down: floored, the far
        // edges one pixel in.
        bool found = false;
        for (const std::string& line : m_canvas.lines())
            found |= line == "drawLineStrip 2 202, 101 202, 101 301, 2 301, 2 202 colour " +
                                 RecordingCanvas::formatColour(Colour(colour));
        EXPECT_TRUE(found) << m_canvas.text();
    }
}

TEST_F(MinimapTest, PressOutsideTheOutlineFollowsTheClickMode)
{
    // 175 lines: the main view scrolls 2400 and the minimap 300, so the
    // joint solve settles inside both ranges. The outline starts at the top,
    // 100 high.
    enum class Anchor { None, Centre, Top };
    struct Case {
        const char* option;
        Anchor anchor;
    };
    const Case cases[] = {
        {"clickToScroll false", Anchor::None},
        {"clickToScroll text", Anchor::Centre},
        {"clickToScroll position", Anchor::Top},
        {"clickToScroll true", Anchor::Top},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        open(175, c.option);
        draw();
        m_frame.platform.drag.reset();
        EXPECT_TRUE(region()->onInputEvent(button(kMouseLeft, true, 50, 150)));
        EXPECT_EQ(m_frame.window.focusState()->m_requested, RegionId(m_main.get()));
        switch (c.anchor) {
        case Anchor::None:
            EXPECT_FALSE(m_frame.platform.drag);
            EXPECT_EQ(m_main->translationY(), 0);
            break;
        case Anchor::Centre: {
            EXPECT_EQ((box().y0 + box().y1) / 2, 150);
            const double top = m_main->translationY();
            m_frame.platform.dragMotion(motion(50, 200, {kMouseLeft}));
            EXPECT_EQ(m_main->translationY(), top);
            break;
        }
        case Anchor::Top:
            EXPECT_EQ(box().y0, 150);
            m_frame.platform.dragMotion(motion(50, 200, {kMouseLeft}));
            EXPECT_EQ(box().y0, 200);
            break;
        }
    }
}

TEST_F(MinimapTest, DraggingTheOutlineScrollsTheMainViewUntilRelease)
{
    open(175);
    draw();
    // Grabbed 40 below its top, the outline keeps its place on the press.
    ASSERT_TRUE(region()->onInputEvent(button(kMouseLeft, true, 50, 40)));
    ASSERT_TRUE(m_frame.platform.drag);
    EXPECT_EQ(m_main->translationY(), 0);
    m_frame.platform.dragMotion(motion(60, 90, {kMouseLeft}));
    EXPECT_EQ(box().y0, 50);
    EXPECT_GT(m_main->translationY(), 0);
    m_frame.platform.dragKey(button(kMouseLeft, false, 60, 90));
    EXPECT_FALSE(m_frame.platform.drag);
}

TEST_F(MinimapTest, MainViewEndsWholeAndInsideItsLimits)
{
    // Lines of 200 units: 2000 wide unwrapped.
    const std::string longLine(200, 'x');
    struct Case {
        const char* name;
        bool wrap;
        float x;
        float y;
        double left; // -1: the main view's largest offset
        double top;  // -1: the main view's largest offset
    };
    const Case cases[] = {
        {"centred on the pointer", false, 100.5f, 150.3f, 202, 401},
        {"before the start", false, 10, 10, 0, 0},
        {"past the end", false, 1000, 5000, -1, -1},
        {"a wrapping view never scrolls sideways", true, 100, 150, 0, 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_views = std::make_unique<Views>(m_canvas, toUstring(longLine + "\n" + longLine) + numberedLines(200));
        m_main = m_views->make(c.wrap ? "gutter false" : "wordWrap false\ngutter false");
        m_main->setLayoutWidth(400);
        m_main->setViewportSize(400, 400);
        m_minimap = m_views->make("wordWrap false\ngutter false");
        m_minimap->setZoom(4);
        scrollFromMinimap(kRect, m_minimap.get(), m_main.get(), c.x, c.y, 0, 0, false);
        const LayoutPoint limit = m_main->maxTranslation();
        EXPECT_EQ(m_main->translationX(), c.left < 0 ? limit.x : c.left);
        EXPECT_EQ(m_main->translationY(), c.top < 0 ? limit.y : c.top);
    }
}

// A narrow window leaves the minimap no inner width; a press in it must
// still leave the main view somewhere it can draw.
TEST_F(MinimapTest, MinimapWithoutInnerWidthKeepsTheMainViewDrawable)
{
    open(175, "clickToScroll true");
    m_main->setTranslation(0, 100);
    const interval2 rect(0, 0, 4, 404);
    draw(rect);
    EXPECT_EQ(m_minimap->zoom(), 4);
    region()->onInputEvent(button(kMouseLeft, true, 0, 200));
    const LayoutPoint limit = m_main->maxTranslation();
    EXPECT_GE(m_main->translationX(), 0);
    EXPECT_LE(m_main->translationX(), limit.x);
    EXPECT_GE(m_main->translationY(), 0);
    EXPECT_LE(m_main->translationY(), limit.y);
}

// On a tall window the minimap's band is higher than the renderer draws in
// one pass (8000 pixels at a zoom of 4 are 32000 units); it must still show
// every line of it, at its true scale.
TEST_F(MinimapTest, TallMinimapDrawsEveryLineOfItsBand)
{
    open(4000, "", 8000);
    ASSERT_TRUE(draw(interval2(0, 0, 104, 8004)));
    ASSERT_EQ(m_minimap->zoom(), 4);
    std::set<std::string> drawn;
    for (const std::string& line : m_canvas.lines()) {
        const size_t quote = line.find('"');
        if (line.rfind("text at", 0) == 0 && quote != std::string::npos)
            drawn.insert(line.substr(quote + 1, line.size() - quote - 2));
    }
    for (int i = 0; i < 2000; ++i)
        EXPECT_TRUE(drawn.count("line" + std::to_string(i))) << i;
}

} // namespace
