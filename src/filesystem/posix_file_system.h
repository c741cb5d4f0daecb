// A native directory mounted into the virtual file system in the portable
// build, for command-line tools and tests that read real files. It reads,
// lists and searches like the Win32 file system, but names are matched
// case-sensitively as POSIX does, and it does not watch: it never reports a
// change.
#pragma once

#include "filesystem/file_system.h"

namespace slate {

class PosixFileSystem final : public FileSystem {
public:
    // Mounts the directory `path` (absolute, or relative to the current
    // directory). Null when it is not an existing directory. The caller owns
    // the result.
    static PosixFileSystem* create(const ustring& path);

    SP<MemoryBlock> read(const ustring& path) override;
    bool readAsync(const ustring& path, ReadCompletion completion) override;
    void poll() override;
    void listFiles(const ustring& pathOrPattern, std::vector<ustring>& entries) override;
    void findFiles(const ustring& directory, const ustring& pattern,
                   std::vector<ustring>& files) override;
    bool exists(const ustring& path) override;
    bool remove(const ustring& path) override;
    bool rename(const ustring& oldPath, const ustring& newPath) override;
    ustring nativePath(const ustring& path) override;
    void takeChanges(std::vector<FileChange>& changes) override;

    // Absolute, ending in "/".
    const ustring& root() const { return m_root; }

private:
    explicit PosixFileSystem(const ustring& root) : m_root(root) {}

    ustring m_root;
};

} // namespace slate
