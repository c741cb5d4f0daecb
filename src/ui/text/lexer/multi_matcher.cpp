// The multi-pattern matcher answers the lexer's one question, "which pattern
// of this context matches first after this position", for every token of
// every line, so it is built around avoiding regex searches. The lexer moves
// forward through one line and asks again after each token; a pattern whose
// last match still lies ahead of the new position would find that same match
// again, and one that found nothing on the line would find nothing again, so
// each entry keeps its last result under the line key of the lexing call and
// is searched only when that result is behind the position. A match exactly
// at the position, fresh or remembered, cannot be beaten, which ends the call
// early. Searching allocates nothing here: the region is the caller's, each
// entry's capture array is made once, and the caller's capture vector keeps
// its capacity. (Oniguruma 6.9 itself allocates its backtracking stack, about
// 5 KB, on every search; no public interface lets a caller supply one.)
#include "ui/text/lexer/multi_matcher.h"

#include <algorithm>
#include <utility>

#include "ui/hash.h"
#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/unicode.h"

CachedRegex::CachedRegex(const slate::usubstring& pattern, RegexScanner& scanner)
    : m_regex(scanner.compile(pattern))
{
}

CachedRegex::CachedRegex(slate::SP<OnigRegexRef> regex) : m_regex(std::move(regex)) {}

CachedRegex::CachedRegex(const CachedRegex& other)
    : m_regex(other.m_regex),
      m_key(other.m_key),
      m_matchBegin(other.m_matchBegin),
      m_matchEnd(other.m_matchEnd),
      m_allowEmpty(other.m_allowEmpty),
      m_numCaptures(other.m_numCaptures)
{
    if (other.m_captures) {
        size_t length = static_cast<size_t>(regionCount() - 1);
        m_captures.reset(new slate::usubstring[length]);
        std::copy(other.m_captures.get(), other.m_captures.get() + length, m_captures.get());
    }
}

CachedRegex& CachedRegex::operator=(const CachedRegex& other)
{
    if (this != &other)
        *this = CachedRegex(other);
    return *this;
}

bool onigSearch(const uchar* start, const uchar* rangeEnd, const uchar* textStart,
                const uchar* textEnd, MatchRegion& region, const CachedRegex& entry,
                bool allowEmpty)
{
    if (!entry.regex()) {
        region.setResult(textStart, 0, nullptr, nullptr);
        throw oniguruma::regex_error("no regex");
    }
    return onigScanner().search(*entry.regex(), start, rangeEnd, textStart, textEnd, region,
                                allowEmpty);
}

namespace {

constexpr size_t kMinimumBuckets = 32;

} // namespace

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

void RegexCache::insert(const slate::usubstring& pattern, slate::SP<OnigRegexRef> regex)
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

MultiMatcher::MultiMatcher(const std::vector<slate::usubstring>& patterns, RegexCache& cache,
                           RegexScanner& scanner)
    : m_scanner(&scanner)
{
    build(patterns, cache);
}

MultiMatcher::MultiMatcher(const std::vector<slate::usubstring>& patterns, RegexScanner& scanner)
    : m_scanner(&scanner)
{
    RegexCache cache;
    build(patterns, cache);
}

void MultiMatcher::build(const std::vector<slate::usubstring>& patterns, RegexCache& cache)
{
    // The sample is added when the timer goes out of scope, after the
    // compile lock has been left (even when a pattern fails): the statistics
    // lock is always taken last.
    SynchronisedScopedTimer timer(g_statMultiMatcher);
    m_entries.reserve(patterns.size());
    for (const slate::usubstring& pattern : patterns) {
        if (OnigRegexRef* shared = cache.find(pattern)) {
            m_entries.emplace_back(slate::SP<OnigRegexRef>(shared));
        } else {
            m_entries.emplace_back(pattern, *m_scanner);
            cache.insert(pattern, m_entries.back().sharedRegex());
        }
        m_maxCaptures = std::max(m_maxCaptures, m_entries.back().regionCount());
    }
}

int MultiMatcher::search(MatchRegion& region, MatchKey key, const uchar* start,
                         const uchar* rangeEnd, const uchar* textStart, const uchar* textEnd,
                         slate::usubstring& match, std::vector<slate::usubstring>& captures,
                         bool allowEmpty)
{
    int result = -1;
    const uchar* best = nullptr; // begin of the result; meaningful once result >= 0

    auto take = [&](int index, const CachedRegex& entry) {
        result = index;
        best = entry.m_matchBegin;
        match = slate::usubstring(entry.m_matchBegin, entry.m_matchEnd);
        if (entry.m_numCaptures > 0) {
            if (captures.capacity() < static_cast<size_t>(m_maxCaptures))
                captures.reserve(static_cast<size_t>(m_maxCaptures));
            captures.assign(entry.m_captures.get(), entry.m_captures.get() + entry.m_numCaptures);
        } else {
            captures.clear();
        }
    };

    try {
        for (size_t i = 0; i < m_entries.size(); ++i) {
            CachedRegex& entry = m_entries[i];
            int index = static_cast<int>(i);

            if (key != 0 && entry.m_key == key && entry.m_allowEmpty == allowEmpty) {
                if (!entry.m_matchBegin)
                    continue; // found nothing on this line before
                if (entry.m_matchBegin >= start) {
                    if (result < 0 || entry.m_matchBegin < best) {
                        take(index, entry);
                        if (best == start)
                            return result; // nothing can begin earlier
                    }
                    continue;
                }
                // The remembered match lies behind the position: search again.
            }

            if (!m_scanner->search(*entry.m_regex, start, rangeEnd, textStart, textEnd, region,
                                   allowEmpty)) {
                entry.m_key = key;
                entry.m_matchBegin = nullptr;
                entry.m_matchEnd = nullptr;
                entry.m_allowEmpty = allowEmpty;
                continue;
            }

            const uchar* begin = textStart + region.begin(0);
            const uchar* end = textStart + region.end(0);
            // The engine is asked not to find empty matches in this mode;
            // this guards the lexer's progress whatever the engine does.
            if (!allowEmpty && begin == end && begin == start)
                continue;

            entry.m_key = key;
            entry.m_matchBegin = begin;
            entry.m_matchEnd = end;
            entry.m_allowEmpty = allowEmpty;
            entry.m_numCaptures = std::min(region.count(), entry.regionCount()) - 1;
            if (entry.m_numCaptures > 0) {
                if (!entry.m_captures)
                    entry.m_captures.reset(new slate::usubstring[entry.regionCount() - 1]);
                for (int group = 1; group <= entry.m_numCaptures; ++group) {
                    int32_t groupBegin = region.begin(group);
                    entry.m_captures[group - 1] =
                        groupBegin < 0 ? slate::usubstring(textStart, textStart)
                                       : slate::usubstring(textStart + groupBegin,
                                                           textStart + region.end(group));
                }
            }

            if (result >= 0 && begin >= best)
                continue; // the earlier pattern keeps the tie
            take(index, entry);
            if (begin == start)
                return result; // nothing can begin earlier
        }
    } catch (const oniguruma::regex_error& error) {
        LogRecord("MultiMatcher::search", __FILE__, __LINE__)
            << u"error in regex: " << toUstring(error.what());
        return -1;
    }
    return result;
}
