// The sorted region list behind selections, bookmarks and highlights. `add` is
// the only operation that keeps the order by itself: it finds the run of
// stored regions that clash with the new one by two binary searches under
// `regionBefore` and folds that run into one region. Every edit of a buffer
// adjusts every set of every view, and typing at N carets makes N edits in a
// row, so an edit of a sorted set must not walk all N regions: it adjusts
// exactly the few regions around the edit and leaves the tail, which moves
// whole, under one pending shift. Consecutive edits at neighbouring carets
// then only move the start of that tail by a region or two. A set put out of
// order by set() or push_back() takes one linear pass per edit, and all other
// operations settle the shift first.
#include "ui/text/selection_set.h"

#include <algorithm>
#include <set>

#include "ui/log.h"

namespace {

// The order the shortcuts of the edit adjustments need between neighbours:
// begins and ends both never decrease, and no two regions cover the same
// extent. `regionBefore` implies it.
bool inOrder(const SelectionRegion& p, const SelectionRegion& q)
{
    return p.begin() <= q.begin() && p.end() <= q.end()
        && (p.begin() != q.begin() || p.end() != q.end());
}

// What `region` becomes when it merges with the stored regions of
// [first, last): their cover, pointing the way `region` points.
template <typename Iterator>
SelectionRegion coverOfRun(const SelectionRegion& region, Iterator first, Iterator last)
{
    SelectionRegion merged = region;
    for (Iterator it = first; it != last; ++it)
        merged = merged.cover(*it);
    return merged;
}

} // namespace

SelectionSet::SelectionSet(const SelectionRegion& region)
{
    add(region);
}

void SelectionSet::settleShift() const
{
    if (m_shift != 0) {
        for (size_t i = m_shiftFrom; i < m_regions.size(); ++i) {
            m_regions[i].a += m_shift;
            m_regions[i].b += m_shift;
        }
    }
    m_shift = 0;
    m_shiftFrom = 0;
}

void SelectionSet::moveShiftStart(size_t index)
{
    if (m_shift != 0) {
        for (size_t i = index; i < m_shiftFrom; ++i) {
            m_regions[i].a -= m_shift;
            m_regions[i].b -= m_shift;
        }
        for (size_t i = m_shiftFrom; i < index; ++i) {
            m_regions[i].a += m_shift;
            m_regions[i].b += m_shift;
        }
    }
    m_shiftFrom = index;
}

bool SelectionSet::isSorted()
{
    if (m_order == Order::Unknown) {
        settleShift();
        m_order = Order::Sorted;
        for (size_t i = 1; i < m_regions.size(); ++i) {
            const SelectionRegion& p = m_regions[i - 1];
            const SelectionRegion& q = m_regions[i];
            if (!inOrder(p, q)) {
                m_order = Order::Unsorted;
                break;
            }
        }
    }
    return m_order == Order::Sorted;
}

void SelectionSet::beginChange(bool mayBreakOrder)
{
    ++m_changeCount;
    settleShift();
    if (mayBreakOrder)
        m_order = Order::Unknown;
}

void SelectionSet::add(const SelectionRegion& region)
{
    beginChange(true);
    if (region.xpos != -1.0)
        m_xposCleared = false;
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
    *first = coverOfRun(region, first, last);
    m_regions.erase(first + 1, last);
}

void SelectionSet::addAll(const SelectionSet& other)
{
    if (&other == this) {
        const SelectionSet copy = other;
        addAll(copy);
        return;
    }
    other.settleShift();
    addAll(other.m_regions);
}

void SelectionSet::addAll(const std::vector<SelectionRegion>& regions)
{
    if (regions.empty())
        return;
    // Stored regions that clash (a caret at the end of a selection) stay
    // apart until an added region touches them, which only adding one at a
    // time reproduces; sets are filled from empty where it matters (session
    // restore, search results).
    if (!m_regions.empty()) {
        for (const SelectionRegion& region : regions)
            add(region);
        return;
    }
    beginChange(true);
    std::vector<Arrival> arrivals;
    arrivals.reserve(regions.size());
    for (const SelectionRegion& region : regions) {
        if (region.xpos != -1.0)
            m_xposCleared = false;
        arrivals.push_back({region, arrivals.size()});
    }
    std::sort(arrivals.begin(), arrivals.end(), [](const Arrival& x, const Arrival& y) {
        if (x.region.begin() != y.region.begin())
            return x.region.begin() < y.region.begin();
        if (x.region.end() != y.region.end())
            return x.region.end() < y.region.end();
        return x.order < y.order;
    });

    std::vector<SelectionRegion> merged;
    merged.reserve(arrivals.size());
    size_t first = 0;
    while (first < arrivals.size()) {
        // The run of regions that clash, directly or through each other,
        // with the first: sorted by begin, a region joins when it starts
        // before the run's end, or at it as a caret or beside a caret there.
        int64_t runEnd = arrivals[first].region.end();
        bool caretAtRunEnd = arrivals[first].region.empty();
        size_t last = first + 1;
        for (; last < arrivals.size(); ++last) {
            const SelectionRegion& region = arrivals[last].region;
            if (region.begin() > runEnd ||
                (region.begin() == runEnd && !region.empty() && !caretAtRunEnd))
                break;
            if (region.end() > runEnd) {
                runEnd = region.end();
                caretAtRunEnd = false;
            }
            if (region.empty() && region.end() == runEnd)
                caretAtRunEnd = true;
        }
        if (last == first + 1)
            merged.push_back(arrivals[first].region);
        else
            mergeRun(arrivals.begin() + first, arrivals.begin() + last, merged);
        first = last;
    }
    m_regions = std::move(merged);
    m_order = Order::Sorted;
}

void SelectionSet::mergeRun(std::vector<Arrival>::iterator begin,
                            std::vector<Arrival>::iterator end,
                            std::vector<SelectionRegion>& out)
{
    // Regions of one run may merge differently in another order (a caret
    // joins two touching regions only when it arrives after both), so the
    // run is added one at a time in arrival order, into a tree: what add
    // does, at a logarithmic cost per region.
    std::sort(begin, end, [](const Arrival& x, const Arrival& y) { return x.order < y.order; });
    struct Before {
        using is_transparent = void;
        bool operator()(const SelectionRegion& p, const SelectionRegion& q) const
        {
            return regionBefore(p, q);
        }
    };
    std::set<SelectionRegion, Before> run;
    for (auto it = begin; it != end; ++it) {
        const SelectionRegion& region = it->region;
        auto [first, last] = run.equal_range(region);
        if (first == last) {
            run.insert(last, region);
            continue;
        }
        const SelectionRegion cover = coverOfRun(region, first, last);
        run.insert(run.erase(first, last), cover);
    }
    out.insert(out.end(), run.begin(), run.end());
}

void SelectionSet::subtract(const SelectionRegion& region)
{
    // Regions rebuilt here get no preferred x, so the xpos flag holds.
    beginChange(true);
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
    settleShift();
    const int64_t begin = region.begin(), end = region.end();
    return std::any_of(m_regions.begin(), m_regions.end(),
        [&](const SelectionRegion& stored) { return stored.begin() <= begin && end <= stored.end(); });
}

void SelectionSet::clear()
{
    ++m_changeCount;
    m_regions.clear();
    m_shift = 0;
    m_shiftFrom = 0;
    m_order = Order::Sorted;
    m_xposCleared = true;
}

SelectionSet::const_iterator SelectionSet::erase(const_iterator position)
{
    // Settling moves no region, so `position` stays valid.
    beginChange(false);
    return m_regions.erase(position);
}

void SelectionSet::set(size_t index, const SelectionRegion& region)
{
    VASSERT(index < m_regions.size());
    beginChange(true);
    if (region.xpos != -1.0)
        m_xposCleared = false;
    m_regions[index] = region;
}

void SelectionSet::push_back(const SelectionRegion& region)
{
    // Lists built in order by appending (search results) stay sorted.
    const bool keepsOrder = m_order == Order::Sorted &&
        (m_regions.empty() || inOrder((*this)[m_regions.size() - 1], region));
    beginChange(!keepsOrder);
    if (region.xpos != -1.0)
        m_xposCleared = false;
    m_regions.push_back(region);
}

void SelectionSet::adjustForInsert(int64_t pos, int64_t length, bool stayBefore, bool resetXpos)
{
    if (resetXpos && !m_xposCleared) {
        for (SelectionRegion& region : m_regions)
            region.xpos = -1.0;
        m_xposCleared = true;
    }
    if (length <= 0 || !isSorted()) {
        settleShift();
        for (SelectionRegion& region : m_regions)
            region.adjustForInsert(pos, length, stayBefore, false);
        return;
    }
    // With begins and ends both in order, the regions the insertion moves at
    // all form a tail of the list, and so do the regions it moves whole (both
    // ends by `length`); between the two lie only regions that straddle `pos`.
    const size_t count = m_regions.size();
    const size_t first = partitionPoint(0, count, [&](const SelectionRegion& region) {
        return region.end() < pos || (region.end() == pos && (!region.empty() || stayBefore));
    });
    const size_t whole = partitionPoint(first, count, [&](const SelectionRegion& region) {
        return region.begin() < pos || (region.begin() == pos && region.empty() && stayBefore);
    });

    moveShiftStart(whole);
    for (size_t i = first; i < whole; ++i)
        m_regions[i].adjustForInsert(pos, length, stayBefore, false);
    if (whole < count)
        m_shift += length;
    else
        m_shift = 0;
}

void SelectionSet::adjustForErase(const SelectionRegion& erased, bool resetXpos)
{
    if (resetXpos && !m_xposCleared) {
        for (SelectionRegion& region : m_regions)
            region.xpos = -1.0;
        m_xposCleared = true;
    }
    const int64_t eraseBegin = erased.begin(), eraseEnd = erased.end();
    if (!isSorted()) {
        settleShift();
        // Erasing maps positions monotonically, so regions that collapse
        // onto each other end up as neighbours.
        size_t kept = 0;
        for (size_t i = 0; i < m_regions.size(); ++i) {
            SelectionRegion region = m_regions[i];
            region.adjustForErase(erased, false);
            if (kept > 0 && region == m_regions[kept - 1])
                continue;
            m_regions[kept++] = region;
        }
        m_regions.resize(kept);
        return;
    }
    // A sorted set holds no equal neighbours, and an empty erasure moves
    // nothing.
    if (eraseBegin == eraseEnd)
        return;

    // Regions ending before the erasure stay; those beginning after it move
    // back whole; only those between change shape, and only they can
    // collapse onto each other or onto the region before them.
    const size_t count = m_regions.size();
    const size_t first = partitionPoint(0, count,
        [&](const SelectionRegion& region) { return region.end() < eraseBegin; });
    const size_t whole = partitionPoint(first, count,
        [&](const SelectionRegion& region) { return region.begin() <= eraseEnd; });
    moveShiftStart(whole);
    const int64_t length = eraseEnd - eraseBegin;
    size_t kept = first;
    for (size_t i = first; i < whole; ++i) {
        SelectionRegion region = m_regions[i];
        region.adjustForErase(erased, false);
        if (kept > 0 && region == m_regions[kept - 1])
            continue;
        m_regions[kept++] = region;
    }
    size_t tail = whole;
    if (tail < count && kept > 0) {
        SelectionRegion moved = m_regions[tail];
        moved.a += m_shift - length;
        moved.b += m_shift - length;
        if (moved == m_regions[kept - 1])
            ++tail;
    }
    m_regions.erase(m_regions.begin() + static_cast<std::ptrdiff_t>(kept),
                    m_regions.begin() + static_cast<std::ptrdiff_t>(tail));
    m_shiftFrom = kept;
    m_shift = kept < m_regions.size() ? m_shift - length : 0;

    // Two regions may now cover the same extent pointing different ways,
    // which the insertion shortcut does not handle: leave it to a recount.
    const size_t checkEnd = std::min(kept + 1, m_regions.size());
    for (size_t i = std::max<size_t>(first, 1); i < checkEnd; ++i) {
        const SelectionRegion p = (*this)[i - 1], q = (*this)[i];
        if (p.begin() == q.begin() && p.end() == q.end()) {
            m_order = Order::Unknown;
            break;
        }
    }
}

void SelectionSet::removeDuplicates()
{
    beginChange(false);
    m_regions.erase(std::unique(m_regions.begin(), m_regions.end()), m_regions.end());
}

void SelectionSet::clamp(int64_t lo, int64_t hi)
{
    // Clamping may pull two regions onto one extent pointing different ways.
    beginChange(true);
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
