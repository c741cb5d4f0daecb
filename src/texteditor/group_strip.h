// Drawing one view group of an editor window: its tab strip (unless tab
// strips are hidden) with the small header buttons, over the active view of
// the group and its minimap. Called by the window's frame for every group,
// every frame, on the main thread.
#pragma once

#include <functional>

#include "controls/tab_control.h"
#include "ui/input_region.h"
#include "ui/interval2.h"

class Theme;
class TextBufferView;
class ViewSet;

// What drawing a group needs from its window, for one frame. The pointers
// are the window's and outlive the frame.
struct GroupFrame {
    Theme* theme = nullptr;
    ViewSet* viewSet = nullptr;
    TabStripMap* tabState = nullptr;
    bool showMinimap = true;
    bool showCloseButton = false;
    bool showTabCloseButtons = true;
    bool hideTabs = false;
    bool minimapOnLeft = true;
    float minimapMaxWidth = 175;
    // Closes a view of the set with the save prompt; empty while the window
    // cannot close views, and the close buttons then do nothing.
    std::function<void(TextBufferView*)> closeView;
    // The tab-list button's menu for a group, at a window point, and the
    // context menu of a tab; empty: that button and right click do nothing.
    std::function<void(int group, float x, float y)> showTabList;
    std::function<void(TextBufferView*)> showTabMenu;
    // Makes the region that lies under a group's views (in `rect`) and takes
    // what they leave: clicks and drops on the pane. Empty: none.
    std::function<InputRegion*(const interval2& rect, int group)> makePaneRegion;
};

// Draws group `group` of the set in `rect` under `parent`: a pane region
// keyed by the group's tab-set id, the tab strip, and the active view. When
// the tabs that fit do not include the active one, the active view is moved
// to the front of the group first. `viewRegion` (may be null) receives the
// active view's text region, or null when the group has none. True when
// nothing in the group still animates.
bool drawGroup(const GroupFrame& frame, InputRegion* parent, const interval2& rect, int group,
               InputRegion** viewRegion);
