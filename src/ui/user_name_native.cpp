// The user's name in the native build: the login name from the environment.
#include <cstdlib>
#include <cstring>

#include "ui/unicode.h"
#include "ui/user_name.h"

bool currentUserName(ustring& name)
{
    const char* user = std::getenv("USER");
    if (!user || !*user)
        return false;
    name = utf8ToUtf16(user, user + std::strlen(user));
    return true;
}
