#include <gtest/gtest.h>

#include <string>

#include "canvas/recording_canvas.h"
#include "canvas/software_canvas.h"
#include "canvas/unicode_font.h"
#include "controls/control_events.h"
#include "controls/control_helpers.h"
#include "controls/control_test_window.h"
#include "controls/tab_control.h"
#include "support/golden_drawing.h"

namespace {

using control_events::button;
using control_events::motion;
using control_events::wheel;
using control_test::TestFrame;

TEST(TabStripLayout, WidensNarrowTabsOrShowsWhatFits)
{
    struct Case {
        const char* name;
        std::vector<float> preferred;
        float extra;
        int visibleCount;
        std::vector<float> widths;
    };
    const Case cases[] = {
        {"two narrow tabs", {50, 60}, 0, 2, {200, 200}},
        {"narrow beside wide", {100, 300, 350}, 0, 3, {200, 300, 350}},
        {"the extra counts", {30, 280}, 20, 2, {200, 300}},
        {"narrow tabs share what is left", {100, 100, 100, 100, 100, 100}, 0, 6, {166, 166, 166, 166, 166, 166}},
        {"too many", {400, 400, 400}, 0, 2, {400, 400, 400}},
        {"one too wide", {1200}, 0, 1, {1200}},
        {"none", {}, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TabStripMap map;
        int strip = 0;
        const RegionId id(&strip);
        TabStripLayout layout(id, interval2(0, 0, 1000, 20), &map, c.preferred.data(), int(c.preferred.size()),
                              c.extra);
        EXPECT_EQ(layout.visibleCount, c.visibleCount);
        EXPECT_EQ(std::vector<float>(layout.widths.get(), layout.widths.get() + layout.tabCount), c.widths);
        const TabStripState& state = map.at(id);
        ASSERT_EQ(int(state.tabRects.size()), c.visibleCount);
        float x = 0;
        for (int i = 0; i < c.visibleCount; ++i) {
            EXPECT_EQ(state.tabRects[i], interval2(x, 0, x + c.widths[i], 20));
            x += c.widths[i];
        }
        EXPECT_EQ(state.stripRect, interval2(0, 0, 1000, 20));
    }
}

TEST(TabGeometry, HeaderStripAndMiniButtonsShareTheBand)
{
    RecordingCanvas canvas;
    TestFrame frame(canvas);
    const Theme& theme = frame.theme(); // border 4, header 28, buttons 24 with spacing 4
    const interval2 panel(0, 0, 400, 300);
    EXPECT_EQ(tabHeaderRect(theme, panel), interval2(4, 4, 396, 32));
    EXPECT_EQ(tabBodyRect(theme, panel), interval2(4, 36, 396, 296));
    EXPECT_EQ(tabStripRect(theme, panel, 2), interval2(8, 4, 336, 32));
    EXPECT_EQ(tabMiniButtonRect(theme, panel, 2, 0), interval2(340, 8, 364, 26));
    EXPECT_EQ(tabMiniButtonRect(theme, panel, 2, 1), interval2(368, 8, 392, 26));
}

// Two strips: "a" (where drags start) with tabs 100 and 40 wide then a 300
// wide one, and "b" below it with two 100-wide tabs, its header and a drop
// area over its group.
class TabDrag : public testing::Test {
protected:
    TabDrag()
    {
        TabStripState& a = tabStripState(&m_map, m_a);
        a.tabRects = {{0, 0, 100, 20}, {100, 0, 140, 20}, {140, 0, 440, 20}};
        a.stripRect = interval2(0, 0, 500, 20);
        TabStripState& b = tabStripState(&m_map, m_b);
        b.tabRects = {{10, 100, 110, 120}, {110, 100, 210, 120}};
        b.stripRect = interval2(0, 100, 500, 120);
        b.dropRect = interval2(0, 100, 500, 300);
        b.selectedIndex = 0;
    }

    TabButtonDragHandler drag(bool accept = true)
    {
        return TabButtonDragHandler(m_a, &m_map, [this, accept](const RegionId& from, int i, const RegionId& to, int j) {
            m_moves += name(from) + std::to_string(i) + ">" + name(to) + std::to_string(j) + " ";
            return accept;
        });
    }
    std::string name(const RegionId& id) { return id == m_a ? "a" : id == m_b ? "b" : "?"; }
    static MotionEvent held(float x, float y) { return motion(x, y, {kMouseLeft}); }

    int m_strips[2];
    RegionId m_a{&m_strips[0]};
    RegionId m_b{&m_strips[1]};
    TabStripMap m_map;
    std::string m_moves;
};

TEST_F(TabDrag, NeighbourSwapsOnlyPastTheDraggedTabsWidth)
{
    struct Case {
        const char* name;
        int selected;
        float x;
        const char* moves;
        int selectedAfter;
    };
    const Case cases[] = {
        {"over a narrower neighbour at once", 0, 101, "a0>a1 ", 1},
        {"a wide neighbour not yet", 1, 300, "", 1},
        {"a wide neighbour in its last 40", 1, 401, "a1>a2 ", 2},
        {"leftwards within the width", 2, 139, "a2>a1 ", 1},
        {"over itself", 0, 50, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_moves.clear();
        setTabStripValue(m_a, &m_map, c.selected);
        TabButtonDragHandler handler = drag();
        EXPECT_EQ(handler.onMotion(held(c.x, 10)), DragResult::Continue);
        EXPECT_EQ(m_moves, c.moves);
        EXPECT_EQ(tabStripValue(m_a, &m_map), c.selectedAfter);
    }
}

TEST_F(TabDrag, ANegativeSelectionIsNeverIndexed)
{
    for (int selected : {-1, -2, 3}) {
        SCOPED_TRACE(selected);
        m_moves.clear();
        setTabStripValue(m_a, &m_map, selected);
        TabButtonDragHandler handler = drag();
        EXPECT_EQ(handler.onMotion(held(101, 10)), DragResult::Continue);
        EXPECT_EQ(handler.onMotion(held(60, 110)), DragResult::Continue);
        EXPECT_EQ(m_moves, selected >= 0 ? "a3>b1 " : "");
    }
}

TEST_F(TabDrag, OtherStripTargetsFollowThePointer)
{
    struct Case {
        const char* name;
        float x;
        float y;
        int bSelected;
        bool bEmpty;
        const char* moves;
    };
    const Case cases[] = {
        {"empty part of the header", 400, 110, 0, false, "a0>b0 "},
        {"left half of the second tab", 150, 110, 0, false, "a0>b1 "},
        {"right half of the second tab", 160, 110, 0, false, "a0>b2 "},
        {"the group area", 200, 200, 1, false, "a0>b2 "},
        {"the group area of a strip without tabs", 200, 200, 1, true, "a0>b0 "},
        {"a group that takes no drops", 200, 200, -2, false, ""},
        {"nowhere", 200, 400, 0, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_moves.clear();
        setTabStripValue(m_a, &m_map, 0);
        TabStripState& b = tabStripState(&m_map, m_b);
        b.selectedIndex = c.bSelected;
        const std::vector<interval2> bTabs = b.tabRects;
        if (c.bEmpty)
            b.tabRects.clear();
        TabButtonDragHandler handler = drag();
        handler.onMotion(held(c.x, c.y));
        EXPECT_EQ(m_moves, c.moves);
        b.tabRects = bTabs;
    }
}

TEST_F(TabDrag, AMoveFollowsTheTabIntoTheOtherStrip)
{
    setTabStripValue(m_a, &m_map, 0);
    TabButtonDragHandler handler = drag();
    handler.onMotion(held(60, 110));
    EXPECT_EQ(tabStripValue(m_b, &m_map), 1);
    handler.onMotion(held(50, 110)); // now dragged within b, over its other tab
    EXPECT_EQ(m_moves, "a0>b1 b1>b0 ");
}

TEST_F(TabDrag, ARefusedMoveLeavesEveryStripAlone)
{
    setTabStripValue(m_a, &m_map, 0);
    TabButtonDragHandler handler = drag(false);
    handler.onMotion(held(101, 10));
    handler.onMotion(held(60, 110));
    handler.onMotion(held(101, 10));
    EXPECT_EQ(m_moves, "a0>a1 a0>b1 a0>a1 ");
    EXPECT_EQ(tabStripValue(m_a, &m_map), 0);
    EXPECT_EQ(tabStripValue(m_b, &m_map), 0);
}

TEST_F(TabDrag, AStripRebuiltDuringTheDragIsLookedUpAfresh)
{
    setTabStripValue(m_a, &m_map, 2);
    TabButtonDragHandler handler = drag();
    tabStripState(&m_map, m_a).tabRects.resize(1); // the strip lost tabs while the button was held
    EXPECT_EQ(handler.onMotion(held(101, 10)), DragResult::Continue);
    m_map.clear();
    EXPECT_EQ(handler.onMotion(held(101, 10)), DragResult::Continue);
    EXPECT_EQ(m_moves, "");
    EXPECT_EQ(handler.onMotion(motion(101, 10)), DragResult::End);
    EXPECT_EQ(handler.onKeyOrButton(button(kMouseLeft, false, 0, 0)), DragResult::End);
    EXPECT_EQ(handler.onKeyOrButton(button(kMouseRight, false, 0, 0)), DragResult::Continue);
}

TEST(TabButton, PressStartsADragAndSelects)
{
    RecordingCanvas canvas;
    TestFrame frame(canvas);
    TabStripMap map;
    std::string log;
    int strip = 0;
    const ustring label = u"file.txt", hint = u"/path/file.txt";
    frame.frame([&](InputRegion* root) {
        return tabButton(root, RegionId(&strip, 0), RegionId(&strip), interval2(0, 0, 100, 20),
                         interval2(5, 0, 95, 20), &map, [&] { log += "select "; }, {}, [&] { log += "menu "; },
                         {}, label.data(), label.data() + label.size(), hint.data(), hint.data() + hint.size(),
                         frame.theme().controlFont, &frame.theme().get("tab"));
    });
    InputRegion& tab = *frame.root()->firstChild();
    EXPECT_TRUE(tab.onInputEvent(button(kMouseLeft, true, 10, 10)));
    EXPECT_TRUE(frame.platform.drag);
    EXPECT_FALSE(tab.onInputEvent(button(kMouseMiddle, true, 10, 10)));
    EXPECT_TRUE(tab.onInputEvent(button(kMouseRight, false, 10, 10)));
    EXPECT_FALSE(tab.onInputEvent(button(kMouseLeft, true, 100, 10)));
    EXPECT_TRUE(tab.onMotion(wheel(10, 10, 1)));
    EXPECT_EQ(log, "select menu ");
    ustring text, command = u"kept";
    EXPECT_TRUE(tab.hint(text, command));
    EXPECT_EQ(text, hint);
    EXPECT_EQ(command, u"kept");
}

// A tab panel with three tabs, the second selected, and two small buttons.
TEST(ControlsGolden, TabPanel)
{
    control_test::GoldenFrame golden(320, 90);
    Theme& theme = golden.theme();
    golden.addColour("panel.tabbody", 0.8f, 0.82f, 0.86f);
    golden.addColour("panel.tab", 0.7f, 0.72f, 0.78f);
    golden.addColour("button", 0.78f, 0.8f, 0.84f);
    golden.addColour("icon.close", 0.3f, 0.3f, 0.35f);
    const float tab[3] = {0.9f, 0.9f, 0.92f}, selected[3] = {1, 1, 1};
    ColourShader tabFace(&golden.canvas, tab), selectedFace(&golden.canvas, selected);
    ThemeFont font = theme.controlFont;
    TabStripMap map;
    int strip = 0;
    const RegionId stripId(&strip);
    setTabStripValue(stripId, &map, 1);
    const interval2 panel(0, 0, 320, 90);
    golden.frame.frame([&](InputRegion* root) {
        drawTabPanel(theme, panel);
        const ustring labels[] = {u"one", u"two", u"three"};
        float widths[3];
        for (int i = 0; i < 3; ++i)
            widths[i] = textWidth(*font.font, labels[i].data(), labels[i].data() + labels[i].size());
        TabStripLayout layout(stripId, tabStripRect(theme, panel, 2), &map, widths, 3, 20);
        for (; layout.index < layout.visibleCount; ++layout.index) {
            const interval2 rect = layout.currentTabRect();
            const interval2 face(rect.x0 + 1, rect.y0 + 4, rect.x1 - 1, rect.y1);
            const bool isSelected = layout.isStoredSelection();
            font.colours.background = isSelected ? Colour(selected) : Colour(tab);
            const ustring& label = labels[layout.index];
            tabButton(root, RegionId(&strip, layout.index), stripId, face, face, &map, {}, {}, {}, {}, label.data(),
                      label.data() + label.size(), nullptr, nullptr, font, isSelected ? &selectedFace : &tabFace);
        }
        for (int i = 0; i < 2; ++i)
            tabMiniButton(theme, root, RegionId(&strip, 10 + i), panel, {}, "icon.close", i, 2, u"", u"");
        return true;
    });
    golden.compare("controls/tab_panel.png");
}

} // namespace
