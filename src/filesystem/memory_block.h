// Immutable runs of bytes handed out by file reads. A block is shared through
// slate::SP and may travel between threads; nobody writes to it after it has
// been handed out.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "ui/reference_counted.h"

namespace slate {

class MemoryBlock : public ReferenceCounted<MemoryBlock> {
public:
    virtual ~MemoryBlock() = default;

    // The first byte; valid while the block is alive. May be null for an
    // empty block.
    virtual const uint8_t* data() const = 0;
    virtual uint32_t size() const = 0;
};

// The only kind of block the program makes: it owns a heap array.
class SimpleMemoryBlock final : public MemoryBlock {
public:
    // Takes ownership of `bytes` (which may be null when `size` is 0).
    SimpleMemoryBlock(std::unique_ptr<uint8_t[]> bytes, uint32_t size)
        : m_bytes(std::move(bytes)), m_size(size)
    {
    }
    // Copies `size` bytes from `source`.
    SimpleMemoryBlock(const void* source, uint32_t size)
        : m_bytes(size ? new uint8_t[size] : nullptr), m_size(size)
    {
        if (size)
            std::memcpy(m_bytes.get(), source, size);
    }

    const uint8_t* data() const override { return m_bytes.get(); }
    uint32_t size() const override { return m_size; }

private:
    std::unique_ptr<uint8_t[]> m_bytes;
    uint32_t m_size;
};

} // namespace slate

using slate::SimpleMemoryBlock;
