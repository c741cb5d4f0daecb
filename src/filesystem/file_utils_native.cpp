// The POSIX side of the file helpers for the portable build (tests and
// tools). Paths are UTF-8 on disk; times are converted to the Win32 build's
// 100-nanosecond units since 1601 so that stamps compare the same way.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "filesystem/file_utils.h"
#include "ui/unicode.h"

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
const int64_t kEpochDifferenceSeconds = 11644473600LL;

// A file that can be opened for reading, as the Win32 queries require.
bool statReadableFile(const ustring& path, struct stat& info)
{
    std::string native = toUtf8(path);
    if (native.empty())
        return false;
    int descriptor = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    bool ok = ::fstat(descriptor, &info) == 0;
    ::close(descriptor);
    return ok;
}

std::atomic<unsigned> s_temporaryCounter{0};

} // namespace

const uchar kNativePathSeparator = u'/';

ustring executableDirectory()
{
    char buffer[4096];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return ustring();
    std::string path(buffer, static_cast<size_t>(length));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? ustring() : toUstring(path.substr(0, slash));
}

ustring currentDirectory()
{
    char* current = getcwd(nullptr, 0);
    if (!current)
        return ustring();
    ustring result = toUstring(current);
    free(current);
    return result;
}

ustring longFileName(const ustring& path)
{
    // The disk keeps names as typed here: only a relative name changes.
    if (path.empty() || path[0] == u'/')
        return path;
    const ustring directory = currentDirectory();
    if (directory.empty())
        return path;
    return directory.back() == u'/' ? directory + path : directory + u'/' + path;
}

bool setCurrentDirectory(const ustring& path)
{
    std::string native = toUtf8(path);
    return !native.empty() && ::chdir(native.c_str()) == 0;
}

ustring applicationDataDirectory()
{
    if (const char* config = getenv("XDG_CONFIG_HOME"); config && *config)
        return toUstring(config);
    if (const char* home = getenv("HOME"); home && *home)
        return toUstring(std::string(home) + "/.config");
    return ustring();
}

bool createDirectory(const ustring& path)
{
    const std::string native = toUtf8(path);
    return (!native.empty() && ::mkdir(native.c_str(), 0777) == 0) || isDirectory(path);
}

bool fileModificationTime(const ustring& path, int64_t& time)
{
    struct stat info;
    if (!statReadableFile(path, info) || S_ISDIR(info.st_mode))
        return false;
    time = (static_cast<int64_t>(info.st_mtim.tv_sec) + kEpochDifferenceSeconds) * 10000000 +
           info.st_mtim.tv_nsec / 100;
    return true;
}

bool fileSize(const ustring& path, int64_t& size)
{
    struct stat info;
    if (!statReadableFile(path, info) || S_ISDIR(info.st_mode))
        return false;
    size = info.st_size;
    return true;
}

bool AtomicFileWriter::openTemporary()
{
    const std::string target = toUtf8(m_path);
    if (target.empty())
        return false;
    struct stat original;
    m_targetExists = ::stat(target.c_str(), &original) == 0;
    // A read-only file is refused even where the directory would allow the
    // rename (and even for root), as the Win32 build refuses it.
    if (m_targetExists && (S_ISDIR(original.st_mode) || !(original.st_mode & S_IWUSR)))
        return false;
    m_attributes = m_targetExists ? static_cast<uint32_t>(original.st_mode & 07777) : 0;
    int descriptor = -1;
    std::string temporary;
    for (int attempt = 0; attempt < 16 && descriptor < 0; ++attempt) {
        char suffix[32];
        snprintf(suffix, sizeof(suffix), ".%08x.tmp",
                 static_cast<unsigned>(getpid() << 12) ^ s_temporaryCounter++);
        temporary = target + suffix;
        descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                            m_targetExists ? m_attributes : 0666);
        if (descriptor < 0 && errno != EEXIST)
            return false;
    }
    if (descriptor < 0)
        return false;
    m_temporary = toUstring(temporary);
    m_handle = descriptor;
    return true;
}

size_t AtomicFileWriter::writeSome(const char* bytes, size_t size)
{
    for (;;) {
        const ssize_t count = ::write(static_cast<int>(m_handle), bytes, size);
        if (count < 0 && errno == EINTR)
            continue;
        return count <= 0 ? 0 : static_cast<size_t>(count);
    }
}

bool AtomicFileWriter::finishTemporary()
{
    const int descriptor = static_cast<int>(m_handle);
    m_handle = -1;
    bool ok = ::fsync(descriptor) == 0;
    if (m_targetExists && ok)
        ::fchmod(descriptor, m_attributes);
    return ::close(descriptor) == 0 && ok;
}

bool AtomicFileWriter::replaceTarget()
{
    return ::rename(toUtf8(m_temporary).c_str(), toUtf8(m_path).c_str()) == 0;
}

void AtomicFileWriter::closeTemporary()
{
    ::close(static_cast<int>(m_handle));
}

void AtomicFileWriter::removeTemporary()
{
    ::unlink(toUtf8(m_temporary).c_str());
}
