// The file attributes and system errors that saving asks about, through the
// system's wide-character calls.
#include "texteditor/save_questions.h"

#include "filesystem/native_file.h"
#include "ui/system_error.h"

#include <windows.h>

bool isReadOnlyFile(const ustring& path, bool& exists)
{
    const DWORD attributes = GetFileAttributesW(wide(path));
    exists = attributes != INVALID_FILE_ATTRIBUTES;
    return exists && !(attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool clearReadOnly(const ustring& path)
{
    const DWORD attributes = GetFileAttributesW(wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesW(wide(path), attributes & ~FILE_ATTRIBUTE_READONLY) != FALSE;
}

void resetLastSystemError() { SetLastError(ERROR_SUCCESS); }

ustring lastSystemErrorText() { return lastErrorMessage(); }
