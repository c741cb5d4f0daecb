// The arena keeps its blocks in a singly linked chain, newest first, so that
// clearing is one walk and allocation is a pointer bump. A request that does
// not fit abandons the tail of the current block rather than searching older
// blocks: the arena serves many small, similar-sized requests, for which the
// waste is at most one small request per block.
#include "ui/arena_allocator.h"

#include <cstdint>
#include <cstring>
#include <new>

ArenaAllocator::ArenaAllocator(size_t blockSize) : m_blockSize(blockSize) {}

ArenaAllocator::~ArenaAllocator() { clear(); }

void ArenaAllocator::startBlock(size_t usableBytes)
{
    void* memory = ::operator new(kHeaderSize + usableBytes);
    auto* block = static_cast<BlockHeader*>(memory);
    block->previous = m_head;
    m_head = block;
    m_position = static_cast<unsigned char*>(memory) + kHeaderSize;
    m_end = m_position + usableBytes;
}

void* ArenaAllocator::allocate(size_t size)
{
    if (!m_head || static_cast<size_t>(m_end - m_position) < size)
        startBlock(size > m_blockSize ? size : m_blockSize);
    void* result = m_position;
    m_position += size;
    m_totalBytes += size;
    return result;
}

void* ArenaAllocator::allocateAligned(size_t size, size_t alignment)
{
    if (m_head) {
        const auto address = reinterpret_cast<uintptr_t>(m_position);
        const uintptr_t aligned = (address + alignment - 1) & ~static_cast<uintptr_t>(alignment - 1);
        const size_t padding = static_cast<size_t>(aligned - address);
        // When the padded request does not fit, the new block's start is
        // maximally aligned already.
        if (padding <= static_cast<size_t>(m_end - m_position))
            m_position += padding;
    }
    return allocate(size);
}

slate::usubstring ArenaAllocator::copyString(const slate::usubstring& text)
{
    const size_t length = text.length();
    auto* copy = static_cast<uchar*>(allocateAligned((length + 1) * sizeof(uchar), alignof(uchar)));
    if (length)
        std::memcpy(copy, text.begin, length * sizeof(uchar));
    copy[length] = 0;
    return slate::usubstring(copy, copy + length);
}

void ArenaAllocator::clear()
{
    while (m_head) {
        BlockHeader* previous = m_head->previous;
        ::operator delete(m_head);
        m_head = previous;
    }
    m_position = nullptr;
    m_end = nullptr;
    m_totalBytes = 0;
}
