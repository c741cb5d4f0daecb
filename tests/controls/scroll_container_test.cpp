#include <gtest/gtest.h>

#include "canvas/recording_canvas.h"
#include "canvas/software_canvas.h"
#include "controls/control_events.h"
#include "controls/control_test_window.h"
#include "controls/scroll_container.h"
#include "support/golden_drawing.h"

namespace {

using control_events::button;
using control_events::motion;
using control_events::wheel;
using control_test::TestFrame;

class ScrollContainerTest : public testing::Test {
protected:
    ScrollContainerTest() { m_frame.theme().scrollbarCrossExtent = 15; }

    // One frame of a container over `rect`; returns the content rect.
    interval2 drawContainer(const interval2& rect, float width, float height, float stepX = 8, float stepY = 10)
    {
        interval2 content;
        m_canvas.clearLines();
        m_frame.frame([&](InputRegion* root) {
            return scrollContainer(m_frame.theme(), root, rect, width, height, &m_offset, stepX, stepY,
                                   [&](Theme&, InputRegion*, const interval2& view, float, float) {
                                       content = view;
                                       return true;
                                   });
        });
        return content;
    }
    InputRegion* container() { return m_frame.root()->firstChild(); }
    // The bar region of the container with index 1 (vertical) or 2.
    InputRegion* bar(int index)
    {
        for (InputRegion* child = container()->firstChild(); child; child = child->nextSibling())
            if (child->id().index == index)
                return child;
        return nullptr;
    }

    RecordingCanvas m_canvas;
    TestFrame m_frame{m_canvas};
    vector2 m_offset;
};

TEST_F(ScrollContainerTest, WideContentNeedsBothBarsAndLeavesTheCornerFree)
{
    const ScrollbarsNeeded needs = scrollbarsNeeded(m_frame.theme(), interval2(0, 0, 100, 100), 120, 90);
    EXPECT_TRUE(needs.vertical);
    EXPECT_TRUE(needs.horizontal);
    const ScrollbarLayout layout = scrollbarLayout(m_frame.theme(), interval2(0, 0, 100, 100), true, true);
    EXPECT_EQ(layout.content, interval2(0, 0, 85, 85));
    EXPECT_EQ(layout.verticalBar, interval2(85, 0, 100, 85));
    EXPECT_EQ(layout.horizontalBar, interval2(0, 85, 85, 100));

    EXPECT_EQ(drawContainer(interval2(0, 0, 100, 100), 120, 90), interval2(0, 0, 85, 85));
    ASSERT_TRUE(bar(1));
    ASSERT_TRUE(bar(2));
    for (const interval2& bar : {bar(1)->rect(), bar(2)->rect()})
        EXPECT_FALSE(bar.contains(90, 90));
}

TEST_F(ScrollContainerTest, SmallContentHasNoBarsAndResetsTheOffset)
{
    m_offset = {30, 40};
    EXPECT_EQ(drawContainer(interval2(0, 0, 100, 100), 100, 100), interval2(0, 0, 100, 100));
    EXPECT_FALSE(bar(1));
    EXPECT_FALSE(bar(2));
    EXPECT_EQ(m_offset.x, 0);
    EXPECT_EQ(m_offset.y, 0);
}

TEST_F(ScrollContainerTest, OffsetPastTheContentIsClampedBeforeDrawing)
{
    struct Case {
        vector2 offset;
        vector2 clamped;
    };
    const Case cases[] = {{{0, 1000}, {0, 200}}, {{-5, -7}, {0, 0}}, {{0, 50}, {0, 50}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset.y);
        m_offset = c.offset;
        drawContainer(interval2(0, 0, 100, 100), 50, 300);
        EXPECT_EQ(m_offset.x, c.clamped.x);
        EXPECT_EQ(m_offset.y, c.clamped.y);
    }
}

TEST(ScrollbarPuck, NeverShorterThanTheMinimum)
{
    struct Case {
        double visible;
        double maximum;
        double position;
        interval2 puck;
    };
    const interval2 track(0, 0, 16, 200);
    const Case cases[] = {
        {100, 900, 0, {0, 0, 16, 20}},
        {100, 9900, 0, {0, 0, 16, 20}},
        {100, 9900, 9900, {0, 180, 16, 200}},
        {100, 100, 50, {0, 50, 16, 150}},
        {100, 0, 0, {0, 0, 16, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maximum);
        EXPECT_EQ(verticalPuckRect(track, c.position, c.visible, c.maximum, minimumPuckLength), c.puck);
    }
    EXPECT_EQ(horizontalPuckRect(interval2(0, 0, 200, 16), 0, 100, 900, minimumPuckLength),
              interval2(0, 0, 20, 16));
}

TEST_F(ScrollContainerTest, PageClicksMoveByTheVisibleExtentWithinRange)
{
    struct Case {
        float start;
        float clickY;
        float after;
    };
    // Content 300 high in a view of 100: maximum 200, the puck a third of
    // the track.
    const Case cases[] = {
        {0, 90, 100},    // below the puck
        {150, 90, 200},  // never past the maximum
        {150, 5, 50},    // above the puck
        {50, 5, 0},      // never above 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        m_offset = {0, c.start};
        drawContainer(interval2(0, 0, 100, 100), 50, 300);
        ASSERT_TRUE(bar(1));
        EXPECT_TRUE(bar(1)->onInputEvent(button(kMouseLeft, true, 90, c.clickY)));
        EXPECT_EQ(m_offset.y, c.after);
    }
}

TEST_F(ScrollContainerTest, DraggingThePuckScrollsProportionally)
{
    drawContainer(interval2(0, 0, 100, 100), 50, 300);
    ASSERT_TRUE(bar(1)->onInputEvent(button(kMouseLeft, true, 90, 10))); // the puck is 0..33
    ASSERT_TRUE(m_frame.platform.drag);
    m_frame.platform.dragMotion(motion(90, 43, {kMouseLeft}));
    EXPECT_NEAR(m_offset.y, 33 * 200 / 67.0, 0.01);
    m_frame.platform.dragMotion(motion(90, -80, {kMouseLeft}));
    EXPECT_EQ(m_offset.y, 0);
    m_frame.platform.dragMotion(motion(90, 500, {kMouseLeft}));
    EXPECT_EQ(m_offset.y, 200);
    m_frame.platform.dragMotion(motion(90, 500));
    EXPECT_FALSE(m_frame.platform.drag);
}

TEST_F(ScrollContainerTest, DoubleClicksOnABarAreSwallowedAndAMiddlePressOnlyFocuses)
{
    drawContainer(interval2(0, 0, 100, 100), 50, 300);
    InputRegion* vertical = bar(1);
    EXPECT_TRUE(vertical->onInputEvent(button(kMouseDoubleClick, true, 90, 50)));
    EXPECT_FALSE(vertical->onInputEvent(button(kMouseMiddle, true, 90, 50)));
    EXPECT_FALSE(vertical->onInputEvent(button(kMouseLeft, false, 90, 50)));
    EXPECT_EQ(m_offset.y, 0);
}

TEST_F(ScrollContainerTest, AHorizontalBarPagesAndMovesTheFocusItIsGiven)
{
    int focusTarget = 0;
    const RegionId focusId(&focusTarget);
    double position = 50;
    m_frame.frame([&](InputRegion* root) {
        return horizontalScrollbar(m_frame.theme(), root, RegionId(&position), interval2(0, 0, 200, 16), position,
                                   100, 200, [&](double p) { position = p; }, focusId);
    });
    EXPECT_EQ(m_canvas.lines().back(), "shader scrollbar.hpuck 33 0 100 16");
    InputRegion* bar = m_frame.root()->firstChild();
    EXPECT_FALSE(bar->onInputEvent(button(kMouseMiddle, true, 150, 8)));
    EXPECT_EQ(m_frame.window.focusState()->m_requested, focusId);
    m_frame.window.focusState()->requestFocus(RegionId());
    EXPECT_TRUE(bar->onInputEvent(button(kMouseLeft, true, 150, 8)));
    EXPECT_EQ(position, 150);
    EXPECT_EQ(m_frame.window.focusState()->m_requested, focusId);
}

TEST_F(ScrollContainerTest, WheelScrollsByStepsPagesAndSidewaysWithControl)
{
    struct Case {
        const char* name;
        MotionEvent event;
        bool handled;
        vector2 offset;
    };
    const Case cases[] = {
        {"plain motion passes on", motion(10, 10), false, {100, 100}},
        {"one line down", wheel(10, 10, -1), true, {100, 110}},
        {"control turns it sideways", wheel(10, 10, -1, 0, false, {kKeyRightControl}), true, {108, 100}},
        {"a page is the whole steps that fit", wheel(10, 10, -1, 0, true), true, {100, 190}},
        {"a horizontal page", wheel(10, 10, 0, 1, true), true, {4, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_offset = {100, 100};
        drawContainer(interval2(0, 0, 100, 95), 1000, 1000);
        m_offset = {100, 100};
        EXPECT_EQ(container()->onMotion(c.event), c.handled);
        EXPECT_EQ(m_offset.x, c.offset.x);
        EXPECT_EQ(m_offset.y, c.offset.y);
    }
}

TEST_F(ScrollContainerTest, AnAxisWithoutStepIgnoresThePageWheel)
{
    drawContainer(interval2(0, 0, 100, 100), 0, 1000, 0, 17);
    m_offset = {0, 0};
    EXPECT_TRUE(container()->onMotion(wheel(10, 10, -1, 0, true, {kKeyLeftControl})));
    EXPECT_EQ(m_offset.x, 0);
    drawContainer(interval2(0, 0, 100, 100), 0, 1000, 0, 17);
    EXPECT_EQ(m_offset.x, 0);
}

// Both bars over a grid of content, scrolled part way.
TEST(ControlsGolden, ScrollContainer)
{
    control_test::GoldenFrame golden(120, 100);
    Canvas& canvas = golden.canvas;
    vector2 offset{40, 60};
    golden.frame.frame([&](InputRegion* root) {
        return scrollContainer(golden.theme(), root, interval2(10, 10, 110, 90), 240, 200, &offset, 8, 8,
                               [&](Theme&, InputRegion*, const interval2& view, float x, float y) {
                                   const interval2 saved = canvas.setClip(view);
                                   const float white[3] = {1, 1, 1}, cell[3] = {0.8f, 0.9f, 1.0f};
                                   canvas.fillRect(view, white);
                                   for (int row = 0; row < 10; ++row)
                                       for (int column = (row & 1); column < 12; column += 2) {
                                           const float left = view.x0 - x + 20 * column, top = view.y0 - y + 20 * row;
                                           canvas.fillRect(interval2(left, top, left + 20, top + 20), cell);
                                       }
                                   canvas.setClip(saved);
                                   return true;
                               });
    });
    golden.compare("controls/scroll_container.png");
}

} // namespace
