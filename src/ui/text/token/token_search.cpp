// Searching a token storage with Boost's Unicode regular expressions. The
// engine reads UTF-32 through an adapter over the storage's UTF-16 character
// iterator, so no copy of the text is made; a unit of an unpaired surrogate
// reads as U+FFFD, since the UTF-16 decoder would otherwise throw in the
// middle of a search. Match positions come back as storage positions through
// the adapter's base iterator.
#include "ui/text/token/token_storage.h"

#include <stdexcept>

#include <boost/regex/icu.hpp>

#include "ui/statistics.h"
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
    const boost::u32regex regex = compile(pattern, flags);
    reportingRegexErrors(pattern, true,
                          [&] { findAllBetween(*this, regex, flags, 0, size(), out, format, formatted); });
}

void TokenStorage::findAllIn(const ustring& pattern, uint32_t flags, const SelectionSet& regions,
                             SelectionSet& out, const ustring* format, std::vector<ustring>* formatted)
{
    const boost::u32regex regex = compile(pattern, flags);
    for (const SelectionRegion& region : regions) {
        const int64_t begin = std::clamp<int64_t>(region.begin(), 0, size());
        const int64_t end = std::clamp<int64_t>(region.end(), begin, size());
        reportingRegexErrors(
            pattern, true, [&] { findAllBetween(*this, regex, flags, begin, end, out, format, formatted); });
    }
}
