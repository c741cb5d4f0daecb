// An ordered list of regions that do not overlap: the selections of a view,
// its bookmarks, the regions of a named highlight, search results. Plug-ins see
// this type as `RegionSet`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/text/selection_region.h"

class SelectionSet {
public:
    using const_iterator = std::vector<SelectionRegion>::const_iterator;

    SelectionSet() = default;
    // A set holding `region` (added, so the counter reads 1).
    explicit SelectionSet(const SelectionRegion& region);

    // Inserts `region` in order. Stored regions that overlap it, or touch it
    // where a caret is involved, are merged with it into one region that
    // points the way `region` points and has no preferred x; otherwise
    // `region` is stored as given. Two non-empty regions that only touch
    // stay apart.
    void add(const SelectionRegion& region);
    // `add` of each region of `other`, in its order.
    void addAll(const SelectionSet& other);
    // `add` of each of `regions`, in their order, with the same result. Into
    // an empty set it sorts once and merges, O(n log n) whatever the order
    // (one add at a time moves the tail of the list each time: quadratic for
    // regions in descending order), and the change counter moves on once.
    void addAll(const std::vector<SelectionRegion>& regions);
    // Removes the extent of `region` from every stored region, dropping those
    // it covers and splitting one that strictly contains it. A caret inside or
    // on the edge of `region` is dropped too, so subtracting a caret removes
    // a caret at the same place.
    void subtract(const SelectionRegion& region);
    // True when one stored region holds all of `region`.
    bool contains(const SelectionRegion& region) const;

    void clear();
    // Removes the region at `position`; returns the position of the region
    // that followed it.
    const_iterator erase(const_iterator position);
    // Overwrite and append without keeping the order: the caller guarantees
    // it. `index` must be below size().
    void set(size_t index, const SelectionRegion& region);
    void push_back(const SelectionRegion& region);

    // Follow an edit of the text (see SelectionRegion). They leave the change
    // counter alone: an edit does not count as a change of the selection.
    void adjustForInsert(int64_t pos, int64_t length, bool stayBefore, bool resetXpos);
    // Also drops a region that became equal to its predecessor.
    void adjustForErase(const SelectionRegion& erased, bool resetXpos);

    // Drops every region equal (a and b) to the one before it.
    void removeDuplicates();
    // Clamps every end into [lo, hi], then removes duplicates.
    void clamp(int64_t lo, int64_t hi);
    void reserve(size_t count) { m_regions.reserve(count); }

    size_t size() const { return m_regions.size(); }
    bool empty() const { return m_regions.empty(); }
    // A copy, cheap also between the insertions of a many-caret edit.
    SelectionRegion operator[](size_t index) const
    {
        SelectionRegion region = m_regions[index];
        if (index >= m_shiftFrom) {
            region.a += m_shift;
            region.b += m_shift;
        }
        return region;
    }
    // The iterators and the vector stay valid, and their positions current,
    // until the set changes or an edit adjusts it.
    const_iterator begin() const
    {
        settleShift();
        return m_regions.begin();
    }
    const_iterator end() const
    {
        settleShift();
        return m_regions.end();
    }
    const std::vector<SelectionRegion>& regions() const
    {
        settleShift();
        return m_regions;
    }

    // Bumped by every operation that may change the regions other than the
    // edit adjustments; observers compare it with a value they kept. Wraps.
    uint32_t changeCount() const { return m_changeCount; }

    // Same number of regions and pairwise equal a and b; preferred x and the
    // counters do not take part.
    bool operator==(const SelectionSet& other) const { return regions() == other.regions(); }
    bool operator!=(const SelectionSet& other) const { return !(*this == other); }

private:
    enum class Order : uint8_t {
        Unknown,
        // Along the list begins and ends both never decrease and no two
        // regions cover the same extent: what add keeps, and what every edit
        // adjustment preserves except an erasure that collapses two regions
        // pointing different ways onto one extent.
        Sorted,
        Unsorted,
    };

    // A region given to addAll and its place among everything added.
    struct Arrival {
        SelectionRegion region;
        size_t order;
    };
    // Appends to `out` what adding the regions of [begin, end), one run of
    // regions that clash, one at a time in arrival order leaves.
    static void mergeRun(std::vector<Arrival>::iterator begin, std::vector<Arrival>::iterator end,
                         std::vector<SelectionRegion>& out);

    // Adds the pending shift into the stored regions.
    void settleShift() const;
    // Makes the shifted tail start at `index`, keeping every region in place.
    void moveShiftStart(size_t index);
    // The first index in [from, to) whose region fails `before`, which must
    // hold for a prefix of that range only.
    template <typename Before>
    size_t partitionPoint(size_t from, size_t to, Before before) const
    {
        while (from < to) {
            const size_t middle = from + (to - from) / 2;
            if (before((*this)[middle]))
                from = middle + 1;
            else
                to = middle;
        }
        return from;
    }
    // Whether the edit adjustments may take their shortcut; computes the
    // order when unknown.
    bool isSorted();
    // Every mutator except the edit adjustments calls this first.
    void beginChange(bool mayBreakOrder);

    // In text order; `add` keeps every neighbour pair in `regionBefore` order.
    // Regions from `m_shiftFrom` on lie `m_shift` units (negative: back) from
    // where they are stored: typing at many carets moves the tail of the list
    // once per insertion or erasure, which is paid here lazily (see the edit
    // adjustments). Settled by every read of the whole list; mutable because
    // reads settle it.
    mutable std::vector<SelectionRegion> m_regions;
    mutable size_t m_shiftFrom = 0;
    mutable int64_t m_shift = 0;
    Order m_order = Order::Sorted;
    // Every stored xpos is -1, so a resetting adjustment need not walk them.
    bool m_xposCleared = true;
    uint32_t m_changeCount = 0;
};
