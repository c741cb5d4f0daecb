// Win32 input translation. Each message becomes one event of the toolkit
// (KeyEvent, CharacterEvent, MotionEvent) carrying a snapshot of every key
// and the pointer, and goes to the active drag handler when there is one,
// else to the window's handler. Key messages arrive here before the loop
// translates them, so a key the handler consumes never turns into a
// character; plain keypad keys skip the handler and always become
// characters. Button positions come from the message and are signed, so a
// release outside the window during a drag reports where it really was.
#define NOMINMAX
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "ui/base_window.h"
#include "ui/input_region.h"
#include "window_manager/windows/app_window.h"
#include "window_manager/windows/win32_input.h"
#include "window_manager/windows/win32_window_manager.h"

namespace {

struct VirtualKeyRow {
    uint32_t virtualKey;
    int32_t code;
};

// Searched in order; the first row with the virtual key gives the code. The
// generic modifiers come after the sided ones, so makeInputState leaves the
// generic state in the left codes.
const VirtualKeyRow kVirtualKeys[] = {
    {VK_LBUTTON, 500}, {VK_RBUTTON, 501}, {VK_MBUTTON, 502}, {VK_XBUTTON1, 503}, {VK_XBUTTON2, 504},
    {VK_LCONTROL, 306}, {VK_RCONTROL, 305}, {VK_LSHIFT, 304}, {VK_RSHIFT, 303}, {VK_LMENU, 308},
    {VK_RMENU, 307}, {VK_CONTROL, 306}, {VK_SHIFT, 304}, {VK_MENU, 308},
    {VK_DELETE, 127}, {VK_BACK, 8}, {VK_RETURN, 13}, {VK_INSERT, 277}, {VK_TAB, 9}, {VK_ESCAPE, 27},
    {VK_SPACE, 32}, {VK_PRIOR, 280}, {VK_NEXT, 281}, {VK_HOME, 278}, {VK_END, 279}, {VK_LEFT, 276},
    {VK_RIGHT, 275}, {VK_UP, 273}, {VK_DOWN, 274},
    {VK_OEM_5, 92}, {VK_OEM_2, 47}, {VK_OEM_COMMA, 44}, {VK_OEM_PERIOD, 46}, {VK_OEM_1, 59}, {VK_OEM_7, 39},
    {VK_OEM_3, 96}, {VK_OEM_MINUS, 45}, {VK_OEM_PLUS, 61}, {VK_OEM_4, 91}, {VK_OEM_6, 93},
    {VK_APPS, 319}, {VK_SNAPSHOT, 316}, {VK_PAUSE, 19}, {VK_NUMLOCK, 300}, {VK_SCROLL, 302}, {VK_CAPITAL, 301},
    {VK_NUMPAD0, 256}, {VK_NUMPAD1, 257}, {VK_NUMPAD2, 258}, {VK_NUMPAD3, 259}, {VK_NUMPAD4, 260},
    {VK_NUMPAD5, 261}, {VK_NUMPAD6, 262}, {VK_NUMPAD7, 263}, {VK_NUMPAD8, 264}, {VK_NUMPAD9, 265},
    {VK_MULTIPLY, 268}, {VK_ADD, 270}, {VK_SUBTRACT, 269}, {VK_DECIMAL, 266}, {VK_DIVIDE, 267}, {VK_CLEAR, 12},
    {VK_BROWSER_BACK, 400}, {VK_BROWSER_FORWARD, 401}, {VK_BROWSER_REFRESH, 402}, {VK_BROWSER_STOP, 403},
    {VK_BROWSER_SEARCH, 404}, {VK_BROWSER_FAVORITES, 405}, {VK_BROWSER_HOME, 406},
    {VK_LWIN, 311}, {VK_RWIN, 312},
    {'A', 97}, {'B', 98}, {'C', 99}, {'D', 100}, {'E', 101}, {'F', 102}, {'G', 103}, {'H', 104}, {'I', 105},
    {'J', 106}, {'K', 107}, {'L', 108}, {'M', 109}, {'N', 110}, {'O', 111}, {'P', 112}, {'Q', 113}, {'R', 114},
    {'S', 115}, {'T', 116}, {'U', 117}, {'V', 118}, {'W', 119}, {'X', 120}, {'Y', 121}, {'Z', 122},
    {'0', 48}, {'1', 49}, {'2', 50}, {'3', 51}, {'4', 52}, {'5', 53}, {'6', 54}, {'7', 55}, {'8', 56}, {'9', 57},
    {VK_F1, 282}, {VK_F2, 283}, {VK_F3, 284}, {VK_F4, 285}, {VK_F5, 286}, {VK_F6, 287}, {VK_F7, 288},
    {VK_F8, 289}, {VK_F9, 290}, {VK_F10, 291}, {VK_F11, 292}, {VK_F12, 293}, {VK_F13, 294}, {VK_F14, 295},
    {VK_F15, 296},
};
static_assert(sizeof(kVirtualKeys) / sizeof(kVirtualKeys[0]) == 122, "one row per translated key");

// The last pointer position a motion message saw; (0, 0) before the first.
float s_lastPointerX = 0;
float s_lastPointerY = 0;

bool anyModifierDown(const InputState& state)
{
    for (int32_t code = kKeyRightShift; code <= kKeyLeftAlt; ++code) {
        if (state.key[code])
            return true;
    }
    return false;
}

HWND nativeWindow(AppWindow& window)
{
    return static_cast<HWND>(window.m_hwnd);
}

template <typename Event>
void sendToDragOrHandler(AppWindow& window, const Event& event, DragResult (DragHandler::*dragOperation)(const Event&),
                         bool (WindowHandler::*handlerOperation)(const Event&), bool& handlerResult)
{
    handlerResult = false;
    if (window.m_drag) {
        if ((window.m_drag.get()->*dragOperation)(event) == DragResult::End)
            window.endDrag();
        return;
    }
    handlerResult = (window.m_handler.get()->*handlerOperation)(event);
}

// A motion goes to the drag when there is one, else to the handler. The
// window is redrawn after every drag motion, and after a handled one.
void sendMotion(AppWindow& window, const MotionEvent& event)
{
    if (window.m_drag) {
        if (window.m_drag->onMotion(event) == DragResult::End)
            window.endDrag();
        window.invalidate();
    } else if (window.m_handler->onMotion(event)) {
        window.invalidate();
    }
}

} // namespace

int32_t translateVirtualKey(uint32_t virtualKey)
{
    for (const VirtualKeyRow& row : kVirtualKeys) {
        if (row.virtualKey == virtualKey)
            return row.code;
    }
    return 0;
}

void makeInputState(InputState& state)
{
    state = InputState();
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    for (const VirtualKeyRow& row : kVirtualKeys)
        state.key[row.code] = (keys[row.virtualKey] & 0x80) ? 1 : 0;
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    if (AppWindow* current = currentAppWindow())
        ScreenToClient(nativeWindow(*current), &cursor);
    state.x = float(cursor.x);
    state.y = float(cursor.y);
}

void recordPointerSample(AppWindow& window, float x, float y)
{
    const double time = windowTime();
    if (window.m_drag)
        window.m_drag->m_stroke.addSample(time, x, y);
    else if (window.m_handler)
        window.m_handler->m_mouseHistory.addSample(time, x, y);
}

intptr_t translateKeyMessage(AppWindow& window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    KeyEvent event;
    makeInputState(event.state);
    event.code = translateVirtualKey(uint32_t(wParam));
    event.pressed = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;

    // Plain keypad keys type their characters (VK_SEPARATOR has no code and
    // goes to the handler as key 0).
    if (!anyModifierDown(event.state) && wParam >= VK_NUMPAD0 && wParam <= VK_DIVIDE && wParam != VK_SEPARATOR)
        return 1;

    recordPointerSample(window, event.state.x, event.state.y);
    bool consumed = false;
    if (window.m_drag) {
        if (window.m_drag->onKeyOrButton(event) == DragResult::End)
            window.endDrag();
    } else {
        consumed = window.m_handler->onKeyOrButton(event);
    }
    window.m_lastKeyConsumed = consumed;

    if ((message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) && !consumed) {
        DefWindowProcW(nativeWindow(window), message, wParam, lParam);
        return 1;
    }
    if (consumed || window.m_drag)
        window.invalidate();
    return consumed ? 0 : 1;
}

intptr_t translateCharacterMessage(AppWindow& window, uintptr_t wParam)
{
    CharacterEvent event;
    event.character = uint16_t(wParam);
    makeInputState(event.state);
    recordPointerSample(window, event.state.x, event.state.y);
    bool handled;
    sendToDragOrHandler(window, event, &DragHandler::onCharacter, &WindowHandler::onCharacter, handled);
    window.invalidate();
    return 0;
}

intptr_t translatePointerMessage(AppWindow& window, uint32_t message, uintptr_t wParam)
{
    MotionEvent event;
    makeInputState(event.state);
    const int delta = int16_t(HIWORD(wParam));
    if (message == WM_MOUSEWHEEL) {
        UINT setting = 3;
        if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &setting, 0))
            setting = 3;
        int lines = int(setting); // WHEEL_PAGESCROLL reads as -1: a page per notch
        if (lines == 0)
            lines = 1;
        if (lines < 0) {
            lines = -lines;
            event.page = true;
        }
        event.wheelY = float(delta) * float(lines) / 120.f;
    } else if (message == WM_MOUSEHWHEEL) {
        UINT setting = 3;
        if (!SystemParametersInfoW(SPI_GETWHEELSCROLLCHARS, 0, &setting, 0))
            setting = 3;
        const int characters = std::max(1, int(setting));
        event.wheelX = -float(delta) * float(characters) / 120.f;
    }
    event.dx = s_lastPointerX - event.state.x;
    event.dy = s_lastPointerY - event.state.y;
    s_lastPointerX = event.state.x;
    s_lastPointerY = event.state.y;

    recordPointerSample(window, event.state.x, event.state.y);
    sendMotion(window, event);

    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = nativeWindow(window);
    TrackMouseEvent(&track);
    return message == WM_MOUSEHWHEEL ? 1 : 0;
}

intptr_t translateScrollMessage(AppWindow& window, uint32_t message, uintptr_t wParam)
{
    float amount = 0;
    bool page = false;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: amount = 1; break;
    case SB_LINEDOWN: amount = -1; break;
    case SB_PAGEUP: amount = 1; page = true; break;
    case SB_PAGEDOWN: amount = -1; page = true; break;
    default: return 0;
    }
    MotionEvent event;
    makeInputState(event.state);
    event.page = page;
    if (message == WM_HSCROLL)
        event.wheelX = amount;
    else
        event.wheelY = amount;
    sendMotion(window, event);
    return 0;
}

intptr_t translateButtonMessage(AppWindow& window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    KeyEvent event;
    makeInputState(event.state);
    // Signed: during a capture a position left of or above the window is
    // negative.
    event.state.x = float(GET_X_LPARAM(lParam));
    event.state.y = float(GET_Y_LPARAM(lParam));

    int32_t button = 0;
    bool down = false;
    switch (message) {
    case WM_LBUTTONDOWN: button = kMouseLeft; down = true; break;
    case WM_LBUTTONDBLCLK: button = kMouseLeft; down = true; break;
    case WM_LBUTTONUP: button = kMouseLeft; break;
    case WM_RBUTTONDOWN: button = kMouseRight; down = true; break;
    case WM_RBUTTONUP: button = kMouseRight; break;
    case WM_MBUTTONDOWN: button = kMouseMiddle; down = true; break;
    case WM_MBUTTONUP: button = kMouseMiddle; break;
    case WM_XBUTTONDOWN: button = kMouseExtra; down = true; break;
    case WM_XBUTTONUP: button = kMouseExtra; break;
    default: return 0;
    }
    // The message says whether its button is down after it, also when it
    // did not come from the device (the key state is updated only by input
    // the thread has read).
    event.state.key[button] = down ? 1 : 0;
    event.code = button;

    const LONG time = GetMessageTime();
    if (message == WM_LBUTTONDBLCLK) {
        event.code = kMouseDoubleClick;
        event.pressed = true;
        window.m_tripleClickDeadline = int32_t(uint32_t(time) + GetDoubleClickTime());
        window.m_doubleClickX = event.state.x;
        window.m_doubleClickY = event.state.y;
    } else {
        const bool beforeDeadline = window.m_tripleClickDeadline != INT32_MIN &&
                                    int32_t(uint32_t(time) - uint32_t(window.m_tripleClickDeadline)) < 0;
        const float dx = event.state.x - window.m_doubleClickX;
        const float dy = event.state.y - window.m_doubleClickY;
        if (message == WM_LBUTTONDOWN && beforeDeadline && std::sqrt(dx * dx + dy * dy) < 4.f) {
            event.code = kMouseTripleClick;
            event.pressed = true;
        } else {
            event.pressed = down;
        }
        if (event.pressed)
            window.m_tripleClickDeadline = INT32_MIN;
    }

    recordPointerSample(window, event.state.x, event.state.y);
    bool handled;
    sendToDragOrHandler(window, event, &DragHandler::onKeyOrButton, &WindowHandler::onKeyOrButton, handled);
    window.invalidate();
    return 0;
}
