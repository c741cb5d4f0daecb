// The process-wide virtual file system. Nothing else in the program opens a
// data file by its native name: it reads, lists, watches and saves through
// virtual paths such as "Packages/Default/Default.vantrel-keymap", which
// begin with a mount point ("Packages/", "UserOptions/"). Several file
// systems mounted at one mount point form an overlay in which the one
// mounted first is asked first. Directory changes seen by the file systems
// reach registered watches on the main thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "filesystem/file_system.h"
#include "ui/reference_counted.h"
#include "ui/singleton.h"
#include "ui/ustring.h"

namespace slate {

// Called on the main thread for each change that matches a watch: the
// changed virtual path, the change's flag (FileChangeModified, Added or
// Removed) and the user data given to addWatch.
using WatchCallback = void (*)(const ustring& virtualPath, int32_t flags, void* userData);

// Paths are virtual: "/" separators, no leading separator, beginning with a
// mount point. A path under no mount point is unknown: reads give null,
// tests and changes false, native paths and listings nothing.
//
// Threads: mount, addWatch, removeWatch and update run on the main thread.
// read, exists, nativePath, listFiles and findFiles may also run on worker
// threads once start-up has finished mounting.
class FileManager : public Singleton<FileManager> {
public:
    virtual ~FileManager() = default;

    // Takes ownership of `system` (never null). A mount point without its
    // final "/" gets one ("Packages" acts as "Packages/"); an empty one
    // becomes "/", which no virtual path reaches. File systems mounted at an
    // equal mount point are asked in mounting order.
    virtual void mount(const ustring& mountPoint, FileSystem* system) = 0;
    // The whole file from the first file system that has it; null when none
    // does.
    virtual SP<MemoryBlock> read(const ustring& path) = 0;
    // True when a file system took the request (it then calls `completion`);
    // false when none did.
    virtual bool readAsync(const ustring& path, ReadCompletion completion) = 0;
    // Takes the file systems' pending directory changes and calls the
    // matching watches. Main thread only; called when the file-change window
    // receives WM_FILES_CHANGED. Watch callbacks may add and remove watches
    // (a watch removed during the round is not called again; one added
    // during it waits for the next round) and may even run a modal loop that
    // calls update again.
    virtual void update() = 0;
    // True when any file system at the path's mount point has the file or
    // directory.
    virtual bool exists(const ustring& path) = 0;
    // Removes the file from the first file system that can; false when none
    // can.
    virtual bool remove(const ustring& path) = 0;
    // Renames within one mount point only (false without trying otherwise);
    // never replaces an existing target.
    virtual bool rename(const ustring& oldPath, const ustring& newPath) = 0;
    // Appends the entries named by a path or a pattern in its last component
    // ("Packages/Default/*.py"), as virtual paths, from every file system of
    // the mount point in order: unsorted, a name present in two file systems
    // is listed twice.
    virtual void listFiles(const ustring& pathOrPattern, std::vector<ustring>& entries) = 0;
    // Appends every file below the virtual directory whose name matches
    // `pattern` (case-sensitive "*" and "?"), searching each file system of
    // the mount point recursively; then sorts the whole vector (entries that
    // were in it before included) and removes duplicates, so a file present in
    // two file systems is listed once. A directory without its final "/" is
    // taken as if it had one.
    virtual void findFiles(const ustring& directory, const ustring& pattern,
                           std::vector<ustring>& files) = 0;
    // The native name of the path: of the first file system where it exists;
    // otherwise (a file about to be created) of the first file system that
    // can name it at all, which is the one mounted first. Empty when the path
    // is unknown or no file system has native names.
    virtual ustring nativePath(const ustring& path) = 0;
    // Registers a watch on the virtual paths that match `pattern`
    // (wildcardMatchNoCase: "*" also spans "/") for changes whose flag is in
    // `mask`. Returns its id: 1, 2, 3... in registration order, never reused.
    // Usually wrapped at once in a DirectoryWatchHandle.
    virtual int32_t addWatch(const ustring& pattern, int32_t mask, WatchCallback callback,
                             void* userData) = 0;
    // Removes a watch; an unknown id is ignored.
    virtual void removeWatch(int32_t watchId) = 0;

    // The singleton is set by start-up and destroyed near the end of
    // shutdown. Installs a manager the caller created; ownership passes to
    // the singleton. None may be installed yet.
    static void setInstance(FileManager* manager);
};

class FileManagerImpl final : public FileManager {
public:
    FileManagerImpl() = default;
    // Deletes every mounted file system in list order.
    ~FileManagerImpl() override;
    FileManagerImpl(const FileManagerImpl&) = delete;
    FileManagerImpl& operator=(const FileManagerImpl&) = delete;

    void mount(const ustring& mountPoint, FileSystem* system) override;
    SP<MemoryBlock> read(const ustring& path) override;
    bool readAsync(const ustring& path, ReadCompletion completion) override;
    void update() override;
    bool exists(const ustring& path) override;
    bool remove(const ustring& path) override;
    bool rename(const ustring& oldPath, const ustring& newPath) override;
    void listFiles(const ustring& pathOrPattern, std::vector<ustring>& entries) override;
    void findFiles(const ustring& directory, const ustring& pattern,
                   std::vector<ustring>& files) override;
    ustring nativePath(const ustring& path) override;
    int32_t addWatch(const ustring& pattern, int32_t mask, WatchCallback callback,
                     void* userData) override;
    void removeWatch(int32_t watchId) override;

private:
    struct FileSystemMount {
        ustring mountPoint; // ends in "/"
        FileSystem* system; // owned
    };
    struct WatchData {
        ustring pattern;
        int32_t mask;
        WatchCallback callback;
        void* userData;
    };
    // The mounts that serve a path: m_mounts[first, last), all with the same
    // mount point, and the path relative to it. Empty (first == last) when no
    // mount point is a prefix of the path.
    struct MountGroup {
        size_t first = 0;
        size_t last = 0;
        ustring relativePath;
        bool empty() const { return first == last; }
    };
    MountGroup findMounts(const ustring& path) const;

    // Stably sorted by mount-point length, longest first, so equal mount
    // points sit together in mounting order and the first prefix found is the
    // most specific one. Only changed while start-up mounts.
    std::vector<FileSystemMount> m_mounts;
    std::map<int32_t, WatchData> m_watchData;
    int32_t m_lastWatchId = 0; // ids start at 1 and are never reused
};

// Counted owner of one file-manager watch: the release of the last
// SP<DirectoryWatchHandle> removes the watch, or only frees the handle when
// the file manager is already gone. Main thread.
class DirectoryWatchHandle : public ReferenceCounted<DirectoryWatchHandle> {
public:
    // Adopts the watch `watchId` (from FileManager::addWatch). Put the handle
    // into an SP at once.
    explicit DirectoryWatchHandle(int32_t watchId) : m_watchId(watchId) {}
    ~DirectoryWatchHandle();
    DirectoryWatchHandle(const DirectoryWatchHandle&) = delete;
    DirectoryWatchHandle& operator=(const DirectoryWatchHandle&) = delete;

    // Adds a watch to the (alive) file manager and wraps it in a handle.
    static SP<DirectoryWatchHandle> watch(const ustring& pattern, int32_t mask,
                                          WatchCallback callback, void* userData);

    int32_t watchId() const { return m_watchId; }

private:
    int32_t m_watchId;
};

// What the window procedure does on WM_FILES_CHANGED: FileManager::update
// when the file manager is alive, nothing otherwise. Main thread.
void deliverFileChanges();

} // namespace slate

using slate::DirectoryWatchHandle;
