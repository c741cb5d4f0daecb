// The recent path of the pointer over one window, for hover effects of
// immediate-mode controls. While it is drawn, a control asks how long ago the
// pointer was last inside its rectangle and fades its highlight from the
// answer. The answer comes from the recorded path, so a control the pointer
// crossed between two samples still sees the visit, at the moment the path
// crossed its edge.
#pragma once

#include <cfloat>
#include <deque>
#include <list>

#include "ui/interval2.h"

struct MouseSample {
    double time = 0; // seconds
    float x = 0;
    float y = 0;
};

// One continuous pointer path, newest sample first.
class MouseStroke {
public:
    // Records a position. A pointer at rest keeps one sample whose time
    // follows the clock: a sample at the newest sample's exact position only
    // moves that sample's time.
    void addSample(double time, float x, float y);
    // When the path was last inside `rect` (half-open): the newest sample's
    // time when it is inside (unless `ignoreCurrentPosition`), else the time
    // at which the newest segment that crosses an edge of `rect` crossed it,
    // interpolated along the segment (the earliest crossing of that
    // segment). FLT_MAX when the path never was inside.
    double timeInside(const interval2& rect, bool ignoreCurrentPosition) const;
    // The newest position, or (FLT_MAX, FLT_MAX) when the stroke is empty.
    vector2 newestPosition() const;
    // Drops samples older than `cutoff` from the old end, always keeping the
    // newest one.
    void trimBefore(double cutoff);

    bool empty() const { return m_samples.empty(); }
    size_t size() const { return m_samples.size(); }

private:
    std::deque<MouseSample> m_samples; // newest at the front
};

// Kept by each window; fed by the window procedure and read by controls
// while they are drawn. Main thread only.
class MouseHistory {
public:
    // How long samples are kept.
    static constexpr double kMemorySeconds = 5.0;

    // Time 0 and one empty stroke.
    MouseHistory();

    // Sets the clock and forgets samples older than kMemorySeconds from the
    // oldest stroke (never its last sample); an oldest stroke left with fewer
    // than two samples goes while newer strokes exist.
    void setTime(double now);
    double time() const { return m_now; }
    // Records a position in the newest stroke.
    void addSample(double time, float x, float y);
    // Starts a new, empty stroke, so that the paths before and after are not
    // joined (the pointer left the window, or a drag began).
    void newStroke();

    // Seconds since the pointer was last inside `rect`, from the newest
    // stroke that shows a visit; FLT_MAX when none does.
    float timeSinceInside(const interval2& rect, bool ignoreCurrentPosition) const;
    // The newest position of the newest stroke that holds at least two
    // samples; (FLT_MAX, FLT_MAX) when none does.
    vector2 lastPosition() const;

    size_t strokeCount() const { return m_strokes.size(); }

private:
    double m_now = 0;
    std::list<MouseStroke> m_strokes; // newest first; never empty
};
