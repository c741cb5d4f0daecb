// The clipboard and macro-saving commands, run through a text control's
// command table against an in-memory desktop: what copy puts on the
// clipboard, the shapes paste chooses, the private record and its decoder,
// the file browser's command line and the save dialog's use.
#include "controls/clipboard_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "controls/desktop_services.h"
#include "controls/text_control_bindings.h"
#include "filesystem/file_utils.h"
#include "support/memory_desktop.h"
#include "support/scratch_folder.h"
#include "ui/notification_manager.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/macro.h"
#include "ui/text/text_function_fixture.h"
#include "ui/unicode.h"

namespace {

using Regions = std::vector<SelectionRegion>;

ustring fromUtf8(const std::string& text) { return utf8ToUtf16(text.data(), text.data() + text.size()); }

class ClipboardCommandsTest : public TextFunctionTest {
protected:
    void SetUp() override
    {
        NotificationManager::set(new NotificationManager(u"Test"));
    }
    void TearDown() override
    {
        NotificationManager::destroy();
        setMacro({});
    }
    void openControl(const ustring& text, const Regions& regions, const std::string& options = "tabSize 4",
                     bool multiLine = true)
    {
        open(text, regions);
        m_view->setOptions(view_test::optionsFrom("wordWrap false\n" + options));
        m_view->setViewportSize(200.f, 100.f);
        m_map = CommandMap();
        addTextCommands(m_view, m_map, &m_map, multiLine, {}, nullptr);
    }
    void run(const ustring& line) { m_map.exec(slate::usubstring(line)); }
    void putOnClipboard(const ustring& text, bool wholeLines, const ustring& syntax = ustring())
    {
        m_desktop.m_text = text;
        m_desktop.m_format = kClipboardRecordFormat;
        m_desktop.m_record = encodeClipboardRecord(wholeLines, syntax);
    }
    bool recordSaysWholeLines()
    {
        bool wholeLines = false;
        ustring syntax;
        EXPECT_TRUE(decodeClipboardRecord(m_desktop.m_record, wholeLines, syntax));
        return wholeLines;
    }
    std::string status() { return toUtf8(NotificationManager::get().status()); }
    ustring newestGroup() const
    {
        return m_buffer->undoStack().empty() ? ustring() : *m_buffer->undoStack().top().commandText;
    }

    test_support::MemoryDesktop m_desktop;
    CommandMap m_map;
};

TEST_F(ClipboardCommandsTest, CopyPutsTextRecordAndCountAsUnitsBeforeCrLf)
{
    struct Case {
        const char* name;
        const char16_t* text;
        Regions regions;
        const char16_t* clipboard;
        bool wholeLines;
        const char* status;
    };
    const Case cases[] = {
        {"a caret copies its line with the line end", u"abc\ndef", {SelectionRegion(1)}, u"abc\r\n", true,
         "Copied 4 characters"},
        {"two carets on one line copy it once", u"abc\ndef", {SelectionRegion(0), SelectionRegion(2)}, u"abc\r\n",
         true, "Copied 4 characters"},
        {"carets on two lines leave an empty line between", u"ab\ncd\n", {SelectionRegion(1), SelectionRegion(4)},
         u"ab\r\n\r\ncd\r\n", true, "Copied 7 characters"},
        {"the last line without newline gets one", u"ab\ncd", {SelectionRegion(4)}, u"cd\r\n", true,
         "Copied 3 characters"},
        {"one character", u"abc", {SelectionRegion(0, 1)}, u"a", false, "Copied 1 character"},
        {"two selections joined by a line feed", u"abc", {SelectionRegion(0, 1), SelectionRegion(2, 3)},
         u"a\r\nc", false, "Copied 3 characters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openControl(c.text, c.regions, "syntax source.c++");
        run(u"copy");
        EXPECT_EQ(toUtf8(m_desktop.m_text), toUtf8(c.clipboard));
        EXPECT_EQ(m_desktop.m_format, kClipboardRecordFormat);
        EXPECT_EQ(m_desktop.m_record, encodeClipboardRecord(c.wholeLines, u"source.c++"));
        EXPECT_EQ(status(), c.status);
        EXPECT_EQ(toUtf8(text()), toUtf8(c.text));
        EXPECT_EQ(toUtf8(newestGroup()), "copy");
    }
}

TEST_F(ClipboardCommandsTest, CutErasesTheCaretsLinesAndReportsItsCount)
{
    openControl(u"abc\ndef\n", {SelectionRegion(5)});
    run(u"cut");
    EXPECT_EQ(toUtf8(text()), "abc\n");
    EXPECT_EQ(toUtf8(m_desktop.m_text), "def\r\n");
    EXPECT_EQ(status(), "Cut 4 characters");
    EXPECT_EQ(toUtf8(newestGroup()), "cut");
}

TEST_F(ClipboardCommandsTest, PasteChoosesItsShape)
{
    struct Case {
        const char* name;
        const char16_t* text;
        Regions regions;
        const char16_t* clipboard;
        bool wholeLines;
        const char16_t* command;
        const char16_t* after;
        Regions selectionAfter;
    };
    const Case cases[] = {
        {"whole lines go above the caret's line and the caret keeps its text", u"abc\ndef", {SelectionRegion(5)},
         u"xy\r\n", true, u"paste", u"abc\nxy\ndef", {SelectionRegion(8)}},
        {"one whole line per caret", u"a\nb", {SelectionRegion(0), SelectionRegion(2)}, u"x\r\ny\r\n", true,
         u"paste", u"x\na\ny\nb", {SelectionRegion(2), SelectionRegion(6)}},
        {"one piece per selection", u"ab", {SelectionRegion(1), SelectionRegion(2)}, u"x\r\ny", false, u"paste",
         u"axby", {SelectionRegion(2), SelectionRegion(4)}},
        {"three carets and two pieces take the whole text each", u"ab",
         {SelectionRegion(0), SelectionRegion(1), SelectionRegion(2)}, u"x\r\ny", false, u"paste",
         u"x\nyax\nybx\ny", {SelectionRegion(3), SelectionRegion(7), SelectionRegion(11)}},
        {"a selection is replaced", u"abc", {SelectionRegion(1, 2)}, u"xyz", false, u"paste", u"axyzc",
         {SelectionRegion(4)}},
        {"fitted after the blanks before the caret", u"  ", {SelectionRegion(2)}, u"if\r\n    go\r\n", false,
         u"pasteAndIndent", u"  if\n      go\n", {SelectionRegion(14)}},
        {"fitted at column 0 by a new line's indentation", u"\tx\n", {SelectionRegion(3)}, u"a\n  b", false,
         u"pasteAndIndent", u"\tx\n\ta\n\t  b", {SelectionRegion(10)}},
        {"fitted text replaces the selection", u"  old", {SelectionRegion(2, 5)}, u"p\n q", false,
         u"pasteAndIndent", u"  p\n   q", {SelectionRegion(8)}},
        {"not fitted after text before the caret", u"x ", {SelectionRegion(2)}, u"p\n  q", false,
         u"pasteAndIndent", u"x p\n  q", {SelectionRegion(7)}},
        {"lone CR and LF CR become line feeds", u"", {SelectionRegion(0)}, u"a\rb\n\rc", false, u"paste",
         u"a\nb\nc", {SelectionRegion(5)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openControl(c.text, c.regions);
        putOnClipboard(c.clipboard, c.wholeLines);
        run(c.command);
        EXPECT_EQ(toUtf8(text()), toUtf8(c.after));
        EXPECT_EQ(selections(), c.selectionAfter);
        EXPECT_EQ(newestGroup(), c.command);
    }
}

TEST_F(ClipboardCommandsTest, SingleLineControlPastesTheFirstLineOnly)
{
    openControl(u"", {SelectionRegion(0)}, "tabSize 4", false);
    putOnClipboard(u"one\r\ntwo\r\n", true);
    run(u"paste");
    EXPECT_EQ(toUtf8(text()), "one");
}

TEST_F(ClipboardCommandsTest, PasteGivesOnlyAnEmptyUntitledDocumentTheCopiedSyntax)
{
    struct Case {
        const char* name;
        const char16_t* text;
        bool file;
        const char* options;
        const char16_t* copiedSyntax;
        const char* syntaxAfter;
    };
    const Case cases[] = {
        {"empty untitled buffer adopts", u"", false, "syntax text.plain", u"source.c++", "source.c++"},
        {"a buffer with text keeps its own", u"x", false, "syntax text.plain", u"source.c++", "text.plain"},
        {"a buffer with a file keeps its own", u"", true, "syntax text.plain", u"source.c++", "text.plain"},
        {"a widget keeps its own", u"", false, "syntax text.plain\nisWidget true", u"source.c++", "text.plain"},
        {"text from elsewhere names no syntax", u"", false, "syntax text.plain", u"", "text.plain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openControl(c.text, {SelectionRegion(0)}, c.options);
        if (c.file)
            m_buffer->setSource(std::make_unique<FileBufferSource>(u"/tmp/a.txt", kEncodingUndefined));
        putOnClipboard(u"int x;", false, c.copiedSyntax);
        run(u"paste");
        ustring syntax;
        m_view->options()->getString(ustring(u"syntax"), syntax);
        EXPECT_EQ(toUtf8(syntax), c.syntaxAfter);
    }
}

TEST_F(ClipboardCommandsTest, RecordThatDoesNotAddUpIsIgnoredAndThePlainTextPasted)
{
    const std::vector<char> good = encodeClipboardRecord(true, u"source.c++");
    std::vector<char> longer = good;
    longer.push_back('x');
    std::vector<char> countTooLarge = good;
    countTooLarge[1] = 11;
    std::vector<char> negativeCount = encodeClipboardRecord(true, u"");
    negativeCount[4] = '\xFF';
    struct Case {
        const char* name;
        std::vector<char> record;
    };
    const Case cases[] = {
        {"shorter than its header", std::vector<char>{1, 0, 0}},
        {"a byte more than its count", longer},
        {"a count past its end", countTooLarge},
        {"a negative count", negativeCount},
        {"oversized", encodeClipboardRecord(true, ustring(2000, u'a'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool wholeLines = true;
        ustring syntax = u"old";
        EXPECT_FALSE(decodeClipboardRecord(c.record, wholeLines, syntax));
        EXPECT_FALSE(wholeLines);
        EXPECT_TRUE(syntax.empty());

        openControl(u"abc", {SelectionRegion(1)});
        m_desktop.m_text = u"x\r\n";
        m_desktop.m_format = kClipboardRecordFormat;
        m_desktop.m_record = c.record;
        run(u"paste");
        EXPECT_EQ(toUtf8(text()), "ax\nbc");
    }
    bool wholeLines = false;
    ustring syntax;
    EXPECT_TRUE(decodeClipboardRecord(good, wholeLines, syntax));
    EXPECT_TRUE(wholeLines);
    EXPECT_EQ(toUtf8(syntax), "source.c++");
}

TEST_F(ClipboardCommandsTest, IndentationHelpers)
{
    EXPECT_EQ(leadingBlanks(u" \t x"), 3u);
    EXPECT_EQ(toUtf8(commonIndentation({u"", u"  ", u"\t  a", u"\t b", u"   "})), "\t ");
    EXPECT_EQ(toUtf8(commonIndentation({u"  ", u" "})), " ");
    EXPECT_EQ(toUtf8(reindentPastedText({u"a", u"    b", u""}, u"", u"  ", true)), "a\n      b\n");
    EXPECT_EQ(toUtf8(reindentPastedText({u"  a", u"", u"   b"}, u"  ", u"\t", false)), "\ta\n\n\t b");
}

TEST_F(ClipboardCommandsTest, CopyPathPutsThePlainPath)
{
    openControl(u"x", {SelectionRegion(0)});
    m_buffer->setSource(std::make_unique<FileBufferSource>(u"/tmp/a b.txt", kEncodingUndefined));
    run(u"copyPath");
    EXPECT_EQ(toUtf8(m_desktop.m_text), "/tmp/a b.txt");
    EXPECT_EQ(recordSaysWholeLines(), false);
}

TEST_F(ClipboardCommandsTest, CopyOverCopiesToTheLineEndAndPutsTheSelectionsBack)
{
    openControl(u"abc\ndef", {SelectionRegion(1), SelectionRegion(5)});
    const uint32_t counter = m_view->sel().changeCount();
    run(u"copyOver eol");
    EXPECT_EQ(toUtf8(m_desktop.m_text), "bc\r\nef");
    EXPECT_EQ(selections(), (Regions{SelectionRegion(1), SelectionRegion(5)}));
    EXPECT_EQ(m_view->sel().changeCount(), counter);
}

TEST_F(ClipboardCommandsTest, CutOverAndPasteAtMoveFirst)
{
    openControl(u"abc def", {SelectionRegion(0)});
    run(u"cutOver words");
    EXPECT_EQ(toUtf8(text()), " def");
    run(u"pasteAt eof");
    EXPECT_EQ(toUtf8(text()), " defabc");
}

// The file browser is named by its full path, so that a program of the same
// name in the current folder never runs, and the file's path is quoted.
TEST(FileBrowserLaunch, NamesTheBrowserByItsFullPathAndQuotesTheFile)
{
    struct Case {
        const char16_t* folder;
        const char16_t* path;
        const char16_t* application;
        const char16_t* commandLine;
    };
    const Case cases[] = {
        {u"C:\\Windows", u"C:\\My Files\\a,b.txt", u"C:\\Windows\\explorer.exe",
         u"\"C:\\Windows\\explorer.exe\" /select,\"C:\\My Files\\a,b.txt\""},
        {u"", u"C:\\a.txt", u"", u""},
        {u"C:\\Windows", u"C:\\a\" & b.txt", u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.path));
        const ProcessLaunch launch = fileBrowserLaunch(c.folder, c.path);
        EXPECT_EQ(toUtf8(launch.application), toUtf8(c.application));
        EXPECT_EQ(toUtf8(launch.commandLine), toUtf8(c.commandLine));
    }
}

TEST_F(ClipboardCommandsTest, SaveMacroWithAnEmptyMacroOpensNoDialog)
{
    openControl(u"x", {SelectionRegion(0)});
    setMacro({});
    saveMacro(nullptr);
    EXPECT_TRUE(m_desktop.m_requests.empty());
}

TEST_F(ClipboardCommandsTest, SaveMacroWritesLfLinesWhereChosenAndPutsTheFolderBack)
{
    test_support::ScratchFolder scratch;
    const std::filesystem::path elsewhere = scratch.makeFolder("elsewhere");
    const ustring before = currentDirectory();
    openControl(u"x", {SelectionRegion(0)});
    setMacro({u"move words 1", u"insertCharacters \"\\n\""});
    m_desktop.m_chosen = fromUtf8((scratch / "m.vantrel-macro").string());
    m_desktop.m_dialogFolder = fromUtf8(elsewhere.string());
    run(u"saveMacro");
    ASSERT_EQ(m_desktop.m_requests.size(), 1u);
    EXPECT_EQ(toUtf8(m_desktop.m_requests[0].filterName), "Macro (*.vantrel-macro)");
    EXPECT_EQ(toUtf8(m_desktop.m_requests[0].filterPattern), "*.vantrel-macro");
    EXPECT_EQ(toUtf8(m_desktop.m_requests[0].defaultExtension), "vantrel-macro");
    EXPECT_EQ(scratch.read("m.vantrel-macro"), "move words 1\ninsertCharacters \"\\n\"\n");
    EXPECT_EQ(status(), "Saved " + (scratch / "m.vantrel-macro").string());
    EXPECT_EQ(currentDirectory(), before);

    // A cancelled dialog writes nothing and still puts the folder back.
    m_desktop.m_chosen.clear();
    run(u"saveMacro");
    EXPECT_EQ(currentDirectory(), before);
}

// Keys and values come from key maps, macros and plug-ins: one that the
// options could not store is refused with nothing changed.
TEST_F(ClipboardCommandsTest, SetAndToggleRefuseKeysAndValuesTheOptionsCannotHold)
{
    const char16_t* lines[] = {
        u"set \"a b\" 1", u"set \"a\\nb\" 1", u"set key \"x\\ny\"", u"set \"\" 1",
        u"toggle \"a b\"", u"toggle \"a\\nb\"",
    };
    for (const char16_t* line : lines) {
        SCOPED_TRACE(toUtf8(line));
        openControl(u"x", {SelectionRegion(0)}, "key old");
        int notified = 0;
        m_view->options()->addListener([&notified] { ++notified; });
        run(line);
        EXPECT_EQ(m_view->options()->keys(), (std::vector<ustring>{u"wordWrap", u"key"}));
        EXPECT_EQ(toUtf8(*m_view->options()->find(ustring(u"key"))), "old");
        EXPECT_EQ(notified, 0);
    }
}

} // namespace
