// The platform-independent half of the file helpers: existence, listings,
// file stamps and line files, built on the native-file layer and the file
// manager.
#include "filesystem/file_utils.h"

#include <algorithm>

#include "filesystem/file_manager.h"
#include "filesystem/native_file.h"
#include "ui/arena_allocator.h"
#include "ui/log.h"
#include "ui/unicode.h"

namespace {

bool isBlankOrComment(const ustring& line)
{
    const size_t first = line.find_first_not_of(u" \t");
    return first == ustring::npos || line[first] == u'#';
}

bool endsWithSeparator(const ustring& path)
{
    return !path.empty() && (path.back() == u'/' || path.back() == u'\\');
}

} // namespace

bool isDirectory(const ustring& path)
{
    return nativeEntryKind(path) == NativeEntryKind::Directory;
}

bool isFile(const ustring& path)
{
    return nativeEntryKind(path) == NativeEntryKind::File;
}

bool FileStat::read(const ustring& path)
{
    modificationTime = 0;
    size = -1;
    if (!isFile(path))
        return false;
    fileModificationTime(path, modificationTime);
    return fileSize(path, size);
}

void listDirectory(const ustring& directory, const ustring& pattern,
                   std::vector<ustring>& directories, std::vector<ustring>& files)
{
    if (directory.empty())
        return;
    VASSERT(endsWithSeparator(directory));
    enumerateDirectory(directory, pattern, [&](const ustring& name, bool isDirectoryEntry) {
        if (isDirectoryEntry)
            directories.push_back(directory + name + kNativePathSeparator);
        else
            files.push_back(directory + name);
    });
}

void listDirectoryToArena(const ustring& directory, const ustring& pattern,
                          std::vector<slate::usubstring>& directories,
                          std::vector<slate::usubstring>& files, ArenaAllocator& directoryArena,
                          ArenaAllocator& fileArena)
{
    if (directory.empty())
        return;
    const ustring base = endsWithSeparator(directory) ? directory : directory + kNativePathSeparator;
    ustring entry;
    enumerateDirectory(base, pattern, [&](const ustring& name, bool isDirectoryEntry) {
        entry = base;
        entry += name;
        if (isDirectoryEntry) {
            entry += kNativePathSeparator;
            directories.push_back(directoryArena.copyString(entry));
        } else {
            files.push_back(fileArena.copyString(entry));
        }
    });
}

AtomicFileWriter::AtomicFileWriter(ustring path) : m_path(std::move(path)) {}

AtomicFileWriter::~AtomicFileWriter()
{
    abandon();
}

bool AtomicFileWriter::open()
{
    if (m_opened || m_failed || m_finished)
        return m_opened && !m_failed && !m_finished;
    m_failed = true;
    if (m_path.empty() || !openTemporary())
        return false;
    m_opened = true;
    m_failed = false;
    return true;
}

bool AtomicFileWriter::write(const void* data, size_t size)
{
    if (!m_opened || m_failed || m_finished)
        return false;
    const char* bytes = static_cast<const char*>(data);
    size_t written = 0;
    while (written < size) {
        const size_t count = writeSome(bytes + written, size - written);
        if (count == 0) {
            m_failed = true;
            return false;
        }
        written += count;
    }
    return true;
}

bool AtomicFileWriter::commit()
{
    if (m_finished)
        return false;
    if (!m_opened && !m_failed)
        open();
    if (!m_opened || m_failed) {
        abandon();
        return false;
    }
    m_finished = true;
    const bool ok = finishTemporary() && replaceTarget();
    if (!ok)
        removeTemporary();
    m_temporary.clear();
    return ok;
}

void AtomicFileWriter::abandon()
{
    m_finished = true;
    if (m_handle != -1)
        closeTemporary();
    m_handle = -1;
    if (!m_temporary.empty())
        removeTemporary();
    m_temporary.clear();
}

bool writeFileAtomically(const ustring& path, const void* data, size_t size)
{
    AtomicFileWriter writer(path);
    return writer.open() && writer.write(data, size) && writer.commit();
}

bool writeFileAtomically(const ustring& path, const std::string& bytes)
{
    return writeFileAtomically(path, bytes.data(), bytes.size());
}

void splitLines(const ustring& text, std::vector<ustring>& lines)
{
    const uchar* position = text.c_str();
    const uchar* end = position + text.size();
    while (position != end && *position) {
        const uchar* lineEnd = position;
        while (lineEnd != end && *lineEnd && *lineEnd != u'\r' && *lineEnd != u'\n')
            ++lineEnd;
        lines.emplace_back(position, lineEnd);
        position = lineEnd;
        if (position != end && *position == u'\r')
            ++position;
        if (position != end && *position == u'\n')
            ++position;
    }
}

bool readLines(const ustring& path, std::vector<ustring>& lines)
{
    if (!slate::FileManager::alive())
        return false;
    slate::SP<slate::MemoryBlock> block = slate::FileManager::get().read(path);
    if (!block)
        return false;
    const char* bytes = reinterpret_cast<const char*>(block->data());
    splitLines(utf8ToUtf16(bytes, bytes + block->size()), lines);
    return true;
}

bool writeLines(const ustring& path, const std::vector<ustring>& lines)
{
    ustring nativePath;
    if (slate::FileManager::alive())
        nativePath = slate::FileManager::get().nativePath(path);
    if (nativePath.empty())
        nativePath = path;
    std::string bytes;
    for (const ustring& line : lines) {
        bytes += toUtf8Replacing(line); // a stray surrogate must not empty the line
        bytes += '\n';
    }
    return writeFileAtomically(nativePath, bytes);
}

bool readSettingsLines(const ustring& path, std::vector<ustring>& lines)
{
    lines.clear();
    if (!readLines(path, lines))
        return false;
    dropBlankAndCommentLines(lines);
    return true;
}

void dropBlankAndCommentLines(std::vector<ustring>& lines)
{
    lines.erase(std::remove_if(lines.begin(), lines.end(), isBlankOrComment), lines.end());
}
