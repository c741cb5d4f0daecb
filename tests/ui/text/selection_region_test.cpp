#include "ui/text/selection_region.h"

#include <gtest/gtest.h>

#include "selection_printers.h"

TEST(SelectionRegion, DerivedValuesFollowDirection)
{
    const SelectionRegion reversed(9, 4);
    EXPECT_EQ(reversed.begin(), 4);
    EXPECT_EQ(reversed.end(), 9);
    EXPECT_EQ(reversed.size(), 5u);
    EXPECT_TRUE(reversed.isReversed());
    EXPECT_FALSE(reversed.empty());
    EXPECT_EQ(SelectionRegion(3, 8, true), SelectionRegion(8, 3));
    EXPECT_EQ(SelectionRegion(3, 8, 17).xpos, 17.0);
    EXPECT_EQ(SelectionRegion(3, 8).xpos, -1.0);
    EXPECT_TRUE(SelectionRegion(6).empty());
}

TEST(SelectionRegion, EqualityIgnoresPreferredX)
{
    EXPECT_EQ(SelectionRegion(2, 5, 100), SelectionRegion(2, 5));
    EXPECT_NE(SelectionRegion(2, 5), SelectionRegion(5, 2));
    EXPECT_LT(SelectionRegion(5, 2), SelectionRegion(2, 6));
    EXPECT_LT(SelectionRegion(2, 5), SelectionRegion(3, 3));
}

TEST(SelectionRegion, AdjustForInsert)
{
    struct Case {
        SelectionRegion before;
        int64_t pos, length;
        bool stayBefore;
        SelectionRegion after;
    };
    const Case cases[] = {
        {{10, 10}, 10, 3, false, {13, 13}},
        {{10, 10}, 10, 3, true, {10, 10}},
        {{9, 9}, 10, 3, false, {9, 9}},
        {{11, 11}, 10, 3, true, {14, 14}},
        {{10, 20}, 10, 3, false, {13, 23}}, // at the start: the text ends up before it
        {{5, 10}, 10, 3, false, {5, 10}}, // at the end: after it
        {{5, 10}, 7, 3, false, {5, 13}}, // inside: it widens
        {{20, 10}, 10, 3, false, {23, 13}}, // reversed keeps its direction
        {{20, 10}, 15, 3, true, {23, 10}},
        {{20, 10}, 20, 3, false, {20, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.before.a << ", " << c.before.b << ") insert " << c.length
                                        << " at " << c.pos << (c.stayBefore ? " staying before" : ""));
        SelectionRegion r = c.before;
        r.adjustForInsert(c.pos, c.length, c.stayBefore, false);
        EXPECT_EQ(r, c.after);
    }
}

TEST(SelectionRegion, AdjustForErase)
{
    struct Case {
        SelectionRegion before;
        SelectionRegion erased;
        SelectionRegion after;
    };
    const Case cases[] = {
        {{2, 6}, {4, 8}, {2, 4}},
        {{6, 12}, {4, 8}, {4, 8}},
        {{5, 5}, {4, 8}, {4, 4}},
        {{9, 9}, {4, 8}, {5, 5}},
        {{8, 8}, {4, 8}, {4, 4}}, // on the end of the erased text
        {{12, 2}, {4, 8}, {8, 2}}, // reversed, erased text inside
        {{1, 3}, {4, 8}, {1, 3}},
        {{1, 3}, {8, 4}, {1, 3}}, // the erased region's direction does not matter
        {{10, 20}, {8, 4}, {6, 16}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.before.a << ", " << c.before.b << ") erase (" << c.erased.a
                                        << ", " << c.erased.b << ")");
        SelectionRegion r = c.before;
        r.adjustForErase(c.erased, false);
        EXPECT_EQ(r, c.after);
    }
}

TEST(SelectionRegion, AdjustmentsResetPreferredXOnlyWhenAsked)
{
    SelectionRegion r(2, 5, 40);
    r.adjustForInsert(0, 1, false, false);
    EXPECT_EQ(r.xpos, 40.0);
    r.adjustForErase(SelectionRegion(0, 1), false);
    EXPECT_EQ(r.xpos, 40.0);
    r.adjustForInsert(100, 1, false, true);
    EXPECT_EQ(r.xpos, -1.0);
    r.xpos = 40.0;
    r.adjustForErase(SelectionRegion(100, 101), true);
    EXPECT_EQ(r.xpos, -1.0);
}

TEST(SelectionRegion, IntersectsAndTouches)
{
    struct Case {
        SelectionRegion first, second;
        bool intersects, touches;
    };
    const Case cases[] = {
        {{2, 5}, {5, 8}, false, false}, // non-empty regions that meet
        {{5, 5}, {2, 5}, false, true}, // a caret on an edge
        {{5, 5}, {5, 8}, false, true},
        {{2, 5}, {5, 5}, false, true},
        {{4, 4}, {2, 8}, true, true}, // a caret strictly inside
        {{3, 3}, {3, 3}, true, true},
        {{3, 3}, {4, 4}, false, false},
        {{2, 5}, {5, 2}, true, true}, // same extent, either direction
        {{2, 6}, {4, 9}, true, true},
        {{2, 9}, {4, 6}, true, true},
        {{1, 2}, {4, 6}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.first.a << ", " << c.first.b << ") and (" << c.second.a << ", "
                                        << c.second.b << ")");
        EXPECT_EQ(c.first.intersects(c.second), c.intersects);
        EXPECT_EQ(c.second.intersects(c.first), c.intersects);
        EXPECT_EQ(c.first.touches(c.second), c.touches);
        EXPECT_EQ(c.second.touches(c.first), c.touches);
    }
}

TEST(SelectionRegion, IntersectionIsForwardOrTheCaretAtZero)
{
    EXPECT_EQ(SelectionRegion(2, 5).intersection(SelectionRegion(5, 8)), SelectionRegion(0, 0));
    EXPECT_EQ(SelectionRegion(2, 8).intersection(SelectionRegion(4, 4)), SelectionRegion(4, 4));
    EXPECT_EQ(SelectionRegion(8, 2).intersection(SelectionRegion(9, 5)), SelectionRegion(5, 8));
    EXPECT_EQ(SelectionRegion(2, 8, 30).intersection(SelectionRegion(3, 4)).xpos, -1.0);
}

TEST(SelectionRegion, CoverTakesThisRegionsDirection)
{
    EXPECT_EQ(SelectionRegion(2, 4).cover(SelectionRegion(9, 6)), SelectionRegion(2, 9));
    EXPECT_EQ(SelectionRegion(4, 2).cover(SelectionRegion(6, 9)), SelectionRegion(9, 2));
    EXPECT_EQ(SelectionRegion(4, 2, 50).cover(SelectionRegion(3, 3)).xpos, -1.0);
}

TEST(SelectionRegion, RegionBeforeLetsOnlyNonEmptyRegionsTouch)
{
    EXPECT_TRUE(regionBefore(SelectionRegion(2, 5), SelectionRegion(5, 8)));
    EXPECT_FALSE(regionBefore(SelectionRegion(5, 5), SelectionRegion(5, 8)));
    EXPECT_FALSE(regionBefore(SelectionRegion(2, 5), SelectionRegion(5, 5)));
    EXPECT_TRUE(regionBefore(SelectionRegion(4, 4), SelectionRegion(5, 5)));
    EXPECT_FALSE(regionBefore(SelectionRegion(4, 4), SelectionRegion(4, 4)));
    EXPECT_FALSE(regionBefore(SelectionRegion(5, 8), SelectionRegion(2, 5)));
}
