// The Win32 side of the file helpers: the system's calls for the well-known
// directories, times and sizes, and the temporary-file-and-rename that
// replaces a file's contents safely.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>

#include <vector>

#include "filesystem/file_utils.h"
#include "filesystem/native_file.h"

namespace {

// Opens an existing file for attribute reads, sharing read access only, as
// the time and size queries are specified to.
HANDLE openForQuery(const ustring& path)
{
    return CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::atomic<unsigned> s_temporaryCounter{0};

// Creates a new, empty temporary file beside `path`. Its name keeps the
// original one but does not end in its extension, so watches on the
// original's kind of file do not see it. Empty and INVALID_HANDLE_VALUE when
// none could be made.
HANDLE createTemporaryBeside(const ustring& path, ustring& temporaryPath)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        unsigned tag = (GetCurrentProcessId() << 12) ^ (GetTickCount() << 4) ^ s_temporaryCounter++;
        WCHAR suffix[32];
        wsprintfW(suffix, u".%08x.tmp", tag);
        temporaryPath = path + reinterpret_cast<const uchar*>(suffix);
        HANDLE file = CreateFileW(wide(temporaryPath), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    temporaryPath.clear();
    return INVALID_HANDLE_VALUE;
}

} // namespace

const uchar kNativePathSeparator = u'\\';

ustring executableDirectory()
{
    WCHAR buffer[2048];
    DWORD length = GetModuleFileNameW(nullptr, buffer, 2048);
    if (length == 0 || length >= 2048)
        return ustring();
    ustring path(reinterpret_cast<const uchar*>(buffer), length);
    size_t backslash = path.rfind(u'\\');
    return backslash == ustring::npos ? ustring() : path.substr(0, backslash);
}

ustring currentDirectory()
{
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0)
        return ustring();
    ustring path(length, u'\0');
    DWORD written = GetCurrentDirectoryW(length, reinterpret_cast<WCHAR*>(&path[0]));
    if (written == 0 || written >= length)
        return ustring();
    path.resize(written);
    return path;
}

ustring longFileName(const ustring& path)
{
    // Both calls report the size they need when the buffer is short.
    std::vector<WCHAR> full(MAX_PATH);
    DWORD length = GetFullPathNameW(wide(path), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length + 1);
        length = GetFullPathNameW(wide(path), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    if (length == 0 || length >= full.size())
        return path;
    std::vector<WCHAR> longName(length + MAX_PATH);
    DWORD longLength = GetLongPathNameW(full.data(), longName.data(), static_cast<DWORD>(longName.size()));
    if (longLength >= longName.size()) {
        longName.resize(longLength + 1);
        longLength = GetLongPathNameW(full.data(), longName.data(), static_cast<DWORD>(longName.size()));
    }
    if (longLength == 0 || longLength >= longName.size())
        return ustring(reinterpret_cast<const uchar*>(full.data()), length);
    return ustring(reinterpret_cast<const uchar*>(longName.data()), longLength);
}

bool setCurrentDirectory(const ustring& path)
{
    return SetCurrentDirectoryW(wide(path)) != FALSE;
}

ustring applicationDataDirectory()
{
    WCHAR buffer[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return ustring();
    return ustring(reinterpret_cast<const uchar*>(buffer));
}

bool createDirectory(const ustring& path)
{
    return CreateDirectoryW(wide(path), nullptr) || isDirectory(path);
}

bool fileModificationTime(const ustring& path, int64_t& time)
{
    HANDLE file = openForQuery(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME lastWrite;
    bool ok = GetFileTime(file, nullptr, nullptr, &lastWrite) != FALSE;
    CloseHandle(file);
    if (ok)
        time = static_cast<int64_t>((static_cast<uint64_t>(lastWrite.dwHighDateTime) << 32) |
                                    lastWrite.dwLowDateTime);
    return ok;
}

bool fileSize(const ustring& path, int64_t& size)
{
    HANDLE file = openForQuery(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER value;
    bool ok = GetFileSizeEx(file, &value) != FALSE;
    CloseHandle(file);
    if (ok)
        size = value.QuadPart;
    return ok;
}

bool AtomicFileWriter::openTemporary()
{
    const DWORD attributes = GetFileAttributesW(wide(m_path));
    m_targetExists = attributes != INVALID_FILE_ATTRIBUTES;
    if (m_targetExists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return false;
    m_attributes = m_targetExists ? attributes : 0;
    HANDLE file = createTemporaryBeside(m_path, m_temporary);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    m_handle = reinterpret_cast<intptr_t>(file);
    return true;
}

size_t AtomicFileWriter::writeSome(const char* bytes, size_t size)
{
    // WriteFile takes a 32-bit count: larger buffers go in pieces.
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(size, 0x40000000));
    DWORD count = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(m_handle), bytes, piece, &count, nullptr))
        return 0;
    return count;
}

bool AtomicFileWriter::finishTemporary()
{
    HANDLE file = reinterpret_cast<HANDLE>(m_handle);
    m_handle = -1;
    bool ok = FlushFileBuffers(file) != FALSE;
    ok = CloseHandle(file) != FALSE && ok;
    // Keep what the user set on the original (hidden, for instance).
    if (ok && m_targetExists)
        SetFileAttributesW(wide(m_temporary), m_attributes);
    return ok;
}

bool AtomicFileWriter::replaceTarget()
{
    return MoveFileExW(wide(m_temporary), wide(m_path),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void AtomicFileWriter::closeTemporary()
{
    CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

void AtomicFileWriter::removeTemporary()
{
    DeleteFileW(wide(m_temporary));
}
