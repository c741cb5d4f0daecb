#include <gtest/gtest.h>

#include "texteditor/window_layout.h"

namespace {

FrameRequest windowOfHeight(float height)
{
    FrameRequest request;
    request.window = interval2(0, 0, 400, height);
    request.showToolbar = true;
    request.toolbarHeight = 30;
    request.showStatusbar = true;
    request.statusbarHeight = 20;
    request.hasPanel = true;
    request.panelHeight = 50;
    return request;
}

} // namespace

TEST(WindowLayout, StripsAppearFromTheirWindowHeights)
{
    struct Case {
        float height;
        bool toolbar;
        bool statusbar;
        bool panel;
    };
    const Case cases[] = {
        {99, false, false, false}, {100, true, false, false}, {119, true, false, false},
        {120, true, true, false},  {150, true, true, false},  {151, true, true, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.height);
        const FrameLayout layout = layoutFrame(windowOfHeight(row.height));
        EXPECT_EQ(row.toolbar, layout.hasToolbar);
        EXPECT_EQ(row.statusbar, layout.hasStatusbar);
        EXPECT_EQ(row.panel, layout.hasPanel);
    }
}

TEST(WindowLayout, StripsAreCutInOrderAndTheGroupsGetTheRest)
{
    FrameRequest request = windowOfHeight(300);
    request.showSideBar = true;
    const FrameLayout layout = layoutFrame(request);
    EXPECT_EQ(interval2(0, 0, 400, 30), layout.toolbar);
    EXPECT_EQ(interval2(0, 280, 400, 300), layout.statusbar);
    EXPECT_EQ(interval2(0, 230, 400, 280), layout.panel);
    // A stored width of 0 draws the default width.
    EXPECT_EQ(interval2(0, 30, 200, 230), layout.sideBar);
    EXPECT_EQ(interval2(192, 30, 200, 230), layout.sideBarSplitter);
    EXPECT_EQ(interval2(200, 30, 400, 230), layout.groupArea);
}

TEST(WindowLayout, ThePanelSplitterLeavesRoomAboveThePanelBottom)
{
    const PanelLayout panel = layoutPanel(interval2(0, 300, 500, 400));
    EXPECT_EQ(240, panel.maximumHeight);
    EXPECT_EQ(interval2(484, 304, 496, 316), panel.closeButton);
    EXPECT_EQ(interval2(0, 300, 480, 400), panel.area);
    EXPECT_EQ(interval2(0, 300, 480, 308), panel.splitter);
}

TEST(WindowLayout, TheOverlayKeepsAnEighthOfTheWindowRoundedDownAsMargin)
{
    const interval2 overlay = overlayRect(interval2(0, 0, 641, 479));
    EXPECT_EQ(interval2(80, 59, 561, 420), overlay);
    EXPECT_EQ(interval2(565, 59, 577, 71), overlayCloseButtonRect(overlay));
}

TEST(WindowLayout, ChangingLayoutKeepsSplitListsOfTheRightLength)
{
    std::vector<float> rows;
    std::vector<float> columns;
    fitLayoutSplits(4, rows, columns);
    columns[0] = 0.3f;
    rows[0] = 0.7f;
    // Two by two to two side by side: one column split either way.
    EXPECT_EQ(2, fitLayoutSplits(1, rows, columns).groupCount());
    EXPECT_EQ(std::vector<float>{0.3f}, columns);
    EXPECT_TRUE(rows.empty());
    // Three side by side to two: the column splits start over.
    fitLayoutSplits(3, rows, columns);
    columns = {0.2f, 0.4f};
    fitLayoutSplits(1, rows, columns);
    EXPECT_EQ(std::vector<float>{0.5f}, columns);
    EXPECT_EQ(4, fitLayoutSplits(5, rows, columns).groupCount());
    EXPECT_EQ((std::vector<float>{0.25f, 0.5f, 0.75f}), columns);
}

TEST(WindowLayout, StackedGroupsUnderAToolbarShareTheHeightEvenly)
{
    std::vector<float> rows;
    std::vector<float> columns;
    fitLayoutSplits(2, rows, columns);
    FrameRequest request = windowOfHeight(301);
    request.showStatusbar = false;
    request.hasPanel = false;
    const std::vector<interval2> groups = groupRects(layoutFrame(request).groupArea, rows, columns);
    ASSERT_EQ(2u, groups.size());
    EXPECT_EQ(30, groups[0].y0);
    EXPECT_EQ(groups[0].y1, groups[1].y0);
    EXPECT_EQ(301, groups[1].y1);
    EXPECT_LE(std::abs((groups[0].y1 - groups[0].y0) - (groups[1].y1 - groups[1].y0)), 1);
}

TEST(WindowLayout, GroupSplittersKeepEveryGroupFortyPixels)
{
    std::vector<float> rows;
    std::vector<float> columns;
    fitLayoutSplits(4, rows, columns);
    const interval2 area(100, 0, 500, 200);
    const std::vector<GroupSplitter> splitters = groupSplitters(area, rows, columns);
    // Group 1 has a column splitter, group 2 a row splitter, group 3 all
    // three.
    ASSERT_EQ(5u, splitters.size());
    const GroupSplitter& column = splitters[0];
    EXPECT_EQ(kGroupColumnSplitterRegion + 3, column.regionIndex);
    EXPECT_EQ(interval2(300, 16, 308, 100), column.rect);
    EXPECT_EQ(0, column.column.split);
    EXPECT_EQ(-1, column.row.split);
    EXPECT_FLOAT_EQ(40.f / 400, column.column.minimum);
    EXPECT_FLOAT_EQ(360.f / 400, column.column.maximum);
    EXPECT_FLOAT_EQ(1.f / 400, column.column.multiplier);
    const GroupSplitter& row = splitters[1];
    EXPECT_EQ(kGroupRowSplitterRegion + 6, row.regionIndex);
    EXPECT_EQ(interval2(116, 100, 300, 108), row.rect);
    EXPECT_FLOAT_EQ(40.f / 200, row.row.minimum);
    EXPECT_FLOAT_EQ(160.f / 200, row.row.maximum);
    const GroupSplitter& corner = splitters[4];
    EXPECT_EQ(kGroupCornerSplitterRegion + 9, corner.regionIndex);
    EXPECT_EQ(interval2(300, 100, 316, 116), corner.rect);
    EXPECT_EQ(0, corner.column.split);
    EXPECT_EQ(0, corner.row.split);
}

TEST(WindowLayout, ASplitterWithNoRoomCannotMove)
{
    std::vector<float> rows;
    std::vector<float> columns = {0.3f, 0.5f, 0.7f};
    const std::vector<GroupSplitter> splitters = groupSplitters(interval2(0, 0, 100, 100), rows, columns);
    ASSERT_EQ(3u, splitters.size());
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(columns[i], splitters[i].column.minimum);
        EXPECT_EQ(columns[i], splitters[i].column.maximum);
    }
}
