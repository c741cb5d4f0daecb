#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/bytes.h"
#include "window_manager/clipboard_block.h"

namespace {

TEST(ClipboardBlock, CarriesALittleEndianLengthThenTheBytes)
{
    const std::string data = bytes({1, 3, 0, 0, 0, 'C', 0, '+', 0, '+', 0});
    ASSERT_EQ(data.size(), 11u);
    std::vector<char> block(clipboardBlockSize(data.size()));
    writeClipboardBlock(block.data(), data.data(), data.size());
    EXPECT_EQ(std::string(block.data(), 4), bytes({11, 0, 0, 0}));

    std::vector<char> read = {'x'};
    EXPECT_TRUE(readClipboardBlock(block.data(), block.size(), read));
    EXPECT_EQ(std::string(read.begin(), read.end()), data);
}

// Whatever length a block claims, only the bytes it really holds are read.
TEST(ClipboardBlock, StoredLengthIsNotTrusted)
{
    struct Case {
        const char* name;
        std::string block;
        bool whole;
        std::string data;
    };
    const Case cases[] = {
        {"no block", "", false, ""},
        {"shorter than the header", bytes({1, 0, 0}), false, ""},
        {"empty", bytes({0, 0, 0, 0}), true, ""},
        {"rounded up by the system", bytes({1, 0, 0, 0, 'a', 0, 0, 0}), true, "a"},
        {"one byte past the block", bytes({3, 0, 0, 0, 'a', 'b'}), false, "ab"},
        {"length of 4 GiB", bytes({0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'}), false, "abc"},
        {"length with the top bit set", bytes({0, 0, 0, 0x80, 'a'}), false, "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<char> data = {'x'};
        EXPECT_EQ(readClipboardBlock(c.block.data(), c.block.size(), data), c.whole);
        EXPECT_EQ(std::string(data.begin(), data.end()), c.data);
    }
}

TEST(ClipboardBlock, TextEndsAtTheFirstNulOrTheBlock)
{
    struct Case {
        const char* name;
        std::string block;
        ustring text;
    };
    const Case cases[] = {
        {"terminated", bytes({'h', 0, 'i', 0, 0, 0, 'x', 0}), u"hi"},
        {"no terminator", bytes({'h', 0, 0xAC, 0x20}), u"h\x20AC"},
        {"odd last byte", bytes({'h', 0, 'i'}), u"h"},
        {"empty", "", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ustring text = u"stale";
        readClipboardText(c.block.data(), c.block.size(), text);
        EXPECT_EQ(text, c.text);
    }
}

} // namespace
