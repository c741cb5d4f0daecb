#include "texteditor/view_set.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/fake_window.h"
#include "texteditor/application_fixture.h"
#include "ui/base_window.h"
#include "ui/text/text_buffer.h"

namespace application_test {
namespace {

// A view set over a bare window's focus state. Views are named "T1", "T2",
// ... in the order they are made; frame() settles focus requests the way a
// drawn frame does, with each group's pane holding its active view.
class ViewSetTest : public ApplicationTest {
protected:
    ViewEntry make(const std::string& name)
    {
        slate::SP<TextBuffer> buffer(new TextBuffer);
        ViewEntry entry{buffer->createView(nullptr), buffer->createView(nullptr)};
        m_names[entry.view.get()] = name;
        return entry;
    }
    // Adds views named `names` (blank separated) to `group`, in order.
    void add(const std::string& names, int group)
    {
        size_t start = 0;
        while (start < names.size()) {
            const size_t end = std::min(names.find(' ', start), names.size());
            m_set.addView(make(names.substr(start, end - start)), group);
            start = end + 1;
        }
    }
    const TextBufferView* view(const std::string& name) const
    {
        for (const auto& [view, viewName] : m_names) {
            if (viewName == name)
                return view;
        }
        ADD_FAILURE() << name;
        return nullptr;
    }
    std::string name(const TextBufferView* view) const { return view ? m_names.at(view) : std::string("-"); }
    std::string names(const std::vector<ViewEntry>& entries) const
    {
        std::string text;
        for (const ViewEntry& entry : entries)
            text += (text.empty() ? "" : " ") + name(entry.view.get());
        return text;
    }
    std::string active() const { return name(m_set.activeView().get()); }

    // A new window's set and focus, for the next row of a table.
    void reset()
    {
        m_set = ViewSet(m_window.focusState(), &m_tabs);
        m_tabs.clear();
        m_names.clear();
        FocusState* focus = m_window.focusState();
        focus->m_lastFocused.clear();
        focus->m_path.clear();
        focus->m_requested = RegionId();
    }
    void frame()
    {
        InputRegion root(&m_window, RegionId(), interval2(0, 0, 100, 100));
        for (int group = 0; group < m_set.numGroups(); ++group) {
            auto* pane = new InputRegion(&m_window, m_set.tabSetId(group), interval2(0, 0, 100, 100));
            root.addChild(pane);
            if (slate::SP<TextBufferView> shown = m_set.activeViewInGroup(group))
                pane->addChild(new InputRegion(&m_window, RegionId(shown.get()), interval2(0, 0, 100, 100)));
        }
        FocusState* focus = m_window.focusState();
        BaseWindow::RegionMap regions;
        BaseWindow::collectRegions(&root, regions);
        auto found = regions.find(focus->m_requested);
        if (found != regions.end()) {
            focus->setFocusPath(found->second);
            focus->requestFocus(RegionId());
        }
    }

    test_support::TestBaseWindow m_window;
    TabStripMap m_tabs;
    ViewSet m_set{m_window.focusState(), &m_tabs};
    std::map<const TextBufferView*, std::string> m_names;
};

TEST_F(ViewSetTest, ClosingATabActivatesTheTabTheUserExpects)
{
    struct Case {
        const char* focus;
        const char* close;
        const char* tabs;   // afterwards
        const char* active; // afterwards
        int activeIndex;
    } cases[] = {
        {"T2", "T2", "T1 T3", "T1", 0}, // the left neighbour
        {"T1", "T1", "T2 T3", "T2", 0}, // the right one for the leftmost
        {"T2", "T3", "T1 T2", "T2", 1},
        {"T3", "T1", "T2 T3", "T3", 1}, // the same view, shifted
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.focus) + " active, close " + c.close);
        reset();
        add("T1 T2 T3", 0);
        m_set.focusView(view(c.focus));
        frame();
        m_set.removeView(view(c.close));
        frame();
        EXPECT_EQ(c.tabs, names(m_set.views(0)));
        EXPECT_EQ(c.active, active());
        EXPECT_EQ(c.activeIndex, m_set.activeIndex(0));
        EXPECT_TRUE(m_window.focusState()->isFocusedLeaf(RegionId(m_set.activeView().get())));
    }
}

TEST_F(ViewSetTest, ClosingTheOnlyTabLeavesAnEmptyGroupAtIndexZero)
{
    add("T1", 0);
    frame();
    m_set.removeView(view("T1"));
    frame();
    EXPECT_EQ(0, m_set.totalSize());
    EXPECT_EQ(0, m_set.activeIndex(0));
    EXPECT_EQ("-", active());
}

// Group 0 holds [T1 T2], group 1 holds [T3]; T3 has the focus.
TEST_F(ViewSetTest, ClosingNeverLeavesTheWindowWithoutAnActiveViewWhileOneIsOpen)
{
    struct Case {
        const char* close;
        const char* active;      // the window's, afterwards
        const char* groupZero;   // group 0's active view, afterwards
    } cases[] = {
        {"T3", "T2", "T2"}, // the last tab of the active group: the most recent view elsewhere
        {"T2", "T3", "T1"}, // the active tab of a group that is not active
        {"T1", "T3", "T2"}, // a tab left of it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("close ") + c.close);
        reset();
        m_set.setNumGroups(2);
        add("T1 T2", 0);
        add("T3", 1);
        frame();
        ASSERT_EQ(1, m_set.activeGroup());
        m_set.removeView(view(c.close));
        EXPECT_EQ(c.active, active()) << "before the next frame";
        frame();
        EXPECT_EQ(c.active, active());
        EXPECT_EQ(c.groupZero, name(m_set.activeViewInGroup(0).get()));
        EXPECT_TRUE(m_window.focusState()->isFocusedLeaf(RegionId(m_set.activeView().get())));
    }
}

TEST_F(ViewSetTest, NewTabsGoRightOfTheActiveTabUnlessCreatedAtTheEnd)
{
    for (bool atEnd : {false, true}) {
        SCOPED_TRACE(atEnd ? "createTabsAtEnd" : "default");
        packageOptions(kApplicationOptionsPath)->setBool(ustring(u"createTabsAtEnd"), atEnd);
        reset();
        add("T1", 0);
        EXPECT_EQ(0, m_set.activeIndex(0)) << "an empty group takes its first tab at 0";
        add("T2 T3", 0);
        m_set.focusTab(1, 0);
        add("T4", 0);
        EXPECT_EQ(atEnd ? "T1 T2 T3 T4" : "T1 T2 T4 T3", names(m_set.views(0)));
        EXPECT_EQ("T4", active());
        EXPECT_EQ(atEnd ? 3 : 2, m_set.activeIndex(0));
        EXPECT_EQ("T4", name(m_set.allViews().front().view.get()));
    }
}

TEST_F(ViewSetTest, TheStackWalkFollowsRecentUseAndOnlyPromotionReordersIt)
{
    m_set.setNumGroups(2);
    add("V4 V3", 0);
    add("V2", 1);
    add("V1", 0);
    frame();
    ASSERT_EQ("V1 V2 V3 V4", names(m_set.allViews()));
    for (const char* expected : {"V3", "V4", "V1", "V3"}) {
        m_set.nextViewInStack();
        frame();
        EXPECT_EQ(expected, active());
        EXPECT_EQ("V1 V2 V3 V4", names(m_set.allViews()));
    }
    m_set.promoteActiveView();
    EXPECT_EQ("V3 V1 V2 V4", names(m_set.allViews()));
    m_set.prevViewInStack();
    EXPECT_EQ("V4", active()) << "the group's entry before V3, cyclically";
}

TEST_F(ViewSetTest, FewerGroupsMergeTheirTabsInOrderAndKeepTheActiveView)
{
    m_set.setNumGroups(3);
    add("T1", 0);
    add("T2 T3", 1);
    add("T4", 2);
    m_set.focusView(view("T2"));
    m_set.focusView(view("T4"));
    frame();
    m_set.setNumGroups(1);
    frame();
    EXPECT_EQ("T1 T2 T3 T4", names(m_set.views(0)));
    EXPECT_EQ("T4", active());
    EXPECT_EQ(3, m_set.activeIndex(0));
    EXPECT_TRUE(m_window.focusState()->isFocusedLeaf(RegionId(view("T4"))));
}

TEST_F(ViewSetTest, ViewPositionsAreClampedToTheGroupsAndTabsThatExist)
{
    struct Case {
        int group;
        int index;
        const char* groupZero;
        const char* groupOne;
    } cases[] = {
        {0, 2, "T2 T1 T3", "T4"}, // before the tab that was at 2
        {0, 3, "T2 T3 T1", "T4"}, // the end
        {7, 99, "T2 T3", "T4 T1"},
        {-1, -5, "T1 T2 T3", "T4"}, // where it is already
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.group) + ", " + std::to_string(c.index));
        reset();
        m_set.setNumGroups(2);
        add("T1 T2 T3", 0);
        add("T4", 1);
        m_set.focusView(view("T3"));
        frame();
        m_set.setViewPosition(view("T1"), c.group, c.index);
        frame();
        EXPECT_EQ(c.groupZero, names(m_set.views(0)));
        EXPECT_EQ(c.groupOne, names(m_set.views(1)));
        EXPECT_EQ("T3", active()) << "moving another tab keeps the active one";
        EXPECT_EQ("T4", name(m_set.activeViewInGroup(1).get()));
    }
}

TEST_F(ViewSetTest, TheActiveGroupFollowsTheFocus)
{
    EXPECT_EQ(0, m_set.activeGroup());
    m_set.setNumGroups(3);
    add("T1", 0);
    add("T2", 2);
    frame();
    EXPECT_EQ(2, m_set.activeGroup());
    m_set.focusGroup(1);
    frame();
    EXPECT_EQ(1, m_set.activeGroup()) << "an empty pane takes the focus too";
    EXPECT_EQ("-", active());
}

} // namespace
} // namespace application_test
