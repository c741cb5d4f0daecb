// Input translation for application windows: Win32 virtual keys to the
// program's key codes, the key-state snapshot every event carries, and the
// turning of key, character, pointer, wheel, scroll-bar and button messages
// into the handler's events (or the active drag's). Neutral header; the
// message parameters cross it as plain integers. Main thread only.
#pragma once

#include <cstdint>

#include "ui/input_events.h"

class AppWindow;

// The key code of a virtual key; 0 when it has none. Key messages carry the
// generic modifier keys, so any control key gives kKeyLeftControl, shift
// kKeyLeftShift, alt kKeyLeftAlt.
int32_t translateVirtualKey(uint32_t virtualKey);

// Every key and button's state (1 down, 0 up) and the pointer in the client
// pixels of the current window. The left modifier codes hold the generic
// shift, control and alt state.
void makeInputState(InputState& state);

// Sends a pointer sample at the window time to the active drag's stroke, or
// else to the handler's pointer history.
void recordPointerSample(AppWindow& window, float x, float y);

// The message translations; each returns the window procedure's result.
// WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP: 0 when consumed, non-zero
// when the loop should translate the key into characters.
intptr_t translateKeyMessage(AppWindow& window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// WM_CHAR.
intptr_t translateCharacterMessage(AppWindow& window, uintptr_t wParam);
// WM_MOUSEMOVE, WM_MOUSEWHEEL, WM_MOUSEHWHEEL.
intptr_t translatePointerMessage(AppWindow& window, uint32_t message, uintptr_t wParam);
// WM_HSCROLL, WM_VSCROLL.
intptr_t translateScrollMessage(AppWindow& window, uint32_t message, uintptr_t wParam);
// The button messages, double clicks and triple clicks.
intptr_t translateButtonMessage(AppWindow& window, uint32_t message, uintptr_t wParam, intptr_t lParam);
