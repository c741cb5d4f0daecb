// Flat binary records: a growable buffer to write them and an owned byte array
// with a cursor to read them back. Integers are 4 bytes, two's complement,
// little-endian; a string is an int32 count of UTF-16 units followed by the
// units, 2 bytes each, little-endian, without a terminator. Used by the cache
// files, the argument hand-over between instances and the clipboard's extra
// data. Neither buffer has a lock: one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/ustring.h"

class WriteBuffer {
public:
    // Null when nothing has been written.
    const char* data() const { return m_bytes.empty() ? nullptr : m_bytes.data(); }
    size_t size() const { return m_bytes.size(); }
    bool empty() const { return m_bytes.empty(); }

    void append(const void* bytes, size_t count);
    void clear() { m_bytes.clear(); }

private:
    std::vector<char> m_bytes;
};

void writeInt32(WriteBuffer& buffer, int32_t value);
// Two int32 words: the low half, then the high half.
void writeInt64(WriteBuffer& buffer, int64_t value);
void writeByte(WriteBuffer& buffer, uint8_t value);
void writeString(WriteBuffer& buffer, const ustring& text);

// An owned byte array and a read cursor. The readers below never read past
// the end and never throw: what is missing leaves a value unchanged, or a
// string short, and puts the cursor at the end.
class ReadBuffer {
public:
    ReadBuffer() = default;
    // A buffer holding a copy of the `size` bytes at `bytes`.
    ReadBuffer(const void* bytes, size_t size);
    ~ReadBuffer();
    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;
    ReadBuffer(ReadBuffer&& other) noexcept;
    ReadBuffer& operator=(ReadBuffer&& other) noexcept;

    // Frees the old array and allocates `size` uninitialised bytes, cursor at
    // the start and end = begin + size. Throws std::bad_alloc when the memory
    // cannot be had (the array is then empty).
    void reset(size_t size);
    // Reallocates the array to `size` bytes, keeping the first min(old, new)
    // bytes and the cursor's offset (moved back to the new end if past it).
    void resize(size_t size);
    // Makes the bytes up to `newEnd` (within the array, at or after the
    // cursor) the readable ones: for a fill that produced fewer bytes than
    // the array holds.
    void setEnd(unsigned char* newEnd);

    unsigned char* begin() { return m_begin; }
    const unsigned char* begin() const { return m_begin; }
    const unsigned char* cursor() const { return m_cursor; }
    const unsigned char* end() const { return m_end; }
    size_t size() const { return static_cast<size_t>(m_end - m_begin); }
    size_t remaining() const { return static_cast<size_t>(m_end - m_cursor); }
    bool atEnd() const { return m_cursor == m_end; }
    // Moves the cursor forward by up to `count` bytes, stopping at the end.
    void skip(size_t count);

private:
    friend bool readInt32(ReadBuffer&, int32_t&);
    friend bool readByte(ReadBuffer&, uint8_t&);
    friend bool readString(ReadBuffer&, ustring&);

    unsigned char* m_begin = nullptr; // owned (new[]); null when empty
    unsigned char* m_cursor = nullptr;
    unsigned char* m_end = nullptr;
};

// Each reader returns true when the whole value was present. Otherwise:
// `readInt32` and `readByte` leave `value` unchanged; `readString` gives the
// units that are present (an incomplete last unit is dropped), or the empty
// string for a missing or negative count. In every failing case the cursor
// moves to the end, so a truncated record reads on as zeros and empty strings.
// A string never allocates more than the bytes actually left, whatever its
// count says.
bool readInt32(ReadBuffer& buffer, int32_t& value);
bool readInt64(ReadBuffer& buffer, int64_t& value);
bool readByte(ReadBuffer& buffer, uint8_t& value);
bool readString(ReadBuffer& buffer, ustring& text);
