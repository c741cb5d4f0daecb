// The scope-name pool is an open-addressing hash set of record pointers:
// MurmurHash2 (seed 7) of the text's UTF-16 bytes picks the first bucket,
// triangular steps walk on, and the table doubles before it passes half
// load. Records and their texts go into the owner's arena, so interning
// costs no allocation of its own once the table has grown; a free bucket is
// a null pointer, so every text, however it is spelled, can be a scope.
#include "ui/text/scope_name_pool.h"

#include <cstring>
#include <new>

#include "ui/hash.h"

namespace {

constexpr size_t kMinimumBuckets = 32;

uint32_t hashText(const slate::usubstring& text) { return hashWideText(text.begin, text.end); }

} // namespace

ScopeNamePool::ScopeNamePool(ArenaAllocator& arena) : m_arena(arena), m_buckets(kMinimumBuckets, nullptr) {}

size_t ScopeNamePool::findBucket(const slate::usubstring& text, uint32_t hash) const
{
    const size_t mask = m_buckets.size() - 1;
    const size_t length = text.length();
    size_t index = hash & mask;
    for (size_t step = 1;; ++step) {
        const ScopeRecord* record = m_buckets[index];
        if (!record)
            return index;
        if (record->text.length() == length &&
            (length == 0 || std::memcmp(record->text.begin, text.begin, length * sizeof(uchar)) == 0))
            return index;
        index = (index + step) & mask;
    }
}

void ScopeNamePool::rebuild(size_t bucketCount)
{
    std::vector<const ScopeRecord*> old(bucketCount, nullptr);
    old.swap(m_buckets);
    for (const ScopeRecord* record : old)
        if (record)
            m_buckets[findBucket(record->text, hashText(record->text))] = record;
}

const ScopeRecord* ScopeNamePool::intern(const slate::usubstring& text)
{
    const uint32_t hash = hashText(text);
    size_t index = findBucket(text, hash);
    if (m_buckets[index])
        return m_buckets[index];

    // Records hold pointers, so they are pointer-aligned (tokens hash the
    // address of `text`, and readers load it directly).
    void* memory = m_arena.allocateAligned(sizeof(ScopeRecord), alignof(ScopeRecord));
    const auto* record = new (memory) ScopeRecord{static_cast<int32_t>(m_count), m_arena.copyString(text)};

    if (m_count + 1 > m_buckets.size() / 2) {
        size_t bucketCount = kMinimumBuckets;
        while (bucketCount / 2 <= m_count + 1)
            bucketCount *= 2;
        rebuild(bucketCount);
        index = findBucket(record->text, hash);
    }
    m_buckets[index] = record;
    ++m_count;
    return record;
}
