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

// Records another process could send: each is read as far as it goes and no
// further, and a count never drives more work than the bytes can carry.
TEST(CommandLinePayload, MalformedRecordsReadAsFarAsTheyGo)
{
    struct Case {
        const char* name;
        std::string payload;
        ustring directory;
        std::vector<ustring> arguments;
    };
    const std::string directoryC = bytes({1, 0, 0, 0, 'C', 0});
    const Case cases[] = {
        {"empty", "", u"", {}},
        {"directory cut short", bytes({5, 0, 0, 0, 'a', 0, 'b', 0, 'c'}), u"ab", {}},
        {"no count", directoryC, u"C", {}},
        {"count cut short", directoryC + bytes({1, 0}), u"C", {}},
        {"negative count", directoryC + bytes({0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 'x', 0}), u"C", {}},
        {"huge count, one argument", directoryC + bytes({0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0, 0, 'x', 0}), u"C", {u"x"}},
        {"huge count, nothing after it", directoryC + bytes({0xFF, 0xFF, 0xFF, 0x7F}), u"C", {}},
        {"stray bytes after the last argument",
         directoryC + bytes({3, 0, 0, 0, 1, 0, 0, 0, 'x', 0, 7, 0}), u"C", {u"x"}},
        {"argument cut short", directoryC + bytes({1, 0, 0, 0, 9, 0, 0, 0, 'a', 0, 'b', 0}), u"C", {u"ab"}},
        {"huge argument length", directoryC + bytes({2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}), u"C", {u"a"}},
        {"negative argument length ends the record",
         directoryC + bytes({2, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 'a', 0}), u"C", {u""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ustring directory = u"stale";
        std::vector<ustring> arguments = {u"stale"};
        EXPECT_FALSE(readCommandLinePayload(c.payload.data(), c.payload.size(), directory, arguments));
        EXPECT_EQ(directory, c.directory);
        EXPECT_EQ(arguments, c.arguments);
    }
}

} // namespace
