#include "panels/goto_panel.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "texteditor/application_fixture.h"
#include "texteditor/view_set.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"

namespace application_test {
namespace {

TEST(GotoRowFromText, ReadsTheLeadingNumberAsAOneBasedLine)
{
    struct Case {
        const char16_t* text;
        int32_t row;
    };
    const Case cases[] = {
        {u"7", 6},
        {u"1", 0},
        {u"0", 0},
        {u"-5", 0},
        {u"  12abc", 11},
        {u"abc", 0},
        {u"", 0},
        // The field saturates at the int range; one less than its smallest
        // value must not wrap round to a huge row.
        {u"-99999999999", 0},
        {u"99999999999", INT_MAX - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
        EXPECT_EQ(c.row, gotoRowFromText(c.text));
    }
}

// A window whose active view holds lines "line 1" .. "line 20".
class GotoPanelTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        m_panel = static_cast<GotoPanel*>(m_window->panelHost().panel(u"goto"));
        ASSERT_NE(nullptr, m_panel);
        ASSERT_NE(nullptr, m_panel->fieldView());
    }

    slate::SP<TextBufferView> openLines()
    {
        m_window->openFile(toUstring((m_folder.path() / "lines.txt").string()), FileEncoding(),
                           TextEditorWindow::kOpenCreateMissing);
        slate::SP<TextBufferView> view = m_window->viewSet().activeView();
        if (!view)
            return view;
        ustring text;
        for (int line = 1; line <= 20; ++line)
            text += u"line " + toUstring(std::to_string(line)) + (line < 20 ? u"\n" : u"");
        view->buffer()->insertCharacters(0, text, true);
        view->mutableSel() = SelectionSet(SelectionRegion(3));
        return view;
    }

    void typeInField(const ustring& text)
    {
        TextBuffer& field = *m_panel->fieldView()->buffer();
        field.eraseCharacters(SelectionRegion(0, field.size()));
        field.insertCharacters(0, text, true);
    }

    static int32_t caretRow(const TextBufferView& view)
    {
        int32_t row = -1;
        int32_t column = -1;
        view.buffer()->rowcol(view.sel()[0].b, row, column);
        return row;
    }

    GotoPanel* m_panel = nullptr;
};

TEST_F(GotoPanelTest, CommitMovesTheCaretToTheLineStartAndHidesThePanel)
{
    slate::SP<TextBufferView> view = openLines();
    ASSERT_NE(nullptr, view);
    // The key map binds ctrl+g to this command line.
    m_window->draw(false);
    ASSERT_TRUE(m_window->runCommand(ustring(u"showPanel goto")));
    ASSERT_EQ(m_panel, m_window->panelHost().currentPanel());

    typeInField(u"  12abc");
    m_panel->onCommit();
    EXPECT_EQ(11, caretRow(*view));
    EXPECT_EQ(view->buffer()->textPoint(11, 0), view->sel()[0].b);
    EXPECT_EQ(nullptr, m_window->panelHost().currentPanel());
    // The field keeps its number, selected whole when the panel is next shown.
    m_window->panelHost().showPanel(m_panel);
    const TextBuffer& field = *m_panel->fieldView()->buffer();
    EXPECT_EQ(u"  12abc", field.str());
    EXPECT_EQ(SelectionRegion(0, field.size()), m_panel->fieldView()->sel()[0]);
}

TEST_F(GotoPanelTest, ALinePastTheEndGoesToTheLastLine)
{
    slate::SP<TextBufferView> view = openLines();
    ASSERT_NE(nullptr, view);
    typeInField(u"500");
    m_panel->onCommit();
    EXPECT_EQ(19, caretRow(*view));
}

TEST_F(GotoPanelTest, WithoutAnActiveViewCommitOnlyHidesThePanel)
{
    ASSERT_EQ(nullptr, m_window->viewSet().activeView());
    m_window->panelHost().showPanel(m_panel);
    typeInField(u"3");
    m_panel->onCommit();
    EXPECT_EQ(nullptr, m_window->panelHost().currentPanel());
}

} // namespace
} // namespace application_test
