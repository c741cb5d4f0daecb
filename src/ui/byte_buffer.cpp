// Binary record buffers. The byte order is fixed (little-endian) and every
// value is assembled byte by byte, so records written on one machine read the
// same on any other. Reading is defensive by construction: all lengths come
// from the record itself, which may be truncated or corrupt, so each one is
// checked against the bytes that are really left before anything is
// allocated or copied.
#include "ui/byte_buffer.h"

#include <cstring>
#include <utility>

void WriteBuffer::append(const void* bytes, size_t count)
{
    const auto* first = static_cast<const char*>(bytes);
    m_bytes.insert(m_bytes.end(), first, first + count);
}

void writeInt32(WriteBuffer& buffer, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    const unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                    static_cast<unsigned char>(bits >> 16),
                                    static_cast<unsigned char>(bits >> 24)};
    buffer.append(bytes, 4);
}

void writeInt64(WriteBuffer& buffer, int64_t value)
{
    const auto bits = static_cast<uint64_t>(value);
    writeInt32(buffer, static_cast<int32_t>(static_cast<uint32_t>(bits)));
    writeInt32(buffer, static_cast<int32_t>(static_cast<uint32_t>(bits >> 32)));
}

void writeByte(WriteBuffer& buffer, uint8_t value) { buffer.append(&value, 1); }

void writeString(WriteBuffer& buffer, const ustring& text)
{
    writeInt32(buffer, static_cast<int32_t>(text.size()));
    std::vector<unsigned char> bytes(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<unsigned char>(text[i]);
        bytes[2 * i + 1] = static_cast<unsigned char>(text[i] >> 8);
    }
    if (!bytes.empty())
        buffer.append(bytes.data(), bytes.size());
}

ReadBuffer::ReadBuffer(const void* bytes, size_t size)
{
    reset(size);
    if (size)
        std::memcpy(m_begin, bytes, size);
}

ReadBuffer::~ReadBuffer() { delete[] m_begin; }

ReadBuffer::ReadBuffer(ReadBuffer&& other) noexcept
    : m_begin(std::exchange(other.m_begin, nullptr)), m_cursor(std::exchange(other.m_cursor, nullptr)),
      m_end(std::exchange(other.m_end, nullptr))
{
}

ReadBuffer& ReadBuffer::operator=(ReadBuffer&& other) noexcept
{
    if (this != &other) {
        delete[] m_begin;
        m_begin = std::exchange(other.m_begin, nullptr);
        m_cursor = std::exchange(other.m_cursor, nullptr);
        m_end = std::exchange(other.m_end, nullptr);
    }
    return *this;
}

void ReadBuffer::reset(size_t size)
{
    delete[] m_begin;
    m_begin = m_cursor = m_end = nullptr;
    if (size == 0)
        return;
    m_begin = new unsigned char[size];
    m_cursor = m_begin;
    m_end = m_begin + size;
}

void ReadBuffer::resize(size_t size)
{
    if (size == 0) {
        reset(0);
        return;
    }
    auto* bytes = new unsigned char[size];
    const size_t kept = this->size() < size ? this->size() : size;
    if (kept)
        std::memcpy(bytes, m_begin, kept);
    const size_t cursorOffset = static_cast<size_t>(m_cursor - m_begin);
    delete[] m_begin;
    m_begin = bytes;
    m_end = m_begin + size;
    m_cursor = m_begin + (cursorOffset < size ? cursorOffset : size);
}

void ReadBuffer::setEnd(unsigned char* newEnd)
{
    m_end = newEnd;
    if (m_cursor > m_end)
        m_cursor = m_end;
}

void ReadBuffer::skip(size_t count) { m_cursor += count < remaining() ? count : remaining(); }

bool readInt32(ReadBuffer& buffer, int32_t& value)
{
    if (buffer.remaining() < 4) {
        buffer.m_cursor = buffer.m_end;
        return false;
    }
    const unsigned char* p = buffer.m_cursor;
    value = static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                 static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
    buffer.m_cursor += 4;
    return true;
}

bool readInt64(ReadBuffer& buffer, int64_t& value)
{
    int32_t low = 0;
    int32_t high = 0;
    // Both words or neither: a short record leaves `value` unchanged.
    if (!readInt32(buffer, low) || !readInt32(buffer, high))
        return false;
    value = static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) |
                                 static_cast<uint32_t>(low));
    return true;
}

bool readByte(ReadBuffer& buffer, uint8_t& value)
{
    if (buffer.atEnd())
        return false;
    value = *buffer.m_cursor++;
    return true;
}

bool readString(ReadBuffer& buffer, ustring& text)
{
    int32_t count = 0;
    const bool hasCount = readInt32(buffer, count);
    if (count <= 0) {
        // A negative count is corrupt: nothing after it can be trusted.
        if (count < 0)
            buffer.m_cursor = buffer.m_end;
        text.clear();
        return hasCount && count == 0;
    }
    const size_t available = buffer.remaining() / 2;
    const bool complete = static_cast<size_t>(count) <= available;
    const size_t units = complete ? static_cast<size_t>(count) : available;
    text.resize(units);
    const unsigned char* p = buffer.m_cursor;
    for (size_t i = 0; i < units; ++i)
        text[i] = static_cast<uchar>(p[2 * i] | p[2 * i + 1] << 8);
    if (complete)
        buffer.m_cursor += units * 2;
    else
        buffer.m_cursor = buffer.m_end;
    return complete;
}
