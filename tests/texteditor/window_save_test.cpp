// Saving views of an editor window and reloading files changed on disk, with
// the dialogs scripted and the errors shown to the user recorded.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "support/scripted_dialogs.h"
#include "texteditor/application_fixture.h"
#include "texteditor/file_dialog_filter.h"
#include "texteditor/file_type_options.h"
#include "ui/notification_manager.h"
#include "ui/text/buffer_read_wait.h"
#include "ui/text/package_test_support.h"
#include "ui/text/syntax/syntax_manager.h"
#include "ui/text/text_buffer.h"

namespace application_test {
namespace {

namespace fs = std::filesystem;

const char16_t kPythonSyntax[] = u"Packages/Python/Python.tmLanguage";
const char16_t kTextSyntax[] = u"Packages/Text/Plain Text.tmLanguage";

std::string grammar(const std::string& name, const std::string& scopeName, const std::vector<std::string>& fileTypes)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                       "<key>name</key><string>" +
                       name + "</string><key>scopeName</key><string>" + scopeName +
                       "</string><key>fileTypes</key><array>";
    for (const std::string& fileType : fileTypes)
        text += "<string>" + fileType + "</string>";
    return text + "</array><key>patterns</key><array/></dict></plist>";
}

// A text with NULs in it, whole.
template <size_t N>
ustring withNuls(const char16_t (&text)[N])
{
    return ustring(text, N - 1);
}

bool isWritable(const fs::path& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IWUSR);
}

class SaveTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        writePackageFile("Text/Plain Text.tmLanguage", grammar("Plain Text", "text.plain", {"txt"}));
        writePackageFile("Python/Python.tmLanguage", grammar("Python", "source.python", {"py", "pyw"}));
        SyntaxManager::create();
        // The packages here have no toolbar, which the new window reported.
        m_errors.take();
    }
    void TearDown() override
    {
        destroyApplication();
        SyntaxManager::destroy();
        WindowTest::TearDown();
    }

    ustring path(const std::string& name) const { return toUstring((m_files / name).string()); }

    // A view of the file `name` holding `bytes`, read.
    slate::SP<TextBufferView> openText(const std::string& name, const std::string& bytes)
    {
        const ustring file = m_files.write(name, bytes);
        slate::SP<TextBufferView> view = m_window->openFile(file, kEncodingUndefined, TextEditorWindow::kOpenFromUser);
        EXPECT_NE(nullptr, view);
        if (view)
            buffer_test::waitForRead(*view->buffer());
        return view;
    }
    // A new untitled view holding `text` (so modified).
    slate::SP<TextBufferView> untitled(const ustring& text)
    {
        slate::SP<TextBufferView> view = m_window->newFile();
        view->buffer()->insertCharacters(0, text);
        return view;
    }
    static void nameBuffer(TextBuffer& buffer, const ustring& name)
    {
        slate::SP<Options> node(new Options);
        node->set("name", name);
        buffer.readSettings(node);
    }
    std::vector<std::string> errors() { return m_errors.take(); }

    test_support::ScratchFolder m_files{"vantrel-save"}; // the user's files
    test_support::ScriptedDialogs m_dialogs;
    package_test::ReportedErrors m_errors;
};

TEST_F(SaveTest, SaveWritesTheFileAndSaysSo)
{
    slate::SP<TextBufferView> view = openText("a.txt", "one\n");
    view->buffer()->insertCharacters(0, u"zero\n");
    ASSERT_TRUE(view->buffer()->isDirty());

    EXPECT_TRUE(m_window->saveView(view));
    EXPECT_EQ("zero\none\n", m_files.read("a.txt"));
    EXPECT_FALSE(view->buffer()->isDirty());
    EXPECT_EQ(u"Saved " + path("a.txt") + u" (UTF-8)", NotificationManager::get().status());
    EXPECT_TRUE(m_dialogs.questions.empty());
    EXPECT_TRUE(errors().empty());
}

// A save that cannot happen leaves the file and the buffer as they were and
// says once which file and why, so that a closing window keeps the view.
TEST_F(SaveTest, AFailedSaveKeepsEverythingAndSaysWhy)
{
    // The folder is gone.
    slate::SP<TextBufferView> gone = openText("sub/a.txt", "text\n");
    fs::remove_all(m_files / "sub");
    gone->buffer()->insertCharacters(0, u"more ");
    EXPECT_FALSE(m_window->saveView(gone));
    EXPECT_TRUE(gone->buffer()->isDirty());
    EXPECT_EQ(std::vector<std::string>{toUtf8(u"Unable to save " + path("sub/a.txt") + u"\n\nThe folder " +
                                              path("sub") + u" does not exist.")},
              errors());

    // A folder has taken the file's name.
    slate::SP<TextBufferView> folder = openText("b.txt", "text\n");
    fs::remove(m_files / "b.txt");
    fs::create_directory(m_files / "b.txt");
    m_files.write("b.txt/inside.txt", "kept");
    folder->buffer()->insertCharacters(0, u"more ");
    EXPECT_FALSE(m_window->saveView(folder));
    EXPECT_TRUE(folder->buffer()->isDirty());
    EXPECT_EQ("kept", m_files.read("b.txt/inside.txt"));
    EXPECT_EQ(std::vector<std::string>{toUtf8(u"Unable to save " + path("b.txt") + u"\n\nA folder has that name.")},
              errors());
}

// The disk fills up half way through the write (a file size limit stands in
// for the full disk): the original keeps every byte and the system's reason
// is shown.
TEST_F(SaveTest, AWriteThatRunsOutOfRoomLeavesTheOriginal)
{
    const std::string original = "the original\n";
    slate::SP<TextBufferView> view = openText("full.txt", original);
    view->buffer()->insertCharacters(0, ustring(200000, u'x'));

    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previousAction;
    ASSERT_EQ(0, sigaction(SIGXFSZ, &ignore, &previousAction));
    struct rlimit previousLimit;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &previousLimit));
    struct rlimit limit = previousLimit;
    limit.rlim_cur = 4096;
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limit));
    const bool saved = m_window->saveView(view);
    setrlimit(RLIMIT_FSIZE, &previousLimit);
    sigaction(SIGXFSZ, &previousAction, nullptr);

    EXPECT_FALSE(saved);
    EXPECT_EQ(original, m_files.read("full.txt"));
    EXPECT_TRUE(view->buffer()->isDirty());
    EXPECT_EQ(std::vector<std::string>{toUtf8(u"Unable to save " + path("full.txt") + u"\n\n") +
                                       std::strerror(EFBIG)},
              errors());
    for (const auto& entry : fs::directory_iterator(m_files.path()))
        EXPECT_EQ("full.txt", entry.path().filename().string()) << "no temporary file is left";
}

// A file whose bytes did not all decode would lose them to a save: the user
// is asked first, told the encoding, and No writes nothing.
TEST_F(SaveTest, SavingOverUndecodedBytesAsksFirst)
{
    // Latin-1 after a first chunk of ASCII: read as UTF-8, the accented
    // bytes do not decode.
    std::string bytes;
    while (bytes.size() < 300 * 1024)
        bytes += "plain ascii text\n";
    bytes += "caf\xE9 na\xEFve\n";
    slate::SP<TextBufferView> view = openText("latin1.txt", bytes);
    EXPECT_NE(ustring::npos, NotificationManager::get().status().find(u"could not be decoded"))
        << "opening told of the undecoded bytes";
    view->buffer()->insertCharacters(0, u"x");

    EXPECT_FALSE(m_window->saveView(view));
    ASSERT_EQ(1u, m_dialogs.questions.size());
    const Question& question = m_dialogs.questions[0];
    EXPECT_NE(ustring::npos, question.text.find(path("latin1.txt")));
    EXPECT_NE(ustring::npos, question.text.find(u"2 bytes"));
    EXPECT_NE(ustring::npos, question.text.find(u"UTF-8"));
    EXPECT_TRUE(question.noIsDefault);
    EXPECT_EQ(bytes, m_files.read("latin1.txt"));
    EXPECT_TRUE(view->buffer()->isDirty());

    // Saving under the same name again is the same overwrite; another
    // file loses nothing and needs no question.
    m_dialogs.questions.clear();
    m_dialogs.chooseToSave(path("latin1.txt"), 1);
    EXPECT_FALSE(m_window->saveAs(view, kEncodingUndefined));
    EXPECT_EQ(1u, m_dialogs.questions.size());
    EXPECT_EQ(bytes, m_files.read("latin1.txt"));

    m_dialogs.answer(QuestionAnswer::Yes);
    EXPECT_TRUE(m_window->saveView(view));
    EXPECT_EQ('x', m_files.read("latin1.txt")[0]);

    slate::SP<TextBufferView> other = openText("other.txt", bytes);
    errors();
    m_dialogs.questions.clear();
    m_dialogs.chooseToSave(path("copy.txt"), 1);
    EXPECT_TRUE(m_window->saveAs(other, kEncodingUndefined));
    EXPECT_TRUE(m_dialogs.questions.empty());
    EXPECT_EQ(bytes, m_files.read("other.txt"));
    EXPECT_EQ(bytes.size(), m_files.read("copy.txt").size());
    EXPECT_TRUE(errors().empty());
}

TEST_F(SaveTest, ReadOnlyFileIsOverwrittenOnlyOnYes)
{
    slate::SP<TextBufferView> view = openText("locked.txt", "original\n");
    fs::permissions(m_files / "locked.txt", fs::perms::owner_read | fs::perms::group_read);
    view->buffer()->insertCharacters(0, u"new ");

    EXPECT_FALSE(m_window->saveView(view));
    ASSERT_EQ(1u, m_dialogs.questions.size());
    EXPECT_EQ(u"Read only file", m_dialogs.questions[0].caption);
    EXPECT_EQ(path("locked.txt") + u" is read only, do you want to overwrite it?", m_dialogs.questions[0].text);
    EXPECT_TRUE(m_dialogs.questions[0].noIsDefault);
    EXPECT_EQ("original\n", m_files.read("locked.txt"));
    EXPECT_FALSE(isWritable(m_files / "locked.txt"));

    m_dialogs.answer(QuestionAnswer::Yes);
    EXPECT_TRUE(m_window->saveView(view));
    EXPECT_EQ("new original\n", m_files.read("locked.txt"));
    EXPECT_TRUE(isWritable(m_files / "locked.txt"));
    EXPECT_TRUE(errors().empty());
}

TEST_F(SaveTest, SaveAsOverAnExistingFileAsksWhichQuestionFits)
{
    m_files.write("plain.txt", "plain\n");
    m_files.write("locked.txt", "locked\n");
    fs::permissions(m_files / "locked.txt", fs::perms::owner_read);
    struct Case {
        const char* target;
        const char16_t* caption; // empty: nothing asked
        QuestionAnswer answer;
        bool saved;
    } cases[] = {
        {"plain.txt", u"Save As", QuestionAnswer::No, false},
        {"locked.txt", u"Read only file", QuestionAnswer::No, false},
        {"new.txt", u"", QuestionAnswer::No, true},
        {"plain.txt", u"Save As", QuestionAnswer::Yes, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(std::string(row.target) + (row.answer == QuestionAnswer::Yes ? " yes" : " no"));
        const std::string before = m_files.read(row.target);
        slate::SP<TextBufferView> view = untitled(u"written");
        m_dialogs.questions.clear();
        m_dialogs.chooseToSave(path(row.target));
        if (!ustring(row.caption).empty())
            m_dialogs.answer(row.answer);
        EXPECT_EQ(row.saved, m_window->saveAs(view, kEncodingUndefined));
        if (ustring(row.caption).empty()) {
            EXPECT_TRUE(m_dialogs.questions.empty());
        } else {
            ASSERT_EQ(1u, m_dialogs.questions.size());
            EXPECT_EQ(row.caption, m_dialogs.questions[0].caption);
            EXPECT_TRUE(m_dialogs.questions[0].noIsDefault);
        }
        EXPECT_EQ(row.saved ? "written" : before, m_files.read(row.target));
        EXPECT_EQ(!row.saved, view->buffer()->isDirty());
        if (!row.saved) {
            EXPECT_EQ(nullptr, view->buffer()->source()) << "a refused name is not taken";
        }
    }
}

TEST_F(SaveTest, SaveAsCompletesTheTypedName)
{
    struct Case {
        const char* typed;
        int filterIndex; // as chosen in the dialog
        const char* written;
    } cases[] = {
        {"foo", 3, "foo.py"}, // Python (py, pyw): its first extension
        {"bar", 2, "bar.txt"}, // Plain Text, the first syntax
        {"baz", 1, "baz"},     // All Files
        {"dot.", 3, "dot"},    // a final lone dot goes
        {"a.b", 3, "a.b"},     // a dot inside: as typed
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.typed);
        slate::SP<TextBufferView> view = untitled(u"text");
        m_dialogs.chooseToSave(path(row.typed), row.filterIndex);
        ASSERT_TRUE(m_window->saveAs(view, kEncodingUndefined));
        EXPECT_EQ(path(row.written), view->buffer()->source()->path());
        EXPECT_EQ("text", m_files.read(row.written));
    }
}

TEST_F(SaveTest, SaveAsDialogOffersTheFileTypesWithTheViewsOwnSelected)
{
    slate::SP<TextBufferView> view = openText("script.py", "pass\n");
    m_dialogs.cancelSave();
    EXPECT_FALSE(m_window->saveAs(view, kEncodingUndefined));
    ASSERT_EQ(1u, m_dialogs.saveRequests.size());
    const FileDialogRequest& request = m_dialogs.saveRequests[0];
    EXPECT_EQ(buildFileDialogFilter(fileTypeList(SyntaxManager::get()), FilterCaption::VisibleExtensions),
              request.filter);
    EXPECT_EQ(0u, request.filter.find(withNuls(u"All Files (*.*)\0*.*\0Plain Text (*.txt)\0*.txt\0Python")));
    EXPECT_EQ(3, request.filterIndex); // All Files, Plain Text, Python: menu order
    EXPECT_EQ(currentDirectory(), request.initialFolder);
    EXPECT_TRUE(errors().empty()) << "a plain cancel is no error";
}

TEST_F(SaveTest, AForcedExtensionIsTheOnlyFilterAndIsAppended)
{
    slate::SP<TextBufferView> view = untitled(u"text");
    view->options()->set("forcedExtension", u"txt");
    m_dialogs.chooseToSave(path("notes"), 0);
    ASSERT_TRUE(m_window->saveAs(view, kEncodingUndefined));
    ASSERT_EQ(1u, m_dialogs.saveRequests.size());
    EXPECT_EQ(withNuls(u"txt\0*.txt\0\0"), m_dialogs.saveRequests[0].filter);
    EXPECT_EQ(0, m_dialogs.saveRequests[0].filterIndex);
    EXPECT_EQ("text", m_files.read("notes.txt"));
}

TEST_F(SaveTest, TheBuffersOwnNameStartsTheDialogWhenAFileCanHaveIt)
{
    struct Case {
        const char16_t* name;
        const char16_t* initial;
    } cases[] = {{u"notes", u"notes"}, {u"a/b", u""}, {u"", u""}};
    for (const Case& row : cases) {
        SCOPED_TRACE(toUtf8(ustring(row.name)));
        slate::SP<TextBufferView> view = untitled(u"text");
        nameBuffer(*view->buffer(), row.name);
        m_dialogs.saveRequests.clear();
        m_dialogs.cancelSave();
        EXPECT_FALSE(m_window->saveView(view)) << "an untitled buffer goes through the dialog";
        ASSERT_EQ(1u, m_dialogs.saveRequests.size());
        EXPECT_EQ(row.initial, m_dialogs.saveRequests[0].fileName);
    }
}

TEST_F(SaveTest, ADialogFailureIsReported)
{
    slate::SP<TextBufferView> view = untitled(u"text");
    m_dialogs.cancelSave(12290);
    EXPECT_FALSE(m_window->saveAs(view, kEncodingUndefined));
    EXPECT_EQ(std::vector<std::string>{toUtf8(fileDialogErrorText(u"save", 12290))}, errors());
}

// Saving under a name of another file type gives the view that type's
// options, makes the file's folder current and puts it first among the
// recent files.
TEST_F(SaveTest, SaveAsUnderAnotherTypeSwitchesTheViewsOptions)
{
    m_application->m_history.recentFiles.restore({u"/elsewhere/other.txt", path("sub/tool.py")});
    slate::SP<TextBufferView> view = untitled(u"print(1)\n");
    ustring syntax;
    view->options()->getString(ustring(u"syntax"), syntax);
    ASSERT_EQ(kTextSyntax, syntax);
    int notified = 0;
    view->options()->addListener([&notified] { ++notified; });

    m_files.makeFolder("sub");
    m_dialogs.chooseToSave(path("sub/tool.py"), 1);
    ASSERT_TRUE(m_window->saveAs(view, kEncodingUndefined));

    view->options()->getString(ustring(u"syntax"), syntax);
    EXPECT_EQ(kPythonSyntax, syntax);
    EXPECT_TRUE(hasSyntaxOptions(view->options(), kPythonSyntax));
    EXPECT_FALSE(hasSyntaxOptions(view->options(), kTextSyntax));
    EXPECT_GT(notified, 0);
    EXPECT_TRUE(fs::equivalent(m_files / "sub", fs::path(toUtf8(currentDirectory()))));
    EXPECT_EQ((std::vector<ustring>{path("sub/tool.py"), u"/elsewhere/other.txt"}),
              m_application->m_history.recentFiles.entries());
    EXPECT_EQ(u"Saved " + path("sub/tool.py") + u" (UTF-8)", NotificationManager::get().status());
}

TEST_F(SaveTest, SaveAsTakesTheNamedEncodingFromTheCommand)
{
    slate::SP<TextBufferView> view = untitled(u"hi");
    m_dialogs.chooseToSave(path("wide.txt"), 1);
    const ustring line = u"saveAs \"" + encodingName(kEncodingUtf16LEWithBom) + u"\"";
    m_window->windowCommandRunner().exec(line);
    EXPECT_EQ(std::string("\xFF\xFEh\0i\0", 6), m_files.read("wide.txt"));

    // An unknown name keeps the buffer's encoding.
    m_dialogs.chooseToSave(path("same.txt"), 1);
    m_window->windowCommandRunner().exec(ustring(u"saveAs nonsense"));
    EXPECT_EQ(std::string("\xFF\xFEh\0i\0", 6), m_files.read("same.txt"));
}

TEST_F(SaveTest, SaveIsEnabledOnlyForUnsavedChanges)
{
    EXPECT_FALSE(m_window->windowCommandRunner().isEnabled(ustring(u"save")));
    EXPECT_FALSE(m_window->windowCommandRunner().isEnabled(ustring(u"saveAs")));
    slate::SP<TextBufferView> view = openText("a.txt", "one\n");
    EXPECT_FALSE(m_window->windowCommandRunner().isEnabled(ustring(u"save")));
    EXPECT_TRUE(m_window->windowCommandRunner().isEnabled(ustring(u"saveAs")));
    view->buffer()->insertCharacters(0, u"0");
    ASSERT_TRUE(m_window->windowCommandRunner().isEnabled(ustring(u"save")));
    m_window->windowCommandRunner().exec(ustring(u"save"));
    EXPECT_EQ("0one\n", m_files.read("a.txt"));
    EXPECT_FALSE(m_window->windowCommandRunner().isEnabled(ustring(u"save")));
}

// Cancelling the save dialog of an untitled buffer stops "saveAll" before
// the views after it.
TEST_F(SaveTest, SaveAllStopsWhenAnUntitledBuffersDialogIsCancelled)
{
    slate::SP<TextBufferView> file = openText("a.txt", "one\n");
    file->buffer()->insertCharacters(0, u"0");
    slate::SP<TextBufferView> fresh = untitled(u"new");
    ASSERT_EQ(fresh, m_window->viewSet().allViews()[0].view) << "the untitled view comes first";

    m_dialogs.cancelSave();
    m_window->windowCommandRunner().exec(ustring(u"saveAll"));
    EXPECT_EQ(1u, m_dialogs.saveRequests.size());
    EXPECT_EQ("one\n", m_files.read("a.txt"));
    EXPECT_TRUE(file->buffer()->isDirty());

    // The build's save skips it and asks nothing.
    EXPECT_TRUE(m_window->saveAllWithFiles());
    EXPECT_EQ(1u, m_dialogs.saveRequests.size());
    EXPECT_EQ("0one\n", m_files.read("a.txt"));
    EXPECT_TRUE(fresh->buffer()->isDirty());

    m_dialogs.chooseToSave(path("b.txt"), 1);
    EXPECT_TRUE(m_window->saveAll());
    EXPECT_EQ("new", m_files.read("b.txt"));
}

TEST_F(SaveTest, ReloadFollowsTheOptionsAndNeverDropsEditsUnasked)
{
    struct Case {
        const char* name;
        bool ignoreChanged;
        bool autoReload;
        bool edited;
        QuestionAnswer answer;
        bool asked;
        bool reloaded;
    } cases[] = {
        {"ask, yes", false, false, false, QuestionAnswer::Yes, true, true},
        {"ask, no", false, false, false, QuestionAnswer::No, true, false},
        {"ask with edits, yes", false, false, true, QuestionAnswer::Yes, true, true},
        {"ignore", true, false, true, QuestionAnswer::No, false, false},
        {"ignore wins", true, true, false, QuestionAnswer::No, false, false},
        {"automatic", false, true, false, QuestionAnswer::No, false, true},
        {"automatic with edits, no", false, true, true, QuestionAnswer::No, true, false},
        {"automatic with edits, yes", false, true, true, QuestionAnswer::Yes, true, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const std::string file = std::string(row.name) + ".txt";
        slate::SP<TextBufferView> view = openText(file, "old\n");
        view->options()->setBool("ignoreChanged", row.ignoreChanged);
        view->options()->setBool("autoReloadChanged", row.autoReload);
        if (row.edited)
            view->buffer()->insertCharacters(0, u"edit ");
        const ustring before = view->buffer()->str();
        m_files.write(file, "changed on disk\n");
        m_dialogs.questions.clear();
        if (row.asked)
            m_dialogs.answer(row.answer);

        m_window->checkReload(view);
        buffer_test::waitForRead(*view->buffer());
        ASSERT_EQ(row.asked ? 1u : 0u, m_dialogs.questions.size());
        if (row.asked) {
            const Question& question = m_dialogs.questions[0];
            EXPECT_EQ(u"Vantrel", question.caption);
            EXPECT_EQ(QuestionIcon::Question, question.icon);
            EXPECT_EQ(0u, question.text.find(path(file) + u"\n\nHas changed on disk.\n"));
            EXPECT_EQ(row.edited, question.text.find(u"unsaved changes") != ustring::npos);
        }
        EXPECT_EQ(row.reloaded ? u"changed on disk\n" : before, view->buffer()->str());
        m_dialogs.questions.clear();

        // Asked once: the same change is not offered again.
        m_window->checkReload(view);
        EXPECT_TRUE(m_dialogs.questions.empty());
    }
    EXPECT_TRUE(errors().empty());
}

// A file removed behind the editor's back: its text stays, counts as
// unsaved, nothing offers to reload it, and saving writes it again.
TEST_F(SaveTest, AFileDeletedOnDiskKeepsItsTextAsUnsaved)
{
    slate::SP<TextBufferView> view = openText("gone.txt", "precious\n");
    ASSERT_FALSE(view->buffer()->isDirty());
    fs::remove(m_files / "gone.txt");
    m_window->checkReload(view);
    EXPECT_TRUE(m_dialogs.questions.empty());
    EXPECT_EQ(u"precious\n", view->buffer()->str());
    EXPECT_TRUE(view->buffer()->isDirty());
    EXPECT_TRUE(m_window->windowCommandRunner().isEnabled(ustring(u"save")));

    EXPECT_TRUE(m_window->saveView(view));
    EXPECT_EQ("precious\n", m_files.read("gone.txt"));
    EXPECT_FALSE(view->buffer()->isDirty());
}

} // namespace
} // namespace application_test
