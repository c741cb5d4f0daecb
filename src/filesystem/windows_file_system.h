// A native directory mounted into the virtual file system. Files are read
// whole into memory blocks, listed and searched with the system's directory
// enumeration, and watched by a DirectoryWatcher of the file system's own.
// The implementation is Win32 only; this header is neutral so that portable
// code may mount and use it.
#pragma once

#include "filesystem/directory_watcher.h"
#include "filesystem/file_system.h"

namespace slate {

class WindowsFileSystem final : public FileSystem {
public:
    // Mounts the native directory `path` (absolute, or relative to the current
    // directory). Null, with "Unable to mount " in the log, when it is not an
    // existing directory. The caller owns the result (normally it passes it
    // straight to FileManager::mount). Changes made after it returns are seen:
    // it waits (up to a second) until the watcher is watching.
    static WindowsFileSystem* create(const ustring& path);

    ~WindowsFileSystem() override = default;
    WindowsFileSystem(const WindowsFileSystem&) = delete;
    WindowsFileSystem& operator=(const WindowsFileSystem&) = delete;

    SP<MemoryBlock> read(const ustring& path) override;
    // Refuses: drops the completion uncalled and returns false.
    bool readAsync(const ustring& path, ReadCompletion completion) override;
    void poll() override;
    void listFiles(const ustring& pathOrPattern, std::vector<ustring>& entries) override;
    void findFiles(const ustring& directory, const ustring& pattern,
                   std::vector<ustring>& files) override;
    bool exists(const ustring& path) override;
    bool remove(const ustring& path) override;
    bool rename(const ustring& oldPath, const ustring& newPath) override;
    // The root followed by the path as given ("/" separators stay; the system
    // accepts both).
    ustring nativePath(const ustring& path) override;
    // When changes are pending, waits 100 ms so that the rest of a burst
    // arrives, then takes them all. A write or a creation of a file whose
    // latest pending change is its creation or a write is folded into that
    // change.
    void takeChanges(std::vector<FileChange>& changes) override;

    // The mounted directory: absolute, ending in a backslash.
    const ustring& root() const { return m_root; }
    // Whether the watcher has queued changes not taken yet. Any thread.
    bool hasPendingChanges() const;

    // How the watchers of the file systems created afterwards follow their
    // trees: `Automatic` (the default) chooses by the system; tests may force
    // a mode.
    using WatchMode = DirectoryWatcher::Mode;
    static void setWatchMode(WatchMode mode);

private:
    explicit WindowsFileSystem(const ustring& root);

    ustring m_root;
    DirectoryWatcher m_watcher;
};

} // namespace slate
