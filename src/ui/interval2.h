// The toolkit's rectangle and point, in window pixels with the origin at the
// top left and y growing downward.
#pragma once

#include <algorithm>
#include <cfloat>

struct vector2 {
    float x = 0;
    float y = 0;
};

// Left, top, right and bottom. Empty when x1 <= x0 or y1 <= y0. The default
// value is the unset rectangle {FLT_MAX, FLT_MAX, FLT_MIN, FLT_MIN}, which as
// a clip means no clipping.
struct interval2 {
    float x0 = FLT_MAX;
    float y0 = FLT_MAX;
    float x1 = FLT_MIN;
    float y1 = FLT_MIN;

    interval2() = default;
    interval2(float left, float top, float right, float bottom) : x0(left), y0(top), x1(right), y1(bottom) {}

    bool empty() const { return x1 <= x0 || y1 <= y0; }
    // Half-open: the right and bottom edges are outside.
    bool contains(float x, float y) const { return x0 <= x && x < x1 && y0 <= y && y < y1; }
    bool contains(const vector2& p) const { return contains(p.x, p.y); }
    // Whether every edge of `other` lies within the closed range of this
    // rectangle's edges.
    bool contains(const interval2& other) const
    {
        return x0 <= other.x0 && other.x0 <= x1 && x0 <= other.x1 && other.x1 <= x1 &&
               y0 <= other.y0 && other.y0 <= y1 && y0 <= other.y1 && other.y1 <= y1;
    }
    // The smallest rectangle covering both (edge by edge, whether or not
    // either is empty).
    interval2 united(const interval2& other) const
    {
        return interval2(std::min(x0, other.x0), std::min(y0, other.y0), std::max(x1, other.x1),
                         std::max(y1, other.y1));
    }
};

inline bool operator==(const interval2& a, const interval2& b)
{
    return a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1;
}
inline bool operator!=(const interval2& a, const interval2& b) { return !(a == b); }
