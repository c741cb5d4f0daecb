// Win32 services for the Wine tests of application windows, behind a neutral
// interface: messages posted to a window as a device or the system would send
// them, the thread's key state, and questions about a native window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/platform.h"
#include "ui/ustring.h"

namespace window_test {

// Virtual keys the tests use.
constexpr uint32_t kVkControl = 0x11;
constexpr uint32_t kVkShift = 0x10;
constexpr uint32_t kVkMenu = 0x12;
constexpr uint32_t kVkLeftControl = 0xA2;
constexpr uint32_t kVkRightControl = 0xA3;
constexpr uint32_t kVkNumpad0 = 0x60;
constexpr uint32_t kVkMultiply = 0x6A;
constexpr uint32_t kVkAdd = 0x6B;
constexpr uint32_t kVkSeparator = 0x6C;
constexpr uint32_t kVkDecimal = 0x6E;
constexpr uint32_t kVkDivide = 0x6F;
constexpr uint32_t kVkF5 = 0x74;
constexpr uint32_t kVkLeftButton = 0x01;

enum class Button { Left, Right, Middle, Extra };
enum class Click { Down, Up, Double };

// A key message as the keyboard would produce it (scan code, extended bit,
// transition bits); `system` makes it WM_SYSKEYDOWN/WM_SYSKEYUP.
bool postKey(platform::WindowHandle window, uint32_t virtualKey, bool down, bool system = false);
// A button message at (x, y) in client pixels; negative values are sent as
// the device reports them during a capture.
bool postButton(platform::WindowHandle window, Button button, Click click, int x, int y);
// WM_MOUSEWHEEL (or WM_MOUSEHWHEEL) turning by `delta` (120 a notch).
bool postWheel(platform::WindowHandle window, int delta, bool horizontal);
// WM_VSCROLL (or WM_HSCROLL) with a scroll-bar request code (0 line up,
// 1 line down, 2 page up, 3 page down, 5 thumb track).
bool postScroll(platform::WindowHandle window, bool horizontal, int code);
// WM_SYSCOMMAND SC_KEYMENU, as alt pressed and released alone produces.
bool postKeyMenu(platform::WindowHandle window);
// Whether the calling thread is in a menu's modal loop.
bool inMenuMode();

// Moves the pointer to (x, y) in the window's client pixels and posts the
// WM_MOUSEMOVE that goes with it.
bool movePointer(platform::WindowHandle window, int x, int y);
// WM_MOUSELEAVE, as the system posts it when the pointer leaves the window.
bool postMouseLeave(platform::WindowHandle window);
// WM_ACTIVATE with the activation state (0 inactive, 1 active, 2 activated
// by a click) and the minimised flag in the high word.
bool postActivate(platform::WindowHandle window, int state, bool minimised);
// Resizes the window so that its client area is width x height pixels; the
// window procedure sees WM_SIZE before this returns.
void resizeClient(platform::WindowHandle window, int width, int height);
// WM_DROPFILES with these paths, as the shell sends it.
bool postDroppedFiles(platform::WindowHandle window, const std::vector<ustring>& paths);
// Sends WM_SETCURSOR for the client area; the shape the window then shows:
// 0 arrow, 1 I-beam, 2 north-south, 3 west-east, 4 four arrows, -1 other.
int cursorShownOver(platform::WindowHandle window);
// The keyboard's keys the calling thread sees as down: exactly these (up to
// four; 0 ends the list), with Num Lock on.
void setKeysDown(uint32_t first = 0, uint32_t second = 0, uint32_t third = 0, uint32_t fourth = 0);

// The system's wheel setting: lines per notch (-1 for a page per notch).
// Returns the previous value.
int setWheelScrollLines(int lines);

bool isWindow(platform::WindowHandle window);
bool isVisible(platform::WindowHandle window);
bool isMinimised(platform::WindowHandle window);
bool isMaximised(platform::WindowHandle window);
// The window's class name.
ustring className(platform::WindowHandle window);
// Whether part of the window waits for WM_PAINT.
bool needsPaint(platform::WindowHandle window);
// Sends WM_PAINT now when part of the window waits for it.
void paintNow(platform::WindowHandle window);
// Destroys the native window as the system would (its procedure sees
// WM_DESTROY).
void destroyWindow(platform::WindowHandle window);
// The window owns the mouse capture.
bool hasCapture(platform::WindowHandle window);
// Removes every message waiting for the calling thread (a WM_QUIT left by a
// window destroyed outside the loop, say).
void discardMessages();

} // namespace window_test
