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

// Reads the group body at `content` as alternatives of plain ASCII literals
// up to its ")" (set in `close`). False when it is anything else.
bool readLiteralAlternatives(const uchar* content, const uchar* end, const Options& options,
                             std::vector<std::string>& items, const uchar*& close)
{
    items.assign(1, std::string());
    PatternCursor cursor(slate::usubstring(content, end), options);
    for (;;) {
        const PatternToken token = cursor.next();
        switch (token.kind) {
        case PatternTokenKind::GroupClose:
            close = token.begin;
            return items.size() >= 2;
        case PatternTokenKind::Alternation:
            items.emplace_back();
            continue;
        case PatternTokenKind::Character:
            // Printable ASCII; escaped only when the backslash is followed
            // by the character itself (escaped letters and digits mean
            // other things).
            if (token.code < 0x20 || token.code >= 0x7F ||
                (*token.begin == u'\\' &&
                 (token.end - token.begin != 2 || isAsciiAlnum(token.begin[1]))))
                return false;
            items.back() += static_cast<char>(token.code);
            continue;
        default:
            return false;
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

} // namespace

bool factorLiteralAlternatives(const slate::usubstring& pattern, ustring& rewritten)
{
    PatternCursor cursor(pattern);
    const uchar* copied = pattern.begin;
    ustring out;
    bool changed = false;
    std::vector<std::string> items;
    std::string factoredText;
    for (;;) {
        const size_t depth = cursor.groupDepth();
        const PatternToken token = cursor.next();
        if (token.is(PatternTokenKind::End))
            break;
        if (token.is(PatternTokenKind::Invalid) ||
            (token.is(PatternTokenKind::GroupClose) && depth == 0))
            return false;
        if (!token.is(PatternTokenKind::GroupOpen))
            continue;
        // Never inside a look-behind, whose body the engine restricts, nor
        // in groups whose body is not a plain alternation.
        if (token.group == GroupKind::LookBehind || token.group == GroupKind::NegativeLookBehind ||
            token.group == GroupKind::Absent || token.group == GroupKind::Other)
            continue;
        const uchar* const body = token.end;
        const uchar* close = nullptr;
        if (readLiteralAlternatives(body, pattern.end, token.options, items, close) &&
            factorItems(items, token.options, factoredText)) {
            // The cursor goes on through the literals and the ")" as usual.
            out.append(copied, body);
            for (char unit : factoredText)
                out += static_cast<uchar>(unit);
            copied = close;
            changed = true;
        }
    }
    if (!changed || cursor.groupDepth() != 0)
        return false;
    out.append(copied, pattern.end);
    rewritten.swap(out);
    return true;
}
