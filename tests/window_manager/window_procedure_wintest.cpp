// The window procedure of application windows under Wine, through the real
// message loop: the client rect on resize, activation, the pointer's strokes
// and samples, and a key travelling from the loop through a BaseWindow's key
// bindings to a command.
#include "window_manager/app_window_fixture.h"

#include <cfloat>

#include "input/binding_map.h"
#include "input/command_map.h"

namespace app_window_test {
namespace {

// A rect of 10 x 10 pixels around the point.
interval2 around(float x, float y)
{
    return interval2(x - 5, y - 5, x + 5, y + 5);
}

TEST_F(AppWindowTest, ResizingSetsTheHandlersClientRect)
{
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    struct Case {
        int width;
        int height;
    };
    const Case cases[] = {{300, 200}, {900, 700}, {640, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        window_test::resizeClient(handleOf(handler), c.width, c.height);
        const interval2 rect = handler->m_rect;
        EXPECT_EQ(rect.x0, 0);
        EXPECT_EQ(rect.y0, 0);
        EXPECT_EQ(rect.x1, c.width);
        EXPECT_EQ(rect.y1, c.height);
    }
}

// Only an activation of a window that is not minimised reaches the handler.
TEST_F(AppWindowTest, AMinimisedWindowsActivationIsNotPassedOn)
{
    struct Case {
        int state;
        bool minimised;
        bool passedOn;
    };
    const Case cases[] = {
        {1, false, true}, {2, false, true}, {0, false, false}, {1, true, false}, {2, true, false},
    };
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    std::vector<int> before;
    const std::vector<Log> logs = runCases(std::size(cases), [&](size_t i) {
        before.push_back(handler->m_activations);
        window_test::postActivate(handleOf(handler), cases[i].state, cases[i].minimised);
    });
    // Each case's count is read when the next one starts.
    before.push_back(handler->m_activations);
    ASSERT_EQ(before.size(), std::size(cases) + 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::to_string(cases[i].state) + (cases[i].minimised ? " minimised" : ""));
        EXPECT_EQ(before[i + 1] - before[i], cases[i].passedOn ? 1 : 0);
    }
}

// After the pointer left the window its old path and the new one are not
// joined: the straight line between them crosses no region.
TEST_F(AppWindowTest, LeavingTheWindowStartsANewPointerStroke)
{
    const interval2 between = around(150, 150); // on the line from (10, 10) to (290, 290)
    for (bool leave : {true, false}) {
        SCOPED_TRACE(leave ? "left the window" : "stayed inside");
        RecordingHandler* handler = open();
        ASSERT_NE(handler, nullptr);
        const platform::WindowHandle window = handleOf(handler);
        float sinceBetween = 0;
        EXPECT_TRUE(runSteps({
            [&] { window_test::movePointer(window, 10, 10); },
            [&] {
                if (leave)
                    window_test::postMouseLeave(window);
                window_test::movePointer(window, 290, 290);
            },
            [&] { sinceBetween = handler->m_mouseHistory.timeSinceInside(between, true); },
        }));
        if (leave)
            EXPECT_EQ(sinceBetween, FLT_MAX);
        else
            EXPECT_LT(sinceBetween, FLT_MAX);
    }
}

struct StrokeDrag : DragHandler {
    DragResult onKeyOrButton(const KeyEvent& event) override
    {
        return event.pressed ? DragResult::Continue : DragResult::End;
    }
};

// While a drag lasts the pointer's samples go to the drag's stroke, not to
// the window's history; before and after it they go to the history.
TEST_F(AppWindowTest, PointerSamplesGoToTheDragWhileItLasts)
{
    RecordingHandler* handler = open();
    ASSERT_NE(handler, nullptr);
    const platform::WindowHandle window = handleOf(handler);
    const MouseHistory& history = handler->m_mouseHistory;
    StrokeDrag* drag = nullptr;
    EXPECT_TRUE(runSteps({
        [&] { window_test::movePointer(window, 50, 60); },
        [&] {
            EXPECT_LT(history.timeSinceInside(around(50, 60), false), FLT_MAX);
            drag = new StrokeDrag;
            handler->m_window->beginDrag(drag);
            window_test::movePointer(window, 200, 220);
        },
        [&] {
            const vector2 newest = drag->m_stroke.newestPosition();
            EXPECT_EQ(newest.x, 200);
            EXPECT_EQ(newest.y, 220);
            EXPECT_EQ(history.timeSinceInside(around(200, 220), false), FLT_MAX);
            window_test::postButton(window, window_test::Button::Left, window_test::Click::Up, 200, 220);
        },
        [&] {
            EXPECT_FALSE(window_test::hasCapture(window));
            window_test::movePointer(window, 400, 300);
        },
        [&] { EXPECT_LT(history.timeSinceInside(around(400, 300), false), FLT_MAX); },
    }));
}

// A focusable region that runs its commands through a command map.
struct CommandRegion : InputRegion {
    CommandRegion(BaseWindow* window, const RegionId& id, const interval2& rect, CommandMap& commands)
        : InputRegion(window, id, rect), m_commands(commands)
    {
    }
    bool acceptsFocus() override { return true; }
    CommandRunner* commandRunner() override { return &m_commands; }
    CommandMap& m_commands;
};

struct ContentWindow : BaseWindow {
    void onCommandLine(const std::vector<ustring>&) override {}
};

// The whole way of a key: posted to a real window, taken by the loop, turned
// into a key event by the window procedure, resolved by the window's key
// bindings and run by the focused region's command map.
TEST_F(AppWindowTest, ABoundKeyRunsItsCommandInTheFocusedRegion)
{
    BindingSourceManager::create();
    std::vector<std::string> ran;
    CommandMap commands;
    commands.add("greet", [&](const CommandArguments& words) {
        std::string line;
        for (const slate::usubstring& word : words)
            line += (line.empty() ? "" : " ") + toUtf8(word);
        ran.push_back(line);
    });
    int regionTag = 0;
    const RegionId editor(&regionTag);

    auto content = std::make_unique<ContentWindow>();
    content->setDrawFunction([&commands, editor, window = content.get()](InputRegion* root, const interval2& rect) {
        root->addChild(new CommandRegion(window, editor, rect, commands));
        return true;
    });
    auto* bindings = new BindingMap;
    ASSERT_TRUE(bindings->bind(u"f5", u"greet world", {}));
    ASSERT_TRUE(bindings->bind(u"ctrl+f5", u"greet everyone", {}));
    content->setBindingMap(bindings);
    content->focusState()->requestFocus(editor);
    ContentWindow* handler = content.get();
    ASSERT_TRUE(m_manager->createWindow(u"Test", handler, nullptr, ustring()));
    content.release(); // the window's now

    const platform::WindowHandle window = handleOf(handler);
    EXPECT_TRUE(runSteps({
        [&] { window_test::paintNow(window); },
        [&] {
            EXPECT_TRUE(handler->focusState()->isFocusedLeaf(editor));
            window_test::setKeysDown();
            window_test::postKey(window, window_test::kVkF5, true);
            window_test::postKey(window, window_test::kVkF5, false);
        },
        [&] {
            window_test::setKeysDown(window_test::kVkControl, window_test::kVkLeftControl);
            window_test::postKey(window, window_test::kVkF5, true);
            window_test::postKey(window, window_test::kVkF5, false);
        },
        [&] { window_test::setKeysDown(); },
    }));
    EXPECT_EQ(ran, (std::vector<std::string>{"greet world", "greet everyone"}));
    BindingSourceManager::destroy();
}

} // namespace
} // namespace app_window_test
