// The reading thread's work. The file is read in chunks of 0x40000 bytes
// straight into the stream decoder's reused input buffer; each chunk is
// decoded into the decoder's reused output buffer, its line breaks are
// normalised there in place and the result is appended to the storage
// without lexing it. The storage lexes the text later, as far as it is asked
// for (what the view shows first), on the thread that asks.
// The whole file is never held as one string. The encoding and the line
// ending are decided on the first chunk, as the decoder and the detection
// only ever look at that one.
//
// A read that fails part way through gives no storage at all: half a file
// shown as the whole would be saved over the real one.
#include "ui/text/read_job.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <system_error>

#include "filesystem/native_file.h"
#include "ui/platform.h"
#include "ui/statistics.h"
#include "ui/text/token/token_storage.h"
#include "ui/unicode.h"

namespace {

ustring systemErrorText(int error)
{
    return toUstring(std::generic_category().message(error));
}

class StdioFile : public ReadableFile {
public:
    explicit StdioFile(FILE* file) : m_file(file) {}
    ~StdioFile() override { std::fclose(m_file); }

    int64_t size() override
    {
        if (fseeko(m_file, 0, SEEK_END) != 0)
            return -1;
        const int64_t end = ftello(m_file);
        if (fseeko(m_file, 0, SEEK_SET) != 0)
            return -1;
        return end;
    }

    size_t read(void* into, size_t capacity, bool& failed, ustring& error) override
    {
        const size_t count = std::fread(into, 1, capacity, m_file);
        if (count < capacity && std::ferror(m_file)) {
            failed = true;
            error = systemErrorText(errno);
        }
        return count;
    }

private:
    FILE* m_file;
};

} // namespace

std::unique_ptr<ReadableFile> openReadableFile(const ustring& path, ustring& error)
{
    if (nativeEntryKind(path) == NativeEntryKind::Directory) {
        error = u"It is a folder";
        return nullptr;
    }
    errno = 0;
    // "S": the hint for sequential access where the C library knows it.
    FILE* file = platform::get().openFile(path, u"rbS");
    if (!file) {
        error = errno ? systemErrorText(errno) : ustring(u"It cannot be opened");
        return nullptr;
    }
    return std::make_unique<StdioFile>(file);
}

ReadJob::ReadJob(ustring path, FileEncoding requested, FileEncoding fallback,
                 std::unique_ptr<TokenStorage> storage, FileOpener opener)
    : m_path(std::move(path)),
      m_requested(requested),
      m_fallback(fallback),
      m_opener(std::move(opener)),
      m_storage(std::move(storage))
{
}

ReadJob::~ReadJob() = default;

void ReadJob::finish(ReadStatus status, ustring error)
{
    result.status = status;
    result.error = std::move(error);
    if (status == ReadStatus::completed)
        result.storage = std::move(m_storage);
    else
        m_storage.reset();
}

void ReadJob::run()
{
    try {
        if (isCancelled())
            return finish(ReadStatus::cancelled);
        ustring error;
        std::unique_ptr<ReadableFile> file = m_opener ? m_opener(m_path, error) : openReadableFile(m_path, error);
        if (!file)
            return finish(ReadStatus::openFailed, std::move(error));
        if (isCancelled())
            return finish(ReadStatus::cancelled);
        readChunks(*file);
    } catch (const std::exception& failure) {
        // Out of memory for a huge file, most likely; the storage goes.
        finish(ReadStatus::readFailed, toUstring(failure.what()));
    }
}

void ReadJob::readChunks(ReadableFile& file)
{
    SynchronisedScopedTimer timer(g_statReadFile);
    const int64_t size = file.size();
    m_totalBytes.store(size > 0 ? static_cast<uint64_t>(size) : 0, std::memory_order_relaxed);

    std::unique_ptr<StreamDecoder> ownDecoder;
    if (m_decoder)
        m_decoder->reset(m_requested, m_fallback);
    else
        ownDecoder = std::make_unique<StreamDecoder>(m_requested, m_fallback);
    StreamDecoder& decoder = m_decoder ? *m_decoder : *ownDecoder;
    bool firstChunk = true;
    bool failed = false;
    ustring error;
    while (!isCancelled()) {
        const size_t count = file.read(decoder.inputSpace(), decoder.inputSpaceSize(), failed, error);
        if (failed)
            return finish(ReadStatus::readFailed, std::move(error));
        if (count == 0)
            break;
        m_bytesRead.fetch_add(count, std::memory_order_relaxed);
        decoder.decode(count, false);
        if (firstChunk) {
            firstChunk = false;
            m_storage->setLineEnding(detectLineEnding(decoder.outputBegin(), decoder.outputEnd()));
        }
        appendDecoded(decoder.outputBegin(), decoder.outputEnd());
    }
    if (isCancelled())
        return finish(ReadStatus::cancelled);

    // What the last chunk left undecoded: an incomplete sequence at the very
    // end of the file.
    decoder.decode(0, true);
    appendDecoded(decoder.outputBegin(), decoder.outputEnd());

    FileEncoding encoding = decoder.encoding();
    if (encoding == kEncodingUndefined)
        encoding = kEncodingUtf8; // an empty file
    m_storage->setEncoding(encoding);
    result.encoding = encoding;
    result.undecodableBytes = decoder.lostBytes();
    result.firstUndecodableOffset = decoder.firstLostByteOffset();
    finish(ReadStatus::completed);
}

void ReadJob::appendDecoded(uchar* begin, uchar* end)
{
    SynchronisedScopedTimer timer(g_statReadFileProcess);
    const slate::usubstring text = normaliseNewlines(begin, end, m_newlineState);
    insertAtEnd(text.begin, text.end);
}

void ReadJob::insertAtEnd(const uchar* begin, const uchar* end)
{
    if (begin == end)
        return;
    SynchronisedScopedTimer timer(g_statReadFileInsertCharacters);
    m_storage->appendWithoutLexing(begin, end);
}
