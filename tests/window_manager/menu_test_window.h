// Win32 services for the Wine tests of native menus, behind a neutral
// interface: a real top-level window whose procedure hands the menu messages
// to handleMenuMessage, and readers of native menus.
#pragma once

#include <cstdint>

#include "ui/ustring.h"
#include "window_manager/windows/native_menu.h"

namespace menu_test {

// A shown top-level window whose procedure passes WM_INITMENUPOPUP,
// WM_UNINITMENUPOPUP and WM_COMMAND to handleMenuMessage with the state and
// handler last attached. One at a time: creating a window under Xvfb takes
// seconds, so a suite shares one.
NativeWindowHandle createMenuWindow();
void destroyMenuWindow(NativeWindowHandle window);
// The state and handler the window procedure uses from now on (borrowed;
// null managers or states leave the menu messages to the system).
void attachMenuState(NativeMenuManagerState* manager, NativeMenuWindowState* state, WindowHandler* handler);

// Messages as the system sends them when a popup opens and closes, and when
// an item of the menu bar is chosen.
// `windowMenu` marks the popup as the window menu (the system menu).
void sendInitMenuPopup(NativeWindowHandle window, NativeMenuHandle popup, bool windowMenu = false);
void sendUninitMenuPopup(NativeWindowHandle window, NativeMenuHandle popup);
void sendMenuCommand(NativeWindowHandle window, int id);
// Posts a key press to the window, as a user's key would arrive.
enum class Key { Escape, Down, Return };
void postKey(NativeWindowHandle window, Key key);
// Handles what is waiting in the thread's queue.
void pumpMessages();
// Whether the window procedure was called with WM_PAINT or found the window
// invalid since the last call.
bool takeInvalidated(NativeWindowHandle window);

NativeMenuHandle menuBar(NativeWindowHandle window);
// The window menu (the system menu) of the window.
NativeMenuHandle windowMenu(NativeWindowHandle window);
int itemCount(NativeMenuHandle menu);
// The popup at the position; null for an item.
NativeMenuHandle subMenu(NativeMenuHandle menu, int position);

struct ItemState {
    bool separator = false;
    bool checked = false;
    bool grayed = false;
};
ItemState itemState(NativeMenuHandle menu, int position);
// The text as GetMenuStringW gives it with a buffer far larger than any
// text, so that nothing is cut here.
ustring itemText(NativeMenuHandle menu, int position);
int itemId(NativeMenuHandle menu, int position);

} // namespace menu_test
