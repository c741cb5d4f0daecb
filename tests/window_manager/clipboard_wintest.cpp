#include "window_manager/windows/clipboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/bytes.h"
#include "window_manager/instance_window.h"

namespace {

const ustring kFormat = u"vantrel-extra";

std::string asString(const std::vector<char>& data) { return std::string(data.begin(), data.end()); }

TEST(Clipboard, TextAndPrivateDataRoundTrip)
{
    const std::string record = bytes({1, 3, 0, 0, 0, 'C', 0, 0, 0, '+', 0});
    ASSERT_TRUE(copyToClipboard(u"first line\r\nsecond \x20AC\r\n", kFormat, record.data(), record.size()));
    ustring text;
    std::vector<char> data;
    ASSERT_TRUE(copyFromClipboard(text, kFormat, &data));
    EXPECT_EQ(text, u"first line\r\nsecond \x20AC\r\n");
    EXPECT_EQ(asString(data), record);
}

TEST(Clipboard, TextOnlyLeavesNoPrivateData)
{
    const std::string record = bytes({1, 0, 0, 0, 0});
    ASSERT_TRUE(copyToClipboard(u"old", kFormat, record.data(), record.size()));
    ASSERT_TRUE(copyToClipboard(u"plain", kFormat, nullptr, 0));
    ustring text;
    std::vector<char> data = {'x'};
    ASSERT_TRUE(copyFromClipboard(text, kFormat, &data));
    EXPECT_EQ(text, u"plain");
    EXPECT_TRUE(data.empty());

    // Without a buffer only the text is read.
    ASSERT_TRUE(copyFromClipboard(text, kFormat, nullptr));
    EXPECT_EQ(text, u"plain");
}

// Another program can put anything under the private format: its stored
// length is not trusted beyond the block the system holds.
TEST(Clipboard, PrivateDataIsReadOnlyWithinItsBlock)
{
    struct Case {
        const char* name;
        std::string block;
        std::string data;
    };
    const Case cases[] = {
        {"length past the block", bytes({0x00, 0x10, 0x00, 0x00, 1, 2}), bytes({1, 2})},
        {"length of 4 GiB", bytes({0xFF, 0xFF, 0xFF, 0xFF, 'a'}), "a"},
        {"shorter than the header", bytes({9, 0}), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(test_support::putRawClipboardData(u"from elsewhere", kFormat, c.block));
        ustring text;
        std::vector<char> data = {'x'};
        ASSERT_TRUE(copyFromClipboard(text, kFormat, &data));
        EXPECT_EQ(text, u"from elsewhere");
        EXPECT_EQ(asString(data), c.data);
    }
}

} // namespace
