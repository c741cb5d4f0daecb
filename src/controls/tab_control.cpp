// Tab strips. The layout is recomputed every frame from the owner's label
// widths; the strip states in the window's map carry the selection and the
// last frame's rects, which is all a tab drag needs to find its targets
// between frames.
#include "controls/tab_control.h"

#include <algorithm>
#include <cmath>

#include "canvas/canvas.h"
#include "controls/control_helpers.h"
#include "ui/base_window.h"
#include "ui/theme.h"
#include "window_manager/window.h"

namespace {

// Widens the tabs narrower than a common width when the strip has room:
// the common width is what the strip leaves after the wide tabs, shared
// among the narrow ones and never above maximumGrownTabWidth. A tab between
// the common width and the threshold counts as wide on the next round.
void widenNarrowTabs(float* widths, int count, float length)
{
    float threshold = std::floor(length / count);
    float common;
    for (;;) {
        float wide = 0;
        int narrow = 0;
        for (int i = 0; i < count; ++i) {
            if (widths[i] < threshold)
                ++narrow;
            else
                wide += widths[i];
        }
        common = narrow ? std::floor((length - wide) / narrow) : maximumGrownTabWidth;
        common = std::min(common, maximumGrownTabWidth);
        const float* between =
            std::find_if(widths, widths + count, [&](float w) { return common < w && w < threshold; });
        if (between == widths + count)
            break;
        threshold = *between;
    }
    for (int i = 0; i < count; ++i)
        if (widths[i] < threshold)
            widths[i] = common;
}

} // namespace

interval2 tabHeaderRect(const Theme& theme, const interval2& rect)
{
    const float b = theme.tabGlobalBorder;
    return interval2(rect.x0 + b, rect.y0 + b, rect.x1 - b, rect.y0 + b + theme.tabHeaderHeight);
}

interval2 tabBodyRect(const Theme& theme, const interval2& rect)
{
    const float b = theme.tabGlobalBorder;
    return interval2(rect.x0 + b, rect.y0 + b + theme.tabHeaderHeight + 4, rect.x1 - b, rect.y1 - b);
}

interval2 tabStripRect(const Theme& theme, const interval2& rect, int count)
{
    const float b = theme.tabGlobalBorder;
    const float buttons = (count + 1) * theme.tabMiniButtonSpacing + count * theme.tabMiniButtonSize;
    return interval2(rect.x0 + 2 * b, rect.y0 + b, rect.x1 - buttons - b, rect.y0 + b + theme.tabHeaderHeight);
}

interval2 tabMiniButtonArea(const Theme& theme, const interval2& rect, int count)
{
    const float b = theme.tabGlobalBorder, s = theme.tabMiniButtonSize, sp = theme.tabMiniButtonSpacing;
    return interval2(rect.x1 - b - (count * s + (count + 1) * sp), rect.y0 + b + sp, rect.x1 - b - sp,
                     rect.y0 + b + theme.tabHeaderHeight - 6);
}

interval2 tabMiniButtonRect(const Theme& theme, const interval2& rect, int count, int index)
{
    const interval2 area = tabMiniButtonArea(theme, rect, count);
    const float x = area.x0 + theme.tabMiniButtonSpacing + index * (theme.tabMiniButtonSpacing + theme.tabMiniButtonSize);
    return interval2(x, area.y0, x + theme.tabMiniButtonSize, area.y1);
}

float sumWidths(const float* widths, int count, float spacing)
{
    float sum = 0;
    for (int i = 0; i < count; ++i)
        sum += widths[i];
    return sum + count * spacing;
}

void drawTabPanel(Theme& theme, const interval2& rect)
{
    theme.get("panel.tabbody").draw(rect);
    theme.get("panel.tab").draw(tabHeaderRect(theme, rect));
}

TabStripState& tabStripState(TabStripMap* map, const RegionId& stripId) { return (*map)[stripId]; }

int tabStripValue(const RegionId& stripId, TabStripMap* map) { return tabStripState(map, stripId).selectedIndex; }

void setTabStripValue(const RegionId& stripId, TabStripMap* map, int value)
{
    tabStripState(map, stripId).selectedIndex = value;
}

void setTabStripDropRect(const RegionId& stripId, const interval2& rect, TabStripMap* map)
{
    tabStripState(map, stripId).dropRect = rect;
}

TabStripLayout::TabStripLayout(const RegionId& stripId, const interval2& stripRect, TabStripMap* map,
                               const float* preferred, int count, float extra)
    : stripId(stripId), stripRect(stripRect), map(map), tabCount(count), visibleCount(count),
      widths(new float[count > 0 ? count : 1])
{
    for (int i = 0; i < count; ++i)
        widths[i] = preferred[i] + extra;
    const float length = stripRect.x1 - stripRect.x0;
    float sum = 0;
    for (int j = 0; j < count; ++j) {
        sum += widths[j];
        if (sum > length) {
            visibleCount = j;
            break;
        }
    }
    if (visibleCount == 0 && count > 0)
        visibleCount = 1;
    if (count > 0 && sumWidths(widths.get(), count, 0) < length)
        widenNarrowTabs(widths.get(), count, length);

    TabStripState& state = tabStripState(map, stripId);
    state.tabRects.clear();
    for (int j = 0; j < visibleCount; ++j)
        state.tabRects.push_back(tabRect(j));
    state.stripRect = stripRect;
}

interval2 TabStripLayout::tabRect(int i) const
{
    const float x = stripRect.x0 + sumWidths(widths.get(), i, 0);
    return interval2(x, stripRect.y0, x + widths[i], stripRect.y1);
}

bool TabStripLayout::isStoredSelection() const { return index == tabStripValue(stripId, map); }

TabButtonInputHandler::TabButtonInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect,
                                             const RegionId& stripId, TabStripMap* map,
                                             std::function<void()> selectAction,
                                             std::function<void()> middleClickAction,
                                             std::function<void()> secondaryAction, TabMoveAction moveAction,
                                             ustring hintText)
    : InputRegion(window, id, rect), m_stripId(stripId), m_map(map), m_selectAction(std::move(selectAction)),
      m_middleClickAction(std::move(middleClickAction)), m_secondaryAction(std::move(secondaryAction)),
      m_moveAction(std::move(moveAction)), m_hintText(std::move(hintText))
{
}

bool TabButtonInputHandler::onInputEvent(const KeyEvent& event)
{
    if (!m_rect.contains(event.state.x, event.state.y))
        return false;
    if (event.pressed && event.code == kMouseLeft) {
        if (Window* platformWindow = window())
            platformWindow->beginDrag(new TabButtonDragHandler(m_stripId, m_map, m_moveAction));
        if (m_selectAction)
            m_selectAction();
        return true;
    }
    if (event.pressed && event.code == kMouseMiddle && m_middleClickAction) {
        m_middleClickAction();
        return true;
    }
    if (!event.pressed && event.code == kMouseRight && m_secondaryAction) {
        m_secondaryAction();
        return true;
    }
    return false;
}

bool TabButtonInputHandler::onMotion(const MotionEvent&) { return true; }

bool TabButtonInputHandler::hint(ustring& text, ustring&)
{
    if (m_hintText.empty())
        return false;
    text = m_hintText;
    return true;
}

TabButtonDragHandler::TabButtonDragHandler(const RegionId& stripId, TabStripMap* map, TabMoveAction moveAction)
    : m_stripId(stripId), m_map(map), m_moveAction(std::move(moveAction))
{
}

DragResult TabButtonDragHandler::onKeyOrButton(const KeyEvent& event)
{
    return !event.pressed && event.code == kMouseLeft ? DragResult::End : DragResult::Continue;
}

DragResult TabButtonDragHandler::onMotion(const MotionEvent& event)
{
    if (!event.state.key[kMouseLeft])
        return DragResult::End;
    if (!m_moveAction)
        return DragResult::Continue;
    if (!moveWithinStrip(event.state.x, event.state.y))
        moveToOtherStrip(event.state.x, event.state.y);
    return DragResult::Continue;
}

bool TabButtonDragHandler::moveWithinStrip(float x, float y)
{
    auto found = m_map->find(m_stripId);
    if (found == m_map->end())
        return false;
    const TabStripState& state = found->second;
    const int selected = state.selectedIndex;
    const int count = int(state.tabRects.size());
    // The selection may be unset (negative) or past the visible tabs.
    if (selected < 0 || selected >= count)
        return false;
    const float width = state.tabRects[selected].x1 - state.tabRects[selected].x0;
    for (int i = 0; i < count; ++i) {
        if (i == selected || !state.tabRects[i].contains(x, y))
            continue;
        const interval2& over = state.tabRects[i];
        // Only past the dragged tab's width into the neighbour, so that tabs of
        // different widths do not swap back and forth.
        const bool farEnough = i > selected ? over.x1 - x < width : x - over.x0 < width;
        if (!farEnough)
            return false;
        if (m_moveAction(m_stripId, selected, m_stripId, i))
            tabStripState(m_map, m_stripId).selectedIndex = i;
        return true;
    }
    return false;
}

void TabButtonDragHandler::moveToOtherStrip(float x, float y)
{
    auto current = m_map->find(m_stripId);
    const int from = current == m_map->end() ? -1 : current->second.selectedIndex;
    // Without a valid dragged tab there is nothing to move.
    if (from < 0)
        return;
    for (const auto& entry : *m_map) {
        if (entry.first == m_stripId)
            continue;
        const TabStripState& other = entry.second;
        int target = other.stripRect.contains(x, y) ? 0 : -1;
        for (size_t j = 0; j < other.tabRects.size(); ++j) {
            const interval2& tab = other.tabRects[j];
            if (tab.contains(x, y)) {
                const bool rightHalf = x >= tab.x0 + std::floor((tab.x1 - tab.x0) / 2);
                target = int(j) + (rightHalf ? 1 : 0);
                break;
            }
        }
        if (target == -1 && other.dropRect.contains(x, y)) {
            if (other.tabRects.empty())
                target = 0;
            else if (other.selectedIndex != -2)
                target = other.selectedIndex + 1;
        }
        if (target == -1)
            continue;
        const RegionId to = entry.first;
        // The action may change the map: look the strip up again after it.
        if (m_moveAction(m_stripId, from, to, target)) {
            tabStripState(m_map, to).selectedIndex = target;
            m_stripId = to;
        }
        return;
    }
}

bool tabButton(InputRegion* parent, const RegionId& id, const RegionId& stripId, const interval2& rect,
               const interval2& labelRect, TabStripMap* map, std::function<void()> selectAction,
               std::function<void()> middleClickAction, std::function<void()> secondaryAction,
               TabMoveAction moveAction, const uchar* labelBegin, const uchar* labelEnd, const uchar* hintBegin,
               const uchar* hintEnd, const ThemeFont& font, Shader* background)
{
    BaseWindow* window = parent->baseWindow();
    parent->addChild(new TabButtonInputHandler(window, id, rect, stripId, map, std::move(selectAction),
                                               std::move(middleClickAction), std::move(secondaryAction),
                                               std::move(moveAction), ustring(hintBegin, hintEnd)));
    const float elapsed = std::min(window->m_mouseHistory.timeSinceInside(rect, false), 1.f);
    if (background)
        background->draw(rect, 1 - elapsed);
    drawCentredLabel(font, *window->canvas(), labelRect, labelBegin, labelEnd);
    return elapsed == 1.f;
}

bool tabMiniButton(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& panelRect,
                   std::function<void()> clickAction, const std::string& iconName, int index, int count,
                   const ustring& hintText, const ustring& hintCommand)
{
    return iconButton(parent, id, tabMiniButtonRect(theme, panelRect, count, index), std::move(clickAction),
                      &theme.get(iconName), &theme.get("button"), &theme.get("button.down"), hintText, hintCommand,
                      16);
}
