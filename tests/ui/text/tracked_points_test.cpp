// Tracked points and the field groups of a snippet.
#include "ui/text/tracked_points.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "assertion_recorder.h"
#include "selection_printers.h"
#include "ui/text/util/regex_utils.h"

namespace {

std::vector<int64_t> positionsOf(const TrackedPoints& points)
{
    std::vector<int64_t> positions;
    for (const TrackedPoint& point : points.points())
        positions.push_back(point.pos);
    return positions;
}

std::vector<TrackedPointId> idsOf(const TrackedPoints& points)
{
    std::vector<TrackedPointId> ids;
    for (const TrackedPoint& point : points.points())
        ids.push_back(point.id);
    return ids;
}

SharedRegexTransform upperCase()
{
    return shareTransform(RegexTransform{makeRegex(slate::usubstring(u"\\w+"), ustring()),
                                         u"\\U$0", regexFormatFlags(u"g")});
}

TEST(TrackedPoints, AddPointsHandsOutConsecutiveIdsAndGoesAfterEqualPositions)
{
    TrackedPoints points;
    EXPECT_EQ(0u, points.addPoints({5, 9}));
    EXPECT_EQ(2u, points.addPoints({9, 12}));
    EXPECT_EQ((std::vector<int64_t>{5, 9, 9, 12}), positionsOf(points));
    EXPECT_EQ((std::vector<TrackedPointId>{0, 1, 2, 3}), idsOf(points));
    EXPECT_EQ(4u, points.addPoints({0}));
    EXPECT_EQ((std::vector<TrackedPointId>{4, 0, 1, 2, 3}), idsOf(points));

    // Ids stay with their points whatever the edits do, and start again only
    // after clear.
    points.adjust(0, -20, false);
    EXPECT_EQ(0, points.find(3).pos);
    EXPECT_EQ(4u, points.find(4).id);
    points.clear();
    EXPECT_TRUE(points.points().empty());
    EXPECT_EQ(0u, points.addPoints({1}));
}

TEST(TrackedPoints, MisuseIsAnAssertionAndChangesNothing)
{
    struct Case {
        const char* name;
        std::vector<int64_t> added;
        const char* expression;
    };
    const Case cases[] = {
        {"empty list", {}, "!points.empty()"},
        {"stored point inside the new range", {3, 8},
         "i == m_points.end() || i->pos >= points.back()"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrackedPoints points;
        points.addPoints({5});
        AssertionRecorder recorder;
        EXPECT_THROW(points.addPoints(c.added), AssertionHit);
        EXPECT_EQ(c.expression, recorder.lastExpression());
        EXPECT_EQ((std::vector<int64_t>{5}), positionsOf(points));
        EXPECT_EQ(1u, points.nextId());
    }

    TrackedPoints points;
    points.addPoints({5, 6});
    AssertionRecorder recorder;
    EXPECT_THROW(points.find(7), AssertionHit);
    EXPECT_EQ("0", recorder.lastExpression());
    EXPECT_THROW(points.regionsOf({{0, 1}, {1, 9}}), AssertionHit);
    EXPECT_EQ(2u, recorder.assertions.size());
}

TEST(TrackedPoints, ErasureMovesPointsInsideToItsStartAndLaterOnesBack)
{
    TrackedPoints points;
    points.addPoints({3, 4, 7, 10, 12});
    points.adjust(4, -6, false);
    EXPECT_EQ((std::vector<int64_t>{3, 4, 4, 4, 6}), positionsOf(points));
    points.adjust(4, 0, false);
    EXPECT_EQ((std::vector<int64_t>{3, 4, 4, 4, 6}), positionsOf(points));
}

TEST(TrackedPoints, InsertionGoesBeforeTheFirstCurrentPointUnlessStayingBefore)
{
    struct Case {
        const char* name;
        std::vector<bool> current; // of the three points at 5; one more sits at 8
        bool stayBefore;
        std::vector<int64_t> expected;
    };
    const Case cases[] = {
        {"second current", {false, true, false}, false, {5, 7, 7, 10}},
        {"second current, staying before", {false, true, false}, true, {5, 5, 5, 10}},
        {"none current", {false, false, false}, false, {5, 5, 5, 10}},
        {"first current", {true, false, false}, false, {7, 7, 7, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrackedPoints points;
        const TrackedPointId first = points.addPoints({5, 5, 5, 8});
        for (TrackedPointId i = 0; i < 3; ++i)
            points.find(first + i).current = c.current[i];
        points.adjust(5, 2, c.stayBefore);
        EXPECT_EQ(c.expected, positionsOf(points));
        EXPECT_EQ((std::vector<TrackedPointId>{0, 1, 2, 3}), idsOf(points));
    }

    TrackedPoints points;
    points.addPoints({2, 9});
    points.adjust(5, 3, false);
    EXPECT_EQ((std::vector<int64_t>{2, 12}), positionsOf(points));
}

TEST(TrackedPoints, RandomEditsKeepThePointsSortedAndTheirIds)
{
    std::mt19937 random(18);
    TrackedPoints points;
    points.addPoints({0, 0, 3, 3, 3, 7, 10, 10, 15});
    for (TrackedPointId id = 0; id < 9; ++id)
        points.find(id).current = random() % 2;
    int64_t size = 20;
    for (int step = 0; step < 2000; ++step) {
        const int64_t pos = static_cast<int64_t>(random() % static_cast<uint64_t>(size + 1));
        if (random() % 2 || size == 0) {
            const int64_t length = 1 + static_cast<int64_t>(random() % 4);
            points.adjust(pos, length, random() % 4 == 0);
            size += length;
        } else {
            const int64_t length = std::min<int64_t>(size - pos, 1 + random() % 4);
            points.adjust(pos, -length, false);
            size -= length;
        }
        const std::vector<int64_t> positions = positionsOf(points);
        ASSERT_TRUE(std::is_sorted(positions.begin(), positions.end())) << "step " << step;
        ASSERT_GE(positions.front(), 0);
        ASSERT_LE(positions.back(), size);
    }
    // Edits move points but never reorder them.
    EXPECT_EQ((std::vector<TrackedPointId>{0, 1, 2, 3, 4, 5, 6, 7, 8}), idsOf(points));
}

TEST(TrackedPoints, RegionsOfAddsEachPairInOrder)
{
    TrackedPoints points;
    const TrackedPointId first = points.addPoints({2, 4, 6, 9, 11});
    const SelectionSet regions =
        points.regionsOf({{first + 3, first + 2}, {first, first + 1}, {first + 4, first + 4}});
    ASSERT_EQ(3u, regions.size());
    EXPECT_EQ(SelectionRegion(2, 4), regions[0]);
    EXPECT_EQ(SelectionRegion(9, 6), regions[1]);
    EXPECT_EQ(SelectionRegion(11, 11), regions[2]);
}

TEST(TrackedRegions, NextAndPrevStayInsideTheGroupsAndDropTheMirrorsLeft)
{
    TrackedRegions regions;
    EXPECT_EQ(1u, regions.size());
    EXPECT_FALSE(regions.hasNext());
    EXPECT_FALSE(regions.hasPrev());

    regions.addRegion(0, TrackedRegion({0, 1}, {2, 3}, nullptr));
    regions.addFieldPair(1, {4, 5});
    regions.next();
    EXPECT_EQ(1u, regions.current());
    EXPECT_TRUE(regions.groups()[0].mirrors.empty());

    AssertionRecorder recorder;
    EXPECT_THROW(regions.next(), AssertionHit);
    EXPECT_EQ("hasNext()", recorder.lastExpression());
    regions.prev();
    EXPECT_THROW(regions.prev(), AssertionHit);
    EXPECT_EQ("hasPrev()", recorder.lastExpression());
    EXPECT_EQ(0u, regions.current());
}

TEST(TrackedRegions, AddingToAFieldBeyondTheLastGrowsTheGroups)
{
    TrackedRegions regions;
    regions.addRegion(3, TrackedRegion({0, 1}, {2, 3}, nullptr));
    ASSERT_EQ(4u, regions.size());
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(TrackedRegionGroup(), regions.groups()[i]);
    EXPECT_EQ(1u, regions.groups()[3].mirrors.size());
    regions.addFieldPair(2, {7, 8});
    EXPECT_EQ(4u, regions.size());
    EXPECT_EQ((std::vector<TrackedPointPair>{{7, 8}}), regions.groups()[2].fieldPairs);
}

TEST(TrackedRegions, ReplaceCurrentInsertsAtTheCurrentGroupAndNeverLeavesNone)
{
    TrackedRegionGroup a, b, c;
    a.fieldPairs = {{0, 1}};
    b.fieldPairs = {{2, 3}};
    c.fieldPairs = {{4, 5}};

    TrackedRegions regions;
    regions.addFieldPair(2, {9, 9});
    regions.next();
    regions.replaceCurrent({a, b});
    ASSERT_EQ(4u, regions.size());
    EXPECT_EQ(1u, regions.current());
    EXPECT_EQ(a, regions.groups()[1]);
    EXPECT_EQ(b, regions.groups()[2]);
    EXPECT_EQ((std::vector<TrackedPointPair>{{9, 9}}), regions.groups()[3].fieldPairs);

    // Replacing the last group by nothing keeps a current group, and the
    // only group is emptied rather than removed.
    regions.next();
    regions.next();
    regions.replaceCurrent({});
    EXPECT_EQ(3u, regions.size());
    EXPECT_EQ(2u, regions.current());
    TrackedRegions single;
    single.addFieldPair(0, {1, 2});
    single.replaceCurrent({});
    EXPECT_EQ(TrackedRegions(), single);
    single.replaceCurrent({c});
    EXPECT_EQ(c, single.currentGroup());
}

TEST(TrackedRegions, MarkCurrentFlagsThePointsOfTheCurrentFieldOnly)
{
    TrackedPoints points;
    const TrackedPointId first = points.addPoints({0, 1, 2, 3, 4, 5, 6, 7});
    TrackedRegions regions;
    regions.addFieldPair(0, {first, first + 1});
    regions.addFieldPair(1, {first + 2, first + 3});
    regions.addRegion(1, TrackedRegion({first + 4, first + 5}, {first + 6, first + 6}, nullptr));
    points.find(first + 7).current = true; // in no group: keeps its flag

    regions.next();
    regions.addRegion(1, TrackedRegion({first + 4, first + 5}, {first + 6, first + 6}, nullptr));
    regions.markCurrent(points);
    std::vector<bool> flags;
    for (TrackedPointId id = first; id < first + 8; ++id)
        flags.push_back(points.find(id).current);
    EXPECT_EQ((std::vector<bool>{false, false, true, true, true, true, false, true}), flags);
}

TEST(TrackedRegions, CopiesShareCompiledTransformsAndCompareByContent)
{
    auto original = std::make_unique<TrackedRegions>();
    original->addFieldPair(1, {0, 1});
    original->addRegion(1, TrackedRegion({0, 1}, {2, 3}, upperCase()));
    const SharedRegexTransform& shared = original->groups()[1].mirrors[0].transform;
    EXPECT_EQ(1, shared.use_count());

    const TrackedRegions copy = *original;
    EXPECT_EQ(2, shared.use_count());
    EXPECT_EQ(*original, copy);

    // An equal transform compiled separately compares equal too.
    TrackedRegions recompiled;
    recompiled.addFieldPair(1, {0, 1});
    recompiled.addRegion(1, TrackedRegion({0, 1}, {2, 3}, upperCase()));
    EXPECT_EQ(copy, recompiled);

    // Differing only in the current index is a difference.
    original->next();
    EXPECT_NE(*original, copy);
    original.reset();
    const SharedRegexTransform& kept = copy.groups()[1].mirrors[0].transform;
    EXPECT_EQ(1, kept.use_count());
    EXPECT_EQ(u"SNIP PET", transformText(kept, u"snip pet"));

    // So is a mirror whose format alone differs.
    TrackedRegions otherFormat;
    otherFormat.addFieldPair(1, {0, 1});
    otherFormat.addRegion(
        1, TrackedRegion({0, 1}, {2, 3},
                         shareTransform(RegexTransform{kept->regex, u"\\L$0", kept->flags})));
    EXPECT_NE(copy, otherFormat);
}

} // namespace
