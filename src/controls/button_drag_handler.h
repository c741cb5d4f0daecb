// The drag a pressed control starts: it takes every input from the press
// until the button that began it goes up (or Escape is pressed), and runs the
// control's click when the release lands inside the control. Buttons,
// scrollbars and the text and minimap drags derive from it.
#pragma once

#include <functional>

#include "ui/input_region.h"
#include "ui/interval2.h"

class ButtonDragHandler : public DragHandler {
public:
    // `button` is the mouse code that began the drag; `rect` the pressed
    // control's window rect; `onClick` may be empty. The handler holds all
    // three by value, so it stays sound when the frame that made it is gone.
    ButtonDragHandler(int button, const interval2& rect, std::function<void()> onClick);

    // The release of the starting button ends the drag, running the click
    // first when the pointer is inside the rect; Escape ends it without a
    // click; every other key or button is ignored.
    DragResult onKeyOrButton(const KeyEvent& event) override;
    // Ends the drag when the event shows the starting button up (its release
    // was lost, for instance to another window).
    DragResult onMotion(const MotionEvent& event) override;

protected:
    std::function<void()> m_onClick;
    int m_button;
    interval2 m_rect;
};
