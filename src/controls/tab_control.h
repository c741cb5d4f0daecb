// Tab strips: the header band of a panel with its tabs and small buttons at
// the right end. The layout widens narrow tabs to a common width when there
// is room and shows the tabs that fit when there is not; each tab is a
// button with a hover fade that selects on press, and a tab dragged along
// its strip or into another strip asks the owner to move it. What lasts
// between frames is the per-window map of strip states (the selection, the
// last frame's tab rects, the strip and drop areas), which the owner keeps
// and passes in.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "ui/input_region.h"
#include "ui/interval2.h"
#include "ui/ustring.h"

class Shader;
class Theme;
struct ThemeFont;

// Narrow tabs are never grown past this width.
constexpr float maximumGrownTabWidth = 200.f;

// What one strip keeps across frames.
struct TabStripState {
    // The owner's selected tab; -2 marks a strip that takes no drops into
    // its group area.
    int selectedIndex = 0;
    // The visible tabs' rects as laid out by the last frame.
    std::vector<interval2> tabRects;
    // The room for the tabs in the header; empty until a frame lays it out.
    interval2 stripRect{0, 0, 0, 0};
    // Where a tab from another strip lands after the selected tab; empty
    // until the owner sets it.
    interval2 dropRect{0, 0, 0, 0};
};

// Strip states by strip id, kept by the window that draws the strips.
// Entries are added here and never removed.
using TabStripMap = std::map<RegionId, TabStripState>;

// Moves a tab (from strip, from index) to (to strip, to index); true when
// the owner made the move.
using TabMoveAction = std::function<bool(const RegionId& fromStrip, int fromIndex, const RegionId& toStrip,
                                         int toIndex)>;

// Geometry of a tab panel `rect` with `count` small buttons at the right.
interval2 tabHeaderRect(const Theme& theme, const interval2& rect);
interval2 tabBodyRect(const Theme& theme, const interval2& rect);
interval2 tabStripRect(const Theme& theme, const interval2& rect, int count);
interval2 tabMiniButtonArea(const Theme& theme, const interval2& rect, int count);
interval2 tabMiniButtonRect(const Theme& theme, const interval2& rect, int count, int index);
// The widths plus `count` spacings.
float sumWidths(const float* widths, int count, float spacing);

// The panel body, then the header band.
void drawTabPanel(Theme& theme, const interval2& rect);

// The strip's entry, added when absent.
TabStripState& tabStripState(TabStripMap* map, const RegionId& stripId);
int tabStripValue(const RegionId& stripId, TabStripMap* map);
void setTabStripValue(const RegionId& stripId, TabStripMap* map, int value);
void setTabStripDropRect(const RegionId& stripId, const interval2& rect, TabStripMap* map);

// The layout of one strip for one frame, built on the stack. Construction
// computes the widths and the visible count and writes the visible tab rects
// and the strip rect into the strip's state. The caller draws tabs 0 to
// visibleCount - 1, advancing `index`.
struct TabStripLayout {
    // `preferred` holds `count` label widths; each tab gets `extra` more.
    TabStripLayout(const RegionId& stripId, const interval2& stripRect, TabStripMap* map, const float* preferred,
                   int count, float extra);

    interval2 tabRect(int i) const;
    interval2 currentTabRect() const { return tabRect(index); }
    bool isStoredSelection() const;

    RegionId stripId;
    interval2 stripRect;
    TabStripMap* map;
    int tabCount;
    int visibleCount;
    std::unique_ptr<float[]> widths; // tabCount entries
    int index = 0;
};

// The region of one tab for one frame. A mouse1 press starts a tab drag and
// selects; a middle press and a secondary release run their actions; every
// motion and wheel turn over a tab is taken.
class TabButtonInputHandler : public InputRegion {
public:
    TabButtonInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect, const RegionId& stripId,
                          TabStripMap* map, std::function<void()> selectAction,
                          std::function<void()> middleClickAction, std::function<void()> secondaryAction,
                          TabMoveAction moveAction, ustring hintText);
    bool onInputEvent(const KeyEvent& event) override;
    bool onMotion(const MotionEvent& event) override;
    bool hint(ustring& text, ustring& command) override;

private:
    RegionId m_stripId;
    TabStripMap* m_map;
    std::function<void()> m_selectAction;
    std::function<void()> m_middleClickAction;
    std::function<void()> m_secondaryAction;
    TabMoveAction m_moveAction;
    ustring m_hintText;
};

// Follows a pressed tab: over a neighbour far enough in, it asks to move the
// tab there; over another strip's header or group, into that strip, and
// then follows the tab into it. It holds the strip id by value and looks the
// state up in the map at every step, never indexing a tab it has not
// checked, so strips rebuilt (or emptied) while the button is held are safe.
class TabButtonDragHandler : public DragHandler {
public:
    // `map` is the window's and outlives the drag.
    TabButtonDragHandler(const RegionId& stripId, TabStripMap* map, TabMoveAction moveAction);
    DragResult onKeyOrButton(const KeyEvent& event) override;
    DragResult onMotion(const MotionEvent& event) override;

private:
    // Moves within the current strip; false when the pointer is not over a
    // tab far enough in (the caller then tries other strips).
    bool moveWithinStrip(float x, float y);
    void moveToOtherStrip(float x, float y);

    RegionId m_stripId; // the strip the dragged tab is in now
    TabStripMap* m_map;
    TabMoveAction m_moveAction;
};

// Draws one tab (background with the hover fade, centred label) and adds its
// region. True when the fade has ended.
bool tabButton(InputRegion* parent, const RegionId& id, const RegionId& stripId, const interval2& rect,
               const interval2& labelRect, TabStripMap* map, std::function<void()> selectAction,
               std::function<void()> middleClickAction, std::function<void()> secondaryAction,
               TabMoveAction moveAction, const uchar* labelBegin, const uchar* labelEnd, const uchar* hintBegin,
               const uchar* hintEnd, const ThemeFont& font, Shader* background);

// The small header button `index` of `count` with the theme icon `iconName`.
bool tabMiniButton(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& panelRect,
                   std::function<void()> clickAction, const std::string& iconName, int index, int count,
                   const ustring& hintText, const ustring& hintCommand);
