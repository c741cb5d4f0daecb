// Input events for the control tests: buttons and keys at a pointer
// position, pointer motion and wheel turns with the keys held.
#pragma once

#include <initializer_list>

#include "ui/input_events.h"

namespace control_events {

inline InputState stateAt(float x, float y, std::initializer_list<int32_t> held)
{
    InputState state;
    state.x = x;
    state.y = y;
    for (int32_t key : held)
        state.key[key] = 1;
    return state;
}

// A press or release of `code`; a press of a mouse code holds that button.
inline KeyEvent button(int32_t code, bool pressed, float x, float y,
                       std::initializer_list<int32_t> held = {})
{
    KeyEvent event;
    event.code = code;
    event.pressed = pressed;
    event.state = stateAt(x, y, held);
    if (pressed && code >= 0 && code < 512)
        event.state.key[code] = 1;
    return event;
}

inline MotionEvent motion(float x, float y, std::initializer_list<int32_t> held = {})
{
    MotionEvent event;
    event.state = stateAt(x, y, held);
    return event;
}

inline MotionEvent wheel(float x, float y, float wheelY, float wheelX = 0, bool page = false,
                         std::initializer_list<int32_t> held = {})
{
    MotionEvent event = motion(x, y, held);
    event.wheelY = wheelY;
    event.wheelX = wheelX;
    event.page = page;
    return event;
}

} // namespace control_events
