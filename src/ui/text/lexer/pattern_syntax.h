// The syntax of grammar patterns as the regex engine reads them (its default
// syntax), for the code that reads patterns before the engine does: what a
// match needs, how keyword alternations may be factored, where "\G" is used,
// which escapes need widening, where an end pattern refers back to its begin
// match. They all read patterns through one cursor, so that they agree with
// each other and with the engine on escapes, classes, groups, options and
// comments.
//
// Neutral and free of state: any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/ustring.h"

// The inline options that change how a pattern reads.
struct PatternOptions {
    bool ignoreCase = false; // "i"
    bool extended = false;   // "x": blanks and "#" comments are ignored
};

enum class PatternTokenKind : uint8_t {
    End,       // the end of the pattern
    Character, // one character, written or escaped ("a", "\.", "\t", "\x{41}"): `code`
    // Any other escape, by `letter`: anchors ("\b", "\G"), shorthand classes
    // ("\d", "\W"), properties ("\p{Lu}"), numbered escapes (back-references
    // and octal codes, all their digits: `letter` is the first), control and
    // meta characters ("\cX", "\C-x", "\M-\C-x"), named references and calls.
    Escape,
    Any,         // "."
    LineAnchor,  // "^" or "$"
    Quantifier,  // "?", "*", "+" or "{m,n}": `minimum`; each suffix is one more
    Alternation, // "|"
    GroupOpen,   // `group`, and `name` for a named group
    GroupClose,  // ")"
    Options,     // "(?imx-imx)": new options for the rest of the enclosing group
    Comment,     // "(?#...)", and with "x" blanks and "#" to the line end
    ClassOpen,   // "[" or "[^" (`negated`), outside or inside a class
    ClassClose,  // the "]" that ends a class
    PosixClass,  // "[:alpha:]" or "[:^alpha:]" inside a class: `name`, `negated`
    Intersection, // "&&" inside a class
    // A unit the engine reads as itself but that nothing here follows: "{"
    // that begins no repeat, "]" or "}" outside a class.
    Other,
    // What the engine refuses or this reading does not follow: "\" at the
    // end, "\x" without digits, "(?" at the end, an unclosed name, comment or
    // class. The cursor goes on after it.
    Invalid,
};

enum class GroupKind : uint8_t {
    Capture,            // "(", "(?<name>", "(?'name'"
    NonCapture,         // "(?:", "(?i-x:"
    Atomic,             // "(?>"
    LookAhead,          // "(?="
    NegativeLookAhead,  // "(?!"
    LookBehind,         // "(?<="
    NegativeLookBehind, // "(?<!"
    Absent,             // "(?~"
    // Conditions and the like: the cursor goes on right after "(?".
    Other,
};

// One token of a pattern; the fields after `end` mean something only for
// the kinds that name them.
struct PatternToken {
    PatternTokenKind kind = PatternTokenKind::End;
    const uchar* begin = nullptr; // the token's text in the pattern
    const uchar* end = nullptr;
    // The options in force right after the token: for a group opening, those
    // of its body; for a character, those it is read with.
    PatternOptions options;
    uint32_t code = 0;  // Character: the code point
    uchar letter = 0;   // Escape: the unit after the backslash
    GroupKind group = GroupKind::Capture;
    bool negated = false;
    uint32_t minimum = 0; // Quantifier: the fewest repeats (at most 65535)
    slate::usubstring name;

    bool is(PatternTokenKind other) const { return kind == other; }
    // An escape made of a backslash and digits.
    bool isNumbered() const
    {
        return kind == PatternTokenKind::Escape && letter >= u'0' && letter <= u'9';
    }
};

// Cuts a pattern into tokens, outside and inside classes alike, following
// the options as groups open and close. A value type over text it does not
// own.
class PatternCursor {
public:
    explicit PatternCursor(const slate::usubstring& pattern, PatternOptions options = {});

    // The next token; End (again and again) at the end.
    PatternToken next();

    const uchar* position() const { return m_p; }
    const uchar* end() const { return m_end; }
    // Groups open at the cursor; a ")" with none open is still a GroupClose.
    size_t groupDepth() const { return m_outer.size(); }
    bool inClass() const { return m_classDepth > 0; }

private:
    PatternToken token(PatternTokenKind kind, const uchar* begin) const;
    PatternToken escape(const uchar* begin);
    PatternToken group(const uchar* begin);
    PatternToken openClass(const uchar* begin);
    PatternToken classMember(const uchar* begin);

    const uchar* m_p;
    const uchar* m_end;
    PatternOptions m_options;
    std::vector<PatternOptions> m_outer; // the options of each enclosing group
    int m_classDepth = 0;
    bool m_classStart = false; // just after "[" or "[^": a "]" here is a member
};

// Where a pattern may use the "\G" anchor, whose meaning depends on where a
// search starts.
enum class SearchAnchor : uint8_t {
    None,    // nowhere
    Leading, // only first, so the pattern matches only where a search starts
    Anywhere,
};

// Where `pattern` may use "\G"; anything doubtful counts as Anywhere.
SearchAnchor searchAnchorOf(const slate::usubstring& pattern);

// Rewrites the escapes that grammars write for characters but the engine
// reads as bytes ("\x7F", "\0", "\011") as code points ("\x{7F}", "\x{0}",
// "\x{9}"), copying everything else unchanged. Returns false (and leaves
// `widened` alone) when the pattern has no such escape.
bool widenByteEscapes(const slate::usubstring& pattern, ustring& widened);

// True when the pattern holds a back-reference: a backslash that is not
// itself escaped, followed by a decimal digit ("\\1" is an escaped backslash
// and a digit, not a reference).
bool hasBackReferences(const slate::usubstring& pattern);

// Appends to `references` the extent of every back-reference of `pattern`,
// from its backslash to the end of its digits ("\12" is one reference to
// group 12). The extents point into `pattern`. Clears nothing.
void findBackReferences(const slate::usubstring& pattern,
                        std::vector<slate::usubstring>& references);

// `text` with a backslash before every unit that is special in a pattern
// (the 19 characters . [ ] { } + * ? | ^ $ ( ) - , = : ! \ and U+0000), so
// that the result matches the text literally, in grammar patterns and in the
// program's own regexes alike. "/", "#" and blanks are copied as they are.
ustring escapeRegex(const slate::usubstring& text);
