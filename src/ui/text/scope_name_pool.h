// Interned scope strings: one record per distinct scope text, so that scopes
// compare by pointer and per-scope caches index arrays by the record's id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/arena_allocator.h"
#include "ui/ustring.h"

// An interned scope. Records live in the pool's arena and never move or
// change: compare them by pointer. `text` views a NUL-terminated copy (the
// NUL is just past `text.end`).
struct ScopeRecord {
    int32_t id; // 0, 1, 2, ... in the order of first interning, per pool
    slate::usubstring text;
};

// A set of scope records over an arena owned by the pool's owner (the
// compiled lexer), which must outlive the pool; the records live as long as
// that arena. Every text can be interned, the empty one included. No lock:
// callers after the lexer's compilation hold its syntax's lexer lock.
class ScopeNamePool {
public:
    explicit ScopeNamePool(ArenaAllocator& arena);
    ScopeNamePool(const ScopeNamePool&) = delete;
    ScopeNamePool& operator=(const ScopeNamePool&) = delete;

    // The record whose text equals `text`, made (with the next id) when there
    // is none yet. Never null.
    const ScopeRecord* intern(const slate::usubstring& text);

    // The number of records, which is also the next id.
    size_t size() const { return m_count; }
    size_t bucketCount() const { return m_buckets.size(); }

private:
    size_t findBucket(const slate::usubstring& text, uint32_t hash) const;
    void rebuild(size_t bucketCount);

    ArenaAllocator& m_arena;
    std::vector<const ScopeRecord*> m_buckets; // power of two >= 32; null = free
    size_t m_count = 0;
};
