// The pattern cursor and the small readers built on it. The cursor is a
// tokenizer, not a parser: it knows what the engine makes of each unit
// (an escape and how far it reaches, a class and its members, a group head
// and the options it sets, a comment) but leaves structure, alternatives and
// repeats to its callers, who each want different things of them. It follows
// the engine where the engine is lenient (a "]" first in a class is a
// member, "{" that begins no repeat is itself, a comment may hold an escaped
// ")") and calls Invalid what the engine refuses, so a caller that meets
// Invalid may simply give up: the engine will refuse the pattern anyway.
#include "ui/text/lexer/pattern_syntax.h"

#include <algorithm>

namespace {

using Kind = PatternTokenKind;

bool isDigit(uchar c) { return c >= u'0' && c <= u'9'; }
bool isOctalDigit(uchar c) { return c >= u'0' && c <= u'7'; }
bool isHexDigit(uchar c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
bool isAsciiLetter(uchar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isBlank(uchar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}
bool isHighSurrogate(uchar c) { return c >= 0xD800 && c < 0xDC00; }
bool isLowSurrogate(uchar c) { return c >= 0xDC00 && c < 0xE000; }

uint32_t hexValue(uchar c)
{
    if (isDigit(c))
        return c - u'0';
    return (c | 0x20u) - u'a' + 10;
}

// Reads the option letters at `p` ("i", "im-x", ...), which follow "(?":
// the position after them (at ":" or ")"), with `options` changed as they
// say, or null (and `options` unchanged) when they are not options.
const uchar* readOptionLetters(const uchar* p, const uchar* end, PatternOptions& options)
{
    PatternOptions result = options;
    bool on = true;
    const uchar* q = p;
    for (; q != end && ((*q >= u'a' && *q <= u'z') || *q == u'-'); ++q) {
        if (*q == u'-')
            on = false;
        else if (*q == u'i')
            result.ignoreCase = on;
        else if (*q == u'x')
            result.extended = on;
    }
    if (q == p || q == end || (*q != u':' && *q != u')'))
        return nullptr;
    options = result;
    return q;
}

// The character at `p` (a surrogate pair is one), moving `p` past it.
uint32_t readCharacter(const uchar*& p, const uchar* end)
{
    const uchar c = *p++;
    if (isHighSurrogate(c) && p != end && isLowSurrogate(*p))
        return 0x10000 + ((uint32_t(c) - 0xD800) << 10) + (uint32_t(*p++) - 0xDC00);
    return c;
}

// Moves `p` past the `closing` unit that ends a name or braces begun before
// it; false, with `p` where the reading stopped (at a ")" or the end), when
// none comes first.
bool skipClosed(const uchar*& p, const uchar* end, uchar closing)
{
    while (p != end && *p != closing && *p != u')')
        ++p;
    if (p == end || *p != closing)
        return false;
    ++p;
    return true;
}

} // namespace

PatternCursor::PatternCursor(const slate::usubstring& pattern, PatternOptions options)
    : m_p(pattern.begin), m_end(pattern.end), m_options(options)
{
}

PatternToken PatternCursor::token(PatternTokenKind kind, const uchar* begin) const
{
    PatternToken result;
    result.kind = kind;
    result.begin = begin;
    result.end = m_p;
    result.options = m_options;
    return result;
}

PatternToken PatternCursor::next()
{
    const uchar* const begin = m_p;
    if (m_p == m_end) {
        if (m_classDepth > 0) {
            m_classDepth = 0; // a class left open: the engine refuses it
            return token(Kind::Invalid, begin);
        }
        return token(Kind::End, begin);
    }
    if (m_classDepth > 0)
        return classMember(begin);

    const uchar c = *m_p;
    if (m_options.extended && (isBlank(c) || c == u'#')) {
        while (m_p != m_end && (isBlank(*m_p) || *m_p == u'#')) {
            if (*m_p++ == u'#') {
                while (m_p != m_end && *m_p != u'\n')
                    ++m_p;
            }
        }
        return token(Kind::Comment, begin);
    }
    ++m_p;
    switch (c) {
    case u'\\':
        return escape(begin);
    case u'.':
        return token(Kind::Any, begin);
    case u'^':
    case u'$':
        return token(Kind::LineAnchor, begin);
    case u'|':
        return token(Kind::Alternation, begin);
    case u'?':
    case u'*':
    case u'+': {
        PatternToken result = token(Kind::Quantifier, begin);
        result.minimum = c == u'+' ? 1 : 0;
        return result;
    }
    case u'{': {
        // "{n}", "{n,}", "{,m}", "{n,m}"; anything else is a plain "{".
        const uchar* q = m_p;
        uint32_t minimum = 0;
        const uchar* digits = q;
        while (q != m_end && isDigit(*q)) {
            minimum = std::min<uint32_t>(minimum * 10 + (*q - u'0'), 65535);
            ++q;
        }
        bool hasDigits = q != digits;
        if (q != m_end && *q == u',') {
            ++q;
            const uchar* maximum = q;
            while (q != m_end && isDigit(*q))
                ++q;
            hasDigits = hasDigits || q != maximum;
        }
        if (q == m_end || *q != u'}' || !hasDigits)
            return token(Kind::Other, begin);
        m_p = q + 1;
        PatternToken result = token(Kind::Quantifier, begin);
        result.minimum = minimum;
        return result;
    }
    case u'(':
        return group(begin);
    case u')':
        if (!m_outer.empty()) {
            m_options = m_outer.back();
            m_outer.pop_back();
        }
        return token(Kind::GroupClose, begin);
    case u'[':
        return openClass(begin);
    case u']':
    case u'}':
        return token(Kind::Other, begin);
    default:
        break;
    }
    m_p = begin;
    PatternToken result;
    const uint32_t code = readCharacter(m_p, m_end);
    result = token(Kind::Character, begin);
    result.code = code;
    return result;
}

PatternToken PatternCursor::escape(const uchar* begin)
{
    // `m_p` is after the backslash.
    if (m_p == m_end)
        return token(Kind::Invalid, begin);
    const uchar kind = *m_p++;
    auto character = [&](uint32_t code) {
        PatternToken result = token(Kind::Character, begin);
        result.code = code;
        return result;
    };
    auto other = [&] {
        PatternToken result = token(Kind::Escape, begin);
        result.letter = kind;
        return result;
    };
    switch (kind) {
    case u't': return character(u'\t');
    case u'n': return character(u'\n');
    case u'r': return character(u'\r');
    case u'f': return character(u'\f');
    case u'v': return character(u'\v');
    case u'a': return character(7);
    case u'e': return character(27);
    case u'x':
    case u'u': {
        uint32_t code = 0;
        size_t digits = 0;
        if (kind == u'x' && m_p != m_end && *m_p == u'{') {
            ++m_p;
            while (m_p != m_end && isHexDigit(*m_p) && digits < 8) {
                code = code * 16 + hexValue(*m_p++);
                ++digits;
            }
            if (m_p == m_end || *m_p != u'}' || digits == 0)
                return token(Kind::Invalid, begin);
            ++m_p;
            return character(code);
        }
        const size_t most = kind == u'x' ? 2 : 4;
        while (m_p != m_end && isHexDigit(*m_p) && digits < most) {
            code = code * 16 + hexValue(*m_p++);
            ++digits;
        }
        if (digits == 0 || (kind == u'u' && digits != 4))
            return token(Kind::Invalid, begin);
        return character(code);
    }
    case u'c':
    case u'C':
    case u'M': {
        // A control or meta character: "\cX", "\C-X", "\M-X", where X may
        // itself be an escape ("\M-\C-x").
        if (kind != u'c') {
            if (m_p == m_end || *m_p != u'-')
                return token(Kind::Invalid, begin);
            ++m_p;
        }
        if (m_p == m_end)
            return token(Kind::Invalid, begin);
        if (*m_p == u'\\') {
            const uchar* inner = m_p++;
            if (escape(inner).is(Kind::Invalid))
                return token(Kind::Invalid, begin);
        } else {
            readCharacter(m_p, m_end);
        }
        return other();
    }
    case u'k':
    case u'g':
    case u'p':
    case u'P':
    case u'o':
        // Names, properties and braced numbers carry their own text.
        if (m_p != m_end && (*m_p == u'<' || *m_p == u'{' || *m_p == u'\'') &&
            (kind != u'o' || *m_p == u'{')) {
            const uchar closing = *m_p == u'<' ? u'>' : *m_p == u'{' ? u'}' : u'\'';
            ++m_p;
            if (!skipClosed(m_p, m_end, closing))
                return token(Kind::Invalid, begin);
        }
        return other();
    default:
        break;
    }
    if (isDigit(kind)) {
        while (m_p != m_end && isDigit(*m_p))
            ++m_p;
        return other();
    }
    if (isAsciiLetter(kind))
        return other();
    --m_p;
    return character(readCharacter(m_p, m_end));
}

PatternToken PatternCursor::group(const uchar* begin)
{
    // `m_p` is after "(".
    PatternToken result;
    GroupKind kind = GroupKind::Capture;
    PatternOptions inner = m_options;
    slate::usubstring name;
    if (m_p != m_end && *m_p == u'?') {
        ++m_p;
        if (m_p == m_end)
            return token(Kind::Invalid, begin);
        const uchar c = *m_p;
        if (c == u'#') {
            // The engine lets an escaped ")" stand inside a comment.
            for (++m_p; m_p != m_end; ++m_p) {
                if (*m_p == u'\\') {
                    if (++m_p == m_end)
                        break;
                } else if (*m_p == u')') {
                    ++m_p;
                    return token(Kind::Comment, begin);
                }
            }
            return token(Kind::Invalid, begin);
        }
        const uchar after = m_p + 1 != m_end ? m_p[1] : 0;
        if (c == u':' || c == u'>' || c == u'=' || c == u'!' || c == u'~') {
            kind = c == u':'   ? GroupKind::NonCapture
                   : c == u'>' ? GroupKind::Atomic
                   : c == u'=' ? GroupKind::LookAhead
                   : c == u'!' ? GroupKind::NegativeLookAhead
                               : GroupKind::Absent;
            ++m_p;
        } else if (c == u'<' && (after == u'=' || after == u'!')) {
            kind = after == u'=' ? GroupKind::LookBehind : GroupKind::NegativeLookBehind;
            m_p += 2;
        } else if (c == u'<' || c == u'\'') {
            const uchar* const nameBegin = ++m_p;
            if (!skipClosed(m_p, m_end, c == u'<' ? u'>' : u'\'') || m_p == nameBegin + 1)
                return token(Kind::Invalid, begin);
            name = slate::usubstring(nameBegin, m_p - 1);
        } else if (const uchar* q = readOptionLetters(m_p, m_end, inner)) {
            m_p = q + 1;
            if (*q == u')') {
                m_options = inner;
                return token(Kind::Options, begin);
            }
            kind = GroupKind::NonCapture;
        } else {
            kind = GroupKind::Other;
        }
    }
    m_outer.push_back(m_options);
    m_options = inner;
    result = token(Kind::GroupOpen, begin);
    result.group = kind;
    result.name = name;
    return result;
}

PatternToken PatternCursor::openClass(const uchar* begin)
{
    // `m_p` is after "[".
    ++m_classDepth;
    m_classStart = true;
    const bool negated = m_p != m_end && *m_p == u'^';
    if (negated)
        ++m_p;
    PatternToken result = token(Kind::ClassOpen, begin);
    result.negated = negated;
    return result;
}

PatternToken PatternCursor::classMember(const uchar* begin)
{
    const bool first = m_classStart;
    m_classStart = false;
    const uchar c = *m_p;
    if (c == u']' && !first) {
        ++m_p;
        --m_classDepth;
        return token(Kind::ClassClose, begin);
    }
    if (c == u'[') {
        // "[:alpha:]" or "[:^alpha:]"; any other "[" opens a nested class.
        const uchar* q = m_p + 1;
        if (q != m_end && *q == u':') {
            ++q;
            const bool negated = q != m_end && *q == u'^';
            if (negated)
                ++q;
            const uchar* nameBegin = q;
            while (q != m_end && isAsciiLetter(*q))
                ++q;
            if (q != nameBegin && m_end - q >= 2 && q[0] == u':' && q[1] == u']') {
                m_p = q + 2;
                PatternToken result = token(Kind::PosixClass, begin);
                result.negated = negated;
                result.name = slate::usubstring(nameBegin, q);
                return result;
            }
        }
        ++m_p;
        return openClass(begin);
    }
    if (c == u'&' && m_p + 1 != m_end && m_p[1] == u'&') {
        m_p += 2;
        return token(Kind::Intersection, begin);
    }
    if (c == u'\\') {
        ++m_p;
        return escape(begin);
    }
    const uint32_t code = readCharacter(m_p, m_end);
    PatternToken result = token(Kind::Character, begin);
    result.code = code;
    return result;
}

SearchAnchor searchAnchorOf(const slate::usubstring& pattern)
{
    // Leading only when "\G" comes first and any other one begins an
    // alternative of the whole pattern: each alternative that has one then
    // matches only where a search starts.
    PatternCursor cursor(pattern);
    SearchAnchor result = SearchAnchor::None;
    bool alternativeStart = true;
    for (PatternToken token = cursor.next(); !token.is(Kind::End); token = cursor.next()) {
        if (token.is(Kind::Invalid))
            return SearchAnchor::Anywhere;
        if (token.is(Kind::Escape) && token.letter == u'G') {
            if (token.begin == pattern.begin)
                result = SearchAnchor::Leading;
            else if (result != SearchAnchor::Leading || !alternativeStart ||
                     cursor.groupDepth() != 0)
                return SearchAnchor::Anywhere;
        }
        alternativeStart = token.is(Kind::Alternation) && cursor.groupDepth() == 0;
    }
    return result;
}

bool widenByteEscapes(const slate::usubstring& pattern, ustring& widened)
{
    PatternCursor cursor(pattern);
    const uchar* copiedUpTo = pattern.begin;
    bool changed = false;
    for (PatternToken token = cursor.next(); !token.is(Kind::End); token = cursor.next()) {
        // "\xH" or "\xHH", and the octal digits of "\0", "\0O" or "\0OO".
        const uchar* digits;
        const uchar* digitsEnd;
        if (token.is(Kind::Character) && token.end - token.begin >= 3 &&
            token.begin[0] == u'\\' && token.begin[1] == u'x' && token.begin[2] != u'{') {
            digits = token.begin + 2;
            digitsEnd = token.end;
        } else if (token.isNumbered() && token.letter == u'0') {
            digits = token.begin + 1;
            digitsEnd = digits + 1;
            while (digitsEnd != token.end && digitsEnd - digits < 3 && isOctalDigit(*digitsEnd))
                ++digitsEnd;
        } else {
            continue;
        }
        if (!changed)
            widened.clear();
        changed = true;
        widened.append(copiedUpTo, token.begin);
        widened += u"\\x{";
        if (token.is(Kind::Character)) {
            widened.append(digits, digitsEnd);
        } else {
            unsigned value = 0;
            for (const uchar* digit = digits; digit != digitsEnd; ++digit)
                value = value * 8 + static_cast<unsigned>(*digit - u'0');
            const char* hex = "0123456789ABCDEF";
            if (value >= 16)
                widened += static_cast<uchar>(hex[value / 16]);
            widened += static_cast<uchar>(hex[value % 16]);
        }
        widened += u'}';
        copiedUpTo = digitsEnd;
    }
    if (changed)
        widened.append(copiedUpTo, pattern.end);
    return changed;
}

void findBackReferences(const slate::usubstring& pattern,
                        std::vector<slate::usubstring>& references)
{
    PatternCursor cursor(pattern);
    for (PatternToken token = cursor.next(); !token.is(Kind::End); token = cursor.next()) {
        if (token.isNumbered())
            references.emplace_back(token.begin, token.end);
    }
}

bool hasBackReferences(const slate::usubstring& pattern)
{
    PatternCursor cursor(pattern);
    for (PatternToken token = cursor.next(); !token.is(Kind::End); token = cursor.next()) {
        if (token.isNumbered())
            return true;
    }
    return false;
}

namespace {

// The units escapeRegex puts a backslash before, by ASCII code.
struct SpecialUnits {
    bool special[128] = {};
    constexpr SpecialUnits()
    {
        const char* set = ".[]{}+*?|^$()-,=:!\\";
        for (const char* p = set; *p; ++p)
            special[static_cast<unsigned char>(*p)] = true;
        special[0] = true;
    }
};

constexpr SpecialUnits kSpecialUnits;

} // namespace

ustring escapeRegex(const slate::usubstring& text)
{
    ustring result;
    result.reserve(text.size() + 8);
    for (const uchar* p = text.begin; p != text.end; ++p) {
        const uchar unit = *p;
        if (unit < 128 && kSpecialUnits.special[unit])
            result += u'\\';
        result += unit;
    }
    return result;
}
