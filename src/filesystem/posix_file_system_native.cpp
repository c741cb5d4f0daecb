// The POSIX counterpart of the Win32 file system for the portable build:
// whole-file reads with stdio, listings with opendir. Paths are UTF-8 on
// disk. Stateless, so it is as thread-safe as the system calls it makes.
#include "filesystem/posix_file_system.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "ui/string_utils.h"
#include "ui/unicode.h"

namespace slate {

namespace {

const int kMaxSearchDepth = 64;

std::string narrow(const ustring& path)
{
    return toUtf8(path);
}

bool statPath(const std::string& path, struct stat& info)
{
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

template <typename Visit>
void enumerate(const std::string& directory, Visit visit)
{
    DIR* listing = opendir(directory.empty() ? "." : directory.c_str());
    if (!listing)
        return;
    while (dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        visit(name);
    }
    closedir(listing);
}

void searchDirectory(const std::string& nativeDirectory, const ustring& relativeDirectory,
                     const ustring& pattern, std::vector<ustring>& files, int depth)
{
    if (depth > kMaxSearchDepth)
        return;
    enumerate(nativeDirectory, [&](const std::string& name) {
        if (name == ".svn")
            return;
        ustring wideName = toUstring(name);
        struct stat info;
        if (!statPath(nativeDirectory + name, info))
            return;
        if (S_ISDIR(info.st_mode))
            searchDirectory(nativeDirectory + name + "/", relativeDirectory + wideName + u'/', pattern,
                            files, depth + 1);
        else if (wildcardMatch(pattern.c_str(), wideName.c_str()))
            files.push_back(relativeDirectory + wideName);
    });
}

} // namespace

PosixFileSystem* PosixFileSystem::create(const ustring& path)
{
    ustring root = path;
    if (root.empty() || root[0] != u'/') {
        char* current = getcwd(nullptr, 0);
        if (!current)
            return nullptr;
        ustring base = toUstring(current);
        free(current);
        root = root.empty() ? base : base + u'/' + root;
    }
    if (root.back() != u'/')
        root += u'/';
    struct stat info;
    if (!statPath(narrow(root), info) || !S_ISDIR(info.st_mode))
        return nullptr;
    return new PosixFileSystem(root);
}

SP<MemoryBlock> PosixFileSystem::read(const ustring& path)
{
    std::string native = narrow(m_root + path);
    struct stat info;
    if (!statPath(native, info) || !S_ISREG(info.st_mode) || info.st_size > 0x7FFFFFFF)
        return nullptr;
    FILE* file = fopen(native.c_str(), "rb");
    if (!file)
        return nullptr;
    const uint32_t size = static_cast<uint32_t>(info.st_size);
    std::unique_ptr<uint8_t[]> bytes(size ? new uint8_t[size] : nullptr);
    size_t got = size ? fread(bytes.get(), 1, size, file) : 0;
    // The file must end where its size said.
    bool whole = got == size && fgetc(file) == EOF;
    fclose(file);
    if (!whole)
        return nullptr;
    return SP<MemoryBlock>(new SimpleMemoryBlock(std::move(bytes), size));
}

bool PosixFileSystem::readAsync(const ustring&, ReadCompletion)
{
    return false;
}

void PosixFileSystem::poll() {}

void PosixFileSystem::listFiles(const ustring& pathOrPattern, std::vector<ustring>& entries)
{
    size_t slash = pathOrPattern.rfind(u'/');
    ustring prefix = slash == ustring::npos ? ustring() : pathOrPattern.substr(0, slash + 1);
    ustring last = pathOrPattern.substr(prefix.size());
    if (last.find_first_of(u"*?") == ustring::npos) {
        if (!last.empty() && exists(pathOrPattern))
            entries.push_back(pathOrPattern);
        return;
    }
    enumerate(narrow(m_root + prefix), [&](const std::string& name) {
        ustring wideName = toUstring(name);
        if (wildcardMatch(last.c_str(), wideName.c_str()))
            entries.push_back(prefix + wideName);
    });
}

void PosixFileSystem::findFiles(const ustring& directory, const ustring& pattern,
                                std::vector<ustring>& files)
{
    searchDirectory(narrow(m_root + directory), directory, pattern, files, 0);
}

bool PosixFileSystem::exists(const ustring& path)
{
    struct stat info;
    return statPath(narrow(m_root + path), info);
}

bool PosixFileSystem::remove(const ustring& path)
{
    std::string native = narrow(m_root + path);
    struct stat info;
    return statPath(native, info) && !S_ISDIR(info.st_mode) && ::unlink(native.c_str()) == 0;
}

bool PosixFileSystem::rename(const ustring& oldPath, const ustring& newPath)
{
    std::string from = narrow(m_root + oldPath);
    std::string to = narrow(m_root + newPath);
    struct stat info;
    if (!statPath(from, info) || statPath(to, info))
        return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

ustring PosixFileSystem::nativePath(const ustring& path)
{
    return m_root + path;
}

void PosixFileSystem::takeChanges(std::vector<FileChange>&) {}

} // namespace slate
