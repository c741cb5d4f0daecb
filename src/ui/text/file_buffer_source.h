// Where a buffer's text is saved: a `BufferSource` names the file and opens
// the stream a save writes into. `FileBufferSource` stands for one file path.
//
// A save never harms the original: the stream collects the encoded bytes and
// `commit` replaces the file in one step through a temporary file beside it,
// renamed over the original only after every byte and the close succeeded.
// A stream destroyed without a successful commit leaves the file as it was.
//
// Main thread.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "filesystem/file_utils.h"
#include "ui/text/encoding.h"
#include "ui/ustring.h"

// The bytes of one save.
class OutStream {
public:
    virtual ~OutStream() = default;
    // Appends `length` bytes; returns how many were taken (0 for null or 0).
    virtual size_t write(const void* bytes, size_t length) = 0;
    // Puts what was written in place of the target. False, with the target
    // untouched, when that failed; the stream is finished either way.
    virtual bool commit() = 0;
};

class BufferSource {
public:
    virtual ~BufferSource() = default;
    virtual const ustring& path() const = 0;
    // The name shown on tabs and titles.
    virtual const ustring& displayName() const = 0;
    // The encoding asked for when reading; 0 means detect.
    virtual FileEncoding encoding() const = 0;
    // A new stream for saving, or null when the target cannot be written.
    virtual std::unique_ptr<OutStream> openOutStream() = 0;
    // Whether the file changed since it was last seen (read or saved by us).
    virtual bool hasChangedOnDisk() = 0;
};

class FileBufferSource : public BufferSource {
public:
    // `path` is a native path; nothing is read here.
    FileBufferSource(ustring path, FileEncoding encoding);

    const ustring& path() const override { return m_path; }
    const ustring& displayName() const override { return m_displayName; }
    FileEncoding encoding() const override { return m_encoding; }
    std::unique_ptr<OutStream> openOutStream() override;
    // Compares the file's time and size with those last seen and remembers
    // the new ones; a missing file counts as unchanged.
    bool hasChangedOnDisk() override;

    // Takes the file's time and size as seen now (after a read or a save).
    void refreshFileStat() { m_fileStat.read(m_path); }

private:
    ustring m_path;
    ustring m_displayName;
    FileEncoding m_encoding;
    FileStat m_fileStat; // as last seen
};
