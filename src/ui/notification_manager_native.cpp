// The error box of the notification manager in the native build (tests and
// tools): there is no user to click, so the texts go to standard error.
#include <cstdio>

#include "ui/notification_manager.h"
#include "ui/unicode.h"

void showErrorBox(platform::WindowHandle, const ustring& caption, const ustring& text)
{
    std::fprintf(stderr, "%s: %s\n", toUtf8(caption).c_str(), toUtf8(text).c_str());
}
