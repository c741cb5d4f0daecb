#include "window_manager/input_translation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/base_window.h"
#include "ui/input_region.h"

namespace {

constexpr uint32_t kDoubleClickTime = 500;

ButtonMessage left(bool down, uint32_t time, float x, float y, bool doubleClick = false)
{
    ButtonMessage message;
    message.button = kMouseLeft;
    message.down = down;
    message.doubleClick = doubleClick;
    message.time = time;
    message.x = x;
    message.y = y;
    return message;
}

TEST(ClickSequence, ThirdPressCountsOnlySoonAndNearAfterADoubleClick)
{
    struct Case {
        const char* name;
        uint32_t doubleClickTime; // of the double click; the third press is 100 ms later
        float dx, dy;
        int32_t button;
        int32_t expected;
    };
    const Case cases[] = {
        {"same place", 1000, 0, 0, kMouseLeft, kMouseTripleClick},
        {"3 pixels off", 1000, 3, 0, kMouseLeft, kMouseTripleClick},
        {"3 pixels up", 1000, 0, -3, kMouseLeft, kMouseTripleClick},
        {"4 pixels off", 1000, 4, 0, kMouseLeft, kMouseLeft},
        {"3 and 3 pixels off", 1000, 3, 3, kMouseLeft, kMouseLeft},
        {"right button", 1000, 0, 0, kMouseRight, kMouseRight},
        {"across the wrap of message time", 0xFFFFFFC0u, 0, 0, kMouseLeft, kMouseTripleClick},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClickSequence clicks;
        EXPECT_EQ(clicks.code(left(true, c.doubleClickTime - 200, 50, 60), kDoubleClickTime), kMouseLeft);
        EXPECT_EQ(clicks.code(left(false, c.doubleClickTime - 150, 50, 60), kDoubleClickTime), kMouseLeft);
        const ButtonMessage second = left(true, c.doubleClickTime, 50, 60, true);
        EXPECT_EQ(clicks.code(second, kDoubleClickTime), kMouseDoubleClick);
        EXPECT_EQ(clicks.code(left(false, c.doubleClickTime + 50, 50, 60), kDoubleClickTime), kMouseLeft);
        ButtonMessage third = left(true, c.doubleClickTime + 100, 50 + c.dx, 60 + c.dy);
        third.button = c.button;
        EXPECT_EQ(clicks.code(third, kDoubleClickTime), c.expected);
    }
}

TEST(ClickSequence, AnyPressOrTheDeadlineEndsTheChanceOfAThirdClick)
{
    struct Case {
        const char* name;
        bool pressBetween;
        uint32_t thirdAt; // after the double click
        int32_t expected;
    };
    const Case cases[] = {
        {"just before the deadline", false, kDoubleClickTime - 1, kMouseTripleClick},
        {"at the deadline", false, kDoubleClickTime, kMouseLeft},
        {"after a press between", true, 100, kMouseLeft},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClickSequence clicks;
        clicks.code(left(true, 1000, 5, 5, true), kDoubleClickTime);
        if (c.pressBetween) {
            ButtonMessage middle = left(true, 1050, 5, 5);
            middle.button = kMouseMiddle;
            clicks.code(middle, kDoubleClickTime);
        }
        EXPECT_EQ(clicks.code(left(true, 1000 + c.thirdAt, 5, 5), kDoubleClickTime), c.expected);
    }
}

TEST(Wheel, NotchesCountLinesPagesOrCharacters)
{
    struct Case {
        const char* name;
        bool horizontal;
        int delta;
        int setting;
        float wheelX, wheelY;
        bool page;
    };
    const Case cases[] = {
        {"three lines a notch", false, 120, 3, 0, 3, false},
        {"towards the user", false, -240, 3, 0, -6, false},
        {"half a notch", false, 60, 3, 0, 1.5f, false},
        {"a page a notch", false, 120, -1, 0, 1, true},
        {"a page a notch, down", false, -120, -1, 0, -1, true},
        {"no lines counts one", false, 120, 0, 0, 1, false},
        {"right is negative", true, 120, 3, -3, 0, false},
        {"no characters counts one", true, -120, 0, 1, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MotionEvent event;
        if (c.horizontal)
            setHorizontalWheel(event, c.delta, c.setting);
        else
            setVerticalWheel(event, c.delta, c.setting);
        EXPECT_FLOAT_EQ(event.wheelX, c.wheelX);
        EXPECT_FLOAT_EQ(event.wheelY, c.wheelY);
        EXPECT_EQ(event.page, c.page);
    }
}

struct RecordingDrag : DragHandler {
    DragResult onKeyOrButton(const KeyEvent&) override { return record("drag key"); }
    DragResult onMotion(const MotionEvent&) override { return record("drag motion"); }
    DragResult onCharacter(const CharacterEvent&) override { return record("drag character"); }
    DragResult record(const char* what)
    {
        log.push_back(what);
        return answer;
    }
    DragResult answer = DragResult::Continue;
    std::vector<std::string> log;
};

struct RecordingHandler : BaseWindow {
    bool onKeyOrButton(const KeyEvent&) override { return record("key"); }
    bool onMotion(const MotionEvent&) override { return record("motion"); }
    bool onCharacter(const CharacterEvent&) override { return record("character"); }
    void onCommandLine(const std::vector<ustring>&) override {}
    bool record(const char* what)
    {
        log.push_back(what);
        return answer;
    }
    bool answer = false;
    std::vector<std::string> log;
};

TEST(InputDelivery, TheDragTakesEverythingWhileItLasts)
{
    struct Case {
        const char* name;
        bool withDrag;
        DragResult dragAnswer;
        bool handlerAnswer;
        InputDelivery expected;
    };
    const Case cases[] = {
        {"no drag, handled", false, DragResult::Continue, true, {false, false, true}},
        {"no drag, declined", false, DragResult::Continue, false, {false, false, false}},
        {"drag goes on", true, DragResult::Continue, true, {true, false, false}},
        {"drag ends", true, DragResult::End, true, {true, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDrag drag;
        drag.answer = c.dragAnswer;
        RecordingHandler handler;
        handler.answer = c.handlerAnswer;
        DragHandler* active = c.withDrag ? &drag : nullptr;
        const InputDelivery deliveries[] = {
            deliverInput(active, handler, KeyEvent()),
            deliverInput(active, handler, CharacterEvent()),
            deliverInput(active, handler, MotionEvent()),
        };
        for (const InputDelivery& delivery : deliveries) {
            EXPECT_EQ(delivery.toDrag, c.expected.toDrag);
            EXPECT_EQ(delivery.endDrag, c.expected.endDrag);
            EXPECT_EQ(delivery.handled, c.expected.handled);
        }
        const std::vector<std::string> toDrag = {"drag key", "drag character", "drag motion"};
        const std::vector<std::string> toHandler = {"key", "character", "motion"};
        EXPECT_EQ(drag.log, c.withDrag ? toDrag : std::vector<std::string>());
        EXPECT_EQ(handler.log, c.withDrag ? std::vector<std::string>() : toHandler);
    }
}

} // namespace
