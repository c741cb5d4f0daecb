// Scope selectors turned into regular expressions over scope strings. Because
// a scope string lists the innermost scope first, each selector path is
// turned around: its last name is searched for first, and ".*" lets any
// scopes lie between it and the names outside it. A name must begin a scope
// name (after a blank or at the start) and end at a dot, a blank or the end,
// which gives the prefix-at-a-dot rule without splitting the scope string.
//
// The alternatives of a selector without exclusions share one expression, the
// common case, so a selector costs one search. An alternative with exclusions
// keeps its include and its exclusions as two expressions: the include is
// searched for on its own so that it ranks by where it matched (a "source -
// string" match starts at the source scope, not at the start of the scope
// string, and must not outrank "comment" on a comment token), and the
// exclusions are searched for anywhere only when the include would win.
//
// The expressions are the program's Unicode regexes, which read the UTF-16
// scope strings in place and report UTF-16 offsets.
#include "ui/text/syntax/scope_selector.h"

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/text/lexer/pattern_syntax.h"
#include "ui/text/parse_exception.h"
#include "ui/text/util/regex_utils.h"
#include "ui/unicode.h"

struct CompiledSelector::Compiled {
    // An alternative followed by exclusions.
    struct Excluding {
        // False when the alternative names only exclusions ("a, -b" gives one
        // for "b"): it then matches any scope string in which none occurs,
        // ranked last, at the end of the scope string.
        bool hasInclude = false;
        WideRegex include;    // set when hasInclude
        WideRegex exclusions; // any of its exclusion parts, anywhere
    };

    bool hasPlain = false;
    // The alternatives without exclusions, in selector order, joined by "|";
    // set when hasPlain.
    WideRegex plain;
    std::vector<Excluding> excluding;
};

namespace {

using slate::usubstring;

// One path: scope names outermost first.
using Path = std::vector<ustring>;
// Paths that may stand in the same place, as "(string | comment)".
using Part = std::vector<Path>;

// The names are escaped and the text is well-formed, so the library refuses
// an expression only for its size.
WideRegex compile(const ustring& pattern)
{
    try {
        return compileRegex(pattern, boost::regex_constants::perl | boost::regex_constants::nosubs);
    } catch (const std::exception& error) {
        throw ParseException(std::string("Scope selector refused by the regex library: ") + error.what());
    }
}

const RegexFlags kSearchFlags =
    boost::regex_constants::match_default | boost::regex_constants::match_nosubs;

// Splits at every `separator`, leaving out empty pieces.
std::vector<usubstring> split(const usubstring& text, uchar separator)
{
    std::vector<usubstring> pieces;
    const uchar* pieceBegin = text.begin;
    for (const uchar* p = text.begin; p != text.end; ++p) {
        if (*p != separator)
            continue;
        if (p != pieceBegin)
            pieces.emplace_back(pieceBegin, p);
        pieceBegin = p + 1;
    }
    if (pieceBegin != text.end)
        pieces.emplace_back(pieceBegin, text.end);
    return pieces;
}

// Trims blanks only: a tab belongs to the name it stands in.
usubstring trimBlanks(usubstring text)
{
    while (text.begin != text.end && *text.begin == u' ')
        ++text.begin;
    while (text.begin != text.end && text.end[-1] == u' ')
        --text.end;
    return text;
}

// Splits an alternative into its include part and its exclusion parts, at
// every "-" that follows ")" or a blank, together with the blanks after it. A
// "-" inside a name ("source-string") does not split. Empty pieces are left
// out, so the first piece is the include part.
std::vector<usubstring> splitExclusions(const usubstring& alternative)
{
    std::vector<usubstring> pieces;
    const uchar* pieceBegin = alternative.begin;
    const uchar* p = alternative.begin;
    while (p != alternative.end) {
        if (*p != u'-' || p == alternative.begin || (p[-1] != u')' && p[-1] != u' ')) {
            ++p;
            continue;
        }
        if (p != pieceBegin)
            pieces.emplace_back(pieceBegin, p);
        ++p;
        while (p != alternative.end && *p == u' ')
            ++p;
        pieceBegin = p;
    }
    if (pieceBegin != alternative.end)
        pieces.emplace_back(pieceBegin, alternative.end);
    return pieces;
}

// Only the first and the last character are tested for brackets, so
// "(string|comment) source" holds the paths "string" and "comment) source".
// A path without names (a "|" with only blanks beside it) is left out: it
// would otherwise match every scope string.
Part parsePart(usubstring text)
{
    text = trimBlanks(text);
    if (!text.empty() && *text.begin == u'(')
        ++text.begin;
    if (!text.empty() && text.end[-1] == u')')
        --text.end;
    Part part;
    for (const usubstring& pathText : split(text, u'|')) {
        Path path;
        for (const usubstring& name : split(pathText, u' '))
            path.push_back(name.str());
        if (!path.empty())
            part.push_back(std::move(path));
    }
    return part;
}

// A name begins a scope name and ends at a dot, a blank or the end, so that
// "string" matches "string" and "string.quoted" but not "strings".
void appendNamePattern(ustring& pattern, const ustring& name)
{
    pattern += u"(?:\\s|^)";
    pattern += escapeRegex(name);
    pattern += u"(?=$|[. ])";
}

ustring pathPattern(const Path& path)
{
    ustring pattern;
    for (auto name = path.rbegin(); name != path.rend(); ++name) {
        if (name != path.rbegin())
            pattern += u".*";
        appendNamePattern(pattern, *name);
    }
    return pattern;
}

ustring partPattern(const Part& part)
{
    if (part.empty())
        return ustring();
    if (part.size() == 1)
        return pathPattern(part.front());
    ustring pattern = u"(?:";
    for (auto path = part.rbegin(); path != part.rend(); ++path) {
        if (path != part.rbegin())
            pattern += u'|';
        pattern += pathPattern(*path);
    }
    pattern += u')';
    return pattern;
}

bool searchFirst(const WideRegex& expression, const usubstring& scope, SelectorMatch& match)
{
    boost::match_results<const uchar*> result;
    if (!boost::u32regex_search(scope.begin, scope.end, result, expression, kSearchFlags))
        return false;
    match.matched = true;
    match.start = static_cast<int32_t>(result[0].first - scope.begin);
    match.end = static_cast<int32_t>(result[0].second - scope.begin);
    return true;
}

// The best-ranked match of any alternative of `compiled`.
SelectorMatch matchCompiled(const CompiledSelector::Compiled& compiled, const usubstring& scope)
{
    SelectorMatch best;
    try {
        if (compiled.hasPlain)
            searchFirst(compiled.plain, scope, best);
        for (const CompiledSelector::Compiled::Excluding& alternative : compiled.excluding) {
            SelectorMatch candidate;
            if (alternative.hasInclude) {
                if (!searchFirst(alternative.include, scope, candidate))
                    continue;
            } else {
                candidate.matched = true;
                candidate.start = candidate.end = static_cast<int32_t>(scope.length());
            }
            if (!selectorMatchRanksBefore(candidate, best))
                continue;
            if (boost::u32regex_search(scope.begin, scope.end, alternative.exclusions, kSearchFlags))
                continue;
            best = candidate;
        }
    } catch (const std::exception& error) {
        // The library gives up on pathological expressions and inputs rather
        // than running for ever; the selector then simply does not apply.
        LogRecord("matchNameStack", __FILE__, __LINE__) << "error in regex: " << error.what();
        return SelectorMatch();
    }
    return best;
}

} // namespace

bool selectorMatchRanksBefore(const SelectorMatch& a, const SelectorMatch& b)
{
    if (!a.matched)
        return false;
    if (!b.matched)
        return true;
    return matchOrderLess({a.start, a.length()}, {b.start, b.length()});
}

CompiledSelector compileSelector(const slate::usubstring& selector)
{
    // The regex library reads UTF-32 and would otherwise fail on its own
    // conversion, with a message that names neither the selector nor the place.
    const uchar* unpaired = findUnpairedSurrogate(selector.begin, selector.end);
    if (unpaired != selector.end)
        throw ParseException("Scope selector holds an unpaired surrogate at offset " +
                             std::to_string(unpaired - selector.begin));
    auto compiled = std::make_shared<CompiledSelector::Compiled>();
    ustring plainPattern;
    for (const usubstring& alternative : split(selector, u',')) {
        std::vector<usubstring> parts = splitExclusions(alternative);
        if (parts.empty())
            continue;
        ustring include = partPattern(parsePart(parts.front()));
        ustring exclusions;
        for (size_t i = 1; i < parts.size(); ++i) {
            ustring exclusion = partPattern(parsePart(parts[i]));
            if (exclusion.empty())
                continue;
            if (!exclusions.empty())
                exclusions += u'|';
            exclusions += exclusion;
        }
        if (exclusions.empty()) {
            // An alternative that names nothing, as the middle one of "a, ,b",
            // matches nothing; joined in as an empty branch it would match
            // everything.
            if (include.empty())
                continue;
            if (!plainPattern.empty())
                plainPattern += u'|';
            plainPattern += include;
            continue;
        }
        CompiledSelector::Compiled::Excluding excluding;
        excluding.hasInclude = !include.empty();
        if (excluding.hasInclude)
            excluding.include = compile(include);
        excluding.exclusions = compile(exclusions);
        compiled->excluding.push_back(std::move(excluding));
    }
    if (!plainPattern.empty()) {
        compiled->plain = compile(plainPattern);
        compiled->hasPlain = true;
    }
    if (!compiled->hasPlain && compiled->excluding.empty())
        return CompiledSelector();
    return CompiledSelector(std::move(compiled));
}

SelectorMatch matchNameStack(const CompiledSelector& selector, const slate::usubstring& scope)
{
    if (selector.empty())
        return SelectorMatch();
    return matchCompiled(*selector.compiled(), scope);
}

bool selectorMatches(const CompiledSelector& selector, const slate::usubstring& scope)
{
    return matchNameStack(selector, scope).matched;
}

void RegexSelectorSet::add(CompiledSelector selector)
{
    m_selectors.push_back(std::move(selector));
}

int RegexSelectorSet::bestMatch(const slate::usubstring& scope) const
{
    SynchronisedScopedTimer timer(g_statRegexSelectorSetBestMatch);
    int bestIndex = -1;
    SelectorMatch best;
    for (size_t i = 0; i < m_selectors.size(); ++i) {
        const CompiledSelector::Compiled* compiled = m_selectors[i].compiled();
        if (!compiled)
            continue;
        SelectorMatch match = matchCompiled(*compiled, scope);
        if (selectorMatchRanksBefore(match, best)) {
            best = match;
            bestIndex = static_cast<int>(i);
        }
    }
    return bestIndex;
}

void RegexSelectorSet::allMatches(const slate::usubstring& scope, std::vector<int>& indices) const
{
    SynchronisedScopedTimer timer(g_statRegexSelectorSetAllMatches);
    struct Ranked : RegexMatch {
        int index;
    };
    std::vector<Ranked> ranked;
    for (size_t i = 0; i < m_selectors.size(); ++i) {
        const CompiledSelector::Compiled* compiled = m_selectors[i].compiled();
        if (!compiled)
            continue;
        SelectorMatch match = matchCompiled(*compiled, scope);
        if (match.matched)
            ranked.push_back({{match.start, match.length()}, static_cast<int>(i)});
    }
    std::stable_sort(ranked.begin(), ranked.end(), matchOrderLess);
    indices.clear();
    for (const Ranked& entry : ranked)
        indices.push_back(entry.index);
}

bool RegexSelectorSet::anyMatch(const slate::usubstring& scope) const
{
    for (const CompiledSelector& selector : m_selectors) {
        if (selector.compiled() && matchCompiled(*selector.compiled(), scope).matched)
            return true;
    }
    return false;
}
