#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/log.h"
#include "ui/forwarding_platform.h"

namespace {

// Listeners are served on the first thread that ever delivers. Claim it for
// the main thread before any test runs, whatever order the tests of the whole
// program take and whichever of them starts threads that log.
const bool s_mainThreadDelivers = (notifyDebugListeners(ustring()), true);

struct BreakpointHit {};

// Records the diagnostics and forwards everything else to the platform it
// replaced. Installed for the lifetime of the object.
class DiagnosticsRecorder final : public ForwardingPlatform {
public:
    std::vector<ustring> debugLines;
    std::vector<std::string> narrowLines;
    std::vector<ustring> assertions;

    void debugOutput(const ustring& text) override { debugLines.push_back(text); }
    void debugOutputNarrow(const std::string& text) override { narrowLines.push_back(text); }
    void showAssertion(const ustring& text) override { assertions.push_back(text); }
    [[noreturn]] void breakpoint() override { throw BreakpointHit(); }
};

class RecordingListener final : public DebugListener {
public:
    std::vector<ustring> messages;
    void message(const uchar* text) override { messages.emplace_back(text); }
};

// Registers a listener for one scope.
class ScopedListener {
public:
    explicit ScopedListener(DebugListener* listener) : m_listener(listener) { addDebugListener(listener); }
    ~ScopedListener() { removeDebugListener(m_listener); }

private:
    DebugListener* m_listener;
};

class ScopedDebugOutput {
public:
    explicit ScopedDebugOutput(bool enabled) : m_saved(g_debugOutputEnabled) { g_debugOutputEnabled = enabled; }
    ~ScopedDebugOutput() { g_debugOutputEnabled = m_saved; }

private:
    bool m_saved;
};

ustring padded(const std::string& prefix)
{
    std::string line = prefix;
    if (line.size() < 65)
        line.append(65 - line.size(), ' ');
    line += ' ';
    return ustring(line.begin(), line.end());
}

} // namespace

TEST(Log, DebuggerLineCarriesPaddedPrefix)
{
    struct Case {
        const char* file;
        int line;
        std::string function;
        ustring expected;
    };
    const std::string longFunction(70, 'f');
    const std::string hugeFunction(200, 'g');
    const std::string hugePrefix = ("huge.cpp:1   " + hugeFunction).substr(0, 127);
    // 70 two-byte characters: the cut at 127 bytes falls inside the 64th.
    std::string accented;
    for (int i = 0; i < 70; ++i)
        accented += "\xC3\xA9";
    accented += ".cpp";
    const Case cases[] = {
        {"C:\\work\\src\\ui\\log.cpp", 7, "F", padded("log.cpp:7   F") + u"M\n"},
        {"plain.cpp", 222, "run", padded("plain.cpp:222 run") + u"M\n"},
        {"src/ui/slashes.cpp", 1234, "go", padded("slashes.cpp:1234 go") + u"M\n"},
        {"long.cpp", 10, longFunction, padded("long.cpp:10  " + longFunction) + u"M\n"},
        {"huge.cpp", 1, hugeFunction, ustring(hugePrefix.begin(), hugePrefix.end()) + u"M\n"},
        {accented.c_str(), 1, "f", ustring(63, u'\u00e9') + u" M\n"},
    };
    DiagnosticsRecorder recorder;
    ScopedDebugOutput on(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        recorder.debugLines.clear();
        logLine(c.function.c_str(), c.file, c.line, u"M");
        ASSERT_EQ(recorder.debugLines.size(), 1u);
        EXPECT_EQ(recorder.debugLines[0], c.expected);
    }
}

TEST(Log, StreamedValuesFormMessage)
{
    DiagnosticsRecorder recorder;
    RecordingListener listener;
    ScopedListener registration(&listener);
    const ustring wide = u"w\u00e9";
    const ustring view = u"viewed";
    VLOG << wide << u' ' << slate::usubstring(view).substr(0, 4) << u" " << "narrow" << ' '
         << std::string("s") << -42 << u' ' << 4000000000u << u' ' << int64_t(-9000000000) << u' '
         << uint8_t(7) << u' ' << 1.5 << u' ' << 0.1f << u' ' << true << u' ' << 1e300;
    ASSERT_EQ(listener.messages.size(), 1u);
    EXPECT_EQ(listener.messages[0], u"w\u00e9 view narrow s-42 4000000000 -9000000000 7 1.5 0.1 true 1e+300\n");
}

TEST(Log, ListenersGetMessageEvenWithDebugOutputOff)
{
    DiagnosticsRecorder recorder;
    ScopedDebugOutput off(false);
    RecordingListener first;
    RecordingListener second;
    ScopedListener firstRegistration(&first);
    ScopedListener secondRegistration(&second);
    VLOG << u"quiet";
    debugPrintf("narrow %d", 5);
    EXPECT_TRUE(recorder.debugLines.empty());
    EXPECT_TRUE(recorder.narrowLines.empty());
    EXPECT_EQ(first.messages, std::vector<ustring>{u"quiet\n"});
    EXPECT_EQ(second.messages, std::vector<ustring>{u"quiet\n"});
}

TEST(Log, ListenerRegisteredTwiceHearsOnce)
{
    DiagnosticsRecorder recorder;
    RecordingListener listener;
    addDebugListener(&listener);
    addDebugListener(&listener);
    VLOG << u"once";
    removeDebugListener(&listener);
    VLOG << u"after removal";
    removeDebugListener(&listener);
    EXPECT_EQ(listener.messages, std::vector<ustring>{u"once\n"});
}

TEST(Log, DebugOutputSendsTextUnchangedToBothChannels)
{
    DiagnosticsRecorder recorder;
    ScopedDebugOutput on(true);
    RecordingListener listener;
    ScopedListener registration(&listener);
    debugOutput(u"raw text");
    debugPrintf("%s=%d", "n", 12);
    EXPECT_EQ(recorder.debugLines, std::vector<ustring>{u"raw text"});
    EXPECT_EQ(recorder.narrowLines, std::vector<std::string>{"n=12"});
    EXPECT_EQ(listener.messages, std::vector<ustring>{u"raw text"});
}

TEST(Log, DebugPrintfCutsLongMessages)
{
    DiagnosticsRecorder recorder;
    ScopedDebugOutput on(true);
    const std::string huge(5000, 'x');
    debugPrintf("%s", huge.c_str());
    ASSERT_EQ(recorder.narrowLines.size(), 1u);
    EXPECT_EQ(recorder.narrowLines[0], std::string(4095, 'x'));
}

namespace {
void logFromWorker(void*) { VLOG << u"from worker"; }
} // namespace

TEST(Log, WorkerThreadReachesDebuggerButNoListener)
{
    // Delivery belongs to the first thread that delivers: make that this
    // one, as the program's main thread is, even when the test runs alone.
    notifyDebugListeners(u"claims delivery\n");
    DiagnosticsRecorder recorder;
    ScopedDebugOutput on(true);
    RecordingListener listener;
    ScopedListener registration(&listener);
    platform::ThreadHandle worker = platform::get().startThread(logFromWorker, nullptr);
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(platform::get().joinThread(worker, 10000));
    platform::get().closeThread(worker);
    EXPECT_TRUE(listener.messages.empty());
    ASSERT_EQ(recorder.debugLines.size(), 1u);
    const ustring& line = recorder.debugLines[0];
    EXPECT_EQ(line.substr(line.size() - 12), u"from worker\n");
}

TEST(Log, FailedAssertionReportsThenTraps)
{
    DiagnosticsRecorder recorder;
    const int expectedLine = __LINE__ + 1;
    EXPECT_THROW(VASSERT(1 + 1 == 3), BreakpointHit);
    const std::string file = __FILE__;
    const std::string expected =
        "Assertion failed in " + file + ":" + std::to_string(expectedLine) + ": 1 + 1 == 3";
    EXPECT_EQ(recorder.assertions, std::vector<ustring>{ustring(expected.begin(), expected.end())});

    VASSERT(2 + 2 == 4);
    EXPECT_EQ(recorder.assertions.size(), 1u);
}
