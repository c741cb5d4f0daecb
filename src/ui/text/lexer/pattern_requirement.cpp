// Reading a pattern for the characters its matches need. The pattern is
// read as the engine reads it (alternations, groups and their options,
// quantifiers, classes, escapes, the extended form's blanks and comments),
// and each part yields sets of which every match of it contains a character
// each, or nothing: a sequence needs what each of its parts needs (the sets
// least likely to be held are kept), an alternation the union of what each
// alternative needs most surely, a part that may be repeated zero times
// nothing. Zero-width parts need nothing, except that a
// look-ahead's text lies ahead of the match start too. A look-behind reads
// text that may lie before the search start, so it is not used. Without
// case, a letter stands for both cases and for the characters outside ASCII
// that fold to it. Anything not followed gives nothing, never a guess: a
// wrong set would hide real matches.
#include "ui/text/lexer/pattern_requirement.h"

#include <algorithm>
#include <vector>

#include "ui/text/lexer/pattern_options.h"

namespace {

using Options = PatternOptions;

// What a part of a pattern needs: `set` (the least likely to be held) and
// `more` sets, each needed too.
struct Requirement {
    bool known = false;
    CharacterSet set;
    std::vector<CharacterSet> more;
};

bool isAsciiLetter(uchar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isDigit(uchar c) { return c >= u'0' && c <= u'9'; }
bool isHexDigit(uchar c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// How often a character turns up in a line of source text, roughly; only
// used to choose between sets.
double frequency(unsigned c)
{
    if (c == u'\n')
        return 100; // every line but the last ends with one
    if (c == u' ')
        return 20;
    if (c >= u'a' && c <= u'z')
        return 4;
    if (c == CharacterSet::kOutsideAscii)
        return 0.5;
    if ((c >= u'A' && c <= u'Z') || isDigit(static_cast<uchar>(c)) || c == u'_' || c == u'\t')
        return 1.5;
    if (c == u'(' || c == u')' || c == u'.' || c == u',' || c == u'=' || c == u'"' ||
        c == u'\'' || c == u':' || c == u';' || c == u'-')
        return 1;
    return 0.4;
}

// How likely a line of source text is to hold a character of `set`.
double cost(const CharacterSet& set)
{
    double total = 0;
    for (unsigned half = 0; half < 2; ++half) {
        for (uint64_t bits = half ? set.high : set.low; bits; bits &= bits - 1)
            total += frequency(half * 64 + static_cast<unsigned>(__builtin_ctzll(bits)));
    }
    return total;
}

void addCharacter(CharacterSet& set, uint32_t c, const Options& options)
{
    if (c >= 128) {
        set.add(CharacterSet::kOutsideAscii);
        return;
    }
    set.add(static_cast<uchar>(c));
    if (options.ignoreCase && isAsciiLetter(static_cast<uchar>(c))) {
        set.add(static_cast<uchar>(c ^ 0x20));
        set.add(CharacterSet::kOutsideAscii); // the Kelvin sign, long s, ligatures
    }
}

void addRange(CharacterSet& set, uint32_t first, uint32_t last, const Options& options)
{
    for (uint32_t c = first; c <= last && c < 128; ++c)
        addCharacter(set, c, options);
    if (last >= 128)
        set.add(CharacterSet::kOutsideAscii);
}

// The sets of the shorthand classes ("\\d", "\\w", "\\s", "\\h") and POSIX
// brackets; false for those whose complement is meant or that are unknown.
bool addNamedClass(CharacterSet& set, const std::u16string& name, const Options& options)
{
    // Outside ASCII, Unicode has digits, letters and spaces of its own.
    set.add(CharacterSet::kOutsideAscii);
    if (name == u"d" || name == u"digit") {
        addRange(set, u'0', u'9', options);
    } else if (name == u"h" || name == u"xdigit") {
        addRange(set, u'0', u'9', options);
        addRange(set, u'a', u'f', options);
        addRange(set, u'A', u'F', options);
    } else if (name == u"w" || name == u"word" || name == u"alnum" || name == u"alpha" ||
               name == u"upper" || name == u"lower") {
        addRange(set, u'a', u'z', options);
        addRange(set, u'A', u'Z', options);
        if (name == u"w" || name == u"word" || name == u"alnum")
            addRange(set, u'0', u'9', options);
        if (name == u"w" || name == u"word")
            set.add(u'_');
    } else if (name == u"s" || name == u"space") {
        for (uchar c : {u' ', u'\t', u'\n', u'\v', u'\f', u'\r'})
            set.add(c);
    } else if (name == u"blank") {
        set.add(u' ');
        set.add(u'\t');
    } else if (name == u"punct") {
        for (uint32_t c = 33; c < 127; ++c) {
            if (!isAsciiLetter(static_cast<uchar>(c)) && !isDigit(static_cast<uchar>(c)))
                set.add(static_cast<uchar>(c));
        }
    } else {
        return false;
    }
    return true;
}

class Reader {
public:
    Reader(const uchar* begin, const uchar* end) : m_p(begin), m_end(end) {}

    bool failed() const { return m_failed; }
    bool atEnd() const { return m_p == m_end; }

    // Alternatives up to the ")" that closes the enclosing group (left
    // unread) or the end.
    Requirement alternation(Options options)
    {
        Requirement result = sequence(options);
        while (!m_failed && m_p != m_end && *m_p == u'|') {
            ++m_p;
            const Requirement next = sequence(options);
            if (!result.known || !next.known)
                result.known = false;
            else
                result.set.add(next.set);
            result.more.clear(); // only what every alternative needs
        }
        if (!result.known)
            result = Requirement();
        return result;
    }

private:
    Requirement sequence(Options options)
    {
        // Every part's needs are the sequence's; the least likely to be held
        // are kept.
        std::vector<CharacterSet> needs;
        auto consider = [&](const Requirement& part) {
            if (!part.known)
                return;
            needs.push_back(part.set);
            needs.insert(needs.end(), part.more.begin(), part.more.end());
        };
        auto best = [&]() {
            Requirement result;
            std::stable_sort(needs.begin(), needs.end(),
                             [](const CharacterSet& a, const CharacterSet& b) {
                                 return cost(a) < cost(b);
                             });
            for (const CharacterSet& need : needs) {
                if (!result.known) {
                    result.known = true;
                    result.set = need;
                } else if (result.more.size() + 1 < RequiredCharacters::kMost &&
                           std::none_of(result.more.begin(), result.more.end(),
                                        [&](const CharacterSet& kept) {
                                            return kept.low == need.low && kept.high == need.high;
                                        }) &&
                           !(result.set.low == need.low && result.set.high == need.high)) {
                    result.more.push_back(need);
                }
            }
            return result;
        };
        for (;;) {
            skipBlanks(options);
            if (m_failed || m_p == m_end || *m_p == u'|' || *m_p == u')')
                return best();
            // Options set without a group apply to the rest of the
            // enclosing group, later alternatives included: the engine reads
            // the rest as one group.
            Options changed = options;
            if (readBareOptions(changed)) {
                consider(alternation(changed));
                return best();
            }
            Requirement part = atom(options);
            if (m_failed)
                return Requirement();
            if (!quantifierKeeps())
                part = Requirement();
            consider(part);
        }
    }

    void skipBlanks(const Options& options)
    {
        if (!options.extended)
            return;
        while (m_p != m_end) {
            const uchar c = *m_p;
            if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v') {
                ++m_p;
            } else if (c == u'#') {
                while (m_p != m_end && *m_p != u'\n')
                    ++m_p;
            } else {
                break;
            }
        }
    }

    // "(?imx-imx)" at the position: reads it and applies it.
    bool readBareOptions(Options& options)
    {
        if (m_end - m_p < 3 || m_p[0] != u'(' || m_p[1] != u'?')
            return false;
        Options result = options;
        const uchar* q = readPatternOptions(m_p + 2, m_end, result);
        if (!q || *q != u')')
            return false;
        options = result;
        m_p = q + 1;
        return true;
    }

    // Reads a quantifier if one follows; whether the part still must occur
    // at least once.
    bool quantifierKeeps()
    {
        bool keeps = true;
        for (;;) {
            if (m_p == m_end)
                return keeps;
            const uchar c = *m_p;
            if (c == u'?' || c == u'*') {
                keeps = false;
                ++m_p;
            } else if (c == u'+') {
                ++m_p;
            } else if (c == u'{') {
                const uchar* q = m_p + 1;
                const uchar* digits = q;
                unsigned minimum = 0;
                while (q != m_end && isDigit(*q))
                    minimum = minimum * 10 + (*q++ - u'0');
                const bool hasMinimum = q != digits;
                bool hasMaximum = false;
                if (q != m_end && *q == u',') {
                    ++q;
                    const uchar* maximum = q;
                    while (q != m_end && isDigit(*q))
                        ++q;
                    hasMaximum = q != maximum;
                }
                if (q == m_end || *q != u'}' || (!hasMinimum && !hasMaximum)) {
                    m_failed = true; // a literal "{": not followed here
                    return false;
                }
                if (minimum == 0)
                    keeps = false;
                m_p = q + 1;
            } else {
                return keeps;
            }
        }
    }

    Requirement atom(Options options)
    {
        Requirement result;
        const uchar c = *m_p;
        if (c == u'(')
            return group(options);
        if (c == u'[') {
            result.known = characterClass(result.set, options);
            return result;
        }
        if (c == u'\\')
            return escape(options);
        ++m_p;
        if (c == u'.' || c == u'^' || c == u'$')
            return result;
        if (c == u'*' || c == u'+' || c == u'?' || c == u'{' || c == u']' || c == u'}') {
            m_failed = true;
            return result;
        }
        uint32_t code = c;
        if (c >= 0xD800 && c < 0xDC00 && m_p != m_end && *m_p >= 0xDC00 && *m_p < 0xE000)
            ++m_p; // a pair is one character outside ASCII
        if (code >= 128 && options.ignoreCase)
            return result; // may fold into ASCII
        result.known = true;
        addCharacter(result.set, code, options);
        return result;
    }

    // Reads the group at the position, up to its ")".
    Requirement group(Options options)
    {
        ++m_p;
        bool useBody = true;
        if (m_p != m_end && *m_p == u'?') {
            ++m_p;
            if (m_p == m_end) {
                m_failed = true;
                return Requirement();
            }
            const uchar kind = *m_p;
            if (kind == u'#') {
                while (m_p != m_end && *m_p != u')')
                    ++m_p;
                if (m_p == m_end)
                    m_failed = true;
                else
                    ++m_p;
                return Requirement();
            }
            if (kind == u':' || kind == u'>' || kind == u'=') {
                ++m_p;
            } else if (kind == u'!' || kind == u'~') {
                ++m_p;
                useBody = false;
            } else if (kind == u'<' && m_p + 1 != m_end && (m_p[1] == u'=' || m_p[1] == u'!')) {
                m_p += 2;
                useBody = false;
            } else if (kind == u'<' || kind == u'\'') {
                const uchar closing = kind == u'<' ? u'>' : u'\'';
                while (m_p != m_end && *m_p != closing)
                    ++m_p;
                if (m_p == m_end) {
                    m_failed = true;
                    return Requirement();
                }
                ++m_p;
            } else {
                const uchar* q = readPatternOptions(m_p, m_end, options);
                if (!q || *q != u':') {
                    m_failed = true; // conditions and the like
                    return Requirement();
                }
                m_p = q + 1;
            }
        }
        Requirement body = alternation(options);
        if (m_failed || m_p == m_end || *m_p != u')') {
            m_failed = true;
            return Requirement();
        }
        ++m_p;
        return useBody ? body : Requirement();
    }

    Requirement escape(const Options& options)
    {
        Requirement result;
        ++m_p;
        if (m_p == m_end) {
            m_failed = true;
            return result;
        }
        const uchar kind = *m_p++;
        auto character = [&](uint32_t code) {
            if (code >= 128 && options.ignoreCase)
                return result; // may fold into ASCII
            result.known = true;
            addCharacter(result.set, code, options);
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
        case u'd': case u'w': case u's': case u'h':
            result.known = addNamedClass(result.set, std::u16string(1, kind), options);
            return result;
        case u'x': case u'u': {
            uint32_t code = 0;
            if (!readHexEscape(kind, code))
                return result;
            return character(code);
        }
        default:
            break;
        }
        if (isAsciiLetter(kind) || isDigit(kind)) {
            // Anchors (\b, \A, \G, \z...), complements, properties,
            // back-references, calls, octal escapes: nothing known, and
            // "\k<name>" or "\p{...}" carry their own text.
            if ((kind == u'k' || kind == u'g' || kind == u'p' || kind == u'P') && m_p != m_end &&
                (*m_p == u'<' || *m_p == u'{' || *m_p == u'\'')) {
                const uchar closing = *m_p == u'<' ? u'>' : *m_p == u'{' ? u'}' : u'\'';
                while (m_p != m_end && *m_p != closing)
                    ++m_p;
                if (m_p == m_end) {
                    m_failed = true;
                    return result;
                }
                ++m_p;
            }
            // A back-reference or octal number takes all its digits.
            while (isDigit(kind) && m_p != m_end && isDigit(*m_p))
                ++m_p;
            return result;
        }
        if (kind >= 0xD800 && kind < 0xDC00 && m_p != m_end)
            ++m_p;
        return character(kind);
    }

    // Reads the digits of a "\\xHH", "\\x{H...}" or "\\uHHHH" escape whose
    // letter `kind` was just read; false (and failed) when they are not.
    bool readHexEscape(uchar kind, uint32_t& code)
    {
        size_t digits = 0;
        code = 0;
        if (kind == u'x' && m_p != m_end && *m_p == u'{') {
            ++m_p;
            while (m_p != m_end && isHexDigit(*m_p) && digits < 8) {
                code = code * 16 + hexValue(*m_p++);
                ++digits;
            }
            if (m_p == m_end || *m_p != u'}' || digits == 0) {
                m_failed = true;
                return false;
            }
            ++m_p;
            return true;
        }
        const size_t most = kind == u'x' ? 2 : 4;
        while (m_p != m_end && isHexDigit(*m_p) && digits < most) {
            code = code * 16 + hexValue(*m_p++);
            ++digits;
        }
        if (digits == 0 || (kind == u'u' && digits != 4)) {
            m_failed = true;
            return false;
        }
        return true;
    }

    static uint32_t hexValue(uchar c)
    {
        if (isDigit(c))
            return c - u'0';
        return (c | 0x20) - u'a' + 10;
    }

    // Reads a class into `set`; false when the class is negated, holds a
    // complement, nested classes or intersections, or is not followed.
    bool characterClass(CharacterSet& set, const Options& options)
    {
        ++m_p;
        bool known = true;
        if (m_p != m_end && *m_p == u'^') {
            known = false;
            ++m_p;
        }
        bool first = true;
        while (m_p != m_end) {
            uchar c = *m_p;
            if (c == u']' && !first) {
                ++m_p;
                return known;
            }
            first = false;
            if (c == u'[') {
                if (m_end - m_p >= 2 && m_p[1] == u':') {
                    const uchar* nameBegin = m_p + 2;
                    const uchar* q = nameBegin;
                    while (q + 1 < m_end && !(q[0] == u':' && q[1] == u']'))
                        ++q;
                    if (q + 1 >= m_end) {
                        m_failed = true;
                        return false;
                    }
                    const std::u16string name(nameBegin, q);
                    if (name.empty() || name[0] == u'^' || !addNamedClass(set, name, options))
                        known = false;
                    m_p = q + 2;
                    continue;
                }
                // A nested class: read for its end, its characters unused.
                CharacterSet ignored;
                characterClass(ignored, options);
                if (m_failed)
                    return false;
                known = false;
                continue;
            }
            if (c == u'&' && m_p + 1 != m_end && m_p[1] == u'&') {
                known = false;
                m_p += 2;
                continue;
            }
            uint32_t low;
            if (!classCharacter(set, low, options, known))
                continue;
            if (m_end - m_p >= 2 && *m_p == u'-' && m_p[1] != u']') {
                ++m_p;
                uint32_t high;
                CharacterSet ignored;
                if (!classCharacter(ignored, high, options, known)) {
                    known = false;
                    continue;
                }
                if (high < low) {
                    m_failed = true;
                    return false;
                }
                addRange(set, low, high, options);
            } else {
                addCharacter(set, low, options);
            }
        }
        m_failed = true;
        return false;
    }

    // Reads one class member; true with its code when it is one character
    // (which may start a range), false when it was a shorthand class (added
    // to `set` when known).
    bool classCharacter(CharacterSet& set, uint32_t& code, const Options& options, bool& known)
    {
        uchar c = *m_p++;
        if (c != u'\\') {
            code = c;
            if (c >= 0xD800 && c < 0xDC00 && m_p != m_end && *m_p >= 0xDC00 && *m_p < 0xE000) {
                code = 0x10000;
                ++m_p;
            }
            if (code >= 128 && options.ignoreCase)
                known = false;
            return true;
        }
        if (m_p == m_end) {
            m_failed = true;
            return false;
        }
        c = *m_p++;
        switch (c) {
        case u't': code = u'\t'; return true;
        case u'n': code = u'\n'; return true;
        case u'r': code = u'\r'; return true;
        case u'f': code = u'\f'; return true;
        case u'v': code = u'\v'; return true;
        case u'a': code = 7; return true;
        case u'e': code = 27; return true;
        case u'd': case u'w': case u's': case u'h':
            if (!addNamedClass(set, std::u16string(1, c), options))
                known = false;
            return false;
        case u'x': case u'u': {
            uint32_t value = 0;
            if (!readHexEscape(c, value))
                return false;
            code = value;
            if (code >= 128 && options.ignoreCase)
                known = false;
            return true;
        }
        default:
            break;
        }
        if (isAsciiLetter(c) || isDigit(c)) {
            // Complements, properties, octal escapes and the like.
            if ((c == u'p' || c == u'P') && m_p != m_end && *m_p == u'{') {
                while (m_p != m_end && *m_p != u'}')
                    ++m_p;
                if (m_p != m_end)
                    ++m_p;
            }
            known = false;
            return false;
        }
        code = c;
        return true;
    }

    const uchar* m_p;
    const uchar* const m_end;
    bool m_failed = false;
};

} // namespace

bool findRequiredCharacters(const slate::usubstring& pattern, RequiredCharacters& required)
{
    required = RequiredCharacters();
    Reader reader(pattern.begin, pattern.end);
    const Requirement result = reader.alternation(Options());
    if (reader.failed() || !reader.atEnd() || !result.known || result.set.empty())
        return false;
    required.sets[required.count++] = result.set;
    for (const CharacterSet& more : result.more) {
        if (!more.empty() && required.count < RequiredCharacters::kMost)
            required.sets[required.count++] = more;
    }
    return true;
}
