// The window's tabs in up to four groups. A group's active tab index lives
// in the window's tab-strip store under the group's id, where the tab strip
// reads and writes it too; which group is active is not stored at all but
// read from the focus: the group whose view or pane is asking for focus,
// else the group whose pane was last on the focus path. So a click into a
// pane, a tab or a command that focuses a view all make its group active the
// same way.
//
// Every operation that takes a tab out of a group keeps the rest sound: the
// group's active index stays on a tab (a neighbour when the active one
// went, the same view when only the indexes shifted), a group that is not
// active never takes the focus from the one that is, and an active group
// that empties hands the focus to the most recently used view elsewhere, so
// the window has an active view whenever it has a view at all.
#include "texteditor/view_set.h"

#include <algorithm>

#include "texteditor/text_editor_application.h"
#include "ui/base_window.h"
#include "ui/log.h"
#include "ui/options_manager.h"
#include "ui/text/text_buffer.h"
#include "ui/unicode.h"

const char16_t kMinimapOptionsPath[] = u"Packages/Default/Options/Minimap.vantrel-options";

namespace {

// Moves the tab at `from` to `to`, shifting the tabs between by one.
void moveWithin(std::vector<ViewEntry>& tabs, int from, int to)
{
    if (from < to)
        std::rotate(tabs.begin() + from, tabs.begin() + from + 1, tabs.begin() + to + 1);
    else if (to < from)
        std::rotate(tabs.begin() + to, tabs.begin() + from, tabs.begin() + from + 1);
}

} // namespace

ViewEntry makeViewEntry(const slate::SP<TextBufferView>& view, Canvas* canvas)
{
    VASSERT(view->options());
    slate::SP<TextBufferView> minimap = view->sharedBuffer()->createView(canvas);
    minimap->shareViewState(*view);
    slate::SP<Options> options(new Options);
    options->addParent(view->options());
    options->addParent(OptionsManager::get().getOptions(ustring(kMinimapOptionsPath)));
    minimap->setOptions(options);
    return ViewEntry{view, minimap};
}

ViewSet::ViewSet(FocusState* focusState, TabStripMap* tabState)
    : m_focusState(focusState), m_tabState(tabState)
{
}

void ViewSet::setNumGroups(int count)
{
    VASSERT(count > 0 && count <= kMaxGroups);
    if (count == m_numGroups)
        return;
    const slate::SP<TextBufferView> active = activeView();
    const bool shrinks = m_numGroups > count;
    m_numGroups = count;
    std::vector<ViewEntry>& last = m_groups[count - 1];
    for (int group = count; group < kMaxGroups; ++group) {
        last.insert(last.end(), m_groups[group].begin(), m_groups[group].end());
        m_groups[group].clear();
        setActiveIndex(group, 0);
    }
    if (active)
        focusView(active.get());
    else if (shrinks)
        focusGroup(0);
}

const std::vector<ViewEntry>& ViewSet::views(int group) const
{
    VASSERT(group >= 0 && group < kMaxGroups);
    return m_groups[group];
}

RegionId ViewSet::tabSetId(int group) const { return RegionId(&views(group)); }

int ViewSet::activeIndex(int group) const
{
    const int index = tabStripValue(tabSetId(group), m_tabState);
    VASSERT(m_groups[group].empty() || (index >= 0 && index < static_cast<int>(m_groups[group].size())));
    return index;
}

bool ViewSet::isValidIndex(int index, int group) const
{
    return index >= 0 && index < static_cast<int>(views(group).size());
}

RegionId ViewSet::tabId(int index, int group) const
{
    VASSERT(isValidIndex(index, group));
    return RegionId(m_groups[group][index].view.get());
}

int ViewSet::activeGroup() const
{
    const RegionId& requested = m_focusState->m_requested;
    if (requested.isSet()) {
        for (int group = 0; group < m_numGroups; ++group) {
            if (requested == tabSetId(group))
                return group;
            for (const ViewEntry& entry : m_groups[group]) {
                if (requested == RegionId(entry.view.get()))
                    return group;
            }
        }
    }
    int best = 0;
    int bestStamp = 0;
    for (int group = 0; group < m_numGroups; ++group) {
        const int stamp = m_focusState->focusIndex(tabSetId(group));
        if (stamp > bestStamp) {
            best = group;
            bestStamp = stamp;
        }
    }
    return best;
}

slate::SP<TextBufferView> ViewSet::activeViewInGroup(int group) const
{
    if (views(group).empty())
        return nullptr;
    return m_groups[group][activeIndex(group)].view;
}

bool ViewSet::findView(const TextBufferView* view, int& index, int& group) const
{
    for (int g = 0; g < kMaxGroups; ++g) {
        for (size_t i = 0; i < m_groups[g].size(); ++i) {
            if (m_groups[g][i].view.get() == view) {
                index = static_cast<int>(i);
                group = g;
                return true;
            }
        }
    }
    return false;
}

const ViewEntry* ViewSet::findEntry(const TextBufferView* view) const
{
    int index = 0;
    int group = 0;
    return findView(view, index, group) ? &m_groups[group][index] : nullptr;
}

const ViewEntry* ViewSet::findFile(const ustring& path) const
{
    for (const std::vector<ViewEntry>& tabs : m_groups) {
        for (const ViewEntry& entry : tabs) {
            const BufferSource* source = entry.view->buffer()->source();
            if (source && slate::usubstring(source->path()).equalsNoCase(slate::usubstring(path)))
                return &entry;
        }
    }
    return nullptr;
}

void ViewSet::focusGroup(int group)
{
    if (group < 0 || group >= m_numGroups)
        return;
    if (m_groups[group].empty())
        m_focusState->requestFocus(tabSetId(group));
    else
        m_focusState->requestFocus(tabId(activeIndex(group), group));
}

void ViewSet::selectTab(int index, int group, bool promoteTab)
{
    VASSERT(isValidIndex(index, group));
    m_focusState->requestFocus(tabId(index, group));
    setActiveIndex(group, index);
    if (promoteTab)
        promote(m_groups[group][index]);
}

void ViewSet::focusView(const TextBufferView* view)
{
    int index = 0;
    int group = 0;
    if (findView(view, index, group))
        selectTab(index, group, true);
}

void ViewSet::focusTab(int index, int group)
{
    if (group >= 0 && group < kMaxGroups && isValidIndex(index, group))
        selectTab(index, group, true);
}

void ViewSet::focusRecentView(int allIndex)
{
    if (allIndex >= 0 && allIndex < totalSize())
        focusView(m_allViews[allIndex].view.get());
}

void ViewSet::selectNextTab(int group)
{
    const int size = static_cast<int>(views(group).size());
    if (size > 0)
        selectTab((activeIndex(group) + 1) % size, group, true);
}

void ViewSet::selectPreviousTab(int group)
{
    const int size = static_cast<int>(views(group).size());
    if (size > 0)
        selectTab((activeIndex(group) + size - 1) % size, group, true);
}

void ViewSet::addView(const ViewEntry& entry, int group)
{
    VASSERT(group >= 0 && group < m_numGroups);
    m_allViews.insert(m_allViews.begin(), entry);
    bool atEnd = false;
    OptionsManager::get().getOptions(ustring(kApplicationOptionsPath))->getBool(ustring(u"createTabsAtEnd"), atEnd);
    std::vector<ViewEntry>& tabs = m_groups[group];
    const int position = atEnd || tabs.empty() ? static_cast<int>(tabs.size()) : activeIndex(group) + 1;
    tabs.insert(tabs.begin() + position, entry);
    selectTab(position, group, true);
}

void ViewSet::removeView(const TextBufferView* view)
{
    int index = 0;
    int group = 0;
    if (!findView(view, index, group))
        return;
    const bool wasActiveGroup = group == activeGroup();
    // The copy keeps the views alive until the set is sound again.
    const ViewEntry entry = m_groups[group][index];
    m_allViews.erase(std::find(m_allViews.begin(), m_allViews.end(), entry));
    removeFromGroup(index, group);
    if (!wasActiveGroup || !m_groups[group].empty())
        return;
    if (m_allViews.empty())
        focusGroup(group);
    else
        focusView(m_allViews.front().view.get());
}

void ViewSet::removeFromGroup(int index, int group)
{
    std::vector<ViewEntry>& tabs = m_groups[group];
    VASSERT(index >= 0 && index < static_cast<int>(tabs.size()));
    const bool focused = group == activeGroup();
    int active = activeIndex(group);
    const bool activeRemoved = index == active;
    if (activeRemoved && tabs.size() > 1)
        active = index == 0 ? 1 : index - 1;
    tabs.erase(tabs.begin() + index);
    if (active > index)
        --active;
    if (tabs.empty())
        setActiveIndex(group, 0);
    else if (activeRemoved && focused)
        selectTab(active, group, true);
    else
        setActiveIndex(group, active);
}

void ViewSet::moveToGroup(int allIndex, int group)
{
    VASSERT(allIndex >= 0 && allIndex < totalSize());
    VASSERT(group >= 0 && group < m_numGroups);
    const ViewEntry entry = m_allViews[allIndex];
    int index = 0;
    int current = 0;
    if (!findView(entry.view.get(), index, current) || current == group)
        return;
    removeFromGroup(index, current);
    m_groups[group].push_back(entry);
    selectTab(static_cast<int>(m_groups[group].size()) - 1, group, true);
}

void ViewSet::moveActiveViewToGroup(int group)
{
    if (group < 0 || group >= m_numGroups)
        return;
    const int current = activeGroup();
    if (group == current || m_groups[current].empty())
        return;
    moveTab(tabSetId(current), activeIndex(current), tabSetId(group), static_cast<int>(m_groups[group].size()));
    selectTab(static_cast<int>(m_groups[group].size()) - 1, group, true);
}

bool ViewSet::canMoveToGroup(int group) const { return activeView() && group >= 0 && group < m_numGroups; }

bool ViewSet::moveTab(const RegionId& source, int sourceIndex, const RegionId& destination, int destinationIndex)
{
    const int from = groupOfTabSet(source);
    const int to = groupOfTabSet(destination);
    if (from < 0 || to < 0 || !isValidIndex(sourceIndex, from))
        return false;
    if (from == to) {
        VASSERT(isValidIndex(destinationIndex, to));
        moveWithin(m_groups[from], sourceIndex, destinationIndex);
        return true;
    }
    std::vector<ViewEntry>& tabs = m_groups[to];
    VASSERT(destinationIndex >= 0 && destinationIndex <= static_cast<int>(tabs.size()));
    const ViewEntry entry = m_groups[from][sourceIndex];
    removeFromGroup(sourceIndex, from);
    tabs.insert(tabs.begin() + destinationIndex, entry);
    return true;
}

std::function<int(int, int)> ViewSet::reorderTabs(int group)
{
    return [this, group](int from, int to) {
        VASSERT(isValidIndex(from, group) && isValidIndex(to, group));
        moveWithin(m_groups[group], from, to);
        return to;
    };
}

void ViewSet::setViewPosition(const TextBufferView* view, int group, int index)
{
    int current = 0;
    int currentGroup = 0;
    if (!findView(view, current, currentGroup))
        return;
    group = std::clamp(group, 0, m_numGroups - 1);
    std::vector<ViewEntry>& tabs = m_groups[group];
    index = std::clamp(index, 0, static_cast<int>(tabs.size()));
    if (group == currentGroup && index == current)
        return;
    const bool wasActive = activeViewInGroup(currentGroup).get() == view;
    const ViewEntry entry = m_groups[currentGroup][current];
    if (group == currentGroup) {
        // The group keeps its active view, wherever the move shifts it.
        const slate::SP<TextBufferView> active = activeViewInGroup(group);
        tabs.erase(tabs.begin() + current);
        if (index > current)
            --index;
        tabs.insert(tabs.begin() + index, entry);
        int activeIndexNow = 0;
        findView(active.get(), activeIndexNow, group);
        setActiveIndex(group, activeIndexNow);
        return;
    }
    const slate::SP<TextBufferView> destinationActive = activeViewInGroup(group);
    removeFromGroup(current, currentGroup);
    tabs.insert(tabs.begin() + index, entry);
    if (wasActive) {
        focusView(view);
    } else if (destinationActive && index <= activeIndex(group)) {
        setActiveIndex(group, activeIndex(group) + 1);
    }
}

std::vector<int> ViewSet::stackWalk(int group) const
{
    std::vector<int> walk;
    if (m_groups[group].empty())
        return walk;
    const ViewEntry& current = m_groups[group][activeIndex(group)];
    const int count = totalSize();
    const int position = static_cast<int>(std::find(m_allViews.begin(), m_allViews.end(), current) - m_allViews.begin());
    for (int step = 1; step < count; ++step) {
        int index = 0;
        int found = 0;
        if (findView(m_allViews[(position + step) % count].view.get(), index, found) && found == group)
            walk.push_back(index);
    }
    return walk;
}

void ViewSet::nextViewInStack()
{
    const int group = activeGroup();
    const std::vector<int> walk = stackWalk(group);
    if (!walk.empty())
        selectTab(walk.front(), group, false);
}

void ViewSet::prevViewInStack()
{
    const int group = activeGroup();
    const std::vector<int> walk = stackWalk(group);
    if (!walk.empty())
        selectTab(walk.back(), group, false);
}

void ViewSet::promoteActiveView()
{
    const int group = activeGroup();
    if (!m_groups[group].empty())
        promote(m_groups[group][activeIndex(group)]);
}

int ViewSet::groupOfTabSet(const RegionId& id) const
{
    for (int group = 0; group < m_numGroups; ++group) {
        if (tabSetId(group) == id)
            return group;
    }
    return -1;
}

void ViewSet::promote(const ViewEntry& entry)
{
    auto recent = std::find(m_allViews.begin(), m_allViews.end(), entry);
    VASSERT(recent != m_allViews.end());
    std::rotate(m_allViews.begin(), recent, recent + 1);
}

void ViewSet::setActiveIndex(int group, int index) { setTabStripValue(tabSetId(group), m_tabState, index); }
