#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/bytes.h"
#include "ui/byte_buffer.h"
#include "window_manager/command_line_payload.h"

namespace {

std::string payloadOf(const ustring& directory, const std::vector<ustring>& arguments)
{
    WriteBuffer buffer;
    writeCommandLinePayload(buffer, directory, arguments);
    return std::string(buffer.data(), buffer.size());
}

TEST(CommandLinePayload, LayoutIsCountedUtf16WithTheArgumentCount)
{
    const std::string expected = bytes({2, 0, 0, 0, 'C', 0, ':', 0, //
                                        2, 0, 0, 0,                   //
                                        1, 0, 0, 0, 'a', 0,           //
                                        0, 0, 0, 0});
    EXPECT_EQ(payloadOf(u"C:", {u"a", u""}), expected);
    // 4 + 2 x directory + 4 + sum of (4 + 2 x argument).
    EXPECT_EQ(payloadOf(u"Z:\\work", {u"one", u"\xD83D\xDE00", u""}).size(), 4u + 14 + 4 + 10 + 8 + 4);
}

TEST(CommandLinePayload, ReadsBackWhatWasWritten)
{
    const std::vector<ustring> arguments = {u"file.txt:12:3", u"--command", u"sub dir\\\x00E9t\x00E9.py", u""};
    const std::string payload = payloadOf(u"Z:\\home\\user", arguments);
    ustring directory = u"stale";
    std::vector<ustring> read = {u"stale"};
    EXPECT_TRUE(readCommandLinePayload(payload.data(), payload.size(), directory, read));
    EXPECT_EQ(directory, u"Z:\\home\\user");
    EXPECT_EQ(read, arguments);
}

// Records any local process could send. Each is refused whole: nothing of
// it is handed on, whatever part of it looked readable.
TEST(CommandLinePayload, MalformedRecordsAreRefusedWhole)
{
    struct Case {
        const char* name;
        std::string payload;
    };
    const std::string directoryC = bytes({1, 0, 0, 0, 'C', 0});
    const std::string oneArgument = bytes({1, 0, 0, 0, 1, 0, 0, 0, 'x', 0});
    const Case cases[] = {
        {"empty", ""},
        {"directory cut short", bytes({5, 0, 0, 0, 'a', 0, 'b', 0, 'c'})},
        {"negative directory length", bytes({0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0})},
        {"no count", directoryC},
        {"count cut short", directoryC + bytes({1, 0})},
        {"negative count", directoryC + bytes({0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 'x', 0})},
        {"count promises more than it holds", directoryC + bytes({2, 0, 0, 0, 1, 0, 0, 0, 'x', 0})},
        {"huge count, one argument", directoryC + bytes({0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0, 0, 'x', 0})},
        {"huge count, nothing after it", directoryC + bytes({0xFF, 0xFF, 0xFF, 0x7F})},
        {"stray bytes after the last argument", directoryC + oneArgument + bytes({7, 0})},
        {"odd size", directoryC + oneArgument + bytes({0})},
        {"argument cut short", directoryC + bytes({1, 0, 0, 0, 9, 0, 0, 0, 'a', 0, 'b', 0})},
        {"argument with an odd number of bytes", directoryC + bytes({1, 0, 0, 0, 1, 0, 0, 0, 'a'})},
        {"huge argument length", directoryC + bytes({1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0})},
        {"negative argument length",
         directoryC + bytes({2, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 'a', 0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ustring directory = u"stale";
        std::vector<ustring> arguments = {u"stale"};
        EXPECT_FALSE(readCommandLinePayload(c.payload.data(), c.payload.size(), directory, arguments));
        EXPECT_EQ(directory, u"");
        EXPECT_EQ(arguments, std::vector<ustring>{});
    }
}

TEST(CommandLinePayload, RecordsLargerThanTheLimitAreRefused)
{
    // One argument that alone exceeds the limit, well formed otherwise.
    const ustring large(kMaxCommandLinePayloadBytes / 2, u'a');
    const std::string tooLarge = payloadOf(u"C:", {large});
    ustring directory;
    std::vector<ustring> arguments;
    EXPECT_FALSE(readCommandLinePayload(tooLarge.data(), tooLarge.size(), directory, arguments));
    EXPECT_TRUE(arguments.empty());

    const ustring fits((kMaxCommandLinePayloadBytes - 64) / 2, u'a');
    const std::string largest = payloadOf(u"C:", {fits});
    EXPECT_TRUE(readCommandLinePayload(largest.data(), largest.size(), directory, arguments));
    EXPECT_EQ(arguments, std::vector<ustring>{fits});
}

} // namespace
