// The native-file layer: the few questions that both file abstractions (the
// file helpers of file_utils.h and the mounted file systems) ask of the
// operating system, answered once per platform. native_file_win32.cpp asks
// the system's wide-character calls; native_file_native.cpp asks POSIX for
// the portable build (tests and tools), where paths are UTF-8 on disk and
// names are matched case-sensitively. Paths are native: the Win32 build takes
// backslashes or "/", the native one "/". Every function may run on any
// thread.
#pragma once

#include <functional>
#include <vector>

#include "filesystem/memory_block.h"
#include "ui/ustring.h"

enum class NativeEntryKind { Missing, File, Directory };

// What the path names now. Anything that is not a directory (a device, a
// socket) counts as a file.
NativeEntryKind nativeEntryKind(const ustring& path);

// Called with an entry's name (no directory part) and whether it is a
// directory.
using DirectoryVisitor = std::function<void(const ustring& name, bool isDirectory)>;

// Calls `visit` for every entry of `directory` whose name matches `pattern`,
// other than "." and "..", in the order the system lists them. `directory` is
// empty (the current directory) or ends in a separator. The Win32 build
// matches as the system does (case-insensitively; "*.*" also takes names
// without a "."); the native build with wildcardMatch. A pattern without
// wildcards names one entry. A missing directory gives no call and true; one
// that exists but cannot be listed now (held by another process, no access)
// gives no call and false, so a caller that must see its entries can retry.
bool enumerateDirectory(const ustring& directory, const ustring& pattern,
                        const DirectoryVisitor& visit);

// The listings of the mounted file systems (see FileSystem::listFiles and
// findFiles), on the native directory `root` (ending in a separator) with
// root-relative, "/"-separated paths and patterns. listNativeEntries appends
// the entries that the last component of `pathOrPattern` matches or names.
// findNativeFiles appends, depth first, the files below `directory` (empty,
// or ending in "/") whose names match `pattern` case-sensitively
// (wildcardMatch), skipping ".svn" folders and going at most 64 deep.
void listNativeEntries(const ustring& root, const ustring& pathOrPattern, std::vector<ustring>& entries);
void findNativeFiles(const ustring& root, const ustring& directory, const ustring& pattern,
                     std::vector<ustring>& files);

// The whole file; null when it is missing, a directory, cannot be read to
// its end, or holds more than a block can (2^31 - 1 bytes). An empty file
// gives an empty block. Others may read, write and delete the file meanwhile.
slate::SP<slate::MemoryBlock> readNativeFile(const ustring& path);

// A name as the system's wide-character calls take it: `CreateFileW(wide(path),
// ...)`. ustring's unit is UTF-16, as the system's wide character is, so this
// is a cast and not a conversion; it converts to a pointer to any 16-bit unit
// type. The pointer lives as long as `text` does, unchanged.
class WideName {
public:
    explicit WideName(const ustring& text) : m_text(text.c_str()) {}

    template <typename Unit>
    operator const Unit*() const
    {
        static_assert(sizeof(Unit) == sizeof(uchar), "a wide name is UTF-16");
        return reinterpret_cast<const Unit*>(m_text);
    }

private:
    const uchar* m_text;
};

inline WideName wide(const ustring& text)
{
    return WideName(text);
}
