// The reader's work on files held in memory, run on the test's thread: what
// the first chunk decides, pairs cut by the chunk boundary, undecodable bytes,
// failures that must not pass for a whole file, and cancelling at each stage.
#include "ui/text/read_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "ui/text/lexer/lexer.h"
#include "ui/text/token/token_storage.h"

namespace {

constexpr size_t kChunk = ReadJob::kChunkSize;

// A file in memory. `onRead` runs before each read with its number, from 1.
class MemoryFile : public ReadableFile {
public:
    MemoryFile(std::string bytes, std::function<void(int)> onRead, int failAtRead)
        : m_bytes(std::move(bytes)), m_onRead(std::move(onRead)), m_failAtRead(failAtRead)
    {
    }

    int64_t size() override { return static_cast<int64_t>(m_bytes.size()); }

    size_t read(void* into, size_t capacity, bool& failed, ustring& error) override
    {
        ++m_reads;
        if (m_onRead)
            m_onRead(m_reads);
        if (m_reads == m_failAtRead) {
            failed = true;
            error = u"Input/output error";
            return 0;
        }
        const size_t count = std::min(capacity, m_bytes.size() - m_offset);
        std::memcpy(into, m_bytes.data() + m_offset, count);
        m_offset += count;
        return count;
    }

private:
    std::string m_bytes;
    std::function<void(int)> m_onRead;
    int m_failAtRead;
    size_t m_offset = 0;
    int m_reads = 0;
};

struct Reader {
    std::string bytes;
    FileEncoding requested = kEncodingUndefined;
    FileEncoding fallback = kEncodingUndefined;
    int failAtRead = 0; // 0: never
    std::function<void(ReadJob&, int)> onRead;
    std::function<void(ReadJob&)> onOpen;
    StreamDecoder* decoder = nullptr; // given to the job when set

    ReadResult run()
    {
        auto storage = std::make_unique<TokenStorage>();
        storage->setLineEnding(kLineEndingMac); // so that "left alone" shows
        ReadJob* self = nullptr;
        ReadJob job(u"memory", requested, fallback, std::move(storage),
                    [this, &self](const ustring&, ustring&) -> std::unique_ptr<ReadableFile> {
                        if (onOpen)
                            onOpen(*self);
                        return std::make_unique<MemoryFile>(
                            bytes, [this, &self](int read) { if (onRead) onRead(*self, read); }, failAtRead);
                    });
        self = &job;
        job.useDecoder(decoder);
        job.run();
        EXPECT_LE(job.bytesRead(), job.totalBytes());
        return std::move(job.result);
    }
};

std::string repeat(const std::string& part, size_t count)
{
    std::string out;
    out.reserve(part.size() * count);
    for (size_t i = 0; i < count; ++i)
        out += part;
    return out;
}

TEST(ReadJob, FirstChunkDecidesEncodingAndLineEnding)
{
    // A first chunk of "x\r\n" lines and a CR as its last byte.
    const std::string crlfLines = repeat("x\r\n", (kChunk - 1) / 3) + "\r";
    ASSERT_EQ(kChunk, crlfLines.size());
    struct Case {
        const char* name;
        std::string bytes;
        FileEncoding requested;
        FileEncoding encoding;
        LineEnding lineEnding;
        ustring start; // of the text
        int32_t lineBreaks;
        ustring end; // of the text
    };
    const Case cases[] = {
        {"empty: UTF-8, line ending left alone", "", kEncodingUndefined, kEncodingUtf8, kLineEndingMac, u"", 0, u""},
        {"empty with a requested encoding keeps it", "", kEncodingIso8859_1, kEncodingIso8859_1, kLineEndingMac,
         u"", 0, u""},
        {"no break: Windows", "abc", kEncodingUndefined, kEncodingUtf8, kLineEndingWindows, u"abc", 0, u"abc"},
        {"Unix", "a\nb\n", kEncodingUndefined, kEncodingUtf8, kLineEndingUnix, u"a\nb\n", 2, u"b\n"},
        {"a mark beats the request", std::string("\xFF\xFE" "a\0\r\0\n\0", 8), kEncodingWindows1252,
         kEncodingUtf16LEWithBom, kLineEndingWindows, u"a\n", 1, u"a\n"},
        {"CR LF cut by the chunk boundary is one break", crlfLines + "\nend", kEncodingUndefined, kEncodingUtf8,
         kLineEndingWindows, u"x\nx\n", static_cast<int32_t>((kChunk - 1) / 3 + 1), u"x\n\nend"},
        {"breaks after the first chunk keep its kind", repeat("y\n", kChunk / 2) + "a\r\nb\r\nc\r\n",
         kEncodingUndefined, kEncodingUtf8, kLineEndingUnix, u"y\ny\n", static_cast<int32_t>(kChunk / 2 + 3), u"y\na\nb\nc\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reader reader;
        reader.bytes = c.bytes;
        reader.requested = c.requested;
        ReadResult result = reader.run();
        ASSERT_EQ(ReadStatus::completed, result.status);
        ASSERT_TRUE(result.storage);
        EXPECT_EQ(c.encoding, result.encoding);
        EXPECT_EQ(c.encoding, result.storage->encoding());
        EXPECT_EQ(c.lineEnding, result.storage->lineEnding());
        EXPECT_EQ(c.lineBreaks, result.storage->lineBreakCount());
        EXPECT_EQ(c.start, result.storage->substr(SelectionRegion(0, static_cast<int64_t>(c.start.size()))));
        const ustring text = result.storage->str();
        EXPECT_EQ(c.end, text.substr(text.size() - c.end.size()));
        EXPECT_EQ(0u, result.undecodableBytes);
        EXPECT_EQ(ustring::npos, result.storage->str().find(u'\r'));
    }
}

// The reader only fills the storage: lexing waits until someone asks.
TEST(ReadJob, TheStorageIsFilledUnlexed)
{
    Reader reader;
    reader.bytes = repeat("int x = 1; /* c */\r\n", 3 * kChunk / 20);
    const MatchKey before = nextLineKey();
    ReadResult result = reader.run();
    EXPECT_EQ(nextLineKey(), before + 1); // no line was lexed
    ASSERT_TRUE(result.storage);
    EXPECT_EQ(std::vector<int64_t>{0}, result.storage->invalidPoints());
    result.storage->validateUntil(result.storage->size());
    EXPECT_TRUE(result.storage->invalidPoints().empty());
    EXPECT_EQ(static_cast<int32_t>(3 * kChunk / 20), result.storage->lineBreakCount());
}

// A Latin-1 file whose first chunk is plain ASCII reads as UTF-8; its later
// accented bytes do not decode, and the result says so and where.
TEST(ReadJob, UndecodableBytesAfterTheFirstChunkAreCounted)
{
    Reader reader;
    reader.bytes = repeat("plain ascii line\n", 300 * 1024 / 17) + "caf\xE9 cr\xE8me\n";
    ReadResult result = reader.run();
    ASSERT_EQ(ReadStatus::completed, result.status);
    EXPECT_EQ(kEncodingUtf8, result.encoding);
    EXPECT_EQ(2u, result.undecodableBytes);
    EXPECT_EQ(reader.bytes.find('\xE9'), result.firstUndecodableOffset);
    const ustring text = result.storage->str();
    EXPECT_EQ(u"caf? cr?me\n", text.substr(text.size() - 11));
}

// A decoder handed in from an earlier stream (here one that detected UTF-8
// behind a mark, lost a byte and kept a cut sequence) reads like a new one.
TEST(ReadJob, AGivenDecoderReadsLikeItsOwn)
{
    StreamDecoder used(kEncodingUndefined, kEncodingWindows1252);
    const std::string earlier = "\xEF\xBB\xBF" "a\xFF" "b\xE2\x82";
    std::memcpy(used.inputSpace(), earlier.data(), earlier.size());
    used.decode(earlier.size(), false);

    struct Case {
        const char* name;
        std::string bytes;
        FileEncoding requested;
    };
    const Case cases[] = {
        {"detected UTF-16", std::string("a\0\r\0\n\0b\0", 8), kEncodingUndefined},
        {"fallback after detection", "caf\xE9\n", kEncodingUndefined},
        {"requested, with a lost byte", "x\xC3", kEncodingUtf8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reader reader;
        reader.bytes = c.bytes;
        reader.requested = c.requested;
        reader.fallback = kEncodingIso8859_1;
        const ReadResult own = reader.run();
        reader.decoder = &used;
        const ReadResult given = reader.run();
        ASSERT_EQ(ReadStatus::completed, given.status);
        ASSERT_TRUE(own.storage && given.storage);
        EXPECT_EQ(own.storage->str(), given.storage->str());
        EXPECT_EQ(own.storage->lineEnding(), given.storage->lineEnding());
        EXPECT_EQ(own.encoding, given.encoding);
        EXPECT_EQ(own.undecodableBytes, given.undecodableBytes);
        EXPECT_EQ(own.firstUndecodableOffset, given.firstUndecodableOffset);
    }
}

TEST(ReadJob, FailuresGiveNoStorage)
{
    const std::string twoChunks(kChunk + 10, 'a');
    struct Case {
        const char* name;
        std::function<ReadResult()> run;
        ReadStatus status;
    };
    const Case cases[] = {
        {"cannot open",
         [] {
             ReadJob job(u"memory", 0, 0, std::make_unique<TokenStorage>(),
                         [](const ustring&, ustring& error) -> std::unique_ptr<ReadableFile> {
                             error = u"No such file or directory";
                             return nullptr;
                         });
             job.run();
             return std::move(job.result);
         },
         ReadStatus::openFailed},
        {"fails on the second read, after a whole chunk",
         [&] {
             Reader reader;
             reader.bytes = twoChunks;
             reader.failAtRead = 2;
             return reader.run();
         },
         ReadStatus::readFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadResult result = c.run();
        EXPECT_EQ(c.status, result.status);
        EXPECT_FALSE(result.storage);
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(ReadJob, CancelAtEachStageDropsTheStorage)
{
    const std::string twoChunks = repeat("line\n", kChunk / 5 + 100);
    struct Case {
        const char* name;
        bool beforeRun;
        bool inOpen;
        int atRead; // cancel when this read starts; 0: never
    };
    const Case cases[] = {
        {"before the thread's first step", true, false, 0},
        {"while opening", false, true, 0},
        {"before the first chunk", false, false, 1},
        {"between chunks", false, false, 2},
        {"at the end of the file, before the last decode", false, false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool opened = false;
        auto storage = std::make_unique<TokenStorage>();
        ReadJob* self = nullptr;
        ReadJob job(u"memory", 0, 0, std::move(storage),
                    [&](const ustring&, ustring&) -> std::unique_ptr<ReadableFile> {
                        opened = true;
                        if (c.inOpen)
                            self->cancel();
                        return std::make_unique<MemoryFile>(
                            twoChunks, [&](int read) { if (read == c.atRead) self->cancel(); }, 0);
                    });
        self = &job;
        if (c.beforeRun)
            job.cancel();
        job.run();
        EXPECT_EQ(ReadStatus::cancelled, job.result.status);
        EXPECT_FALSE(job.result.storage);
        EXPECT_EQ(!c.beforeRun, opened);
    }
}

} // namespace
