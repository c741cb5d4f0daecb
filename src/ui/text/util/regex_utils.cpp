// Helpers shared by every user of the program's own regular expressions. The
// substitution lists are read by a small hand-written state machine over
// UTF-16 units rather than a regex of its own: it runs while snippets
// expand, and a scanner can honour escapes, which a regex over the same text
// cannot do simply. The same holds for the
// rewriting of replacement formats, which must touch conditional groups only.
#include "ui/text/util/regex_utils.h"

#include <iterator>

#include "ui/unicode.h"

namespace {

bool contains(const ustring& text, uchar unit) { return text.find(unit) != ustring::npos; }

bool isDigit(uchar unit) { return unit >= u'0' && unit <= u'9'; }

} // namespace

RegexFlags regexFormatFlags(const ustring& options)
{
    RegexFlags flags = boost::regex_constants::format_all;
    if (!contains(options, u'g'))
        flags |= boost::regex_constants::format_first_only;
    if (!contains(options, u'm'))
        flags |= boost::regex_constants::match_single_line;
    return flags;
}

RegexText::RegexText(const slate::usubstring& text)
{
    m_codePoints.reserve(static_cast<size_t>(text.end - text.begin) + 1);
    for (const uchar* p = text.begin; p != text.end; ++p) {
        const uchar unit = *p;
        if (unit >= 0xD800 && unit < 0xDC00 && p + 1 != text.end && p[1] >= 0xDC00 && p[1] < 0xE000) {
            m_codePoints.push_back(0x10000 + ((unit - 0xD800) << 10) + (p[1] - 0xDC00));
            ++p;
        } else {
            m_codePoints.push_back(unit);
        }
    }
    m_codePoints.push_back(0);
}

ustring unitsOfCodePoints(const std::vector<UChar32>& codePoints)
{
    ustring units;
    units.reserve(codePoints.size());
    for (UChar32 c : codePoints) {
        if (c >= 0x10000 && c <= 0x10FFFF) {
            units += static_cast<uchar>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<uchar>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            units += static_cast<uchar>(c);
        }
    }
    return units;
}

WideRegex compileRegex(const slate::usubstring& pattern, RegexSyntax syntax)
{
    const RegexText text(pattern);
    return boost::make_u32regex(text.begin(), text.end(), syntax);
}

WideRegex makeRegex(const slate::usubstring& pattern, const ustring& options)
{
    RegexSyntax syntax = boost::regex_constants::perl;
    if (contains(options, u'i'))
        syntax |= boost::regex_constants::icase;
    // Boost reads the pattern as UTF-32 and would throw std::out_of_range on
    // a surrogate without its partner, which callers do not expect.
    if (findUnpairedSurrogate(pattern.begin, pattern.end) != pattern.end)
        throw boost::regex_error(boost::regex_constants::error_bad_pattern);
    return compileRegex(pattern, syntax);
}

void parseTransformation(const slate::usubstring& text, std::vector<RegexTransform>& transforms)
{
    enum class State { Between, Comment, Pattern, PatternEscape, Format, FormatEscape, Options };

    std::vector<RegexTransformSpec> specs;
    State state = State::Between;
    for (const uchar* p = text.begin; p != text.end; ++p) {
        uchar unit = *p;
        switch (state) {
        case State::Between:
            if (unit == u'/') {
                specs.emplace_back();
                state = State::Pattern;
            } else if (unit == u'#') {
                state = State::Comment;
            }
            break;
        case State::Comment:
            if (unit == u'\n')
                state = State::Between;
            break;
        case State::Pattern:
            if (unit == u'/') {
                state = State::Format;
                break;
            }
            specs.back().pattern += unit;
            if (unit == u'\\')
                state = State::PatternEscape;
            break;
        case State::PatternEscape:
            specs.back().pattern += unit;
            state = State::Pattern;
            break;
        case State::Format:
            if (unit == u'/') {
                state = State::Options;
                break;
            }
            specs.back().format += unit;
            if (unit == u'\\')
                state = State::FormatEscape;
            break;
        case State::FormatEscape:
            specs.back().format += unit;
            state = State::Format;
            break;
        case State::Options:
            if (unit == u';' || unit == u'\n')
                state = State::Between;
            else if (unit == u'#')
                state = State::Comment;
            else
                specs.back().options += unit;
            break;
        }
    }
    if (state >= State::Pattern && state <= State::FormatEscape)
        specs.pop_back();
    compileTransformations(specs, transforms);
}

void compileTransformations(const std::vector<RegexTransformSpec>& specs,
                            std::vector<RegexTransform>& transforms)
{
    transforms.clear();
    transforms.reserve(specs.size());
    for (const RegexTransformSpec& spec : specs)
        transforms.push_back(RegexTransform{makeRegex(spec.pattern, spec.options), spec.format,
                                            regexFormatFlags(spec.options)});
}

ustring regexReplace(const ustring& text, const WideRegex& regex, const ustring& format,
                     RegexFlags flags)
{
    // The library's own replace copies the format into a buffer that ends
    // at its last unit, and its formatter then reads one unit past that end
    // on an unfinished conditional ("?{1"). This is the same loop, handing
    // the formatter the format's own buffer, whose spare 0 takes that read.
    using MatchIterator = boost::regex_iterator<const UChar32*, UChar32, boost::icu_regex_traits>;
    const RegexText subject(text);
    const RegexText formatText(format);
    const bool copyRest = !(flags & boost::regex_constants::format_no_copy);
    std::vector<UChar32> result;
    auto out = std::back_inserter(result);
    const UChar32* rest = subject.begin();
    for (MatchIterator match(subject.begin(), subject.end(), regex, flags), end; match != end; ++match) {
        if (copyRest)
            result.insert(result.end(), match->prefix().first, match->prefix().second);
        out = boost::BOOST_REGEX_DETAIL_NS::regex_format_imp(out, *match, formatText.begin(),
                                                            formatText.end(), flags, regex.get_traits());
        rest = (*match)[0].second;
        if (flags & boost::regex_constants::format_first_only)
            break;
    }
    if (copyRest)
        result.insert(result.end(), rest, subject.end());
    return unitsOfCodePoints(result);
}

ustring rewriteFormatString(const ustring& format)
{
    ustring result;
    result.reserve(format.size());
    size_t size = format.size();
    size_t i = 0;
    while (i < size) {
        uchar unit = format[i];
        if (unit == u'\\') {
            // An escaped unit is literal text: copy it with its backslash.
            result.append(format, i, 2);
            i += 2;
            continue;
        }
        if (unit == u'(' && i + 1 < size && format[i + 1] == u'?') {
            size_t digitsEnd = i + 2;
            while (digitsEnd < size && isDigit(format[digitsEnd]))
                ++digitsEnd;
            if (digitsEnd > i + 2 && digitsEnd < size && format[digitsEnd] == u':') {
                size_t yes = digitsEnd + 1;
                if (yes < size && isDigit(format[yes])) {
                    result += u"(?{";
                    result.append(format, i + 2, digitsEnd - (i + 2));
                    result += u'}';
                } else {
                    result.append(format, i, digitsEnd - i);
                }
                i = yes;
                continue;
            }
        }
        result += unit;
        ++i;
    }
    return result;
}
