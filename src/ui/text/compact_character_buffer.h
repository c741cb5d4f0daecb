// Erased text kept for undo, stored in as little memory as its size allows.
#pragma once

#include <cstdint>

#include "ui/ustring.h"

// Holds one UTF-16 text as UTF-8 bytes: up to 8 bytes inside the object (no
// allocation), 9 to 127 bytes as an exact heap copy, 128 bytes and more as a
// zlib stream on the heap. Any text round-trips unchanged, unpaired
// surrogates included (each is stored as its own 3-byte sequence). A value
// type: copies are deep; no lock.
class CompactCharacterBuffer {
public:
    enum class Storage { Inline, Heap, Compressed };

    static constexpr uint32_t kInlineBytes = 8;
    static constexpr uint32_t kCompressFromBytes = 128;

    CompactCharacterBuffer() = default;
    explicit CompactCharacterBuffer(const ustring& text);
    CompactCharacterBuffer(const CompactCharacterBuffer& other);
    CompactCharacterBuffer(CompactCharacterBuffer&& other) noexcept;
    CompactCharacterBuffer& operator=(const CompactCharacterBuffer& other);
    CompactCharacterBuffer& operator=(CompactCharacterBuffer&& other) noexcept;
    ~CompactCharacterBuffer();

    // Makes the buffer hold the empty text, releasing any heap block.
    void clear();

    // The text as it was given (expanding compressed text each time).
    ustring text() const;

    Storage storage() const;
    // Bytes held: the UTF-8 length, or for compressed text the stream's length.
    uint32_t storedLength() const { return m_length; }

private:
    void release();
    void copyFrom(const CompactCharacterBuffer& other);

    // Inline bytes while m_length <= kInlineBytes; otherwise the heap form.
    uint32_t m_length = 0;
    union {
        char m_inline[kInlineBytes];
        struct {
            int32_t rawSize; // -1: stored as is; else the UTF-8 length before compression
            char* block; // owned, exactly m_length bytes
        } m_heap;
    };
};
