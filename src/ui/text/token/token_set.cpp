// Token interning. The seed of a record's hash mixes the addresses of its
// scope text and its lexer state into the hash of its text, so equal texts
// of different scopes or states land apart without hashing the scope text.
#include "ui/text/token/token_set.h"

#include <cstring>
#include <utility>

#include "ui/hash.h"
#include "ui/text/scope_name_pool.h"

Token g_emptyToken = {nullptr, nullptr, nullptr, nullptr, 0.f, 1};

namespace {

bool sameKey(const Token* token, const uchar* begin, const uchar* end, const ScopeRecord* scope,
             const LexerState* state)
{
    return token->scope == scope && token->state == state && token->end - token->begin == end - begin
        && std::memcmp(token->begin, begin, static_cast<size_t>(end - begin) * sizeof(uchar)) == 0;
}

} // namespace

TokenSet::TokenSet()
{
    rebuild(kMinimumSlots);
}

uint32_t TokenSet::hash(const uchar* begin, const uchar* end, const ScopeRecord* scope,
                        const LexerState* state)
{
    const uintptr_t scopeText = scope ? reinterpret_cast<uintptr_t>(&scope->text) : 0;
    const uint32_t seed = static_cast<uint32_t>(scopeText ^ reinterpret_cast<uintptr_t>(state));
    return murmurHash2(begin, static_cast<size_t>(end - begin) * sizeof(uchar), seed);
}

Token* TokenSet::find(const uchar* begin, const uchar* end, const ScopeRecord* scope,
                      const LexerState* state, uint32_t hash) const
{
    const uint32_t mask = m_slotCount - 1;
    uint32_t slot = hash & mask;
    for (uint32_t step = 1;; ++step) {
        Token* token = m_slots[slot];
        if (token == &g_emptyToken)
            return nullptr;
        if (sameKey(token, begin, end, scope, state))
            return token;
        slot = (slot + step) & mask;
    }
}

void TokenSet::place(Token* token, uint32_t hash)
{
    const uint32_t mask = m_slotCount - 1;
    uint32_t slot = hash & mask;
    for (uint32_t step = 1; m_slots[slot] != &g_emptyToken; ++step)
        slot = (slot + step) & mask;
    m_slots[slot] = token;
}

void TokenSet::insert(Token* token, uint32_t hash)
{
    if (m_count + 1 > m_growThreshold) {
        uint32_t slots = kMinimumSlots;
        while (m_count + 1 >= slots / 2)
            slots *= 2;
        rebuild(slots);
    }
    place(token, hash);
    ++m_count;
}

void TokenSet::rebuild(uint32_t slotCount)
{
    std::unique_ptr<Token*[]> old = std::move(m_slots);
    const uint32_t oldCount = m_slotCount;
    m_slots.reset(new Token*[slotCount]);
    for (uint32_t i = 0; i < slotCount; ++i)
        m_slots[i] = &g_emptyToken;
    m_slotCount = slotCount;
    m_growThreshold = slotCount / 2;
    for (uint32_t i = 0; i < oldCount; ++i) {
        Token* token = old[i];
        if (token != &g_emptyToken)
            place(token, hash(token->begin, token->end, token->scope, token->state));
    }
}

void TokenSet::clear()
{
    m_slots.reset();
    m_slotCount = 0;
    m_count = 0;
    rebuild(kMinimumSlots);
}

void TokenSet::swap(TokenSet& other) noexcept
{
    std::swap(m_slots, other.m_slots);
    std::swap(m_slotCount, other.m_slotCount);
    std::swap(m_count, other.m_count);
    std::swap(m_growThreshold, other.m_growThreshold);
}
