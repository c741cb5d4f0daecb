// The text control's input handler: what presses, clicks, typing, Return and
// binding-context queries do to the view, and that commands picked from its
// context menu stay sound when the menu's modal loop replaced the frame.
#include "controls/text_input_handler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/text_control_fixture.h"
#include "ui/notification_manager.h"
#include "ui/text/package_test_support.h"
#include "ui/unicode.h"

namespace {

using Regions = std::vector<SelectionRegion>;

// "one two\n" 0..8, "three\n" 8..14, "four" 14..18.
const char16_t* const kThreeLines = u"one two\nthree\nfour";
constexpr int kGutter = -1; // a column that means a point in the gutter

class TextInputHandlerTest : public TextControlTest {
protected:
    float xOf(int column) const { return column == kGutter ? 5.f : columnX(column); }
    bool context(const std::string& name, const std::string& operand, bool& result)
    {
        return m_handler->checkContext(toUstring(name), toUstring(operand), result);
    }
};

TEST_F(TextInputHandlerTest, AFocusingPressKeepsTheSelectionAndASecondPressPlacesTheCaret)
{
    openControl(kThreeLines, {SelectionRegion(0, 3)});
    EXPECT_TRUE(press(kMouseLeft, 0, 5));
    EXPECT_TRUE(m_frame.window.focusState()->isFocusedLeaf(m_handler->id()));
    EXPECT_EQ(selections(), (Regions{SelectionRegion(0, 3)}));
    release(0, 5);
    press(kMouseLeft, 0, 5);
    EXPECT_EQ(selections(), (Regions{SelectionRegion(5)}));
}

TEST_F(TextInputHandlerTest, PressesInAFocusedControlFollowTheirModifiers)
{
    struct Case {
        const char* name;
        Regions before;
        int32_t code;
        int row;
        int column; // kGutter for the gutter
        std::initializer_list<int32_t> held;
        Regions after;
    };
    const Case cases[] = {
        {"plain press", {SelectionRegion(0, 3)}, kMouseLeft, 0, 5, {}, {SelectionRegion(5)}},
        {"ctrl adds a caret", {SelectionRegion(0, 3)}, kMouseLeft, 0, 5, {kKeyLeftControl},
         {SelectionRegion(0, 3), SelectionRegion(5)}},
        {"alt removes the caret there", {SelectionRegion(1), SelectionRegion(5)}, kMouseLeft, 0, 5,
         {kKeyLeftAlt}, {SelectionRegion(1)}},
        {"alt in the gutter removes the line", {SelectionRegion(1), SelectionRegion(9)}, kMouseLeft, 0, kGutter,
         {kKeyRightAlt}, {SelectionRegion(9)}},
        {"shift without a selection is a plain press", {}, kMouseLeft, 0, 5, {kKeyLeftShift},
         {SelectionRegion(5)}},
        {"shift extends the selection", {SelectionRegion(1, 2)}, kMouseLeft, 0, 5, {kKeyLeftShift},
         {SelectionRegion(1, 5)}},
        {"shift keeps the anchor of a backward selection", {SelectionRegion(7, 6)}, kMouseLeft, 0, 1,
         {kKeyLeftShift}, {SelectionRegion(7, 1)}},
        {"gutter press selects the line", {SelectionRegion(0)}, kMouseLeft, 1, kGutter, {},
         {SelectionRegion(8, 14)}},
        {"the last line ends at the buffer end", {SelectionRegion(0)}, kMouseLeft, 2, kGutter, {},
         {SelectionRegion(14, 18)}},
        {"triple click selects the line", {SelectionRegion(9)}, kMouseTripleClick, 0, 2, {},
         {SelectionRegion(0, 8)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openControl(kThreeLines);
        select(c.before);
        focus();
        EXPECT_TRUE(pressAt(c.code, xOf(c.column), rowY(c.row), c.held));
        EXPECT_EQ(selections(), c.after);
        release(c.row, 0);
    }
}

TEST_F(TextInputHandlerTest, DoubleClicksSelectWordsOrInTheGutterEverything)
{
    struct Case {
        const char* name;
        int column;
        std::initializer_list<int32_t> held;
        Regions after;
    };
    const Case cases[] = {
        {"word", 5, {}, {SelectionRegion(4, 7)}},
        {"ctrl adds the word", 5, {kKeyLeftControl}, {SelectionRegion(4, 7), SelectionRegion(9)}},
        {"gutter selects all", kGutter, {}, {SelectionRegion(0, 18)}},
        {"alt gutter leaves one caret at 0", kGutter, {kKeyLeftAlt}, {SelectionRegion(0)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openControl(kThreeLines, {SelectionRegion(9)});
        focus();
        EXPECT_TRUE(pressAt(kMouseDoubleClick, xOf(c.column), rowY(0), c.held));
        EXPECT_EQ(selections(), c.after);
        release(0, 0);
    }
}

TEST_F(TextInputHandlerTest, ADoubleClickActionReplacesWordSelection)
{
    int64_t clicked = -1;
    m_onDoubleClick = [&clicked](int64_t position) { clicked = position; };
    openControl(kThreeLines, {SelectionRegion(9)});
    focus();
    EXPECT_TRUE(press(kMouseDoubleClick, 0, 5));
    EXPECT_EQ(clicked, 5);
    EXPECT_EQ(selections(), (Regions{SelectionRegion(9)}));
    EXPECT_EQ(m_frame.platform.drag, nullptr);
}

TEST_F(TextInputHandlerTest, PressesInTheBlankMarginOfACentredViewCountAsLeftOfTheText)
{
    m_rect = interval2(0, 0, 1200, 300);
    openControl(kThreeLines, {}, "drawCentered true\nwrapWidth 80");
    // 80 columns of 10 pixels centred in the 1178 right of the gutter.
    EXPECT_EQ(textAreaRect(m_rect, *m_view).x0, kTextLeft + 189.f);
    focus();
    pressAt(kMouseLeft, 100.f, rowY(1));
    EXPECT_EQ(selections(), (Regions{SelectionRegion(8, 14)}));
    release(1, 0);
    pressAt(kMouseLeft, kTextLeft + 189.f + 22.f, rowY(1));
    EXPECT_EQ(selections(), (Regions{SelectionRegion(10)}));
}

TEST_F(TextInputHandlerTest, TypedCharactersAreInsertedUnlessControlCodesOrCommandMode)
{
    struct Case {
        const char* options;
        char16_t character;
        bool handled;
        const char16_t* text;
    };
    const Case cases[] = {
        {"", u'x', true, u"xab"},
        {"", u'\t', true, u"\tab"},
        {"", 0x01, false, u"ab"},
        {"", u'\r', false, u"ab"},
        {"commandMode true", u'x', false, u"ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.options) + " " + std::to_string(c.character));
        int modified = 0;
        m_onModified = [&modified] { ++modified; };
        openControl(u"ab", {}, c.options);
        CharacterEvent event;
        event.character = c.character;
        EXPECT_EQ(m_handler->onCharacter(event), c.handled);
        EXPECT_EQ(text(), c.text);
        EXPECT_EQ(modified != 0, c.handled);
    }
}

TEST_F(TextInputHandlerTest, PredictedCharactersAreTypedUntilThePredictionIsCancelled)
{
    openControl(u"ab");
    CharacterEvent event;
    event.character = u'x';
    EXPECT_TRUE(m_handler->onPredictedCharacter(event));
    EXPECT_EQ(text(), u"xab");
    EXPECT_TRUE(m_handler->onCharacter(event)); // swallowed while predicting
    EXPECT_EQ(text(), u"xab");
    m_handler->cancelPrediction();
    EXPECT_EQ(text(), u"ab");
}

TEST_F(TextInputHandlerTest, WheelTurnsScrollAndTheGutterShowsTheArrow)
{
    openControl(view_test::twentyLines());
    m_view->setViewportSize(200.f, 64.f);
    EXPECT_FALSE(m_handler->onMotion(control_events::motion(50, 50)));
    EXPECT_TRUE(m_handler->onMotion(control_events::wheel(50, 50, -2)));
    EXPECT_GT(m_view->translationY(), 0.0);

    CursorKind kind = CursorKind::Move;
    EXPECT_TRUE(m_handler->cursor(control_events::stateAt(5, 5, {}), kind));
    EXPECT_EQ(kind, CursorKind::Arrow);
    EXPECT_TRUE(m_handler->cursor(control_events::stateAt(kTextLeft + 1, 5, {}), kind));
    EXPECT_EQ(kind, CursorKind::Text);
}

TEST_F(TextInputHandlerTest, TheContextTableAnswersEveryNameItHolds)
{
    struct Case {
        const char* name;
        const char* operand;
        bool result;
    };
    // One caret between "a" and "b" of "ab\ncd", option "flag" true.
    const Case cases[] = {
        {"allContainedText", "^$", true},
        {"allFollowingCharacter", "b", true},
        {"allFollowingText", "^b$", true},
        {"allPrecedingCharacter", "a", true},
        {"allPrecedingText", "^a$", true},
        {"allPreceedingText", "^a$", true},
        {"allSelectionsEmpty", "true", true},
        {"allSelectionsNonEmpty", "true", false},
        {"canPopSelection", "true", false},
        {"canUnpopSelection", "false", true},
        {"hasMultipleSelections", "false", true},
        {"hasNextField", "true", false},
        {"hasPrevField", "false", true},
        {"newlineInSelection", "true", false},
        {"noContainedText", "x", true},
        {"noFollowingCharacter", "b", false},
        {"noFollowingText", "^b$", false},
        {"noPrecedingCharacter", "z", true},
        {"noPrecedingText", "^a$", false},
        {"noPreceedingText", "^a$", false},
        {"notOption", "flag", false},
        {"option", "flag", true},
        {"selector", "nothing.here", false},
    };
    openControl(u"ab\ncd", {SelectionRegion(1)}, "flag true");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.operand);
        bool result = !c.result;
        EXPECT_TRUE(context(c.name, c.operand, result));
        EXPECT_EQ(result, c.result);
    }
}

TEST_F(TextInputHandlerTest, UnknownNamesGoToThePlugInListenersAndOtherwiseAreNotHandled)
{
    openControl(u"ab", {SelectionRegion(1)});
    m_view->addQueryContextListener([](const ustring& key, const ustring& operand, bool& result) {
        if (key != u"plugin")
            return false;
        result = operand == u"yes";
        return true;
    });
    bool result = false;
    EXPECT_TRUE(context("plugin", "yes", result));
    EXPECT_TRUE(result);
    for (const char* unhandled : {"unknown", "Option", "allFollowingCharacterX"}) {
        SCOPED_TRACE(unhandled);
        EXPECT_FALSE(context(unhandled, "b", result));
    }
    EXPECT_FALSE(context("allFollowingCharacter", "bb", result));
    EXPECT_FALSE(context("noPrecedingCharacter", "", result));
}

TEST_F(TextInputHandlerTest, CommandsCallTheModifiedActionOnlyWhenTheTextChanged)
{
    int modified = 0;
    m_onModified = [&modified] { ++modified; };
    openControl(u"ab");
    CommandRunner* runner = m_handler->commandRunner();
    runner->exec(slate::usubstring(ustring(u"selectAll")));
    EXPECT_EQ(modified, 0);
    runner->exec(slate::usubstring(ustring(u"insertCharacters x")));
    EXPECT_EQ(text(), u"x");
    EXPECT_EQ(modified, 1);
}

TEST_F(TextInputHandlerTest, AFieldWithAReturnActionTakesReturnAndLeavesTab)
{
    bool wasCtrl = false;
    m_onReturn = [&wasCtrl](bool ctrl, bool, bool) { wasCtrl = ctrl; };
    openControl(u"ab");
    EXPECT_FALSE(m_handler->wantsTab());
    EXPECT_TRUE(m_handler->onInputEvent(control_events::button(kKeyEnter, true, 0, 0, {kKeyLeftControl})));
    EXPECT_TRUE(wasCtrl);

    m_onReturn = nullptr;
    drawControl();
    EXPECT_TRUE(m_handler->wantsTab());
    EXPECT_FALSE(m_handler->onInputEvent(control_events::button(kKeyEnter, true, 0, 0)));
}

// A platform window whose menu draws a new frame while it is open, as a
// real menu's modal loop may, and then picks `chosen`.
struct RedrawingMenuWindow : test_support::FakePlatformWindow {
    bool showPopupMenu(ustring& command, const slate::SP<MenuDescriptor>&, CommandRunner*, float, float,
                       PopupMenuFlags) override
    {
        ++shown;
        redraw();
        command = chosen;
        return true;
    }
    std::function<void()> redraw;
    ustring chosen;
    int shown = 0;
};

TEST_F(TextInputHandlerTest, AMenuCommandRunsOnTheNewHandlerWhenTheMenuReplacedTheFrame)
{
    package_test::MemoryPackages packages;
    packages.add(u"Test/Context.menu", "<menu><item caption=\"Twice\" command=\"times 2 insertCharacters x\"/></menu>");
    RedrawingMenuWindow menuWindow;
    menuWindow.redraw = [this] { drawControl(); };
    menuWindow.chosen = u"times 2 insertCharacters x";
    m_frame.window.m_window = &menuWindow;
    openControl(u"ab", {}, "contextMenu Packages/Test/Context.menu");
    // Through the handler itself: the window would keep the tree alive.
    EXPECT_TRUE(m_handler->onInputEvent(control_events::button(kMouseRight, false, columnX(0), rowY(0))));
    EXPECT_EQ(menuWindow.shown, 1);
    EXPECT_EQ(text(), u"xxab");
    m_frame.window.m_window = &m_frame.platform;
}

// A frame drawn under a modal dialog that a key opened: the key's tree is
// kept until the key returns, so for a while the view has two handlers.
TEST_F(TextInputHandlerTest, AFrameDrawnWhileTheOlderTreeIsKeptHandsTheViewToItsHandler)
{
    openControl(u"ab");
    auto newer = std::make_unique<TextInputHandler>(&m_frame.window, RegionId(m_view.get()), m_rect, m_view,
                                                    true, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(m_view->inputRegion(), newer.get());
    // The next frame ends the first tree; its handler leaves the view alone.
    drawControl();
    EXPECT_EQ(m_view->inputRegion(), m_handler);
    newer.reset();
    EXPECT_EQ(m_view->inputRegion(), m_handler);
}

TEST_F(TextInputHandlerTest, AContextMenuFileThatDoesNotLoadIsReported)
{
    package_test::MemoryPackages packages;
    package_test::ReportedErrors errors;
    openControl(u"ab", {}, "contextMenu Packages/Test/Missing.menu");
    EXPECT_TRUE(m_handler->onContextMenuKey());
    const std::vector<std::string> reported = errors.take();
    ASSERT_FALSE(reported.empty());
    EXPECT_NE(reported[0].find("Missing.menu"), std::string::npos);
}

} // namespace
