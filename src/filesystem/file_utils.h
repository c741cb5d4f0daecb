// Small file helpers on native paths: the program's well-known directories,
// existence, time and size of files, directory listings, safe replacement of
// a file's contents, and line files (options, recorded macros). The Win32
// build implements them with the system's calls; the native build (tests and
// tools) over POSIX, where names are matched case-sensitively and listed
// directories end in "/" rather than a backslash. Listings and existence go
// through the native-file layer (native_file.h). Every function may run on
// any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/ustring.h"

class ArenaAllocator;

// What separates the parts of a native path: a backslash in the Win32 build,
// "/" in the native one.
extern const uchar kNativePathSeparator;

// The folder of the running executable, without a final separator.
ustring executableDirectory();
// The process's current directory; empty when it cannot be read.
ustring currentDirectory();
bool setCurrentDirectory(const ustring& path);
// The user's roaming application-data folder; empty when it cannot be found.
ustring applicationDataDirectory();

// The path exists and is a directory.
bool isDirectory(const ustring& path);
// Creates the directory (its parent must exist). True when it was created or
// already was a directory.
bool createDirectory(const ustring& path);
// The path exists and is not a directory.
bool isFile(const ustring& path);
// The full name of the existing file or folder `path`, in its long form and
// with the case the disk gives it ("Z:\tmp\Notes.txt" for "/tmp/notes.txt"
// under Wine), so that one file has one name however it was typed; `path`
// itself when the system cannot say.
ustring longFileName(const ustring& path);

// The file's last-write time in the system's 100-nanosecond units (since
// 1601). False, with `time` unchanged, when the file cannot be opened for
// reading with read sharing only: missing, or held open for writing by
// another program.
bool fileModificationTime(const ustring& path, int64_t& time);
// The file's size in bytes; false as for fileModificationTime.
bool fileSize(const ustring& path, int64_t& size);

// A file's stamp, compared field by field to see whether it changed on disk.
struct FileStat {
    int64_t modificationTime = 0; // 0 when unknown
    int64_t size = -1;            // -1 when unknown

    // Resets to {0, -1}, then fills both when the path is a file. The result
    // is whether the size could be read (false for no file).
    bool read(const ustring& path);
};

inline bool operator==(const FileStat& a, const FileStat& b)
{
    return a.modificationTime == b.modificationTime && a.size == b.size;
}
inline bool operator!=(const FileStat& a, const FileStat& b) { return !(a == b); }

// Appends the entries of `directory` (empty, or ending in "/" or a backslash)
// that match the wildcard `pattern`, other than "." and "..", in the order the
// system lists them: subdirectories as directory + name + a backslash to
// `directories`, files as directory + name to `files`. An empty or unreadable
// directory adds nothing.
void listDirectory(const ustring& directory, const ustring& pattern,
                   std::vector<ustring>& directories, std::vector<ustring>& files);
// As listDirectory, except that a directory without a final separator gets a
// backslash, and each result is copied NUL-terminated into its arena and
// appended as a view of that copy (valid until the arena is cleared).
void listDirectoryToArena(const ustring& directory, const ustring& pattern,
                          std::vector<slate::usubstring>& directories,
                          std::vector<slate::usubstring>& files, ArenaAllocator& directoryArena,
                          ArenaAllocator& fileArena);

// Replaces the contents of the native file `path` (creating it when missing)
// without ever leaving it half written: the bytes go to a temporary file in
// the same directory, which is then renamed over the original. False, with
// the original untouched and no temporary file left, when anything fails,
// including a target that is read-only or a directory.
bool writeFileAtomically(const ustring& path, const void* data, size_t size);
bool writeFileAtomically(const ustring& path, const std::string& bytes);

// The same replacement fed piece by piece, so that a large file never has to
// be held whole in memory: `open` makes the temporary file beside the target,
// each `write` goes straight into it, and `commit` flushes and closes it and
// only then renames it over the target. Any failure (a read-only or directory
// target, a write, the flush, the close, the rename) makes `commit` false and
// leaves the target untouched; a writer destroyed without a successful commit
// removes its temporary file. One thread at a time.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(ustring path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False when the target cannot be replaced or the temporary file cannot
    // be made; the writer is then failed.
    bool open();
    // Writes every byte (nothing for a size of 0); false, and the writer
    // failed, when that did not happen or the writer is not open.
    bool write(const void* data, size_t size);
    // Opens first when nothing was written. True only when the target now
    // holds exactly what was written. The writer is finished either way.
    bool commit();

private:
    void abandon();

    // The platform's own steps, defined beside the other native helpers.
    // Checks the target may be replaced (setting m_targetExists and
    // m_attributes) and creates the temporary file (m_temporary, m_handle).
    bool openTemporary();
    // Writes some of the bytes; how many, 0 on failure.
    size_t writeSome(const char* bytes, size_t size);
    // Flushes the temporary file to disk, gives it the target's attributes
    // and closes it; m_handle is -1 afterwards.
    bool finishTemporary();
    bool replaceTarget();
    void closeTemporary();
    void removeTemporary();

    ustring m_path;
    ustring m_temporary; // empty until open
    intptr_t m_handle = -1; // the open temporary file, -1 when none
    uint32_t m_attributes = 0; // of the target, when it exists
    bool m_targetExists = false;
    bool m_opened = false;
    bool m_failed = false;
    bool m_finished = false;
};

// Appends the lines of `text`, split at LF, CR and CR LF. A line end at the
// very end gives no empty last line; a NUL ends the text.
void splitLines(const ustring& text, std::vector<ustring>& lines);

// Reads the file at the virtual path through the file manager, decodes it as
// UTF-8 (text that is not well-formed gives no lines) and appends its lines
// without clearing `lines` first. False when the file cannot be read or there
// is no file manager.
bool readLines(const ustring& path, std::vector<ustring>& lines);

// Writes a line file: each line in UTF-8 followed by LF, replacing the file
// atomically (writeFileAtomically); an unpaired surrogate is written as
// U+FFFD (toUtf8Replacing). `path` is virtual when the file manager
// can name it natively, else taken as a native path. False when it cannot be
// written.
bool writeLines(const ustring& path, const std::vector<ustring>& lines);
// Clears `lines` and reads the line file at the virtual `path` through the
// file manager (UTF-8; LF, CR or CR LF line ends; a NUL ends the text),
// dropping blank lines and comments (dropBlankAndCommentLines). False when
// the file cannot be read.
bool readSettingsLines(const ustring& path, std::vector<ustring>& lines);
// Removes the lines that hold only blanks and TABs, and the comments: lines
// whose first unit after leading blanks and TABs is "#".
void dropBlankAndCommentLines(std::vector<ustring>& lines);
