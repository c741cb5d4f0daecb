// The selection history of a view state.
#include "ui/text/selection_history.h"

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

void select(SelectionHistory& history, const SelectionRegion& region)
{
    history.current().clear();
    history.current().add(region);
}

TEST(SelectionHistory, StartsWithOneEntryHoldingTheCaretAtZero)
{
    const SelectionHistory history;
    EXPECT_FALSE(history.hasPrevious());
    EXPECT_FALSE(history.hasNext());
    EXPECT_EQ(1u, history.size());
    EXPECT_EQ(setOf({{0, 0}}), history.current());
}

TEST(SelectionHistory, PushKeepsTheSelectionAndRepeatedPushesAddNothing)
{
    SelectionHistory history;
    history.push();
    history.push();
    EXPECT_EQ(2u, history.size());
    select(history, {4, 6});
    EXPECT_EQ(setOf({{0, 0}}), history.entry(0));

    // Pushing after stepping back drops the entries ahead.
    history.push();
    select(history, {8, 9});
    history.previous();
    EXPECT_EQ(setOf({{4, 6}}), history.current());
    EXPECT_TRUE(history.hasNext());
    history.push();
    EXPECT_FALSE(history.hasNext());
    EXPECT_EQ(3u, history.size());
    EXPECT_EQ(setOf({{4, 6}}), history.entry(2));
    history.next(); // nothing ahead
    EXPECT_EQ(2u, history.currentIndex());
}

TEST(SelectionHistory, KeepsAtMostFifteenEntries)
{
    SelectionHistory history;
    for (int i = 1; i <= 20; ++i) {
        history.push();
        select(history, {i, i});
    }
    EXPECT_EQ(SelectionHistory::kMaxEntries, history.size());
    int steps = 0;
    while (history.hasPrevious()) {
        history.previous();
        ++steps;
    }
    EXPECT_EQ(14, steps);
    // The oldest kept entry is the selection made after the sixth push.
    EXPECT_EQ(setOf({{6, 6}}), history.current());
    for (int i = 0; i < 14; ++i)
        history.next();
    EXPECT_EQ(setOf({{20, 20}}), history.current());
    EXPECT_FALSE(history.hasNext());
}

TEST(SelectionHistory, PreviousSkipsANewestEntryThatRepeatsItsPredecessor)
{
    SelectionHistory history;
    select(history, {3, 3});
    history.push();
    history.previous();
    EXPECT_EQ(1u, history.size());
    EXPECT_FALSE(history.hasPrevious());
    EXPECT_FALSE(history.hasNext());
    EXPECT_EQ(setOf({{3, 3}}), history.current());
    history.previous(); // nothing before the oldest
    EXPECT_EQ(setOf({{3, 3}}), history.current());

    // With two older entries the repeat is dropped and the step still taken.
    history.push();
    select(history, {5, 5});
    history.push();
    history.previous();
    EXPECT_EQ(2u, history.size());
    EXPECT_EQ(setOf({{3, 3}}), history.current());
}

TEST(SelectionHistory, MergeAddsThePreviousEntryAndDropsIt)
{
    SelectionHistory history;
    history.push();
    select(history, {10, 20});
    history.merge();
    EXPECT_EQ(1u, history.size());
    EXPECT_FALSE(history.hasPrevious());
    EXPECT_EQ(setOf({{0, 0}, {10, 20}}), history.current());
    history.merge(); // nothing before
    EXPECT_EQ(1u, history.size());

    // Entries after the current one keep their order.
    SelectionHistory longer;
    select(longer, {1, 1});
    longer.push();
    select(longer, {2, 2});
    longer.push();
    select(longer, {3, 3});
    longer.previous();
    longer.merge();
    ASSERT_EQ(2u, longer.size());
    EXPECT_EQ(setOf({{1, 1}, {2, 2}}), longer.entry(0));
    EXPECT_EQ(setOf({{3, 3}}), longer.entry(1));
    EXPECT_EQ(0u, longer.currentIndex());
}

TEST(SelectionHistory, ConflateCoversEachRegionWithItsCounterpart)
{
    SelectionHistory history;
    history.current().clear();
    history.current().add({0, 5});
    history.current().add({10, 15});
    history.push();
    history.current().clear();
    history.current().add({3, 8});
    history.current().add({12, 20});
    history.current().add({30, 30});
    const uint32_t counter = history.current().changeCount();
    history.conflate();
    EXPECT_EQ(setOf({{0, 8}, {10, 20}, {30, 30}}), history.current());
    EXPECT_NE(counter, history.current().changeCount());
    EXPECT_EQ(2u, history.size());
}

TEST(SelectionHistory, ClearKeepsOnlyTheCurrentEntry)
{
    SelectionHistory history;
    for (int i = 1; i <= 3; ++i) {
        history.push();
        select(history, {i, i});
    }
    history.previous();
    history.clear();
    EXPECT_EQ(1u, history.size());
    EXPECT_FALSE(history.hasPrevious());
    EXPECT_FALSE(history.hasNext());
    EXPECT_EQ(setOf({{2, 2}}), history.current());
}

TEST(SelectionHistory, EditsMoveEveryEntryAndResetPreferredX)
{
    SelectionHistory history;
    history.current().clear();
    history.current().add(SelectionRegion(10, 10, 70));
    history.push();
    select(history, {20, 25});
    history.adjustForInsert(5, 3, false);
    EXPECT_EQ(setOf({{13, 13}}), history.entry(0));
    EXPECT_EQ(-1.0, history.entry(0)[0].xpos);
    EXPECT_EQ(setOf({{23, 28}}), history.current());
    history.adjustForErase({12, 24});
    EXPECT_EQ(setOf({{12, 12}}), history.entry(0));
    EXPECT_EQ(setOf({{12, 16}}), history.current());
}

TEST(SelectionHistory, EqualityComparesIndexesAndLiveEntries)
{
    SelectionHistory a, b;
    EXPECT_EQ(a, b);
    a.push();
    EXPECT_NE(a, b);
    b.push();
    EXPECT_EQ(a, b);
    select(a, {1, 2});
    EXPECT_NE(a, b);
    select(b, {1, 2});
    EXPECT_EQ(a, b);
    a.previous();
    EXPECT_NE(a, b);
}

} // namespace
