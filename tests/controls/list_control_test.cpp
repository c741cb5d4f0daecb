#include <gtest/gtest.h>

#include "canvas/recording_canvas.h"
#include "canvas/software_canvas.h"
#include "controls/control_events.h"
#include "controls/control_helpers.h"
#include "controls/control_test_window.h"
#include "controls/list_control.h"
#include "support/fixed_advance_font.h"
#include "support/golden_drawing.h"

namespace {

using control_events::button;
using control_test::TestFrame;

// Rows 17 high (a line height of 16 plus 1).
class ListControlTest : public testing::Test {
protected:
    ListControlTest()
    {
        m_frame.theme().controlFont.font = &m_font;
        for (uintptr_t i = 0; i < 40; ++i)
            m_rows.push_back({i, 0});
    }

    // Draws the list and returns the drawn rows as "row:selected" words.
    std::string drawList(const interval2& rect, const std::vector<int>& visible, int selected)
    {
        std::string drawn;
        m_frame.frame([&](InputRegion* root) {
            return listControl(m_frame.theme(), root, RegionId(this), rect, &m_offset, m_rows, visible, selected,
                               [&](int position) { m_selected.push_back(position); },
                               [&](Theme&, Canvas&, const interval2& r, const ListRow& row, bool isSelected) {
                                   drawn += std::to_string(row.first) + (isSelected ? "* " : " ");
                                   m_rowRects.push_back(r);
                               },
                               false);
        });
        return drawn;
    }
    InputRegion* listRegion()
    {
        for (InputRegion* child = m_frame.root()->firstChild()->firstChild(); child; child = child->nextSibling())
            if (child->id() == RegionId(this))
                return child;
        return nullptr;
    }

    FixedAdvanceFont m_font{8, 16};
    RecordingCanvas m_canvas;
    TestFrame m_frame{m_canvas};
    std::vector<ListRow> m_rows;
    vector2 m_offset;
    std::vector<int> m_selected;
    std::vector<interval2> m_rowRects;
};

TEST_F(ListControlTest, PageAndScrollToRowFollowTheRowHeight)
{
    const interval2 rect(0, 0, 200, 104);
    EXPECT_EQ(visibleListRows(m_frame.theme(), rect, false), 5);
    struct Case {
        const char* name;
        float offset;
        int row;
        float after;
    };
    const Case cases[] = {
        {"below the view", 0, 10, 87},
        {"already visible", 20, 3, 20},
        {"above the view", 100, 2, 34},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_offset = {5, c.offset};
        scrollListToRow(m_frame.theme(), rect, &m_offset, c.row, false);
        EXPECT_EQ(m_offset.y, c.after);
        EXPECT_EQ(m_offset.x, 5);
    }
}

TEST_F(ListControlTest, DrawsOnlyTheRowsReachingIntoTheFrame)
{
    std::vector<int> visible;
    for (int i = 0; i < 40; ++i)
        visible.push_back(39 - i);
    m_offset = {0, 30}; // positions 1 (partly above) to 7 (the first reaching below)
    EXPECT_EQ(drawList(interval2(0, 0, 200, 104), visible, 3), "38 37 36* 35 34 33 32 ");
    ASSERT_FALSE(m_rowRects.empty());
    EXPECT_EQ(m_rowRects.front(), interval2(2, -11, 182, 6));
    EXPECT_EQ(drawList(interval2(0, 0, 200, 104), visible, -1).find('*'), std::string::npos);
}

TEST_F(ListControlTest, PressSelectsTheUpperRowOnABoundary)
{
    std::vector<int> visible = {0, 1, 2, 3};
    drawList(interval2(0, 0, 200, 104), visible, 0);
    InputRegion* region = listRegion();
    ASSERT_TRUE(region);
    struct Case {
        float y;
        int position;
    };
    // The rows start at y 2 (inside the frame), 17 apart.
    const Case cases[] = {{2, 0}, {19, 0}, {19.5f, 1}, {36, 1}, {60, 3}, {90, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        m_selected.clear();
        EXPECT_TRUE(region->onInputEvent(button(kMouseLeft, true, 10, c.y)));
        EXPECT_EQ(m_selected, c.position < 0 ? std::vector<int>{} : std::vector<int>{c.position});
    }
    EXPECT_FALSE(region->onInputEvent(button(kMouseLeft, false, 10, 5)));
    EXPECT_FALSE(region->onInputEvent(button(kMouseRight, true, 10, 5)));
}

TEST_F(ListControlTest, EmptyListDrawsTheFrameOnlyAndTakesPresses)
{
    m_offset = {0, 50};
    EXPECT_EQ(drawList(interval2(0, 0, 200, 104), {}, 0), "");
    EXPECT_EQ(m_offset.y, 0);
    InputRegion* container = m_frame.root()->firstChild();
    EXPECT_EQ(container->firstChild()->nextSibling(), nullptr); // no bar region
    EXPECT_TRUE(listRegion()->onInputEvent(button(kMouseLeft, true, 10, 10)));
    EXPECT_TRUE(m_selected.empty());
}

// A scrolled list with a selected row and its scrollbar.
TEST(ControlsGolden, List)
{
    control_test::GoldenFrame golden(160, 110);
    Theme& theme = golden.theme();
    std::vector<ListRow> rows;
    std::vector<int> visible;
    for (uintptr_t i = 0; i < 30; ++i) {
        rows.push_back({i, 0});
        visible.push_back(int(i));
    }
    vector2 offset{0, 25};
    golden.frame.frame([&](InputRegion* root) {
        return listControl(theme, root, RegionId(&offset), interval2(5, 5, 155, 105), &offset, rows, visible, 3, {},
                           [&](Theme&, Canvas& c, const interval2& r, const ListRow& row, bool selected) {
                               ThemeFont font = theme.controlFont;
                               if (selected) {
                                   font.colours.background = {0.75f, 0.85f, 1.0f};
                                   c.fillRect(r, font.colours.background);
                               }
                               const ustring text = u"row " + ustring(1, u'0' + char16_t(row.first % 10));
                               drawThemeText(font, r.x0 + 4, r.y0, text.data(), text.data() + text.size(), false);
                           },
                           false);
    });
    golden.compare("controls/list.png");
}

} // namespace
