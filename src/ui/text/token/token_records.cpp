// Turning lexer output into token records, and the spelling marks on them.
// Each distinct (text, scope, line-start state) becomes one record in the
// storage's arena, measured in the current font and checked by the spell
// checker once; every occurrence in the text is a pointer to it. Re-marking
// after a dictionary change therefore visits the records, not the text, and
// then only recounts the buckets' misspelled sums.
#include "ui/text/token/token_storage.h"

#include <cstring>

#include "canvas/unicode_font.h"
#include "ui/statistics.h"
#include "ui/text/scope_name_pool.h"
#include "ui/text/spell_checker.h"

namespace {

// The separators trimmed from the ends of a misspelled token.
bool isWordSeparator(uchar c)
{
    if (c < 0x20 || c > 0x7f)
        return true;
    static const char16_t kSeparators[] = u".()[]{},!@#$%^*-+/\\;:?<>`~'\"\n\t ";
    for (const char16_t* s = kSeparators; *s; ++s)
        if (*s == c)
            return true;
    return false;
}

float measureToken(const Token* token, UnicodeFont& font)
{
    if (token->begin != token->end && token->begin[0] == u'\t')
        return 0.f;
    return textWidth(font, token->begin, token->end);
}

} // namespace

bool SpellingScopeFilter::shouldCheckSpelling(const ScopeRecord* scope)
{
    if (!scope)
        return true;
    const size_t id = static_cast<size_t>(scope->id);
    if (id >= decisions.size())
        decisions.resize(id + 1, 0);
    if (decisions[id] == 0) {
        if (selectorMatches(checkSelector, scope->text))
            decisions[id] = 1;
        else if (selectorMatches(skipSelector, scope->text))
            decisions[id] = 2;
        else
            decisions[id] = 1;
    }
    return decisions[id] == 1;
}

void trimWord(SelectionRegion& region, slate::usubstring& text)
{
    while (region.a < region.b && isWordSeparator(*text.begin)) {
        ++region.a;
        ++text.begin;
    }
    while (region.a < region.b && isWordSeparator(text.end[-1])) {
        --region.b;
        --text.end;
    }
}

void TokenStorage::markSpelling(Token* token)
{
    // Unlexed text is cut without regard to words or scopes: it is judged
    // once lexed.
    if (!m_spellChecker || !token->state || !m_spellingFilter.shouldCheckSpelling(token->scope)) {
        token->spellingOk = 1;
        return;
    }
    token->spellingOk = m_spellChecker->check(slate::usubstring(token->begin, token->end)) ? 1 : 0;
}

Token* TokenStorage::createToken(const LexedToken& lexed, uint32_t hash)
{
    ++g_statUniqueTokens.count;
    const size_t length = static_cast<size_t>(lexed.end - lexed.begin);
    size_t bytes = sizeof(Token) + (length + 1) * sizeof(uchar);
    bytes = (bytes + 3) & ~size_t(3);
    void* memory = m_tokenArena.allocateAligned(bytes, alignof(Token));
    Token* token = static_cast<Token*>(memory);
    uchar* text = reinterpret_cast<uchar*>(token + 1);
    std::memcpy(text, lexed.begin, length * sizeof(uchar));
    text[length] = 0;
    token->begin = text;
    token->end = text + length;
    token->scope = lexed.scope;
    token->state = lexed.lineState;
    token->width = m_currentFont ? measureToken(token, *m_currentFont) : 0.f;
    markSpelling(token);
    m_tokenSet.insert(token, hash);
    return token;
}

void TokenStorage::createAndInsertTokens(bucket_container::iterator at,
                                         const std::vector<LexedToken>& lexed)
{
    std::vector<Token*> tokens;
    {
        SynchronisedScopedTimer timer(g_statTokeniseCreateTokens);
        tokens.reserve(lexed.size());
        for (const LexedToken& piece : lexed) {
            // A pattern may match the empty text; such a piece holds no text
            // and has no place in the sequence.
            if (piece.begin == piece.end)
                continue;
            const uint32_t hash = TokenSet::hash(piece.begin, piece.end, piece.scope, piece.lineState);
            Token* token = m_tokenSet.find(piece.begin, piece.end, piece.scope, piece.lineState, hash);
            tokens.push_back(token ? token : createToken(piece, hash));
        }
    }
    SynchronisedScopedTimer timer(g_statTokeniseInsert);
    if (!tokens.empty()) {
        m_tokenList.insert(at, tokens.data(), tokens.data() + tokens.size());
        g_statTokenCount.count += static_cast<int32_t>(tokens.size());
    }
}

void TokenStorage::remeasureTokens()
{
    if (!m_currentFont)
        return;
    m_tokenSet.forEach([this](Token* token) { token->width = measureToken(token, *m_currentFont); });
}

void TokenStorage::recountMisspelled()
{
    for (TokenBuffer* bucket = m_tokenList.container.m_first; bucket; bucket = bucket->next) {
        int32_t count = 0;
        for (const Token* token : bucket->tokens)
            count += token->isMisspelled();
        const int32_t difference = count - bucket->ownMisspelled;
        if (difference == 0)
            continue;
        bucket->ownMisspelled = count;
        for (TokenBuffer* ancestor = bucket->parent; ancestor; ancestor = ancestor->parent)
            ancestor->descendantMisspelled += difference;
    }
}

void TokenStorage::setSpellChecker(slate::SP<SpellChecker> checker)
{
    if (checker.get() == m_spellChecker.get())
        return;
    m_spellChecker = std::move(checker);
    m_tokenSet.forEach([this](Token* token) { markSpelling(token); });
    recountMisspelled();
}

void TokenStorage::recheckMisspelled()
{
    m_tokenSet.forEach([this](Token* token) {
        if (token->isMisspelled())
            markSpelling(token);
    });
    recountMisspelled();
}

void TokenStorage::misspelledWords(SelectionSet& out) const
{
    out.reserve(out.size() + static_cast<size_t>(misspelledCount()));
    int64_t position = 0;
    for (const TokenBuffer* bucket = m_tokenList.container.m_first; bucket; bucket = bucket->next) {
        if (bucket->ownMisspelled == 0) {
            position += bucket->ownChars;
            continue;
        }
        for (const Token* token : bucket->tokens) {
            const int64_t length = token->length();
            if (token->isMisspelled()) {
                SelectionRegion region(position, position + length);
                slate::usubstring text(token->begin, token->end);
                trimWord(region, text);
                out.push_back(region);
            }
            position += length;
        }
    }
}
