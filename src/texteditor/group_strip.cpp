// One view group per call: the pane region, the tab panel with a tab per
// view (titles measured every frame, since they change with the modified
// mark and renames), the small header buttons, and the active view drawn
// with its minimap in the tab body. The tab-strip layout shows only the
// tabs that fit; the active tab is kept among them by moving its view to
// the front of the group, so the strip never hides what the body shows.
#include "texteditor/group_strip.h"

#include <memory>
#include <vector>

#include "canvas/unicode_font.h"
#include "controls/control_helpers.h"
#include "controls/text_control.h"
#include "texteditor/view_set.h"
#include "ui/base_window.h"
#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/text/text_buffer.h"
#include "ui/theme.h"

namespace {

// Index parts of a tab's region id and of its close button's.
constexpr int32_t kTabRegion = 88;
constexpr int32_t kTabCloseRegion = 89;

// The small header buttons of a strip, told apart from the strip's other
// regions by a scope of their own.
const char kHeaderButtonScope = 0;
enum HeaderButton : int32_t { kTabListButton = 1, kGroupCloseButton = 2 };

RegionId headerButtonId(const RegionId& stripId, HeaderButton button)
{
    return RegionId(&kHeaderButtonScope, reinterpret_cast<const void*>(stripId.object), button);
}

struct TabTitles {
    std::vector<ustring> titles;
    std::vector<float> widths;
};

TabTitles measureTitles(const ThemeFont& font, const std::vector<ViewEntry>& views)
{
    TabTitles result;
    for (const ViewEntry& entry : views) {
        result.titles.push_back(entry.view->buffer()->title());
        const ustring& title = result.titles.back();
        result.widths.push_back(font.font ? textWidth(*font.font, title.data(), title.data() + title.size()) : 0.f);
    }
    return result;
}

// The tab strip and header buttons of a group that has tabs; returns the
// animation result.
bool drawTabStrip(const GroupFrame& frame, InputRegion* pane, const interval2& rect, int group)
{
    Theme& theme = *frame.theme;
    ViewSet& viewSet = *frame.viewSet;
    const RegionId stripId = viewSet.tabSetId(group);
    drawTabPanel(theme, rect);
    const float spacing = theme.tabAdditionalSpacing + (frame.showTabCloseButtons ? 16.f : 0.f);

    TabTitles titles = measureTitles(theme.controlFont, viewSet.views(group));
    const int viewCount = static_cast<int>(titles.titles.size());
    const bool showGroupClose = frame.showCloseButton && viewCount > 0;
    int buttonCount = showGroupClose ? 1 : 0;
    interval2 strip = tabStripRect(theme, rect, buttonCount);
    const bool overflow = viewCount >= 2 && sumWidths(titles.widths.data(), viewCount, spacing) > strip.x1 - strip.x0;
    if (overflow) {
        ++buttonCount;
        strip = tabStripRect(theme, rect, buttonCount);
    }
    tabStripState(frame.tabState, stripId).stripRect = strip;
    auto layout = std::make_unique<TabStripLayout>(stripId, strip, frame.tabState, titles.widths.data(), viewCount,
                                                   spacing);
    if (viewCount > 0 && viewSet.activeIndex(group) >= layout->visibleCount) {
        viewSet.reorderTabs(group)(viewSet.activeIndex(group), 0);
        setTabStripValue(stripId, frame.tabState, 0);
        titles = measureTitles(theme.controlFont, viewSet.views(group));
        layout = std::make_unique<TabStripLayout>(stripId, strip, frame.tabState, titles.widths.data(), viewCount,
                                                  spacing);
    }

    bool done = true;
    FocusState* focus = pane->baseWindow()->focusState();
    const std::vector<ViewEntry>& views = viewSet.views(group);
    const int active = viewSet.activeIndex(group);
    for (layout->index = 0; layout->index < layout->visibleCount; ++layout->index) {
        const int i = layout->index;
        TextBufferView* view = views[i].view.get();
        const interval2 tab = layout->currentTabRect();
        const char* face = "tab.unselected";
        if (i == active) {
            const RegionId viewId(view);
            const bool focused = focus->m_requested == viewId || focus->hasFocus(viewId);
            face = focused ? "tab.selected" : "tab.selected.unfocused";
        }
        interval2 label(tab.x0 + 10, tab.y0 + 6, tab.x1 - 10, tab.y1 - 6);
        if (frame.showTabCloseButtons && label.x1 - label.x0 < titles.widths[i] + 32)
            label.x1 -= 16;
        const ustring& title = titles.titles[i];
        const ustring hintText = view->buffer()->displayName(DisplayNameFlags::FullPath |
                                                             DisplayNameFlags::BufferName |
                                                             DisplayNameFlags::Encoding);
        std::function<void()> close;
        if (frame.closeView)
            close = [closeView = frame.closeView, view] { closeView(view); };
        std::function<void()> showMenu;
        if (frame.showTabMenu)
            showMenu = [showTabMenu = frame.showTabMenu, view] { showTabMenu(view); };
        done &= tabButton(pane, RegionId(view, kTabRegion), stripId, tab, label, frame.tabState,
                          [&viewSet, view] { viewSet.focusView(view); }, close, showMenu,
                          [&viewSet](const RegionId& from, int fromIndex, const RegionId& to, int toIndex) {
                              return viewSet.moveTab(from, fromIndex, to, toIndex);
                          },
                          title.data(),
                          title.data() + title.size(), hintText.data(), hintText.data() + hintText.size(),
                          theme.controlFont, &theme.get(face));
        if (frame.showTabCloseButtons) {
            const interval2 button(tab.x1 - 20, tab.y0 + 10, tab.x1 - 8, tab.y0 + 22);
            done &= iconButton(pane, RegionId(view, kTabCloseRegion), button, close, &theme.get("icon.tabcross"),
                               &theme.get("button"), &theme.get("button.down"), u"Close", u"close", 16);
        }
    }

    int buttonIndex = 0;
    if (overflow) {
        std::function<void()> showList;
        if (frame.showTabList) {
            // The menu drops from the button's lower left corner.
            const interval2 button = tabMiniButtonRect(theme, rect, buttonCount, buttonIndex);
            showList = [showTabList = frame.showTabList, group, button] { showTabList(group, button.x0, button.y1); };
        }
        done &= tabMiniButton(theme, pane, headerButtonId(stripId, kTabListButton), rect, showList, "icon.downarrow",
                              buttonIndex++, buttonCount, ustring(), ustring());
    }
    if (showGroupClose) {
        std::function<void()> closeActive;
        if (frame.closeView) {
            closeActive = [closeView = frame.closeView, &viewSet, group] {
                if (slate::SP<TextBufferView> view = viewSet.activeViewInGroup(group))
                    closeView(view.get());
            };
        }
        done &= tabMiniButton(theme, pane, headerButtonId(stripId, kGroupCloseButton), rect, closeActive, "icon.cross",
                              buttonIndex++, buttonCount, u"Close", u"close");
    }
    return done;
}

} // namespace

bool drawGroup(const GroupFrame& frame, InputRegion* parent, const interval2& rect, int group,
               InputRegion** viewRegion)
{
    ScopedTimer timer(g_statGenerateBufferTabSet);
    if (viewRegion)
        *viewRegion = nullptr;
    Theme& theme = *frame.theme;
    ViewSet& viewSet = *frame.viewSet;
    // The group's regions live under a pane keyed by its tab-set id, so that
    // the view set finds the group on the focus path.
    auto* pane = new InputRegion(parent->baseWindow(), viewSet.tabSetId(group), rect);
    parent->addChild(pane);
    // Added first, so that every region drawn over it is asked before it.
    if (frame.makePaneRegion)
        pane->addChild(frame.makePaneRegion(rect, group));

    bool done = true;
    interval2 body = rect;
    if (frame.hideTabs) {
        theme.get("panel").draw(rect);
    } else {
        done &= drawTabStrip(frame, pane, rect, group);
        body = tabBodyRect(theme, rect);
    }

    const std::vector<ViewEntry>& views = viewSet.views(group);
    if (views.empty())
        return done;
    const int active = viewSet.activeIndex(group);
    VASSERT(active < static_cast<int>(views.size()));
    const ViewEntry& entry = views[active];
    done &= textView(theme, pane, body, entry.view, frame.showMinimap ? entry.minimap : nullptr, frame.minimapOnLeft,
                     frame.minimapMaxWidth, nullptr, viewRegion);
    return done;
}
