// Reading through a file buffer source on its own thread, in both test
// programs: natively on the portable thread, under Wine on a Win32 thread.
// The receiver's lifetime is the point: a completion must never reach a
// receiver that went away, whether it went while the reader was still
// opening the file or while the completion waited in the main-thread queue.
#include "ui/text/file_buffer_source.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/main_thread_queue.h"
#include "ui/text/token/token_storage.h"
#include "ui/thread.h"

namespace {

// A storage that signals its destruction, wherever that happens. It shares
// the event, since the thread that destroys it may still be setting the event
// when the waiting test goes on.
class WatchedStorage : public TokenStorage {
public:
    explicit WatchedStorage(std::shared_ptr<Event> destroyed) : m_destroyed(std::move(destroyed)) {}
    ~WatchedStorage() override { m_destroyed->set(); }

private:
    std::shared_ptr<Event> m_destroyed;
};

// The real file, held up before its second read until released.
class HeldFile : public ReadableFile {
public:
    HeldFile(std::unique_ptr<ReadableFile> file, Event& reached, Event& release)
        : m_file(std::move(file)), m_reached(reached), m_release(release)
    {
    }
    int64_t size() override { return m_file->size(); }
    size_t read(void* into, size_t capacity, bool& failed, ustring& error) override
    {
        if (++m_reads == 2) {
            m_reached.set();
            m_release.wait();
        }
        return m_file->read(into, capacity, failed, error);
    }

private:
    std::unique_ptr<ReadableFile> m_file;
    Event& m_reached;
    Event& m_release;
    int m_reads = 0;
};

class FileBufferSourceContract : public testing::Test {
protected:
    ustring write(const std::string& name, const std::string& bytes) const
    {
        m_folder.write(name, bytes);
        return test_support::programPath((m_folder / name).string());
    }

    // Reads `path` to the end and delivers the completion.
    static std::optional<ReadResult> read(FileBufferSource& source, FileEncoding fallback = kEncodingUndefined)
    {
        std::optional<ReadResult> delivered;
        platform::ThreadHandle thread = source.startRead(
            std::make_unique<TokenStorage>(), fallback, [&](ReadResult result) { delivered = std::move(result); });
        EXPECT_TRUE(thread);
        if (thread) {
            EXPECT_TRUE(platform::get().joinThread(thread, platform::kInfiniteTimeout));
        }
        EXPECT_FALSE(delivered) << "only the main-thread queue delivers";
        runMainThreadQueue();
        return delivered;
    }

    test_support::ScratchFolder m_folder{"vantrel-reading"};
};

TEST_F(FileBufferSourceContract, ReadsTheFileOnItsThreadAndDeliversOnTheMainThread)
{
    const std::string bytes = std::string(300000, 'a') + "\r\nb\r\n";
    FileBufferSource source(write("a.txt", bytes), kEncodingUndefined);
    EXPECT_EQ(0.0, source.readProgress());
    std::optional<ReadResult> result = read(source);
    ASSERT_TRUE(result);
    ASSERT_EQ(ReadStatus::completed, result->status);
    ASSERT_TRUE(result->storage);
    EXPECT_EQ(300003, result->storage->size());
    EXPECT_EQ(kLineEndingWindows, result->storage->lineEnding());
    EXPECT_EQ(kEncodingUtf8, result->storage->encoding());
    EXPECT_EQ(1.0, source.readProgress());
    EXPECT_FALSE(source.hasChangedOnDisk());
}

TEST_F(FileBufferSourceContract, ProgressCountsTheChunksRead)
{
    const size_t size = 2 * ReadJob::kChunkSize + 1000;
    FileBufferSource source(write("big.txt", std::string(size, 'x')), kEncodingUndefined);
    Event reached(true, false);
    Event release(true, false);
    source.setFileOpener([&](const ustring& path, ustring& error) -> std::unique_ptr<ReadableFile> {
        std::unique_ptr<ReadableFile> file = openReadableFile(path, error);
        if (!file)
            return nullptr;
        return std::make_unique<HeldFile>(std::move(file), reached, release);
    });
    bool delivered = false;
    platform::ThreadHandle thread = source.startRead(std::make_unique<TokenStorage>(), kEncodingUndefined,
                                                     [&](ReadResult) { delivered = true; });
    ASSERT_TRUE(thread);
    ASSERT_TRUE(reached.wait());
    EXPECT_DOUBLE_EQ(static_cast<double>(ReadJob::kChunkSize) / size, source.readProgress());
    release.set();
    ASSERT_TRUE(platform::get().joinThread(thread, platform::kInfiniteTimeout));
    runMainThreadQueue();
    EXPECT_TRUE(delivered);
    EXPECT_EQ(1.0, source.readProgress());
}

// Neither a missing file nor a folder passes for an empty text.
TEST_F(FileBufferSourceContract, AFileThatCannotBeOpenedIsReported)
{
    m_folder.makeFolder("folder");
    for (const char* name : {"missing.txt", "folder"}) {
        SCOPED_TRACE(name);
        FileBufferSource source(test_support::programPath((m_folder / name).string()), kEncodingUndefined);
        std::optional<ReadResult> result = read(source);
        ASSERT_TRUE(result);
        EXPECT_EQ(ReadStatus::openFailed, result->status);
        EXPECT_FALSE(result->storage);
        EXPECT_FALSE(result->error.empty());
    }
}

// The save of a file read with bytes that did not decode needs consent;
// without it the file keeps every byte.
TEST_F(FileBufferSourceContract, SavingOverUndecodedBytesNeedsConsent)
{
    // Latin-1 whose first 300 KB are ASCII: detected as UTF-8 from the first
    // chunk, so the accented bytes after it do not decode.
    std::string bytes;
    while (bytes.size() < 300 * 1024)
        bytes += "plain ascii text\n";
    bytes += "caf\xE9 na\xEFve\n";
    const ustring path = write("latin1.txt", bytes);
    FileBufferSource source(path, kEncodingUndefined);
    std::optional<ReadResult> result = read(source);
    ASSERT_TRUE(result && result->storage);
    EXPECT_EQ(2u, result->undecodableBytes);
    EXPECT_EQ(2u, source.undecodableBytes());

    EXPECT_FALSE(result->storage->write(&source, kEncodingUndefined));
    EXPECT_EQ(bytes, m_folder.read("latin1.txt"));

    ASSERT_TRUE(result->storage->write(&source, kEncodingUndefined, true));
    EXPECT_EQ(0u, source.undecodableBytes());
    EXPECT_EQ(bytes.size(), m_folder.read("latin1.txt").size());
}

// The completion waits in the queue behind a call that destroys its
// receiver (the source and whatever owns it): it must find no receiver.
TEST_F(FileBufferSourceContract, ACompletionQueuedBehindItsReceiversDestructionIsDropped)
{
    auto source = std::make_unique<FileBufferSource>(write("held.txt", "held up\n"), kEncodingUndefined);
    Event opening(true, false);
    Event release(true, false);
    source->setFileOpener([&](const ustring& path, ustring& error) {
        opening.set();
        release.wait();
        return openReadableFile(path, error);
    });
    bool delivered = false;
    platform::ThreadHandle thread =
        source->startRead(std::make_unique<TokenStorage>(), kEncodingUndefined, [&](ReadResult) { delivered = true; });
    ASSERT_TRUE(thread);
    ASSERT_TRUE(opening.wait());
    postToMainThread([&source] { source.reset(); });
    release.set();
    ASSERT_TRUE(platform::get().joinThread(thread, platform::kInfiniteTimeout));
    runMainThreadQueue();
    EXPECT_FALSE(source);
    EXPECT_FALSE(delivered);
}

// The source goes while its reader is still held up opening the file; the
// reader is abandoned after the wait, then finishes on its own, dropping the
// storage, and posts nothing.
TEST_F(FileBufferSourceContract, ASourceDestroyedWhileTheReaderOpensIsNeverReached)
{
    auto source = std::make_unique<FileBufferSource>(write("held.txt", "held up\n"), kEncodingUndefined);
    source->setCancelWait(0);
    // Shared with the abandoned thread, which may outlive this test.
    auto opening = std::make_shared<Event>(true, false);
    auto release = std::make_shared<Event>(true, false);
    auto storageGone = std::make_shared<Event>(true, false);
    source->setFileOpener([opening, release](const ustring& path, ustring& error) {
        opening->set();
        release->wait();
        return openReadableFile(path, error);
    });
    auto delivered = std::make_shared<bool>(false);
    ASSERT_TRUE(source->startRead(std::make_unique<WatchedStorage>(storageGone), kEncodingUndefined,
                                  [delivered](ReadResult) { *delivered = true; }));
    ASSERT_TRUE(opening->wait());
    source.reset();
    release->set();
    ASSERT_TRUE(storageGone->wait());
    runMainThreadQueue();
    EXPECT_FALSE(*delivered);
}

TEST_F(FileBufferSourceContract, CancelBeforeTheQueueRunsDeliversNothing)
{
    FileBufferSource source(write("c.txt", "text\n"), kEncodingUndefined);
    bool delivered = false;
    platform::ThreadHandle thread = source.startRead(std::make_unique<TokenStorage>(), kEncodingUndefined,
                                                     [&](ReadResult) { delivered = true; });
    ASSERT_TRUE(thread);
    ASSERT_TRUE(platform::get().joinThread(thread, platform::kInfiniteTimeout));
    source.cancelRead();
    runMainThreadQueue();
    EXPECT_FALSE(delivered);
    EXPECT_EQ(0.0, source.readProgress());

    // A new read after it delivers as usual.
    std::optional<ReadResult> result = read(source);
    ASSERT_TRUE(result);
    EXPECT_EQ(ReadStatus::completed, result->status);
}

} // namespace
