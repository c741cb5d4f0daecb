// Scope questions on a token storage: the scope at a position, selector
// matches, the extent of the scope around a position, the runs a set of
// selectors picks out, spelling suggestions and completion words. Every one
// validates first as far as it reads, so deferred lexing never shows in an
// answer; scopes are compared as interned records or by their text, never by
// lexing again.
#include "ui/text/token/token_storage.h"

#include <algorithm>
#include <cmath>

#include "ui/text/scope_name_pool.h"
#include "ui/text/spell_checker.h"

namespace {

bool endsWith(const slate::usubstring& text, const slate::usubstring& suffix)
{
    return text.size() >= suffix.size()
        && std::equal(suffix.begin, suffix.end, text.end - suffix.size());
}

size_t commonSuffix(const slate::usubstring& a, const slate::usubstring& b)
{
    size_t length = 0;
    while (length < a.size() && length < b.size() && a.end[-1 - static_cast<ptrdiff_t>(length)]
           == b.end[-1 - static_cast<ptrdiff_t>(length)])
        ++length;
    return length;
}

const Token* tokenOf(const TokenLocation& location)
{
    return location.index < location.bucket->size() ? location.bucket->tokens[location.index] : nullptr;
}

} // namespace

const ScopeRecord* TokenStorage::scopeAt(int64_t position)
{
    validateUntil(position);
    const Token* token = tokenOf(tokenAt(position));
    if (token)
        return token->scope;
    ScopedLock lock(m_syntax->lexerLock());
    return m_syntax->lexer()->root()->outerScope;
}

slate::usubstring TokenStorage::scopeNameAt(int64_t position)
{
    const ScopeRecord* scope = scopeAt(position);
    return scope ? scope->text : slate::usubstring();
}

bool TokenStorage::matchSelector(int64_t position, const ustring& selector)
{
    const ScopeRecord* scope = scopeAt(position);
    auto found = m_selectorCache.find(selector);
    if (found == m_selectorCache.end())
        found = m_selectorCache.emplace(selector, compileSelector(slate::usubstring(selector))).first;
    return scope && selectorMatches(found->second, scope->text);
}

SelectionRegion TokenStorage::extractScope(int64_t position, bool atPosition)
{
    validateUntil(size());
    if (!atPosition && position > 0)
        --position;
    position = std::clamp<int64_t>(position, 0, size());
    const TokenLocation location = tokenAt(position);
    if (!tokenOf(location))
        return SelectionRegion(0, size());

    const bucket_container::iterator token(location);
    const int64_t tokenStart = position - location.characterOffset;
    // Grows [first, last] over the neighbouring tokens whose scope text ends
    // with `scope`'s.
    bucket_container::iterator first = token;
    bucket_container::iterator last = token;
    int64_t begin = tokenStart;
    int64_t end = tokenStart + (*token)->length();
    auto grow = [&](const slate::usubstring& scope) {
        bool grew = false;
        for (;;) {
            bucket_container::iterator before = first;
            if (before == m_tokenList.begin())
                break;
            --before;
            if (!before.bucket() || !(*before)->scope || !endsWith((*before)->scope->text, scope))
                break;
            first = before;
            begin -= (*first)->length();
            grew = true;
        }
        for (;;) {
            bucket_container::iterator after = last;
            ++after;
            if (after == m_tokenList.end() || !(*after)->scope || !endsWith((*after)->scope->text, scope))
                break;
            last = after;
            end += (*last)->length();
            grew = true;
        }
        return grew;
    };
    const ScopeRecord* scope = (*token)->scope;
    if (!scope || grow(scope->text))
        return SelectionRegion(begin, end);

    const Token* previous = nullptr;
    if (token != m_tokenList.begin()) {
        bucket_container::iterator before = token;
        --before;
        if (before.bucket())
            previous = *before;
    }
    bucket_container::iterator after = token;
    ++after;
    const Token* next = after != m_tokenList.end() ? *after : nullptr;
    const size_t previousSuffix = previous && previous->scope ? commonSuffix(scope->text, previous->scope->text) : 0;
    const size_t nextSuffix = next && next->scope ? commonSuffix(scope->text, next->scope->text) : 0;
    if (previousSuffix != nextSuffix)
        grow((previousSuffix > nextSuffix ? previous : next)->scope->text);
    return SelectionRegion(begin, end);
}

void TokenStorage::getSymbols(const RegexSelectorSet& selectors, const RegexSelectorSet& exclusions,
                              std::vector<std::pair<SelectionRegion, int>>& out)
{
    if (selectors.empty())
        return;
    validateUntil(size());
    std::vector<int> decisions(64, -2);
    SelectionRegion run(0, 0);
    int runDecision = -1;
    int64_t position = 0;
    for (auto it = m_tokenList.begin(); it != m_tokenList.end(); ++it) {
        const Token* token = *it;
        const int64_t start = position;
        position += token->length();
        if (!token->scope)
            continue;
        const size_t id = static_cast<size_t>(token->scope->id);
        if (id >= decisions.size())
            decisions.resize(id + 1, -2);
        int& decision = decisions[id];
        if (decision == -2) {
            decision = selectors.bestMatch(token->scope->text);
            if (decision != -1 && exclusions.anyMatch(token->scope->text))
                decision = -1;
        }
        if (decision == -1)
            continue;
        if (run.b == start && decision == runDecision && run.size() > 0) {
            run.b = position;
            continue;
        }
        if (run.size() > 0)
            out.emplace_back(run, runDecision);
        run = SelectionRegion(start, position);
        runDecision = decision;
    }
    if (run.size() > 0)
        out.emplace_back(run, runDecision);
}

bool TokenStorage::spellingSuggestionsAt(int64_t position, SelectionRegion& region,
                                         std::vector<ustring>& suggestions)
{
    validateUntil(position);
    if (position < 0 || position >= size())
        return false;
    const TokenLocation location = tokenAt(position);
    const Token* token = tokenOf(location);
    if (!token || !token->isMisspelled())
        return false;
    const int64_t start = position - location.characterOffset;
    region = SelectionRegion(start, start + token->length());
    slate::usubstring text(token->begin, token->end);
    trimWord(region, text);
    if (m_spellChecker)
        m_spellChecker->suggest(text, suggestions);
    return true;
}

void TokenStorage::extractCompletions(int64_t position, const ustring& prefix, const ustring& separators,
                                      std::vector<ustring>& out)
{
    validateUntil(size());
    const int64_t total = size();
    if (prefix.empty() || total == 0)
        return;
    const bool weighted = position >= 0 && position <= total;
    ustring trimSet = u" \t\n";
    trimSet += separators;
    std::map<slate::usubstring, float> scores;
    int64_t start = 0;
    for (auto it = m_tokenList.begin(); it != m_tokenList.end(); ++it) {
        const Token* token = *it;
        const int64_t length = token->length();
        const int64_t tokenStart = start;
        start += length;
        if (length <= static_cast<int64_t>(prefix.size()) || token->begin[0] != prefix[0])
            continue;
        if (tokenStart < position && position < tokenStart + length)
            continue;
        const uchar* end = token->end;
        while (end > token->begin && trimSet.find(end[-1]) != ustring::npos)
            --end;
        const slate::usubstring word(token->begin, end);
        if (word.size() <= prefix.size() || !std::equal(prefix.begin(), prefix.end(), word.begin))
            continue;
        float weight = 1.f;
        if (weighted) {
            const double nearness = 1.0 - std::fabs(static_cast<double>(position - tokenStart)) / total;
            weight = static_cast<float>(nearness * nearness);
        }
        scores[word] += weight;
    }
    std::vector<std::pair<float, slate::usubstring>> ranked;
    ranked.reserve(scores.size());
    for (const auto& [word, score] : scores)
        ranked.emplace_back(score, word);
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return a.second < b.second;
    });
    for (auto it = ranked.rbegin(); it != ranked.rend(); ++it)
        out.push_back(it->second.str());
}
