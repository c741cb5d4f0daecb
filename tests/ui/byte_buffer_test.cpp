#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/byte_buffer.h"

namespace {

ReadBuffer readerOf(const WriteBuffer& written) { return ReadBuffer(written.data(), written.size()); }

ReadBuffer readerOf(const std::vector<unsigned char>& bytes) { return ReadBuffer(bytes.data(), bytes.size()); }

TEST(ByteBuffer, WritesLittleEndianIntegersAndCountedUtf16)
{
    WriteBuffer buffer;
    EXPECT_EQ(buffer.data(), nullptr);
    writeInt32(buffer, -2);
    writeByte(buffer, 0xAB);
    writeString(buffer, u"A\u20AC");
    const std::vector<unsigned char> expected = {0xFE, 0xFF, 0xFF, 0xFF, 0xAB, 2, 0, 0, 0, 0x41, 0, 0xAC, 0x20};
    ASSERT_EQ(buffer.size(), expected.size());
    EXPECT_EQ(std::vector<unsigned char>(buffer.data(), buffer.data() + buffer.size()), expected);
}

TEST(ByteBuffer, ReadsBackWhatWasWritten)
{
    WriteBuffer buffer;
    writeInt32(buffer, 0x7FFFFFFF);
    writeString(buffer, u"");
    writeString(buffer, u"line\nwith \xD83D\xDE00");
    writeByte(buffer, 7);
    ReadBuffer reader = readerOf(buffer);
    int32_t number = 0;
    ustring empty = u"x", text;
    uint8_t byte = 0;
    EXPECT_TRUE(readInt32(reader, number));
    EXPECT_TRUE(readString(reader, empty));
    EXPECT_TRUE(readString(reader, text));
    EXPECT_TRUE(readByte(reader, byte));
    EXPECT_EQ(number, 0x7FFFFFFF);
    EXPECT_EQ(empty, u"");
    EXPECT_EQ(text, u"line\nwith \xD83D\xDE00");
    EXPECT_EQ(byte, 7);
    EXPECT_TRUE(reader.atEnd());
}

TEST(ByteBuffer, Int64IsLowWordThenHighWordAndAllOrNothing)
{
    WriteBuffer buffer;
    writeInt64(buffer, -2);
    writeInt64(buffer, 0x0123456789ABCDEF);
    const std::vector<unsigned char> expected = {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                 0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01};
    EXPECT_EQ(std::vector<unsigned char>(buffer.data(), buffer.data() + buffer.size()), expected);
    ReadBuffer reader = readerOf(buffer);
    int64_t first = 0, second = 0;
    EXPECT_TRUE(readInt64(reader, first));
    EXPECT_TRUE(readInt64(reader, second));
    EXPECT_EQ(first, -2);
    EXPECT_EQ(second, 0x0123456789ABCDEF);

    // A record cut inside the high word leaves the value as it was.
    ReadBuffer shortReader = readerOf(std::vector<unsigned char>{1, 0, 0, 0, 2, 0});
    int64_t value = 42;
    EXPECT_FALSE(readInt64(shortReader, value));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(shortReader.atEnd());
}

TEST(ByteBuffer, ShortIntegerLeavesValueAndMovesToEnd)
{
    ReadBuffer reader = readerOf(std::vector<unsigned char>{1, 2, 3});
    int32_t value = 42;
    EXPECT_FALSE(readInt32(reader, value));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(reader.atEnd());
    ustring text = u"old";
    EXPECT_FALSE(readString(reader, text));
    EXPECT_EQ(text, u"");
    uint8_t byte = 9;
    EXPECT_FALSE(readByte(reader, byte));
    EXPECT_EQ(byte, 9);
}

// A count larger than the bytes left never allocates for the missing part:
// the string holds what is present and the cursor ends at the end.
TEST(ByteBuffer, StringCountIsBoundedByBytesPresent)
{
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        ustring expected;
        bool complete;
    };
    const Case cases[] = {
        {"exact", {2, 0, 0, 0, 'h', 0, 'i', 0}, u"hi", true},
        {"count 5 with 6 bytes", {5, 0, 0, 0, 'a', 0, 'b', 0, 'c', 0}, u"abc", false},
        {"odd byte dropped", {3, 0, 0, 0, 'a', 0, 'b'}, u"a", false},
        {"huge count", {0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}, u"a", false},
        {"negative count", {0xFE, 0xFF, 0xFF, 0xFF, 'a', 0}, u"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadBuffer reader = readerOf(c.bytes);
        ustring text = u"previous";
        EXPECT_EQ(readString(reader, text), c.complete);
        EXPECT_EQ(text, c.expected);
        EXPECT_TRUE(reader.atEnd());
    }
}

TEST(ByteBuffer, ResetAndSetEndDefineReadableBytes)
{
    ReadBuffer reader;
    EXPECT_TRUE(reader.atEnd());
    reader.reset(8);
    EXPECT_EQ(reader.size(), 8u);
    reader.begin()[0] = 5;
    reader.begin()[1] = 6;
    reader.setEnd(reader.begin() + 2);
    uint8_t a = 0, b = 0, c = 0;
    EXPECT_TRUE(readByte(reader, a));
    EXPECT_TRUE(readByte(reader, b));
    EXPECT_FALSE(readByte(reader, c));
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, 6);
    reader.reset(0);
    EXPECT_EQ(reader.size(), 0u);
}

} // namespace
