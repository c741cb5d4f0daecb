// One shared arena copy per distinct text, for the stages that flatten and
// compile a grammar: a pattern included from many places is stored once.
#pragma once

#include <unordered_map>
#include <unordered_set>

#include "ui/arena_allocator.h"
#include "ui/hash.h"
#include "ui/ustring.h"

// Copies texts into an arena owned by someone else (which must outlive every
// copy's use), returning the earlier copy for a text seen before. Copies are
// NUL-terminated. The set itself may die before the arena; the copies stay.
// One thread at a time.
class ArenaStringSet {
public:
    explicit ArenaStringSet(ArenaAllocator& arena) : m_arena(arena) {}
    ArenaStringSet(const ArenaStringSet&) = delete;
    ArenaStringSet& operator=(const ArenaStringSet&) = delete;

    // The arena copy of `text` (valid while the arena is).
    slate::usubstring copy(const slate::usubstring& text)
    {
        auto found = m_copies.find(text);
        if (found != m_copies.end())
            return *found;
        const slate::usubstring stored = m_arena.copyString(text);
        m_copies.insert(stored);
        return stored;
    }

    // The same for a text whose storage stays put and unchanged while the
    // set lives (a grammar's arena strings): a text seen before at the same
    // place is found by its address, without hashing its contents.
    slate::usubstring copyStable(const slate::usubstring& text)
    {
        auto known = m_bySource.find(text.begin);
        if (known != m_bySource.end() && known->second.first == text.end)
            return known->second.second;
        const slate::usubstring stored = copy(text);
        m_bySource[text.begin] = {text.end, stored};
        return stored;
    }

private:
    ArenaAllocator& m_arena;
    std::unordered_set<slate::usubstring, UstringHash, UstringEqual> m_copies;
    // Source begin -> (source end, copy).
    std::unordered_map<const uchar*, std::pair<const uchar*, slate::usubstring>> m_bySource;
};
