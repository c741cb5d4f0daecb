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
// The pattern is walked with the structure the engine sees (escapes,
// character classes, comments, the "i" and "x" options and their scopes), and
// anything not understood leaves the pattern as it was.
#include "ui/text/lexer/pattern_factoring.h"

#include <algorithm>
#include <string>
#include <vector>

#include "ui/text/lexer/pattern_options.h"

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

bool isPatternSpace(uchar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
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
    for (const uchar* p = content; p != end; ++p) {
        const uchar c = *p;
        if (c == u')') {
            close = p;
            return items.size() >= 2;
        }
        if (c == u'|') {
            items.emplace_back();
            continue;
        }
        if (c < 0x20 || c >= 0x7F || (options.extended && (isPatternSpace(c) || c == u'#')))
            return false;
        if (c == u'\\') {
            // An escaped punctuation character is that character; escaped
            // letters and digits mean other things.
            if (p + 1 == end || p[1] < 0x20 || p[1] >= 0x7F || isAsciiAlnum(p[1]))
                return false;
            items.back() += static_cast<char>(*++p);
            continue;
        }
        if (isMeta(c))
            return false;
        items.back() += static_cast<char>(c);
    }
    return false;
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

// The position after the character class opening at `p`, or null when it
// does not end.
const uchar* skipClass(const uchar* p, const uchar* end)
{
    int depth = 0;
    while (p != end) {
        if (*p == u'[') {
            if (depth > 0 && p + 1 != end && p[1] == u':') {
                const uchar* q = p + 2;
                while (q + 1 < end && !(q[0] == u':' && q[1] == u']'))
                    ++q;
                if (q + 1 < end) {
                    p = q + 2; // a POSIX bracket such as "[:alpha:]"
                    continue;
                }
            }
            ++depth;
            ++p;
            if (p != end && *p == u'^')
                ++p;
            if (p != end && *p == u']')
                ++p; // a "]" first in a class is literal
            continue;
        }
        if (*p == u'\\') {
            p += p + 1 != end ? 2 : 1;
            continue;
        }
        if (*p == u']' && --depth == 0)
            return p + 1;
        ++p;
    }
    return nullptr;
}

} // namespace

bool factorLiteralAlternatives(const slate::usubstring& pattern, ustring& rewritten)
{
    const uchar* const end = pattern.end;
    const uchar* p = pattern.begin;
    const uchar* copied = p;
    ustring out;
    bool changed = false;
    Options options;
    std::vector<Options> outer; // the options of each enclosing group
    std::vector<std::string> items;
    std::string factoredText;

    while (p != end) {
        const uchar c = *p;
        if (c == u'\\') {
            p += p + 1 != end ? 2 : 1;
            continue;
        }
        if (options.extended && c == u'#') {
            while (p != end && *p != u'\n')
                ++p;
            continue;
        }
        if (c == u'[') {
            p = skipClass(p, end);
            if (!p)
                return false;
            continue;
        }
        if (c == u')') {
            if (outer.empty())
                return false;
            options = outer.back();
            outer.pop_back();
            ++p;
            continue;
        }
        if (c != u'(') {
            ++p;
            continue;
        }

        // A group: find where its body begins, its options, and whether its
        // body may be factored (never inside a look-behind, whose body the
        // engine restricts).
        Options inner = options;
        const uchar* body = p + 1;
        bool candidate = true;
        if (body != end && *body == u'?') {
            const uchar* q = body + 1;
            if (q == end)
                return false;
            if (*q == u'#') {
                while (q != end && *q != u')')
                    ++q;
                if (q == end)
                    return false;
                p = q + 1;
                continue;
            }
            if (*q == u':' || *q == u'>' || *q == u'=' || *q == u'!') {
                body = q + 1;
            } else if (*q == u'<' && q + 1 != end && (q[1] == u'=' || q[1] == u'!')) {
                body = q + 2;
                candidate = false;
            } else if (*q == u'<' || *q == u'\'') {
                const uchar closing = *q == u'<' ? u'>' : u'\'';
                const uchar* nameEnd = q + 1;
                while (nameEnd != end && *nameEnd != closing && *nameEnd != u')')
                    ++nameEnd;
                if (nameEnd == end || *nameEnd != closing)
                    return false;
                body = nameEnd + 1;
            } else if (const uchar* after = readPatternOptions(q, end, inner)) {
                if (*after == u')') {
                    options = inner; // to the end of the enclosing group
                    p = after + 1;
                    continue;
                }
                body = after + 1;
            } else {
                body = q; // conditions, absent groups and the like
                candidate = false;
            }
        }

        const uchar* close = nullptr;
        if (candidate && readLiteralAlternatives(body, end, inner, items, close) &&
            factorItems(items, inner, factoredText)) {
            out.append(copied, body);
            for (char unit : factoredText)
                out += static_cast<uchar>(unit);
            copied = close;
            p = close + 1;
            changed = true;
            continue;
        }
        outer.push_back(options);
        options = inner;
        p = body;
    }
    if (!changed || !outer.empty())
        return false;
    out.append(copied, end);
    rewritten.swap(out);
    return true;
}
