// Factoring literal alternations. The engine tries the alternatives of a
// group in order, so the rewrite must keep that order wherever it can be
// seen: two alternatives that begin with different characters can never both
// match at one place, so branches by first character may be tried in any
// order, but an empty alternative (after a shared prefix: a shorter word
// before a longer one) is not exclusive with anything and keeps its place,
// the branches before it and after it being factored apart. Without case
// the branches go by the ASCII letter's lower case; the engine also folds
// some single characters into two ASCII letters ("\u00df" matches "ss", a
// ligature matches "fi"), which only works within one literal, so a prefix
// is never cut between two letters that such a fold produces.
//
// The pattern is walked with the pattern cursor, which sees the structure the
// engine sees (escapes, character classes, comments, the "i" and "x" options
// and their scopes), and anything not understood leaves the pattern as it
// was.
#include "ui/text/lexer/pattern_factoring.h"

#include <algorithm>
#include <string>
#include <vector>

#include "ui/text/lexer/pattern_syntax.h"

namespace {

using Options = PatternOptions;

bool isAsciiAlnum(uchar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isMeta(uchar c)
{
    switch (c) {
    case u'\\': case u'^': case u'$': case u'.': case u'|': case u'?': case u'*': case u'+':
    case u'(': case u')': case u'[': case u']': case u'{': case u'}':
        return true;
    default:
        return false;
    }
}

char folded(char c, bool ignoreCase)
{
    return ignoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameText(const std::string& a, const std::string& b, bool ignoreCase)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (folded(a[i], ignoreCase) != folded(b[i], ignoreCase))
            return false;
    }
    return true;
}

// Whether a literal may not be cut between `a` and `b` without case: some
// character folds to the pair ("ss", "st", "ff", "fi", "fl").
bool foldsAsPair(char a, char b)
{
    a = folded(a, true);
    b = folded(b, true);
    return (a == 's' && (b == 's' || b == 't')) || (a == 'f' && (b == 'f' || b == 'i' || b == 'l'));
}

void appendLiteral(const std::string& text, std::string& out)
{
    for (char c : text) {
        if (isMeta(static_cast<uchar>(c)) || c == '#' || c == ' ')
            out += '\\';
        out += c;
    }
}

std::string factored(const std::vector<std::string>& items, bool ignoreCase);

// Alternatives without an empty one, branched by first character.
std::string branched(const std::vector<std::string>& items, bool ignoreCase)
{
    std::string out;
    std::vector<bool> done(items.size(), false);
    for (size_t first = 0; first < items.size(); ++first) {
        if (done[first])
            continue;
        const char key = folded(items[first][0], ignoreCase);
        std::vector<std::string> members;
        for (size_t i = first; i < items.size(); ++i) {
            if (!done[i] && folded(items[i][0], ignoreCase) == key) {
                members.push_back(items[i]);
                done[i] = true;
            }
        }
        if (!out.empty())
            out += '|';
        if (members.size() == 1) {
            appendLiteral(members[0], out);
            continue;
        }
        // The longest shared prefix, shortened where a cut would split a
        // folded pair.
        size_t shared = members[0].size();
        for (const std::string& member : members) {
            size_t common = 0;
            while (common < shared && common < member.size() &&
                   folded(member[common], ignoreCase) == folded(members[0][common], ignoreCase))
                ++common;
            shared = common;
        }
        auto cutSplitsPair = [&](size_t cut) {
            if (!ignoreCase)
                return false;
            for (const std::string& member : members) {
                if (member.size() > cut && foldsAsPair(member[cut - 1], member[cut]))
                    return true;
            }
            return false;
        };
        while (shared > 0 && cutSplitsPair(shared))
            --shared;
        if (shared == 0) {
            for (size_t i = 0; i < members.size(); ++i) {
                if (i)
                    out += '|';
                appendLiteral(members[i], out);
            }
            continue;
        }
        std::vector<std::string> rests;
        rests.reserve(members.size());
        for (const std::string& member : members)
            rests.push_back(member.substr(shared));
        appendLiteral(members[0].substr(0, shared), out);
        out += "(?:";
        out += factored(rests, ignoreCase);
        out += ')';
    }
    return out;
}

// Distinct alternatives, in order, as an alternation of prefix trees.
std::string factored(const std::vector<std::string>& items, bool ignoreCase)
{
    const auto empty = std::find(items.begin(), items.end(), std::string());
    if (empty == items.end())
        return branched(items, ignoreCase);
    std::string out;
    if (empty != items.begin())
        out += branched(std::vector<std::string>(items.begin(), empty), ignoreCase) + '|';
    if (empty + 1 != items.end())
        out += '|' + branched(std::vector<std::string>(empty + 1, items.end()), ignoreCase);
    return out;
}

// One alternative of a group body: its text in the pattern and, when it is
// a plain ASCII literal, that literal.
struct Alternative {
    const uchar* begin;
    const uchar* end;
    bool literal = true;
    std::string text;
    // The ASCII characters a match of the alternative may begin with (one,
    // or those of a plain class); empty when that is not plain.
    std::string firsts;
    int tokens = 0; // read so far at the alternative's own level
};

// Reads the group body at `content` up to its ")" (set in `close`) as its
// top-level alternatives. False when the body cannot be cut safely: an
// option switch among the alternatives applies to all that follow it, and
// anything the cursor does not follow may hide a bracket.
bool readAlternatives(const uchar* content, const uchar* end, const Options& options,
                      std::vector<Alternative>& items, const uchar*& close)
{
    items.assign(1, Alternative{content, content, true, std::string(), std::string(), 0});
    PatternCursor cursor(slate::usubstring(content, end), options);
    size_t depth = 0;
    bool leadingClass = false; // in a class that begins an alternative
    for (;;) {
        const PatternToken token = cursor.next();
        if (leadingClass) {
            Alternative& item = items.back();
            if (token.is(PatternTokenKind::ClassClose)) {
                leadingClass = false;
            } else if (!token.is(PatternTokenKind::Character) || token.code <= 0x20 ||
                       token.code >= 0x7F || token.code == u'-' || *token.begin == u'\\') {
                item.firsts.clear();
                item.tokens = 2; // nothing more to learn of its first character
            } else if (item.tokens == 1) {
                item.firsts += static_cast<char>(token.code);
            }
            if (!token.is(PatternTokenKind::End) && !token.is(PatternTokenKind::Invalid))
                continue;
        }
        if (depth == 0 && !token.is(PatternTokenKind::Alternation) &&
            !token.is(PatternTokenKind::GroupClose)) {
            // A quantifier on the first character may leave it out.
            if (++items.back().tokens == 2 && token.is(PatternTokenKind::Quantifier))
                items.back().firsts.clear();
            if (items.back().tokens == 1 && token.is(PatternTokenKind::ClassOpen) &&
                !token.negated)
                leadingClass = true;
        }
        switch (token.kind) {
        case PatternTokenKind::End:
        case PatternTokenKind::Invalid:
            return false;
        case PatternTokenKind::GroupOpen:
            ++depth;
            items.back().literal = false;
            continue;
        case PatternTokenKind::GroupClose:
            if (depth > 0) {
                --depth;
                continue;
            }
            close = token.begin;
            items.back().end = token.begin;
            return items.size() >= 2;
        case PatternTokenKind::Options:
            if (depth == 0)
                return false;
            continue;
        case PatternTokenKind::Alternation:
            if (depth > 0)
                continue;
            items.back().end = token.begin;
            items.push_back(Alternative{token.end, token.end, true, std::string(), std::string(), 0});
            continue;
        case PatternTokenKind::Character:
            // Printable ASCII; escaped only when the backslash is followed
            // by the character itself (escaped letters and digits mean
            // other things).
            if (depth > 0 || token.code < 0x20 || token.code >= 0x7F ||
                (*token.begin == u'\\' &&
                 (token.end - token.begin != 2 || isAsciiAlnum(token.begin[1])))) {
                items.back().literal = false;
            } else {
                if (items.back().tokens == 1)
                    items.back().firsts = static_cast<char>(token.code);
                items.back().text += static_cast<char>(token.code);
            }
            continue;
        default:
            items.back().literal = false;
            continue;
        }
    }
}

// Without case, the engine finds no first characters to skip ahead by in a
// long alternation and tries it at every place of the text; a look-ahead for
// the characters a match may begin with, at the very start of the pattern
// (after its options), restores the skip. Measured on the CSS property-name
// rule ("(?i)(?<![-\\w])(?:" and some 700 words) over a CSS sample: 1.0 s as
// written, 0.65 s factored, 0.15 s with the look-ahead, which does nothing
// after the look-behind (0.025 s with case). Groups of fewer alternatives
// gain nothing.
constexpr size_t kPeekMinimumAlternatives = 16;

// "(?=[...])" of the ASCII characters `firsts`, read without case. Without
// case a literal also matches characters whose folding is more than one
// character ("\u00df" for "ss", "\uFB01" for "fi"): those that fold to a
// text beginning with one of the letters are in the class too.
std::string firstCharacterPeek(const std::string& firsts)
{
    struct Fold {
        char letter;
        const char* characters; // code points folding to the letter and more
    };
    static const Fold kMultipleFolds[] = {
        {'a', "\\x{1E9A}"},
        {'f', "\\x{FB00}\\x{FB01}\\x{FB02}\\x{FB03}\\x{FB04}"},
        {'h', "\\x{1E96}"},
        {'i', "\\x{130}"},
        {'j', "\\x{1F0}"},
        {'s', "\\x{DF}\\x{1E9E}\\x{FB05}\\x{FB06}"},
        {'t', "\\x{1E97}"},
        {'w', "\\x{1E98}"},
        {'y', "\\x{1E99}"},
    };
    std::string out = "(?=[";
    std::string seen;
    for (char first : firsts) {
        first = folded(first, true);
        if (seen.find(first) != std::string::npos)
            continue;
        seen += first;
        if (!isAsciiAlnum(static_cast<uchar>(first)))
            out += '\\';
        out += first;
        for (const Fold& fold : kMultipleFolds) {
            if (fold.letter == first)
                out += fold.characters;
        }
    }
    out += "])";
    return out;
}

// Rewrites the literal alternatives `items` into `out`; false when no two
// share a first character, so that factoring gains nothing.
bool factorItems(const std::vector<std::string>& items, const Options& options,
                 std::string& out)
{
    std::vector<std::string> distinct;
    for (const std::string& item : items) {
        const bool seen = std::any_of(distinct.begin(), distinct.end(), [&](const std::string& d) {
            return sameText(d, item, options.ignoreCase);
        });
        if (!seen)
            distinct.push_back(item); // a repeat could never be chosen
    }
    bool sharesFirst = false;
    for (size_t i = 0; i < distinct.size() && !sharesFirst; ++i) {
        for (size_t j = i + 1; j < distinct.size() && !sharesFirst; ++j) {
            sharesFirst = !distinct[i].empty() && !distinct[j].empty() &&
                          folded(distinct[i][0], options.ignoreCase) ==
                              folded(distinct[j][0], options.ignoreCase);
        }
    }
    if (!sharesFirst)
        return false;
    out = factored(distinct, options.ignoreCase);
    return true;
}

// The group body `items` with each run of literal alternatives factored,
// into `out`. A run among other alternatives becomes one non-capturing
// group in its place: the engine tries what it holds in the same order as
// before, and the alternatives around it before and after it, so large
// keyword lists with a few quantified words ("days?") are factored too
// (the SQL keyword rule, 896 words of which 11 are not plain, took 73% of
// the engine's time lexing an SQL file, and that file 40% less time
// factored). False when no run was factored.
bool factorRuns(const std::vector<Alternative>& items, const Options& options, ustring& out)
{
    bool changed = false;
    std::vector<std::string> run;
    std::string factoredText;
    for (size_t i = 0; i < items.size();) {
        size_t runEnd = i;
        while (runEnd < items.size() && items[runEnd].literal)
            ++runEnd;
        run.clear();
        for (size_t k = i; k < runEnd; ++k)
            run.push_back(items[k].text);
        const bool whole = i == 0 && runEnd == items.size();
        if (run.size() >= 2 && factorItems(run, options, factoredText)) {
            if (i > 0)
                out += u'|';
            if (!whole)
                out += u"(?:";
            for (char unit : factoredText)
                out += static_cast<uchar>(unit);
            if (!whole)
                out += u')';
            changed = true;
            i = runEnd;
            continue;
        }
        // Copied as written: a lone literal or an unfactorable run, then the
        // alternative that ended the run.
        const size_t copyEnd = std::min(items.size(), std::max(runEnd, i) + 1);
        for (size_t k = i; k < copyEnd; ++k) {
            if (k > 0)
                out += u'|';
            out.append(items[k].begin, items[k].end);
        }
        i = copyEnd;
    }
    return changed;
}

// The look-ahead (see kPeekMinimumAlternatives) for a pattern read without
// case that is, at its top level, options, then zero-width assertions ("\\b"
// and looks around), then a group of at least that many alternatives that
// each begin with a plain character, then anything without a top-level "|";
// with `insertAt` set to where it goes (after the options). Empty for any
// other pattern.
std::string leadingPeek(const slate::usubstring& pattern, const uchar*& insertAt)
{
    PatternCursor cursor(pattern);
    insertAt = pattern.begin;
    bool optionsOnly = true;
    bool ignoreCase = false;
    std::vector<Alternative> items;
    for (;;) {
        const PatternToken token = cursor.next();
        if (token.is(PatternTokenKind::Options) && optionsOnly) {
            insertAt = token.end;
            ignoreCase = token.options.ignoreCase;
            continue;
        }
        optionsOnly = false;
        if (token.is(PatternTokenKind::Escape) && token.letter == u'b')
            continue;
        if (!token.is(PatternTokenKind::GroupOpen))
            return std::string();
        if (token.group == GroupKind::LookBehind || token.group == GroupKind::NegativeLookBehind ||
            token.group == GroupKind::LookAhead || token.group == GroupKind::NegativeLookAhead) {
            const size_t depth = cursor.groupDepth();
            while (cursor.groupDepth() >= depth) {
                const PatternToken inner = cursor.next();
                if (inner.is(PatternTokenKind::End) || inner.is(PatternTokenKind::Invalid))
                    return std::string();
            }
            continue;
        }
        if (!ignoreCase ||
            (token.group != GroupKind::Capture && token.group != GroupKind::NonCapture))
            return std::string();
        const uchar* close = nullptr;
        if (!readAlternatives(token.end, pattern.end, token.options, items, close) ||
            items.size() < kPeekMinimumAlternatives)
            return std::string();
        std::string firsts;
        for (const Alternative& item : items) {
            if (item.firsts.empty())
                return std::string();
            firsts += item.firsts;
        }
        // The group must be there in every match, and the pattern has no
        // other alternative.
        while (cursor.position() <= close)
            cursor.next();
        for (bool afterGroup = true;; afterGroup = false) {
            const size_t depth = cursor.groupDepth();
            const PatternToken next = cursor.next();
            if (next.is(PatternTokenKind::End))
                return firstCharacterPeek(firsts);
            if (next.is(PatternTokenKind::Invalid) ||
                (afterGroup && next.is(PatternTokenKind::Quantifier)) ||
                (depth == 0 && next.is(PatternTokenKind::Alternation)))
                return std::string();
        }
    }
}

} // namespace

bool factorLiteralAlternatives(const slate::usubstring& pattern, ustring& rewritten)
{
    PatternCursor cursor(pattern);
    const uchar* copied = pattern.begin;
    ustring out;
    bool changed = false;
    std::vector<Alternative> items;
    ustring factoredBody;
    for (;;) {
        const size_t depth = cursor.groupDepth();
        const PatternToken token = cursor.next();
        if (token.is(PatternTokenKind::End))
            break;
        if (token.is(PatternTokenKind::Invalid) ||
            (token.is(PatternTokenKind::GroupClose) && depth == 0))
            return false;
        // Groups inside a rewritten body stay as written.
        if (!token.is(PatternTokenKind::GroupOpen) || token.begin < copied)
            continue;
        // Never inside a look-behind, whose body the engine restricts, nor
        // in groups whose body is not a plain alternation.
        if (token.group == GroupKind::LookBehind || token.group == GroupKind::NegativeLookBehind ||
            token.group == GroupKind::Absent || token.group == GroupKind::Other)
            continue;
        const uchar* const body = token.end;
        const uchar* close = nullptr;
        if (readAlternatives(body, pattern.end, token.options, items, close)) {
            factoredBody.clear();
            if (factorRuns(items, token.options, factoredBody)) {
                // The cursor goes on through the body and the ")" as usual.
                out.append(copied, body);
                out += factoredBody;
                copied = close;
                changed = true;
            }
        }
    }
    if (cursor.groupDepth() != 0)
        return false;
    const uchar* peekAt = nullptr;
    const std::string peek = leadingPeek(pattern, peekAt);
    if (!changed && peek.empty())
        return false;
    out.append(copied, pattern.end);
    // Nothing before the place of the look-ahead is ever rewritten.
    out.insert(static_cast<size_t>(peekAt - pattern.begin), ustring(peek.begin(), peek.end()));
    rewritten.swap(out);
    return true;
}
