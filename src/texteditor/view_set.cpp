// The window's tabs. Only one group exists so far; the group's active tab
// index lives in the window's tab-strip store under the group's id, where
// the tab strip reads and writes it too.
#include "texteditor/view_set.h"

#include <algorithm>

#include "ui/base_window.h"
#include "ui/log.h"
#include "ui/options_manager.h"
#include "ui/text/text_buffer.h"
#include "ui/unicode.h"

const char16_t kMinimapOptionsPath[] = u"Packages/Default/Options/Minimap.vantrel-options";

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

const std::vector<ViewEntry>& ViewSet::views(int group) const
{
    VASSERT(group == 0);
    return m_group;
}

RegionId ViewSet::tabSetId(int group) const
{
    VASSERT(group == 0);
    return RegionId(&m_group);
}

int ViewSet::activeIndex(int group) const
{
    const int index = tabStripValue(tabSetId(group), m_tabState);
    VASSERT(m_group.empty() || index < static_cast<int>(m_group.size()));
    return index;
}

slate::SP<TextBufferView> ViewSet::activeViewInGroup(int group) const
{
    if (views(group).empty())
        return nullptr;
    return m_group[activeIndex(group)].view;
}

const ViewEntry* ViewSet::findEntry(const TextBufferView* view) const
{
    for (const ViewEntry& entry : m_group) {
        if (entry.view.get() == view)
            return &entry;
    }
    return nullptr;
}

const ViewEntry* ViewSet::findFile(const ustring& path) const
{
    for (const ViewEntry& entry : m_group) {
        const BufferSource* source = entry.view->buffer()->source();
        if (source && slate::usubstring(source->path()).equalsNoCase(slate::usubstring(path)))
            return &entry;
    }
    return nullptr;
}

void ViewSet::addView(const ViewEntry& entry)
{
    const int position = m_group.empty() ? 0 : activeIndex(0) + 1;
    m_group.insert(m_group.begin() + position, entry);
    m_allViews.push_back(entry);
    focusView(entry.view.get());
}

void ViewSet::focusView(const TextBufferView* view)
{
    auto tab = std::find_if(m_group.begin(), m_group.end(),
                            [view](const ViewEntry& entry) { return entry.view.get() == view; });
    if (tab == m_group.end())
        return;
    setTabStripValue(tabSetId(0), m_tabState, static_cast<int>(tab - m_group.begin()));
    auto recent = std::find(m_allViews.begin(), m_allViews.end(), *tab);
    VASSERT(recent != m_allViews.end());
    std::rotate(m_allViews.begin(), recent, recent + 1);
    m_focusState->requestFocus(RegionId(view));
}
