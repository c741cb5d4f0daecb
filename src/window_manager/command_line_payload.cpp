// Writing and reading the command-line hand-over record. The reader walks
// the sender's bytes in place with a cursor and checks every count against
// what is left before it moves, so a lying count can neither read past the
// end nor drive a loop or an allocation beyond the record's size. A record
// that does not add up exactly is refused whole: a half-read argument list
// would open the wrong files.
#include "window_manager/command_line_payload.h"

namespace {

class PayloadReader {
public:
    PayloadReader(const unsigned char* begin, size_t size) : m_cursor(begin), m_remaining(size) {}

    bool atEnd() const { return m_remaining == 0; }

    // A non-negative int32 (little-endian); false when fewer than 4 bytes
    // are left or the value is negative.
    bool readCount(size_t& count)
    {
        if (m_remaining < 4)
            return false;
        const uint32_t value = static_cast<uint32_t>(m_cursor[0]) | static_cast<uint32_t>(m_cursor[1]) << 8 |
                               static_cast<uint32_t>(m_cursor[2]) << 16 | static_cast<uint32_t>(m_cursor[3]) << 24;
        advance(4);
        if (value > 0x7FFFFFFFu)
            return false;
        count = value;
        return true;
    }

    // A counted string whose units all lie within the record.
    bool readString(ustring& text)
    {
        size_t length = 0;
        if (!readCount(length) || length > m_remaining / 2)
            return false;
        text.resize(length);
        for (size_t i = 0; i < length; ++i)
            text[i] = static_cast<uchar>(m_cursor[2 * i] | m_cursor[2 * i + 1] << 8);
        advance(2 * length);
        return true;
    }

    // Every argument costs at least its 4-byte length.
    bool canHold(size_t arguments) const { return arguments <= m_remaining / 4; }

private:
    void advance(size_t count)
    {
        m_cursor += count;
        m_remaining -= count;
    }

    const unsigned char* m_cursor;
    size_t m_remaining;
};

bool decode(const void* data, size_t size, ustring& directory, std::vector<ustring>& arguments)
{
    if (size > kMaxCommandLinePayloadBytes || (size > 0 && !data))
        return false;
    PayloadReader reader(static_cast<const unsigned char*>(data), size);
    size_t count = 0;
    if (!reader.readString(directory) || !reader.readCount(count) || !reader.canHold(count))
        return false;
    arguments.resize(count);
    for (ustring& argument : arguments) {
        if (!reader.readString(argument))
            return false;
    }
    return reader.atEnd();
}

} // namespace

void writeCommandLinePayload(WriteBuffer& buffer, const ustring& directory,
                             const std::vector<ustring>& arguments)
{
    writeString(buffer, directory);
    writeInt32(buffer, static_cast<int32_t>(arguments.size()));
    for (const ustring& argument : arguments)
        writeString(buffer, argument);
}

bool readCommandLinePayload(const void* data, size_t size, ustring& directory,
                            std::vector<ustring>& arguments)
{
    directory.clear();
    arguments.clear();
    if (decode(data, size, directory, arguments))
        return true;
    directory.clear();
    arguments.clear();
    return false;
}
