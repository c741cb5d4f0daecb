#include "ui/mouse_history.h"

#include <gtest/gtest.h>

namespace {

const interval2 kButton(10, 10, 20, 20);

} // namespace

TEST(MouseHistory, PointerAtRestStaysNearZero)
{
    MouseHistory history;
    for (double t = 1.0; t < 3.0; t += 0.033) {
        history.setTime(t);
        history.addSample(t, 15, 15);
        EXPECT_NEAR(history.timeSinceInside(kButton, false), 0.0f, 1e-6);
    }
    // The rest kept one sample whose time followed the clock, so leaving
    // crosses the right edge halfway between the rest and the next sample.
    history.addSample(3.0, 15, 15);
    history.addSample(4.0, 25, 15);
    history.setTime(5.0);
    EXPECT_NEAR(history.timeSinceInside(kButton, false), 1.5f, 1e-4);
}

TEST(MouseHistory, CrossingBetweenSamplesIsInterpolatedAtTheEarliestEdge)
{
    MouseHistory history;
    // From x=0 at t=1 to x=40 at t=2 along y=15: enters the button's left
    // edge (x=10) at t=1.25 and leaves its right edge (x=20) at t=1.5.
    history.addSample(1.0, 0, 15);
    history.addSample(2.0, 40, 15);
    history.setTime(2.0);
    EXPECT_NEAR(history.timeSinceInside(kButton, false), 0.75f, 1e-5);
    history.setTime(3.0);
    EXPECT_NEAR(history.timeSinceInside(kButton, false), 1.75f, 1e-5);
    // A path that misses the button entirely.
    EXPECT_EQ(history.timeSinceInside(interval2(100, 100, 110, 110), false), FLT_MAX);
}

TEST(MouseHistory, IgnoringTheCurrentPositionGivesTheLastEdgeCrossing)
{
    MouseHistory history;
    history.addSample(1.0, 0, 15);
    history.addSample(2.0, 15, 15); // crossed x=10 at t=1+10/15
    history.setTime(4.0);
    EXPECT_NEAR(history.timeSinceInside(kButton, false), 2.0f, 1e-5);
    EXPECT_NEAR(history.timeSinceInside(kButton, true), 4.0f - (1.0f + 10.0f / 15.0f), 1e-5);
}

TEST(MouseHistory, RightEdgeIsOutside)
{
    MouseHistory history;
    history.addSample(1.0, 20, 15);
    history.setTime(1.0);
    EXPECT_EQ(history.timeSinceInside(kButton, false), FLT_MAX);
    history.addSample(1.5, 19.5f, 15);
    EXPECT_NEAR(history.timeSinceInside(kButton, false), -0.5f, 1e-6);
}

TEST(MouseHistory, TrimKeepsTheLastSampleAndDropsOldStrokes)
{
    MouseHistory history;
    history.addSample(0.0, 15, 15);
    history.setTime(60.0);
    EXPECT_NEAR(history.timeSinceInside(kButton, false), 60.0f, 1e-4);

    // An old two-sample stroke shrinks to its last sample and then goes once
    // a newer stroke exists.
    history.addSample(1.0, 50, 50);
    history.newStroke();
    history.addSample(61.0, 70, 70);
    history.addSample(62.0, 80, 80);
    history.setTime(62.0);
    EXPECT_EQ(history.strokeCount(), 1u);
    EXPECT_EQ(history.timeSinceInside(kButton, false), FLT_MAX);
}

TEST(MouseHistory, LastPositionSkipsStrokesWithFewerThanTwoSamples)
{
    MouseHistory history;
    EXPECT_EQ(history.lastPosition().x, FLT_MAX);
    history.addSample(1.0, 1, 2);
    EXPECT_EQ(history.lastPosition().x, FLT_MAX);
    history.addSample(1.1, 3, 4);
    history.newStroke();
    history.addSample(1.2, 7, 8);
    EXPECT_EQ(history.lastPosition().x, 3);
    EXPECT_EQ(history.lastPosition().y, 4);
    history.addSample(1.3, 9, 10);
    EXPECT_EQ(history.lastPosition().x, 9);
}

TEST(MouseHistory, NewerStrokeAnswersFirst)
{
    MouseHistory history;
    history.addSample(0.5, 5, 15);
    history.addSample(1.0, 15, 15);
    history.newStroke();
    history.setTime(2.0);
    EXPECT_NEAR(history.timeSinceInside(kButton, false), 1.0f, 1e-6);
    history.addSample(2.0, 50, 50);
    history.addSample(2.5, 50, 12); // the new path crosses nothing of the button
    EXPECT_NEAR(history.timeSinceInside(kButton, false), 1.0f, 1e-6);
}
