// One mounted tree of the virtual file system. The file manager asks the file
// systems mounted at a mount point for reads, listings and changes; every path
// it hands them is relative to the file system's root and uses "/" as its
// separator, without a leading one.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "filesystem/memory_block.h"
#include "ui/ustring.h"

namespace slate {

// Change flags; exactly one is set in a FileChange. A watch's mask ORs them
// together. Integer constants rather than an enumeration: changes store them
// and watch callbacks, plug-ins included, receive them as int32_t.
constexpr int32_t FileChangeModified = 1; // written
constexpr int32_t FileChangeAdded = 2;    // created, or given this name by a move
constexpr int32_t FileChangeRemoved = 4;  // deleted, or moved away from this name

struct FileChange {
    ustring path; // relative to the file system's root, "/" separators
    int32_t flags = 0;
};

inline bool operator==(const FileChange& a, const FileChange& b)
{
    return a.path == b.path && a.flags == b.flags;
}

// Completion of an asynchronous read: the block, or null when the file could
// not be read. No file system of the program takes such reads at present.
using ReadCompletion = std::function<void(SP<MemoryBlock>)>;

// Queries (read, listFiles, findFiles, exists, nativePath) may run on worker
// threads at the same time as the main thread uses the file system, so an
// implementation keeps no unguarded state for them. The rest runs on the
// main thread.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The whole file, or null when it cannot be read. An empty file gives an
    // empty block.
    virtual SP<MemoryBlock> read(const ustring& path) = 0;
    // True when the file system took the request and will call `completion`
    // later; false (with `completion` dropped uncalled) when it refuses.
    virtual bool readAsync(const ustring& path, ReadCompletion completion) = 0;
    // Called before changes are taken (see takeChanges).
    virtual void poll() = 0;
    // Appends the entries named by `pathOrPattern`: a directory's entries when
    // its last component is a wildcard pattern ("Default/*.py"), else the
    // named entry when it exists. Entries are root-relative ("Default/a.py"),
    // files and directories alike, no recursion, unsorted.
    virtual void listFiles(const ustring& pathOrPattern, std::vector<ustring>& entries) = 0;
    // Appends the root-relative paths of every file below `directory` (empty,
    // or ending in "/") whose name matches `pattern` (case-sensitive "*" and
    // "?"), searching subdirectories depth first and skipping ".svn".
    virtual void findFiles(const ustring& directory, const ustring& pattern,
                           std::vector<ustring>& files) = 0;
    // File or directory.
    virtual bool exists(const ustring& path) = 0;
    virtual bool remove(const ustring& path) = 0;
    // Never replaces an existing `newPath`.
    virtual bool rename(const ustring& oldPath, const ustring& newPath) = 0;
    // The name the operating system knows the path by, whether or not the
    // file exists; empty when the path has no native form.
    virtual ustring nativePath(const ustring& path) = 0;
    // Appends every change seen since the last call, in arrival order. Main
    // thread; may pause briefly so that a burst of changes arrives whole.
    virtual void takeChanges(std::vector<FileChange>& changes) = 0;
};

} // namespace slate

using slate::FileChange;
using slate::FileChangeAdded;
using slate::FileChangeModified;
using slate::FileChangeRemoved;
