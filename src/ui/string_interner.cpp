// The interner is an open-addressing hash set of pointers into its arena:
// MurmurHash2 (seed 7) of the UTF-16 bytes picks the first bucket and
// triangular steps (1, 2, 3, ...) walk on, which visits every bucket of a
// power-of-two table. The table is rebuilt at half load, so probes stay
// short. A free bucket holds a null pointer rather than a reserved text, so
// no text is excluded from interning. Each bucket also keeps the string's
// length, which lets most mismatches be rejected without touching the text.
#include "ui/string_interner.h"

#include <cstring>

#include "ui/hash.h"

namespace {

constexpr size_t kMinimumBuckets = 32;

} // namespace

StringInterner::StringInterner(size_t arenaBlockSize)
    : m_arena(arenaBlockSize), m_buckets(kMinimumBuckets)
{
}

size_t StringInterner::findBucket(const uchar* text, size_t length, uint32_t hash) const
{
    const size_t mask = m_buckets.size() - 1;
    size_t index = hash & mask;
    for (size_t step = 1;; ++step) {
        const Bucket& bucket = m_buckets[index];
        if (!bucket.text)
            return index;
        if (bucket.length == length &&
            (length == 0 || std::memcmp(bucket.text, text, length * sizeof(uchar)) == 0))
            return index;
        index = (index + step) & mask;
    }
}

void StringInterner::rebuild(size_t bucketCount)
{
    std::vector<Bucket> old(bucketCount);
    old.swap(m_buckets);
    for (const Bucket& bucket : old)
        if (bucket.text)
            m_buckets[findBucket(bucket.text, bucket.length,
                                 hashWideText(bucket.text, bucket.text + bucket.length))] = bucket;
}

const uchar* StringInterner::intern(const uchar* text) { return intern(slate::usubstring(text)); }

const uchar* StringInterner::intern(const slate::usubstring& text)
{
    const size_t length = text.length();
    const uint32_t hash = hashWideText(text.begin, text.end);
    size_t index = findBucket(text.begin, length, hash);
    if (m_buckets[index].text)
        return m_buckets[index].text;

    const slate::usubstring copy = m_arena.copyString(text);
    if (m_count + 1 > m_buckets.size() / 2) {
        size_t bucketCount = kMinimumBuckets;
        while (bucketCount / 2 <= m_count + 1)
            bucketCount *= 2;
        rebuild(bucketCount);
        index = findBucket(copy.begin, length, hash);
    }
    m_buckets[index] = Bucket{copy.begin, length};
    ++m_count;
    return copy.begin;
}
