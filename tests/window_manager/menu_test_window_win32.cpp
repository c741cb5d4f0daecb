#include "window_manager/menu_test_window.h"

#define NOMINMAX
#include <windows.h>

#include <vector>

namespace menu_test {

namespace {

const WCHAR kWindowClassName[] = u"VantrelMenuTestWindow";

NativeMenuManagerState* s_manager = nullptr;
NativeMenuWindowState* s_state = nullptr;
WindowHandler* s_handler = nullptr;

LRESULT CALLBACK menuWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (s_manager && s_state) {
        intptr_t result = 0;
        if (handleMenuMessage(*s_manager, *s_state, window, s_handler, message, wParam, lParam, result))
            return result;
    }
    if (message == WM_PAINT) {
        ValidateRect(window, nullptr);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

void attachMenuState(NativeMenuManagerState* manager, NativeMenuWindowState* state, WindowHandler* handler)
{
    s_manager = manager;
    s_state = state;
    s_handler = handler;
}

NativeWindowHandle createMenuWindow()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = menuWindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = kWindowClassName;
        if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return nullptr;
        registered = true;
    }
    HWND window = CreateWindowExW(0, kWindowClassName, u"Menus", WS_OVERLAPPEDWINDOW, 40, 40, 400, 300, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window) {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        SetForegroundWindow(window);
        pumpMessages();
    }
    return window;
}

void destroyMenuWindow(NativeWindowHandle window)
{
    DestroyWindow(static_cast<HWND>(window));
    pumpMessages();
}

void sendInitMenuPopup(NativeWindowHandle window, NativeMenuHandle popup, bool windowMenu)
{
    SendMessageW(static_cast<HWND>(window), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                 MAKELPARAM(0, windowMenu ? 1 : 0));
}

void sendUninitMenuPopup(NativeWindowHandle window, NativeMenuHandle popup)
{
    SendMessageW(static_cast<HWND>(window), WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
}

void sendMenuCommand(NativeWindowHandle window, int id)
{
    SendMessageW(static_cast<HWND>(window), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void postKey(NativeWindowHandle window, Key key)
{
    WPARAM code = key == Key::Escape ? VK_ESCAPE : key == Key::Down ? VK_DOWN : VK_RETURN;
    PostMessageW(static_cast<HWND>(window), WM_KEYDOWN, code, 1);
}

void pumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool takeInvalidated(NativeWindowHandle window)
{
    RECT rect;
    const bool invalid = GetUpdateRect(static_cast<HWND>(window), &rect, FALSE);
    ValidateRect(static_cast<HWND>(window), nullptr);
    return invalid;
}

NativeMenuHandle menuBar(NativeWindowHandle window)
{
    return GetMenu(static_cast<HWND>(window));
}

NativeMenuHandle windowMenu(NativeWindowHandle window)
{
    return GetSystemMenu(static_cast<HWND>(window), FALSE);
}

int itemCount(NativeMenuHandle menu)
{
    return GetMenuItemCount(static_cast<HMENU>(menu));
}

NativeMenuHandle subMenu(NativeMenuHandle menu, int position)
{
    return GetSubMenu(static_cast<HMENU>(menu), position);
}

ItemState itemState(NativeMenuHandle menu, int position)
{
    const UINT state = GetMenuState(static_cast<HMENU>(menu), position, MF_BYPOSITION);
    ItemState out;
    out.separator = (state & MF_SEPARATOR) != 0;
    out.checked = (state & MF_CHECKED) != 0;
    out.grayed = (state & MF_GRAYED) != 0;
    return out;
}

ustring itemText(NativeMenuHandle menu, int position)
{
    std::vector<WCHAR> buffer(1 << 16);
    const int length = GetMenuStringW(static_cast<HMENU>(menu), position, buffer.data(),
                                      static_cast<int>(buffer.size()), MF_BYPOSITION);
    return ustring(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

int itemId(NativeMenuHandle menu, int position)
{
    return static_cast<int>(GetMenuItemID(static_cast<HMENU>(menu), position));
}

} // namespace menu_test
