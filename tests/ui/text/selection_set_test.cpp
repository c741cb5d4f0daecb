#include "ui/text/selection_set.h"

#include <algorithm>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "selection_printers.h"

namespace {

SelectionSet setOf(std::initializer_list<SelectionRegion> regions)
{
    SelectionSet set;
    for (const SelectionRegion& region : regions)
        set.add(region);
    return set;
}

// The regions as written, without going through add.
SelectionSet rawSetOf(std::initializer_list<SelectionRegion> regions)
{
    SelectionSet set;
    for (const SelectionRegion& region : regions)
        set.push_back(region);
    return set;
}

} // namespace

TEST(SelectionSet, AddMergesOnlyWhatClashes)
{
    struct Case {
        const char* name;
        SelectionSet before;
        SelectionRegion added;
        SelectionSet after;
    };
    const Case cases[] = {
        {"touching selections stay apart", setOf({{2, 5}}), {5, 8}, rawSetOf({{2, 5}, {5, 8}})},
        {"a caret on an edge merges", setOf({{2, 5}}), SelectionRegion(5), rawSetOf({{2, 5}})},
        {"a caret on a shared edge joins both", setOf({{2, 5}, {5, 8}}), SelectionRegion(5), rawSetOf({{2, 8}})},
        {"a caret at a caret merges", setOf({SelectionRegion(3)}), SelectionRegion(3), rawSetOf({{3, 3}})},
        {"carets apart stay apart", setOf({SelectionRegion(3)}), SelectionRegion(4), rawSetOf({{3, 3}, {4, 4}})},
        {"a reversed cover keeps its direction", setOf({{2, 4}, {6, 7}}), {9, 1}, rawSetOf({{9, 1}})},
        {"the added region's direction wins", setOf({{4, 2}}), {3, 6}, rawSetOf({{2, 6}})},
        {"inserted in order", setOf({{1, 2}, {8, 9}}), {4, 5}, rawSetOf({{1, 2}, {4, 5}, {8, 9}})},
        {"overlap at the front", setOf({{4, 8}, {10, 12}}), {2, 5}, rawSetOf({{2, 8}, {10, 12}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectionSet set = c.before;
        set.add(c.added);
        EXPECT_EQ(set, c.after);
    }
}

TEST(SelectionSet, AddKeepsPreferredXUnlessItMerges)
{
    SelectionSet set = setOf({{2, 4}, {6, 7}});
    set.add(SelectionRegion(10, 12, 33));
    EXPECT_EQ(set[2].xpos, 33.0);
    set.add(SelectionRegion(9, 1, 33));
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set[0], SelectionRegion(9, 1));
    EXPECT_EQ(set[0].xpos, -1.0);
    EXPECT_EQ(set[1].xpos, 33.0);
}

TEST(SelectionSet, Subtract)
{
    struct Case {
        const char* name;
        SelectionSet before;
        SelectionRegion removed;
        SelectionSet after;
    };
    const Case cases[] = {
        {"from the middle splits", setOf({{2, 8}}), {4, 6}, rawSetOf({{2, 4}, {6, 8}})},
        {"from the start", setOf({{2, 8}}), {2, 5}, rawSetOf({{5, 8}})},
        {"everything", setOf({{2, 8}}), {0, 10}, SelectionSet()},
        {"keeps a trimmed region's direction", setOf({{8, 2}}), {6, 9}, rawSetOf({{6, 2}})},
        {"a split comes out forward", setOf({{8, 2}}), {4, 6}, rawSetOf({{2, 4}, {6, 8}})},
        {"a caret strictly inside splits", setOf({{2, 8}}), SelectionRegion(5), rawSetOf({{2, 5}, {5, 8}})},
        {"a caret on an edge changes nothing", setOf({{2, 5}}), SelectionRegion(5), rawSetOf({{2, 5}})},
        {"a caret removes a caret", setOf({SelectionRegion(5), SelectionRegion(9)}), SelectionRegion(5),
            rawSetOf({{9, 9}})},
        {"across several regions", setOf({{1, 3}, {4, 6}, {7, 9}}), {2, 8}, rawSetOf({{1, 2}, {8, 9}})},
        {"nothing in reach", setOf({{1, 3}}), {5, 7}, rawSetOf({{1, 3}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectionSet set = c.before;
        set.subtract(c.removed);
        EXPECT_EQ(set, c.after);
    }
}

TEST(SelectionSet, ClampKeepsRegionsThatStayDistinct)
{
    struct Case {
        SelectionSet before;
        SelectionSet after;
    };
    const Case cases[] = {
        {rawSetOf({{8, 12}, {11, 15}}), rawSetOf({{8, 10}, {10, 10}})},
        {rawSetOf({{11, 12}, {13, 15}}), rawSetOf({{10, 10}})},
        {rawSetOf({{-4, 3}, {12, 5}}), rawSetOf({{0, 3}, {10, 5}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.before));
        SelectionSet set = c.before;
        set.clamp(0, 10);
        EXPECT_EQ(set, c.after);
    }
}

TEST(SelectionSet, AdjustForEraseDropsRegionsThatCollapseTogether)
{
    SelectionSet set = setOf({SelectionRegion(3), SelectionRegion(5), SelectionRegion(9)});
    set.adjustForErase(SelectionRegion(2, 6), false);
    EXPECT_EQ(set, rawSetOf({{2, 2}, {5, 5}}));

    SelectionSet regions = setOf({{1, 3}, {4, 6}, {8, 9}});
    regions.adjustForInsert(4, 2, false, false);
    EXPECT_EQ(regions, rawSetOf({{1, 3}, {6, 8}, {10, 11}}));
}

// Appended regions that overlap can collapse onto one extent pointing
// different ways; once the region between two equal ones goes, any later
// erasure, however far away, drops the second of them.
TEST(SelectionSet, AdjustForEraseDropsEqualNeighboursAnywhere)
{
    SelectionSet set = rawSetOf({{1, 5}, {6, 1}, {1, 7}});
    set.adjustForErase(SelectionRegion(5, 7), false);
    EXPECT_EQ(set, rawSetOf({{1, 5}, {5, 1}, {1, 5}}));
    set.erase(set.begin() + 1);
    set.adjustForErase(SelectionRegion(20, 21), false);
    EXPECT_EQ(set, rawSetOf({{1, 5}}));
}

TEST(SelectionSet, RemoveDuplicatesKeepsTheFirstOfEachRun)
{
    SelectionSet set = rawSetOf({{1, 1}, SelectionRegion(4, 4, 7), {4, 4}, {4, 4}, {6, 2}, {6, 2}});
    set.removeDuplicates();
    EXPECT_EQ(set, rawSetOf({{1, 1}, {4, 4}, {6, 2}}));
    EXPECT_EQ(set[1].xpos, 7.0);
}

TEST(SelectionSet, ContainsNeedsOneRegionHoldingItAll)
{
    const SelectionSet set = setOf({{2, 8}, {8, 12}});
    EXPECT_TRUE(set.contains(SelectionRegion(5, 3)));
    EXPECT_TRUE(set.contains(SelectionRegion(8)));
    EXPECT_TRUE(set.contains(SelectionRegion(2, 8)));
    EXPECT_FALSE(set.contains(SelectionRegion(7, 9)));
    EXPECT_FALSE(set.contains(SelectionRegion(0)));
}

TEST(SelectionSet, ChangeCounterCountsSelectionChangesButNotEdits)
{
    SelectionSet set(SelectionRegion(2, 4));
    EXPECT_EQ(set.changeCount(), 1u);
    set.add(SelectionRegion(3, 6)); // a merge is one change
    EXPECT_EQ(set.changeCount(), 2u);
    set.adjustForInsert(0, 5, false, true);
    set.adjustForErase(SelectionRegion(0, 1), true);
    EXPECT_EQ(set.changeCount(), 2u);
    set.clamp(0, 100); // clamping, then removing duplicates
    EXPECT_EQ(set.changeCount(), 4u);

    SelectionSet copy = set;
    EXPECT_EQ(copy.changeCount(), 4u);
    copy.push_back(SelectionRegion(50));
    copy.erase(copy.begin() + 1);
    EXPECT_EQ(copy.changeCount(), 6u);
    EXPECT_EQ(copy, set);
}

TEST(SelectionSet, EraseReturnsTheNextRegion)
{
    SelectionSet set = setOf({{1, 2}, {4, 5}, {7, 8}});
    auto next = set.erase(set.begin() + 1);
    ASSERT_NE(next, set.end());
    EXPECT_EQ(*next, SelectionRegion(7, 8));
}

namespace {

// A plain list whose add and subtract are worked out from the meaning of the
// operations (what clashes, what is left of each region) rather than from the
// set's sorted bookkeeping.
class NaiveSet {
public:
    std::vector<SelectionRegion> regions;

    static bool clash(const SelectionRegion& s, const SelectionRegion& r)
    {
        if (s.empty() && r.empty())
            return s.a == r.a;
        if (s.empty())
            return r.begin() <= s.a && s.a <= r.end();
        if (r.empty())
            return s.begin() <= r.a && r.a <= s.end();
        return std::min(s.end(), r.end()) - std::max(s.begin(), r.begin()) > 0;
    }

    void add(const SelectionRegion& r)
    {
        int64_t first = r.begin(), last = r.end();
        bool merged = false;
        std::vector<SelectionRegion> kept;
        for (const SelectionRegion& s : regions) {
            if (clash(s, r)) {
                first = std::min(first, s.begin());
                last = std::max(last, s.end());
                merged = true;
            } else {
                kept.push_back(s);
            }
        }
        SelectionRegion result = r;
        if (merged)
            result = SelectionRegion(first, last, r.isReversed());
        kept.push_back(result);
        regions = sorted(kept);
    }

    void subtract(const SelectionRegion& r)
    {
        std::vector<SelectionRegion> pieces, splitOff;
        for (const SelectionRegion& p : regions) {
            if (p.empty()) {
                if (!(r.begin() <= p.a && p.a <= r.end()))
                    pieces.push_back(p);
                continue;
            }
            if (r.begin() <= p.begin() && p.end() <= r.end())
                continue;
            const bool hasLeft = r.begin() > p.begin();
            const bool hasRight = r.end() < p.end();
            const SelectionRegion left(p.begin(), std::min(p.end(), r.begin()));
            const SelectionRegion right(std::max(p.begin(), r.end()), p.end());
            if (hasLeft && hasRight) {
                // The second half is added like any new region.
                pieces.push_back(left);
                splitOff.push_back(right);
            } else {
                const SelectionRegion& piece = hasLeft ? left : right;
                pieces.push_back(SelectionRegion(piece.a, piece.b, p.isReversed()));
            }
        }
        regions = sorted(pieces);
        for (const SelectionRegion& piece : splitOff)
            add(piece);
    }

    static std::vector<SelectionRegion> sorted(std::vector<SelectionRegion> list)
    {
        std::stable_sort(list.begin(), list.end());
        return list;
    }
};

SelectionRegion randomRegion(std::mt19937& random)
{
    const int64_t a = random() % 41;
    const int64_t b = random() % 3 == 0 ? a : a + static_cast<int64_t>(random() % 9) - 4;
    return SelectionRegion(a, b, static_cast<int>(random() % 100));
}

} // namespace

TEST(SelectionSet, RandomOperationsAgreeWithANaiveModel)
{
    std::mt19937 random(1862);
    SelectionSet set;
    NaiveSet model;
    // Erasing and clamping may leave a caret on the edge of a region, which
    // add never does; the order checks apply only while that cannot be.
    bool strictlyOrdered = true;
    for (int step = 0; step < 6000; ++step) {
        const unsigned choice = random() % 100;
        bool compareXpos = false;
        const std::string before = testing::PrintToString(set);
        if (choice < 45) {
            const SelectionRegion r = randomRegion(random);
            set.add(r);
            model.add(r);
            compareXpos = true;
        } else if (choice < 60) {
            const SelectionRegion r = randomRegion(random);
            set.subtract(r);
            model.subtract(r);
        } else if (choice < 70) {
            const int64_t pos = random() % 45;
            const int64_t length = 1 + random() % 5;
            const bool stayBefore = random() % 2;
            set.adjustForInsert(pos, length, stayBefore, false);
            for (SelectionRegion& r : model.regions)
                r.adjustForInsert(pos, length, stayBefore, false);
        } else if (choice < 78) {
            const SelectionRegion erased = randomRegion(random);
            set.adjustForErase(erased, false);
            std::vector<SelectionRegion> adjusted;
            for (SelectionRegion r : model.regions) {
                r.adjustForErase(erased, false);
                if (adjusted.empty() || !(adjusted.back() == r))
                    adjusted.push_back(r);
            }
            model.regions = adjusted;
            strictlyOrdered = false;
        } else if (choice < 81) {
            const int64_t lo = random() % 10, hi = 30 + random() % 20;
            set.clamp(lo, hi);
            std::vector<SelectionRegion> clamped;
            for (SelectionRegion r : model.regions) {
                r.a = std::min(std::max(r.a, lo), hi);
                r.b = std::min(std::max(r.b, lo), hi);
                if (clamped.empty() || !(clamped.back() == r))
                    clamped.push_back(r);
            }
            model.regions = clamped;
            strictlyOrdered = false;
        } else if (choice < 86) {
            const SelectionRegion r = randomRegion(random);
            const bool expected = std::any_of(model.regions.begin(), model.regions.end(),
                [&](const SelectionRegion& s) { return s.begin() <= r.begin() && r.end() <= s.end(); });
            ASSERT_EQ(set.contains(r), expected) << "step " << step;
        } else if (choice < 89) {
            set.clear();
            model.regions.clear();
            strictlyOrdered = true;
        } else if (choice < 90) {
            set.clear();
            model.regions.clear();
            strictlyOrdered = true;
            for (int i = 0; i < 6; ++i) {
                const SelectionRegion r = randomRegion(random);
                set.add(r);
                model.add(r);
            }
        } else {
            SelectionSet other;
            for (int i = 0; i < 3; ++i) {
                const SelectionRegion r = randomRegion(random);
                other.add(r);
            }
            set.addAll(other);
            for (const SelectionRegion& r : other)
                model.add(r);
            compareXpos = true;
        }

        ASSERT_EQ(set.regions(), model.regions) << "step " << step << " choice " << choice << " before " << before;
        for (size_t i = 0; i < set.size(); ++i) {
            if (compareXpos) {
                ASSERT_EQ(set[i].xpos, model.regions[i].xpos) << "step " << step << " region " << i;
            }
            model.regions[i].xpos = set[i].xpos;
            if (strictlyOrdered && i > 0) {
                ASSERT_TRUE(regionBefore(set[i - 1], set[i])) << "step " << step << " region " << i;
            }
        }
    }
}

// Edits of the text move most regions of a sorted set lazily; this walks long
// runs of insertions and erasures (with reads, copies and other changes in
// between, as many-caret typing and its commands make) against adjusting every
// region at once.
TEST(SelectionSet, RunsOfEditsAgreeWithAdjustingEveryRegion)
{
    std::mt19937 random(5077);
    for (int round = 0; round < 60; ++round) {
        SelectionSet set;
        const int regionCount = static_cast<int>(random() % 40);
        for (int i = 0; i < regionCount; ++i) {
            const int64_t a = random() % 300;
            const int64_t b = random() % 2 == 0 ? a : a + static_cast<int64_t>(random() % 7) - 3;
            set.add(SelectionRegion(a, b, static_cast<int>(random() % 4) - 1));
        }
        std::vector<SelectionRegion> model = set.regions();
        for (int step = 0; step < 400; ++step) {
            const unsigned choice = random() % 100;
            const size_t count = model.size();
            if (choice < 60) {
                // Mostly at or beside a region's ends, in both walking orders.
                int64_t pos = random() % 320;
                if (count > 0 && random() % 4 != 0) {
                    const SelectionRegion& near = model[random() % count];
                    pos = (random() % 2 == 0 ? near.a : near.b) + static_cast<int64_t>(random() % 3) - 1;
                }
                const int64_t length = random() % 8 == 0 ? 0 : 1 + random() % 3;
                const bool stayBefore = random() % 3 == 0;
                const bool resetXpos = random() % 2 == 0;
                set.adjustForInsert(pos, length, stayBefore, resetXpos);
                for (SelectionRegion& region : model)
                    region.adjustForInsert(pos, length, stayBefore, resetXpos);
            } else if (choice < 82) {
                // Also over whole regions and from one region into the next.
                int64_t a = random() % 320;
                if (count > 0 && random() % 4 != 0) {
                    const SelectionRegion& near = model[random() % count];
                    a = (random() % 2 == 0 ? near.begin() : near.end()) + static_cast<int64_t>(random() % 3) - 1;
                }
                const int64_t length = random() % 6 == 0 ? static_cast<int64_t>(random() % 40) : static_cast<int64_t>(random() % 6);
                const SelectionRegion erased(a, a + length);
                const bool resetXpos = random() % 2 == 0;
                set.adjustForErase(erased, resetXpos);
                std::vector<SelectionRegion> adjusted;
                for (SelectionRegion region : model) {
                    region.adjustForErase(erased, resetXpos);
                    if (adjusted.empty() || !(adjusted.back() == region))
                        adjusted.push_back(region);
                }
                model = adjusted;
            } else if (choice < 84 && count > 0) {
                // Overwriting may put the list out of order, as growing
                // snippet fields do; it also brings back a preferred x.
                const size_t index = random() % count;
                const int64_t a = random() % 320;
                const SelectionRegion region(a, a + static_cast<int64_t>(random() % 30), 7);
                set.set(index, region);
                model[index] = region;
            } else if (choice < 88) {
                const int64_t a = random() % 320;
                const SelectionRegion region(a, a + static_cast<int64_t>(random() % 4), 3);
                set.push_back(region);
                model.push_back(region);
            } else if (choice < 93) {
                const int64_t a = random() % 320;
                set.add(SelectionRegion(a, a + static_cast<int64_t>(random() % 3), 5));
                model = set.regions();
            } else if (choice < 96 && count > 0) {
                const size_t index = random() % count;
                set.erase(set.begin() + static_cast<std::ptrdiff_t>(index));
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(index));
            } else if (choice < 98) {
                const int64_t lo = random() % 40, hi = 200 + random() % 120;
                set.clamp(lo, hi);
                std::vector<SelectionRegion> clamped;
                for (SelectionRegion region : model) {
                    region.a = std::min(std::max(region.a, lo), hi);
                    region.b = std::min(std::max(region.b, lo), hi);
                    if (clamped.empty() || !(clamped.back() == region))
                        clamped.push_back(region);
                }
                model = clamped;
            } else {
                // A copy taken in the middle of a run carries it on alike.
                const SelectionSet copy = set;
                ASSERT_EQ(copy.regions(), model) << "round " << round << " step " << step;
            }

            ASSERT_EQ(set.size(), model.size()) << "round " << round << " step " << step;
            if (!model.empty()) {
                const size_t index = random() % model.size();
                const SelectionRegion read = set[index];
                ASSERT_EQ(read, model[index]) << "round " << round << " step " << step << " region " << index;
                ASSERT_EQ(read.xpos, model[index].xpos) << "round " << round << " step " << step;
            }
            if (step % 25 == 24) {
                ASSERT_EQ(set.regions(), model) << "round " << round << " step " << step;
                for (size_t i = 0; i < model.size(); ++i)
                    ASSERT_EQ(set[i].xpos, model[i].xpos) << "round " << round << " step " << step;
            }
        }
    }
}

namespace {

// Adds `regions` one at a time: what addAll of a list must leave.
SelectionSet addedOneByOne(SelectionSet set, const std::vector<SelectionRegion>& regions)
{
    for (const SelectionRegion& region : regions)
        set.add(region);
    return set;
}

void expectSameRegionsAndDirections(const SelectionSet& expected, const SelectionSet& actual)
{
    ASSERT_EQ(expected, actual);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].xpos, actual[i].xpos) << "region " << i;
    }
}

TEST(SelectionSet, AddAllOfAListLeavesWhatAddingOneByOneLeaves)
{
    struct Case {
        const char* name;
        std::vector<SelectionRegion> stored;
        std::vector<SelectionRegion> added;
    };
    const Case cases[] = {
        {"descending, apart", {}, {{9, 10}, {6, 7}, {3, 4}, {0, 1}}},
        {"touching non-empty regions stay apart", {}, {{4, 6}, {2, 4}, {0, 2}}},
        {"a caret arriving last joins touching regions", {}, {{0, 2}, {2, 4}, {2, 2}}},
        {"a caret arriving first does not", {}, {{2, 2}, {2, 4}, {0, 2}}},
        {"merged regions point the way the last one points", {}, {{5, 1}, {3, 8}, {9, 2}}},
        {"equal and reversed duplicates", {}, {{3, 3}, {1, 4}, {4, 1}, {3, 3}}},
        {"stored regions count as added first", {{0, 2}, {4, 6}}, {{2, 2}, {6, 6}, {3, 3}}},
        {"a stored caret between touching arrivals", {{5, 5}}, {{5, 9}, {1, 5}}},
        {"a run of ten merging out of order", {},
         {{18, 20}, {2, 2}, {16, 18}, {4, 6}, {6, 6}, {2, 4}, {8, 10}, {10, 10}, {6, 8}, {12, 12}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectionSet stored;
        for (const SelectionRegion& region : c.stored)
            stored.add(region);
        SelectionSet bulk = stored;
        bulk.addAll(c.added);
        expectSameRegionsAndDirections(addedOneByOne(stored, c.added), bulk);
    }
}

TEST(SelectionSet, AddAllOfRandomListsLeavesWhatAddingOneByOneLeaves)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> position(0, 40);
    std::uniform_int_distribution<int> length(0, 3);
    for (int round = 0; round < 400; ++round) {
        SelectionSet stored;
        std::vector<SelectionRegion> added;
        for (int i = 0; i < 12; ++i) {
            const int64_t a = position(random);
            int64_t b = a + (length(random) == 0 ? 0 : length(random) - 1);
            SelectionRegion region = (random() & 1) ? SelectionRegion(a, b) : SelectionRegion(b, a);
            if (random() % 5 == 0)
                region.xpos = 1.5;
            if (i < 3 && round % 2 == 0)
                stored.add(region);
            else
                added.push_back(region);
        }
        SCOPED_TRACE(round);
        SelectionSet bulk = stored;
        bulk.addAll(added);
        expectSameRegionsAndDirections(addedOneByOne(stored, added), bulk);
    }
}

} // namespace
