// The native-directory file system of the Win32 build. Reads, listings and
// searches are plain system calls on root + path and keep no state, so worker
// threads may run them beside the main thread. Watching is done by one thread
// per file system: it keeps ReadDirectoryChangesW requests outstanding and
// sleeps alertably, so their completion routines run on it; the routines turn
// each notification into a FileChange and queue it under the file system's
// lock. On Windows one request covers the whole tree. Under Wine, whose
// whole-tree requests miss the directories that existed before the request,
// every directory gets a request of its own, and directory-name changes keep
// that set in step with the tree. When the queue goes from empty to
// non-empty the thread posts WM_FILES_CHANGED to the file-change window, and
// later changes ride on that message until the main thread takes the batch
// (FileManager::update -> takeChanges). A count of file systems with waiting
// changes lets a newly set window catch up on changes whose message was never
// posted or was lost with its window.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <map>
#include <memory>

#include "filesystem/path_parts.h"
#include "filesystem/windows_file_system.h"
#include "ui/critical_section.h"
#include "ui/log.h"
#include "ui/string_utils.h"

namespace slate {

namespace {

// Directory recursion deeper than this is taken for a link cycle.
const int kMaxSearchDepth = 64;
const DWORD kNotificationBufferSize = 16384;
const DWORD kBurstPauseMs = 100;
const uint32_t kStopTimeoutMs = 1000;

std::atomic<HWND> s_fileChangeWindow{nullptr};
// File systems whose change list is non-empty.
std::atomic<int> s_fileSystemsWithPendingChanges{0};

const WCHAR* wide(const ustring& text)
{
    return reinterpret_cast<const WCHAR*>(text.c_str());
}

ustring withBackslashes(ustring path)
{
    toBackslashes(path);
    return path;
}

bool isDotOrDotDot(const WCHAR* name)
{
    return name[0] == u'.' && (name[1] == 0 || (name[1] == u'.' && name[2] == 0));
}

// Every directory in `nativeDirectory` (ending in a backslash) depth first,
// files whose name matches `pattern` appended as `relativeDirectory` + name.
void searchDirectory(const ustring& nativeDirectory, const ustring& relativeDirectory,
                     const ustring& pattern, std::vector<ustring>& files, int depth)
{
    if (depth > kMaxSearchDepth)
        return;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(wide(nativeDirectory + u"*.*"), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const uchar* name = reinterpret_cast<const uchar*>(entry.cFileName);
        if (isDotOrDotDot(entry.cFileName) || ustring(name) == u".svn")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            searchDirectory(nativeDirectory + name + u'\\', relativeDirectory + name + u'/', pattern,
                            files, depth + 1);
        else if (wildcardMatch(pattern.c_str(), name))
            files.push_back(relativeDirectory + name);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

} // namespace

// What the file system and its watcher thread share. Each holds one
// reference; the last to let go deletes it.
struct WindowsFileSystem::WatchState {
    explicit WatchState(const ustring& watchedRoot)
        : root(watchedRoot), wakeUp(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          watching(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~WatchState()
    {
        if (!pending.empty())
            --s_fileSystemsWithPendingChanges;
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

using WatchState = WindowsFileSystem::WatchState;

bool runningOnWine()
{
    HMODULE ntdll = GetModuleHandleW(u"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::atomic<WindowsFileSystem::WatchMode> s_watchMode{WindowsFileSystem::WatchMode::Automatic};

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
        // A write adds nothing to a pending creation or write of the same
        // file: the watches will read the file after the batch anyway. Nor
        // does a second creation (a file found in a new directory and also
        // reported by its request). The latest pending change of the path
        // decides, not merely the last change in the list, since
        // per-directory requests interleave.
        if (!wasEmpty && flags != FileChangeRemoved) {
            for (auto it = state->pending.rbegin(); it != state->pending.rend(); ++it) {
                if (it->path != name)
                    continue;
                if (it->flags & (FileChangeModified | FileChangeAdded))
                    return;
                break;
            }
        }
        state->pending.push_back(FileChange{std::move(name), flags});
        if (wasEmpty)
            ++s_fileSystemsWithPendingChanges;
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
            WaitForSingleObjectEx(m_state->wakeUp, INFINITE, TRUE);
            if (m_state->stop.load())
                break;
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
                    ++it;
                }
            }
            releaseRetired();
        }
        shutDown();
    }

private:
    static void CALLBACK onDirectoryChanges(DWORD errorCode, DWORD byteCount, OVERLAPPED* overlapped)
    {
        auto* request = reinterpret_cast<DirectoryRequest*>(overlapped);
        request->pending = false;
        // Nothing, a cancelled request, or an overflow in which the system
        // dropped the details: those changes are lost and the next read goes
        // on.
        if (errorCode != ERROR_SUCCESS || byteCount == 0 || request->directory == INVALID_HANDLE_VALUE)
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
        if (request->directory == INVALID_HANDLE_VALUE || !issue(*request)) {
            if (request->directory != INVALID_HANDLE_VALUE)
                CloseHandle(request->directory);
            return false;
        }
        m_requests[lowered(relativePath)] = std::move(request);
        if (!m_perDirectory)
            return true;
        WIN32_FIND_DATAW entry;
        HANDLE search = FindFirstFileW(wide(m_state->root + relativePath + u"*"), &entry);
        if (search == INVALID_HANDLE_VALUE)
            return true;
        do {
            if (isDotOrDotDot(entry.cFileName))
                continue;
            ustring path = relativePath + reinterpret_cast<const uchar*>(entry.cFileName);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                watchTree(path + u'\\', reportFiles);
            else if (reportFiles)
                queueFileChange(m_state, path, FileChangeAdded);
        } while (FindNextFileW(search, &entry));
        FindClose(search);
        return true;
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
        const DWORD headerSize = offsetof(FILE_NOTIFY_INFORMATION, FileName);
        DWORD offset = 0;
        while (offset + headerSize <= byteCount) {
            const auto* record =
                reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(request.buffer.get() + offset);
            const DWORD nameBytes = record->FileNameLength;
            if (offset + headerSize + nameBytes > byteCount)
                break;
            const uchar* name = reinterpret_cast<const uchar*>(record->FileName);
            handleChange(request.relativePath + ustring(name, name + nameBytes / 2), record->Action);
            if (record->NextEntryOffset == 0)
                break;
            offset += record->NextEntryOffset;
        }
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
                DWORD attributes = GetFileAttributesW(wide(m_state->root + path));
                if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
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
};

void directoryWatchThread(void* parameter)
{
    WatchState* state = static_cast<WatchState*>(parameter);
    WindowsFileSystem::WatchMode mode = s_watchMode.load();
    bool perDirectory = mode == WindowsFileSystem::WatchMode::PerDirectory ||
                        (mode == WindowsFileSystem::WatchMode::Automatic && runningOnWine());
    {
        Watcher watcher(state, perDirectory);
        watcher.run();
    }
    state->release();
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
    if (relative) {
        DWORD length = GetCurrentDirectoryW(0, nullptr);
        ustring current(length, u'\0');
        length = length ? GetCurrentDirectoryW(length, reinterpret_cast<WCHAR*>(&current[0])) : 0;
        current.resize(length < current.size() ? length : 0);
        root = current + u'\\' + root;
    }
    DWORD attributes = GetFileAttributesW(wide(root));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        VLOG << u"Mounted " << root;
        return new WindowsFileSystem(root);
    }
    VLOG << u"Unable to mount " << root;
    return nullptr;
}

WindowsFileSystem::WindowsFileSystem(const ustring& root)
    : m_root(root), m_state(new WatchState(root)), m_thread(nullptr)
{
    // Without its events the watcher could neither sleep nor be stopped, so
    // such a file system works unwatched.
    if (m_state->wakeUp && m_state->watching)
        m_thread = platform::get().startThread(directoryWatchThread, m_state);
    if (!m_thread) {
        VLOG << u"No directory watcher for " << root;
        m_state->release(); // the thread's reference
    } else {
        WaitForSingleObject(m_state->watching, kStopTimeoutMs);
    }
}

WindowsFileSystem::~WindowsFileSystem()
{
    m_state->stop.store(true);
    if (m_state->wakeUp)
        SetEvent(m_state->wakeUp);
    if (m_thread) {
        if (!platform::get().joinThread(m_thread, kStopTimeoutMs))
            VLOG << u"Directory watcher of " << m_root << u" did not stop; left to finish alone";
        platform::get().closeThread(m_thread);
    }
    m_state->release();
}

SP<MemoryBlock> WindowsFileSystem::read(const ustring& path)
{
    HANDLE file = CreateFileW(wide(withBackslashes(m_root + path)), GENERIC_READ,
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
    return SP<MemoryBlock>(new SimpleMemoryBlock(std::move(bytes), expected));
}

bool WindowsFileSystem::readAsync(const ustring&, ReadCompletion)
{
    return false;
}

void WindowsFileSystem::poll() {}

void WindowsFileSystem::listFiles(const ustring& pathOrPattern, std::vector<ustring>& entries)
{
    size_t slash = pathOrPattern.rfind(u'/');
    ustring prefix = slash == ustring::npos ? ustring() : pathOrPattern.substr(0, slash + 1);
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(wide(withBackslashes(m_root + pathOrPattern)), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!isDotOrDotDot(entry.cFileName))
            entries.push_back(prefix + reinterpret_cast<const uchar*>(entry.cFileName));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

void WindowsFileSystem::findFiles(const ustring& directory, const ustring& pattern,
                                  std::vector<ustring>& files)
{
    searchDirectory(withBackslashes(m_root + directory), directory, pattern, files, 0);
}

bool WindowsFileSystem::exists(const ustring& path)
{
    return GetFileAttributesW(wide(withBackslashes(m_root + path))) != INVALID_FILE_ATTRIBUTES;
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
    if (!hasPendingChanges())
        return;
    Sleep(kBurstPauseMs);
    ScopedLock lock(m_state->lock);
    if (m_state->pending.empty())
        return;
    changes.insert(changes.end(), m_state->pending.begin(), m_state->pending.end());
    m_state->pending.clear();
    --s_fileSystemsWithPendingChanges;
}

bool WindowsFileSystem::hasPendingChanges() const
{
    ScopedLock lock(m_state->lock);
    return !m_state->pending.empty();
}

void WindowsFileSystem::setWatchMode(WatchMode mode)
{
    s_watchMode.store(mode);
}

void setFileChangeWindow(platform::WindowHandle window)
{
    HWND incoming = static_cast<HWND>(window);
    HWND previous = s_fileChangeWindow.exchange(incoming);
    if (incoming && incoming != previous && s_fileSystemsWithPendingChanges.load() > 0)
        PostMessageW(incoming, WM_FILES_CHANGED, 0, 0);
}

platform::WindowHandle fileChangeWindow()
{
    return s_fileChangeWindow.load();
}

} // namespace slate
