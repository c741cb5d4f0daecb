// The file manager resolves virtual paths against its mount points and hands
// the rest of the work to the file systems mounted there. The mount list is
// kept sorted by the length of the mount point, longest first, so the first
// mount point that prefixes a path is its most specific one, and file systems
// mounted at the same point sit next to each other in mounting order: that
// run is the overlay the path is served from. Only equal mount points form a
// group, so every member gets a path relative to its own root. The manager
// holds no lock: the mount list is written only while start-up mounts and is
// merely read afterwards, the watches belong to the main thread, and the file
// systems guard their own change queues.
#include "filesystem/file_manager.h"

#include <algorithm>

#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/performance_timer.h"
#include "ui/platform.h"
#include "ui/statistics.h"
#include "ui/string_utils.h"

namespace slate {

namespace {

ustring withFinalSlash(const ustring& path)
{
    if (!path.empty() && path.back() == u'/')
        return path;
    return path + u'/';
}

// The statistic is an unsynchronised record that only the main thread may
// touch, but the snippet scan also searches from its own thread; its samples
// are handed to the main thread to be added there.
class FindFilesTimer {
public:
    ~FindFilesTimer()
    {
        double seconds = m_timer.lap();
        if (platform::get().isMainThread())
            g_statFileManagerRecurseFindFiles.add(seconds);
        else
            postToMainThread([seconds] { g_statFileManagerRecurseFindFiles.add(seconds); });
    }

private:
    PerformanceTimer m_timer;
};

} // namespace

void FileManager::setInstance(FileManager* manager)
{
    install(manager);
}

FileManagerImpl::~FileManagerImpl()
{
    for (FileSystemMount& mount : m_mounts)
        delete mount.system;
    m_watchData.clear();
    m_mounts.clear();
}

void FileManagerImpl::mount(const ustring& mountPoint, FileSystem* system)
{
    VASSERT(system);
    m_mounts.push_back(FileSystemMount{withFinalSlash(mountPoint), system});
    std::stable_sort(m_mounts.begin(), m_mounts.end(),
                     [](const FileSystemMount& a, const FileSystemMount& b) {
                         return a.mountPoint.size() > b.mountPoint.size();
                     });
}

FileManagerImpl::MountGroup FileManagerImpl::findMounts(const ustring& path) const
{
    MountGroup group;
    usubstring whole(path);
    size_t index = 0;
    while (index < m_mounts.size() && !whole.startsWith(m_mounts[index].mountPoint))
        ++index;
    if (index == m_mounts.size())
        return group;
    const ustring& mountPoint = m_mounts[index].mountPoint;
    group.first = index;
    group.last = index + 1;
    while (group.last < m_mounts.size() && m_mounts[group.last].mountPoint == mountPoint)
        ++group.last;
    group.relativePath = path.substr(mountPoint.size());
    return group;
}

SP<MemoryBlock> FileManagerImpl::read(const ustring& path)
{
    MountGroup group = findMounts(path);
    for (size_t i = group.first; i < group.last; ++i) {
        if (SP<MemoryBlock> block = m_mounts[i].system->read(group.relativePath))
            return block;
    }
    return nullptr;
}

bool FileManagerImpl::readAsync(const ustring& path, ReadCompletion completion)
{
    MountGroup group = findMounts(path);
    for (size_t i = group.first; i < group.last; ++i) {
        if (m_mounts[i].system->readAsync(group.relativePath, completion))
            return true;
    }
    return false;
}

void FileManagerImpl::update()
{
    // Watches added by a callback during this round wait for the next one.
    const int32_t lastWatchOfRound = m_lastWatchId;
    for (size_t i = 0; i < m_mounts.size(); ++i)
        m_mounts[i].system->poll();
    for (size_t i = 0; i < m_mounts.size(); ++i) {
        std::vector<FileChange> changes;
        m_mounts[i].system->takeChanges(changes);
        for (const FileChange& change : changes) {
            const ustring virtualPath = m_mounts[i].mountPoint + change.path;
            // A callback may add or remove watches, so the next watch is
            // looked up again by id after every call.
            int32_t watchId = 0;
            for (;;) {
                auto it = m_watchData.upper_bound(watchId);
                if (it == m_watchData.end() || it->first > lastWatchOfRound)
                    break;
                watchId = it->first;
                const WatchData& watch = it->second;
                if (!(watch.mask & change.flags) ||
                    !wildcardMatchNoCase(watch.pattern.c_str(), virtualPath.c_str()))
                    continue;
                WatchCallback callback = watch.callback;
                void* userData = watch.userData;
                callback(virtualPath, change.flags, userData);
            }
        }
    }
}

bool FileManagerImpl::exists(const ustring& path)
{
    MountGroup group = findMounts(path);
    for (size_t i = group.first; i < group.last; ++i) {
        if (m_mounts[i].system->exists(group.relativePath))
            return true;
    }
    return false;
}

bool FileManagerImpl::remove(const ustring& path)
{
    MountGroup group = findMounts(path);
    for (size_t i = group.first; i < group.last; ++i) {
        if (m_mounts[i].system->remove(group.relativePath))
            return true;
    }
    return false;
}

bool FileManagerImpl::rename(const ustring& oldPath, const ustring& newPath)
{
    MountGroup oldGroup = findMounts(oldPath);
    MountGroup newGroup = findMounts(newPath);
    if (oldGroup.empty() || oldGroup.first != newGroup.first || oldGroup.last != newGroup.last)
        return false;
    for (size_t i = oldGroup.first; i < oldGroup.last; ++i) {
        if (m_mounts[i].system->rename(oldGroup.relativePath, newGroup.relativePath))
            return true;
    }
    return false;
}

void FileManagerImpl::listFiles(const ustring& pathOrPattern, std::vector<ustring>& entries)
{
    MountGroup group = findMounts(pathOrPattern);
    if (group.empty())
        return;
    const ustring& mountPoint = m_mounts[group.first].mountPoint;
    size_t firstNew = entries.size();
    for (size_t i = group.first; i < group.last; ++i)
        m_mounts[i].system->listFiles(group.relativePath, entries);
    for (size_t i = firstNew; i < entries.size(); ++i)
        entries[i].insert(0, mountPoint);
}

void FileManagerImpl::findFiles(const ustring& directory, const ustring& pattern,
                                std::vector<ustring>& files)
{
    FindFilesTimer timer;
    files.reserve(files.size() + 64);
    MountGroup group = findMounts(directory.empty() ? directory : withFinalSlash(directory));
    if (!group.empty()) {
        const ustring& mountPoint = m_mounts[group.first].mountPoint;
        for (size_t i = group.first; i < group.last; ++i) {
            size_t firstNew = files.size();
            m_mounts[i].system->findFiles(group.relativePath, pattern, files);
            for (size_t j = firstNew; j < files.size(); ++j)
                files[j].insert(0, mountPoint);
        }
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
}

ustring FileManagerImpl::nativePath(const ustring& path)
{
    MountGroup group = findMounts(path);
    for (size_t i = group.first; i < group.last; ++i) {
        FileSystem* system = m_mounts[i].system;
        if (system->exists(group.relativePath)) {
            ustring native = system->nativePath(group.relativePath);
            if (!native.empty())
                return native;
        }
    }
    for (size_t i = group.first; i < group.last; ++i) {
        ustring native = m_mounts[i].system->nativePath(group.relativePath);
        if (!native.empty())
            return native;
    }
    return ustring();
}

int32_t FileManagerImpl::addWatch(const ustring& pattern, int32_t mask, WatchCallback callback,
                                  void* userData)
{
    int32_t watchId = ++m_lastWatchId;
    VASSERT(m_watchData.count(watchId) == 0);
    m_watchData[watchId] = WatchData{pattern, mask, callback, userData};
    return watchId;
}

void FileManagerImpl::removeWatch(int32_t watchId)
{
    m_watchData.erase(watchId);
}

DirectoryWatchHandle::~DirectoryWatchHandle()
{
    if (FileManager::alive())
        FileManager::get().removeWatch(m_watchId);
}

SP<DirectoryWatchHandle> DirectoryWatchHandle::watch(const ustring& pattern, int32_t mask,
                                                     WatchCallback callback, void* userData)
{
    return SP<DirectoryWatchHandle>(
        new DirectoryWatchHandle(FileManager::get().addWatch(pattern, mask, callback, userData)));
}

void deliverFileChanges()
{
    if (FileManager::alive())
        FileManager::get().update();
}

} // namespace slate
