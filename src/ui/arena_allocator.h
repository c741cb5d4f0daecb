// A bump allocator for many small objects that all die together (lexer
// tables, token records, scope names, interned strings).
#pragma once

#include <cstddef>
#include <utility>

#include "ui/ustring.h"

// Hands out memory from a chain of large blocks. Nothing is freed one by one:
// everything lives until `clear` or destruction. Not thread-safe; one owner
// at a time. Not copyable (the memory handed out belongs to the blocks).
// Allocation failure throws std::bad_alloc.
class ArenaAllocator {
public:
    static constexpr size_t kDefaultBlockSize = 65536;

    explicit ArenaAllocator(size_t blockSize = kDefaultBlockSize);
    ~ArenaAllocator();
    ArenaAllocator(const ArenaAllocator&) = delete;
    ArenaAllocator& operator=(const ArenaAllocator&) = delete;

    // `size` bytes at the current position, with no alignment beyond what the
    // position already has. A request that does not fit in what is left of the
    // current block starts a new block of max(size, block size) bytes; the
    // rest of the old block is abandoned. Never null (0 bytes gives a valid,
    // possibly shared, position).
    void* allocate(size_t size);
    // As `allocate`, after moving the position up to a multiple of
    // `alignment` (a power of two, at most alignof(std::max_align_t)).
    void* allocateAligned(size_t size, size_t alignment);
    // Allocates `count` objects of T, suitably aligned, uninitialised. T's
    // destructor never runs: use it for trivially destructible types.
    template <typename T>
    T* allocateArray(size_t count)
    {
        return static_cast<T*>(allocateAligned(sizeof(T) * count, alignof(T)));
    }

    // Copies the text and a terminating NUL into the arena; the result views
    // the copy without the NUL and stays valid until `clear`.
    slate::usubstring copyString(const slate::usubstring& text);

    // Frees every block: everything handed out becomes invalid.
    void clear();

    // Applies to blocks started from now on.
    void setBlockSize(size_t blockSize) { m_blockSize = blockSize; }
    size_t blockSize() const { return m_blockSize; }
    // Bytes handed out since construction or the last `clear` (alignment
    // padding and abandoned block tails excluded).
    size_t totalBytes() const { return m_totalBytes; }
    // Exchanges every block, the position and the settings with `other`.
    void swap(ArenaAllocator& other) noexcept
    {
        std::swap(m_head, other.m_head);
        std::swap(m_position, other.m_position);
        std::swap(m_end, other.m_end);
        std::swap(m_blockSize, other.m_blockSize);
        std::swap(m_totalBytes, other.m_totalBytes);
    }

private:
    // Each block is one allocation: a link to the previous block, padded so
    // that the usable bytes after it start maximally aligned.
    struct BlockHeader {
        BlockHeader* previous;
    };
    static constexpr size_t kHeaderSize =
        (sizeof(BlockHeader) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
        alignof(std::max_align_t);

    void startBlock(size_t usableBytes);

    BlockHeader* m_head = nullptr; // most recent block; null when empty
    unsigned char* m_position = nullptr; // next free byte of m_head
    unsigned char* m_end = nullptr; // end of m_head's usable bytes
    size_t m_blockSize;
    size_t m_totalBytes = 0;
};
