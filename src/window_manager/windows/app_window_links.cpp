// The links from the window code to the native menus, the clipboard and the
// single-instance hand-over. Until those modules are part of the program,
// each link does nothing: windows have no menu bar, context menus choose
// nothing, the clipboard cannot be used and hand-over messages are ignored.
#include "window_manager/windows/app_window_links.h"

#include "ui/log.h"
#include "window_manager/windows/app_window.h"

void* buildMenuBar(AppWindow&, const slate::SP<MenuDescriptor>&)
{
    return nullptr;
}

void replaceMenuBar(AppWindow&, const slate::SP<MenuDescriptor>&) {}

bool trackPopupMenu(AppWindow&, ustring&, const slate::SP<MenuDescriptor>&, CommandRunner*, float, float, int)
{
    return false;
}

void storeNamedMenu(Win32WindowManager&, const ustring&, const slate::SP<MenuDescriptor>&) {}

intptr_t handleMenuCommand(AppWindow&, uintptr_t)
{
    return 0;
}

void handleMenuPopup(AppWindow&, uint32_t, uintptr_t, intptr_t) {}

bool clipboardCopy(const ustring&, const ustring&, const void*, size_t)
{
    return false;
}

bool clipboardPaste(ustring&, const ustring&, std::vector<char>*)
{
    return false;
}

void receiveHandOver(AppWindow&, intptr_t) {}
