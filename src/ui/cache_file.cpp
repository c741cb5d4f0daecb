// Cache files: one compressed binary record behind a version word and the
// record's uncompressed size. The record is inflated straight into a buffer
// of exactly the stated size, so a cache loads with one allocation and no
// parsing. Because the file may be truncated, stale or damaged, nothing in it
// is trusted: a stated size that the compressed bytes could not produce is
// rejected at once, one far beyond what records usually compress to is not
// allocated up front (the buffer then grows with the bytes really decoded),
// and only a stream that decodes completely, to no more than the stated
// size, counts as a cache.
#include "ui/cache_file.h"

#include <cstdio>
#include <limits>
#include <vector>

#include <zlib.h>

#include "ui/log.h"
#include "ui/platform.h"
#include "ui/system_error.h"

namespace {

// Deflate cannot expand its input by more than this factor (a run of one
// byte value costs at least about 2 bits per 258 output bytes).
constexpr uint64_t kMaximumDeflateRatio = 1032;
// Records compress far less than that; a stated size up to this expansion
// (and the small guess for tiny files) is allocated at once, as the header
// says; beyond it the output grows as real bytes arrive.
constexpr uint64_t kPlausibleRatio = 16;
constexpr uint64_t kMinimumGuess = 65536;

struct FileCloser {
    FILE* file;
    ~FileCloser()
    {
        if (file)
            std::fclose(file);
    }
};

} // namespace

bool readWholeFile(const ustring& path, ReadBuffer& buffer)
{
    FileCloser file{platform::get().openFile(path, u"rb")};
    if (!file.file)
        return false;
    if (std::fseek(file.file, 0, SEEK_END) != 0)
        return false;
    const long size = std::ftell(file.file);
    if (size < 0 || std::fseek(file.file, 0, SEEK_SET) != 0)
        return false;
    buffer.reset(static_cast<size_t>(size));
    const size_t read = size ? std::fread(buffer.begin(), 1, static_cast<size_t>(size), file.file) : 0;
    buffer.setEnd(buffer.begin() + read);
    return true;
}

bool readCacheFile(const ustring& path, int32_t expectedVersion, ReadBuffer& buffer)
{
    ReadBuffer file;
    if (!readWholeFile(path, file))
        return false;

    int32_t version = 0;
    readInt32(file, version);
    if (version != expectedVersion)
        return false;

    int32_t statedSize = 0;
    if (!readInt32(file, statedSize) || statedSize < 0)
        return false;
    const uint64_t size = static_cast<uint64_t>(statedSize);
    const uint64_t compressedBytes = file.remaining();
    if (size > compressedBytes * kMaximumDeflateRatio || compressedBytes > std::numeric_limits<uInt>::max())
        return false;

    // The output starts at the stated size when that is a plausible
    // expansion of the compressed bytes, and otherwise grows as the stream
    // really produces bytes, up to the stated size: memory follows the data,
    // not the header.
    uint64_t capacity = compressedBytes * kPlausibleRatio + kMinimumGuess;
    if (capacity > size)
        capacity = size;
    buffer.reset(static_cast<size_t>(capacity));

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return false;
    stream.next_in = const_cast<Bytef*>(file.cursor());
    stream.avail_in = static_cast<uInt>(compressedBytes);
    uint64_t produced = 0;
    int result = Z_OK;
    // One spare byte beyond the stated size tells a stream that decodes to
    // more than the header says from one that fits exactly.
    unsigned char spare;
    while (result == Z_OK) {
        if (produced == capacity && capacity < size) {
            capacity = capacity * 2 < size ? capacity * 2 : size;
            buffer.resize(static_cast<size_t>(capacity));
        }
        const bool full = produced == capacity;
        stream.next_out = full ? &spare : buffer.begin() + produced;
        stream.avail_out = full ? 1 : static_cast<uInt>(capacity - produced);
        const uInt roomBefore = stream.avail_out;
        result = inflate(&stream, Z_NO_FLUSH);
        if (full && stream.avail_out != roomBefore)
            result = Z_BUF_ERROR; // more output than stated
        else if (!full)
            produced += roomBefore - stream.avail_out;
        if (result == Z_OK && stream.avail_in == 0 && stream.avail_out != 0)
            result = Z_BUF_ERROR; // the input ended inside the stream
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END)
        return false;
    buffer.setEnd(buffer.begin() + produced);
    return true;
}

bool writeCacheFile(const ustring& path, int32_t version, const WriteBuffer& record)
{
    // The header states the size in 32 bits.
    if (record.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        return false;
    uLongf compressedSize = compressBound(static_cast<uLong>(record.size()));
    std::vector<Bytef> compressed(compressedSize);
    if (compress(compressed.data(), &compressedSize, reinterpret_cast<const Bytef*>(record.data()),
                 static_cast<uLong>(record.size())) != Z_OK)
        return false;

    WriteBuffer header;
    writeInt32(header, version);
    writeInt32(header, static_cast<int32_t>(record.size()));

    FileCloser file{platform::get().openFile(path, u"wb")};
    if (!file.file) {
        VLOG << u"Unable to write the cache file " << path << u": " << lastErrorMessage();
        return false;
    }
    bool written = std::fwrite(header.data(), 1, header.size(), file.file) == header.size() &&
                   std::fwrite(compressed.data(), 1, compressedSize, file.file) == compressedSize;
    const int closeResult = std::fclose(file.file);
    file.file = nullptr;
    written = written && closeResult == 0;
    if (!written)
        VLOG << u"Unable to write the cache file " << path << u": " << lastErrorMessage();
    return written;
}

void writeFileStamp(WriteBuffer& buffer, const FileStat& stamp)
{
    writeInt64(buffer, stamp.modificationTime);
    writeInt64(buffer, stamp.size);
}

bool readFileStamp(ReadBuffer& buffer, FileStat& stamp)
{
    return readInt64(buffer, stamp.modificationTime) && readInt64(buffer, stamp.size);
}
