// The positions of a snippet being filled in. Each view state keeps one
// `TrackedPoints`, numbered positions that every edit of the buffer moves, and
// one `TrackedRegions`, the snippet's fields by number: each field is a list of
// point-id pairs (its regions) and a list of mirrors (text recomputed from a
// field through a substitution). Because the fields hold ids, not positions,
// they always read back where the text has moved them.
//
//     TrackedPointId first = points.addPoints({10, 13, 20, 23});
//     regions.addFieldPair(1, {first, first + 1});
//     regions.addRegion(1, TrackedRegion({first, first + 1}, {first + 2, first + 3}, transform));
//     SelectionSet field = points.regionsOf(regions.currentGroup().fieldPairs);
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "ui/text/dependent_region.h"
#include "ui/text/selection_set.h"

// Ids are handed out 0, 1, 2, ... and never reused until the points are
// cleared.
using TrackedPointId = uint32_t;
// Two point ids standing for the region from the first point to the second.
using TrackedPointPair = std::pair<TrackedPointId, TrackedPointId>;

struct TrackedPoint {
    int64_t pos = 0;
    TrackedPointId id = 0;
    // The point belongs to the current field group (see TrackedRegions::markCurrent).
    bool current = false;
};

class TrackedPoints {
public:
    // Adds points at `points`, which must not be empty and is expected in
    // ascending order, inserted in list order after every stored point at or
    // before the first new position; no stored point may lie between the
    // first and the last new position (both are assertions). The new points
    // get consecutive ids and are not current. Returns the id of the first.
    TrackedPointId addPoints(const std::vector<int64_t>& points);

    // The point with `id`; a missing id is an assertion failure. The
    // reference is valid until the next change of the points.
    const TrackedPoint& find(TrackedPointId id) const;
    TrackedPoint& find(TrackedPointId id);

    // The regions (position of the first id, position of the second id) of
    // `pairs`, each `add`ed in order. A missing id is an assertion failure.
    SelectionSet regionsOf(const std::vector<TrackedPointPair>& pairs) const;

    // Follows a change of the text: the erasure of (pos, pos - delta) when
    // delta < 0, an insertion of delta units at pos when delta > 0. Points at
    // an insertion point stay in front of the new text up to the first
    // current one (unless `stayBefore`, when they all stay), which moves with
    // every point after it. Nothing happens for delta 0.
    void adjust(int64_t pos, int64_t delta, bool stayBefore);

    // Removes every point; ids start at 0 again.
    void clear();

    // In ascending order of position; points at equal positions in the
    // order in which they were added.
    const std::vector<TrackedPoint>& points() const { return m_points; }
    // Index of the point with `id` in points(), or -1.
    int64_t indexOf(TrackedPointId id) const;
    TrackedPointId nextId() const { return m_nextId; }

    bool operator==(const TrackedPoints& other) const;
    bool operator!=(const TrackedPoints& other) const { return !(*this == other); }

private:
    std::vector<TrackedPoint> m_points; // sorted by pos; stable for equal positions
    TrackedPointId m_nextId = 0;
};

// One mirror of a field: the text between the destination points is
// recomputed from the text between the source points through `transform`.
// Copies share the compiled transform.
struct TrackedRegion {
    TrackedRegion() = default;
    TrackedRegion(const TrackedPointPair& sourcePair, const TrackedPointPair& destinationPair,
                  SharedRegexTransform regexTransform)
        : source(sourcePair), destination(destinationPair), transform(std::move(regexTransform))
    {
    }

    TrackedPointPair source{0, 0};
    TrackedPointPair destination{0, 0};
    SharedRegexTransform transform; // null copies the source unchanged

    // The same four ids and the same transform (see sameTransform).
    bool operator==(const TrackedRegion& other) const;
    bool operator!=(const TrackedRegion& other) const { return !(*this == other); }
};

// One field number of a snippet: its regions and its mirrors.
struct TrackedRegionGroup {
    std::vector<TrackedPointPair> fieldPairs;
    std::vector<TrackedRegion> mirrors;

    bool operator==(const TrackedRegionGroup& other) const
    {
        return fieldPairs == other.fieldPairs && mirrors == other.mirrors;
    }
    bool operator!=(const TrackedRegionGroup& other) const { return !(*this == other); }
};

// The field groups of the snippet being filled in, field 0 first, and which
// one is current. There is always at least one group. Copies (the undo
// snapshots hold them) share the compiled transforms of their mirrors.
class TrackedRegions {
public:
    // One empty group, current 0.
    TrackedRegions();

    // Back to one empty group, current 0.
    void clear();

    bool hasNext() const { return m_current + 1 < m_groups.size(); }
    bool hasPrev() const { return m_current > 0; }
    // Move to the next or previous group, which must exist (assertions);
    // the group left loses its mirrors.
    void next();
    void prev();

    // Replaces the current group by `groups`, in their order; the current
    // index then names the first of them. Used when a snippet is inserted
    // while another is being filled in. An empty `groups` removes the
    // current group, except that the last group is never removed (it is
    // emptied instead) and the index is kept inside the list.
    void replaceCurrent(const std::vector<TrackedRegionGroup>& groups);

    // Appends a region (a field pair) or a mirror to group `n`, first growing
    // the list with empty groups up to n + 1 groups when needed.
    void addFieldPair(uint32_t n, const TrackedPointPair& pair);
    void addRegion(uint32_t n, const TrackedRegion& region);

    // Sets the current flag of every point named by a group's field pairs
    // and its mirrors' sources: true for the current group, false for the
    // others. Points named by no group keep their flag.
    void markCurrent(TrackedPoints& points) const;

    uint32_t current() const { return m_current; }
    size_t size() const { return m_groups.size(); }
    const std::vector<TrackedRegionGroup>& groups() const { return m_groups; }
    const TrackedRegionGroup& currentGroup() const { return m_groups[m_current]; }

    // The same groups, pairwise equal, and the same current index.
    bool operator==(const TrackedRegions& other) const
    {
        return m_current == other.m_current && m_groups == other.m_groups;
    }
    bool operator!=(const TrackedRegions& other) const { return !(*this == other); }

private:
    void growTo(uint32_t n);

    std::vector<TrackedRegionGroup> m_groups; // never empty
    uint32_t m_current = 0;                   // always below m_groups.size()
};
