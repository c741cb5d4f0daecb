#include "window_manager/window_test_input.h"

#define NOMINMAX

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

namespace window_test {

namespace {

HWND native(platform::WindowHandle window)
{
    return static_cast<HWND>(window);
}

LPARAM keyParameter(uint32_t virtualKey, bool down)
{
    UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM parameter = 1 | (LPARAM(scanCode & 0xFF) << 16);
    if (virtualKey == VK_RCONTROL || virtualKey == VK_RMENU || virtualKey == VK_DIVIDE)
        parameter |= LPARAM(1) << 24;
    if (!down)
        parameter |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
    return parameter;
}

} // namespace

bool postKey(platform::WindowHandle window, uint32_t virtualKey, bool down, bool system)
{
    const UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    return PostMessageW(native(window), message, virtualKey, keyParameter(virtualKey, down));
}

bool postButton(platform::WindowHandle window, Button button, Click click, int x, int y)
{
    UINT message = 0;
    WPARAM wParam = 0;
    switch (button) {
    case Button::Left:
        message = click == Click::Down ? WM_LBUTTONDOWN : click == Click::Up ? WM_LBUTTONUP : WM_LBUTTONDBLCLK;
        wParam = click == Click::Up ? 0 : MK_LBUTTON;
        break;
    case Button::Right:
        message = click == Click::Up ? WM_RBUTTONUP : WM_RBUTTONDOWN;
        wParam = click == Click::Up ? 0 : MK_RBUTTON;
        break;
    case Button::Middle:
        message = click == Click::Up ? WM_MBUTTONUP : WM_MBUTTONDOWN;
        wParam = click == Click::Up ? 0 : MK_MBUTTON;
        break;
    case Button::Extra:
        message = click == Click::Up ? WM_XBUTTONUP : WM_XBUTTONDOWN;
        wParam = MAKEWPARAM(click == Click::Up ? 0 : MK_XBUTTON1, XBUTTON1);
        break;
    }
    const LPARAM lParam = LPARAM((uint32_t(uint16_t(int16_t(y))) << 16) | uint16_t(int16_t(x)));
    return PostMessageW(native(window), message, wParam, lParam);
}

bool postWheel(platform::WindowHandle window, int delta, bool horizontal)
{
    const WPARAM wParam = WPARAM(uint32_t(uint16_t(int16_t(delta))) << 16);
    return PostMessageW(native(window), horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL, wParam, 0);
}

bool postScroll(platform::WindowHandle window, bool horizontal, int code)
{
    return PostMessageW(native(window), horizontal ? WM_HSCROLL : WM_VSCROLL, WPARAM(uint16_t(code)), 0);
}

bool postKeyMenu(platform::WindowHandle window)
{
    return PostMessageW(native(window), WM_SYSCOMMAND, SC_KEYMENU, 0);
}

bool inMenuMode()
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & (GUI_INMENUMODE | GUI_SYSTEMMENUMODE));
}

bool movePointer(platform::WindowHandle window, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(native(window), &point);
    SetCursorPos(point.x, point.y);
    return PostMessageW(native(window), WM_MOUSEMOVE, 0, LPARAM((uint32_t(uint16_t(y)) << 16) | uint16_t(x)));
}

bool postMouseLeave(platform::WindowHandle window)
{
    return PostMessageW(native(window), WM_MOUSELEAVE, 0, 0);
}

bool postActivate(platform::WindowHandle window, int state, bool minimised)
{
    return PostMessageW(native(window), WM_ACTIVATE, MAKEWPARAM(state, minimised ? 1 : 0), 0);
}

void resizeClient(platform::WindowHandle window, int width, int height)
{
    RECT frame = {0, 0, width, height};
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongW(native(window), GWL_STYLE)), GetMenu(native(window)) != nullptr,
                       DWORD(GetWindowLongW(native(window), GWL_EXSTYLE)));
    SetWindowPos(native(window), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool postDroppedFiles(platform::WindowHandle window, const std::vector<ustring>& paths)
{
    size_t units = 1; // the list ends with an empty name
    for (const ustring& path : paths)
        units += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * sizeof(WCHAR));
    if (!memory)
        return false;
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* names = reinterpret_cast<WCHAR*>(header + 1);
    for (const ustring& path : paths) {
        std::copy(path.begin(), path.end(), names);
        names += path.size() + 1;
    }
    GlobalUnlock(memory);
    return PostMessageW(native(window), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

int cursorShownOver(platform::WindowHandle window)
{
    SendMessageW(native(window), WM_SETCURSOR, reinterpret_cast<WPARAM>(native(window)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    const HCURSOR shown = GetCursor();
    const LPCSTR shapes[] = {IDC_ARROW, IDC_IBEAM, IDC_SIZENS, IDC_SIZEWE, IDC_SIZEALL};
    for (int i = 0; i < 5; ++i) {
        if (shown == LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(shapes[i])))
            return i;
    }
    return -1;
}

void setKeysDown(uint32_t first, uint32_t second, uint32_t third, uint32_t fourth)
{
    BYTE keys[256] = {};
    for (uint32_t key : {first, second, third, fourth}) {
        if (key)
            keys[key & 0xFF] = 0x80;
    }
    keys[VK_NUMLOCK] |= 0x01;
    SetKeyboardState(keys);
}

int setWheelScrollLines(int lines)
{
    UINT previous = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &previous, 0);
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, UINT(lines), nullptr, 0);
    return int(previous);
}

bool isWindow(platform::WindowHandle window)
{
    return IsWindow(native(window));
}

bool isVisible(platform::WindowHandle window)
{
    return IsWindowVisible(native(window));
}

bool isMinimised(platform::WindowHandle window)
{
    return IsIconic(native(window));
}

bool isMaximised(platform::WindowHandle window)
{
    return IsZoomed(native(window));
}

ustring className(platform::WindowHandle window)
{
    WCHAR name[64] = {};
    GetClassNameW(native(window), name, 64);
    return ustring(reinterpret_cast<const char16_t*>(name));
}

bool needsPaint(platform::WindowHandle window)
{
    return GetUpdateRect(native(window), nullptr, FALSE);
}

void paintNow(platform::WindowHandle window)
{
    UpdateWindow(native(window));
}

void destroyWindow(platform::WindowHandle window)
{
    DestroyWindow(native(window));
}

bool hasCapture(platform::WindowHandle window)
{
    return GetCapture() == native(window);
}

void discardMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

} // namespace window_test
