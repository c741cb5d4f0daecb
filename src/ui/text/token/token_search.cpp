// Searching a token storage with Boost's Unicode regular expressions. The
// engine reads UTF-32 through an adapter over the storage's UTF-16 character
// iterator, so no copy of the text is made; a unit of an unpaired surrogate
// reads as U+FFFD, since the UTF-16 decoder would otherwise throw in the
// middle of a search. Match positions come back as storage positions through
// the adapter's base iterator.
//
// A pattern that is plain text does not need the engine: it is compared
// unit by unit over the tokens' own text, lowered as the engine lowers for a
// search that ignores case (u_tolower of each code point). Only a pattern
// for which that comparison finds exactly the engine's matches takes this
// path; see searchesDirectly.
#include "ui/text/token/token_storage.h"

#include <algorithm>
#include <stdexcept>

#include <boost/regex/icu.hpp>
#include <unicode/uchar.h>

#include "ui/statistics.h"
#include "ui/text/token/token.h"
#include "ui/text/token/token_buffer.h"
#include "ui/text/util/regex_utils.h"
#include "ui/unicode.h"

namespace {

bool isHighSurrogate(uchar unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(uchar unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The units of [begin, end) of a storage, each half of a surrogate pair that
// has no partner inside the range read as U+FFFD.
class SearchUnits {
public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = uchar;
    using difference_type = std::ptrdiff_t;
    using pointer = const uchar*;
    using reference = uchar;

    SearchUnits() = default;
    SearchUnits(TokenStorage::iterator it, int64_t begin, int64_t end)
        : m_it(it), m_begin(begin), m_end(end)
    {
    }

    uchar operator*() const
    {
        const uchar unit = *m_it;
        if (isHighSurrogate(unit)) {
            if (m_it.position() + 1 < m_end) {
                TokenStorage::iterator next = m_it;
                if (isLowSurrogate(*++next))
                    return unit;
            }
            return 0xFFFD;
        }
        if (isLowSurrogate(unit)) {
            if (m_it.position() > m_begin) {
                TokenStorage::iterator previous = m_it;
                if (isHighSurrogate(*--previous))
                    return unit;
            }
            return 0xFFFD;
        }
        return unit;
    }
    SearchUnits& operator++()
    {
        ++m_it;
        return *this;
    }
    SearchUnits& operator--()
    {
        --m_it;
        return *this;
    }
    SearchUnits operator++(int)
    {
        SearchUnits before = *this;
        ++m_it;
        return before;
    }
    SearchUnits operator--(int)
    {
        SearchUnits before = *this;
        --m_it;
        return before;
    }
    bool operator==(const SearchUnits& other) const { return m_it == other.m_it; }
    bool operator!=(const SearchUnits& other) const { return m_it != other.m_it; }

    int64_t position() const { return m_it.position(); }

private:
    TokenStorage::iterator m_it;
    int64_t m_begin = 0;
    int64_t m_end = 0;
};

using CodePoints = boost::u16_to_u32_iterator<SearchUnits, UChar32>;
using Match = boost::match_results<CodePoints>;

bool isWordUnit(uchar unit)
{
    return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z')
        || (unit >= u'0' && unit <= u'9') || unit == u'_';
}

// Runs `work`, turning the library's errors (a pattern that does not
// compile, a match it gave up on as too complex or too deep) into the
// RegexError callers are promised. Any error out of a search (rather than
// out of compiling) is the engine giving up.
template <typename Work>
auto reportingRegexErrors(const ustring& pattern, bool searching, Work work) -> decltype(work())
{
    try {
        return work();
    } catch (const std::runtime_error& error) {
        throw RegexError(toUstring(error.what()) + u" in regular expression " + pattern, searching);
    }
}

boost::u32regex compile(const ustring& pattern, uint32_t flags)
{
    boost::regex_constants::syntax_option_type options =
        (flags & kSearchLiteral) ? boost::regex_constants::literal : boost::regex_constants::perl;
    if (flags & kSearchIgnoreCase)
        options |= boost::regex_constants::icase;
    return reportingRegexErrors(pattern, false, [&] { return compileRegex(pattern, options); });
}

// Appends the match formatted by `format` when both outputs are asked for.
void appendFormatted(const Match& match, const boost::u32regex& regex, uint32_t flags,
                     const ustring* format, std::vector<ustring>* formatted)
{
    if (!format || !formatted)
        return;
    const RegexText formatText(*format);
    std::vector<UChar32> out;
    const boost::regex_constants::match_flag_type formatFlags = (flags & kSearchLiteral)
        ? boost::regex_constants::format_literal
        : boost::regex_constants::format_default;
    match.format(std::back_inserter(out), formatText.c_str(), formatFlags, regex);
    formatted->push_back(unitsOfCodePoints(out));
}

CodePoints codePointsAt(TokenStorage& storage, int64_t position, int64_t begin, int64_t end)
{
    return CodePoints(SearchUnits(storage.iteratorAt(position), begin, end));
}

SelectionRegion regionOf(const Match& match)
{
    return SelectionRegion(match[0].first.base().position(), match[0].second.base().position());
}

// Every match of [begin, end), as findAll hands them on.
void findAllBetween(TokenStorage& storage, const boost::u32regex& regex, uint32_t flags,
                    int64_t begin, int64_t end, SelectionSet& out, const ustring* format,
                    std::vector<ustring>* formatted)
{
    boost::regex_iterator<CodePoints, UChar32, boost::icu_regex_traits> it(
        codePointsAt(storage, begin, begin, end), codePointsAt(storage, end, begin, end), regex,
        boost::regex_constants::match_not_dot_newline);
    const boost::regex_iterator<CodePoints, UChar32, boost::icu_regex_traits> last;
    for (; it != last; ++it) {
        const SelectionRegion region = regionOf(*it);
        if (region.empty() && !out.empty() && out[out.size() - 1].end() == region.begin())
            continue;
        out.push_back(region);
        appendFormatted(*it, regex, flags, format, formatted);
    }
}

bool hasSurrogateOrReplacement(const ustring& text)
{
    return std::any_of(text.begin(), text.end(), [](uchar unit) {
        return isHighSurrogate(unit) || isLowSurrogate(unit) || unit == 0xFFFD;
    });
}

// Whether a regular expression in Perl syntax is plain text: none of its
// units has a meaning of its own outside a bracket, brace or group, and
// without those none has one at all.
bool isPlainExpression(const ustring& pattern)
{
    return pattern.find_first_of(u".[]{}()*+?|^$\\") == ustring::npos;
}

// Whether a search for `pattern` may compare units instead of running the
// engine: plain text (kSearchLiteral, or an expression that is plain text
// and is not formatted, since a format is then expanded by the engine). A
// pattern of code points outside the surrogates and U+FFFD matches only
// units that are whole code points of their own (the engine reads a
// surrogate as part of a supplementary code point or as U+FFFD, and no such
// code point lowers to one of the pattern's), so unit comparison finds
// exactly the engine's matches. A literal format is copied as it is, which
// holds for the same units.
bool searchesDirectly(const ustring& pattern, uint32_t flags, const ustring* format,
                      const std::vector<ustring>* formatted)
{
    if (pattern.empty() || hasSurrogateOrReplacement(pattern))
        return false;
    const bool formats = format && formatted;
    if (flags & kSearchLiteral)
        return !formats || !hasSurrogateOrReplacement(*format);
    return !formats && isPlainExpression(pattern);
}

// A unit as the comparison sees it: lowered as the engine's case-insensitive
// translation lowers it.
uchar comparedUnit(uchar unit, bool ignoreCase)
{
    if (!ignoreCase)
        return unit;
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit;
    return static_cast<uchar>(u_tolower(unit));
}

// Whether the units from `it` on are `key` (already lowered); the storage
// holds at least key.size() units from `it`.
bool matchesAt(TokenStorage::iterator it, const ustring& key, bool ignoreCase)
{
    for (const uchar unit : key) {
        if (comparedUnit(*it, ignoreCase) != unit)
            return false;
        ++it;
    }
    return true;
}

// The first position in [begin, end) where `key` (already lowered, not
// empty) starts and ends by `end`; -1 for none. Walks the tokens' text
// directly and steps through the iterator only to check a candidate.
int64_t findKey(TokenStorage& storage, const ustring& key, bool ignoreCase, int64_t begin, int64_t end)
{
    const int64_t length = static_cast<int64_t>(key.size());
    if (end - begin < length)
        return -1;
    const int64_t lastStart = end - length;
    const TokenLocation start = storage.iteratorAt(begin).location();
    TokenBuffer* bucket = start.bucket;
    uint32_t index = start.index;
    int32_t offset = start.characterOffset;
    int64_t position = begin;
    while (position <= lastStart && bucket) {
        if (index >= bucket->size()) {
            bucket = bucket->next;
            index = 0;
            offset = 0;
            continue;
        }
        const Token* token = bucket->tokens[index];
        const uchar* first = token->begin + offset;
        const uchar* stop = first + std::min<int64_t>(token->end - first, lastStart - position + 1);
        for (const uchar* unit = first; unit != stop; ++unit) {
            if (comparedUnit(*unit, ignoreCase) != key[0])
                continue;
            const int64_t candidate = position + (unit - first);
            const int32_t candidateOffset = offset + static_cast<int32_t>(unit - first);
            if (matchesAt(TokenStorage::iterator(TokenLocation{bucket, index, candidateOffset}, candidate), key,
                          ignoreCase))
                return candidate;
        }
        position += stop - first;
        ++index;
        offset = 0;
    }
    return -1;
}

ustring comparedKey(const ustring& pattern, bool ignoreCase)
{
    ustring key = pattern;
    for (uchar& unit : key)
        unit = comparedUnit(unit, ignoreCase);
    return key;
}

// findAllBetween for a pattern that searchesDirectly.
void findAllDirectly(TokenStorage& storage, const ustring& pattern, uint32_t flags, int64_t begin,
                     int64_t end, SelectionSet& out, const ustring* format, std::vector<ustring>* formatted)
{
    const bool ignoreCase = flags & kSearchIgnoreCase;
    const ustring key = comparedKey(pattern, ignoreCase);
    const int64_t length = static_cast<int64_t>(key.size());
    for (int64_t at = findKey(storage, key, ignoreCase, begin, end); at >= 0;
         at = findKey(storage, key, ignoreCase, at + length, end)) {
        out.push_back(SelectionRegion(at, at + length));
        if (format && formatted)
            formatted->push_back(*format);
    }
}

} // namespace

RegexError::RegexError(const ustring& message, bool abandoned)
    : m_message(toUtf8(message)), m_abandoned(abandoned)
{
}

SelectionRegion TokenStorage::find(const ustring& pattern, uint32_t flags, int64_t start,
                                   const ustring* format, std::vector<ustring>* formatted)
{
    ScopedTimer timer(g_statFindFrom);
    start = std::clamp<int64_t>(start, 0, size());
    if (searchesDirectly(pattern, flags, format, formatted)) {
        const bool ignoreCase = flags & kSearchIgnoreCase;
        const int64_t at = findKey(*this, comparedKey(pattern, ignoreCase), ignoreCase, start, size());
        if (at < 0)
            return SelectionRegion(-1, -1);
        if (format && formatted)
            formatted->push_back(*format);
        return SelectionRegion(at, at + static_cast<int64_t>(pattern.size()));
    }
    const boost::u32regex regex = compile(pattern, flags);
    boost::regex_constants::match_flag_type options = boost::regex_constants::match_not_dot_newline;
    if (start > 0) {
        const uchar before = charAt(start - 1);
        options |= boost::regex_constants::match_not_bob;
        if (before != u'\n')
            options |= boost::regex_constants::match_not_bol;
        if (isWordUnit(before) == isWordUnit(charAt(start)))
            options |= boost::regex_constants::match_not_bow;
    }
    const int64_t end = size();
    Match match;
    const bool found = reportingRegexErrors(pattern, true, [&] {
        return boost::regex_search(codePointsAt(*this, start, start, end),
                                   codePointsAt(*this, end, start, end), match, regex, options);
    });
    if (!found)
        return SelectionRegion(-1, -1);
    appendFormatted(match, regex, flags, format, formatted);
    return regionOf(match);
}

void TokenStorage::findAll(const ustring& pattern, uint32_t flags, SelectionSet& out,
                           const ustring* format, std::vector<ustring>* formatted)
{
    ScopedTimer timer(g_statFindAll);
    if (searchesDirectly(pattern, flags, format, formatted))
        return findAllDirectly(*this, pattern, flags, 0, size(), out, format, formatted);
    const boost::u32regex regex = compile(pattern, flags);
    reportingRegexErrors(pattern, true,
                          [&] { findAllBetween(*this, regex, flags, 0, size(), out, format, formatted); });
}

void TokenStorage::findAllIn(const ustring& pattern, uint32_t flags, const SelectionSet& regions,
                             SelectionSet& out, const ustring* format, std::vector<ustring>* formatted)
{
    const bool direct = searchesDirectly(pattern, flags, format, formatted);
    const boost::u32regex regex = direct ? boost::u32regex() : compile(pattern, flags);
    for (const SelectionRegion& region : regions) {
        const int64_t begin = std::clamp<int64_t>(region.begin(), 0, size());
        const int64_t end = std::clamp<int64_t>(region.end(), begin, size());
        if (direct) {
            findAllDirectly(*this, pattern, flags, begin, end, out, format, formatted);
            continue;
        }
        reportingRegexErrors(
            pattern, true, [&] { findAllBetween(*this, regex, flags, begin, end, out, format, formatted); });
    }
}
