// The window's part in finding: the incremental find commands, the find
// target following the active view, highlighting a large buffer across
// frames, and highlights that follow edits of the target.
#include <gtest/gtest.h>

#include <string>

#include "texteditor/find_window_fixture.h"
#include "ui/text/text_buffer_find.h"

namespace application_test {
namespace {

class WindowFindTest : public FindWindowTest {
protected:
    DialogPanel* incrementalPanel() { return m_window->panelHost().panel(u"incfind"); }
};

TEST_F(WindowFindTest, IncrementalFindCommandsSetTheDirectionAndShowTheIncrementalPanel)
{
    struct Case {
        const char* command;
        bool reverseBefore;
        bool reverseAfter;
    };
    const Case cases[] = {
        {"incrementalFind", true, false},
        {"incrementalFind", false, false},
        {"reverseIncrementalFind", false, true},
        {"reverseIncrementalFind", true, true},
    };
    open(u"ab ab ab", SelectionRegion(4));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.command << " from reverse " << c.reverseBefore);
        setOption(u"find.reverse", c.reverseBefore);
        ASSERT_TRUE(m_window->runCommand(ustring(toUstring(c.command))));
        EXPECT_EQ(c.reverseAfter, settings().reverse());
        EXPECT_EQ(c.reverseAfter, storedOption(u"find.reverse"));
        EXPECT_EQ(incrementalPanel(), m_window->panelHost().currentPanel());
        m_window->panelHost().hidePanel();
        m_window->draw(true);
    }
    // The direction reaches the incremental search.
    ASSERT_TRUE(m_window->runCommand(ustring(u"reverseIncrementalFind")));
    m_window->draw(true);
    type(u"ab");
    EXPECT_EQ(Regions{SelectionRegion(3, 5)}, selections());
}

TEST_F(WindowFindTest, HighlightingMovesToTheActiveViewWhileAFindPanelIsVisible)
{
    const slate::SP<TextBufferView> first = open(u"ab ab\nab", SelectionRegion(0, 8));
    show(u"find");
    ASSERT_TRUE(settings().inSelection());
    type(u"ab");
    ASSERT_EQ((Regions{SelectionRegion(0, 2), SelectionRegion(3, 5), SelectionRegion(6, 8)}), highlightedIn(*first));

    const slate::SP<TextBufferView> second = open(u"xx ab", SelectionRegion(0));
    EXPECT_EQ(Regions(), highlightedIn(*first));
    EXPECT_EQ(Regions{SelectionRegion(3, 5)}, highlightedIn(*second));
    EXPECT_EQ(second.get(), settings().targetView().get());
    EXPECT_FALSE(settings().inSelection());

    // Without a find panel the target stays where it is.
    m_window->panelHost().hidePanel();
    m_window->viewSet().focusView(first.get());
    m_window->draw(true);
    EXPECT_EQ(nullptr, settings().targetView().get());
    EXPECT_EQ(Regions(), highlightedIn(*first));
}

// Typing in the find field over a very large buffer used to search all of it
// in the keystroke; the window now finishes the highlighting one bounded
// step a frame and asks for frames until it is done.
TEST_F(WindowFindTest, HighlightingALargeBufferGoesOnOneStepAFrame)
{
    ustring text;
    for (int line = 0; line < 3000; ++line)
        text += u"alpha beta gamma\n";
    open(text, SelectionRegion(0));
    settings().setHighlightBudget(4096);
    show(u"find");
    type(u"beta");
    EXPECT_EQ(Regions{SelectionRegion(6, 10)}, selections());
    ASSERT_TRUE(settings().highlightPending());
    const SelectionRegion lastMatch(text.size() - 11, text.size() - 7);
    EXPECT_NE(lastMatch, highlighted().back());

    int frames = 0;
    while (settings().highlightPending() && frames < 100) {
        const bool done = m_window->draw(true);
        if (settings().highlightPending())
            EXPECT_FALSE(done);
        ++frames;
    }
    EXPECT_FALSE(settings().highlightPending());
    EXPECT_GT(frames, 1);
    EXPECT_EQ(lastMatch, highlighted().back());
}

TEST_F(WindowFindTest, EditingTheTargetBufferHighlightsItAgain)
{
    open(u"xx ab", SelectionRegion(0));
    show(u"find");
    type(u"ab");
    ASSERT_EQ(Regions{SelectionRegion(3, 5)}, highlighted());
    m_view->buffer()->insertCharacters(0, u"ab ", true);
    EXPECT_EQ((Regions{SelectionRegion(0, 2), SelectionRegion(6, 8)}), highlighted());
}

} // namespace
} // namespace application_test
