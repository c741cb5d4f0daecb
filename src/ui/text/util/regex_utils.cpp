// Helpers shared by every user of the program's own regular expressions. The
// substitution lists are read by a small hand-written state machine over
// UTF-16 units rather than a regex of its own: it runs while snippets
// expand, and a scanner can honour escapes, which a regex over the same text
// cannot do simply. The same holds for the
// rewriting of replacement formats, which must touch conditional groups only.
#include "ui/text/util/regex_utils.h"

#include <iterator>

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

WideRegex makeRegex(const slate::usubstring& pattern, const ustring& options)
{
    boost::regex_constants::syntax_option_type syntax = boost::regex_constants::perl;
    if (contains(options, u'i'))
        syntax |= boost::regex_constants::icase;
    return boost::make_u32regex(pattern.begin, pattern.end, syntax);
}

void parseTransformation(const slate::usubstring& text, std::vector<RegexTransform>& transforms)
{
    enum State { kBetween, kComment, kPattern, kPatternEscape, kFormat, kFormatEscape, kOptions };

    std::vector<RegexTransformSpec> specs;
    State state = kBetween;
    for (const uchar* p = text.begin; p != text.end; ++p) {
        uchar unit = *p;
        switch (state) {
        case kBetween:
            if (unit == u'/') {
                specs.emplace_back();
                state = kPattern;
            } else if (unit == u'#') {
                state = kComment;
            }
            break;
        case kComment:
            if (unit == u'\n')
                state = kBetween;
            break;
        case kPattern:
            if (unit == u'/') {
                state = kFormat;
                break;
            }
            specs.back().pattern += unit;
            if (unit == u'\\')
                state = kPatternEscape;
            break;
        case kPatternEscape:
            specs.back().pattern += unit;
            state = kPattern;
            break;
        case kFormat:
            if (unit == u'/') {
                state = kOptions;
                break;
            }
            specs.back().format += unit;
            if (unit == u'\\')
                state = kFormatEscape;
            break;
        case kFormatEscape:
            specs.back().format += unit;
            state = kFormat;
            break;
        case kOptions:
            if (unit == u';' || unit == u'\n')
                state = kBetween;
            else if (unit == u'#')
                state = kComment;
            else
                specs.back().options += unit;
            break;
        }
    }
    if (state >= kPattern && state <= kFormatEscape)
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
    ustring result;
    boost::u32regex_replace(std::back_inserter(result), text.begin(), text.end(), regex, format,
                            flags);
    return result;
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
