// The group area of an editor window's frame: every view group of the
// layout in its cell of the grid, with the splitters between them. Main
// thread, every frame.
#pragma once

#include <vector>

#include "texteditor/group_strip.h"

// Draws the groups of the layout whose splits are `rowSplits` and
// `columnSplits` (the window's, which the splitters change in place during
// later drags) in `area` under `parent`. Cells past the view set's groups
// show an empty panel. `activeViewRegion` (may be null) receives the active
// group's view region. True when no group still animates.
bool drawGroupGrid(const GroupFrame& frame, InputRegion* parent, const interval2& area, std::vector<float>& rowSplits,
                   std::vector<float>& columnSplits, InputRegion** activeViewRegion);
