// The find and incremental find panels in an editor window: what they search
// for, from where and with which flags, as the user types, presses Enter and
// runs the find commands.
#include "panels/find_panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/control_events.h"
#include "controls/control_test_window.h"
#include "panels/find_settings.h"
#include "panels/history_list.h"
#include "support/recording_label_font.h"
#include "texteditor/find_window_fixture.h"
#include "texteditor/view_set.h"
#include "ui/key_codes.h"
#include "ui/notification_manager.h"
#include "ui/text/selection_printers.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"

namespace application_test {
namespace {

// A window with its two find panels.
class FindPanelTest : public FindWindowTest {
protected:
    void SetUp() override
    {
        FindWindowTest::SetUp();
        m_find = static_cast<FindPanel*>(m_window->panelHost().panel(u"find"));
        m_incremental = static_cast<FindPanel*>(m_window->panelHost().panel(u"incfind"));
        ASSERT_NE(nullptr, m_find);
        ASSERT_NE(nullptr, m_incremental);
    }

    FindPanel* m_find = nullptr;
    FindPanel* m_incremental = nullptr;
};

TEST_F(FindPanelTest, TypingSelectsTheFirstMatchFromTheSelectionBeginAndEmptyTextPutsTheCaretBack)
{
    open(u"b abc b", SelectionRegion(2, 5));
    show(u"incfind");
    EXPECT_EQ(u"", settings().findString());

    type(u"b");
    EXPECT_EQ(Regions{SelectionRegion(3, 4)}, selections());
    EXPECT_EQ((Regions{SelectionRegion(0, 1), SelectionRegion(3, 4), SelectionRegion(6, 7)}), highlighted());
    // Typing never adds to the history; only committing does.
    EXPECT_TRUE(m_application->m_history.findHistory.empty());

    settings().setFindString(u"");
    m_incremental->searchIncremental();
    EXPECT_EQ(Regions{SelectionRegion(2)}, selections());
    EXPECT_EQ(Regions(), highlighted());
}

// Emptying the find field used to put the caret at the remembered start
// position even when the buffer had since become shorter than that.
TEST_F(FindPanelTest, EmptyFindTextAfterTheBufferShrankPutsTheCaretAtItsEnd)
{
    open(u"abcdef ab", SelectionRegion(7));
    show(u"incfind");
    TextBuffer& buffer = *m_view->buffer();
    buffer.eraseCharacters(SelectionRegion(2, buffer.size()));
    type(u"x");
    EXPECT_EQ(Regions{SelectionRegion(2)}, selections());
    settings().setFindString(u"");
    m_incremental->searchIncremental();
    EXPECT_EQ(Regions{SelectionRegion(2)}, selections());
}

// A keystroke used to let the engine's exception out when the text typed so
// far was not yet a valid regular expression.
TEST_F(FindPanelTest, AnUncompilableRegexWhileTypingIsReportedAndNeverThrows)
{
    open(u"a (b) c", SelectionRegion(0));
    show(u"find");
    ASSERT_TRUE(settings().regex());
    EXPECT_NO_THROW(type(u"(b"));
    EXPECT_EQ(Regions{SelectionRegion(0)}, selections());
    EXPECT_FALSE(status().empty());
    EXPECT_FALSE(settings().highlightError().empty());

    type(u")");
    EXPECT_EQ(Regions{SelectionRegion(3, 4)}, selections());
    EXPECT_TRUE(settings().highlightError().empty());
}

TEST_F(FindPanelTest, EnterInTheIncrementalPanelClosesItOnTheMatchAndAskingAgainFindsTheNext)
{
    open(u"xx ab ab ab", SelectionRegion(0));
    show(u"incfind");
    type(u"ab");
    // Asked for again while open and focused: the next match, still open.
    ASSERT_TRUE(m_window->runCommand(ustring(u"showPanel incfind")));
    EXPECT_EQ(m_incremental, m_window->panelHost().currentPanel());
    EXPECT_EQ(Regions{SelectionRegion(6, 8)}, selections());

    m_window->onKeyOrButton(enterKey());
    EXPECT_EQ(nullptr, m_window->panelHost().currentPanel());
    EXPECT_EQ(Regions{SelectionRegion(6, 8)}, selections());
    EXPECT_EQ(Regions(), highlighted());
    ASSERT_FALSE(m_application->m_history.findHistory.empty());
    EXPECT_EQ(u"ab", m_application->m_history.findHistory[0]);

    // The find panel asked for again while focused hides instead.
    show(u"find");
    ASSERT_TRUE(m_window->runCommand(ustring(u"showPanel find")));
    EXPECT_EQ(nullptr, m_window->panelHost().currentPanel());
}

TEST_F(FindPanelTest, EnterWithModifiersInTheFindField)
{
    struct Case {
        const char* name;
        std::initializer_list<int32_t> held;
        Regions selections;
        ustring findText;
        bool focusInField;
    };
    // The text searched is "ab" from the caret at 3; Ctrl+Enter makes the
    // find text "ab\n" and searches again from the start position.
    const Case cases[] = {
        {"Enter: next", {}, {SelectionRegion(6, 8)}, u"ab", true},
        {"Shift+Enter: previous", {kKeyLeftShift}, {SelectionRegion(0, 2)}, u"ab", true},
        {"Alt+Enter: all", {kKeyRightAlt}, {SelectionRegion(0, 2), SelectionRegion(3, 5), SelectionRegion(6, 8)},
         u"ab", true},
        {"Ctrl+Enter: line break", {kKeyLeftControl}, {SelectionRegion(6, 9)}, u"ab\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(u"ab ab ab\nx", SelectionRegion(3));
        show(u"find");
        type(u"ab");
        ASSERT_EQ(Regions{SelectionRegion(3, 5)}, selections());
        m_window->onKeyOrButton(enterKey(c.held));
        EXPECT_EQ(c.selections, selections());
        EXPECT_EQ(c.findText, settings().findString());
        EXPECT_EQ(m_find, m_window->panelHost().currentPanel());
        m_window->draw(true);
        EXPECT_TRUE(m_window->focusState()->hasFocus(RegionId(m_find, 1)));
        m_window->panelHost().hidePanel();
    }
}

TEST_F(FindPanelTest, ShowingSetsInSelectionFromTheSelectionAndMayTakeItsText)
{
    struct Case {
        const char* name;
        const char16_t* panel;
        SelectionRegion selection;
        bool useSelectedText;
        bool inSelection;
        ustring findText;
    };
    // The view holds "one two\nthree"; the find field holds "old".
    const Case cases[] = {
        {"two lines", u"find", SelectionRegion(4, 11), true, true, u"old"},
        {"one line", u"find", SelectionRegion(4, 7), true, false, u"two"},
        {"one line without use selected text", u"find", SelectionRegion(4, 7), false, false, u"old"},
        {"caret", u"find", SelectionRegion(4), true, false, u"old"},
        {"incremental opens empty", u"incfind", SelectionRegion(4, 7), true, false, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(u"one two\nthree", c.selection);
        setOption(u"find.useSelectedText", c.useSelectedText);
        setOption(u"find.inSelection", !c.inSelection);
        settings().setFindString(u"old");
        show(c.panel);
        EXPECT_EQ(c.inSelection, settings().inSelection());
        EXPECT_EQ(c.inSelection, storedOption(u"find.inSelection"));
        EXPECT_EQ(c.findText, settings().findString());
        const slate::SP<TextBufferView>& field = settings().findView();
        EXPECT_EQ(Regions{SelectionRegion(0, field->buffer()->size())}, field->sel().regions());
        m_window->panelHost().hidePanel();
    }
}

TEST_F(FindPanelTest, FindAllInSelectionStaysInsideTheAreaAndThenLeavesInSelectionOff)
{
    open(u"ab ab\nab ab\nab", SelectionRegion(3, 8));
    show(u"find");
    ASSERT_TRUE(settings().inSelection());
    // Inside the area a match must begin after the start position.
    type(u"ab");
    EXPECT_EQ(Regions{SelectionRegion(6, 8)}, selections());
    m_find->findAll(true);
    EXPECT_EQ((Regions{SelectionRegion(3, 5), SelectionRegion(6, 8)}), selections());
    EXPECT_FALSE(settings().inSelection());
    EXPECT_FALSE(storedOption(u"find.inSelection"));
    EXPECT_EQ(u"Found 2 matches", status());
}

TEST_F(FindPanelTest, FindPrevGoesAgainstTheReverseFlag)
{
    open(u"ab ab ab", SelectionRegion(3, 5));
    settings().setFindString(u"ab");
    setOption(u"find.reverse", true);
    ASSERT_TRUE(m_window->runCommand(ustring(u"findPrev")));
    EXPECT_EQ(Regions{SelectionRegion(6, 8)}, selections());
    ASSERT_TRUE(m_window->runCommand(ustring(u"findNext")));
    EXPECT_EQ(Regions{SelectionRegion(3, 5)}, selections());
    EXPECT_TRUE(settings().reverse());
}

TEST_F(FindPanelTest, FindNextWithAnEmptyFindTextOnlyFocusesTheView)
{
    open(u"ab ab", SelectionRegion(1));
    show(u"find");
    settings().setFindString(u"");
    ASSERT_TRUE(m_window->runCommand(ustring(u"findNext")));
    m_window->draw(true);
    EXPECT_EQ(Regions{SelectionRegion(1)}, selections());
    EXPECT_TRUE(m_application->m_history.findHistory.empty());
    EXPECT_TRUE(m_window->focusState()->hasFocus(RegionId(m_view.get())));
}

TEST_F(FindPanelTest, FindUnderSearchesForTheWordLiterallyWithRegexAndInSelectionOff)
{
    struct Case {
        const char* command;
        Regions selections;
    };
    // "a.c" as a regular expression would match "abc" first.
    const Case cases[] = {
        {"findUnder", {SelectionRegion(12, 15)}},
        {"findUnderPrev", {SelectionRegion(0, 3)}},
        {"findAllUnder", {SelectionRegion(0, 3), SelectionRegion(8, 11), SelectionRegion(12, 15)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        open(u"a.c abc a.c a.c", SelectionRegion(8, 11));
        setOption(u"find.regex", true);
        setOption(u"find.inSelection", true);
        ASSERT_TRUE(m_window->runCommand(ustring(toUstring(c.command))));
        EXPECT_EQ(c.selections, selections());
        EXPECT_EQ(u"a.c", settings().findString());
        EXPECT_FALSE(settings().regex());
        EXPECT_FALSE(storedOption(u"find.regex"));
        EXPECT_FALSE(settings().inSelection());
        EXPECT_EQ(u"a.c", m_application->m_history.findHistory[0]);
    }
}

TEST_F(FindPanelTest, FindUnderOnACaretBetweenBlanksOnlyFocusesTheView)
{
    open(u"ab   ab", SelectionRegion(3));
    settings().setFindString(u"old");
    show(u"find");
    ASSERT_TRUE(m_window->runCommand(ustring(u"findUnder")));
    m_window->draw(true);
    EXPECT_EQ(Regions{SelectionRegion(3)}, selections());
    EXPECT_EQ(u"old", settings().findString());
    EXPECT_TRUE(m_window->focusState()->hasFocus(RegionId(m_view.get())));
}

TEST_F(FindPanelTest, SlurpFindStringTakesTheWordTurnsRegexOffAndSearchesNothing)
{
    open(u"one two two", SelectionRegion(5));
    setOption(u"find.regex", true);
    ASSERT_TRUE(m_window->runCommand(ustring(u"slurpFindString")));
    EXPECT_EQ(u"two", settings().findString());
    EXPECT_EQ(Regions{SelectionRegion(5)}, selections());
    EXPECT_FALSE(settings().regex());
    EXPECT_FALSE(storedOption(u"find.regex"));
    EXPECT_EQ(u"two", m_application->m_history.findHistory[0]);
    EXPECT_EQ(u"Copied find string from buffer", status());
}

TEST_F(FindPanelTest, ToggleAFlagWhileThePanelIsOpenSearchesAgainFromTheStart)
{
    open(u"Ab ab AB", SelectionRegion(1));
    show(u"incfind");
    type(u"AB");
    EXPECT_EQ(Regions{SelectionRegion(3, 5)}, selections());
    settings().setCaseSensitive(true);
    EXPECT_TRUE(settings().caseSensitive());
    EXPECT_EQ(Regions{SelectionRegion(6, 8)}, selections());
    EXPECT_EQ(Regions{SelectionRegion(6, 8)}, highlighted());
}

// The panel drawn alone at a given width: which of its push buttons exist,
// and where the find field ends.
class FindPanelLayoutTest : public FindPanelTest {
protected:
    struct Drawn {
        std::vector<int32_t> buttons; // region indices, left to right
        float fieldRight = 0;
        std::vector<std::string> lines;
    };
    Drawn layout(FindPanel& panel, float width)
    {
        auto* canvas = static_cast<RecordingCanvas*>(m_window->canvas());
        control_test::TestFrame frame(*canvas);
        RecordingLabelFont labels(canvas);
        frame.theme().controlFont.font = &labels;
        canvas->clearLines();
        frame.frame([&](InputRegion* root) { return panel.layout(&frame.theme(), root, interval2(0, 0, width, 32)); });
        BaseWindow::RegionMap regions;
        BaseWindow::collectRegions(frame.root(), regions);
        Drawn drawn;
        for (int32_t index : {998, 997, 999}) {
            if (regions.count(RegionId(&panel, index)))
                drawn.buttons.push_back(index);
        }
        if (regions.count(RegionId(&panel, 1)))
            drawn.fieldRight = regions[RegionId(&panel, 1)]->rect().x1;
        drawn.lines = canvas->lines();
        return drawn;
    }
};

TEST_F(FindPanelLayoutTest, WideButtonsAppearOnlyWhenThereIsRoomAndTheFieldTakesTheRest)
{
    struct Case {
        bool incremental;
        float width;
        std::vector<int32_t> buttons;
        float fieldRight; // of the field with its drop-down button
    };
    const Case cases[] = {
        {false, 700, {998}, 700 - 4 - 88 - 4},
        {false, 740, {998, 997}, 740 - 4 - 88 - 4 - 88 - 4},
        {false, 751, {998, 997, 999}, 751 - 4 - 3 * 92},
        {true, 1000, {998}, 1000 - 4 - 88 - 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.incremental ? "incfind " : "find ") << c.width);
        const Drawn drawn = layout(c.incremental ? *m_incremental : *m_find, c.width);
        EXPECT_EQ(c.buttons, drawn.buttons);
        EXPECT_EQ(c.fieldRight, drawn.fieldRight);
    }
}

TEST_F(FindPanelLayoutTest, ARegexErrorIsShownBesideTheFieldUntilThePatternIsValid)
{
    open(u"a (b) c", SelectionRegion(0));
    show(u"find");
    type(u"(b");
    const ustring& error = settings().highlightError();
    ASSERT_NE(ustring::npos, error.find(u"Unmatched"));
    const std::string message = RecordingCanvas::formatText(error.substr(0, error.find(u".  ") + 1));
    const auto shows = [&message](const Drawn& drawn) {
        return std::any_of(drawn.lines.begin(), drawn.lines.end(), [&message](const std::string& line) {
            return line.rfind("label at ", 0) == 0 && line.find(message) != std::string::npos;
        });
    };
    const Drawn broken = layout(*m_find, 800);
    EXPECT_TRUE(shows(broken));
    type(u")");
    const Drawn fixed = layout(*m_find, 800);
    EXPECT_FALSE(shows(fixed));
    EXPECT_LT(broken.fieldRight, fixed.fieldRight);
}

} // namespace
} // namespace application_test
