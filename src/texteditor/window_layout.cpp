// Frame geometry of the editor window. Everything here is arithmetic on
// rectangles so that the draw function stays a list of "cut, then draw"
// steps; the thresholds and splitter limits live in one place and are
// tested without a canvas.
#include "texteditor/window_layout.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr LayoutShape kLayoutShapes[kLayoutTypeCount] = {
    {0, 0}, // single
    {0, 1}, // two side by side
    {1, 0}, // two stacked
    {0, 2}, // three side by side
    {1, 1}, // two by two
    {0, 3}, // four side by side
};

void fitSplits(std::vector<float>& splits, int count)
{
    if (static_cast<int>(splits.size()) == count)
        return;
    splits.resize(count);
    for (int i = 0; i < count; ++i)
        splits[i] = static_cast<float>(i + 1) / static_cast<float>(count + 1);
}

// The edges of the cells along one axis: count + 2 positions, the first
// `start`, the last `end`.
std::vector<float> cellEdges(float start, float end, const std::vector<float>& splits)
{
    std::vector<float> edges;
    edges.reserve(splits.size() + 2);
    edges.push_back(start);
    const float extent = end - start;
    for (float split : splits)
        edges.push_back(start + std::floor(extent * split));
    edges.push_back(end);
    return edges;
}

// The limits of split `index` on one axis: the cells on either side keep
// kMinimumGroupExtent.
SplitterAxis splitAxis(const std::vector<float>& edges, const std::vector<float>& splits, int index)
{
    const float start = edges.front();
    const float extent = edges.back() - start;
    SplitterAxis axis;
    axis.split = index;
    axis.multiplier = extent > 0 ? 1.f / extent : 0.f;
    if (extent <= 0) {
        axis.minimum = axis.maximum = splits[index];
        return axis;
    }
    axis.minimum = (edges[index] + kMinimumGroupExtent - start) / extent;
    axis.maximum = (edges[index + 2] - kMinimumGroupExtent - start) / extent;
    if (axis.maximum < axis.minimum)
        axis.minimum = axis.maximum = splits[index];
    return axis;
}

} // namespace

LayoutShape layoutShape(int type) { return kLayoutShapes[std::clamp(type, 0, kLayoutTypeCount - 1)]; }

LayoutShape fitLayoutSplits(int type, std::vector<float>& rowSplits, std::vector<float>& columnSplits)
{
    const LayoutShape shape = layoutShape(type);
    fitSplits(rowSplits, shape.rowSplits);
    fitSplits(columnSplits, shape.columnSplits);
    return shape;
}

float sideBarWidth(float stored) { return stored == 0 ? kSideBarDefaultWidth : stored; }

FrameLayout layoutFrame(const FrameRequest& request)
{
    FrameLayout layout;
    interval2 rest = request.window;
    const float windowHeight = request.window.y1 - request.window.y0;
    if (request.showToolbar && windowHeight >= kToolbarMinimumWindowHeight) {
        layout.hasToolbar = true;
        layout.toolbar = interval2(rest.x0, rest.y0, rest.x1, rest.y0 + request.toolbarHeight);
        rest.y0 = layout.toolbar.y1;
    }
    if (request.showStatusbar && windowHeight >= kStatusbarMinimumWindowHeight) {
        layout.hasStatusbar = true;
        layout.statusbar = interval2(rest.x0, rest.y1 - request.statusbarHeight, rest.x1, rest.y1);
        rest.y1 = layout.statusbar.y0;
    }
    if (request.hasPanel && windowHeight > kPanelWindowHeightAbove) {
        layout.hasPanel = true;
        layout.panel = interval2(rest.x0, rest.y1 - request.panelHeight, rest.x1, rest.y1);
        rest.y1 = layout.panel.y0;
    }
    if (request.showSideBar) {
        layout.hasSideBar = true;
        const float width = sideBarWidth(request.sideBarWidth);
        layout.sideBar = interval2(rest.x0, rest.y0, rest.x0 + width, rest.y1);
        layout.sideBarSplitter =
            interval2(layout.sideBar.x1 - kSplitterThickness, rest.y0, layout.sideBar.x1, rest.y1);
        rest.x0 = layout.sideBar.x1;
    }
    layout.groupArea = rest;
    return layout;
}

PanelLayout layoutPanel(const interval2& panel)
{
    PanelLayout layout;
    const float column = panel.x1 - kPanelCloseColumn;
    layout.closeButton = interval2(column + 4, panel.y0 + 4, panel.x1 - 4, panel.y0 + 16);
    layout.area = interval2(panel.x0, panel.y0, column, panel.y1);
    layout.splitter = interval2(panel.x0, panel.y0, column, panel.y0 + kSplitterThickness);
    layout.maximumHeight = panel.y1 - kPanelRoomAbove;
    return layout;
}

interval2 overlayRect(const interval2& window)
{
    const float marginX = std::floor((window.x1 - window.x0) * 0.125f);
    const float marginY = std::floor((window.y1 - window.y0) * 0.125f);
    return interval2(window.x0 + marginX, window.y0 + marginY, window.x1 - marginX, window.y1 - marginY);
}

interval2 overlayCloseButtonRect(const interval2& overlay)
{
    return interval2(overlay.x1 + 4, overlay.y0, overlay.x1 + 16, overlay.y0 + 12);
}

std::vector<interval2> groupRects(const interval2& area, const std::vector<float>& rowSplits,
                                  const std::vector<float>& columnSplits)
{
    const std::vector<float> rows = cellEdges(area.y0, area.y1, rowSplits);
    const std::vector<float> columns = cellEdges(area.x0, area.x1, columnSplits);
    std::vector<interval2> rects;
    for (size_t r = 0; r + 1 < rows.size(); ++r) {
        for (size_t c = 0; c + 1 < columns.size(); ++c)
            rects.emplace_back(columns[c], rows[r], columns[c + 1], rows[r + 1]);
    }
    return rects;
}

std::vector<GroupSplitter> groupSplitters(const interval2& area, const std::vector<float>& rowSplits,
                                          const std::vector<float>& columnSplits)
{
    const std::vector<float> rows = cellEdges(area.y0, area.y1, rowSplits);
    const std::vector<float> columns = cellEdges(area.x0, area.x1, columnSplits);
    const int columnCount = static_cast<int>(columnSplits.size()) + 1;
    std::vector<GroupSplitter> splitters;
    for (int r = 0; r + 1 < static_cast<int>(rows.size()); ++r) {
        for (int c = 0; c < columnCount; ++c) {
            const int group = c + r * columnCount;
            const interval2 cell(columns[c], rows[r], columns[c + 1], rows[r + 1]);
            SplitterAxis column;
            SplitterAxis row;
            if (c > 0)
                column = splitAxis(columns, columnSplits, c - 1);
            if (r > 0)
                row = splitAxis(rows, rowSplits, r - 1);
            if (c > 0)
                splitters.push_back({group, kGroupColumnSplitterRegion + 3 * group,
                                     interval2(cell.x0, cell.y0 + 16, cell.x0 + kSplitterThickness, cell.y1),
                                     column, SplitterAxis()});
            if (r > 0)
                splitters.push_back({group, kGroupRowSplitterRegion + 3 * group,
                                     interval2(cell.x0 + 16, cell.y0, cell.x1, cell.y0 + kSplitterThickness),
                                     SplitterAxis(), row});
            if (c > 0 && r > 0)
                splitters.push_back({group, kGroupCornerSplitterRegion + 3 * group,
                                     interval2(cell.x0, cell.y0, cell.x0 + 16, cell.y0 + 16), column, row});
        }
    }
    return splitters;
}
