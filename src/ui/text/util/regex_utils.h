// Small helpers around the program's own regular expressions (find and
// replace, snippet fields, symbol transformations, scope selectors): Boost's
// Unicode regexes, which read UTF-16 text directly and report positions in
// UTF-16 code units. Grammar patterns are matched by another engine
// (ui/text/lexer/onig_scanner.h) and read by ui/text/lexer/pattern_syntax.h,
// whose escapeRegex serves both.
//
// This header brings in Boost and ICU: never include it in a Win32 file or in
// a file that includes Oniguruma's header. Every function is free of state
// and may run on any thread.
#pragma once

#include <cstdint>
#include <vector>

#include <boost/regex/icu.hpp>

#include "ui/ustring.h"

// A compiled pattern. Copies share the compiled form.
using WideRegex = boost::u32regex;
// Match and replace flags (boost::match_flag_type bits).
using RegexFlags = boost::regex_constants::match_flag_type;
// Compile options (boost::syntax_option_type bits).
using RegexSyntax = boost::regex_constants::syntax_option_type;

// The code points of a text, in a buffer of its own that holds one spare 0
// past end(). Every pattern and format handed to the library goes through
// this, and so does every subject that comes from a file: the library's
// parser copies a pattern it is given as iterators into an unterminated
// buffer and reads past its end on some unfinished patterns ("[a-b"); given
// pointers, it parses our buffer in place, whose terminator keeps the read
// inside memory we own. Half of a surrogate pair
// without its partner stands for itself, since the library's UTF-16 reading
// would refuse it.
class RegexText {
public:
    explicit RegexText(const slate::usubstring& text);

    const UChar32* begin() const { return m_codePoints.data(); }
    const UChar32* end() const { return m_codePoints.data() + m_codePoints.size() - 1; }
    // Null-terminated, for the library's format strings.
    const UChar32* c_str() const { return m_codePoints.data(); }

private:
    std::vector<UChar32> m_codePoints; // the text, then the spare 0
};

// The UTF-16 units of code points, as the library's results hand them back.
ustring unitsOfCodePoints(const std::vector<UChar32>& codePoints);

// Compiles `pattern` with `syntax` through a RegexText. Throws
// boost::regex_error when the pattern does not compile.
WideRegex compileRegex(const slate::usubstring& pattern, RegexSyntax syntax);

// The text of one substitution, as written: s/pattern/format/options.
struct RegexTransformSpec {
    ustring pattern;
    ustring format;
    ustring options;
};

// One compiled substitution, applied with regexReplace.
struct RegexTransform {
    WideRegex regex;
    ustring format;
    RegexFlags flags;
};

// The replace flags of an option string: every match is replaced when it
// contains "g", only the first otherwise; "^" and "$" match only at the ends
// of the text unless it contains "m". Other letters are ignored.
RegexFlags regexFormatFlags(const ustring& options);

// Compiles `pattern` with the Perl syntax, ignoring case when `options`
// contains "i". Throws boost::regex_error when the pattern does not compile,
// which includes a pattern holding a surrogate without its partner.
WideRegex makeRegex(const slate::usubstring& pattern, const ustring& options);

// Reads a list of substitutions such as "s/_/ /g; s/^x//" (items separated
// by ";" or line ends, "#" comments to the end of the line; a backslash
// escapes the unit after it, which stays as written) and compiles them into
// `transforms` with compileTransformations. An item whose pattern or format
// is not closed by "/" is dropped. Throws boost::regex_error like
// compileTransformations.
void parseTransformation(const slate::usubstring& text, std::vector<RegexTransform>& transforms);

// Replaces the contents of `transforms` by the compiled `specs`, in order.
// A pattern that does not compile throws boost::regex_error, leaving the
// transforms compiled before it in `transforms`.
void compileTransformations(const std::vector<RegexTransformSpec>& specs,
                            std::vector<RegexTransform>& transforms);

// `text` with the matches of `regex` replaced by `format` (Boost's format
// syntax as selected by `flags`).
ustring regexReplace(const ustring& text, const WideRegex& regex, const ustring& format,
                     RegexFlags flags);

// Rewrites the conditional groups of a replacement format from the written
// form "(?1:yes:no)" into the form Boost's format syntax reads, "(?1yes:no)"
// ("(?{1}2:no)" when the yes-text begins with a digit, which would otherwise
// read as part of the group number). Nothing else changes: "12:30" and an
// escaped "\(?1:" stay as they are.
ustring rewriteFormatString(const ustring& format);

// The head of a match record that is sorted by matchOrderLess; records that
// carry more (such as the index of a scope selector) derive from it.
struct RegexMatch {
    int32_t start;
    int32_t length;
};

// Orders matches by start, and longer first at the same start.
inline bool matchOrderLess(const RegexMatch& a, const RegexMatch& b)
{
    return a.start < b.start || (a.start == b.start && a.length > b.length);
}
