// Where a buffer's text comes from and is saved to: a `BufferSource` names
// the file, reads it into a fresh token storage on a thread of its own, and
// opens the stream a save writes into. `FileBufferSource` stands for one file
// path.
//
// A read hands its result to the main thread through the main-thread call
// queue; the receiver's completion runs there, at most once, and never after
// the read was cancelled (cancelRead, a new startRead, the source's
// destruction), so a receiver that goes away first only has to cancel.
//
// A save never harms the original: the stream collects the encoded bytes and
// `commit` replaces the file in one step through a temporary file beside it,
// renamed over the original only after every byte and the close succeeded.
// A stream destroyed without a successful commit leaves the file as it was.
//
// Main thread, except where a declaration says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "filesystem/file_utils.h"
#include "ui/platform.h"
#include "ui/text/encoding.h"
#include "ui/text/read_job.h"
#include "ui/thread.h"
#include "ui/ustring.h"

class TokenStorage;

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

    // Starts reading the file into `storage` (a fresh, empty one, made with
    // the buffer's syntax and styler; the read owns it until it hands it
    // back) on a thread of its own, cancelling a read still running first.
    // `fallback` is the encoding used when detection rejects UTF-8; it is
    // copied now. `completion` runs later on the main thread with the result,
    // the storage in it on success, or the failure; it does not run when the
    // read is cancelled first. Returns the thread's handle (valid until the
    // next read, cancelRead or the source's end), or null when no thread
    // could be started (or `storage` is null): then nothing was read and
    // `completion` never runs.
    virtual platform::ThreadHandle startRead(std::unique_ptr<TokenStorage> storage, FileEncoding fallback,
                                             ReadCompletion completion) = 0;
    // Stops a running read and waits for its thread (4000 ms at most, after
    // which the thread is left to end on its own). Afterwards no completion
    // of it runs, also one already waiting in the main-thread queue.
    virtual void cancelRead() = 0;
    // The fraction of the file read so far, 0 to 1; 0 without a read.
    virtual double readProgress() const = 0;
    // Bytes of the file that the last completed read could not decode; 0
    // before any, and after a save through this source. While it is not 0 a
    // save over the file needs the caller's explicit consent
    // (TokenStorage::write).
    virtual uint64_t undecodableBytes() const = 0;
    // Makes the file's folder the process's current directory.
    virtual void makeDirectoryCurrent() = 0;
    // A new stream for saving, or null when the target cannot be written.
    virtual std::unique_ptr<OutStream> openOutStream() = 0;
    // Whether the file changed since it was last seen (read or saved by us).
    virtual bool hasChangedOnDisk() = 0;
};

class FileBufferSource : public BufferSource {
public:
    // How long cancelRead waits for the reading thread.
    static constexpr uint32_t kCancelWaitMs = 4000;

    // `path` is a native path; nothing is read here.
    FileBufferSource(ustring path, FileEncoding encoding);
    // Cancels a running read.
    ~FileBufferSource() override;
    FileBufferSource(const FileBufferSource&) = delete;
    FileBufferSource& operator=(const FileBufferSource&) = delete;

    const ustring& path() const override { return m_path; }
    const ustring& displayName() const override { return m_displayName; }
    FileEncoding encoding() const override { return m_encoding; }
    platform::ThreadHandle startRead(std::unique_ptr<TokenStorage> storage, FileEncoding fallback,
                                     ReadCompletion completion) override;
    void cancelRead() override;
    double readProgress() const override;
    uint64_t undecodableBytes() const override { return m_undecodableBytes; }
    void makeDirectoryCurrent() override;
    std::unique_ptr<OutStream> openOutStream() override;
    // Compares the file's time and size with those last seen and remembers
    // the new ones; a missing file counts as unchanged.
    bool hasChangedOnDisk() override;

    // Takes the file's time and size as seen now (after a read or a save).
    void refreshFileStat() { m_fileStat.read(m_path); }
    // After our own save the file holds exactly the text.
    void savedOverFile()
    {
        refreshFileStat();
        m_undecodableBytes = 0;
    }

    // For tests: how the reading thread opens the file (empty: the real
    // file), taken by the next startRead; and how long cancelRead waits.
    void setFileOpener(FileOpener opener) { m_opener = std::move(opener); }
    void setCancelWait(uint32_t milliseconds) { m_cancelWaitMs = milliseconds; }

private:
    // Main thread, from the posted completion: hands the result on.
    void completeRead(ReadJob& job);

    ustring m_path;
    ustring m_displayName;
    FileEncoding m_encoding;
    FileStat m_fileStat; // as last seen
    uint64_t m_undecodableBytes = 0; // of the last completed read
    // The running or last read, shared with its thread; null before the
    // first read and after cancelRead. Its receiver is this source exactly
    // while its completion may still be delivered.
    std::shared_ptr<ReadJob> m_job;
    Thread m_thread; // the job's thread
    FileOpener m_opener;
    uint32_t m_cancelWaitMs = kCancelWaitMs;
};
