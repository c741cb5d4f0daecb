// The native-directory file system of the Win32 build. Reads, listings and
// searches go through the native-file layer on root + path and keep no
// state, so worker threads may run them beside the main thread. Watching is
// the DirectoryWatcher's (directory_watcher_win32.cpp); this file only takes
// its batches.
#include <windows.h>

#include <atomic>

#include "filesystem/file_utils.h"
#include "filesystem/native_file.h"
#include "filesystem/path_parts.h"
#include "filesystem/windows_file_system.h"
#include "ui/log.h"

namespace slate {

namespace {

const DWORD kBurstPauseMs = 100;

std::atomic<WindowsFileSystem::WatchMode> s_watchMode{WindowsFileSystem::WatchMode::Automatic};

ustring withBackslashes(ustring path)
{
    toBackslashes(path);
    return path;
}

} // namespace

WindowsFileSystem* WindowsFileSystem::create(const ustring& path)
{
    ustring root = path;
    if (!root.empty() && root.back() != u'\\')
        root += u'\\';
    // "C:..." and "\\server..." are absolute, and so (unlike the rule for
    // other relative names) is a name rooted on the current drive or a Unix
    // name beginning with "/", both of which the system opens as they are.
    bool relative = root.size() < 2 ||
                    (root[1] != u':' && !(root[0] == u'\\' && root[1] == u'\\') &&
                     root[0] != u'\\' && root[0] != u'/');
    if (relative)
        root = currentDirectory() + u'\\' + root;
    if (nativeEntryKind(root) == NativeEntryKind::Directory) {
        VLOG << u"Mounted " << root;
        return new WindowsFileSystem(root);
    }
    VLOG << u"Unable to mount " << root;
    return nullptr;
}

WindowsFileSystem::WindowsFileSystem(const ustring& root)
    : m_root(root), m_watcher(root, s_watchMode.load())
{
}

SP<MemoryBlock> WindowsFileSystem::read(const ustring& path)
{
    return readNativeFile(withBackslashes(m_root + path));
}

bool WindowsFileSystem::readAsync(const ustring&, ReadCompletion)
{
    return false;
}

void WindowsFileSystem::poll() {}

void WindowsFileSystem::listFiles(const ustring& pathOrPattern, std::vector<ustring>& entries)
{
    listNativeEntries(m_root, pathOrPattern, entries);
}

void WindowsFileSystem::findFiles(const ustring& directory, const ustring& pattern,
                                  std::vector<ustring>& files)
{
    findNativeFiles(m_root, directory, pattern, files);
}

bool WindowsFileSystem::exists(const ustring& path)
{
    return nativeEntryKind(withBackslashes(m_root + path)) != NativeEntryKind::Missing;
}

bool WindowsFileSystem::remove(const ustring& path)
{
    return DeleteFileW(wide(withBackslashes(m_root + path))) != FALSE;
}

bool WindowsFileSystem::rename(const ustring& oldPath, const ustring& newPath)
{
    return MoveFileW(wide(withBackslashes(m_root + oldPath)), wide(withBackslashes(m_root + newPath))) !=
           FALSE;
}

ustring WindowsFileSystem::nativePath(const ustring& path)
{
    return m_root + path;
}

void WindowsFileSystem::takeChanges(std::vector<FileChange>& changes)
{
    if (!m_watcher.hasPendingChanges())
        return;
    Sleep(kBurstPauseMs);
    m_watcher.takeChanges(changes);
}

bool WindowsFileSystem::hasPendingChanges() const
{
    return m_watcher.hasPendingChanges();
}

void WindowsFileSystem::setWatchMode(WatchMode mode)
{
    s_watchMode.store(mode);
}

} // namespace slate
