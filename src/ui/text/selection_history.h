// What a view state keeps of its selections besides the current one: the
// selection history, which lets the user mark a selection, go back to earlier
// ones, and merge or join them with the current one; and the named region
// sets that plug-ins and the find code highlight.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/text/selection_set.h"
#include "ui/ustring.h"

// A ring of selection sets. The live entries run from the oldest to the
// newest; one of them is current, and the current entry is the view's
// selection. Marking (`push`) copies the current entry into a new newest
// entry and drops the entries `next` could have reached; at most 15 entries
// are live, the oldest being dropped first. Every edit of the text moves
// every live entry. Main thread only.
class SelectionHistory {
public:
    static constexpr uint32_t kSlotCount = 16;
    // One slot always separates the newest entry from the oldest.
    static constexpr uint32_t kMaxEntries = kSlotCount - 1;

    // One entry, current, holding the caret (0, 0).
    SelectionHistory();

    // The view's selection. Changing it through the reference is how the
    // selection changes; the view state clears the buffer's undo-merge flag
    // before handing it out.
    const SelectionSet& current() const { return m_slots[m_current]; }
    SelectionSet& current() { return m_slots[m_current]; }

    bool hasPrevious() const { return m_current != m_begin; }
    bool hasNext() const { return following(m_current) != m_end; }

    // Moves to the newer entry; nothing when there is none.
    void next();
    // Moves to the older entry; nothing when there is none. A newest entry
    // that merely repeats its predecessor is dropped on the way.
    void previous();
    // Keeps the current selection as an entry of its own: later changes go to
    // a new current entry that starts as a copy. Nothing when the current
    // entry already repeats the one before it.
    void push();
    // Adds the regions of the previous entry to the current one and drops
    // the previous entry. Nothing without a previous entry.
    void merge();
    // Joins each region of the current entry with the previous entry's region
    // of the same index (their cover); regions without a counterpart stay.
    // Nothing without a previous entry.
    void conflate();
    // Drops every entry but the current one.
    void clear();

    // Follow an edit of the text: every live entry moves, losing its
    // preferred x.
    void adjustForInsert(int64_t pos, int64_t length, bool stayBefore);
    void adjustForErase(const SelectionRegion& region);

    // The number of live entries (1 to 15).
    size_t size() const { return (m_end + kSlotCount - m_begin) % kSlotCount; }
    // Live entry `index`, 0 being the oldest; `index` must be below size().
    const SelectionSet& entry(size_t index) const
    {
        return m_slots[(m_begin + index) % kSlotCount];
    }
    // Index of the current entry among the live ones.
    size_t currentIndex() const { return (m_current + kSlotCount - m_begin) % kSlotCount; }

    // The same indexes and equal live entries.
    bool operator==(const SelectionHistory& other) const;
    bool operator!=(const SelectionHistory& other) const { return !(*this == other); }

private:
    static uint32_t following(uint32_t slot) { return (slot + 1) % kSlotCount; }
    static uint32_t preceding(uint32_t slot) { return (slot + kSlotCount - 1) % kSlotCount; }

    // Live slots run from m_begin up to, not including, m_end (modulo 16);
    // m_current is one of them. Slots outside that range are empty.
    SelectionSet m_slots[kSlotCount];
    uint32_t m_begin = 0;
    uint32_t m_end = 1;
    uint32_t m_current = 0;
};

// A named region set of a view state: what it holds, the scope whose colour
// draws it, and how it is drawn. The flag values are stored in sessions and
// seen by plug-ins, so they never change.
struct NamedRegions {
    // Carets (empty regions) are drawn too.
    static constexpr uint32_t DRAW_EMPTY = 1;
    // Not drawn on the minimap.
    static constexpr uint32_t HIDE_ON_MINIMAP = 2;
    // Carets are drawn as overwrite marks (underlined).
    static constexpr uint32_t DRAW_EMPTY_AS_OVERWRITE = 4;
    // Handed to the renderer as it stands.
    static constexpr uint32_t RENDERER_FLAG_8 = 8;
    // Written to the session with the view and read back with it.
    static constexpr uint32_t PERSISTENT = 16;
    // Drawn as an outline rather than filled.
    static constexpr uint32_t DRAW_OUTLINED = 32;
    // Drawn in the colour scheme's caret colour (the find highlighting uses
    // it with DRAW_OUTLINED).
    static constexpr uint32_t DRAW_CARET_COLOUR = 64;

    SelectionSet regions;
    // Interned in the buffer's name table; null when the set has no scope.
    const ustring* scope = nullptr;
    uint32_t flags = 0;

    bool operator==(const NamedRegions& other) const
    {
        return regions == other.regions && scope == other.scope && flags == other.flags;
    }
    bool operator!=(const NamedRegions& other) const { return !(*this == other); }
};
