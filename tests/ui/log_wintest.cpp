// The diagnostics and file helpers on the Win32 platform: log lines through
// OutputDebugStringW, and files opened by Windows-style program paths that
// Wine resolves to the Unix names behind them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/log.h"
#include "ui/string_utils.h"

namespace {

// Listeners are served on the first thread that ever delivers: claim it for
// the main thread before any test runs.
const bool s_mainThreadDelivers = (notifyDebugListeners(ustring()), true);

class RecordingListener final : public DebugListener {
public:
    std::vector<ustring> messages;
    void message(const uchar* text) override { messages.emplace_back(text); }
};

std::string windowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

} // namespace

TEST(Win32Log, LogLineReachesDebuggerAndListener)
{
    const bool saved = g_debugOutputEnabled;
    g_debugOutputEnabled = true;
    RecordingListener listener;
    addDebugListener(&listener);
    VLOG << u"through OutputDebugStringW: \u00e9 " << 42;
    debugOutput(u"raw debug output\n");
    debugPrintf("through OutputDebugStringA: %d\n", 7);
    removeDebugListener(&listener);
    g_debugOutputEnabled = saved;
    EXPECT_EQ(listener.messages,
              (std::vector<ustring>{u"through OutputDebugStringW: \u00e9 42\n", u"raw debug output\n"}));
}

TEST(Win32Files, OpenFileUtf8ResolvesWindowsPath)
{
    const std::string unixPath = testing::TempDir() + "vantrel-wine-caf\xc3\xa9.txt";
    const std::string path = windowsPath(unixPath);
    FILE* out = openFileUtf8(path, "wb");
    ASSERT_NE(out, nullptr) << path;
    fputs("written under Wine", out);
    fclose(out);

    // The same file seen from the Unix side, then read back by its Windows
    // name with the case of the name changed, as Windows allows.
    FILE* check = fopen(unixPath.c_str(), "rb");
    ASSERT_NE(check, nullptr);
    fclose(check);
    std::string shouted = path;
    shouted.replace(shouted.find("vantrel-wine"), 12, "VANTREL-WINE");
    FILE* in = openFileUtf8(shouted, "rb");
    ASSERT_NE(in, nullptr) << shouted;
    char buffer[64] = {};
    fread(buffer, 1, sizeof buffer - 1, in);
    fclose(in);
    EXPECT_STREQ(buffer, "written under Wine");
    remove(unixPath.c_str());

    EXPECT_EQ(openFileUtf8(windowsPath(testing::TempDir() + "vantrel-wine-missing\\none.txt"), "rb"), nullptr);
}
