// Geometry of a single directed region and how it follows edits of the text
// under it. Every edit of a buffer runs these adjustments over every
// selection, bookmark and named region of every view, so they are kept to a
// few comparisons each and never allocate.
#include "ui/text/selection_region.h"

bool SelectionRegion::intersects(const SelectionRegion& r) const
{
    const int64_t ownBegin = begin(), ownEnd = end();
    const int64_t otherBegin = r.begin(), otherEnd = r.end();
    if (ownBegin == otherBegin && ownEnd == otherEnd)
        return true;
    auto strictlyInside = [](int64_t p, int64_t first, int64_t last) { return first < p && p < last; };
    return strictlyInside(ownBegin, otherBegin, otherEnd) || strictlyInside(ownEnd, otherBegin, otherEnd)
        || strictlyInside(otherBegin, ownBegin, ownEnd) || strictlyInside(otherEnd, ownBegin, ownEnd);
}

bool SelectionRegion::touches(const SelectionRegion& r) const
{
    if (intersects(r))
        return true;
    if (empty() && (a == r.a || a == r.b))
        return true;
    return r.empty() && (r.a == a || r.a == b);
}

SelectionRegion SelectionRegion::intersection(const SelectionRegion& r) const
{
    if (end() > r.begin() && begin() < r.end())
        return SelectionRegion(std::max(begin(), r.begin()), std::min(end(), r.end()));
    return SelectionRegion(0, 0);
}

SelectionRegion SelectionRegion::cover(const SelectionRegion& r) const
{
    const int64_t first = std::min(begin(), r.begin());
    const int64_t last = std::max(end(), r.end());
    return SelectionRegion(first, last, isReversed());
}

void SelectionRegion::adjustForInsert(int64_t pos, int64_t length, bool stayBefore, bool resetXpos)
{
    if (resetXpos)
        xpos = -1.0;
    if (a == b) {
        if (a > pos || (a == pos && !stayBefore)) {
            a += length;
            b += length;
        }
        return;
    }
    // For a selection the smaller end is its begin whichever way it points;
    // shifting each end by its own rule keeps the direction.
    int64_t& first = a < b ? a : b;
    int64_t& last = a < b ? b : a;
    if (first >= pos)
        first += length;
    if (last > pos)
        last += length;
}

void SelectionRegion::adjustForErase(const SelectionRegion& erased, bool resetXpos)
{
    if (resetXpos)
        xpos = -1.0;
    const int64_t first = erased.begin(), last = erased.end();
    const int64_t removed = last - first;
    auto adjust = [&](int64_t& p) {
        if (p > last)
            p -= removed;
        else if (p >= first)
            p = first;
    };
    adjust(a);
    adjust(b);
}

bool regionBefore(const SelectionRegion& p, const SelectionRegion& q)
{
    if (p == q)
        return false;
    if (p.empty() || q.empty())
        return p.end() < q.begin();
    return p.end() <= q.begin();
}
