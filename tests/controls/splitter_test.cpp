#include <gtest/gtest.h>

#include <vector>

#include "controls/control_events.h"
#include "controls/splitter.h"

namespace {

using control_events::motion;

// A side bar width dragged with the limits the window gives it.
TEST(SplitterDragHandler, FollowsThePointerWithinItsLimits)
{
    float width = 200;
    SplitterValue value{[&] { return &width; }, 1, 50, 800};
    SplitterDragHandler drag(200, 100, value, SplitterValue());
    struct Case {
        float x;
        float width;
    };
    const Case cases[] = {{260, 260}, {180, 180}, {-500, 50}, {2000, 800}, {200, 200}};
    for (const Case& row : cases) {
        SCOPED_TRACE(row.x);
        EXPECT_EQ(DragResult::Continue, drag.onMotion(motion(row.x, 999, {kMouseLeft})));
        EXPECT_EQ(row.width, width);
    }
}

TEST(SplitterDragHandler, MovesBothAxesByTheirMultipliers)
{
    float column = 0.5f;
    float panelHeight = 100;
    SplitterDragHandler drag(100, 300, SplitterValue{[&] { return &column; }, 1.f / 400, 0.1f, 0.9f},
                             SplitterValue{[&] { return &panelHeight; }, -1, 20, 240});
    drag.onMotion(motion(140, 260, {kMouseLeft}));
    EXPECT_FLOAT_EQ(0.6f, column);
    // Dragging up makes the panel taller.
    EXPECT_EQ(140, panelHeight);
}

// The split list is resized under the drag (the layout changed): the drag
// must not write through a stale address.
TEST(SplitterDragHandler, AValueGoneDuringTheDragIsLeftAlone)
{
    std::vector<float> splits = {0.5f};
    SplitterValue value{[&]() -> float* { return splits.empty() ? nullptr : &splits[0]; }, 0.01f, 0, 1};
    SplitterDragHandler drag(0, 0, value, SplitterValue());
    splits.clear();
    EXPECT_EQ(DragResult::Continue, drag.onMotion(motion(10, 0, {kMouseLeft})));
    EXPECT_TRUE(splits.empty());
    EXPECT_EQ(DragResult::End, drag.onMotion(motion(10, 0, {})));
}

} // namespace
