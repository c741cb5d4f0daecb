// One range of text with a direction: a selection, a caret, a bookmark, a
// snippet field or a search hit. Positions are offsets in UTF-16 code units
// from the start of the buffer. Plug-ins see this type as `Region`, with `a`
// and `b` writable and the preferred x readable as an integer.
#pragma once

#include <algorithm>
#include <cstdint>

struct SelectionRegion {
    // A region at 0 with no preferred x. Callers normally assign a and b.
    SelectionRegion() = default;
    SelectionRegion(int64_t anchor, int64_t caret) : a(anchor), b(caret) {}
    // A bare caret at `position`.
    explicit SelectionRegion(int64_t position) : a(position), b(position) {}
    // (x, y) when `reversed` is false, (y, x) when it is true.
    SelectionRegion(int64_t x, int64_t y, bool reversed)
        : a(reversed ? y : x), b(reversed ? x : y)
    {
    }
    // With a preferred x given in whole pixels (the plug-in interface's form).
    // The third argument is a plain int so that it never competes with the
    // `reversed` form for an int literal.
    SelectionRegion(int64_t anchor, int64_t caret, int preferredX)
        : a(anchor), b(caret), xpos(preferredX)
    {
    }

    int64_t begin() const { return std::min(a, b); }
    int64_t end() const { return std::max(a, b); }
    uint64_t size() const { return static_cast<uint64_t>(end() - begin()); }
    bool empty() const { return a == b; }
    bool isReversed() const { return a > b; }

    // Both ends included.
    bool contains(int64_t position) const { return begin() <= position && position <= end(); }
    bool contains(const SelectionRegion& r) const { return contains(r.a) && contains(r.b); }

    // True when the two share more than a boundary: the same extent, or an end
    // point of one strictly inside the other. Regions that only touch do not
    // intersect; a caret intersects a region only strictly inside it.
    bool intersects(const SelectionRegion& r) const;
    // `intersects`, or a caret lying on one of the other region's ends.
    bool touches(const SelectionRegion& r) const;
    // The forward region both cover, or the caret at 0 when they share no
    // character. The preferred x of the result is unset.
    SelectionRegion intersection(const SelectionRegion& r) const;
    // The smallest region holding both, pointing the way this one points.
    // The preferred x of the result is unset.
    SelectionRegion cover(const SelectionRegion& r) const;

    // Follows an insertion of `length` units at `pos`. A caret at `pos` stays
    // in front of the new text only when `stayBefore` is set; a selection
    // keeps text inserted at its start outside (before it), text inserted at
    // its end outside (after it), and widens for text inserted inside.
    void adjustForInsert(int64_t pos, int64_t length, bool stayBefore, bool resetXpos);
    // Follows the erasure of the text of `erased`: ends inside it collapse to
    // its begin, ends after it move back by its size.
    void adjustForErase(const SelectionRegion& erased, bool resetXpos);

    // Equality compares a and b only; the preferred x never takes part.
    bool operator==(const SelectionRegion& r) const { return a == r.a && b == r.b; }
    bool operator!=(const SelectionRegion& r) const { return !(*this == r); }
    // By begin, then by end.
    bool operator<(const SelectionRegion& r) const
    {
        return begin() < r.begin() || (begin() == r.begin() && end() < r.end());
    }

    int64_t a = 0; // the anchor: the end that stays put when the selection is extended
    int64_t b = 0; // the caret: the end that moves
    // Preferred horizontal layout position kept while the caret moves
    // vertically; -1 when there is none.
    double xpos = -1.0;
};

// The order that keeps a SelectionSet sorted: true when `p` lies wholly before
// `q`. Two non-empty regions may touch (p's end equal to q's begin); when
// either is a caret there must be a gap; equal regions are never before each
// other.
bool regionBefore(const SelectionRegion& p, const SelectionRegion& q);
