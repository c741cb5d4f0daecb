#include "ui/text/macro.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/memory_file_system.h"
#include "input/command_runner.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/parse_strings.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/text/view_state.h"
#include "ui/unicode.h"

namespace {

// Knows the commands it was given; runs each line it is asked to (disabled
// ones included, so a caller that ignores isEnabled shows) and records it.
class ScriptedRunner final : public CommandRunner {
public:
    using Handler = std::function<void(const std::vector<ustring>& words)>;

    void add(const ustring& name, Handler handler) { m_handlers[name] = std::move(handler); }
    void disable(const ustring& name) { m_disabled.insert(name); }

    void exec(const slate::usubstring& line) override
    {
        m_executed.emplace_back(line.begin, line.end);
        const std::vector<ustring> words = split(line);
        auto it = m_handlers.find(words.empty() ? ustring() : words[0]);
        if (it != m_handlers.end() && it->second)
            it->second(words);
    }
    bool isEnabled(const slate::usubstring& line) override
    {
        return has(line) && m_disabled.count(split(line)[0]) == 0;
    }
    ustring value(const slate::usubstring&) override { return ustring(); }
    bool has(const slate::usubstring& line) override
    {
        const std::vector<ustring> words = split(line);
        return !words.empty() && m_handlers.count(words[0]) != 0;
    }

    const std::vector<ustring>& executed() const { return m_executed; }

private:
    static std::vector<ustring> split(const slate::usubstring& line)
    {
        std::vector<ustring> words;
        parseStrings(line, words);
        return words;
    }

    std::map<ustring, Handler> m_handlers;
    std::set<ustring> m_disabled;
    std::vector<ustring> m_executed;
};

class LogLines final : public DebugListener {
public:
    LogLines() { addDebugListener(this); }
    ~LogLines() override { removeDebugListener(this); }
    void message(const uchar* text) override { m_lines.push_back(toUtf8(text)); }
    bool contains(const std::string& part) const
    {
        for (const std::string& line : m_lines)
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }

private:
    std::vector<std::string> m_lines;
};

// A buffer with a view, a runner of the commands "insert TEXT" (appends TEXT
// in a group named by its line), "runMacro" and "runMacroFile PATH", a
// notification manager whose status never expires and a file manager with
// an in-memory "Packages/".
class MacroTest : public testing::Test {
public:
    MacroTest()
        : m_buffer(new TextBuffer(nullptr, nullptr)), m_state(m_buffer->createViewState()),
          m_files(new testing_support::MemoryFileSystem)
    {
        setMacro({});
        auto* notifications = new NotificationManager(u"Test");
        notifications->setClock([] { return 0u; });
        NotificationManager::set(notifications);
        slate::FileManager::setInstance(new slate::FileManagerImpl);
        slate::FileManager::get().mount(u"Packages/", m_files);

        m_runner.add(u"insert", [this](const std::vector<ustring>& words) {
            ScopedUndoGroup group(u"insert \"" + words.at(1) + u"\"", m_buffer, false, false);
            m_buffer->insertCharacters(m_buffer->size(), words.at(1));
        });
        m_runner.add(u"runMacro", [this](const std::vector<ustring>&) { runMacro(m_buffer, m_runner); });
        m_runner.add(u"runMacroFile", [this](const std::vector<ustring>& words) {
            std::vector<ustring> lines;
            ustring error;
            if (readMacroFile(words.at(1), lines, error))
                playMacroCommands(m_runner, lines);
            else
                m_fileErrors.push_back(toUtf8(error));
        });
    }
    ~MacroTest() override
    {
        slate::FileManager::destroy();
        NotificationManager::destroy();
        setMacro({});
    }

    void insert(const ustring& text) { m_runner.exec(u"insert \"" + text + u"\""); }
    std::string status() { return toUtf8(NotificationManager::get().status()); }
    std::string text() { return toUtf8(m_buffer->str()); }

    slate::SP<TextBuffer> m_buffer;
    slate::SP<ViewState> m_state;
    testing_support::MemoryFileSystem* m_files; // owned by the file manager
    ScriptedRunner m_runner;
    std::vector<std::string> m_fileErrors;
};

TEST_F(MacroTest, StoppingTheRecordingReplacesTheMacroOnlyWhenCommandsWereRecorded)
{
    struct Case {
        const char* name;
        std::function<void(MacroTest&)> edit;
        std::vector<ustring> macro;
        std::string status;
    };
    const std::vector<ustring> previous{u"insert \"old\""};
    const Case cases[] = {
        {"one command", [](MacroTest& t) { t.insert(u"a"); }, {u"insert \"a\""},
         "Recorded macro with 1 command"},
        {"a command repeated three times",
         [](MacroTest& t) {
             for (int i = 0; i < 3; ++i) {
                 ScopedUndoGroup group(u"appendLine", t.m_buffer, true, false);
                 t.m_buffer->insertCharacters(t.m_buffer->size(), u"\n");
             }
         },
         {u"appendLine", u"appendLine", u"appendLine"}, "Recorded macro with 3 commands"},
        {"nothing", [](MacroTest&) {}, previous, "Stopped recording macro"},
        {"only an unnamed group",
         [](MacroTest& t) {
             ScopedUndoGroup group(u"", t.m_buffer, false, false);
             t.m_buffer->insertCharacters(0, u"x");
         },
         previous, "Stopped recording macro"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setMacro(previous);
        m_buffer->beginMacroRecording();
        c.edit(*this);
        EXPECT_EQ(stopMacroRecording(*m_buffer), toUstring(c.status));
        EXPECT_EQ(status(), c.status);
        EXPECT_EQ(getMacro(), c.macro);
        EXPECT_FALSE(m_buffer->isRecordingMacro());
    }
}

TEST_F(MacroTest, MacroCannotRunWhenEmptyOrWhileItsBufferRecords)
{
    EXPECT_FALSE(canRunMacro(*m_buffer));
    setMacro({u"insert \"a\""});
    EXPECT_TRUE(canRunMacro(*m_buffer));
    m_buffer->beginMacroRecording();
    EXPECT_FALSE(canRunMacro(*m_buffer));
    runMacro(m_buffer, m_runner);
    EXPECT_EQ(text(), "");
    EXPECT_TRUE(m_runner.executed().empty());
}

TEST_F(MacroTest, RunningReportsTheCountAndUndoesInOneStep)
{
    struct Case {
        std::vector<ustring> macro;
        std::string status;
        std::string text;
    };
    const Case cases[] = {
        {{u"insert \"a\""}, "Running macro with 1 command", "a"},
        {{u"insert \"a\"", u"insert \"b\""}, "Running macro with 2 commands", "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        setMacro(c.macro);
        runMacro(m_buffer, m_runner);
        EXPECT_EQ(status(), c.status);
        EXPECT_EQ(text(), c.text);
        ASSERT_TRUE(m_buffer->canUndo());
        EXPECT_EQ(*m_buffer->undoStack().top().commandText, u"runMacro");
        m_buffer->undo();
        EXPECT_EQ(text(), "");
    }
}

TEST_F(MacroTest, UnknownCommandIsReportedAndDisabledOneSkippedWhileTheRestRuns)
{
    m_runner.add(u"off", nullptr);
    m_runner.disable(u"off");
    LogLines log;
    EXPECT_TRUE(playMacroCommands(m_runner, {u"insert a", u"bogus 1", u"off", u"insert b"}));
    EXPECT_EQ(text(), "ab");
    EXPECT_EQ(m_runner.executed(), (std::vector<ustring>{u"insert a", u"insert b"}));
    EXPECT_EQ(status(), "Unknown macro command bogus 1");
    EXPECT_TRUE(log.contains("Running macro command off"));
}

TEST_F(MacroTest, MacroFileRunsItsCommandsAndSkipsCommentsAndBlankLines)
{
    m_files->addFile(u"two.vantrel-macro",
                     "# types two letters\r\n\r\n  \t\n   # indented comment\rinsert a\r\ninsert \"b c\"");
    m_runner.exec(u"runMacroFile Packages/two.vantrel-macro");
    EXPECT_EQ(text(), "ab c");
    EXPECT_EQ(m_runner.executed(), (std::vector<ustring>{u"runMacroFile Packages/two.vantrel-macro",
                                                         u"insert a", u"insert \"b c\""}));
    EXPECT_TRUE(m_fileErrors.empty());
}

// Bytes that are not text would otherwise run a truncated macro (the line
// splitter stops at a NUL) or silently nothing (a malformed byte empties the
// whole conversion).
TEST_F(MacroTest, MacroFileThatIsNotTextIsRefusedAndRunsNothing)
{
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;
    };
    const Case cases[] = {
        {"nul.vantrel-macro", std::string("insert a\n\0insert b\n", 19), "NUL"},
        {"latin1.vantrel-macro", "insert a\ninsert \xe9\n", "UTF-8"},
        {"surrogate.vantrel-macro", "insert \xed\xa0\x80\n", "UTF-8"},
        {"missing.vantrel-macro", "", "Cannot read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.bytes.size())
            m_files->addFile(toUstring(c.name), c.bytes);
        std::vector<ustring> lines{u"kept"};
        ustring error;
        EXPECT_FALSE(readMacroFile(u"Packages/" + toUstring(c.name), lines, error));
        EXPECT_NE(toUtf8(error).find(c.error), std::string::npos) << toUtf8(error);
        EXPECT_NE(toUtf8(error).find(c.name), std::string::npos) << toUtf8(error);
        EXPECT_EQ(lines, std::vector<ustring>{u"kept"});

        m_runner.exec(u"runMacroFile Packages/" + toUstring(c.name));
        EXPECT_EQ(text(), "");
    }
}

TEST_F(MacroTest, EmptyMacroFileReadsAsNoCommands)
{
    m_files->addFile(u"empty.vantrel-macro", "");
    std::vector<ustring> lines{u"stale"};
    ustring error;
    EXPECT_TRUE(readMacroFile(u"Packages/empty.vantrel-macro", lines, error));
    EXPECT_TRUE(lines.empty());
}

// A macro that runs itself, directly or through a file that runs the same
// file, stops at the depth limit instead of overflowing the stack, and none
// of the enclosing runs goes on with its remaining lines.
TEST_F(MacroTest, SelfRunningMacroStopsAtTheDepthLimit)
{
    m_files->addFile(u"self.vantrel-macro", "runMacroFile Packages/self.vantrel-macro\ninsert y\n");
    struct Case {
        const char* name;
        std::function<void(MacroTest&)> run;
    };
    const Case cases[] = {
        {"macro", [](MacroTest& t) {
             setMacro({u"runMacro", u"insert x"});
             runMacro(t.m_buffer, t.m_runner);
         }},
        {"macro file", [](MacroTest& t) { t.m_runner.exec(u"runMacroFile Packages/self.vantrel-macro"); }},
        {"macro file from a macro", [](MacroTest& t) {
             setMacro({u"runMacroFile Packages/self.vantrel-macro", u"insert x"});
             runMacro(t.m_buffer, t.m_runner);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogLines log;
        c.run(*this);
        EXPECT_EQ(text(), "");
        EXPECT_TRUE(log.contains("Macro stopped: macros nested more than 32 levels deep"));
        EXPECT_EQ(status(), "Macro stopped: macros nested more than 32 levels deep");

        // The limit applies to one run: the next one starts afresh.
        EXPECT_TRUE(playMacroCommands(m_runner, {u"insert z"}));
        EXPECT_EQ(text(), "z");
        m_buffer->undo();
    }
}

// The outermost run, kMaxMacroDepth - 2 files each running the next, and the
// innermost file's lines: exactly kMaxMacroDepth levels still run.
TEST_F(MacroTest, NestingUpToTheLimitRunsEveryLevel)
{
    const int files = kMaxMacroDepth - 1;
    auto name = [](int level) { return "Packages/level" + std::to_string(level) + ".vantrel-macro"; };
    m_files->addFile(u"level0.vantrel-macro", "insert x\n");
    for (int level = 1; level < files; ++level)
        m_files->addFile(toUstring(name(level).substr(9)), "runMacroFile " + name(level - 1) + "\n");
    EXPECT_TRUE(playMacroCommands(m_runner, {u"runMacroFile " + toUstring(name(files - 1))}));
    EXPECT_EQ(text(), "x");
}

} // namespace
