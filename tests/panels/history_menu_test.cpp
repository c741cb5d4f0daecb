// The history drop-down: how entries are captioned, the menu they make, where
// and how it is shown, and what choosing an entry does.
#include "panels/history_menu.h"

#include <gtest/gtest.h>

#include <vector>

#include "panels/history_list.h"
#include "ui/text/text_buffer_view.h"
#include "support/fake_window.h"
#include "ui/input_region.h"
#include "ui/menu_descriptor.h"
#include "ui/unicode.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"

namespace {

TEST(HistoryMenuCaption, ShortensAndEscapesEntries)
{
    const ustring thirtyTwo = u"0123456789abcdefghijklmnopqrstuv";
    ASSERT_EQ(32u, thirtyTwo.size());
    struct Case {
        const char* name;
        ustring entry;
        ustring caption;
    };
    const Case cases[] = {
        {"32 characters show whole", thirtyTwo, thirtyTwo},
        {"33 characters show 29 and dots", thirtyTwo + u"w", thirtyTwo.substr(0, 29) + u"..."},
        {"a two-line entry shows its first line and dots", u"first\nsecond", u"first..."},
        {"an entry ending in a line feed is cut there", u"line\n", u"line..."},
        {"a long first line is cut once", thirtyTwo + u"w\nmore", thirtyTwo.substr(0, 29) + u"..."},
        {"an ampersand shows doubled", u"a & b", u"a && b"},
        {"ampersands do not count towards the length", u"&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&",
         u"&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&"},
        {"a tab shows as a space", u"a\tb", u"a b"},
        {"a surrogate pair at the cut is kept whole",
         thirtyTwo.substr(0, 28) + u"\U0001F600" + u"tail", thirtyTwo.substr(0, 28) + u"..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.caption, historyMenuCaption(c.entry));
    }
}

// The menu model reads "-" as a separator and "%s" as a command's value: an
// entry spelled so must still show as an item with its own text.
TEST(HistoryMenuCaption, EntriesThatLookLikeMenuMarkupStayVisibleItems)
{
    EXPECT_NE(u"-", historyMenuCaption(u"-"));
    for (const ustring entry : {u"%s", u"printf(\"%s%s\")"}) {
        SCOPED_TRACE(toUtf8(entry));
        EXPECT_EQ(ustring::npos, historyMenuCaption(entry).find(u"%s"));
    }
}

// Records the menu it is asked to show and picks `chosenCommand` from it.
struct MenuRecordingWindow : test_support::FakePlatformWindow {
    bool showPopupMenu(ustring& command, const slate::SP<MenuDescriptor>& menu, CommandRunner*, float x, float y,
                       PopupMenuFlags flags) override
    {
        ++menusShown;
        shown = menu;
        at = vector2{x, y};
        shownFlags = flags;
        if (chosenCommand.empty())
            return false;
        command = chosenCommand;
        return true;
    }

    slate::SP<MenuDescriptor> shown;
    vector2 at;
    PopupMenuFlags shownFlags = PopupMenuFlags::None;
};

class HistoryMenuTest : public testing::Test {
protected:
    HistoryMenuTest() : list(kFieldHistoryMaximum, false)
    {
        list.restore({u"newest & best", u"two\nlines"});
        window.m_window = &platform;
        buffer = view_test::makeBuffer(u"typed");
        field = buffer->createView(&canvas);
    }
    ustring fieldText() const { return buffer->substr(SelectionRegion(0, buffer->size())); }

    HistoryList list;
    MenuRecordingWindow platform;
    test_support::TestBaseWindow window;
    GridRecordingCanvas canvas;
    slate::SP<TextBuffer> buffer;
    slate::SP<TextBufferView> field;
    const RegionId fieldId{this, 7};
};

TEST_F(HistoryMenuTest, TheMenuListsEveryEntryNewestFirstAndRunsItWhole)
{
    showHistoryMenu(&platform, list, historyMenuPoint(interval2(10, 20, 210, 44)), [](const ustring&) {});
    ASSERT_NE(nullptr, platform.shown);
    const std::vector<MenuEntry>& entries = platform.shown->m_entries;
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(u"newest && best", entries[0].m_item->m_caption);
    EXPECT_EQ(u"newest & best", entries[0].m_item->m_command);
    EXPECT_EQ(u"two...", entries[1].m_item->m_caption);
    EXPECT_EQ(u"two\nlines", entries[1].m_item->m_command);
    EXPECT_EQ(186, platform.at.x);
    EXPECT_EQ(44, platform.at.y);
    EXPECT_EQ(PopupMenuFlags::WithoutState, platform.shownFlags);
}

TEST_F(HistoryMenuTest, AChosenEntryGoesToTheCallback)
{
    platform.chosenCommand = u"two\nlines";
    ustring chosen;
    showHistoryMenu(&platform, list, vector2{0, 0}, [&chosen](const ustring& entry) { chosen = entry; });
    EXPECT_EQ(u"two\nlines", chosen);
}

TEST_F(HistoryMenuTest, AChosenEntryReplacesTheFieldsTextAndFocusesIt)
{
    platform.chosenCommand = u"newest & best";
    showFieldHistoryMenu(window, *field, fieldId, list, vector2{0, 0});
    EXPECT_EQ(u"newest & best", fieldText());
    EXPECT_EQ(SelectionSet(SelectionRegion(13)), field->sel());
    EXPECT_EQ(fieldId, window.focusState()->m_requested);
}

TEST_F(HistoryMenuTest, DismissingTheMenuChangesNothing)
{
    showFieldHistoryMenu(window, *field, fieldId, list, vector2{0, 0});
    EXPECT_EQ(1, platform.menusShown);
    EXPECT_EQ(u"typed", fieldText());
    EXPECT_FALSE(buffer->canUndo());
    EXPECT_EQ(RegionId(), window.focusState()->m_requested);
}

} // namespace
