// Versioned, zlib-compressed cache files. A cache holds one binary record
// (see byte_buffer.h) behind an 8-byte header:
//
//     offset 0  int32  version word, chosen by the kind of cache
//     offset 4  int32  size in bytes of the uncompressed record
//     offset 8  ...    the record as a zlib stream (RFC 1950), default level
//
// Caches are disposable: a caller that cannot read one rebuilds it from the
// source files and writes it again. Main thread in practice; no locks.
#pragma once

#include <cstdint>

#include "filesystem/file_utils.h"
#include "ui/byte_buffer.h"
#include "ui/ustring.h"

// Version words of the program's caches.
constexpr int32_t kPropertyListCacheVersion = static_cast<int32_t>(0xA7FC43BE);
constexpr int32_t kSyntaxSummaryCacheVersion = static_cast<int32_t>(0x38ED4331);

// The largest record a cache may hold. Caches are disposable, so a larger
// one is neither written nor read (the caller rebuilds from the sources).
constexpr uint64_t kMaximumCacheRecordSize = 32u << 20;

// Reads the whole file at the program path `path` into `buffer` (replacing
// its contents), cursor at the start. False only when the file cannot be
// opened or measured; a short read leaves the bytes actually read.
bool readWholeFile(const ustring& path, ReadBuffer& buffer);

// True when the file at `path` is a cache of `expectedVersion` whose record
// decompresses completely to no more than its stated size; `buffer` then
// holds the record as decoded (shorter than stated when the stream is), cursor
// at the start. False for a missing, empty, truncated or corrupt file, another
// version, a stream longer than stated, or a stated size that is negative,
// above kMaximumCacheRecordSize or more than the compressed bytes could hold;
// `buffer`'s contents are then meaningless. Memory grows with the bytes
// really decoded, not with the stated size. Never throws because of the
// file's contents.
bool readCacheFile(const ustring& path, int32_t expectedVersion, ReadBuffer& buffer);

// readCacheFile over the `length` bytes of a whole cache file at `bytes`.
bool decodeCacheFile(const unsigned char* bytes, size_t length, int32_t expectedVersion, ReadBuffer& buffer);

// Compresses `record` and writes it as a cache of `version` to `path`,
// replacing any file there. True when the file was written; false when the
// record is above kMaximumCacheRecordSize, compression fails, the file
// cannot be opened or a write fails (the failure is logged with the
// system's reason).
bool writeCacheFile(const ustring& path, int32_t version, const WriteBuffer& record);

// The stamp of the source a cache was made from, as the caches record it:
// modification time, then size, each as writeInt64 writes it. The reader
// gives false, with `stamp` unusable, when the record ends early.
void writeFileStamp(WriteBuffer& buffer, const FileStat& stamp);
bool readFileStamp(ReadBuffer& buffer, FileStat& stamp);
