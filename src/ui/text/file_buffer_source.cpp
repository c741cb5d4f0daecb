// The file behind a buffer. Reading runs a ReadJob on a thread of its own
// (the platform's thread start: CreateThread in the Win32 build); the job is
// shared by this source and the thread, and the thread posts its end to the
// main thread as a call that holds the job too. That call delivers only while
// the job's receiver is still this source: cancelling, starting another read
// and destroying the source all clear the receiver on the main thread first,
// so a completion that waited in the queue behind the source's destruction
// finds no receiver and touches nothing but the job it owns.
//
// Saving collects the encoded text and hands it to
// the file helpers' atomic replacement, which writes a temporary file in the
// same folder, checks every write and the close, and only then renames it
// over the original; so a full disk, a read-only file or a folder in the way
// leaves the original byte for byte as it was.
#include "ui/text/file_buffer_source.h"

#include "filesystem/path_parts.h"
#include "ui/log.h"
#include "ui/main_thread_queue.h"
#include "ui/text/token/token_storage.h"

namespace {

class FileOutStream : public OutStream {
public:
    explicit FileOutStream(FileBufferSource& source) : m_source(source) {}

    size_t write(const void* bytes, size_t length) override
    {
        if (!bytes || length == 0 || m_finished)
            return 0;
        m_bytes.append(static_cast<const char*>(bytes), length);
        return length;
    }

    bool commit() override
    {
        if (m_finished)
            return false;
        m_finished = true;
        const bool written = writeFileAtomically(m_source.path(), m_bytes);
        // Our own save is no change on disk.
        if (written)
            m_source.savedOverFile();
        return written;
    }

private:
    FileBufferSource& m_source;
    std::string m_bytes;
    bool m_finished = false;
};

} // namespace

FileBufferSource::FileBufferSource(ustring path, FileEncoding encoding)
    : m_path(std::move(path)), m_encoding(encoding)
{
    ustring forward = m_path;
    for (uchar& unit : forward)
        if (unit == u'\\')
            unit = u'/';
    while (forward.size() > 1 && forward.back() == u'/')
        forward.pop_back();
    m_displayName = pathFileName(slate::usubstring(forward), u'/').str();
}

FileBufferSource::~FileBufferSource()
{
    cancelRead();
}

platform::ThreadHandle FileBufferSource::startRead(std::unique_ptr<TokenStorage> storage, FileEncoding fallback,
                                                   ReadCompletion completion)
{
    cancelRead();
    if (!storage)
        return nullptr;
    refreshFileStat();
    auto job = std::make_shared<ReadJob>(m_path, m_encoding, fallback, std::move(storage), m_opener);
    job->receiver = this;
    job->completion = std::move(completion);
    m_job = job;
    platform::ThreadHandle handle = m_thread.start([job] {
        job->run();
        if (job->isCancelled())
            return;
        postToMainThread([job] {
            if (FileBufferSource* source = job->receiver)
                source->completeRead(*job);
        });
    });
    if (!handle) {
        VLOG << u"Unable to start the read thread for " << m_path;
        m_job.reset();
    }
    return handle;
}

void FileBufferSource::completeRead(ReadJob& job)
{
    job.receiver = nullptr;
    ReadCompletion completion = std::move(job.completion);
    job.completion = nullptr;
    if (job.result.status == ReadStatus::completed)
        m_undecodableBytes = job.result.undecodableBytes;
    // The completion may destroy this source: nothing here runs after it.
    if (completion)
        completion(std::move(job.result));
}

void FileBufferSource::cancelRead()
{
    if (!m_job)
        return;
    m_job->receiver = nullptr;
    m_job->completion = nullptr;
    m_job->cancel();
    if (!m_thread.join(m_cancelWaitMs))
        VLOG << u"Unable to wait for read thread to exit";
    // A thread still running keeps the job alive until it ends.
    m_job.reset();
}

double FileBufferSource::readProgress() const
{
    if (!m_job)
        return 0.0;
    const uint64_t total = m_job->totalBytes();
    if (total == 0)
        return 0.0;
    const double fraction = static_cast<double>(m_job->bytesRead()) / static_cast<double>(total);
    return fraction < 1.0 ? fraction : 1.0;
}

void FileBufferSource::makeDirectoryCurrent()
{
    ustring forward = m_path;
    for (uchar& unit : forward)
        if (unit == u'\\')
            unit = u'/';
    const size_t slash = forward.rfind(u'/');
    if (slash == ustring::npos)
        return;
    setCurrentDirectory(m_path.substr(0, slash + 1));
}

std::unique_ptr<OutStream> FileBufferSource::openOutStream()
{
    if (m_path.empty() || isDirectory(m_path))
        return nullptr;
    return std::make_unique<FileOutStream>(*this);
}

bool FileBufferSource::hasChangedOnDisk()
{
    FileStat now;
    if (!now.read(m_path))
        return false;
    const bool changed = now != m_fileStat;
    m_fileStat = now;
    return changed;
}
