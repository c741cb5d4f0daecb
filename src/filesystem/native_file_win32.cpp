// The Win32 side of the native-file layer: attributes, FindFirstFileW
// enumeration and whole-file reads with the system's wide-character calls.
#include <windows.h>

#include <memory>

#include "filesystem/native_file.h"

NativeEntryKind nativeEntryKind(const ustring& path)
{
    const DWORD attributes = GetFileAttributesW(wide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return NativeEntryKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? NativeEntryKind::Directory : NativeEntryKind::File;
}

bool enumerateDirectory(const ustring& directory, const ustring& pattern,
                        const DirectoryVisitor& visit)
{
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(wide(directory + pattern), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES ||
               error == ERROR_DIRECTORY || error == ERROR_INVALID_NAME;
    }
    do {
        const WCHAR* name = entry.cFileName;
        if (name[0] == u'.' && (name[1] == 0 || (name[1] == u'.' && name[2] == 0)))
            continue;
        visit(ustring(reinterpret_cast<const uchar*>(name)),
              (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return true;
}

slate::SP<slate::MemoryBlock> readNativeFile(const ustring& path)
{
    HANDLE file = CreateFileW(wide(path), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER size;
    // A block holds at most a signed 32-bit count of bytes.
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF) {
        CloseHandle(file);
        return nullptr;
    }
    const DWORD expected = static_cast<DWORD>(size.QuadPart);
    std::unique_ptr<uint8_t[]> bytes(expected ? new uint8_t[expected] : nullptr);
    DWORD total = 0;
    while (total < expected) {
        DWORD got = 0;
        if (!ReadFile(file, bytes.get() + total, expected - total, &got, nullptr) || got == 0)
            break;
        total += got;
    }
    CloseHandle(file);
    if (total != expected)
        return nullptr;
    return slate::SP<slate::MemoryBlock>(new slate::SimpleMemoryBlock(std::move(bytes), expected));
}
