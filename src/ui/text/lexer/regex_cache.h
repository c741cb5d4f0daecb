// What the matchers of one grammar share: each compiled regex once, by
// pattern text, with the record of its last engine search, which answers
// another context that repeats the search on the same line without the
// engine.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/text/lexer/onig_scanner.h"
#include "ui/text/lexer/pattern_syntax.h"
#include "ui/ustring.h"

// Identifies one lexing call to the matchers it searches: remembered results
// are reused only under the same key, so every call must use a key no earlier
// call used (take it from an atomic counter). 0 never reuses anything.
using MatchKey = int64_t;

// One engine search, of one regex or of a matcher's whole set: what it was
// asked and what it found, which tells whether a later search of the same
// line gets the same answer without asking the engine.
struct SearchRecord {
    // The anchor use of the regex, or the worst of the set's.
    SearchAnchor anchor = SearchAnchor::None;
    MatchKey key = 0; // 0: nothing remembered
    const uchar* start = nullptr;
    const uchar* rangeEnd = nullptr;
    const uchar* textStart = nullptr;
    const uchar* textEnd = nullptr;
    bool allowEmpty = false;
    bool anchorAllowed = false;
    bool documentStart = false;
    // The winning pattern of a set search; -1 when nothing matched.
    int index = -1;
    // Null when the search found nothing.
    const uchar* matchBegin = nullptr;
    const uchar* matchEnd = nullptr;
    int numCaptures = 0;
    std::unique_ptr<slate::usubstring[]> captures; // room for every group

    // Whether a search under `key` (not 0) from `start` with these
    // arguments would find what this one found. Without "\G" a search
    // tries every place from its start alike, so nothing between an earlier
    // start and its match (or the range end) matches from a later start
    // either.
    bool answers(MatchKey key, const uchar* start, const uchar* rangeEnd, const uchar* textStart,
                 const uchar* textEnd, bool allowEmpty, const MatchRegion& region) const;
    // Remembers a search and its result: the region's groups when `found`,
    // of which there is room for `regionCount`.
    void remember(MatchKey key, const uchar* start, const uchar* rangeEnd, const uchar* textStart,
                  const uchar* textEnd, bool allowEmpty, const MatchRegion& region, bool found,
                  int regionCount);
};

// The last engine search of one compiled regex, shared by the matcher
// entries built through one RegexCache (so by every context of one grammar
// that uses the pattern): another context that repeats the search on the same
// line is answered without the engine.
struct SharedSearch : slate::ReferenceCounted<SharedSearch>, SearchRecord {};

// Compiled regexes by pattern text, so that equal texts compile once: one
// cache serves the compilation of a whole grammar. The cache does not own the
// texts (they must outlive it) but holds a count on every regex; entries are
// never removed. One thread at a time.
class RegexCache {
public:
    RegexCache();
    RegexCache(const RegexCache&) = delete;
    RegexCache& operator=(const RegexCache&) = delete;

    // The regex compiled for `pattern`, or null.
    OnigRegexRef* find(const slate::usubstring& pattern) const;
    // The shared last search entered with the regex of `pattern`, or null.
    SharedSearch* findShared(const slate::usubstring& pattern) const;
    // Enters `regex` under `pattern`, which must not be present yet, with
    // the last-search record its matcher entries share (null: none). Matchers
    // whose entries share records must be searched by one thread at a time.
    void insert(const slate::usubstring& pattern, slate::SP<OnigRegexRef> regex,
                slate::SP<SharedSearch> shared = slate::SP<SharedSearch>());
    size_t size() const { return m_count; }

private:
    struct Bucket {
        slate::usubstring text;
        slate::SP<OnigRegexRef> regex; // null: a free bucket
        slate::SP<SharedSearch> shared;
    };

    size_t probe(const slate::usubstring& pattern) const;
    void rebuild(size_t bucketCount);

    std::vector<Bucket> m_buckets; // a power of two, at least 32, at most half full
    size_t m_count = 0;
};

// Copies the capture groups of the region's match into `captures` (made
// with room for `regionCount` - 1 groups when missing); a group that did not
// take part becomes the empty pair at the text start. Returns the groups
// copied. Inline, as is SearchRecord::answers, for the matcher's loop, which
// runs them for every pattern of every search.
inline int copyCaptures(const MatchRegion& region, int regionCount,
                        std::unique_ptr<slate::usubstring[]>& captures)
{
    const int count = std::min(region.count(), regionCount) - 1;
    if (count <= 0)
        return 0;
    if (!captures)
        captures.reset(new slate::usubstring[regionCount - 1]);
    const uchar* const textStart = region.textStart();
    for (int group = 1; group <= count; ++group) {
        const int32_t groupBegin = region.begin(group);
        captures[group - 1] = groupBegin < 0 ? slate::usubstring(textStart, textStart)
                                             : slate::usubstring(textStart + groupBegin,
                                                                 textStart + region.end(group));
    }
    return count;
}

inline bool SearchRecord::answers(MatchKey searchKey, const uchar* searchStart,
                           const uchar* searchRangeEnd, const uchar* searchTextStart,
                           const uchar* searchTextEnd, bool searchAllowEmpty,
                           const MatchRegion& region) const
{
    if (key != searchKey || textStart != searchTextStart || textEnd != searchTextEnd ||
        rangeEnd != searchRangeEnd || allowEmpty != searchAllowEmpty ||
        documentStart != region.textStartIsDocumentStart())
        return false;
    const bool searchAnchorAllowed = region.anchorAllowedAt(searchStart);
    if (start == searchStart)
        return anchorAllowed == searchAnchorAllowed || anchor == SearchAnchor::None;
    if (start > searchStart || (matchBegin && matchBegin < searchStart))
        return false;
    switch (anchor) {
    case SearchAnchor::None:
        return true;
    case SearchAnchor::Leading:
        // Matches only where a search starts: the earlier search found
        // nothing of it further on, and the later one finds nothing of it
        // unless "\G" may match where it starts.
        return !searchAnchorAllowed;
    case SearchAnchor::Anywhere:
        break; // a look-behind may still see where the earlier search started
    }
    return false;
}
