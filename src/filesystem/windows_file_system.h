// A native directory mounted into the virtual file system. Files are read
// whole into memory blocks, listed and searched with the system's directory
// enumeration, and watched by a thread of the file system's own, which
// queues the changes it sees and wakes the main thread with WM_FILES_CHANGED
// posted to the file-change window. The implementation is Win32 only; this
// header is neutral so that portable code may mount and use it.
#pragma once

#include <cstdint>

#include "filesystem/file_system.h"
#include "ui/platform.h"

// Posted (both parameters 0) to the file-change window when a directory
// watcher's change list becomes non-empty; the window procedure answers it
// with slate::deliverFileChanges and a repaint. WM_USER + 200.
constexpr unsigned WM_FILES_CHANGED = 1224;

namespace slate {

class WindowsFileSystem final : public FileSystem {
public:
    // Mounts the native directory `path` (absolute, or relative to the current
    // directory). Null, with "Unable to mount " in the log, when it is not an
    // existing directory. The caller owns the result (normally it passes it
    // straight to FileManager::mount). Changes made after it returns are seen:
    // it waits (up to a second) until the watcher is watching.
    static WindowsFileSystem* create(const ustring& path);

    // Stops the watcher thread, waiting up to a second for it.
    ~WindowsFileSystem() override;
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

    // How the watcher thread follows the tree. One request for the whole
    // tree is the system's way; Wine's misses the directories that existed
    // before it was made, so there each directory gets its own request.
    // `Automatic` (the default) chooses by the system; tests may force a mode
    // for the file systems created afterwards.
    enum class WatchMode { Automatic, WholeTree, PerDirectory };
    static void setWatchMode(WatchMode mode);

    struct WatchState;

private:
    explicit WindowsFileSystem(const ustring& root);

    ustring m_root;
    // Shared with the watcher thread, which keeps its own reference: a thread
    // that fails to stop in time never touches freed memory.
    WatchState* m_state;
    platform::ThreadHandle m_thread;
};

// The window to which directory watchers post WM_FILES_CHANGED: the current
// top-level window, null when there is none. The window manager sets it
// together with the main-thread queue's window. When a window is set while
// changes are waiting (they were queued while no window was set, or their
// message went to a window that has since gone) WM_FILES_CHANGED is posted to
// it at once, so no watcher stays silent. Main thread.
void setFileChangeWindow(platform::WindowHandle window);
// Any thread.
platform::WindowHandle fileChangeWindow();

} // namespace slate
