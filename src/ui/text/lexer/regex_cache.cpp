// The regex cache and the search records. A record keeps everything an
// engine search's answer depends on, so a later search is answered from it
// only where the engine would answer the same; see SearchRecord::answers.
#include "ui/text/lexer/regex_cache.h"

#include <algorithm>
#include <utility>

#include "ui/hash.h"

namespace {

constexpr size_t kMinimumBuckets = 32;

} // namespace

void SearchRecord::remember(MatchKey searchKey, const uchar* searchStart,
                            const uchar* searchRangeEnd, const uchar* searchTextStart,
                            const uchar* searchTextEnd, bool searchAllowEmpty,
                            const MatchRegion& region, bool found, int regionCount)
{
    key = searchKey;
    start = searchStart;
    rangeEnd = searchRangeEnd;
    textStart = searchTextStart;
    textEnd = searchTextEnd;
    allowEmpty = searchAllowEmpty;
    anchorAllowed = region.anchorAllowedAt(searchStart);
    documentStart = region.textStartIsDocumentStart();
    matchBegin = nullptr;
    matchEnd = nullptr;
    numCaptures = 0;
    if (!found)
        return;
    matchBegin = textStart + region.begin(0);
    matchEnd = textStart + region.end(0);
    numCaptures = copyCaptures(region, regionCount, captures);
}

RegexCache::RegexCache() : m_buckets(kMinimumBuckets) {}

size_t RegexCache::probe(const slate::usubstring& pattern) const
{
    size_t mask = m_buckets.size() - 1;
    size_t index = hashWideText(pattern.begin, pattern.end) & mask;
    // Triangular steps visit every bucket of a power-of-two table, and the
    // table is never more than half full, so the walk ends.
    for (size_t step = 1;; ++step) {
        const Bucket& bucket = m_buckets[index];
        if (!bucket.regex || bucket.text == pattern)
            return index;
        index = (index + step) & mask;
    }
}

OnigRegexRef* RegexCache::find(const slate::usubstring& pattern) const
{
    return m_buckets[probe(pattern)].regex.get();
}

SharedSearch* RegexCache::findShared(const slate::usubstring& pattern) const
{
    return m_buckets[probe(pattern)].shared.get();
}

void RegexCache::insert(const slate::usubstring& pattern, slate::SP<OnigRegexRef> regex,
                        slate::SP<SharedSearch> shared)
{
    if (m_count + 1 > m_buckets.size() / 2) {
        size_t bucketCount = kMinimumBuckets;
        while (bucketCount / 2 <= m_count + 1)
            bucketCount *= 2;
        rebuild(bucketCount);
    }
    Bucket& bucket = m_buckets[probe(pattern)];
    if (!bucket.regex)
        ++m_count;
    bucket.text = pattern;
    bucket.regex = std::move(regex);
    bucket.shared = std::move(shared);
}

void RegexCache::rebuild(size_t bucketCount)
{
    std::vector<Bucket> old(bucketCount);
    old.swap(m_buckets);
    for (Bucket& bucket : old) {
        if (bucket.regex)
            m_buckets[probe(bucket.text)] = std::move(bucket);
    }
}
