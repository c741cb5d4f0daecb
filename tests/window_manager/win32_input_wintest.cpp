// Input translation under Wine: messages posted to a real window go through
// the program's message loop and arrive at the handler as events.
#include "window_manager/app_window_fixture.h"

#include "input/key_stroke.h"
#include "ui/input_region.h"
#include "window_manager/windows/win32_input.h"

namespace app_window_test {
namespace {

using window_test::Button;
using window_test::Click;

TEST(VirtualKeys, TranslateThroughTheTable)
{
    struct Case {
        uint32_t virtualKey;
        int32_t code;
    };
    const Case cases[] = {
        {window_test::kVkLeftControl, kKeyLeftControl},
        {window_test::kVkRightControl, kKeyRightControl},
        {window_test::kVkControl, kKeyLeftControl},
        {window_test::kVkShift, kKeyLeftShift},
        {window_test::kVkMenu, kKeyLeftAlt},
        {'A', kKeyA},
        {'Z', kKeyZ},
        {'0', kKey0},
        {window_test::kVkNumpad0 + 9, kKeyKeypad9},
        {window_test::kVkDecimal, kKeyKeypadPeriod},
        {window_test::kVkF5, kKeyF5},
        {0x7E /* F15 */, kKeyF15},
        {0xC0 /* backquote */, kKeyBackquote},
        {0xAC /* browser home */, kKeyBrowserHome},
        {window_test::kVkSeparator, 0},
        {0x7F /* F16 */, 0},
        {window_test::kVkLeftButton, kMouseLeft},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.virtualKey);
        EXPECT_EQ(translateVirtualKey(c.virtualKey), c.code);
    }
}

// A row of the virtual-key table that pointed at a code without a name
// would bind nothing a key map can write.
TEST(VirtualKeys, EveryTranslatedCodeHasAName)
{
    for (uint32_t virtualKey = 0; virtualKey < 256; ++virtualKey) {
        const int32_t code = translateVirtualKey(virtualKey);
        if (code != 0) {
            EXPECT_STRNE(keyName(code), "unknown") << "virtual key " << virtualKey;
        }
    }
}

// Keys reach the handler before translation: a consumed key never becomes a
// character; plain keypad keys skip the handler and type.
TEST_F(AppWindowTest, KeysReachTheHandlerBeforeTheyBecomeCharacters)
{
    struct Case {
        const char* name;
        uint32_t virtualKey;
        uint32_t held[2];
        bool consume;
        Log expected;
    };
    const Case cases[] = {
        {"consumed letter", 'A', {}, true, {"key 97 down"}},
        {"letter left to the character path", 'A', {}, false, {"key 97 down", "char a"}},
        {"right control alone", window_test::kVkControl, {window_test::kVkControl, window_test::kVkRightControl},
         true, {"key 306 down [305 306]"}},
        {"keypad digit", window_test::kVkNumpad0 + 5, {}, false, {"char 5"}},
        {"keypad digit with control", window_test::kVkNumpad0 + 5,
         {window_test::kVkControl, window_test::kVkLeftControl}, true, {"key 261 down [306]"}},
        {"keypad operator", window_test::kVkAdd, {}, false, {"char +"}},
        {"keypad separator", window_test::kVkSeparator, {}, true, {"key 0 down"}},
    };
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    const platform::WindowHandle window = handleOf(handler);
    const std::vector<Log> logs = runCases(std::size(cases), [&](size_t i) {
        window_test::setKeysDown(cases[i].held[0], cases[i].held[1]);
        handler->m_consumeKeys = cases[i].consume;
        window_test::postKey(window, cases[i].virtualKey, true);
    });
    window_test::setKeysDown();
    ASSERT_EQ(logs.size(), std::size(cases));
    for (size_t i = 0; i < logs.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(logs[i], cases[i].expected);
    }
}

// Alt alone opens the window menu, unless the handler consumed the key.
TEST_F(AppWindowTest, TheMenuKeyIsSwallowedAfterAConsumedKey)
{
    struct Case {
        bool consume;
        bool menuMode;
    };
    const Case cases[] = {{true, false}, {false, true}};
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    const platform::WindowHandle window = handleOf(handler);
    std::vector<bool> menuMode;
    std::vector<std::function<void()>> steps;
    for (const Case& c : cases) {
        steps.push_back([&, c] {
            handler->m_consumeKeys = c.consume;
            window_test::postKey(window, window_test::kVkMenu, true, true);
            window_test::postKeyMenu(window);
        });
        steps.push_back([&] {
            // In menu mode this step runs inside the menu's own loop.
            menuMode.push_back(window_test::inMenuMode());
            if (menuMode.back()) {
                window_test::postKey(window, 0x1B /* escape */, true);
                window_test::postKey(window, 0x1B, true);
            }
        });
    }
    EXPECT_TRUE(runSteps(steps));
    EXPECT_EQ(menuMode, (std::vector<bool>{cases[0].menuMode, cases[1].menuMode}));
}

// A second left press soon after a double click is a triple click only when
// it is less than 4 pixels from the double click.
TEST_F(AppWindowTest, TripleClickNeedsThePressNearTheDoubleClick)
{
    struct Case {
        int dx, dy;
        const char* third;
    };
    const Case cases[] = {
        {0, 0, "button 506 down"}, {3, 0, "button 506 down"}, {0, -3, "button 506 down"},
        {4, 0, "button 500 down"}, {3, 3, "button 500 down"}, {5, 0, "button 500 down"},
    };
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    const platform::WindowHandle window = handleOf(handler);
    const std::vector<Log> logs = runCases(std::size(cases), [&](size_t i) {
        window_test::postButton(window, Button::Left, Click::Down, 50, 60);
        window_test::postButton(window, Button::Left, Click::Up, 50, 60);
        window_test::postButton(window, Button::Left, Click::Double, 50, 60);
        window_test::postButton(window, Button::Left, Click::Up, 50, 60);
        window_test::postButton(window, Button::Left, Click::Down, 50 + cases[i].dx, 60 + cases[i].dy);
        window_test::postButton(window, Button::Left, Click::Up, 50 + cases[i].dx, 60 + cases[i].dy);
    });
    ASSERT_EQ(logs.size(), std::size(cases));
    for (size_t i = 0; i < logs.size(); ++i) {
        SCOPED_TRACE(std::to_string(cases[i].dx) + "," + std::to_string(cases[i].dy));
        const std::string at = " " + std::to_string(50 + cases[i].dx) + "," + std::to_string(60 + cases[i].dy);
        EXPECT_EQ(logs[i], (Log{"button 500 down 50,60", "button 500 up 50,60", "button 505 down 50,60",
                                "button 500 up 50,60", cases[i].third + at, "button 500 up" + at}));
    }
}

TEST_F(AppWindowTest, WheelTurnsCountLinesOrPages)
{
    struct Case {
        const char* name;
        int linesSetting;
        int delta;
        bool horizontal;
        const char* expected;
    };
    const Case cases[] = {
        {"three lines a notch", 3, 120, false, "wheel 0,3"},
        {"towards the user", 3, -240, false, "wheel 0,-6"},
        {"a page a notch", -1, 120, false, "wheel 0,1 page"},
        {"a page a notch, down", -1, -120, false, "wheel 0,-1 page"},
        {"no lines counts one", 0, 120, false, "wheel 0,1"},
        {"horizontal, right is negative", 3, 120, true, "wheel -3,0"},
    };
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    const platform::WindowHandle window = handleOf(handler);
    const int saved = window_test::setWheelScrollLines(3);
    const std::vector<Log> logs = runCases(std::size(cases), [&](size_t i) {
        window_test::setWheelScrollLines(cases[i].linesSetting);
        window_test::postWheel(window, cases[i].delta, cases[i].horizontal);
    });
    window_test::setWheelScrollLines(saved);
    ASSERT_EQ(logs.size(), std::size(cases));
    for (size_t i = 0; i < logs.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(logs[i], Log{cases[i].expected});
    }
}

TEST_F(AppWindowTest, ScrollBarStepsAreWheelSteps)
{
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    const platform::WindowHandle window = handleOf(handler);
    EXPECT_TRUE(runSteps({[&] {
        window_test::postScroll(window, false, 0); // line up
        window_test::postScroll(window, false, 3); // page down
        window_test::postScroll(window, true, 1);  // line right
        window_test::postScroll(window, true, 5);  // thumb track: nothing
        window_test::postScroll(window, true, 2);  // page left
    }}));
    EXPECT_EQ(m_log, (Log{"wheel 0,1", "wheel 0,-1 page", "wheel -1,0", "wheel 1,0 page"}));
}

TEST_F(AppWindowTest, PointerMotionIsThePreviousPositionMinusTheNewOne)
{
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    const platform::WindowHandle window = handleOf(handler);
    EXPECT_TRUE(runSteps({
        [&] { window_test::movePointer(window, 100, 120); },
        [] {},
        [&] {
            m_log.clear();
            handler->m_logMoves = true;
            window_test::movePointer(window, 90, 125);
        },
    }));
    // Moving the pointer also makes the system send a move of its own.
    ASSERT_FALSE(m_log.empty());
    EXPECT_EQ(m_log.front(), "move by 10,-5 to 90,125");
    for (size_t i = 1; i < m_log.size(); ++i)
        EXPECT_EQ(m_log[i], "move by 0,0 to 90,125");
}

TEST_F(AppWindowTest, DroppedFilesAndCursorShapesAskTheHandler)
{
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    const platform::WindowHandle window = handleOf(handler);
    const CursorKind kinds[] = {CursorKind::Text, CursorKind::ResizeVertical, CursorKind::ResizeHorizontal,
                                CursorKind::Move, CursorKind::Arrow};
    std::vector<int> shown;
    EXPECT_TRUE(runSteps({
        [&] {
            window_test::movePointer(window, 30, 40);
            window_test::postDroppedFiles(window, {u"C:\\one.txt", u"C:\\two words.txt"});
        },
        [&] {
            for (CursorKind kind : kinds) {
                handler->m_cursor = kind;
                shown.push_back(window_test::cursorShownOver(window));
            }
        },
    }));
    EXPECT_EQ(m_log, (Log{"drop C:\\one.txt at 30,40", "drop C:\\two words.txt at 30,40"}));
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4, 0}));
}

// During a drag every input goes to the drag handler; a release left of and
// above the window reports negative coordinates.
struct RecordingDrag : DragHandler {
    explicit RecordingDrag(Log& log) : m_log(log) {}
    DragResult onKeyOrButton(const KeyEvent& event) override
    {
        m_log.push_back("drag " + describe(event));
        return event.pressed ? DragResult::Continue : DragResult::End;
    }
    DragResult onCharacter(const CharacterEvent& event) override
    {
        m_log.push_back(std::string("drag char ") + char(event.character));
        return DragResult::Continue;
    }
    Log& m_log;
};

TEST_F(AppWindowTest, ADragTakesInputAndSeesReleasesOutsideTheWindow)
{
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    const platform::WindowHandle window = handleOf(handler);
    EXPECT_TRUE(runSteps({
        [&] {
            handler->m_window->beginDrag(new RecordingDrag(m_log));
            EXPECT_TRUE(window_test::hasCapture(window));
            window_test::postKey(window, 'A', true);
        },
        [&] {
            window_test::postButton(window, Button::Left, Click::Down, 10, 10);
            window_test::postButton(window, Button::Left, Click::Up, -20, -7);
            window_test::postButton(window, Button::Left, Click::Up, 30, 40);
        },
        [&] { EXPECT_FALSE(window_test::hasCapture(window)); },
    }));
    // The key is not consumed during a drag, so it is also typed.
    EXPECT_EQ(m_log, (Log{"drag key 97 down", "drag char a", "drag button 500 down 10,10",
                          "drag button 500 up -20,-7", "button 500 up 30,40"}));
}

} // namespace
} // namespace app_window_test
