// A window's open views. Each tab is a ViewEntry: the main view and a
// minimap view of the same buffer that shares the main view's selection and
// scroll position. The set keeps the tabs of its one group in tab order,
// which tab is active (in the window's tab-strip store) and a most recently
// used list of all of them, and asks for keyboard focus whenever it makes a
// view active. Main thread only.
#pragma once

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

class ViewSet {
public:
    // Both are the window's and outlive the set.
    ViewSet(FocusState* focusState, TabStripMap* tabState);

    int numGroups() const { return 1; }
    int totalSize() const { return static_cast<int>(m_allViews.size()); }
    // Most recently used first.
    const std::vector<ViewEntry>& allViews() const { return m_allViews; }
    const std::vector<ViewEntry>& views(int group) const;
    // The id of a group's tab strip and pane.
    RegionId tabSetId(int group) const;
    int activeGroup() const { return 0; }
    int activeIndex(int group) const;
    // Null when the group is empty.
    slate::SP<TextBufferView> activeViewInGroup(int group) const;
    slate::SP<TextBufferView> activeView() const { return activeViewInGroup(activeGroup()); }
    // The entry of `view`, or null when the set does not hold it.
    const ViewEntry* findEntry(const TextBufferView* view) const;
    // The first entry whose buffer was read from `path` (compared without
    // case), or null.
    const ViewEntry* findFile(const ustring& path) const;

    // Adds a tab after the active one of the active group and makes it
    // active and focused.
    void addView(const ViewEntry& entry);
    // Makes the view's tab active, first in the recently used list, and asks
    // for focus on it; nothing when the set does not hold it.
    void focusView(const TextBufferView* view);

private:
    std::vector<ViewEntry> m_allViews; // every tab once, most recently used first
    std::vector<ViewEntry> m_group;    // the tabs in tab order
    FocusState* m_focusState;          // the window's
    TabStripMap* m_tabState;           // the window's; holds the active tab index
};
