// Win32 implementations of the file-system Wine tests' helpers.
#include <windows.h>

#include "filesystem/file_manager.h"
#include "filesystem/native_file.h"
#include "filesystem/win32_test_helpers.h"
#include "filesystem/windows_file_system.h"
#include "support/test_window.h"

namespace win32_test {

namespace {

const WCHAR kWindowClassName[] = u"VantrelFileChangeTestWindow";
int s_filesChangedMessages = 0;

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_FILES_CHANGED) {
        ++s_filesChangedMessages;
        slate::deliverFileChanges();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

platform::WindowHandle createFileChangeWindow()
{
    static bool s_registered = false;
    if (!s_registered) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = windowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClassName;
        if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return nullptr;
        s_registered = true;
    }
    return CreateWindowExW(0, kWindowClassName, u"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void destroyFileChangeWindow(platform::WindowHandle window)
{
    if (window)
        DestroyWindow(static_cast<HWND>(window));
}

int filesChangedMessageCount()
{
    return s_filesChangedMessages;
}

bool pumpMessagesUntil(const std::function<bool()>& done, uint32_t timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        test_support::deliverPendingMessages();
        if (done())
            return true;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return done();
        // Short slices, so that conditions that no message announces are
        // noticed soon too.
        DWORD slice = timeoutMs - elapsed < 10 ? timeoutMs - elapsed : 10;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_ALLINPUT);
    }
}

void sleepMs(uint32_t milliseconds)
{
    Sleep(milliseconds);
}

void removeDirectoryTree(const ustring& directory)
{
    if (directory.empty())
        return;
    ustring base = directory;
    if (base.back() != u'\\')
        base += u'\\';
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(wide(base + u"*"), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            ustring name = reinterpret_cast<const uchar*>(entry.cFileName);
            if (name == u"." || name == u"..")
                continue;
            ustring path = base + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeDirectoryTree(path);
            } else {
                SetFileAttributesW(wide(path), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(wide(path));
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    base.pop_back();
    RemoveDirectoryW(wide(base));
}

bool createDirectory(const ustring& path)
{
    return CreateDirectoryW(wide(path), nullptr) != FALSE;
}

namespace {

bool writeThrough(HANDLE file, const std::string& bytes)
{
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = bytes.empty() ||
              (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size());
    CloseHandle(file);
    return ok;
}

} // namespace

bool writeFile(const ustring& path, const std::string& bytes)
{
    return writeThrough(CreateFileW(wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr),
                        bytes);
}

bool appendToFile(const ustring& path, const std::string& bytes)
{
    return writeThrough(CreateFileW(wide(path), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr),
                        bytes);
}

std::string readFile(const ustring& path)
{
    HANDLE file = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<unreadable>";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool setReadOnly(const ustring& path, bool readOnly)
{
    return SetFileAttributesW(wide(path), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) !=
           FALSE;
}

void* openForWriting(const ustring& path)
{
    HANDLE file = CreateFileW(wide(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

void closeFile(void* file)
{
    if (file)
        CloseHandle(static_cast<HANDLE>(file));
}

void* holdDirectory(const ustring& path)
{
    HANDLE directory = CreateFileW(wide(path), FILE_LIST_DIRECTORY, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return directory == INVALID_HANDLE_VALUE ? nullptr : directory;
}

bool moveEntry(const ustring& from, const ustring& to)
{
    return MoveFileW(wide(from), wide(to)) != 0;
}

} // namespace win32_test
