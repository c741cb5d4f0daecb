// Where the window manager and the window procedure reach the native menus,
// the clipboard and the hand-over from a second instance. Each is one
// function here, so the window code does not depend on how those modules
// are laid out. Neutral header. Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/reference_counted.h"
#include "ui/ustring.h"

class AppWindow;
class CommandRunner;
class MenuDescriptor;
class Win32WindowManager;

// A native menu bar (HMENU) built from `menu` into the window's item list;
// null without a menu.
void* buildMenuBar(AppWindow& window, const slate::SP<MenuDescriptor>& menu);
// Window::setMenu.
void replaceMenuBar(AppWindow& window, const slate::SP<MenuDescriptor>& menu);
// Window::showPopupMenu at (x, y) in client pixels.
bool trackPopupMenu(AppWindow& window, ustring& command, const slate::SP<MenuDescriptor>& menu,
                    CommandRunner* runner, float x, float y, int flags);
// WindowManager::setMenu.
void storeNamedMenu(Win32WindowManager& manager, const ustring& name, const slate::SP<MenuDescriptor>& menu);
// WM_COMMAND; the result is 0.
intptr_t handleMenuCommand(AppWindow& window, uintptr_t wParam);
// WM_INITMENUPOPUP and WM_UNINITMENUPOPUP, before the default handling.
void handleMenuPopup(AppWindow& window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// WindowManager::copyToClipboard and copyFromClipboard.
bool clipboardCopy(const ustring& text, const ustring& formatName, const void* data, size_t length);
bool clipboardPaste(ustring& text, const ustring& formatName, std::vector<char>* data);

// WM_COPYDATA from a second instance; `lParam` is the COPYDATASTRUCT.
void receiveHandOver(AppWindow& window, intptr_t lParam);
