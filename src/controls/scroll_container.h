// Scrollbars and the scroll container. A container shows content larger
// than its rect: each frame it works out which bars the content needs,
// clamps the caller's scroll offset, turns wheel turns over its rect into
// scrolling, draws and wires the bars, and calls the content function with
// the visible rect and the offset. The offset belongs to the caller (it
// outlives the frame); its address is the container's identity.
#pragma once

#include <functional>

#include "controls/button_drag_handler.h"
#include "ui/input_region.h"
#include "ui/interval2.h"

class Theme;

// The length below which a puck is never drawn.
constexpr double minimumPuckLength = 20.0;

// Where the bars and the content go; an absent bar is the unset rect.
struct ScrollbarLayout {
    interval2 verticalBar;
    interval2 horizontalBar;
    interval2 content;
};

struct ScrollbarsNeeded {
    bool vertical = false;
    bool horizontal = false;
};

// A bar that takes room from the other axis can make the other bar needed.
ScrollbarsNeeded scrollbarsNeeded(const Theme& theme, const interval2& rect, float contentWidth,
                                  float contentHeight);
// With both bars the bottom-right corner of the bar thickness belongs to
// neither.
ScrollbarLayout scrollbarLayout(const Theme& theme, const interval2& rect, bool needVertical,
                                bool needHorizontal);

// The puck of a bar whose track is `track`, showing `visible` of
// visible + maximum from `position`; never shorter than `minimumLength`
// (within the track), the whole track when maximum is 0. Floored to whole
// pixels.
interval2 verticalPuckRect(const interval2& track, double position, double visible, double maximum,
                           double minimumLength);
interval2 horizontalPuckRect(const interval2& track, double position, double visible, double maximum,
                             double minimumLength);

using ScrollCallback = std::function<void(double position)>;

// Axis tags of the bars.
struct SelectY {
    static float low(const interval2& r) { return r.y0; }
    static float high(const interval2& r) { return r.y1; }
    static float pointer(const InputState& state) { return state.y; }
    static interval2 puck(const interval2& track, double position, double visible, double maximum,
                          double minimumLength)
    {
        return verticalPuckRect(track, position, visible, maximum, minimumLength);
    }
};
struct SelectX {
    static float low(const interval2& r) { return r.x0; }
    static float high(const interval2& r) { return r.x1; }
    static float pointer(const InputState& state) { return state.x; }
    static interval2 puck(const interval2& track, double position, double visible, double maximum,
                          double minimumLength)
    {
        return horizontalPuckRect(track, position, visible, maximum, minimumLength);
    }
};

// The region of one bar for one frame; its rect is the track. A press on
// the puck starts a drag, a press beside it pages by the visible extent;
// double clicks are swallowed; a middle press only moves the focus.
template <typename Axis>
class ScrollbarInputHandler : public InputRegion {
public:
    // Moves the position with the pointer until mouse1 goes up or Escape is
    // pressed. Holds everything it needs by value (the callback by copy).
    class ScrollbarDragHandler : public ButtonDragHandler {
    public:
        ScrollbarDragHandler(const InputState& start, const interval2& track, double maximum,
                             ScrollCallback onScroll, const interval2& puckStart);
        DragResult onMotion(const MotionEvent& event) override;

    private:
        vector2 m_start;
        interval2 m_track;
        double m_maximum;
        ScrollCallback m_onScroll;
        interval2 m_puckStart;
    };

    ScrollbarInputHandler(BaseWindow* window, const RegionId& id, const interval2& track, double position,
                          double visible, double maximum, ScrollCallback onScroll, const RegionId& focusId);
    bool onInputEvent(const KeyEvent& event) override;

private:
    double m_position;
    double m_visible;
    double m_maximum;
    double m_minimumPuckLength = minimumPuckLength;
    ScrollCallback m_onScroll;
    RegionId m_focusId; // null for none
};

// Turns wheel turns over the container into scrolling of the caller's
// offset (control turns the vertical wheel into horizontal scrolling; page
// mode scrolls by the whole steps that fit in the container). The offset is
// clamped by the next frame.
class ScrollContainerInputHandler : public InputRegion {
public:
    // `offset` is the caller's; it must outlive the frame's regions.
    ScrollContainerInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect, vector2* offset,
                                float stepX, float stepY);
    bool onMotion(const MotionEvent& event) override;

private:
    vector2* m_offset;
    float m_stepX;
    float m_stepY;
};

// Draw a bar over its track; with an empty onScroll the bar only draws.
// Always true.
bool verticalScrollbar(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& track,
                       double position, double visible, double maximum, const ScrollCallback& onScroll,
                       const RegionId& focusId);
bool horizontalScrollbar(Theme& theme, InputRegion* parent, const RegionId& id, const interval2& track,
                         double position, double visible, double maximum, const ScrollCallback& onScroll,
                         const RegionId& focusId);

// Draws the content of a container: (theme, the container's region, the
// content rect, scroll x, scroll y) -> whether the frame is complete.
using ScrollContent = std::function<bool(Theme&, InputRegion*, const interval2&, float, float)>;

// `offset` (the caller's, read, clamped and written back) scrolls content of
// the given size through `rect`; stepX and stepY are the pixels of one wheel
// line. False when the content is not complete.
bool scrollContainer(Theme& theme, InputRegion* parent, const interval2& rect, float contentWidth,
                     float contentHeight, vector2* offset, float stepX, float stepY, const ScrollContent& drawContent);
