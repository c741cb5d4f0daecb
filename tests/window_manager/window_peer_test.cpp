#include "window_manager/window_peer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A pixel (x, y) at z = 0 through a column-order projection.
void project(const float m[16], float x, float y, float& outX, float& outY)
{
    outX = m[0] * x + m[4] * y + m[12];
    outY = m[1] * x + m[5] * y + m[13];
}

TEST(WindowPeer, ProjectionMapsTheClientAreaOntoTheViewport)
{
    float m[16];
    framePixelProjection(200, 100, m);
    float x, y;
    project(m, 0, 0, x, y);
    EXPECT_FLOAT_EQ(x, -1);
    EXPECT_FLOAT_EQ(y, 1);
    project(m, 200, 100, x, y);
    EXPECT_FLOAT_EQ(x, 1);
    EXPECT_FLOAT_EQ(y, -1);
    EXPECT_FLOAT_EQ(m[10] * 1 + m[14], 0); // z = 1 lands on depth 0
}

TEST(WindowPeer, MinimisedWindowGivesAFiniteProjection)
{
    float m[16];
    framePixelProjection(0, 0, m);
    for (float value : m)
        EXPECT_TRUE(std::isfinite(value));
}

} // namespace
