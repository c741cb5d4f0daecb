#include "texteditor/window_input_region.h"

#include <gtest/gtest.h>

#include "texteditor/application_fixture.h"
#include "ui/key_codes.h"

namespace application_test {
namespace {

TEST(WindowContext, OperandsCompareWithWhatTheWindowShows)
{
    const ustring find = u"find";
    struct Case {
        const char16_t* key;
        const char16_t* operand;
        const ustring* panel; // the visible panel's name, or null
        bool overlay;
        bool fullScreen;
        bool result;
    } cases[] = {
        {u"isPanelVisible", u"true", &find, false, false, true},
        {u"isPanelVisible", u"true", nullptr, false, false, false},
        {u"isPanelVisible", u"false", nullptr, false, false, true},
        {u"isPanelVisible", u"false", &find, false, false, false},
        {u"isPanelVisible", u"find", &find, false, false, true},
        {u"isPanelVisible", u"console", &find, false, false, false},
        {u"isPanelVisible", u"console", nullptr, false, false, false},
        {u"isOverlayVisible", u"", nullptr, false, false, true},
        {u"isOverlayVisible", u"", nullptr, true, false, false},
        {u"isOverlayVisible", u"true", nullptr, true, false, true},
        {u"isOverlayVisible", u"quick", nullptr, true, false, false},
        {u"isFullScreen", u"true", nullptr, false, true, true},
        {u"isFullScreen", u"false", nullptr, false, true, false},
        {u"isFullScreen", u"yes", nullptr, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.key) + u" " + c.operand));
        WindowContextState state;
        state.panelName = c.panel;
        state.overlayVisible = c.overlay;
        state.fullScreen = c.fullScreen;
        bool result = !c.result;
        EXPECT_TRUE(answerWindowContext(state, c.key, c.operand, result));
        EXPECT_EQ(c.result, result);
    }
}

TEST(WindowContext, OtherKeysAreLeftToOtherRegions)
{
    bool result = true;
    EXPECT_FALSE(answerWindowContext(WindowContextState(), u"isPanelFocused", u"false", result));
    EXPECT_TRUE(result);
}

TEST(NullInputHandler, TakesButtonsAndPlainMotionButNotKeysOrTheWheel)
{
    test_support::TestBaseWindow window;
    NullInputHandler handler(&window, RegionId(&window, 8013), interval2(0, 0, 10, 10));
    for (int32_t code : {kMouseFirst - 1, kMouseLeft, kMouseDoubleClick, kMouseLast, kMouseLast + 1, kKeyEscape}) {
        SCOPED_TRACE(code);
        KeyEvent event;
        event.code = code;
        EXPECT_EQ(isMouseCode(code), handler.onInputEvent(event));
    }
    MotionEvent move;
    move.dx = 3;
    EXPECT_TRUE(handler.onMotion(move));
    MotionEvent wheel;
    wheel.wheelY = 1;
    EXPECT_FALSE(handler.onMotion(wheel));
    EXPECT_EQ(nullptr, handler.commandRunner());
}

class WindowFrameTest : public ApplicationTest {
protected:
    void SetUp() override
    {
        ApplicationTest::SetUp();
        writePackageFile("Default/Main.vantrel-toolbar",
                         R"(<toolbar><group><button command="new" caption="New"/></group><group/></toolbar>)");
        createApplication();
        m_window = m_application->newWindow(u"", false);
        ASSERT_NE(nullptr, m_window);
    }
    const ustring& title() const { return static_cast<test_support::FakePlatformWindow*>(m_window->m_window)->title; }

    TextEditorWindow* m_window = nullptr;
};

// The contexts reach the window's key bindings through the focus path.
TEST_F(WindowFrameTest, TheWindowAnswersItsContexts)
{
    m_window->draw(false);
    EXPECT_TRUE(m_window->inputContext(u"isOverlayVisible", u""));
    EXPECT_TRUE(m_window->inputContext(u"isPanelVisible", u"false"));
    EXPECT_FALSE(m_window->inputContext(u"isPanelVisible", u"find"));
    EXPECT_FALSE(m_window->inputContext(u"isFullScreen", u"true"));
}

TEST_F(WindowFrameTest, TheTitleFollowsTheActiveViewFrameByFrame)
{
    m_window->draw(false);
    EXPECT_EQ(u"Vantrel 1.4", title());
    slate::SP<TextBufferView> view = m_window->newFile();
    m_window->draw(false);
    EXPECT_EQ(u"untitled - Vantrel 1.4", title());
    view->buffer()->insertCharacters(0, u"x");
    m_window->draw(false);
    EXPECT_EQ(u"untitled* - Vantrel 1.4", title());
}

TEST_F(WindowFrameTest, ActivatingTheWindowActivatesItsActiveView)
{
    slate::SP<TextBufferView> view = m_window->newFile();
    int activations = 0;
    view->addActivatedListener([&activations] { ++activations; });
    m_window->onActivate();
    EXPECT_EQ(1, activations);
}

TEST_F(WindowFrameTest, TheWindowLoadsItsToolbarWhenItGetsACanvas)
{
    const std::vector<ToolbarGroup>& groups = m_window->toolbar().groups();
    ASSERT_EQ(2u, groups.size());
    ASSERT_EQ(1u, groups[0].size());
    EXPECT_EQ(u"new", groups[0][0].command);
    EXPECT_TRUE(groups[1].empty());
}

} // namespace
} // namespace application_test
