// Win32 services for the Wine tests of the file system, behind a neutral
// interface so that the tests themselves stay portable code. Paths are
// Windows paths.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/platform.h"
#include "ui/ustring.h"

namespace win32_test {

// A message-only window whose procedure answers WM_FILES_CHANGED as the
// program's windows do (slate::deliverFileChanges) and counts the messages.
platform::WindowHandle createFileChangeWindow();
void destroyFileChangeWindow(platform::WindowHandle window);
// WM_FILES_CHANGED messages the window procedure has handled so far.
int filesChangedMessageCount();

// Runs the calling thread's message loop (PeekMessageW / DispatchMessageW,
// sleeping in MsgWaitForMultipleObjects) until `done` holds or `timeoutMs`
// passes. Returns `done()`.
bool pumpMessagesUntil(const std::function<bool()>& done, uint32_t timeoutMs);
// Sleeps without pumping.
void sleepMs(uint32_t milliseconds);

// Deletes the directory and everything in it (read-only files included)
// through the system, as a user's tools would.
void removeDirectoryTree(const ustring& directory);
bool createDirectory(const ustring& path);

// Creates (or truncates) a file holding `bytes`.
bool writeFile(const ustring& path, const std::string& bytes);
// Appends `bytes` to an existing file through a fresh handle.
bool appendToFile(const ustring& path, const std::string& bytes);
// The whole file, or "<unreadable>".
std::string readFile(const ustring& path);
bool setReadOnly(const ustring& path, bool readOnly);

// Holds a file open for writing (sharing read and write) until released.
void* openForWriting(const ustring& path);
void closeFile(void* file);
// Holds a directory open sharing only deletion, as a program busy with it
// may: it can be renamed, but nobody else can open or list it until released
// with closeFile.
void* holdDirectory(const ustring& path);
// Renames (moves) a file or directory through the system.
bool moveEntry(const ustring& from, const ustring& to);

} // namespace win32_test
