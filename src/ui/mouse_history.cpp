// Strokes are kept newest first and trimmed only from the oldest one, so a
// query walks at most the last few seconds of samples plus one per stroke.
// Edge crossings are found per segment against the four edges in a fixed
// order; the earliest time among the crossings of the newest crossing
// segment is the moment the pointer entered or left the rectangle.
#include "ui/mouse_history.h"

namespace {

// The parameter u (0..1 along p0->p1) at which the segment crosses the edge
// q0->q1 (inclusive at both ends of both), or a negative value when it does
// not; parallel segments never cross.
double crossing(double p0x, double p0y, double p1x, double p1y, double q0x, double q0y, double q1x,
                double q1y)
{
    const double rx = p1x - p0x;
    const double ry = p1y - p0y;
    const double sx = q1x - q0x;
    const double sy = q1y - q0y;
    const double denominator = rx * sy - ry * sx;
    if (denominator == 0)
        return -1;
    const double qpx = q0x - p0x;
    const double qpy = q0y - p0y;
    const double u = (qpx * sy - qpy * sx) / denominator;
    const double v = (qpx * ry - qpy * rx) / denominator;
    if (u < 0 || u > 1 || v < 0 || v > 1)
        return -1;
    return u;
}

} // namespace

void MouseStroke::addSample(double time, float x, float y)
{
    if (!m_samples.empty() && m_samples.front().x == x && m_samples.front().y == y) {
        m_samples.front().time = time;
        return;
    }
    m_samples.push_front({time, x, y});
}

double MouseStroke::timeInside(const interval2& rect, bool ignoreCurrentPosition) const
{
    if (m_samples.empty())
        return FLT_MAX;
    const MouseSample& newest = m_samples.front();
    if (!ignoreCurrentPosition && rect.contains(newest.x, newest.y))
        return newest.time;
    const double corners[5][2] = {
        {rect.x0, rect.y0}, {rect.x1, rect.y0}, {rect.x1, rect.y1}, {rect.x0, rect.y1}, {rect.x0, rect.y0},
    };
    for (size_t i = 0; i + 1 < m_samples.size(); ++i) {
        const MouseSample& n = m_samples[i];
        const MouseSample& o = m_samples[i + 1];
        double earliest = FLT_MAX;
        bool crossed = false;
        for (int edge = 0; edge < 4; ++edge) {
            const double u = crossing(n.x, n.y, o.x, o.y, corners[edge][0], corners[edge][1],
                                      corners[edge + 1][0], corners[edge + 1][1]);
            if (u < 0)
                continue;
            const double time = n.time + (o.time - n.time) * u;
            if (!crossed || time < earliest)
                earliest = time;
            crossed = true;
        }
        if (crossed)
            return earliest;
    }
    return FLT_MAX;
}

vector2 MouseStroke::newestPosition() const
{
    if (m_samples.empty())
        return {FLT_MAX, FLT_MAX};
    return {m_samples.front().x, m_samples.front().y};
}

void MouseStroke::trimBefore(double cutoff)
{
    while (m_samples.size() > 1 && m_samples.back().time < cutoff)
        m_samples.pop_back();
}

MouseHistory::MouseHistory() : m_strokes(1) {}

void MouseHistory::setTime(double now)
{
    m_now = now;
    const double cutoff = now - kMemorySeconds;
    for (;;) {
        MouseStroke& oldest = m_strokes.back();
        oldest.trimBefore(cutoff);
        if (m_strokes.size() == 1 || oldest.size() >= 2)
            return;
        m_strokes.pop_back();
    }
}

void MouseHistory::addSample(double time, float x, float y)
{
    m_strokes.front().addSample(time, x, y);
}

void MouseHistory::newStroke()
{
    m_strokes.emplace_front();
}

float MouseHistory::timeSinceInside(const interval2& rect, bool ignoreCurrentPosition) const
{
    for (const MouseStroke& stroke : m_strokes) {
        const double time = stroke.timeInside(rect, ignoreCurrentPosition);
        if (time != FLT_MAX)
            return static_cast<float>(m_now - time);
    }
    return FLT_MAX;
}

vector2 MouseHistory::lastPosition() const
{
    for (const MouseStroke& stroke : m_strokes) {
        if (stroke.size() >= 2)
            return stroke.newestPosition();
    }
    return {FLT_MAX, FLT_MAX};
}
