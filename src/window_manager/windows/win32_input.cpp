// Win32 input translation. Each message becomes one event of the toolkit
// (KeyEvent, CharacterEvent, MotionEvent) carrying a snapshot of every key
// and the pointer, and goes to the active drag handler when there is one,
// else to the window's handler. Key messages arrive here before the loop
// translates them, so a key the handler consumes never turns into a
// character; plain keypad keys skip the handler and always become
// characters. Button positions come from the message and are signed, so a
// release outside the window during a drag reports where it really was.
// The rules that need no system (third clicks, wheel notches, the choice
// between drag and handler) are in window_manager/input_translation.
#define NOMINMAX
#include <windows.h>
#include <windowsx.h>


#include "ui/base_window.h"
#include "ui/input_region.h"
#include "window_manager/input_translation.h"
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
    {VK_LBUTTON, kMouseLeft}, {VK_RBUTTON, kMouseRight}, {VK_MBUTTON, kMouseMiddle}, {VK_XBUTTON1, kMouseExtra},
    {VK_XBUTTON2, kMouseExtraSecond},
    {VK_LCONTROL, kKeyLeftControl}, {VK_RCONTROL, kKeyRightControl}, {VK_LSHIFT, kKeyLeftShift},
    {VK_RSHIFT, kKeyRightShift}, {VK_LMENU, kKeyLeftAlt},
    {VK_RMENU, kKeyRightAlt}, {VK_CONTROL, kKeyLeftControl}, {VK_SHIFT, kKeyLeftShift}, {VK_MENU, kKeyLeftAlt},
    {VK_DELETE, kKeyDelete}, {VK_BACK, kKeyBackspace}, {VK_RETURN, kKeyEnter}, {VK_INSERT, kKeyInsert},
    {VK_TAB, kKeyTab}, {VK_ESCAPE, kKeyEscape},
    {VK_SPACE, kKeySpace}, {VK_PRIOR, kKeyPageUp}, {VK_NEXT, kKeyPageDown}, {VK_HOME, kKeyHome},
    {VK_END, kKeyEnd}, {VK_LEFT, kKeyLeft},
    {VK_RIGHT, kKeyRight}, {VK_UP, kKeyUp}, {VK_DOWN, kKeyDown},
    {VK_OEM_5, kKeyBackslash}, {VK_OEM_2, kKeySlash}, {VK_OEM_COMMA, kKeyComma}, {VK_OEM_PERIOD, kKeyPeriod},
    {VK_OEM_1, kKeySemicolon}, {VK_OEM_7, kKeyQuote},
    {VK_OEM_3, kKeyBackquote}, {VK_OEM_MINUS, kKeyMinus}, {VK_OEM_PLUS, kKeyEquals},
    {VK_OEM_4, kKeyLeftBracket}, {VK_OEM_6, kKeyRightBracket},
    {VK_APPS, kKeyContextMenu}, {VK_SNAPSHOT, kKeyPrintScreen}, {VK_PAUSE, kKeyPause},
    {VK_NUMLOCK, kKeyNumLock}, {VK_SCROLL, kKeyScrollLock}, {VK_CAPITAL, kKeyCapsLock},
    {VK_NUMPAD0, kKeyKeypad0}, {VK_NUMPAD1, kKeyKeypad1}, {VK_NUMPAD2, kKeyKeypad2}, {VK_NUMPAD3, kKeyKeypad3},
    {VK_NUMPAD4, kKeyKeypad4},
    {VK_NUMPAD5, kKeyKeypad5}, {VK_NUMPAD6, kKeyKeypad6}, {VK_NUMPAD7, kKeyKeypad7}, {VK_NUMPAD8, kKeyKeypad8},
    {VK_NUMPAD9, kKeyKeypad9},
    {VK_MULTIPLY, kKeyKeypadMultiply}, {VK_ADD, kKeyKeypadPlus}, {VK_SUBTRACT, kKeyKeypadMinus},
    {VK_DECIMAL, kKeyKeypadPeriod}, {VK_DIVIDE, kKeyKeypadDivide}, {VK_CLEAR, kKeyClear},
    {VK_BROWSER_BACK, kKeyBrowserBack}, {VK_BROWSER_FORWARD, kKeyBrowserForward},
    {VK_BROWSER_REFRESH, kKeyBrowserRefresh}, {VK_BROWSER_STOP, kKeyBrowserStop},
    {VK_BROWSER_SEARCH, kKeyBrowserSearch}, {VK_BROWSER_FAVORITES, kKeyBrowserFavorites},
    {VK_BROWSER_HOME, kKeyBrowserHome},
    {VK_LWIN, kKeyLeftSuper}, {VK_RWIN, kKeyRightSuper},
    {'A', kKeyA}, {'B', kKeyB}, {'C', kKeyC}, {'D', kKeyD}, {'E', kKeyE}, {'F', kKeyF}, {'G', kKeyG},
    {'H', kKeyH}, {'I', kKeyI},
    {'J', kKeyJ}, {'K', kKeyK}, {'L', kKeyL}, {'M', kKeyM}, {'N', kKeyN}, {'O', kKeyO}, {'P', kKeyP},
    {'Q', kKeyQ}, {'R', kKeyR},
    {'S', kKeyS}, {'T', kKeyT}, {'U', kKeyU}, {'V', kKeyV}, {'W', kKeyW}, {'X', kKeyX}, {'Y', kKeyY},
    {'Z', kKeyZ},
    {'0', kKey0}, {'1', kKey1}, {'2', kKey2}, {'3', kKey3}, {'4', kKey4}, {'5', kKey5}, {'6', kKey6},
    {'7', kKey7}, {'8', kKey8}, {'9', kKey9},
    {VK_F1, kKeyF1}, {VK_F2, kKeyF2}, {VK_F3, kKeyF3}, {VK_F4, kKeyF4}, {VK_F5, kKeyF5}, {VK_F6, kKeyF6},
    {VK_F7, kKeyF7},
    {VK_F8, kKeyF8}, {VK_F9, kKeyF9}, {VK_F10, kKeyF10}, {VK_F11, kKeyF11}, {VK_F12, kKeyF12},
    {VK_F13, kKeyF13}, {VK_F14, kKeyF14},
    {VK_F15, kKeyF15},
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

// Offers the event to the drag or the handler and ends the drag when it
// asks.
template <typename Event>
InputDelivery deliverToWindow(AppWindow& window, const Event& event)
{
    const InputDelivery delivery = deliverInput(window.m_drag.get(), *window.m_handler, event);
    if (delivery.endDrag)
        window.endDrag();
    return delivery;
}

// The window is redrawn after every drag motion, and after a handled one.
void sendMotion(AppWindow& window, const MotionEvent& event)
{
    const InputDelivery delivery = deliverToWindow(window, event);
    if (delivery.toDrag || delivery.handled)
        window.invalidate();
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
    const bool consumed = deliverToWindow(window, event).handled;
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
    deliverToWindow(window, event);
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
        setVerticalWheel(event, delta, int(setting)); // WHEEL_PAGESCROLL reads as -1
    } else if (message == WM_MOUSEHWHEEL) {
        UINT setting = 3;
        if (!SystemParametersInfoW(SPI_GETWHEELSCROLLCHARS, 0, &setting, 0))
            setting = 3;
        setHorizontalWheel(event, delta, int(setting));
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

    ButtonMessage button;
    switch (message) {
    case WM_LBUTTONDOWN: button.button = kMouseLeft; button.down = true; break;
    case WM_LBUTTONDBLCLK: button.button = kMouseLeft; button.down = true; button.doubleClick = true; break;
    case WM_LBUTTONUP: button.button = kMouseLeft; break;
    case WM_RBUTTONDOWN: button.button = kMouseRight; button.down = true; break;
    case WM_RBUTTONUP: button.button = kMouseRight; break;
    case WM_MBUTTONDOWN: button.button = kMouseMiddle; button.down = true; break;
    case WM_MBUTTONUP: button.button = kMouseMiddle; break;
    case WM_XBUTTONDOWN: button.button = kMouseExtra; button.down = true; break;
    case WM_XBUTTONUP: button.button = kMouseExtra; break;
    default: return 0;
    }
    // The message says whether its button is down after it, also when it
    // did not come from the device (the key state is updated only by input
    // the thread has read).
    event.state.key[button.button] = button.down ? 1 : 0;
    button.time = uint32_t(GetMessageTime());
    button.x = event.state.x;
    button.y = event.state.y;
    event.code = window.m_clicks.code(button, GetDoubleClickTime());
    event.pressed = button.down;

    recordPointerSample(window, event.state.x, event.state.y);
    deliverToWindow(window, event);
    window.invalidate();
    return 0;
}
