// The group grid of a window's frame. The rectangles and splitter limits
// come from window_layout; this file turns them into drawn groups and
// splitter regions. A splitter finds its split in the window's list anew at
// every step of a drag, since a layout change may shorten the list while
// the button is held.
#include "texteditor/window_frame.h"

#include "controls/splitter.h"
#include "texteditor/view_set.h"
#include "texteditor/window_layout.h"
#include "ui/theme.h"

namespace {

SplitterValue splitValue(std::vector<float>& splits, const SplitterAxis& axis)
{
    SplitterValue value;
    if (axis.split < 0)
        return value;
    const size_t index = static_cast<size_t>(axis.split);
    value.locate = [&splits, index]() -> float* { return index < splits.size() ? &splits[index] : nullptr; };
    value.multiplier = axis.multiplier;
    value.minimum = axis.minimum;
    value.maximum = axis.maximum;
    return value;
}

} // namespace

bool drawGroupGrid(const GroupFrame& frame, InputRegion* parent, const interval2& area, std::vector<float>& rowSplits,
                   std::vector<float>& columnSplits, InputRegion** activeViewRegion)
{
    if (activeViewRegion)
        *activeViewRegion = nullptr;
    const std::vector<interval2> cells = groupRects(area, rowSplits, columnSplits);
    const std::vector<GroupSplitter> splitters = groupSplitters(area, rowSplits, columnSplits);
    const int groupCount = frame.viewSet->numGroups();
    bool done = true;
    auto splitter = splitters.begin();
    for (int group = 0; group < static_cast<int>(cells.size()); ++group) {
        InputRegion* pane = parent;
        if (group < groupCount) {
            InputRegion* viewRegion = nullptr;
            done &= drawGroup(frame, parent, cells[group], group, &viewRegion);
            pane = parent->firstChild();
            if (group == frame.viewSet->activeGroup() && activeViewRegion)
                *activeViewRegion = viewRegion;
        } else {
            frame.theme->get("panel").draw(cells[group]);
        }
        for (; splitter != splitters.end() && splitter->group == group; ++splitter) {
            pane->addChild(new SplitterInputHandler(parent->baseWindow(), RegionId(parent->baseWindow(),
                                                                                   splitter->regionIndex),
                                                    splitter->rect, splitValue(columnSplits, splitter->column),
                                                    splitValue(rowSplits, splitter->row)));
        }
    }
    return done;
}
