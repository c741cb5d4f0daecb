// The multi-pattern matcher: the ordered patterns of one lexer context,
// searched together for the leftmost match on the rest of a line, earlier
// patterns winning ties. Results are remembered under a line key, so that
// the lexer, which asks again and again at growing positions of one line,
// does not search again for what it was already told.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/text/lexer/onig_scanner.h"
#include "ui/text/lexer/regex_cache.h"
#include "ui/text/lexer/search_trial.h"
#include "ui/ustring.h"

// One pattern of a matcher, with the result of its last search. Entries of
// equal pattern text share one compiled regex; each keeps its own result.
class CachedRegex {
public:
    // The empty form: no regex; searching it is an error ("no regex").
    CachedRegex() = default;
    // Compiles `pattern` through `scanner`; throws oniguruma::regex_error.
    explicit CachedRegex(const slate::usubstring& pattern, RegexScanner& scanner = onigScanner());
    // Shares an already compiled regex (null gives the empty form).
    explicit CachedRegex(slate::SP<OnigRegexRef> regex);

    // A copy shares the regex and copies the remembered result.
    CachedRegex(const CachedRegex& other);
    CachedRegex& operator=(const CachedRegex& other);
    CachedRegex(CachedRegex&& other) noexcept = default;
    CachedRegex& operator=(CachedRegex&& other) noexcept = default;
    ~CachedRegex() = default;

    // Null for the empty form.
    const OnigRegexRef* regex() const { return m_regex.get(); }
    const slate::SP<OnigRegexRef>& sharedRegex() const { return m_regex; }
    // Capture groups + 1; 1 for the empty form.
    int regionCount() const { return m_regex ? m_regex->captureCount() + 1 : 1; }

private:
    friend class MultiMatcher;

    slate::SP<OnigRegexRef> m_regex;
    // The last search of the regex by any entry sharing it; null when the
    // entry shares none (the regex came from outside a matcher build).
    slate::SP<SharedSearch> m_shared;
    // The remembered result, valid only for searches under m_key (and only
    // while the text searched under that key lives): -1 when there is none.
    MatchKey m_key = -1;
    // Null when the remembered result is that nothing matched.
    const uchar* m_matchBegin = nullptr;
    const uchar* m_matchEnd = nullptr;
    bool m_allowEmpty = false;
    // Capture groups of the remembered match; m_captures[g - 1] is group g.
    int m_numCaptures = 0;
    // Made on the first match that has capture groups, with room for all of
    // them, and reused for every later match.
    std::unique_ptr<slate::usubstring[]> m_captures;
    // Where the pattern may use "\\G"; its remembered results are reused only
    // when it has none (an answer with "\\G" depends on where the search
    // starts, which the shared record checks).
    SearchAnchor m_anchor = SearchAnchor::Anywhere;
};

// One search with the regex of `entry`, through the Oniguruma scanner (the
// indentation rules search this way). See RegexScanner::search; an entry in
// the empty form throws oniguruma::regex_error "no regex".
bool onigSearch(const uchar* start, const uchar* rangeEnd, const uchar* textStart,
                const uchar* textEnd, MatchRegion& region, const CachedRegex& entry,
                bool allowEmpty);

// The patterns of one lexer context. Built once and then searched while the
// owning syntax's lexer lock is held: a search changes the remembered
// results, so one matcher is never searched by two threads at once.
class MultiMatcher {
public:
    // An empty matcher, which never matches.
    MultiMatcher() = default;
    // Compiles the patterns in order, taking equal texts from `cache` and
    // entering new ones in it (the texts must outlive the cache). Throws
    // oniguruma::regex_error for the first pattern that does not compile.
    // Any thread; times itself into the "MultiMatcher" statistics record.
    MultiMatcher(const std::vector<slate::usubstring>& patterns, RegexCache& cache,
                 RegexScanner& scanner = onigScanner());
    // The same with a cache of its own, discarded afterwards.
    explicit MultiMatcher(const std::vector<slate::usubstring>& patterns,
                          RegexScanner& scanner = onigScanner());

    MultiMatcher(const MultiMatcher&) = delete;
    MultiMatcher& operator=(const MultiMatcher&) = delete;
    MultiMatcher(MultiMatcher&&) noexcept = default;
    MultiMatcher& operator=(MultiMatcher&&) noexcept = default;

    // The leftmost match of any pattern in the text [textStart, textEnd)
    // that begins between `start` and `rangeEnd` (as RegexScanner::search
    // reads them; textStart <= start <= rangeEnd <= textEnd): the index of
    // the winning pattern, or -1 when none matches or the engine fails (the
    // failure is logged). On a match, `match` is its
    // extent and `captures` holds one pair per capture group of the winning
    // pattern, group 1 first; a group that did not take part is the empty
    // pair at the text start. Of patterns matching at the same place the
    // earliest wins. Without `allowEmpty` an empty match at `start` is never
    // returned.
    //
    // Results are remembered under `key` and reused by later calls with the
    // same key and `allowEmpty`, only where the engine would answer the
    // same. Lines are searched one pattern at a time, each remembering its
    // result: a remembered match is reused as long as it still begins at or
    // after `start`, and a pattern that found nothing is not searched again
    // under the key (a pattern that may use "\\G" excepted: what it finds
    // depends on where the search starts). Lines up to a thousand code
    // units may instead be searched with all patterns at once, whichever
    // the matcher has measured to cost less. So within one key the text must
    // stay the same and `start` must never move backwards. `captures` keeps
    // its capacity from call to call: pass the same vector to avoid
    // allocation.
    //
    // A call with key 0 reuses none of the patterns' own results, but when
    // `lineKey` is not 0 it still shares the regexes' last searches (see
    // SharedSearch) and the set's last search under `lineKey`, which follows
    // the rules of `key`.
    int search(MatchRegion& region, MatchKey key, const uchar* start, const uchar* rangeEnd,
               const uchar* textStart, const uchar* textEnd, slate::usubstring& match,
               std::vector<slate::usubstring>& captures, bool allowEmpty,
               MatchKey lineKey = 0);

    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    const CachedRegex& entry(size_t index) const { return m_entries[index]; }
    // The largest region count (capture groups + 1) of the patterns; 0 for
    // an empty matcher.
    int maxCaptures() const { return m_maxCaptures; }

private:
    void build(const std::vector<slate::usubstring>& patterns, RegexCache& cache);
    // Whether a text may be searched with a set: it is short enough and the
    // scanner makes sets.
    bool searchesAsSet(const uchar* textStart, const uchar* textEnd);
    // Searches with the whole set, or with the set of the patterns that may
    // match on the rest of the line (`lineSets`). -2 when the scanner makes
    // no sets.
    int searchSet(MatchRegion& region, MatchKey key, const uchar* start, const uchar* rangeEnd,
                  const uchar* textStart, const uchar* textEnd, slate::usubstring& match,
                  std::vector<slate::usubstring>& captures, bool allowEmpty, bool lineSets);

    std::vector<CachedRegex> m_entries; // in pattern order; none is in the empty form
    int m_maxCaptures = 0;
    // Engine sets of some of the patterns (a bit per entry in `members`),
    // made on first use: the whole set, and sets of just the patterns that
    // may match on a line (those needing characters the line lacks left
    // out), of which the last few used are kept.
    struct PatternSet {
        std::vector<uint64_t> members;
        std::vector<int> entries; // set index to entry index
        slate::SP<OnigRegexSetRef> set;
        uint64_t lastUse = 0;
    };
    // The set of `members`, made if need be; null when the scanner makes no
    // sets.
    PatternSet* patternSet(const std::vector<uint64_t>& members);
    std::vector<PatternSet> m_sets;
    PatternSet m_wholeSet;
    std::vector<uint64_t> m_members; // the members wanted, reused from call to call
    uint64_t m_setUses = 0;
    bool m_setsRefused = false;
    // Which way of searching costs least depends on the patterns and on the
    // text, so the matcher measures them from time to time and keeps the
    // cheapest (all find the same).
    SearchTrial m_trial;
    // The last set search, whichever set made it: any set that holds every
    // pattern that may match gives the same answer.
    SearchRecord m_setSearch;
    RegexScanner* m_scanner = &onigScanner(); // not owned; outlives the matcher
};
