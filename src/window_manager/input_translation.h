// The platform-independent rules of turning a platform window's input into
// the toolkit's events: which press is a third click, how far a wheel notch
// scrolls, and whether an event goes to the active drag or to the window's
// handler. The platform layer reads the system (message time, double-click
// time, wheel settings) and hands the numbers in. Main thread only.
#pragma once

#include <cstdint>
#include <optional>

#include "ui/input_events.h"

class DragHandler;
class WindowHandler;

// One button message as the platform reported it: the button (kMouseLeft
// to kMouseExtra), whether it is down after the message, whether the system
// called it a double click, the message time in wrapping milliseconds and
// the position in client pixels.
struct ButtonMessage {
    int32_t button = 0;
    bool down = false;
    bool doubleClick = false;
    uint32_t time = 0;
    float x = 0;
    float y = 0;
};

// Counts the third click the system does not report: a left press within
// the double-click time after a double click, less than 4 pixels from it.
// Any other press ends the chance.
class ClickSequence {
public:
    // The code of the event for `message`: kMouseDoubleClick for a double
    // click, kMouseTripleClick for a third click, else the button.
    // `doubleClickTime` is the system's, in milliseconds.
    int32_t code(const ButtonMessage& message, uint32_t doubleClickTime);

private:
    // Message time until which a left press counts as a third click; unset
    // when none can.
    std::optional<uint32_t> m_deadline;
    // Where the last double click was.
    float m_x = 0;
    float m_y = 0;
};

// Sets the wheel amount of a vertical wheel turn of `delta` 120ths of a
// notch, with `linesPerNotch` the system setting: negative for a page per
// notch, 0 counting as one line.
void setVerticalWheel(MotionEvent& event, int delta, int linesPerNotch);
// Sets the wheel amount of a horizontal turn (positive `delta` is to the
// right, which scrolls by negative characters); fewer than one character a
// notch counts as one.
void setHorizontalWheel(MotionEvent& event, int delta, int charactersPerNotch);

// What became of an event offered to a window's drag or handler.
struct InputDelivery {
    bool toDrag = false;  // the active drag took it (the handler never saw it)
    bool endDrag = false; // the drag answered 1: the window must end it
    bool handled = false; // the handler's answer; false when the drag took it
};

// Gives the event to `drag` when it is not null, else to `handler`. The
// caller ends the drag when asked; nothing here owns either.
InputDelivery deliverInput(DragHandler* drag, WindowHandler& handler, const KeyEvent& event);
InputDelivery deliverInput(DragHandler* drag, WindowHandler& handler, const CharacterEvent& event);
InputDelivery deliverInput(DragHandler* drag, WindowHandler& handler, const MotionEvent& event);
