// A window's open views. Each tab is a ViewEntry: the main view and a
// minimap view of the same buffer that shares the main view's selection and
// scroll position. The set divides the tabs into up to four groups (the
// panes of the window's layout), keeps each group's tab order and active tab
// (in the window's tab-strip store), knows which group is active from the
// focus history, and keeps a most recently used list of all tabs that the
// stack commands walk. It asks for keyboard focus whenever it makes a view
// active. Main thread only.
#pragma once

#include <functional>
#include <vector>

#include "controls/tab_control.h"
#include "ui/input_region.h"
#include "ui/reference_counted.h"
#include "ui/text/text_buffer_view.h"

class Canvas;
struct FocusState;

// Package path of the options a minimap adds to its main view's.
extern const char16_t kMinimapOptionsPath[];

struct ViewEntry {
    slate::SP<TextBufferView> view;
    // The same buffer drawn small beside `view`; shares its view state.
    slate::SP<TextBufferView> minimap;

    friend bool operator==(const ViewEntry& a, const ViewEntry& b)
    {
        return a.view == b.view && a.minimap == b.minimap;
    }
};

// Makes the minimap for `view`, whose options must be set: a view of the
// same buffer on `canvas` sharing the view's state, with options that take
// the view's options and then the minimap options file as parents.
ViewEntry makeViewEntry(const slate::SP<TextBufferView>& view, Canvas* canvas);

// Groups and tabs are 0-based. The window's drawing gives each group's pane
// the region id tabSetId(group) and each view's text region the id
// RegionId(view); the active group follows the focus through those ids.
class ViewSet {
public:
    static constexpr int kMaxGroups = 4;

    // Both are the window's and outlive the set.
    ViewSet(FocusState* focusState, TabStripMap* tabState);

    int numGroups() const { return m_numGroups; }
    // `count` is 1 to kMaxGroups. Tabs of the groups that go are appended,
    // in group order, to the last group that stays; the active view stays
    // active and focused.
    void setNumGroups(int count);

    int totalSize() const { return static_cast<int>(m_allViews.size()); }
    // Most recently used first.
    const std::vector<ViewEntry>& allViews() const { return m_allViews; }
    // The group's tabs, leftmost first.
    const std::vector<ViewEntry>& views(int group) const;
    // The id of a group's tab strip and pane.
    RegionId tabSetId(int group) const;
    // The group's active tab; 0 for an empty group.
    int activeIndex(int group) const;
    bool isValidIndex(int index, int group) const;
    // The focus id of a tab's view; `index` must be valid.
    RegionId tabId(int index, int group) const;
    // The group asking for focus, else the group whose pane had the focus
    // last (the lower one on a tie), else 0.
    int activeGroup() const;
    // Null when the group is empty.
    slate::SP<TextBufferView> activeViewInGroup(int group) const;
    slate::SP<TextBufferView> activeView() const { return activeViewInGroup(activeGroup()); }
    // False when the set does not hold `view`.
    bool findView(const TextBufferView* view, int& index, int& group) const;
    // The entry of `view`, or null when the set does not hold it.
    const ViewEntry* findEntry(const TextBufferView* view) const;
    // The first entry whose buffer was read from `path` (compared without
    // case), or null.
    const ViewEntry* findFile(const ustring& path) const;

    // Focuses the group's active tab, or its pane when it is empty; nothing
    // for a group not in use.
    void focusGroup(int group);
    // Makes the tab active and asks for focus on it; with `promote` it also
    // becomes the most recently used. `index` must be valid.
    void selectTab(int index, int group, bool promote);
    // selectTab with promotion; nothing when the set does not hold `view`.
    void focusView(const TextBufferView* view);
    // selectTab with promotion; nothing for an invalid index (indexes read
    // from files pass through here).
    void focusTab(int index, int group);
    // Focuses entry `allIndex` of allViews; nothing past the end.
    void focusRecentView(int allIndex);
    // The next or previous tab of the group, wrapping; nothing when empty.
    void selectNextTab(int group);
    void selectPreviousTab(int group);

    // Adds a tab right of the group's active tab (at the end with the
    // Application option "createTabsAtEnd") and makes it active and focused.
    void addView(const ViewEntry& entry, int group);
    void addViewToActiveGroup(const ViewEntry& entry) { addView(entry, activeGroup()); }
    // Closes the view's tab; nothing when the set does not hold it. Closing
    // the active tab activates its left neighbour (the right one for the
    // leftmost); a group that empties hands the focus to the most recently
    // used view left elsewhere.
    void removeView(const TextBufferView* view);

    // Moves entry `allIndex` of allViews to the end of `group` and focuses
    // it; nothing when it is there already.
    void moveToGroup(int allIndex, int group);
    void moveActiveViewToGroup(int group);
    bool canMoveToGroup(int group) const;
    // The tab strips' drag action: moves a tab within a strip or into
    // another; false when a strip is not a group in use or the source index
    // is out of range. The active indexes are left to the caller.
    bool moveTab(const RegionId& source, int sourceIndex, const RegionId& destination, int destinationIndex);
    // For the group's tab strip: moves the tab at `from` to `to` (both
    // valid) and returns `to`, leaving the active index alone.
    std::function<int(int from, int to)> reorderTabs(int group);
    // Puts the view before the tab `index` of `group` (counted before it is
    // taken out; the group's size means the end), both clamped to what
    // exists. Nothing when the set does not hold `view`.
    void setViewPosition(const TextBufferView* view, int group, int index);

    // Walk the active group's tabs in most recently used order without
    // reordering; promoteActiveView ends a walk.
    void nextViewInStack();
    void prevViewInStack();
    void promoteActiveView();

private:
    // Takes tab `index` out of `group`, keeping the group's active tab
    // valid; the entry stays in m_allViews.
    void removeFromGroup(int index, int group);
    // The indexes of the group's other tabs in the order the recently used
    // list has them, starting after the active tab and wrapping round.
    std::vector<int> stackWalk(int group) const;
    // The group whose tabSetId is `id`, or -1.
    int groupOfTabSet(const RegionId& id) const;
    void promote(const ViewEntry& entry);
    void setActiveIndex(int group, int index);

    std::vector<ViewEntry> m_allViews;            // every tab once, most recently used first
    std::vector<ViewEntry> m_groups[kMaxGroups];  // tabs in tab order; only the first m_numGroups hold any
    int m_numGroups = 1;                          // 1 to kMaxGroups
    FocusState* m_focusState;                     // the window's
    TabStripMap* m_tabState;                      // the window's; holds the active tab indexes
};
