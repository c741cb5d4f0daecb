// Splitters: bands the user drags to resize what lies on either side (a
// split between view groups, a panel's height, a side bar's width). A
// splitter moves up to two values, one per axis; each follows the pointer's
// movement since the press times a multiplier, clamped to its limits.
#pragma once

#include <functional>

#include "controls/button_drag_handler.h"
#include "ui/input_region.h"

// One value a splitter moves. `locate` finds the value at each step of the
// drag and answers null once it is gone (the layout changed under the drag);
// an empty `locate` means the axis moves nothing. The value is set to its
// start value plus the movement times `multiplier`, clamped to [minimum,
// maximum].
struct SplitterValue {
    std::function<float*()> locate;
    float multiplier = 1;
    float minimum = 0;
    float maximum = 0;
};

// The drag a splitter starts: it ends like a button's (release or Escape)
// and moves the values on every motion until then.
class SplitterDragHandler : public ButtonDragHandler {
public:
    SplitterDragHandler(float startX, float startY, SplitterValue horizontal, SplitterValue vertical);
    DragResult onMotion(const MotionEvent& event) override;

private:
    struct Axis {
        SplitterValue value;
        float start = 0; // the value when the drag began
    };
    static Axis begin(SplitterValue value);
    static void follow(Axis& axis, float movement);

    float m_startX;
    float m_startY;
    Axis m_horizontal;
    Axis m_vertical;
};

// The splitter's region for one frame: a left-button press starts a
// SplitterDragHandler; the pointer over it shows the resize cursor of the
// axes it moves.
class SplitterInputHandler : public InputRegion {
public:
    SplitterInputHandler(BaseWindow* window, const RegionId& id, const interval2& rect, SplitterValue horizontal,
                         SplitterValue vertical);
    bool onInputEvent(const KeyEvent& event) override;
    bool cursor(const InputState& state, CursorKind& kind) override;

private:
    SplitterValue m_horizontal;
    SplitterValue m_vertical;
};
