// The sorted region list behind selections, bookmarks and highlights. `add` is
// the only operation that keeps the order by itself: it finds the run of
// stored regions that clash with the new one by two binary searches under
// `regionBefore` and folds that run into one region. Everything else is a
// single linear pass, because every edit of a buffer adjusts every set of
// every view and those sets are usually small.
#include "ui/text/selection_set.h"

#include <algorithm>

#include "ui/log.h"

SelectionSet::SelectionSet(const SelectionRegion& region)
{
    add(region);
}

void SelectionSet::add(const SelectionRegion& region)
{
    ++m_changeCount;
    auto first = std::lower_bound(m_regions.begin(), m_regions.end(), region,
        [](const SelectionRegion& stored, const SelectionRegion& r) { return regionBefore(stored, r); });
    // Searching on from `first` keeps the run well formed even when set() or
    // push_back() left the list out of order.
    auto last = std::upper_bound(first, m_regions.end(), region,
        [](const SelectionRegion& r, const SelectionRegion& stored) { return regionBefore(r, stored); });
    if (first == last) {
        m_regions.insert(first, region);
        return;
    }
    SelectionRegion merged = region;
    for (auto it = first; it != last; ++it)
        merged = merged.cover(*it);
    *first = merged;
    m_regions.erase(first + 1, last);
}

void SelectionSet::addAll(const SelectionSet& other)
{
    if (&other == this) {
        const SelectionSet copy = other;
        addAll(copy);
        return;
    }
    for (const SelectionRegion& region : other.m_regions)
        add(region);
}

void SelectionSet::subtract(const SelectionRegion& region)
{
    ++m_changeCount;
    const int64_t cutBegin = region.begin(), cutEnd = region.end();
    for (size_t i = 0; i < m_regions.size();) {
        SelectionRegion& p = m_regions[i];
        const int64_t begin = p.begin(), end = p.end();
        if (region.contains(p)) {
            m_regions.erase(m_regions.begin() + i);
            continue;
        }
        if (begin < cutBegin && cutEnd < end) {
            // The cut lies strictly inside this region, so no other region can
            // reach it: split and stop.
            p = SelectionRegion(begin, cutBegin);
            add(SelectionRegion(cutEnd, end));
            return;
        }
        if (begin < cutBegin && cutBegin <= end)
            p = SelectionRegion(begin, cutBegin, p.isReversed());
        else if (begin <= cutEnd && cutEnd <= end)
            p = SelectionRegion(cutEnd, end, p.isReversed());
        ++i;
    }
}

bool SelectionSet::contains(const SelectionRegion& region) const
{
    const int64_t begin = region.begin(), end = region.end();
    return std::any_of(m_regions.begin(), m_regions.end(),
        [&](const SelectionRegion& stored) { return stored.begin() <= begin && end <= stored.end(); });
}

void SelectionSet::clear()
{
    ++m_changeCount;
    m_regions.clear();
}

SelectionSet::const_iterator SelectionSet::erase(const_iterator position)
{
    ++m_changeCount;
    return m_regions.erase(position);
}

void SelectionSet::set(size_t index, const SelectionRegion& region)
{
    VASSERT(index < m_regions.size());
    ++m_changeCount;
    m_regions[index] = region;
}

void SelectionSet::push_back(const SelectionRegion& region)
{
    ++m_changeCount;
    m_regions.push_back(region);
}

void SelectionSet::adjustForInsert(int64_t pos, int64_t length, bool stayBefore, bool resetXpos)
{
    for (SelectionRegion& region : m_regions)
        region.adjustForInsert(pos, length, stayBefore, resetXpos);
}

void SelectionSet::adjustForErase(const SelectionRegion& erased, bool resetXpos)
{
    // Erasing maps positions monotonically, so the order survives and regions
    // that collapse onto each other end up as neighbours.
    size_t kept = 0;
    for (size_t i = 0; i < m_regions.size(); ++i) {
        SelectionRegion region = m_regions[i];
        region.adjustForErase(erased, resetXpos);
        if (kept > 0 && region == m_regions[kept - 1])
            continue;
        m_regions[kept++] = region;
    }
    m_regions.resize(kept);
}

void SelectionSet::removeDuplicates()
{
    ++m_changeCount;
    m_regions.erase(std::unique(m_regions.begin(), m_regions.end()), m_regions.end());
}

void SelectionSet::clamp(int64_t lo, int64_t hi)
{
    ++m_changeCount;
    for (SelectionRegion& region : m_regions) {
        for (int64_t* end : {&region.a, &region.b}) {
            if (*end < lo)
                *end = lo;
            else if (*end > hi)
                *end = hi;
        }
    }
    removeDuplicates();
}
