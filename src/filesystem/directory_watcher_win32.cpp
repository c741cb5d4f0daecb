// The directory watcher of the Win32 file system. One thread per watcher
// keeps ReadDirectoryChangesW requests outstanding and sleeps alertably, so
// their completion routines run on it; the routines turn each notification
// into a FileChange and queue it under the watcher's lock. On Windows one
// request covers the whole tree. Under Wine, whose whole-tree requests miss
// the directories that existed before the request, every directory gets a
// request of its own, and directory-name changes keep that set in step with
// the tree. When the queue goes from empty to non-empty the thread posts
// WM_FILES_CHANGED to the file-change window, and later changes ride on that
// message until the main thread takes the batch (FileManager::update ->
// WindowsFileSystem::takeChanges). A count of watchers with waiting changes
// lets a newly set window catch up on changes whose message was never posted
// or was lost with its window.
//
// A request's buffer can overflow in a burst of changes (a per-directory
// request has 4 KB, about a hundred records), and the system then drops the
// details. The watcher answers with a change of every file in that folder,
// found by listing it, so that listeners re-read whatever they watch there.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <map>
#include <memory>

#include "filesystem/change_records.h"
#include "filesystem/directory_watcher.h"
#include "filesystem/native_file.h"
#include "ui/critical_section.h"
#include "ui/log.h"

namespace slate {

namespace {

// Directory recursion deeper than this is taken for a link cycle.
const int kMaxSearchDepth = 64;
const DWORD kNotificationBufferSize = 16384;
const uint32_t kStopTimeoutMs = 1000;
// A directory that cannot be opened or listed yet (another process holds it,
// as happens for a moment after a rename) is tried again this often, up to
// this many times.
const DWORD kListingRetryMs = 50;
const int kMaxListingAttempts = 100;

std::atomic<HWND> s_fileChangeWindow{nullptr};
// Watchers whose change list is non-empty.
std::atomic<int> s_watchersWithPendingChanges{0};

} // namespace

// What the watcher and its thread share. Each holds one reference; the last
// to let go deletes it.
struct DirectoryWatcher::State {
    State(const ustring& watchedRoot, bool watchEachDirectory)
        : root(watchedRoot), perDirectory(watchEachDirectory),
          wakeUp(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          watching(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~State()
    {
        if (!pending.empty())
            --s_watchersWithPendingChanges;
        if (wakeUp)
            CloseHandle(wakeUp);
        if (watching)
            CloseHandle(watching);
    }
    void release()
    {
        if (references.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }

    std::atomic<int> references{2};
    const ustring root;
    const bool perDirectory; // a request per directory rather than one for the tree
    std::atomic<bool> stop{false};
    HANDLE wakeUp; // auto-reset; set to stop the watcher
    // Manual-reset; set once the requests for the tree as it stood are
    // outstanding (or the watcher has given up), so that no change made after
    // mounting is missed.
    HANDLE watching;
    mutable CriticalSection lock;
    std::vector<FileChange> pending; // guarded by lock, in arrival order
};


namespace {

using WatchState = DirectoryWatcher::State;

bool runningOnWine()
{
    HMODULE ntdll = GetModuleHandleW(u"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

ustring lowered(ustring text)
{
    if (!text.empty())
        CharLowerBuffW(reinterpret_cast<WCHAR*>(&text[0]), static_cast<DWORD>(text.size()));
    return text;
}

int depthOf(const ustring& relativePath)
{
    return static_cast<int>(std::count(relativePath.begin(), relativePath.end(), u'\\'));
}

void queueFileChange(WatchState* state, ustring name, int32_t flags)
{
    for (uchar& unit : name) {
        if (unit == u'\\')
            unit = u'/';
    }
    bool wasEmpty;
    {
        ScopedLock lock(state->lock);
        wasEmpty = state->pending.empty();
        // A file found in a new directory is often reported by its request
        // too; the queue folds such repeats.
        slate::queueFileChange(state->pending, FileChange{std::move(name), flags});
        if (wasEmpty)
            ++s_watchersWithPendingChanges;
    }
    if (wasEmpty) {
        if (HWND window = s_fileChangeWindow.load())
            PostMessageW(window, WM_FILES_CHANGED, 0, 0);
    }
}

class Watcher;

// One outstanding change request on one directory. The completion routine is
// handed only the OVERLAPPED record, so the record comes first and the rest
// is found behind it.
struct DirectoryRequest {
    OVERLAPPED overlapped;
    Watcher* watcher;
    HANDLE directory = INVALID_HANDLE_VALUE;
    ustring relativePath; // empty for the root, else "Sub\\Deeper\\"
    bool pending = false; // the system may still write into the buffer
    bool overflowed = false; // the last completion dropped its details
    DWORD bufferSize;
    std::unique_ptr<BYTE[]> buffer; // new[] storage is aligned well enough
};

// The watcher thread's working set, touched only on that thread (the
// completion routines run inside its alertable waits).
//
// On Windows one request watches the whole tree. Wine's subtree requests
// miss the directories that existed before the request was made, so there
// (or when a test asks for it) each directory gets a request of its own:
// directory-name changes then keep the set of requests in step with the
// tree, and are not reported as file changes.
class Watcher {
public:
    Watcher(WatchState* state, bool perDirectory) : m_state(state), m_perDirectory(perDirectory) {}

    void run()
    {
        bool watching = watchTree(ustring(), false);
        SetEvent(m_state->watching);
        while (watching && !m_state->stop.load()) {
            WaitForSingleObjectEx(m_state->wakeUp, m_unlisted.empty() ? INFINITE : kListingRetryMs, TRUE);
            if (m_state->stop.load())
                break;
            // Folders are listed only once their request is outstanding
            // again, so a change is either listed or reported after it.
            std::vector<ustring> overflowedFolders;
            for (auto it = m_requests.begin(); it != m_requests.end();) {
                DirectoryRequest& request = *it->second;
                if (!request.pending && !issue(request)) {
                    // The root's request failing ends the watch; a
                    // subdirectory's means it has gone.
                    if (request.relativePath.empty())
                        watching = false;
                    retire(std::move(it->second));
                    it = m_requests.erase(it);
                } else {
                    if (request.overflowed)
                        overflowedFolders.push_back(request.relativePath);
                    request.overflowed = false;
                    ++it;
                }
            }
            for (const ustring& folder : overflowedFolders)
                reportFolder(folder, depthOf(folder));
            retryUnlisted();
            releaseRetired();
        }
        shutDown();
    }

private:
    static void CALLBACK onDirectoryChanges(DWORD errorCode, DWORD byteCount, OVERLAPPED* overlapped)
    {
        auto* request = reinterpret_cast<DirectoryRequest*>(overlapped);
        request->pending = false;
        if (request->directory == INVALID_HANDLE_VALUE)
            return;
        // An overflow: the system dropped the details (Windows says so with
        // success and no bytes, Wine with ERROR_NOTIFY_ENUM_DIR). The folder
        // is listed once the request is outstanding again.
        if ((errorCode == ERROR_SUCCESS && byteCount == 0) || errorCode == ERROR_NOTIFY_ENUM_DIR) {
            request->overflowed = true;
            return;
        }
        // A cancelled request, or one whose directory has gone.
        if (errorCode != ERROR_SUCCESS)
            return;
        request->watcher->handleRecords(*request, std::min(byteCount, request->bufferSize));
    }

    // Opens `relativePath` (ending in a backslash, or empty for the root) and
    // makes its first request; per directory, also every directory below it.
    // `reportFiles` queues the files found as added: they appeared with a
    // directory that was made while the tree was watched.
    bool watchTree(const ustring& relativePath, bool reportFiles)
    {
        if (m_requests.count(lowered(relativePath)) || depthOf(relativePath) > kMaxSearchDepth ||
            m_state->stop.load())
            return true;
        auto request = std::make_unique<DirectoryRequest>();
        request->watcher = this;
        request->relativePath = relativePath;
        request->bufferSize = relativePath.empty() ? kNotificationBufferSize : kNotificationBufferSize / 4;
        request->buffer.reset(new BYTE[request->bufferSize]);
        request->directory = CreateFileW(wide(m_state->root + relativePath), FILE_LIST_DIRECTORY,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                                         nullptr);
        if (request->directory == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (relativePath.empty() || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED))
                return false;
            listLater(relativePath, reportFiles);
            return true;
        }
        if (!issue(*request)) {
            CloseHandle(request->directory);
            return false;
        }
        m_requests[lowered(relativePath)] = std::move(request);
        if (m_perDirectory && !listTree(relativePath, reportFiles))
            listLater(relativePath, reportFiles);
        return true;
    }

    // Watches the directories of the watched folder `relativePath` and, with
    // `reportFiles`, queues its files as added. False when the folder could
    // not be listed now.
    bool listTree(const ustring& relativePath, bool reportFiles)
    {
        return enumerateDirectory(m_state->root + relativePath, u"*", [&](const ustring& name, bool isDirectory) {
            if (isDirectory)
                watchTree(relativePath + name + u'\\', reportFiles);
            else if (reportFiles)
                queueFileChange(m_state, relativePath + name, FileChangeAdded);
        });
    }

    // Remembers a folder that arrived but could not be opened or listed, to
    // be tried again from the thread's loop: its files must not be lost.
    void listLater(const ustring& relativePath, bool reportFiles)
    {
        if (m_listingAttempt >= kMaxListingAttempts) {
            VLOG << u"Unable to list " << m_state->root << relativePath << u"; changes in it may be missed";
            return;
        }
        m_unlisted[relativePath] = UnlistedFolder{reportFiles, m_listingAttempt + 1};
    }

    void retryUnlisted()
    {
        std::map<ustring, UnlistedFolder> folders;
        folders.swap(m_unlisted);
        for (const auto& entry : folders) {
            if (m_state->stop.load())
                return;
            m_listingAttempt = entry.second.attempts;
            if (!m_requests.count(lowered(entry.first)))
                watchTree(entry.first, entry.second.reportFiles);
            else if (!listTree(entry.first, entry.second.reportFiles))
                listLater(entry.first, entry.second.reportFiles);
        }
        m_listingAttempt = 0;
    }

    // Reports every file of the folder `relativePath` (ending in a
    // backslash, or empty for the root) as modified, after its request lost
    // the details of a burst; listeners then re-read what they watch there.
    // Per directory, a directory made in the burst is watched now and its
    // files reported as added (one watched already has a request of its own);
    // the whole tree's request also covers every folder below it.
    void reportFolder(const ustring& relativePath, int depth)
    {
        if (depth > kMaxSearchDepth || m_state->stop.load())
            return;
        enumerateDirectory(m_state->root + relativePath, u"*", [&](const ustring& name, bool isDirectory) {
            const ustring path = relativePath + name;
            if (!isDirectory)
                queueFileChange(m_state, path, FileChangeModified);
            else if (m_perDirectory)
                watchTree(path + u'\\', true);
            else
                reportFolder(path + u'\\', depth + 1);
        });
    }

    bool issue(DirectoryRequest& request)
    {
        request.overlapped = OVERLAPPED();
        DWORD filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;
        if (m_perDirectory)
            filter |= FILE_NOTIFY_CHANGE_DIR_NAME;
        if (!ReadDirectoryChangesW(request.directory, request.buffer.get(), request.bufferSize,
                                   m_perDirectory ? FALSE : TRUE, filter, nullptr, &request.overlapped,
                                   onDirectoryChanges))
            return false;
        request.pending = true;
        return true;
    }

    void handleRecords(DirectoryRequest& request, DWORD byteCount)
    {
        readChangeRecords(request.buffer.get(), byteCount, [&](uint32_t action, const ustring& name) {
            handleChange(request.relativePath + name, action);
        });
    }

    void handleChange(const ustring& path, DWORD action)
    {
        int32_t flags;
        switch (action) {
        case FILE_ACTION_ADDED:
        case FILE_ACTION_RENAMED_NEW_NAME:
            flags = FileChangeAdded;
            break;
        case FILE_ACTION_REMOVED:
        case FILE_ACTION_RENAMED_OLD_NAME:
            flags = FileChangeRemoved;
            break;
        default:
            flags = FileChangeModified;
            break;
        }
        if (m_perDirectory) {
            const ustring directoryKey = lowered(path + u'\\');
            if (flags == FileChangeAdded) {
                if (nativeEntryKind(m_state->root + path) == NativeEntryKind::Directory) {
                    watchTree(path + u'\\', true);
                    return;
                }
            } else if (m_requests.count(directoryKey)) {
                if (flags == FileChangeRemoved)
                    unwatchTree(directoryKey);
                return;
            }
        }
        queueFileChange(m_state, path, flags);
    }

    // Stops watching the directory with the lower-cased key and everything
    // below it.
    void unwatchTree(const ustring& directoryKey)
    {
        auto it = m_requests.lower_bound(directoryKey);
        while (it != m_requests.end() && it->first.compare(0, directoryKey.size(), directoryKey) == 0) {
            retire(std::move(it->second));
            it = m_requests.erase(it);
        }
    }

    // Closes the request's directory. A request still outstanding completes
    // (as cancelled) through the routine later; until then its buffer stays.
    void retire(std::unique_ptr<DirectoryRequest> request)
    {
        if (request->pending)
            CancelIoEx(request->directory, &request->overlapped);
        CloseHandle(request->directory);
        request->directory = INVALID_HANDLE_VALUE;
        m_retired.push_back(std::move(request));
    }

    void releaseRetired()
    {
        m_retired.erase(std::remove_if(m_retired.begin(), m_retired.end(),
                                       [](const std::unique_ptr<DirectoryRequest>& request) {
                                           return !request->pending;
                                       }),
                        m_retired.end());
    }

    void shutDown()
    {
        for (auto& entry : m_requests)
            retire(std::move(entry.second));
        m_requests.clear();
        const DWORD start = GetTickCount();
        for (;;) {
            releaseRetired();
            if (m_retired.empty())
                return;
            DWORD elapsed = GetTickCount() - start;
            if (elapsed >= kStopTimeoutMs)
                break;
            SleepEx(kStopTimeoutMs - elapsed, TRUE);
        }
        // Requests the system never completed: their buffers may still be
        // written, so they are left allocated.
        for (auto& request : m_retired)
            request.release();
        m_retired.clear();
    }

    WatchState* m_state;
    const bool m_perDirectory;
    // By lower-cased relative path (names are case-insensitive), so a
    // directory's subtree is one run of the map.
    std::map<ustring, std::unique_ptr<DirectoryRequest>> m_requests;
    // Closed requests whose completion has not been seen yet.
    std::vector<std::unique_ptr<DirectoryRequest>> m_retired;
    struct UnlistedFolder {
        bool reportFiles;
        int attempts;
    };
    // Folders to open or list again, by relative path.
    std::map<ustring, UnlistedFolder> m_unlisted;
    int m_listingAttempt = 0; // of the folder being retried, 0 outside a retry
};

void directoryWatchThread(void* parameter)
{
    WatchState* state = static_cast<WatchState*>(parameter);
    {
        Watcher watcher(state, state->perDirectory);
        watcher.run();
    }
    state->release();
}

} // namespace

DirectoryWatcher::DirectoryWatcher(const ustring& root, Mode mode)
    : m_state(new State(root, mode == Mode::PerDirectory ||
                                  (mode == Mode::Automatic && runningOnWine()))),
      m_thread(nullptr)
{
    // Without its events the watcher could neither sleep nor be stopped, so
    // such a tree goes unwatched.
    if (m_state->wakeUp && m_state->watching)
        m_thread = platform::get().startThread(directoryWatchThread, m_state);
    if (!m_thread) {
        VLOG << u"No directory watcher for " << root;
        m_state->release(); // the thread's reference
    } else {
        WaitForSingleObject(m_state->watching, kStopTimeoutMs);
    }
}

DirectoryWatcher::~DirectoryWatcher()
{
    m_state->stop.store(true);
    if (m_state->wakeUp)
        SetEvent(m_state->wakeUp);
    if (m_thread) {
        if (!platform::get().joinThread(m_thread, kStopTimeoutMs))
            VLOG << u"Directory watcher of " << m_state->root << u" did not stop; left to finish alone";
        platform::get().closeThread(m_thread);
    }
    m_state->release();
}

bool DirectoryWatcher::hasPendingChanges() const
{
    ScopedLock lock(m_state->lock);
    return !m_state->pending.empty();
}

void DirectoryWatcher::takeChanges(std::vector<FileChange>& changes)
{
    ScopedLock lock(m_state->lock);
    if (m_state->pending.empty())
        return;
    changes.insert(changes.end(), m_state->pending.begin(), m_state->pending.end());
    m_state->pending.clear();
    --s_watchersWithPendingChanges;
}

void setFileChangeWindow(platform::WindowHandle window)
{
    HWND incoming = static_cast<HWND>(window);
    HWND previous = s_fileChangeWindow.exchange(incoming);
    if (incoming && incoming != previous && s_watchersWithPendingChanges.load() > 0)
        PostMessageW(incoming, WM_FILES_CHANGED, 0, 0);
}

platform::WindowHandle fileChangeWindow()
{
    return s_fileChangeWindow.load();
}

} // namespace slate
