// Reading a file into a token storage: the first byte picks the requested
// encoding and the fallback, the rest is the file. The storage must hold what
// decoding the file as one chunk and normalising its line breaks gives, and
// take the encoding and the line ending detected on that chunk.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz_target.h"
#include "ui/text/read_job.h"
#include "ui/text/token/token_storage.h"

namespace {

class FuzzFile : public ReadableFile {
public:
    FuzzFile(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    int64_t size() override { return static_cast<int64_t>(m_size); }
    size_t read(void* into, size_t capacity, bool&, ustring&) override
    {
        const size_t count = std::min(capacity, m_size - m_offset);
        std::memcpy(into, m_data + m_offset, count);
        m_offset += count;
        return count;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_offset = 0;
};

} // namespace

VANTREL_FUZZ_TARGET(file_reader)
{
    if (size < 1 || size > ReadJob::kChunkSize)
        return 0;
    const FileEncoding requested = data[0] % (kEncodingLast + 2);
    const FileEncoding fallback = (data[0] >> 3) % (kEncodingLast + 1);
    const uint8_t* bytes = data + 1;
    const size_t length = size - 1;

    // Both decoders are reused: their buffers are far larger than any input,
    // and allocating them for every input cost more than the reading.
    static StreamDecoder s_reader(0, 0);
    static StreamDecoder s_whole(0, 0);
    ReadJob job(u"fuzz", requested, fallback, std::make_unique<TokenStorage>(),
                [&](const ustring&, ustring&) { return std::make_unique<FuzzFile>(bytes, length); });
    job.useDecoder(&s_reader);
    job.run();
    if (job.result.status != ReadStatus::completed || !job.result.storage)
        std::abort();
    const TokenStorage& storage = *job.result.storage;

    // The file fits one chunk: one decode of it all, then the final one for
    // what a cut sequence left, must agree.
    StreamDecoder& whole = s_whole;
    whole.reset(requested, fallback);
    std::memcpy(whole.inputSpace(), bytes, length);
    whole.decode(length, false);
    ustring expected(whole.outputBegin(), whole.outputEnd());
    const LineEnding ending = detectLineEnding(expected.data(), expected.data() + expected.size());
    whole.decode(0, true);
    expected.append(whole.outputBegin(), whole.outputEnd());
    normaliseNewlinesInString(expected);
    const FileEncoding encoding = whole.encoding() ? whole.encoding() : kEncodingUtf8;
    if (storage.str() != expected || storage.encoding() != encoding || job.result.encoding != encoding ||
        job.result.undecodableBytes != whole.lostBytes())
        std::abort();
    // A read of no bytes leaves the storage's line ending alone.
    if (length > 0 && storage.lineEnding() != ending)
        std::abort();
    return 0;
}
