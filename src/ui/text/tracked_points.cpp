// Tracked points keep the snippet's positions in one sorted vector: a snippet
// has a handful of points, so a linear search by id costs less than any index
// and the sort order makes the insertion rule cheap. The order of points at
// equal positions matters: it decides which of them text typed at that
// position goes after (see adjust), and it is the order in which the snippet
// code added them.
#include "ui/text/tracked_points.h"

#include <algorithm>

#include "ui/log.h"

TrackedPointId TrackedPoints::addPoints(const std::vector<int64_t>& points)
{
    VASSERT(!points.empty());
    const int64_t first = points.front();
    auto i = std::upper_bound(
        m_points.begin(), m_points.end(), first,
        [](int64_t position, const TrackedPoint& point) { return position < point.pos; });
    VASSERT(i == m_points.end() || i->pos >= points.back());

    const TrackedPointId firstId = m_nextId;
    std::vector<TrackedPoint> added;
    added.reserve(points.size());
    for (int64_t position : points)
        added.push_back(TrackedPoint{position, m_nextId++, false});
    m_points.insert(i, added.begin(), added.end());
    return firstId;
}

int64_t TrackedPoints::indexOf(TrackedPointId id) const
{
    for (size_t index = 0; index < m_points.size(); ++index)
        if (m_points[index].id == id)
            return static_cast<int64_t>(index);
    return -1;
}

const TrackedPoint& TrackedPoints::find(TrackedPointId id) const
{
    const int64_t index = indexOf(id);
    if (index < 0)
        VASSERT(0);
    return m_points[static_cast<size_t>(index)];
}

TrackedPoint& TrackedPoints::find(TrackedPointId id)
{
    return const_cast<TrackedPoint&>(static_cast<const TrackedPoints&>(*this).find(id));
}

SelectionSet TrackedPoints::regionsOf(const std::vector<TrackedPointPair>& pairs) const
{
    SelectionSet regions;
    for (const TrackedPointPair& pair : pairs)
        regions.add(SelectionRegion(find(pair.first).pos, find(pair.second).pos));
    return regions;
}

void TrackedPoints::adjust(int64_t pos, int64_t delta, bool stayBefore)
{
    if (delta < 0) {
        const int64_t erasedEnd = pos - delta;
        for (TrackedPoint& point : m_points) {
            if (point.pos >= erasedEnd)
                point.pos += delta;
            else if (point.pos > pos)
                point.pos = pos;
        }
    } else if (delta > 0) {
        // Points at `pos` keep their place until the first current one (when
        // the mirrors are not being rewritten); from there on everything at
        // or after `pos` moves, which keeps the vector sorted.
        bool moving = false;
        for (TrackedPoint& point : m_points) {
            if (point.pos < pos)
                continue;
            if (point.pos == pos && !moving) {
                if (!point.current || stayBefore)
                    continue;
                moving = true;
            }
            point.pos += delta;
        }
    }
}

void TrackedPoints::clear()
{
    m_points.clear();
    m_nextId = 0;
}

bool TrackedPoints::operator==(const TrackedPoints& other) const
{
    if (m_nextId != other.m_nextId || m_points.size() != other.m_points.size())
        return false;
    for (size_t i = 0; i < m_points.size(); ++i) {
        const TrackedPoint& x = m_points[i];
        const TrackedPoint& y = other.m_points[i];
        if (x.pos != y.pos || x.id != y.id || x.current != y.current)
            return false;
    }
    return true;
}

bool TrackedRegion::operator==(const TrackedRegion& other) const
{
    return source == other.source && destination == other.destination &&
           sameTransform(transform, other.transform);
}

TrackedRegions::TrackedRegions() : m_groups(1) {}

void TrackedRegions::clear()
{
    m_groups.assign(1, TrackedRegionGroup());
    m_current = 0;
}

void TrackedRegions::next()
{
    VASSERT(hasNext());
    m_groups[m_current].mirrors.clear();
    ++m_current;
}

void TrackedRegions::prev()
{
    VASSERT(hasPrev());
    m_groups[m_current].mirrors.clear();
    --m_current;
}

void TrackedRegions::replaceCurrent(const std::vector<TrackedRegionGroup>& groups)
{
    const auto at = m_groups.begin() + m_current;
    if (groups.empty()) {
        // Keep the invariants: at least one group, and a current one.
        if (m_groups.size() == 1) {
            m_groups.front() = TrackedRegionGroup();
            return;
        }
        m_groups.erase(at);
        m_current = std::min<uint32_t>(m_current, static_cast<uint32_t>(m_groups.size() - 1));
        return;
    }
    *at = groups.front();
    m_groups.insert(m_groups.begin() + m_current + 1, groups.begin() + 1, groups.end());
}

void TrackedRegions::growTo(uint32_t n)
{
    if (n >= m_groups.size())
        m_groups.resize(static_cast<size_t>(n) + 1);
}

void TrackedRegions::addFieldPair(uint32_t n, const TrackedPointPair& pair)
{
    growTo(n);
    m_groups[n].fieldPairs.push_back(pair);
}

void TrackedRegions::addRegion(uint32_t n, const TrackedRegion& region)
{
    growTo(n);
    m_groups[n].mirrors.push_back(region);
}

void TrackedRegions::markCurrent(TrackedPoints& points) const
{
    for (size_t index = 0; index < m_groups.size(); ++index) {
        const bool isCurrent = index == m_current;
        const TrackedRegionGroup& group = m_groups[index];
        for (const TrackedPointPair& pair : group.fieldPairs) {
            points.find(pair.first).current = isCurrent;
            points.find(pair.second).current = isCurrent;
        }
        for (const TrackedRegion& mirror : group.mirrors) {
            points.find(mirror.source.first).current = isCurrent;
            points.find(mirror.source.second).current = isCurrent;
        }
    }
}
