// The POSIX side of the native-file layer for the portable build. Names are
// UTF-8 on disk; an entry is a directory when the path it names (links
// followed) is one, as the Win32 build sees a link to a directory.
#include "filesystem/native_file.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "ui/string_utils.h"
#include "ui/unicode.h"

namespace {

bool statPath(const std::string& path, struct stat& info)
{
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

} // namespace

NativeEntryKind nativeEntryKind(const ustring& path)
{
    struct stat info;
    if (!statPath(toUtf8(path), info))
        return NativeEntryKind::Missing;
    return S_ISDIR(info.st_mode) ? NativeEntryKind::Directory : NativeEntryKind::File;
}

bool enumerateDirectory(const ustring& directory, const ustring& pattern,
                        const DirectoryVisitor& visit)
{
    const std::string native = toUtf8(directory);
    DIR* listing = opendir(native.empty() ? "." : native.c_str());
    if (!listing)
        return errno == ENOENT || errno == ENOTDIR;
    while (dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const ustring wideName = toUstring(name);
        if (!wildcardMatch(pattern.c_str(), wideName.c_str()))
            continue;
        struct stat info;
        visit(wideName, statPath(native + name, info) && S_ISDIR(info.st_mode));
    }
    closedir(listing);
    return true;
}

slate::SP<slate::MemoryBlock> readNativeFile(const ustring& path)
{
    const std::string native = toUtf8(path);
    struct stat info;
    if (!statPath(native, info) || !S_ISREG(info.st_mode) || info.st_size > 0x7FFFFFFF)
        return nullptr;
    FILE* file = fopen(native.c_str(), "rb");
    if (!file)
        return nullptr;
    const uint32_t size = static_cast<uint32_t>(info.st_size);
    std::unique_ptr<uint8_t[]> bytes(size ? new uint8_t[size] : nullptr);
    const size_t got = size ? fread(bytes.get(), 1, size, file) : 0;
    // The file must end where its size said.
    const bool whole = got == size && fgetc(file) == EOF;
    fclose(file);
    if (!whole)
        return nullptr;
    return slate::SP<slate::MemoryBlock>(new slate::SimpleMemoryBlock(std::move(bytes), size));
}
