#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ui/text/compact_character_buffer.h"

namespace {

using Storage = CompactCharacterBuffer::Storage;

ustring ascii(size_t length)
{
    ustring text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<uchar>(u'a' + i % 26);
    return text;
}

const char* storageName(Storage storage)
{
    switch (storage) {
    case Storage::Inline: return "inline";
    case Storage::Heap: return "heap";
    case Storage::Compressed: return "compressed";
    }
    return "?";
}

// The storage class follows the UTF-8 length: up to 8 bytes inline, 9 to 127
// on the heap as they are, 128 and more compressed.
TEST(CompactCharacterBuffer, StorageFollowsUtf8Length)
{
    struct Case {
        const char* name;
        ustring text;
        Storage storage;
        uint32_t storedLength; // 0: not checked (compressed)
    };
    const Case cases[] = {
        {"empty", u"", Storage::Inline, 0},
        {"8 ASCII", ascii(8), Storage::Inline, 8},
        {"9 ASCII", ascii(9), Storage::Heap, 9},
        {"three 3-byte characters", u"\u4e2d\u6587\u5b57", Storage::Heap, 9},
        {"two 3-byte characters and a 2-byte one", u"\u4e2d\u6587\u00e9", Storage::Inline, 8},
        {"a pair is 4 bytes", u"\xD83D\xDE00\xD83D\xDE01", Storage::Inline, 8},
        {"127 ASCII", ascii(127), Storage::Heap, 127},
        {"128 ASCII", ascii(128), Storage::Compressed, 0},
        {"a long file", ascii(100000), Storage::Compressed, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CompactCharacterBuffer buffer(c.text);
        EXPECT_STREQ(storageName(buffer.storage()), storageName(c.storage));
        if (c.storage != Storage::Compressed)
            EXPECT_EQ(buffer.storedLength(), c.storedLength);
        else
            EXPECT_GT(buffer.storedLength(), CompactCharacterBuffer::kInlineBytes);
        EXPECT_EQ(buffer.text(), c.text);
    }
}

TEST(CompactCharacterBuffer, LongTextIsStoredSmaller)
{
    const CompactCharacterBuffer buffer(ascii(100000));
    EXPECT_LT(buffer.storedLength(), 1000u);
}

// Erased text may hold surrogates without their partner; undo must get them
// back exactly, in every storage class.
TEST(CompactCharacterBuffer, UnpairedSurrogatesRoundTrip)
{
    const ustring pieces[] = {
        u"\xD800",                      // lone high, alone
        u"ab\xDC00",                    // lone low at the end
        u"x\xDBFF",                     // lone high at the end
        u"\xDC00\xD800",                // low before high is no pair
        u"\xD83D\xDE00\xDE00\xD83D",   // pair, lone low, lone high
    };
    for (const ustring& piece : pieces) {
        for (size_t padding : {0, 6, 120}) {
            const ustring text = ascii(padding) + piece + u"\u00e9";
            SCOPED_TRACE(std::to_string(padding) + " padding units");
            const CompactCharacterBuffer buffer(text);
            EXPECT_EQ(buffer.text(), text);
        }
    }
    // A lone surrogate counts its 3 bytes: 2 of them and 2 ASCII stay inline.
    EXPECT_EQ(CompactCharacterBuffer(ustring(u"\xD800\xD800" u"ab")).storage(), Storage::Inline);
    EXPECT_EQ(CompactCharacterBuffer(ustring(u"\xD800\xD800" u"abc")).storage(), Storage::Heap);
}

TEST(CompactCharacterBuffer, CopiesAreIndependent)
{
    for (size_t length : {5, 50, 5000}) {
        SCOPED_TRACE(length);
        const ustring text = ascii(length);
        auto source = std::make_unique<CompactCharacterBuffer>(text);
        CompactCharacterBuffer copy(*source);
        CompactCharacterBuffer assigned(ascii(300));
        assigned = *source;
        source.reset();
        EXPECT_EQ(copy.text(), text);
        EXPECT_EQ(assigned.text(), text);

        CompactCharacterBuffer moved(std::move(copy));
        EXPECT_EQ(moved.text(), text);
        EXPECT_EQ(copy.text(), u"");
        assigned = assigned; // self-assignment keeps the text
        EXPECT_EQ(assigned.text(), text);
    }
}

TEST(CompactCharacterBuffer, ClearReleasesAndEmpties)
{
    CompactCharacterBuffer buffer(ascii(200));
    buffer.clear();
    EXPECT_EQ(buffer.storedLength(), 0u);
    EXPECT_EQ(buffer.text(), u"");
    CompactCharacterBuffer fresh;
    EXPECT_EQ(fresh.text(), u"");
}

} // namespace
