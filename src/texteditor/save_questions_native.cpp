// The file attributes and system errors that saving asks about, over POSIX
// for the native build: a file is read-only when its owner may not write it,
// the same rule the native atomic writer refuses by.
#include "texteditor/save_questions.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "ui/unicode.h"

bool isReadOnlyFile(const ustring& path, bool& exists)
{
    struct stat info;
    exists = ::stat(toUtf8(path).c_str(), &info) == 0;
    return exists && !S_ISDIR(info.st_mode) && !(info.st_mode & S_IWUSR);
}

bool clearReadOnly(const ustring& path)
{
    const std::string name = toUtf8(path);
    struct stat info;
    return ::stat(name.c_str(), &info) == 0 && ::chmod(name.c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

void resetLastSystemError() { errno = 0; }

ustring lastSystemErrorText()
{
    return errno ? toUstring(std::strerror(errno)) : ustring();
}
