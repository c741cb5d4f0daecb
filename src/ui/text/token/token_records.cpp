// Turning lexer output into token records, and the spelling marks on them.
// Each distinct (text, scope, line-start state) becomes one record in the
// storage's arena, measured in the current font and checked by the spell
// checker once; every occurrence in the text is a pointer to it. Re-marking
// after a dictionary change therefore visits the records, not the text, and
// then only recounts the buckets' misspelled sums. Records the text no
// longer uses stay in the arena until a compaction copies the live ones out.
#include "ui/text/token/token_storage.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "canvas/unicode_font.h"
#include "ui/statistics.h"
#include "ui/text/scope_name_pool.h"
#include "ui/text/spell_checker.h"
#include "ui/text/token/layout_walk.h"

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

// The arena bytes of a record holding `length` units of text.
size_t recordBytes(size_t length)
{
    const size_t bytes = sizeof(Token) + (length + 1) * sizeof(uchar);
    return (bytes + 3) & ~size_t(3);
}

Token* allocateRecord(ArenaAllocator& arena, const uchar* begin, const uchar* end)
{
    const size_t length = static_cast<size_t>(end - begin);
    void* memory = arena.allocateAligned(recordBytes(length), alignof(Token));
    Token* token = static_cast<Token*>(memory);
    uchar* text = reinterpret_cast<uchar*>(token + 1);
    std::memcpy(text, begin, length * sizeof(uchar));
    text[length] = 0;
    token->begin = text;
    token->end = text + length;
    return token;
}

// A set of record addresses, for counting the distinct records the text
// uses: open addressing with linear probing, never more than half full.
class RecordAddressSet {
public:
    // True when `token` was not in the set yet.
    bool add(const Token* token)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            grow();
        const size_t mask = m_slots.size() - 1;
        size_t slot = slotOf(token) & mask;
        while (m_slots[slot]) {
            if (m_slots[slot] == token)
                return false;
            slot = (slot + 1) & mask;
        }
        m_slots[slot] = token;
        ++m_count;
        return true;
    }

private:
    static size_t slotOf(const Token* token)
    {
        const uint64_t address = reinterpret_cast<uintptr_t>(token);
        return static_cast<size_t>((address >> 3) * 0x9E3779B97F4A7C15ull >> 20);
    }
    void grow()
    {
        std::vector<const Token*> old(m_slots.empty() ? 64 : m_slots.size() * 2, nullptr);
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (const Token* token : old) {
            if (!token)
                continue;
            size_t slot = slotOf(token) & mask;
            while (m_slots[slot])
                slot = (slot + 1) & mask;
            m_slots[slot] = token;
        }
    }

    std::vector<const Token*> m_slots;
    size_t m_count = 0;
};

// Calls `visit` (region) -> bool with the trimmed region of every misspelled
// token that starts before `until`, in text order, while it returns true.
// Buckets without misspellings are skipped whole.
template <typename Visit>
void forEachMisspelledWord(const bucket_container& tokens, int64_t until, Visit visit)
{
    int64_t position = 0;
    for (const TokenBuffer* bucket = tokens.container.m_first; bucket && position < until;
         bucket = bucket->next) {
        if (bucket->ownMisspelled == 0) {
            position += bucket->ownChars;
            continue;
        }
        for (const Token* token : bucket->tokens) {
            if (position >= until)
                return;
            const int64_t length = token->length();
            if (token->isMisspelled()) {
                SelectionRegion region(position, position + length);
                slate::usubstring text(token->begin, token->end);
                trimWord(region, text);
                if (!visit(region))
                    return;
            }
            position += length;
        }
    }
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
    Token* token = allocateRecord(m_tokenArena, lexed.begin, lexed.end);
    token->scope = lexed.scope;
    token->state = lexed.lineState;
    token->width = m_currentFont ? measureToken(token, *m_currentFont) : 0.f;
    for (OtherFont& other : m_otherFonts)
        other.widths.emplace(token, measureToken(token, *other.font));
    markSpelling(token);
    m_tokenSet.insert(token, hash);
    return token;
}

Token* TokenStorage::internToken(const LexedToken& lexed)
{
    const uint32_t hash = TokenSet::hash(lexed.begin, lexed.end, lexed.scope, lexed.lineState);
    Token* token = m_tokenSet.find(lexed.begin, lexed.end, lexed.scope, lexed.lineState, hash);
    return token ? token : createToken(lexed, hash);
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
            tokens.push_back(internToken(piece));
        }
    }
    SynchronisedScopedTimer timer(g_statTokeniseInsert);
    if (!tokens.empty()) {
        m_tokenList.insert(at, tokens.data(), tokens.data() + tokens.size());
        g_statTokenCount.count += static_cast<int32_t>(tokens.size());
    }
}

void TokenStorage::compactRecordsIfWasteful()
{
    const size_t total = m_tokenArena.totalBytes();
    if (total < m_recordCheckBase) {
        // Every token was dropped since the last look.
        m_recordCheckBase = 0;
        m_recordCheckAllowance = kRecordCompactionFloor;
    }
    if (total - m_recordCheckBase < m_recordCheckAllowance)
        return;
    size_t live = 0;
    {
        RecordAddressSet seen;
        for (const TokenBuffer* bucket = m_tokenList.container.m_first; bucket; bucket = bucket->next)
            for (const Token* token : bucket->tokens)
                if (seen.add(token))
                    live += recordBytes(static_cast<size_t>(token->length()));
    }
    const size_t floorOrLive = std::max(kRecordCompactionFloor, live);
    if (total - live > floorOrLive)
        compactRecords();
    m_recordCheckBase = m_tokenArena.totalBytes();
    m_recordCheckAllowance = floorOrLive;
}

void TokenStorage::compactRecords()
{
    ArenaAllocator arena(m_tokenArena.blockSize());
    TokenSet set;
    std::vector<TokenWidthTable> otherWidths(m_otherFonts.size());
    // Copy first and repoint afterwards, so that running out of memory
    // while copying leaves the storage as it was.
    for (const TokenBuffer* bucket = m_tokenList.container.m_first; bucket; bucket = bucket->next) {
        for (const Token* token : bucket->tokens) {
            const uint32_t hash = TokenSet::hash(token->begin, token->end, token->scope, token->state);
            if (set.find(token->begin, token->end, token->scope, token->state, hash))
                continue;
            Token* copy = allocateRecord(arena, token->begin, token->end);
            copy->scope = token->scope;
            copy->state = token->state;
            copy->width = token->width;
            copy->spellingOk = token->spellingOk;
            set.insert(copy, hash);
            size_t i = 0;
            for (const OtherFont& other : m_otherFonts) {
                auto found = other.widths.find(token);
                otherWidths[i++].emplace(copy, found != other.widths.end() ? found->second
                                                                          : measureToken(copy, *other.font));
            }
        }
    }
    for (TokenBuffer* bucket = m_tokenList.container.m_first; bucket; bucket = bucket->next) {
        for (Token*& token : bucket->tokens) {
            const uint32_t hash = TokenSet::hash(token->begin, token->end, token->scope, token->state);
            token = set.find(token->begin, token->end, token->scope, token->state, hash);
        }
    }
    m_tokenSet.swap(set);
    m_tokenArena.swap(arena);
    size_t i = 0;
    for (OtherFont& other : m_otherFonts)
        other.widths.swap(otherWidths[i++]);
    m_unlexedPieces.clear();
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

int32_t TokenStorage::misspelledCount()
{
    validateUntil(size());
    return m_tokenList.misspelledCount();
}

int32_t TokenStorage::misspelledCountInSteps(int64_t lexBudget, bool& settled)
{
    // Validating to a point past the first stale one re-lexes from there and
    // stops about that far on (after the line that passes it), leaving a
    // stale point behind when text is left.
    if (!m_invalidPoints.empty())
        validateUntil(m_invalidPoints.front() + std::max<int64_t>(lexBudget, 1));
    settled = m_invalidPoints.empty();
    if (settled)
        m_settledMisspelledCount = m_tokenList.misspelledCount();
    else if (m_settledMisspelledCount < 0)
        return m_tokenList.misspelledCount();
    return m_settledMisspelledCount;
}

void TokenStorage::misspelledWords(SelectionSet& out)
{
    validateUntil(size());
    out.reserve(out.size() + static_cast<size_t>(m_tokenList.misspelledCount()));
    forEachMisspelledWord(m_tokenList, size(), [&out](const SelectionRegion& word) {
        out.push_back(word);
        return true;
    });
}

SelectionRegion TokenStorage::nextMisspelledWord(int64_t position)
{
    // Everything before the first invalid point is lexed and its marks are
    // right; past it they are not. Each step looks at that lexed prefix and,
    // when it holds no word after `position`, lexes a stride further.
    int64_t stride = kSpellingLexStep;
    for (;;) {
        const int64_t lexedUntil = m_invalidPoints.empty() ? size() : m_invalidPoints.front();
        SelectionRegion found(-1, -1);
        forEachMisspelledWord(m_tokenList, lexedUntil, [&](const SelectionRegion& word) {
            if (word.a <= position)
                return true;
            found = word;
            return false;
        });
        if (found.a != -1 || m_invalidPoints.empty())
            return found;
        validateUntil(std::max(lexedUntil, position) + stride);
        stride = std::min(stride * 2, std::max(size(), kSpellingLexStep));
    }
}

SelectionRegion TokenStorage::previousMisspelledWord(int64_t position)
{
    validateUntil(position);
    SelectionRegion found(-1, -1);
    forEachMisspelledWord(m_tokenList, position, [&](const SelectionRegion& word) {
        if (word.b >= position)
            return false;
        found = word;
        return true;
    });
    return found;
}
