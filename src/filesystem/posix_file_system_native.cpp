// The POSIX counterpart of the Win32 file system for the portable build:
// reads, listings and searches on root + path through the native-file layer.
// Stateless, so it is as thread-safe as the system calls it makes.
#include "filesystem/posix_file_system.h"

#include <cstdio>

#include "filesystem/file_utils.h"
#include "filesystem/native_file.h"
#include "ui/unicode.h"

namespace slate {

PosixFileSystem* PosixFileSystem::create(const ustring& path)
{
    ustring root = path;
    if (root.empty() || root[0] != u'/') {
        const ustring base = currentDirectory();
        if (base.empty())
            return nullptr;
        root = root.empty() ? base : base + u'/' + root;
    }
    if (root.back() != u'/')
        root += u'/';
    if (nativeEntryKind(root) != NativeEntryKind::Directory)
        return nullptr;
    return new PosixFileSystem(root);
}

SP<MemoryBlock> PosixFileSystem::read(const ustring& path)
{
    return readNativeFile(m_root + path);
}

bool PosixFileSystem::readAsync(const ustring&, ReadCompletion)
{
    return false;
}

void PosixFileSystem::poll() {}

void PosixFileSystem::listFiles(const ustring& pathOrPattern, std::vector<ustring>& entries)
{
    // A plain name is looked up rather than searched for in its directory.
    const size_t slash = pathOrPattern.rfind(u'/');
    const ustring last = pathOrPattern.substr(slash == ustring::npos ? 0 : slash + 1);
    if (last.find_first_of(u"*?") != ustring::npos)
        listNativeEntries(m_root, pathOrPattern, entries);
    else if (!last.empty() && exists(pathOrPattern))
        entries.push_back(pathOrPattern);
}

void PosixFileSystem::findFiles(const ustring& directory, const ustring& pattern,
                                std::vector<ustring>& files)
{
    findNativeFiles(m_root, directory, pattern, files);
}

bool PosixFileSystem::exists(const ustring& path)
{
    return nativeEntryKind(m_root + path) != NativeEntryKind::Missing;
}

bool PosixFileSystem::remove(const ustring& path)
{
    const ustring native = m_root + path;
    return nativeEntryKind(native) == NativeEntryKind::File && ::remove(toUtf8(native).c_str()) == 0;
}

bool PosixFileSystem::rename(const ustring& oldPath, const ustring& newPath)
{
    const ustring from = m_root + oldPath;
    const ustring to = m_root + newPath;
    if (nativeEntryKind(from) == NativeEntryKind::Missing ||
        nativeEntryKind(to) != NativeEntryKind::Missing)
        return false;
    return ::rename(toUtf8(from).c_str(), toUtf8(to).c_str()) == 0;
}

ustring PosixFileSystem::nativePath(const ustring& path)
{
    return m_root + path;
}

void PosixFileSystem::takeChanges(std::vector<FileChange>&) {}

} // namespace slate
