// The geometry of an editor window's frame, apart from any drawing: which
// strips a window of a given size has (toolbar, status bar, bottom panel,
// project side bar), where the view groups of each layout go, the splitters
// between them with the limits of what they move, and where the overlay
// sits. The window's draw function asks these for its rectangles every
// frame; keeping them free of the toolkit lets the thresholds and limits be
// checked on numbers alone.
//
// Rectangles are window pixels, origin top left, y growing downward.
#pragma once

#include <vector>

#include "ui/interval2.h"

// Fixed indexes of the frame's regions; the toolkit keeps their hover and
// focus state from frame to frame under them.
constexpr int kPanelAreaRegion = 8001;
constexpr int kPanelCloseRegion = 8002;
constexpr int kOverlayAreaRegion = 8011;
constexpr int kOverlayCloseRegion = 8012;
constexpr int kOverlayBlockerRegion = 8013;
constexpr int kPanelSplitterRegion = 99481;
constexpr int kSideBarSplitterRegion = 99482;
// The splitters of group g are these plus 3g.
constexpr int kGroupColumnSplitterRegion = 888999;
constexpr int kGroupRowSplitterRegion = 889000;
constexpr int kGroupCornerSplitterRegion = 889001;

// Window heights from which a strip is shown at all.
constexpr float kToolbarMinimumWindowHeight = 100;
constexpr float kStatusbarMinimumWindowHeight = 120;
// The bottom panel needs a window taller than this.
constexpr float kPanelWindowHeightAbove = 150;
// Room the panel splitter always leaves above the panel's bottom edge.
constexpr float kPanelRoomAbove = 160;
// Width of the panel's close-button column at its right end.
constexpr float kPanelCloseColumn = 20;

constexpr float kSideBarMinimumWidth = 50;
constexpr float kSideBarMaximumWidth = 800;
// The width of a side bar whose stored width is 0 (never set).
constexpr float kSideBarDefaultWidth = 200;
// Thickness of every splitter band.
constexpr float kSplitterThickness = 8;
// No splitter makes a group narrower or lower than this.
constexpr float kMinimumGroupExtent = 40;

constexpr int kLayoutTypeCount = 6;

// The split counts of a layout type; the view set has (rows + 1) x
// (columns + 1) groups, numbered row by row.
struct LayoutShape {
    int rowSplits;
    int columnSplits;
    int groupCount() const { return (rowSplits + 1) * (columnSplits + 1); }
};

// The shape of `type` (0 to kLayoutTypeCount - 1); callers ignore other
// types before asking.
LayoutShape layoutShape(int type);

// Gives the split lists the lengths `type` needs. A list that already has
// its length keeps its values (a restored session relies on that); a list
// of another length is reset to equal parts. Returns the shape.
LayoutShape fitLayoutSplits(int type, std::vector<float>& rowSplits, std::vector<float>& columnSplits);

// The side bar width drawn for a stored width: 0 means the default.
float sideBarWidth(float stored);

// What the frame needs to know to cut its strips.
struct FrameRequest {
    interval2 window;
    bool showToolbar = false;
    float toolbarHeight = 0;
    bool showStatusbar = false;
    float statusbarHeight = 0;
    bool hasPanel = false;
    float panelHeight = 0; // the height the panel asks for
    bool showSideBar = false;
    float sideBarWidth = 0; // as stored; 0 draws the default
};

// The strips of one frame. A strip the window has no room for (or does not
// show) is empty and its flag is false.
struct FrameLayout {
    bool hasToolbar = false;
    interval2 toolbar;
    bool hasStatusbar = false;
    interval2 statusbar;
    bool hasPanel = false;
    interval2 panel;
    bool hasSideBar = false;
    interval2 sideBar;
    interval2 sideBarSplitter; // along the side bar's right edge
    interval2 groupArea;       // what is left for the view groups
};

FrameLayout layoutFrame(const FrameRequest& request);

// The parts of the bottom panel's rectangle.
struct PanelLayout {
    interval2 closeButton;
    interval2 area;     // the panel lays itself out here
    interval2 splitter; // the band at the top of `area`
    // The largest height the splitter may give the panel.
    float maximumHeight;
};

PanelLayout layoutPanel(const interval2& panel);

// The overlay's rectangle inside the window: a margin of an eighth of the
// width (height), rounded down, on each side.
interval2 overlayRect(const interval2& window);
// The overlay's close button, just outside its top right corner.
interval2 overlayCloseButtonRect(const interval2& overlay);

// The groups' rectangles in a group area, row by row. Each split is a
// fraction of the area's extent from its top (left) edge, in increasing
// order; a row ends at the area's top plus the floored fraction of its
// height, the last row at the area's bottom, and columns likewise.
std::vector<interval2> groupRects(const interval2& area, const std::vector<float>& rowSplits,
                                  const std::vector<float>& columnSplits);

// One axis a splitter moves: the split (or size) it changes follows the
// pointer times `multiplier`, clamped to [minimum, maximum].
struct SplitterAxis {
    int split = -1; // index into the row or column split list; -1: the axis does not move
    float multiplier = 0;
    float minimum = 0;
    float maximum = 0;
};

// A splitter at the top or left edge of a group.
struct GroupSplitter {
    int group; // row-major index of the group whose edge it lies on
    int regionIndex;
    interval2 rect;
    SplitterAxis column; // moves columnSplits[column.split]
    SplitterAxis row;    // moves rowSplits[row.split]
};

// The splitters of every group but the first: a column splitter along the
// left edge of each group past the first column, a row splitter along the
// top edge of each group past the first row, and a corner splitter where
// both meet. Their limits keep every group kMinimumGroupExtent wide and
// high; a splitter with no room to move gets both limits at its split's
// current value.
std::vector<GroupSplitter> groupSplitters(const interval2& area, const std::vector<float>& rowSplits,
                                          const std::vector<float>& columnSplits);
