#include <gtest/gtest.h>

#include "controls/button_drag_handler.h"
#include "controls/control_events.h"

namespace {

using control_events::button;
using control_events::motion;

TEST(ButtonDragHandler, EndsOnReleaseAndClicksOnlyInside)
{
    struct Case {
        const char* name;
        KeyEvent event;
        DragResult result;
        int clicks;
    };
    const Case cases[] = {
        {"release inside", button(kMouseLeft, false, 10, 10), DragResult::End, 1},
        {"release on the right edge", button(kMouseLeft, false, 20, 10), DragResult::End, 0},
        {"release outside", button(kMouseLeft, false, 50, 10), DragResult::End, 0},
        {"escape press", button(27, true, 10, 10), DragResult::End, 0},
        {"escape release", button(27, false, 10, 10), DragResult::End, 0},
        {"other button release", button(kMouseRight, false, 10, 10), DragResult::Continue, 0},
        {"press of the same button", button(kMouseLeft, true, 10, 10), DragResult::Continue, 0},
        {"a letter", button('a', true, 10, 10), DragResult::Continue, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int clicks = 0;
        ButtonDragHandler handler(kMouseLeft, interval2(0, 0, 20, 20), [&] { ++clicks; });
        EXPECT_EQ(handler.onKeyOrButton(c.event), c.result);
        EXPECT_EQ(clicks, c.clicks);
    }
}

TEST(ButtonDragHandler, ReleaseWithoutClickActionEnds)
{
    ButtonDragHandler handler(kMouseLeft, interval2(0, 0, 20, 20), {});
    EXPECT_EQ(handler.onKeyOrButton(button(kMouseLeft, false, 5, 5)), DragResult::End);
}

TEST(ButtonDragHandler, MotionWithTheButtonUpEndsTheDrag)
{
    int clicks = 0;
    ButtonDragHandler handler(kMouseLeft, interval2(0, 0, 20, 20), [&] { ++clicks; });
    EXPECT_EQ(handler.onMotion(motion(5, 5, {kMouseLeft})), DragResult::Continue);
    EXPECT_EQ(handler.onMotion(motion(5, 5, {kMouseRight})), DragResult::End);
    EXPECT_EQ(clicks, 0);
}

} // namespace
