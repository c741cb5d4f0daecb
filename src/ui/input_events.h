// The input records the window layer fills from platform messages: key and
// button presses, typed characters and pointer motion, each with the state of
// every key and the pointer position at the time of the event.
#pragma once

#include <cstdint>

#include "ui/key_codes.h"

struct InputState {
    // 1 when that key or button is down at the time of the event, else 0;
    // indexed by key code.
    uint8_t key[kKeyCodeCount] = {};
    // The pointer in client pixels, origin top left.
    float x = 0;
    float y = 0;

    bool shiftDown() const { return key[kKeyRightShift] || key[kKeyLeftShift]; }
    bool controlDown() const { return key[kKeyRightControl] || key[kKeyLeftControl]; }
    bool altDown() const { return key[kKeyRightAlt] || key[kKeyLeftAlt]; }
};

// A key or button going down or up (a double or triple click counts as down).
struct KeyEvent {
    int32_t code = 0; // 0 when the platform key has no code
    bool pressed = false;
    InputState state;
};

// One typed UTF-16 unit; a surrogate pair arrives as two events.
struct CharacterEvent {
    uint16_t character = 0;
    InputState state;
};

// Pointer movement or a wheel turn. A plain move has both wheel amounts 0; a
// wheel turn or scroll-bar step has dx and dy 0.
struct MotionEvent {
    // Previous position minus the new one: positive when the pointer moved
    // left or up.
    float dx = 0;
    float dy = 0;
    float wheelY = 0; // lines, positive away from the user; or +-1 per scroll-bar step
    float wheelX = 0; // characters; or +-1 per scroll-bar step
    bool page = false; // the wheel amounts count pages instead
    InputState state;
};
