// Cache files: one compressed binary record behind a version word and the
// record's uncompressed size. Because the file may be truncated, stale,
// damaged or made to inflate without end, nothing in it is trusted: a stated
// size beyond kMaximumCacheRecordSize, or beyond what the compressed bytes
// could produce, is rejected at once; a plausible one is allocated up front
// (the usual case: one allocation, no copy); an implausible one is not, and
// the output then goes into blocks that double in size as real bytes
// arrive, joined once at the end, so memory follows the data rather than the
// header and no byte is copied more than once. Only a stream that decodes
// completely, to no more than the stated size, counts as a cache.
#include "ui/cache_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
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

// The little-endian 32-bit word at `p`, as byte_buffer.h writes them.
int32_t wordAt(const unsigned char* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

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
    return readWholeFile(path, file) && decodeCacheFile(file.begin(), file.size(), expectedVersion, buffer);
}

bool decodeCacheFile(const unsigned char* bytes, size_t length, int32_t expectedVersion, ReadBuffer& buffer)
{
    if (length < 8 || wordAt(bytes) != expectedVersion)
        return false;
    const int32_t statedSize = wordAt(bytes + 4);
    if (statedSize < 0 || static_cast<uint64_t>(statedSize) > kMaximumCacheRecordSize)
        return false;
    const uint64_t size = static_cast<uint64_t>(statedSize);
    const uint64_t compressedBytes = length - 8;
    if (size > compressedBytes * kMaximumDeflateRatio || compressedBytes > std::numeric_limits<uInt>::max())
        return false;

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return false;
    stream.next_in = const_cast<Bytef*>(bytes + 8);
    stream.avail_in = static_cast<uInt>(compressedBytes);

    // The output goes into blocks: the first of a plausible expansion of the
    // compressed bytes (the whole record, usually), each later one as large
    // as everything before it, none beyond the stated size.
    std::vector<ReadBuffer> blocks;
    uint64_t produced = 0;
    uint64_t capacity = 0; // of all blocks together
    int result = Z_OK;
    // One spare byte beyond the stated size tells a stream that decodes to
    // more than the header says from one that fits exactly.
    unsigned char spare;
    while (result == Z_OK) {
        if (produced == capacity && capacity < size) {
            uint64_t blockSize = capacity ? capacity : compressedBytes * kPlausibleRatio + kMinimumGuess;
            if (blockSize > size - capacity)
                blockSize = size - capacity;
            blocks.emplace_back();
            blocks.back().reset(static_cast<size_t>(blockSize));
            capacity += blockSize;
        }
        const bool full = produced == capacity;
        ReadBuffer* block = full ? nullptr : &blocks.back();
        const uInt room = full ? 1 : static_cast<uInt>(capacity - produced);
        stream.next_out = full ? &spare : block->begin() + (block->size() - room);
        stream.avail_out = room;
        result = inflate(&stream, Z_NO_FLUSH);
        if (full && stream.avail_out != room)
            result = Z_BUF_ERROR; // more output than stated
        else if (!full)
            produced += room - stream.avail_out;
        if (result == Z_OK && stream.avail_in == 0 && stream.avail_out != 0)
            result = Z_BUF_ERROR; // the input ended inside the stream
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END)
        return false;

    if (blocks.size() == 1) {
        buffer = std::move(blocks.front());
    } else {
        // Every block but the last is full.
        buffer.reset(static_cast<size_t>(produced));
        unsigned char* out = buffer.begin();
        size_t left = static_cast<size_t>(produced);
        for (const ReadBuffer& block : blocks) {
            const size_t used = std::min(block.size(), left);
            std::memcpy(out, block.begin(), used);
            out += used;
            left -= used;
        }
    }
    buffer.setEnd(buffer.begin() + produced);
    return true;
}

bool writeCacheFile(const ustring& path, int32_t version, const WriteBuffer& record)
{
    // A record the reader would refuse is not worth writing.
    if (record.size() > kMaximumCacheRecordSize)
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
