// The replace panel in an editor window: what Find, Replace, Replace All and
// Enter in its two fields do to the active view, and how the replacement,
// its history and the preserve case flag are kept.
#include "panels/replace_panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "controls/control_events.h"
#include "controls/control_test_window.h"
#include "panels/history_list.h"
#include "support/recording_label_font.h"
#include "texteditor/find_window_fixture.h"

namespace application_test {
namespace {

constexpr int32_t kFindField = 1;
constexpr int32_t kReplaceField = 3;

class ReplacePanelTest : public FindWindowTest {
protected:
    void SetUp() override
    {
        FindWindowTest::SetUp();
        m_panel = static_cast<ReplacePanel*>(m_window->panelHost().panel(u"replace"));
        ASSERT_NE(nullptr, m_panel);
        ASSERT_NE(nullptr, m_panel->replaceView());
    }

    // Shows the panel with `find` typed into its find field and `replacement`
    // in its replacement field, which then has the focus.
    void showWith(const ustring& find, const ustring& replacement)
    {
        show(u"replace");
        type(find);
        focusField(kReplaceField);
        m_panel->setReplaceString(replacement);
    }
    void focusField(int32_t index)
    {
        m_window->focusState()->requestFocus(RegionId(m_panel, index));
        m_window->draw(true);
    }
    bool hasFocus(const RegionId& id)
    {
        m_window->draw(true);
        return m_window->focusState()->hasFocus(id);
    }
    ustring storedString(const char16_t* key)
    {
        ustring value;
        applicationOptions()->getString(ustring(key), value);
        return value;
    }

    ReplacePanel* m_panel = nullptr;
};

TEST_F(ReplacePanelTest, TheFirstReplaceOnlySelectsTheMatchAndTheSecondReplacesItAndCommitsBothTexts)
{
    open(u"foo foo", SelectionRegion(0));
    showWith(u"foo", u"bar");

    m_panel->replace();
    EXPECT_EQ(u"foo foo", m_view->buffer()->str());
    EXPECT_EQ(Regions{SelectionRegion(0, 3)}, selections());
    EXPECT_TRUE(hasFocus(RegionId(m_view.get())));

    m_panel->replace();
    EXPECT_EQ(u"bar foo", m_view->buffer()->str());
    EXPECT_EQ(Regions{SelectionRegion(4, 7)}, selections());
    ASSERT_FALSE(m_application->m_history.findHistory.empty());
    EXPECT_EQ(u"foo", m_application->m_history.findHistory[0]);
    ASSERT_FALSE(m_application->m_history.replaceHistory.empty());
    EXPECT_EQ(u"bar", m_application->m_history.replaceHistory[0]);
    EXPECT_EQ(u"foo", storedString(u"find.string"));
    EXPECT_EQ(u"bar", storedString(u"find.replacementString"));
    // The stored replacement read back by the window's options change
    // leaves the field alone.
    EXPECT_EQ(u"bar", m_panel->replaceString());
}

TEST_F(ReplacePanelTest, EnterInEitherField)
{
    struct Case {
        const char* name;
        int32_t field;
        std::initializer_list<int32_t> held;
        const char16_t* text;
        Regions selections;
        const char16_t* findText;
        const char16_t* replaceText;
    };
    // "ab" is searched from the caret at 3 and replaced by "x".
    const Case cases[] = {
        {"Enter in the find field: next", kFindField, {}, u"ab ab ab", {SelectionRegion(3, 5)}, u"ab", u"x"},
        {"Enter in the replace field: next", kReplaceField, {}, u"ab ab ab", {SelectionRegion(3, 5)}, u"ab", u"x"},
        {"Shift+Enter: previous", kReplaceField, {kKeyLeftShift}, u"ab ab ab", {SelectionRegion(0, 2)}, u"ab",
         u"x"},
        {"Alt+Enter: replace all", kFindField, {kKeyRightAlt}, u"x x x", {SelectionRegion(3)}, u"ab", u"x"},
        {"Ctrl+Enter in the find field", kFindField, {kKeyLeftControl}, u"ab ab ab", {SelectionRegion(3)},
         u"ab\n", u"x"},
        {"Ctrl+Enter in the replace field", kReplaceField, {kKeyLeftControl}, u"ab ab ab", {SelectionRegion(3)},
         u"ab", u"x\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(u"ab ab ab", SelectionRegion(3));
        showWith(u"ab", u"x");
        focusField(c.field);
        m_window->onKeyOrButton(enterKey(c.held));
        EXPECT_EQ(c.text, m_view->buffer()->str());
        EXPECT_EQ(c.selections, selections());
        EXPECT_EQ(c.findText, settings().findString());
        EXPECT_EQ(c.replaceText, m_panel->replaceString());
        EXPECT_TRUE(hasFocus(RegionId(m_panel, c.field)));
        m_window->panelHost().hidePanel();
    }
}

TEST_F(ReplacePanelTest, TabMovesBetweenTheTwoFields)
{
    open(u"ab", SelectionRegion(0));
    show(u"replace");
    KeyEvent tab;
    tab.code = kKeyTab;
    tab.pressed = true;
    m_window->onKeyOrButton(tab);
    EXPECT_TRUE(hasFocus(RegionId(m_panel, kReplaceField)));
    m_window->onKeyOrButton(tab);
    EXPECT_TRUE(hasFocus(RegionId(m_panel, kFindField)));
}

TEST_F(ReplacePanelTest, ReplaceAllIsOneUndoStep)
{
    open(u"ab ab ab", SelectionRegion(0));
    showWith(u"ab", u"x");
    m_panel->replaceAll(true);
    EXPECT_EQ(u"x x x", m_view->buffer()->str());
    EXPECT_EQ(u"Made 3 replacements", status());
    EXPECT_TRUE(hasFocus(RegionId(m_view.get())));
    m_view->buffer()->undo();
    EXPECT_EQ(u"ab ab ab", m_view->buffer()->str());
}

TEST_F(ReplacePanelTest, DollarReferencesAreAFormatUnlessTheSearchIsLiteral)
{
    struct Case {
        bool regex;
        bool wholeWord;
        const char16_t* find;
        const char16_t* replacement;
        const char16_t* expected;
    };
    const Case cases[] = {
        {true, false, u"f(o)o", u"[$1]", u"[o] bar"},
        {false, true, u"foo", u"<$0>", u"<foo> bar"},
        {false, false, u"foo", u"$1", u"$1 bar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "regex " << c.regex << " whole word " << c.wholeWord);
        setOption(u"find.regex", c.regex);
        setOption(u"find.wholeWord", c.wholeWord);
        open(u"foo bar", SelectionRegion(0));
        showWith(c.find, c.replacement);
        m_panel->replaceAll(false);
        EXPECT_EQ(c.expected, m_view->buffer()->str());
        EXPECT_EQ(u"Made 1 replacement", status());
        m_window->panelHost().hidePanel();
    }
}

TEST_F(ReplacePanelTest, PreserveCaseIsStoredInTheOptionsAndKeepsTheCaseOfEachMatch)
{
    open(u"hello HELLO Hello hELLO", SelectionRegion(0));
    showWith(u"hello", u"goodbye");
    ASSERT_FALSE(m_panel->preserveCase());
    m_panel->setPreserveCase(true);
    EXPECT_TRUE(storedOption(u"find.preserveCase"));
    EXPECT_TRUE(m_panel->preserveCase());

    m_panel->replaceAll(false);
    EXPECT_EQ(u"goodbye GOODBYE Goodbye gOODBye", m_view->buffer()->str());
}

TEST_F(ReplacePanelTest, ThePreserveCaseToggleSwitchesTheStoredFlag)
{
    open(u"a", SelectionRegion(0));
    show(u"replace");
    for (bool expected : {true, false}) {
        BaseWindow::RegionMap regions;
        BaseWindow::collectRegions(m_window->root(), regions);
        const auto toggle = regions.find(RegionId(m_panel, 5));
        ASSERT_NE(regions.end(), toggle);
        const interval2 rect = toggle->second->rect();
        const float x = (rect.x0 + rect.x1) / 2;
        const float y = (rect.y0 + rect.y1) / 2;
        m_window->onKeyOrButton(control_events::button(kMouseLeft, true, x, y));
        static_cast<test_support::FakePlatformWindow*>(m_window->m_window)
            ->dragKey(control_events::button(kMouseLeft, false, x, y));
        EXPECT_EQ(expected, storedOption(u"find.preserveCase"));
        EXPECT_EQ(expected, m_panel->preserveCase());
        m_window->draw(true);
    }
}

TEST_F(ReplacePanelTest, FindSwitchesInSelectionOffAfterSearchingButReplaceAllStaysInsideTheArea)
{
    open(u"a\na\na\na", SelectionRegion(2, 5));
    showWith(u"a", u"b");
    ASSERT_TRUE(settings().inSelection());

    m_panel->replaceAll(false);
    EXPECT_EQ(u"a\nb\nb\na", m_view->buffer()->str());
    EXPECT_TRUE(settings().inSelection());
    m_panel->replaceAll(false);
    EXPECT_EQ(u"a\nb\nb\na", m_view->buffer()->str());

    settings().setFindString(u"b");
    m_panel->find(false);
    EXPECT_FALSE(settings().inSelection());
    EXPECT_FALSE(storedOption(u"find.inSelection"));
}

// The options refuse values with a line break, and reading them back after
// Replace All used to put the previous texts into both fields.
TEST_F(ReplacePanelTest, FindAndReplaceTextsWithALineBreakSurviveReplaceAll)
{
    open(u"a\nb a\nb", SelectionRegion(0));
    show(u"replace");
    type(u"a");
    m_window->onKeyOrButton(enterKey({kKeyLeftControl}));
    type(u"b");
    m_panel->setReplaceString(u"x");

    m_window->onKeyOrButton(enterKey({kKeyRightAlt}));
    EXPECT_EQ(u"x x", m_view->buffer()->str());
    EXPECT_EQ(u"a\nb", settings().findString());

    focusField(kReplaceField);
    m_window->onKeyOrButton(enterKey({kKeyLeftControl}));
    settings().setFindString(u"x");
    m_window->onKeyOrButton(enterKey({kKeyRightAlt}));
    EXPECT_EQ(u"x\n x\n", m_view->buffer()->str());
    EXPECT_EQ(u"x\n", m_panel->replaceString());
    ASSERT_FALSE(m_application->m_history.replaceHistory.empty());
    EXPECT_EQ(u"x\n", m_application->m_history.replaceHistory[0]);
}

TEST_F(ReplacePanelTest, ShowingTakesTheFindTextOrTheSearchAreaFromTheSelection)
{
    struct Case {
        const char* name;
        SelectionRegion selection;
        bool inSelection;
        const char16_t* findText;
    };
    // With use selected text on; the find field holds "old".
    const Case cases[] = {
        {"one line becomes the find text", SelectionRegion(0, 3), false, u"one"},
        {"two lines become the search area", SelectionRegion(0, 7), true, u"old"},
        {"a caret changes nothing", SelectionRegion(2), false, u"old"},
    };
    setOption(u"find.useSelectedText", true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(u"one\ntwo", c.selection);
        settings().setFindString(u"old");
        show(u"replace");
        EXPECT_EQ(c.inSelection, settings().inSelection());
        EXPECT_EQ(c.findText, settings().findString());
        EXPECT_TRUE(hasFocus(RegionId(m_panel, kFindField)));
        EXPECT_EQ(SelectionRegion(0, settings().findView()->buffer()->size()), settings().findView()->sel()[0]);
        // Nothing is searched until asked.
        EXPECT_EQ(Regions{c.selection}, selections());
        m_window->panelHost().hidePanel();
    }
}

TEST_F(ReplacePanelTest, WithoutAFindTextNothingIsReplacedOrCommitted)
{
    open(u"ab", SelectionRegion(0));
    showWith(u"", u"x");
    m_panel->replaceAll(false);
    m_panel->replace();
    EXPECT_EQ(u"ab", m_view->buffer()->str());
    EXPECT_TRUE(m_application->m_history.replaceHistory.empty());
    EXPECT_EQ(u"", storedString(u"find.replacementString"));
}

// A keystroke in the find field used to let the engine's exception out when
// the text typed so far was not yet a valid regular expression.
TEST_F(ReplacePanelTest, AnUncompilableRegexIsReportedAndNeitherThrowsNorReplaces)
{
    open(u"a (b) c", SelectionRegion(0));
    show(u"replace");
    ASSERT_TRUE(settings().regex());
    EXPECT_NO_THROW(type(u"(b"));
    EXPECT_FALSE(settings().highlightError().empty());
    m_panel->setReplaceString(u"x");
    EXPECT_NO_THROW(m_panel->replaceAll(false));
    EXPECT_FALSE(status().empty());
    EXPECT_NO_THROW(m_panel->replace());
    EXPECT_NO_THROW(m_panel->find(false));
    EXPECT_EQ(u"a (b) c", m_view->buffer()->str());
    EXPECT_EQ(Regions{SelectionRegion(0)}, selections());
}

TEST_F(ReplacePanelTest, TheReplacementFollowsTheOptionsIntoEveryWindowAndElseComesFromTheHistory)
{
    m_application->m_history.replaceHistory.add(u"older");
    TextEditorWindow* second = m_application->newWindow(u"", false);
    ASSERT_NE(nullptr, second);
    auto* secondPanel = static_cast<ReplacePanel*>(second->panelHost().panel(u"replace"));
    EXPECT_EQ(u"older", secondPanel->replaceString());

    open(u"a", SelectionRegion(0));
    showWith(u"a", u"newer");
    m_panel->replaceAll(false);
    EXPECT_EQ(u"newer", secondPanel->replaceString());

    TextEditorWindow* third = m_application->newWindow(u"", false);
    ASSERT_NE(nullptr, third);
    EXPECT_EQ(u"newer", static_cast<ReplacePanel*>(third->panelHost().panel(u"replace"))->replaceString());
}

TEST_F(ReplacePanelTest, SlurpReplaceStringTakesTheWordAtTheCaretWithoutSearching)
{
    open(u"alpha  beta", SelectionRegion(9));
    ASSERT_TRUE(m_window->runCommand(ustring(u"slurpReplaceString")));
    EXPECT_EQ(u"beta", m_panel->replaceString());
    EXPECT_EQ(u"beta", storedString(u"find.replacementString"));
    EXPECT_EQ(u"Copied replace string from buffer", status());
    EXPECT_EQ(Regions{SelectionRegion(9)}, selections());

    // Between two blanks there is no word to take.
    select(SelectionRegion(6));
    ASSERT_TRUE(m_window->runCommand(ustring(u"slurpReplaceString")));
    EXPECT_EQ(u"beta", m_panel->replaceString());
}

TEST_F(ReplacePanelTest, TheRegexToggleSwapsTheReplaceFieldBetweenFormatAndPlainOptionsOnTheNextFrame)
{
    const auto parentIs = [this](const char16_t* path) {
        const std::vector<slate::SP<Options>>& parents = m_panel->replaceView()->options()->parents();
        const slate::SP<Options> expected = packageOptions(path);
        return std::find(parents.begin(), parents.end(), expected) != parents.end();
    };
    open(u"a", SelectionRegion(0));
    show(u"replace");
    ASSERT_TRUE(settings().regex());
    EXPECT_TRUE(parentIs(u"Packages/Default/Options/Regex Format Widget.vantrel-options"));
    setOption(u"find.regex", false);
    m_window->draw(true);
    EXPECT_TRUE(parentIs(u"Packages/Default/Options/Widget.vantrel-options"));
    EXPECT_FALSE(parentIs(u"Packages/Default/Options/Regex Format Widget.vantrel-options"));
}

// The panel drawn alone: where its labels, fields and buttons land.
TEST_F(ReplacePanelTest, TheLayoutPutsTwoRowsOfLabelsFieldsAndButtonsBesideTheToggles)
{
    open(u"a (b) c", SelectionRegion(0));
    show(u"replace");
    type(u"(b");
    auto* canvas = static_cast<RecordingCanvas*>(m_window->canvas());
    control_test::TestFrame frame(*canvas);
    RecordingLabelFont labels(canvas);
    frame.theme().controlFont.font = &labels;
    canvas->clearLines();
    const float width = 800;
    frame.frame([&](InputRegion* root) { return m_panel->layout(&frame.theme(), root, interval2(0, 0, width, 64)); });
    BaseWindow::RegionMap regions;
    BaseWindow::collectRegions(frame.root(), regions);
    const auto rectOf = [&](int32_t index) {
        const auto it = regions.find(RegionId(m_panel, index));
        return it == regions.end() ? interval2(-1, -1, -1, -1) : it->second->rect();
    };

    // Columns: toggles 148, the label "Replace with:" (13 units of 7 pixels),
    // the fields, and two of 88, all 4 apart inside a 4-pixel margin; rows of
    // 26, 4 apart.
    const float fieldLeft = 4 + 148 + 4 + 13 * 7 + 4;
    const float secondButtonLeft = width - 4 - 88;
    const float firstButtonLeft = secondButtonLeft - 4 - 88;
    const struct {
        int32_t index;
        interval2 rect;
    } expected[] = {
        {8008, interval2(firstButtonLeft, 4, firstButtonLeft + 88, 30)},
        {8011, interval2(firstButtonLeft, 34, firstButtonLeft + 88, 60)},
        {8009, interval2(secondButtonLeft, 4, width - 4, 30)},
        {8010, interval2(secondButtonLeft, 34, width - 4, 60)},
        {kReplaceField, interval2(fieldLeft, 34, firstButtonLeft - 4, 60)},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.index);
        const interval2 rect = rectOf(e.index);
        EXPECT_EQ(e.rect.x0, rect.x0);
        EXPECT_EQ(e.rect.y0, rect.y0);
        EXPECT_EQ(e.rect.x1, rect.x1);
        EXPECT_EQ(e.rect.y1, rect.y1);
    }
    // The find field gives part of its cell to the regex error.
    EXPECT_EQ(fieldLeft, rectOf(kFindField).x0);
    EXPECT_LT(rectOf(kFindField).x1, firstButtonLeft - 4);

    const std::vector<std::string> lines = canvas->lines();
    const auto drew = [&lines](const std::string& prefix) {
        return std::any_of(lines.begin(), lines.end(),
                           [&prefix](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    };
    // Labels 15 high, centred in their rows (at whole pixels).
    EXPECT_TRUE(drew("label at 156 9 \"Find what:\""));
    EXPECT_TRUE(drew("label at 156 39 \"Replace with:\""));
    const ustring& message = settings().highlightError();
    ASSERT_NE(ustring::npos, message.find(u"Unmatched"));
    const std::string error = RecordingCanvas::formatText(message.substr(0, message.find(u".  ") + 1));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&error](const std::string& line) {
        return line.rfind("label at ", 0) == 0 && line.find(error) != std::string::npos;
    }));
}

} // namespace
} // namespace application_test
