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
};

// Reads the group body at `content` up to its ")" (set in `close`) as its
// top-level alternatives. False when the body cannot be cut safely: an
// option switch among the alternatives applies to all that follow it, and
// anything the cursor does not follow may hide a bracket.
bool readAlternatives(const uchar* content, const uchar* end, const Options& options,
                      std::vector<Alternative>& items, const uchar*& close)
{
    items.assign(1, Alternative{content, content, true, std::string()});
    PatternCursor cursor(slate::usubstring(content, end), options);
    size_t depth = 0;
    for (;;) {
        const PatternToken token = cursor.next();
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
            items.push_back(Alternative{token.end, token.end, true, std::string()});
            continue;
        case PatternTokenKind::Character:
            // Printable ASCII; escaped only when the backslash is followed
            // by the character itself (escaped letters and digits mean
            // other things).
            if (depth > 0 || token.code < 0x20 || token.code >= 0x7F ||
                (*token.begin == u'\\' &&
                 (token.end - token.begin != 2 || isAsciiAlnum(token.begin[1]))))
                items.back().literal = false;
            else
                items.back().text += static_cast<char>(token.code);
            continue;
        default:
            items.back().literal = false;
            continue;
        }
    }
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
    if (!changed || cursor.groupDepth() != 0)
        return false;
    out.append(copied, pattern.end);
    rewritten.swap(out);
    return true;
}
