// The interning set of token records: one record per distinct (text, scope,
// line-start state), so that what depends only on those (width, spelling) is
// computed once per distinct token and a bucket holds only pointers.
//
// Open addressing over a power-of-two table of at least 32 slots, probing
// with growing steps (+1, +2, +3, ...); the table doubles before an insertion
// would take it past half full. Records are never removed one by one: the
// set is only cleared, together with the arena that holds the records, or
// replaced whole by a set of the live records when the storage compacts.
// Owned by one storage; one thread at a time.
#pragma once

#include <cstdint>
#include <memory>

#include "ui/text/token/token.h"

// The key of a free slot: a static record with every field zero except
// `spellingOk` (1). Never a real token.
extern Token g_emptyToken;

class TokenSet {
public:
    static constexpr uint32_t kMinimumSlots = 32;

    TokenSet();
    TokenSet(const TokenSet&) = delete;
    TokenSet& operator=(const TokenSet&) = delete;

    // The hash of a key: MurmurHash2 over the text's bytes, seeded with the
    // identities of the scope record's text and of the state.
    static uint32_t hash(const uchar* begin, const uchar* end, const ScopeRecord* scope,
                         const LexerState* state);

    // The record with this text, scope and state, or null.
    Token* find(const uchar* begin, const uchar* end, const ScopeRecord* scope,
                const LexerState* state, uint32_t hash) const;
    // Adds `token`, which must not be in the set yet, growing the table first
    // when the new count would pass half the slots.
    void insert(Token* token, uint32_t hash);
    // Back to 32 free slots. The records themselves belong to the arena.
    void clear();
    // Exchanges the whole table with `other`.
    void swap(TokenSet& other) noexcept;

    uint32_t size() const { return m_count; }
    uint32_t slotCount() const { return m_slotCount; }

    // Calls `visit` with every record, in table order.
    template <typename Visit>
    void forEach(Visit&& visit) const
    {
        for (uint32_t i = 0; i < m_slotCount; ++i)
            if (m_slots[i] != &g_emptyToken)
                visit(m_slots[i]);
    }

private:
    void rebuild(uint32_t slotCount);
    void place(Token* token, uint32_t hash);

    std::unique_ptr<Token*[]> m_slots; // free slots hold &g_emptyToken
    uint32_t m_slotCount = 0; // a power of two, at least 32
    uint32_t m_count = 0;
    uint32_t m_growThreshold = 0; // half the slots
};
