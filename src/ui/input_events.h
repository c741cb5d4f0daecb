// The input records the window layer fills from platform messages: key and
// button presses, typed characters and pointer motion, each with the state of
// every key and the pointer position at the time of the event.
#pragma once

#include <cstdint>

// Key codes are those of input/key_stroke.h (0 to 511). The mouse buttons and
// clicks take 500 to 507; the window treats that whole range as buttons.
// These stay plain int32_t constants rather than an enumeration: they are
// values of the one integer key-code space, stored in events and key strokes
// and used as indices of InputState::key.
constexpr int32_t kMouseLeft = 500;
constexpr int32_t kMouseRight = 501;
constexpr int32_t kMouseMiddle = 502;
constexpr int32_t kMouseExtra = 503;       // either extra button, in button events
constexpr int32_t kMouseExtraSecond = 504; // the second extra button; only in key states
constexpr int32_t kMouseDoubleClick = 505; // a double click of the left button
constexpr int32_t kMouseTripleClick = 506; // a triple click of the left button
constexpr int32_t kMouseReserved = 507;
constexpr int32_t kMouseFirst = kMouseLeft;
constexpr int32_t kMouseLast = kMouseReserved;

// Modifier key codes. The left codes also carry the generic state of their
// pair, so they are down whenever either key of the pair is.
constexpr int32_t kKeyRightShift = 303;
constexpr int32_t kKeyLeftShift = 304;
constexpr int32_t kKeyRightControl = 305;
constexpr int32_t kKeyLeftControl = 306;
constexpr int32_t kKeyRightAlt = 307;
constexpr int32_t kKeyLeftAlt = 308;

inline bool isMouseCode(int32_t code) { return code >= kMouseFirst && code <= kMouseLast; }

struct InputState {
    // 1 when that key or button is down at the time of the event, else 0;
    // indexed by key code.
    uint8_t key[512] = {};
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
