// The user's name from Win32.
#include <windows.h>

#include "ui/user_name.h"

bool currentUserName(ustring& name)
{
    WCHAR buffer[128];
    DWORD length = 128;
    if (!GetUserNameW(buffer, &length) || length == 0)
        return false;
    // The length counts the terminating NUL.
    name.assign(buffer, length - 1);
    return true;
}
