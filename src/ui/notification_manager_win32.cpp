// The error box of the notification manager in the Win32 build: the
// system's message box with the error icon.
#include <windows.h>

#include "ui/notification_manager.h"

void showErrorBox(platform::WindowHandle owner, const ustring& caption, const ustring& text)
{
    MessageBoxW(static_cast<HWND>(owner), reinterpret_cast<const WCHAR*>(text.c_str()),
                reinterpret_cast<const WCHAR*>(caption.c_str()), MB_OK | MB_ICONERROR);
}
