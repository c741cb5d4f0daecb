// One read of a file into a fresh token storage: the work a file buffer
// source hands to its reading thread, and what comes back to the main thread.
//
// The job is shared between the source (main thread) and the reading thread
// through a std::shared_ptr, so whichever lets go last frees it; the source
// may give a job up (cancel, a new read, its own destruction) while the
// thread still runs, and the thread then finishes on a job nobody else sees.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "ui/text/encoding.h"
#include "ui/text/line_ending.h"
#include "ui/ustring.h"

class FileBufferSource;
class TokenStorage;

// A file opened for reading, as the reader needs it. Tests stand in for the
// file with their own (to hold a read up, or to fail it); the program opens
// real files with openReadableFile.
class ReadableFile {
public:
    virtual ~ReadableFile() = default;
    // The size in bytes, or -1 when it cannot be told.
    virtual int64_t size() = 0;
    // Reads up to `capacity` bytes into `into` and returns how many came.
    // Fewer than asked only at the end of the file or on an error; an error
    // sets `failed` and leaves `error` saying why (it may stay empty).
    virtual size_t read(void* into, size_t capacity, bool& failed, ustring& error) = 0;
};

// Opens `path` (a native path) for reading, sequentially. Null, with `error`
// saying why where the system tells, when it is missing, a folder, or cannot
// be opened. Any thread.
std::unique_ptr<ReadableFile> openReadableFile(const ustring& path, ustring& error);

using FileOpener = std::function<std::unique_ptr<ReadableFile>(const ustring& path, ustring& error)>;

enum class ReadStatus {
    completed,  // the whole file is in the storage
    cancelled,  // stopped by the cancel flag; no storage
    openFailed, // the file could not be opened; no storage
    readFailed, // reading stopped with an error; no storage (never half a file)
};

// What a read hands to its receiver on the main thread.
struct ReadResult {
    ReadStatus status = ReadStatus::cancelled;
    // The filled storage, only when completed; the receiver takes it over.
    // Its encoding is the one read with (UTF-8 for an empty file read with
    // detection) and its line ending the kind found in the first chunk
    // (untouched, still the default, for an empty file).
    std::unique_ptr<TokenStorage> storage;
    FileEncoding encoding = kEncodingUndefined; // as the storage's, when completed
    // Bytes of the file that did not decode (replaced by "?" or U+0000, or
    // the odd last byte of UTF-16). Non-zero means saving the text over the
    // file would change bytes the user never touched.
    uint64_t undecodableBytes = 0;
    uint64_t firstUndecodableOffset = 0; // meaningful when the count is not 0
    // Why it failed, for openFailed and readFailed; may be empty.
    ustring error;
};

using ReadCompletion = std::function<void(ReadResult result)>;

// One read. Made and started by FileBufferSource::startRead; a benchmark or
// a test may also run one on its own thread.
class ReadJob {
public:
    // The size of each read and of the decoder's reused buffers.
    static constexpr size_t kChunkSize = 0x40000;

    // Everything the thread needs is copied in here, on the main thread,
    // before the thread starts: the thread never looks at the source.
    ReadJob(ustring path, FileEncoding requested, FileEncoding fallback,
            std::unique_ptr<TokenStorage> storage, FileOpener opener);
    ~ReadJob();
    ReadJob(const ReadJob&) = delete;
    ReadJob& operator=(const ReadJob&) = delete;

    // The reading thread's work: opens and decodes the file into the
    // storage, unlexed (TokenStorage::appendWithoutLexing), and leaves the
    // outcome in `result`. Runs once, on any single thread; stops early, dropping the storage, when the cancel flag is set
    // (tested before the open, after it, between chunks and before the last
    // decode). Never throws.
    void run();

    // Makes run() read with `decoder`, reset first, instead of a decoder of
    // its own: for callers that run many small reads one after another, for
    // whom the decoder's buffers cost more than the reading. Not owned; it
    // must outlive run(). Call before run().
    void useDecoder(StreamDecoder* decoder) { m_decoder = decoder; }

    // Any thread.
    void cancel() { m_cancel.store(true, std::memory_order_relaxed); }
    bool isCancelled() const { return m_cancel.load(std::memory_order_relaxed); }
    // Bytes read so far and the size taken when the file was opened.
    uint64_t bytesRead() const { return m_bytesRead.load(std::memory_order_relaxed); }
    uint64_t totalBytes() const { return m_totalBytes.load(std::memory_order_relaxed); }

    // Written by run(); read by the main thread only after the thread posted
    // its completion (the queue's lock orders the two).
    ReadResult result;

    // Main thread only: who receives the result. Null once the source gave
    // the job up; this is the token a posted completion checks before it
    // touches anything, so a receiver destroyed while the completion waited
    // in the queue is never reached.
    FileBufferSource* receiver = nullptr;
    ReadCompletion completion; // main thread only; emptied when given up

private:
    void readChunks(ReadableFile& file);
    // Normalises the decoder's last output in place and appends it.
    void appendDecoded(uchar* begin, uchar* end);
    void insertAtEnd(const uchar* begin, const uchar* end);
    void finish(ReadStatus status, ustring error = ustring());

    const ustring m_path;
    const FileEncoding m_requested;
    const FileEncoding m_fallback;
    const FileOpener m_opener; // empty: openReadableFile
    // The storage being filled; the thread's until it is moved into result.
    std::unique_ptr<TokenStorage> m_storage;
    StreamDecoder* m_decoder = nullptr; // see useDecoder; null: run() makes its own
    NewlineState m_newlineState = NewlineState::nsNormal; // one per file, across chunks
    std::atomic<bool> m_cancel{false};
    std::atomic<uint64_t> m_bytesRead{0};  // written by the thread only
    std::atomic<uint64_t> m_totalBytes{0}; // written by the thread only
};
