// Loading, reverting and saving a buffer. Most tests drive the read by hand
// through a scripted source, so that they can act while it is running (click,
// save, destroy) and then finish or fail it; the rest read and write real
// files through the file buffer source and its thread.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "ui/main_thread_queue.h"
#include "ui/text/buffer_read_wait.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/package_test_support.h"
#include "ui/text/selection_printers.h"
#include "ui/text/view_test_canvas.h"
#include "ui/text/view_test_support.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_state.h"
#include "ui/thread.h"
#include "ui/unicode.h"

namespace {

using buffer_test::waitForRead;

// A source whose read the test ends: finish delivers a storage holding the
// given text, fail a failure, both on the calling (main) thread.
class ScriptedSource : public BufferSource {
public:
    explicit ScriptedSource(ustring path = u"/files/a.txt") : m_path(std::move(path)) {}

    const ustring& path() const override { return m_path; }
    const ustring& displayName() const override { return m_path; }
    FileEncoding encoding() const override { return kEncodingUndefined; }
    platform::ThreadHandle startRead(std::unique_ptr<TokenStorage> storage, FileEncoding,
                                     ReadCompletion completion) override
    {
        ++reads;
        if (refuseThreads)
            return nullptr;
        m_storage = std::move(storage);
        m_completion = std::move(completion);
        return this;
    }
    void cancelRead() override
    {
        if (m_completion)
            ++*cancels;
        m_storage.reset();
        m_completion = nullptr;
    }
    double readProgress() const override { return progress; }
    uint64_t undecodableBytes() const override { return 0; }
    void makeDirectoryCurrent() override {}
    std::unique_ptr<OutStream> openOutStream() override { return nullptr; }
    bool hasChangedOnDisk() override { return false; }

    bool running() const { return static_cast<bool>(m_completion); }
    void finish(const ustring& text)
    {
        ReadResult result;
        result.status = ReadStatus::completed;
        m_storage->appendWithoutLexing(text.data(), text.data() + text.size());
        result.storage = std::move(m_storage);
        deliver(std::move(result));
    }
    void fail()
    {
        ReadResult result;
        result.status = ReadStatus::readFailed;
        result.error = u"the disk went away";
        m_storage.reset();
        deliver(std::move(result));
    }

    int reads = 0;
    double progress = 0.0;
    // Shared, so that it can be read after the buffer deleted the source.
    std::shared_ptr<int> cancels = std::make_shared<int>(0);
    bool refuseThreads = false;

private:
    void deliver(ReadResult result)
    {
        ReadCompletion completion = std::move(m_completion);
        m_completion = nullptr;
        completion(std::move(result));
    }

    ustring m_path;
    std::unique_ptr<TokenStorage> m_storage;
    ReadCompletion m_completion;
};

using view_test::makeBuffer;

// Loads `text` through a scripted source and returns the source, still owned
// by the buffer.
ScriptedSource* loadText(TextBuffer& buffer, const ustring& text)
{
    auto owned = std::make_unique<ScriptedSource>();
    ScriptedSource* source = owned.get();
    EXPECT_TRUE(buffer.load(std::move(owned)));
    source->finish(text);
    return source;
}

// What the user does to a buffer while its file is read: a click that puts
// the caret elsewhere, as its own command.
void click(TextBuffer& buffer, ViewState& state, int64_t position)
{
    buffer.beginUndoGroup(u"drag_select");
    state.mutableSel().clear();
    state.mutableSel().add(SelectionRegion(position));
    buffer.endUndoGroup(false, false);
}

TEST(TextBufferFile, LoadShowsNothingEditableUntilTheReadEndsThenRunsTheLoadListenersOnce)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"old text");
    slate::SP<ViewState> state = buffer->createViewState();
    state->mutableSel().add(SelectionRegion(3));
    int loads = 0;
    buffer->addLoadListener([&] { ++loads; });

    auto owned = std::make_unique<ScriptedSource>();
    ScriptedSource* source = owned.get();
    ASSERT_TRUE(buffer->load(std::move(owned)));
    EXPECT_TRUE(buffer->isReading());
    EXPECT_TRUE(buffer->isReadOnly());
    EXPECT_EQ(u"", buffer->str());
    EXPECT_EQ(SelectionSet(SelectionRegion(0)), state->sel());
    EXPECT_EQ(0, buffer->insertCharacters(0, u"typed"));

    source->finish(u"line one\nline two");
    EXPECT_FALSE(buffer->isReading());
    EXPECT_FALSE(buffer->isReadOnly());
    EXPECT_EQ(u"line one\nline two", buffer->str());
    EXPECT_EQ(1, loads);
    EXPECT_FALSE(buffer->isDirty());
    EXPECT_FALSE(buffer->canUndo());
    EXPECT_TRUE(buffer->readError().empty());
    EXPECT_EQ(source, buffer->source());

    EXPECT_TRUE(buffer->revert());
    source->finish(u"again");
    EXPECT_EQ(1, loads) << "load listeners run once";
}

// A failed load must not leave an empty text that a save would write over
// the file it could not read: the buffer keeps no source.
TEST(TextBufferFile, FailedLoadIsReportedAndLeavesNothingThatCanBeSavedOverTheFile)
{
    package_test::ReportedErrors errors;
    struct Case {
        const char* name;
        bool threadRefused;
    };
    for (const Case& c : {Case{"read fails", false}, Case{"no thread starts", true}}) {
        SCOPED_TRACE(c.name);
        slate::SP<TextBuffer> buffer = makeBuffer(u"previous");
        int loads = 0;
        buffer->addLoadListener([&] { ++loads; });
        auto owned = std::make_unique<ScriptedSource>(u"/files/locked.txt");
        ScriptedSource* source = owned.get();
        source->refuseThreads = c.threadRefused;
        EXPECT_EQ(!c.threadRefused, buffer->load(std::move(owned)));
        if (!c.threadRefused)
            source->fail();

        EXPECT_FALSE(buffer->isReading());
        EXPECT_EQ(nullptr, buffer->source());
        EXPECT_EQ(u"", buffer->str());
        EXPECT_EQ(u"Unable to open /files/locked.txt", buffer->readError());
        EXPECT_EQ(0, loads);
        EXPECT_FALSE(buffer->save());
        EXPECT_FALSE(buffer->revert());
    }
    EXPECT_EQ(std::vector<std::string>(2, "Unable to open /files/locked.txt"), errors.take());
}

// The revert group is made when the read ends, after whatever the user did
// meanwhile, so one undo takes exactly the revert back; the clicked caret is
// what comes back with it.
TEST(TextBufferFile, RevertIsOneUndoStepEvenWithAClickDuringTheRead)
{
    slate::SP<TextBuffer> buffer = makeBuffer();
    slate::SP<ViewState> state = buffer->createViewState();
    ScriptedSource* source = loadText(*buffer, u"saved text");
    buffer->insertCharacters(6, u"edited ");
    ASSERT_EQ(u"saved edited text", buffer->str());
    ASSERT_TRUE(buffer->isDirty());

    ASSERT_TRUE(buffer->revert());
    EXPECT_TRUE(buffer->isReading());
    EXPECT_EQ(u"saved edited text", buffer->str()) << "the text stays until the read ends";
    click(*buffer, *state, 2);
    EXPECT_FALSE(buffer->save()) << "no save while reading";
    EXPECT_FALSE(buffer->revert()) << "no second revert while reading";
    source->finish(u"text on disk");

    EXPECT_EQ(u"text on disk", buffer->str());
    EXPECT_FALSE(buffer->isDirty());
    EXPECT_EQ(u"revert", *buffer->undoStack().top().commandText);
    EXPECT_EQ(SelectionSet(SelectionRegion(0)), state->sel());

    buffer->undo();
    EXPECT_EQ(u"saved edited text", buffer->str());
    EXPECT_TRUE(buffer->isDirty());
    EXPECT_EQ(SelectionSet(SelectionRegion(2)), state->sel());
    buffer->undo();
    EXPECT_EQ(u"saved text", buffer->str()) << "the edit before it is the next step";

    buffer->redo();
    buffer->redo();
    EXPECT_EQ(u"text on disk", buffer->str());
    EXPECT_FALSE(buffer->isDirty());
}

// Progress is the source's while a read runs and complete otherwise, and the
// spelling checker of the text carries over to the text read.
TEST(TextBufferFile, ReadProgressAndSpellCheckerAcrossALoad)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"x");
    EXPECT_EQ(1.0, buffer->readProgress());
    EXPECT_FALSE(buffer->hasSpellChecker());
    buffer->m_tokenStorage->setSpellChecker(slate::SP<SpellChecker>(new SpellChecker));
    EXPECT_TRUE(buffer->hasSpellChecker());

    ScriptedSource* source = loadText(*buffer, u"loaded");
    ASSERT_TRUE(buffer->revert());
    source->progress = 0.25;
    EXPECT_EQ(0.25, buffer->readProgress());
    source->finish(u"reverted");
    EXPECT_EQ(1.0, buffer->readProgress());
    EXPECT_TRUE(buffer->hasSpellChecker());
}

// A command running a modal loop pumps the main-thread queue with its undo
// group open; a revert read that ends then waits for the group to close
// instead of nesting in it.
TEST(TextBufferFile, RevertEndingInsideAnOpenGroupWaitsForItToClose)
{
    slate::SP<TextBuffer> buffer = makeBuffer();
    ScriptedSource* source = loadText(*buffer, u"saved");
    buffer->insertCharacters(5, u" edited");
    ASSERT_TRUE(buffer->revert());
    buffer->beginUndoGroup(u"modal_command");
    source->finish(u"on disk");
    EXPECT_TRUE(buffer->isReading());
    EXPECT_EQ(u"saved edited", buffer->str());
    buffer->endUndoGroup(false, false);

    EXPECT_FALSE(buffer->isReading());
    EXPECT_EQ(u"on disk", buffer->str());
    EXPECT_FALSE(buffer->isDirty());
    EXPECT_EQ(u"revert", *buffer->undoStack().top().commandText);
    buffer->undo();
    EXPECT_EQ(u"saved edited", buffer->str());
}

// A load and a revert put a new token storage under the buffer's views; their
// renderers must move to it (under the sanitizers, a renderer left on the old
// storage reads freed memory when it next draws or goes).
TEST(TextBufferFile, ViewsDrawTheNewTextAfterALoadAndARevert)
{
    GridRecordingCanvas canvas;
    slate::SP<TextBuffer> buffer = makeBuffer(u"before");
    slate::SP<TextBufferView> first = buffer->createView(&canvas);
    slate::SP<TextBufferView> second = buffer->createView(&canvas);
    for (TextBufferView* view : {first.get(), second.get()})
        view->setViewportSize(200.f, 100.f);
    ViewFrame frame;
    first->draw(&canvas, frame);

    ScriptedSource* source = loadText(*buffer, u"loaded text");
    buffer->insertCharacters(0, u"x");
    ASSERT_TRUE(buffer->revert());
    source->finish(u"reverted text");
    ASSERT_EQ(u"reverted text", buffer->str());
    for (TextBufferView* view : {first.get(), second.get()}) {
        ASSERT_NE(nullptr, view->renderer());
        canvas.clearLines();
        view->draw(&canvas, frame);
    }
    EXPECT_EQ(first->renderer(), second->renderer()) << "views that lay out alike still share";
    second.reset();
    first.reset();
}

// Empty texts on either side of a revert: it always gives the file's text,
// clean, and one undo always gives back what was there.
TEST(TextBufferFile, RevertAndUndoBetweenEmptyAndNonEmptyTexts)
{
    struct Case {
        ustring before;
        ustring file;
    };
    const Case cases[] = {{u"", u"abc"}, {u"abc", u""}, {u"", u""}, {u"x\ny", u"x\nz"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.before) + " -> " + toUtf8(c.file));
        slate::SP<TextBuffer> buffer = makeBuffer();
        ScriptedSource* source = loadText(*buffer, u"loaded");
        buffer->eraseCharacters(SelectionRegion(0, buffer->size()));
        buffer->insertCharacters(0, c.before);
        ASSERT_TRUE(buffer->revert());
        source->finish(c.file);
        EXPECT_EQ(c.file, buffer->str());
        EXPECT_FALSE(buffer->isDirty());
        buffer->softUndo();
        EXPECT_EQ(c.before, buffer->str());
    }
}

TEST(TextBufferFile, FailedRevertKeepsTheTextAndItsStateAndIsReported)
{
    package_test::ReportedErrors errors;
    slate::SP<TextBuffer> buffer = makeBuffer();
    ScriptedSource* source = loadText(*buffer, u"saved");
    buffer->insertCharacters(5, u" and edited");
    int loads = 0;
    buffer->addLoadListener([&] { ++loads; });

    ASSERT_TRUE(buffer->revert());
    source->fail();
    EXPECT_FALSE(buffer->isReading());
    EXPECT_EQ(u"saved and edited", buffer->str());
    EXPECT_TRUE(buffer->isDirty());
    EXPECT_EQ(source, buffer->source()) << "the file is still the buffer's";
    EXPECT_EQ(u"Unable to open /files/a.txt", buffer->readError());
    EXPECT_EQ(0, loads);
    buffer->undo();
    EXPECT_EQ(u"saved", buffer->str());
    EXPECT_FALSE(buffer->isDirty());

    // A source that cannot start a thread fails the revert at once.
    source->refuseThreads = true;
    EXPECT_FALSE(buffer->revert());
    EXPECT_FALSE(buffer->isReading());
    EXPECT_EQ(u"saved", buffer->str());
    EXPECT_EQ(std::vector<std::string>(2, "Unable to open /files/a.txt"), errors.take());
}

TEST(TextBufferFile, RevertNeedsASourceNoReadAndNoOpenGroup)
{
    slate::SP<TextBuffer> untitled = makeBuffer(u"text");
    EXPECT_FALSE(untitled->revert());

    slate::SP<TextBuffer> buffer = makeBuffer();
    ScriptedSource* source = loadText(*buffer, u"text");
    buffer->beginUndoGroup(u"command");
    EXPECT_FALSE(buffer->revert());
    buffer->endUndoGroup(false, false);
    EXPECT_EQ(1, source->reads);
    EXPECT_TRUE(buffer->revert());
    EXPECT_EQ(2, source->reads);
}

// Without a source nothing is written, so nothing is saved: the buffer stays
// dirty, or an untitled buffer would close without a prompt.
TEST(TextBufferFile, SavingWithoutASourceReturnsFalseAndStaysDirty)
{
    slate::SP<TextBuffer> buffer = makeBuffer();
    buffer->insertCharacters(0, u"untitled text");
    std::vector<std::string> calls;
    buffer->addPreSaveListener([&] { calls.push_back("pre"); });
    buffer->addPostSaveListener([&] { calls.push_back("post"); });
    EXPECT_FALSE(buffer->save());
    EXPECT_TRUE(buffer->isDirty());
    EXPECT_EQ((std::vector<std::string>{"pre", "post"}), calls);
}

TEST(TextBufferFile, SaveWhileReadingCallsNoListener)
{
    slate::SP<TextBuffer> buffer = makeBuffer();
    int calls = 0;
    buffer->addPreSaveListener([&] { ++calls; });
    buffer->addPostSaveListener([&] { ++calls; });
    auto owned = std::make_unique<ScriptedSource>();
    ScriptedSource* source = owned.get();
    buffer->load(std::move(owned));
    EXPECT_FALSE(buffer->save());
    EXPECT_EQ(0, calls);
    source->finish(u"done");
}

TEST(TextBufferFile, ClearDropsSourceHistoryBookmarksSelectionsAndText)
{
    slate::SP<TextBuffer> buffer = makeBuffer();
    slate::SP<ViewState> state = buffer->createViewState();
    std::shared_ptr<int> cancels = loadText(*buffer, u"some text here")->cancels;
    buffer->insertCharacters(0, u">");
    buffer->m_bookmarks.add(SelectionRegion(4, 8));
    state->mutableSel().add(SelectionRegion(9, 12));
    state->namedRegions(buffer->internRegionName(u"find")).regions.add(SelectionRegion(1, 3));

    // A read still running is cancelled, and its completion never comes.
    ASSERT_TRUE(buffer->revert());
    buffer->clear();
    EXPECT_EQ(1, *cancels);
    EXPECT_FALSE(buffer->isReading());
    EXPECT_EQ(nullptr, buffer->source());
    EXPECT_EQ(u"", buffer->str());
    EXPECT_FALSE(buffer->canUndo());
    EXPECT_FALSE(buffer->isDirty());
    EXPECT_TRUE(buffer->m_bookmarks.empty());
    EXPECT_EQ(SelectionSet(SelectionRegion(0)), state->sel());
    EXPECT_TRUE(state->namedRegions().empty());
}

class TextBufferFiles : public ::testing::Test {
protected:
    test_support::ScratchFolder m_folder{"vantrel-buffer-files"};
};

// Through the real reader and writer: the file's line ending and encoding
// come back on save, and an edit and its undo give back the bytes read.
TEST_F(TextBufferFiles, EditUndoAndSaveGiveBackTheFilesBytes)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string edited;
    };
    const Case cases[] = {
        {"UTF-8, CR LF", "first\r\nsecond\r\n", ">first\r\nsecond\r\n"},
        {"UTF-8 with BOM, LF", "\xEF\xBB\xBF" "caf\xC3\xA9\nx", "\xEF\xBB\xBF>caf\xC3\xA9\nx"},
        {"UTF-16LE, CR", std::string("\xFF\xFE" "a\0\r\0b\0", 8), std::string("\xFF\xFE>\0a\0\r\0b\0", 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_folder.write("file.txt", c.bytes);
        const ustring path = test_support::programPath((m_folder / "file.txt").string());
        slate::SP<TextBuffer> buffer = makeBuffer();
        ASSERT_TRUE(buffer->load(std::make_unique<FileBufferSource>(path, kEncodingUndefined)));
        waitForRead(*buffer);
        buffer->insertCharacters(0, u">");
        ASSERT_TRUE(buffer->save());
        EXPECT_FALSE(buffer->isDirty());
        EXPECT_EQ(c.edited, m_folder.read("file.txt"));
        buffer->undo();
        EXPECT_TRUE(buffer->isDirty());
        ASSERT_TRUE(buffer->save());
        EXPECT_EQ(c.bytes, m_folder.read("file.txt"));
    }
}

// A write that cannot reach the file changes nothing: the buffer stays dirty
// and the post-save listeners still run.
TEST_F(TextBufferFiles, FailedWriteLeavesTheBufferDirty)
{
    slate::SP<TextBuffer> buffer = makeBuffer(u"text");
    buffer->insertCharacters(0, u"more ");
    const ustring path = test_support::programPath((m_folder / "missing folder" / "a.txt").string());
    buffer->setSource(std::make_unique<FileBufferSource>(path, kEncodingUndefined));
    int postSaves = 0;
    buffer->addPostSaveListener([&] { ++postSaves; });
    EXPECT_FALSE(buffer->save());
    EXPECT_TRUE(buffer->isDirty());
    EXPECT_EQ(1, postSaves);
}

// The buffer goes while its reader is held up opening the file: the read is
// cancelled, and the reader ends on its own without reaching the buffer.
TEST_F(TextBufferFiles, BufferDestroyedBeforeTheReadCompletesIsNeverReached)
{
    // Shared with the reading thread, which may outlive the buffer.
    struct Held {
        Event opening{true, false};
        Event release{true, false};
        Event fileClosed{true, false};
        Event readerDone{true, false};
    };
    // Goes with the last copy of the file opener, which the reading thread
    // drops only after it decided whether to post a completion.
    struct ReaderDone {
        explicit ReaderDone(std::shared_ptr<Held> held) : m_held(std::move(held)) {}
        ~ReaderDone() { m_held->readerDone.set(); }
        std::shared_ptr<Held> m_held;
    };
    class ClosingFile : public ReadableFile {
    public:
        ClosingFile(std::unique_ptr<ReadableFile> file, std::shared_ptr<Held> held)
            : m_file(std::move(file)), m_held(std::move(held))
        {
        }
        ~ClosingFile() override { m_held->fileClosed.set(); }
        int64_t size() override { return m_file->size(); }
        size_t read(void* into, size_t capacity, bool& failed, ustring& error) override
        {
            return m_file->read(into, capacity, failed, error);
        }

    private:
        std::unique_ptr<ReadableFile> m_file;
        std::shared_ptr<Held> m_held;
    };

    auto held = std::make_shared<Held>();
    const ustring path = test_support::programPath((m_folder / "held.txt").string());
    m_folder.write("held.txt", "held up\n");
    auto source = std::make_unique<FileBufferSource>(path, kEncodingUndefined);
    source->setCancelWait(0);
    auto readerDone = std::make_shared<ReaderDone>(held);
    source->setFileOpener([held, readerDone](const ustring& name, ustring& error) -> std::unique_ptr<ReadableFile> {
        held->opening.set();
        held->release.wait();
        std::unique_ptr<ReadableFile> file = openReadableFile(name, error);
        if (!file)
            return nullptr;
        return std::make_unique<ClosingFile>(std::move(file), held);
    });
    {
        slate::SP<TextBuffer> buffer = makeBuffer();
        int loads = 0;
        buffer->addLoadListener([&] { ++loads; });
        ASSERT_TRUE(buffer->load(std::move(source)));
        ASSERT_TRUE(held->opening.wait());
    }
    held->release.set();
    readerDone.reset();
    ASSERT_TRUE(held->fileClosed.wait(20000));
    ASSERT_TRUE(held->readerDone.wait(20000));
    runMainThreadQueue();
}

} // namespace
