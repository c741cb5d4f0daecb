#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#include "ui/cache_file.h"
#include "ui/unicode.h"

// The largest array allocation made while `s_trackArrays` is set: the cache
// reader's buffers are arrays, so this shows what a read allocates.
std::atomic<bool> s_trackArrays{false};
std::atomic<size_t> s_largestArray{0};

void* operator new[](size_t size)
{
    if (s_trackArrays && size > s_largestArray)
        s_largestArray = size;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory, size_t) noexcept { std::free(memory); }

namespace {

// A fresh directory for one test, removed with its files afterwards.
class CacheFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vantrel_cache_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_directory = pattern;
    }
    void TearDown() override
    {
        for (const std::string& file : m_files)
            std::remove(file.c_str());
        rmdir(m_directory.c_str());
    }

    ustring path(const std::string& name)
    {
        m_files.push_back(m_directory + "/" + name);
        return toUstring(m_files.back());
    }

    static void writeBytes(const ustring& file, const std::vector<unsigned char>& bytes)
    {
        FILE* out = std::fopen(toUtf8(file).c_str(), "wb");
        ASSERT_NE(out, nullptr);
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }

    static std::vector<unsigned char> readBytes(const ustring& file)
    {
        ReadBuffer buffer;
        EXPECT_TRUE(readWholeFile(file, buffer));
        return std::vector<unsigned char>(buffer.begin(), buffer.begin() + buffer.size());
    }

    static std::vector<unsigned char> header(uint32_t version, uint32_t size)
    {
        std::vector<unsigned char> bytes;
        for (uint32_t word : {version, size})
            for (int i = 0; i < 4; ++i)
                bytes.push_back(static_cast<unsigned char>(word >> (8 * i)));
        return bytes;
    }

    static std::vector<unsigned char> compressed(const std::string& record)
    {
        uLongf size = compressBound(static_cast<uLong>(record.size()));
        std::vector<unsigned char> bytes(size);
        compress(bytes.data(), &size, reinterpret_cast<const Bytef*>(record.data()),
                 static_cast<uLong>(record.size()));
        bytes.resize(size);
        return bytes;
    }

    static WriteBuffer sampleRecord()
    {
        WriteBuffer record;
        writeInt32(record, 3);
        for (int i = 0; i < 3; ++i)
            writeString(record, u"entry \u00e9\u4e2d " + toUstring(std::to_string(i)));
        return record;
    }

    std::string m_directory;
    std::vector<std::string> m_files;
};

std::vector<unsigned char> prefix(std::vector<unsigned char> bytes, size_t length)
{
    bytes.resize(length);
    return bytes;
}

constexpr int32_t kVersion = kPropertyListCacheVersion;

TEST_F(CacheFileTest, WrittenCacheReadsBackEqual)
{
    const ustring file = path("plist.cache");
    const WriteBuffer record = sampleRecord();
    ASSERT_TRUE(writeCacheFile(file, kVersion, record));

    const std::vector<unsigned char> bytes = readBytes(file);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 8),
              header(0xA7FC43BE, static_cast<uint32_t>(record.size())));

    ReadBuffer read;
    ASSERT_TRUE(readCacheFile(file, kVersion, read));
    ASSERT_EQ(read.size(), record.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(read.begin()), read.size()),
              std::string(record.data(), record.size()));
    int32_t count = 0;
    ustring first;
    readInt32(read, count);
    readString(read, first);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(first, u"entry \u00e9\u4e2d 0");
}

// A highly repetitive record compresses far beyond the usual ratio; its
// buffer grows while decoding and still comes back whole.
TEST_F(CacheFileTest, HighlyCompressibleRecordRoundTrips)
{
    const ustring file = path("zeros.cache");
    WriteBuffer record;
    const std::string zeros(3 * 1024 * 1024, '\0');
    record.append(zeros.data(), zeros.size());
    writeInt32(record, 77);
    ASSERT_TRUE(writeCacheFile(file, kVersion, record));
    ReadBuffer read;
    ASSERT_TRUE(readCacheFile(file, kVersion, read));
    ASSERT_EQ(read.size(), record.size());
    read.skip(zeros.size());
    int32_t last = 0;
    EXPECT_TRUE(readInt32(read, last));
    EXPECT_EQ(last, 77);
}

TEST_F(CacheFileTest, EmptyRecordRoundTrips)
{
    const ustring file = path("empty.cache");
    ASSERT_TRUE(writeCacheFile(file, kVersion, WriteBuffer()));
    ReadBuffer read;
    ASSERT_TRUE(readCacheFile(file, kVersion, read));
    EXPECT_EQ(read.size(), 0u);
}

TEST_F(CacheFileTest, MissingFileOrDirectoryFails)
{
    ReadBuffer read;
    EXPECT_FALSE(readCacheFile(path("absent.cache"), kVersion, read));
    EXPECT_FALSE(writeCacheFile(toUstring(m_directory + "/no/such/dir.cache"), kVersion, sampleRecord()));
}

TEST_F(CacheFileTest, DamagedOrForeignFilesFail)
{
    const std::string record = "a record of some length, repeated, repeated, repeated";
    const std::vector<unsigned char> stream = compressed(record);
    auto join = [](std::vector<unsigned char> a, const std::vector<unsigned char>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const auto size = static_cast<uint32_t>(record.size());
    std::vector<unsigned char> truncated = join(header(kVersion, size), stream);
    truncated.resize(truncated.size() - 3);
    std::vector<unsigned char> flipped = join(header(kVersion, size), stream);
    flipped[12] ^= 0x55;

    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
    };
    const Case cases[] = {
        {"zero length", {}},
        {"version only", prefix(header(kVersion, 0), 4)},
        {"other version", join(header(kSyntaxSummaryCacheVersion, size), stream)},
        {"truncated stream", truncated},
        {"corrupt stream", flipped},
        {"stated size too small", join(header(kVersion, size - 1), stream)},
        {"stated size zero", join(header(kVersion, 0), stream)},
        {"negative size", join(header(kVersion, 0x80000000u), stream)},
        {"size beyond what the stream can hold", join(header(kVersion, 0x7FFFFFFFu), stream)},
        {"header without stream", header(kVersion, 100)},
        {"not a zlib stream", join(header(kVersion, size), std::vector<unsigned char>(record.begin(), record.end()))},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const ustring file = path("case" + std::to_string(i) + ".cache");
        writeBytes(file, c.bytes);
        ReadBuffer read;
        EXPECT_FALSE(readCacheFile(file, kVersion, read));
    }
}

// A stated size above the real one is tolerated (the record is what the
// stream holds) within what the compressed bytes could expand to.
TEST_F(CacheFileTest, StatedSizeAboveTheRecordGivesTheRealRecord)
{
    const std::string record = "short record";
    std::vector<unsigned char> bytes = header(kVersion, 5000);
    const std::vector<unsigned char> stream = compressed(record);
    bytes.insert(bytes.end(), stream.begin(), stream.end());
    const ustring file = path("stated.cache");
    writeBytes(file, bytes);
    ReadBuffer read;
    ASSERT_TRUE(readCacheFile(file, kVersion, read));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(read.begin()), read.size()), record);
}

TEST_F(CacheFileTest, ZeroLengthFileNeverMatchesAVersion)
{
    const ustring file = path("zero.cache");
    writeBytes(file, {});
    ReadBuffer read;
    EXPECT_FALSE(readCacheFile(file, kVersion, read));
    EXPECT_FALSE(readCacheFile(file, kSyntaxSummaryCacheVersion, read));
}

// Arbitrary bytes, every truncation of a good cache and single-byte damage
// must give false (or a correct record), never a crash or a huge allocation.
TEST_F(CacheFileTest, RandomAndTruncatedBytesNeverCrash)
{
    const ustring file = path("random.cache");
    const WriteBuffer record = sampleRecord();
    ASSERT_TRUE(writeCacheFile(file, kVersion, record));
    const std::vector<unsigned char> good = readBytes(file);

    for (size_t length = 0; length < good.size(); ++length) {
        SCOPED_TRACE("truncated to " + std::to_string(length));
        writeBytes(file, std::vector<unsigned char>(good.begin(), good.begin() + length));
        ReadBuffer read;
        EXPECT_FALSE(readCacheFile(file, kVersion, read));
    }

    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byteValue(0, 255);
    for (int round = 0; round < 300; ++round) {
        std::vector<unsigned char> bytes;
        if (round % 2 == 0) {
            // Damage one to three bytes of the good file, header included.
            bytes = good;
            for (int k = 0, damage = 1 + round % 3; k < damage; ++k)
                bytes[random() % bytes.size()] = static_cast<unsigned char>(byteValue(random));
        } else {
            // The right version, then noise (a random size word included).
            bytes = prefix(header(kVersion, 0), 4);
            const size_t length = random() % 64;
            for (size_t k = 0; k < length; ++k)
                bytes.push_back(static_cast<unsigned char>(byteValue(random)));
        }
        writeBytes(file, bytes);
        ReadBuffer read;
        if (readCacheFile(file, kVersion, read)) {
            // Only a stream that decodes completely is accepted; reading it
            // on stays within the buffer.
            int32_t count = 0;
            ustring text;
            readInt32(read, count);
            while (!read.atEnd())
                readString(read, text);
        }
    }
}

// A stated size far above what the stream really holds, but within what
// its compressed bytes could expand to, is not allocated up front.
TEST_F(CacheFileTest, StatedSizeIsNotAllocatedBeforeTheBytesArrive)
{
    std::mt19937 random(7);
    std::string noise(20000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    const std::vector<unsigned char> stream = compressed(noise);
    std::vector<unsigned char> bytes = header(kVersion, 16u << 20);
    bytes.insert(bytes.end(), stream.begin(), stream.end());
    const ustring file = path("inflated.cache");
    writeBytes(file, bytes);

    ReadBuffer read;
    s_largestArray = 0;
    s_trackArrays = true;
    const bool accepted = readCacheFile(file, kVersion, read);
    s_trackArrays = false;
    ASSERT_TRUE(accepted);
    EXPECT_EQ(noise.size(), read.size());
    EXPECT_LT(s_largestArray.load(), size_t(2) << 20);
}

// Records beyond the cap are neither written nor read, whatever their
// compressed size; just below it they round-trip. The record's bytes differ
// from place to place, so blocks joined out of order would show.
TEST_F(CacheFileTest, RecordSizeIsCappedAndLargeRecordsComeBackInOrder)
{
    std::string pattern;
    for (int i = 0; i < 4096; ++i)
        pattern += static_cast<char>(i * 7 + i / 256);
    std::string large;
    while (large.size() + pattern.size() <= kMaximumCacheRecordSize)
        large += pattern;
    WriteBuffer record;
    record.append(large.data(), large.size());
    const ustring file = path("large.cache");
    ASSERT_TRUE(writeCacheFile(file, kVersion, record));
    ReadBuffer read;
    ASSERT_TRUE(readCacheFile(file, kVersion, read));
    ASSERT_EQ(large.size(), read.size());
    EXPECT_EQ(0, std::memcmp(large.data(), read.begin(), large.size()));

    record.append(pattern.data(), pattern.size());
    EXPECT_FALSE(writeCacheFile(path("too-large.cache"), kVersion, record));

    const std::vector<unsigned char> stream = compressed(large + pattern);
    std::vector<unsigned char> bytes = header(kVersion, static_cast<uint32_t>(large.size() + pattern.size()));
    bytes.insert(bytes.end(), stream.begin(), stream.end());
    writeBytes(file, bytes);
    EXPECT_FALSE(readCacheFile(file, kVersion, read));
}

} // namespace
