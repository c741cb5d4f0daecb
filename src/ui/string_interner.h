// One shared copy per distinct wide string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/arena_allocator.h"
#include "ui/ustring.h"

// A set of distinct NUL-terminated wide strings, each copied once into the
// interner's own arena. Interning equal texts gives the same pointer, so
// interned strings compare by pointer. Every text can be interned, the empty
// one included. Strings are never removed; every returned pointer stays
// valid until the interner is destroyed. No lock: one thread at a time.
class StringInterner {
public:
    // `arenaBlockSize`: bytes per arena block (the key-binding tables use 4096).
    explicit StringInterner(size_t arenaBlockSize = ArenaAllocator::kDefaultBlockSize);
    StringInterner(const StringInterner&) = delete;
    StringInterner& operator=(const StringInterner&) = delete;

    // The stored copy of `text` (NUL-terminated, not null), copying it in
    // when it is new.
    const uchar* intern(const uchar* text);
    // The same for a range, which need not be NUL-terminated; the result is.
    const uchar* intern(const slate::usubstring& text);

    size_t size() const { return m_count; }
    size_t bucketCount() const { return m_buckets.size(); }

private:
    struct Bucket {
        const uchar* text = nullptr; // null: free
        size_t length = 0;
    };

    size_t findBucket(const uchar* text, size_t length, uint32_t hash) const;
    void rebuild(size_t bucketCount);

    ArenaAllocator m_arena;
    std::vector<Bucket> m_buckets; // a power of two, at least 32
    size_t m_count = 0;
};
