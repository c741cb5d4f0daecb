// The multi-pattern matcher answers the lexer's one question, "which pattern
// of this context matches first after this position", for every token of
// every line, so it is built around avoiding regex work. There are three ways
// to answer, and which costs least depends on the grammar and the text, so
// each matcher measures them now and then and uses the cheapest (they give
// the same answers; only the time differs; search_trial.h keeps the
// schedule).
//
// One pattern at a time: the lexer moves forward through one line and asks
// again after each token; a pattern whose last match still lies ahead of the
// new position would find that same match again, and one that found nothing
// on the line would find nothing again, so each entry keeps its last result
// under the line key and is searched only when that result is behind the
// position. A match exactly at the position, fresh or remembered, cannot be
// beaten, which ends the call early. The scanner also skips, without asking
// the engine, a pattern that needs a character the rest of the line does not
// hold. Contexts of one grammar share compiled regexes, and a context
// entered or left on a line often asks the same regex what another context
// just asked, so the last engine search of each regex is also kept where all
// the entries sharing it see it (the regex cache's records), with everything
// its answer depended on, and is reused only where the engine would answer
// the same. This way wins where
// most patterns match nothing on a line: each is looked for once per line.
//
// All patterns as one engine set, on lines of ordinary length: one pass that
// tries every pattern at each place and stops at the first match. This way
// wins where patterns are costly to look for across a whole line and
// matches are close together. Or, cheaper still where it pays, a set of
// only the patterns that may match on the rest of the line (those needing
// characters it lacks left out), sets being made as lines ask for them and
// the last few kept; where lines vary too much, making sets costs more than
// it saves, and the whole set wins. A set's last search is remembered under
// the line key and answers a later call whose start still lies before its
// match.
//
// Searching allocates nothing here: the region is the caller's, each entry's
// capture array is made once, and the caller's capture vector keeps its
// capacity. (Oniguruma 6.9 itself allocates per search; no public interface
// lets a caller supply the memory.)
#include "ui/text/lexer/multi_matcher.h"

#include <algorithm>
#include <optional>
#include <utility>

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
      m_shared(other.m_shared),
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

// Lines longer than this are searched one pattern at a time, each pattern's
// result remembered until the lexer passes it; shorter ones with all
// patterns at once, which walks the line only as far as the first match.
constexpr ptrdiff_t kSetSearchMaxLength = 1000;

// Pattern sets kept per matcher. With 8, the 150 lines of a C++ sample
// made a new set every few lines, pass after pass; 32 hold them.
constexpr size_t kKeptSets = 32;

size_t memberCount(const std::vector<uint64_t>& members)
{
    size_t count = 0;
    for (uint64_t word : members)
        count += static_cast<size_t>(__builtin_popcountll(word));
    return count;
}

// Whether every member of `part` is one of `whole`.
bool covers(const std::vector<uint64_t>& whole, const std::vector<uint64_t>& part)
{
    for (size_t i = 0; i < part.size(); ++i) {
        if ((whole[i] & part[i]) != part[i])
            return false;
    }
    return true;
}

} // namespace

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
        const SearchAnchor anchor = searchAnchorOf(pattern);
        if (OnigRegexRef* shared = cache.find(pattern)) {
            m_entries.emplace_back(slate::SP<OnigRegexRef>(shared));
            m_entries.back().m_shared = cache.findShared(pattern);
        } else {
            m_entries.emplace_back(pattern, *m_scanner);
            slate::SP<SharedSearch> search(new SharedSearch);
            search->anchor = anchor;
            m_entries.back().m_shared = search;
            cache.insert(pattern, m_entries.back().sharedRegex(), std::move(search));
        }
        m_maxCaptures = std::max(m_maxCaptures, m_entries.back().regionCount());
        m_entries.back().m_anchor = anchor;
        m_setSearch.anchor = std::max(m_setSearch.anchor, anchor);
    }
}

bool MultiMatcher::searchesAsSet(const uchar* textStart, const uchar* textEnd)
{
    return !m_setsRefused && m_entries.size() >= 2 &&
           textEnd - textStart <= kSetSearchMaxLength;
}

MultiMatcher::PatternSet* MultiMatcher::patternSet(const std::vector<uint64_t>& members)
{
    ++m_setUses;
    bool whole = true;
    for (size_t i = 0; i < m_entries.size() && whole; ++i)
        whole = (members[i / 64] >> (i % 64)) & 1;
    if (whole && m_wholeSet.set)
        return &m_wholeSet;
    if (!whole) {
        // A kept set that holds every pattern wanted and few others answers
        // as well as an exact one. Making and freeing sets took about a
        // tenth of the time lexing jQuery or a C++ file (perf), whose lines
        // vary in their characters; accepting up to a quarter more
        // patterns than wanted made such files 5 to 20% faster.
        const size_t wanted = memberCount(members);
        const size_t acceptable = wanted + wanted / 4 + 2;
        PatternSet* cover = nullptr;
        for (PatternSet& known : m_sets) {
            if (known.members == members) {
                known.lastUse = m_setUses;
                return &known;
            }
            if (known.entries.size() <= acceptable && covers(known.members, members) &&
                (!cover || known.entries.size() < cover->entries.size()))
                cover = &known;
        }
        if (!cover && m_wholeSet.set && m_entries.size() <= acceptable)
            cover = &m_wholeSet;
        if (cover) {
            cover->lastUse = m_setUses;
            return cover;
        }
    }
    PatternSet made;
    made.members = members;
    std::vector<slate::SP<OnigRegexRef>> regexes;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if ((members[i / 64] >> (i % 64)) & 1) {
            made.entries.push_back(static_cast<int>(i));
            regexes.push_back(m_entries[i].sharedRegex());
        }
    }
    made.set = m_scanner->compileSet(regexes);
    if (!made.set) {
        m_setsRefused = true;
        return nullptr;
    }
    made.lastUse = m_setUses;
    if (whole) {
        m_wholeSet = std::move(made);
        return &m_wholeSet;
    }
    if (m_sets.size() < kKeptSets) {
        m_sets.push_back(std::move(made));
        return &m_sets.back();
    }
    PatternSet* oldest = &m_sets[0];
    for (PatternSet& known : m_sets) {
        if (known.lastUse < oldest->lastUse)
            oldest = &known;
    }
    *oldest = std::move(made);
    return oldest;
}

int MultiMatcher::searchSet(MatchRegion& region, MatchKey key, const uchar* start,
                            const uchar* rangeEnd, const uchar* textStart, const uchar* textEnd,
                            slate::usubstring& match, std::vector<slate::usubstring>& captures,
                            bool allowEmpty, bool lineSets)
{
    SearchRecord& last = m_setSearch;
    if (key == 0 || !last.answers(key, start, rangeEnd, textStart, textEnd, allowEmpty, region)) {
        // Only patterns that may match from here take part: any set of
        // them finds what the whole set would.
        m_members.assign((m_entries.size() + 63) / 64, 0);
        bool any = false;
        const CharacterSet* ahead =
            lineSets ? &charactersFrom(region, start, textStart, textEnd) : nullptr;
        for (size_t i = 0; i < m_entries.size(); ++i) {
            const RequiredCharacters* required = m_entries[i].regex()->requiredCharacters();
            if (!ahead || !required || required->heldBy(*ahead)) {
                m_members[i / 64] |= uint64_t(1) << (i % 64);
                any = true;
            }
        }
        int index = -1;
        if (any) {
            PatternSet* set = patternSet(m_members);
            if (!set)
                return -2;
            index = m_scanner->searchSet(*set->set, start, rangeEnd, textStart, textEnd, region,
                                         allowEmpty);
            if (index >= 0)
                index = set->entries[static_cast<size_t>(index)];
        } else {
            region.setResult(textStart, 0, nullptr, nullptr);
        }
        last.remember(key, start, rangeEnd, textStart, textEnd, allowEmpty, region, index >= 0,
                      m_maxCaptures);
        last.index = index;
    }
    if (last.index < 0)
        return -1;
    match = slate::usubstring(last.matchBegin, last.matchEnd);
    if (captures.capacity() < static_cast<size_t>(m_maxCaptures))
        captures.reserve(static_cast<size_t>(m_maxCaptures));
    captures.assign(last.captures.get(), last.captures.get() + last.numCaptures);
    return last.index;
}

int MultiMatcher::search(MatchRegion& region, MatchKey key, const uchar* start,
                         const uchar* rangeEnd, const uchar* textStart, const uchar* textEnd,
                         slate::usubstring& match, std::vector<slate::usubstring>& captures,
                         bool allowEmpty, MatchKey lineKey)
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
        // Trials only compare the ways where all are open.
        const bool setOpen = searchesAsSet(textStart, textEnd);
        const SearchWay way = setOpen ? m_trial.way() : SearchWay::OneByOne;
        std::optional<TrialStep> step;
        if (setOpen)
            step.emplace(m_trial);
        if (way != SearchWay::OneByOne) {
            const MatchKey setKey = key != 0 ? key : lineKey;
            result = searchSet(region, setKey, start, rangeEnd, textStart, textEnd, match,
                               captures, allowEmpty, way == SearchWay::LineSet);
            // -2: the scanner makes no sets; from now on all go one by one.
            // The engine is asked not to find empty matches in this mode;
            // should it find one where the lexer stands, the patterns are
            // searched one by one, which skips it.
            if (result != -2 &&
                (allowEmpty || result < 0 || match.begin != start || match.end != start))
                return result;
            result = -1;
        }
        for (size_t i = 0; i < m_entries.size(); ++i) {
            CachedRegex& entry = m_entries[i];
            int index = static_cast<int>(i);
            if (key != 0 && entry.m_key == key && entry.m_allowEmpty == allowEmpty &&
                entry.m_anchor == SearchAnchor::None) {
                if (!entry.m_matchBegin)
                    continue; // found nothing on this line before
                if (entry.m_matchBegin >= start) {
                    if (result < 0 || entry.m_matchBegin < best ||
                        (entry.m_matchBegin == best && index < result)) {
                        take(index, entry);
                        if (best == start)
                            return result; // nothing can begin earlier
                    }
                    continue;
                }
                // The remembered match lies behind the position: search again.
            }

            // Another entry of the same regex may have made this very search
            // on this line, or one from an earlier position whose answer
            // holds here too. The record keeps all the engine's answer
            // depends on, so a call that may not trust its own remembered
            // results (key 0) may still use the line's records.
            const MatchKey sharedKey = key != 0 ? key : lineKey;
            SharedSearch* shared = sharedKey != 0 ? entry.m_shared.get() : nullptr;
            const bool reuse = shared && shared->answers(sharedKey, start, rangeEnd, textStart,
                                                         textEnd, allowEmpty, region);
            if (!reuse) {
                const bool found = m_scanner->search(*entry.m_regex, start, rangeEnd, textStart,
                                                     textEnd, region, allowEmpty);
                if (shared)
                    shared->remember(sharedKey, start, rangeEnd, textStart, textEnd, allowEmpty,
                                     region, found, entry.regionCount());
                if (!found) {
                    entry.m_key = key;
                    entry.m_matchBegin = nullptr;
                    entry.m_matchEnd = nullptr;
                    entry.m_allowEmpty = allowEmpty;
                    continue;
                }
            } else if (!shared->matchBegin) {
                entry.m_key = key;
                entry.m_matchBegin = nullptr;
                entry.m_matchEnd = nullptr;
                entry.m_allowEmpty = allowEmpty;
                continue;
            }

            const uchar* begin = reuse ? shared->matchBegin : textStart + region.begin(0);
            const uchar* end = reuse ? shared->matchEnd : textStart + region.end(0);
            // The engine is asked not to find empty matches in this mode;
            // this guards the lexer's progress whatever the engine does.
            if (!allowEmpty && begin == end && begin == start)
                continue;

            entry.m_key = key;
            entry.m_matchBegin = begin;
            entry.m_matchEnd = end;
            entry.m_allowEmpty = allowEmpty;
            if (reuse) {
                entry.m_numCaptures = shared->numCaptures;
                if (entry.m_numCaptures > 0) {
                    if (!entry.m_captures)
                        entry.m_captures.reset(new slate::usubstring[entry.regionCount() - 1]);
                    std::copy(shared->captures.get(),
                              shared->captures.get() + entry.m_numCaptures,
                              entry.m_captures.get());
                }
            } else {
                entry.m_numCaptures = copyCaptures(region, entry.regionCount(), entry.m_captures);
            }

            if (result >= 0 && (begin > best || (begin == best && index > result)))
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
