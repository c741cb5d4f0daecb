// Watches a native directory tree for the Win32 file system: a thread of the
// watcher's own queues the changes it sees and wakes the main thread with
// WM_FILES_CHANGED posted to the file-change window. The implementation is
// Win32 only; this header is neutral.
#pragma once

#include <vector>

#include "filesystem/file_system.h"
#include "ui/platform.h"

// Posted (both parameters 0) to the file-change window when a directory
// watcher's change list becomes non-empty; the window procedure answers it
// with slate::deliverFileChanges and a repaint. WM_USER + 200.
constexpr unsigned WM_FILES_CHANGED = 1224;

namespace slate {

class DirectoryWatcher {
public:
    // How the thread follows the tree. One request for the whole tree is the
    // system's way; Wine's misses the directories that existed before it was
    // made, so there each directory gets its own request. `Automatic`
    // chooses by the system.
    enum class Mode { Automatic, WholeTree, PerDirectory };

    // Starts watching `root` (absolute, ending in a backslash). Changes made
    // after it returns are seen: it waits (up to a second) until the thread
    // is watching. When no thread can be started the tree goes unwatched
    // (logged).
    DirectoryWatcher(const ustring& root, Mode mode);
    // Stops the thread, waiting up to a second for it; one that does not
    // stop is left to finish alone and never touches freed memory.
    ~DirectoryWatcher();
    DirectoryWatcher(const DirectoryWatcher&) = delete;
    DirectoryWatcher& operator=(const DirectoryWatcher&) = delete;

    // Whether changes are queued. Any thread.
    bool hasPendingChanges() const;
    // Appends the queued changes (root-relative, "/" separators, in arrival
    // order) and empties the queue. A write or a creation of a file whose
    // latest queued change is its creation or a write is folded into that
    // change.
    void takeChanges(std::vector<FileChange>& changes);

    struct State;

private:
    // Shared with the thread, which keeps its own reference.
    State* m_state;
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
