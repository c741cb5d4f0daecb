// Reading a pattern for the characters its matches need. The pattern is
// read through the pattern cursor, which cuts it as the engine does (escapes,
// classes, groups and their options, the extended form's blanks and
// comments); alternations and quantifiers are followed here, and each part
// yields sets of which every match of it contains a character
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

#include "ui/text/lexer/pattern_syntax.h"

namespace {

using Options = PatternOptions;
using Token = PatternTokenKind;

// What a part of a pattern needs: `set` (the least likely to be held) and
// `more` sets, each needed too.
struct Requirement {
    bool known = false;
    CharacterSet set;
    std::vector<CharacterSet> more;
};

bool isAsciiLetter(uchar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isDigit(uchar c) { return c >= u'0' && c <= u'9'; }

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
    explicit Reader(const slate::usubstring& pattern) : m_cursor(pattern) { advance(); }

    bool failed() const { return m_failed; }
    bool atEnd() const { return m_token.is(Token::End); }

    // Alternatives up to the ")" that closes the enclosing group (left
    // unread) or the end.
    Requirement alternation()
    {
        Requirement result = sequence();
        while (!m_failed && m_token.is(Token::Alternation)) {
            advance();
            const Requirement next = sequence();
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
    void advance() { m_token = m_cursor.next(); }

    // The engine reads past comments as if they were not there, even
    // between a part and its quantifier.
    void skipComments()
    {
        while (m_token.is(Token::Comment))
            advance();
    }

    Requirement sequence()
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
            skipComments();
            if (m_failed || m_token.is(Token::End) || m_token.is(Token::Alternation) ||
                m_token.is(Token::GroupClose))
                return best();
            // Options set without a group apply to the rest of the
            // enclosing group, later alternatives included: the engine reads
            // the rest as one group.
            if (m_token.is(Token::Options)) {
                advance();
                consider(alternation());
                return best();
            }
            Requirement part = atom();
            if (m_failed)
                return Requirement();
            if (!quantifierKeeps())
                part = Requirement();
            consider(part);
        }
    }

    // Reads the quantifiers that follow, if any; whether the part still must
    // occur at least once.
    bool quantifierKeeps()
    {
        bool keeps = true;
        for (;;) {
            skipComments();
            if (!m_token.is(Token::Quantifier))
                return keeps;
            if (m_token.minimum == 0)
                keeps = false;
            advance();
        }
    }

    Requirement atom()
    {
        const PatternToken token = m_token;
        switch (token.kind) {
        case Token::GroupOpen:
            return group();
        case Token::ClassOpen: {
            Requirement result;
            result.known = characterClass(result.set);
            return result;
        }
        case Token::Escape:
            advance();
            return escape(token);
        case Token::Character:
            advance();
            return character(token.code, token.options);
        case Token::Any:
        case Token::LineAnchor:
            advance();
            return Requirement();
        default:
            m_failed = true; // a quantifier with nothing before it, and the like
            return Requirement();
        }
    }

    static Requirement character(uint32_t code, const Options& options)
    {
        Requirement result;
        if (code >= 128 && options.ignoreCase)
            return result; // may fold into ASCII
        result.known = true;
        addCharacter(result.set, code, options);
        return result;
    }

    // Shorthand classes are known; anchors, complements, properties,
    // back-references, octal and control escapes, calls are not.
    static Requirement escape(const PatternToken& token)
    {
        Requirement result;
        if (isShorthandClass(token.letter))
            result.known = addNamedClass(result.set, std::u16string(1, token.letter), token.options);
        return result;
    }

    static bool isShorthandClass(uchar letter)
    {
        return letter == u'd' || letter == u'w' || letter == u's' || letter == u'h';
    }

    // Reads the group opening at the token, up to its ")".
    Requirement group()
    {
        bool useBody = true;
        switch (m_token.group) {
        case GroupKind::Capture:
        case GroupKind::NonCapture:
        case GroupKind::Atomic:
        case GroupKind::LookAhead:
            break;
        case GroupKind::NegativeLookAhead:
        case GroupKind::Absent:
        case GroupKind::LookBehind:
        case GroupKind::NegativeLookBehind:
            useBody = false;
            break;
        case GroupKind::Other:
            m_failed = true; // conditions and the like
            return Requirement();
        }
        advance();
        Requirement body = alternation();
        if (m_failed || !m_token.is(Token::GroupClose)) {
            m_failed = true;
            return Requirement();
        }
        advance();
        return useBody ? body : Requirement();
    }

    // Reads the class opening at the token into `set`; false when the class
    // is negated, holds a complement, nested classes or intersections, or is
    // not followed.
    bool characterClass(CharacterSet& set)
    {
        bool known = !m_token.negated;
        advance();
        for (;;) {
            const PatternToken member = m_token;
            switch (member.kind) {
            case Token::ClassClose:
                advance();
                return known;
            case Token::PosixClass:
                if (member.negated ||
                    !addNamedClass(set, member.name.str(), member.options))
                    known = false;
                advance();
                continue;
            case Token::ClassOpen: {
                // A nested class: read for its end, its characters unused.
                CharacterSet ignored;
                characterClass(ignored);
                if (m_failed)
                    return false;
                known = false;
                continue;
            }
            case Token::Intersection:
                known = false;
                advance();
                continue;
            case Token::Escape:
                advance();
                if (!isShorthandClass(member.letter) ||
                    !addNamedClass(set, std::u16string(1, member.letter), member.options))
                    known = false;
                continue;
            case Token::Character:
                advance();
                if (!rangeOrCharacter(set, member, known))
                    return false;
                continue;
            default:
                m_failed = true;
                return false;
            }
        }
    }

    // Adds the class member `low`, or the range it begins when a "-"
    // follows that does not end the class; false when the range is
    // reversed.
    bool rangeOrCharacter(CharacterSet& set, const PatternToken& low, bool& known)
    {
        const Options& options = low.options;
        if (low.code >= 128 && options.ignoreCase)
            known = false;
        const uchar* afterDash = m_cursor.position();
        if (!m_token.is(Token::Character) || *m_token.begin != u'-' || afterDash == m_cursor.end() ||
            *afterDash == u']') {
            addCharacter(set, low.code, options);
            return true;
        }
        advance();
        const PatternToken high = m_token;
        if (!high.is(Token::Character)) {
            known = false; // a shorthand class or the like: read as a member
            return true;
        }
        advance();
        if (high.code < low.code) {
            m_failed = true;
            return false;
        }
        if (high.code >= 128 && options.ignoreCase)
            known = false;
        addRange(set, low.code, high.code, options);
        return true;
    }

    PatternCursor m_cursor;
    PatternToken m_token; // the next token, not yet read
    bool m_failed = false;
};

} // namespace

bool findRequiredCharacters(const slate::usubstring& pattern, RequiredCharacters& required)
{
    required = RequiredCharacters();
    Reader reader(pattern);
    const Requirement result = reader.alternation();
    if (reader.failed() || !reader.atEnd() || !result.known || result.set.empty())
        return false;
    required.sets[required.count++] = result.set;
    for (const CharacterSet& more : result.more) {
        if (!more.empty() && required.count < RequiredCharacters::kMost)
            required.sets[required.count++] = more;
    }
    return true;
}
