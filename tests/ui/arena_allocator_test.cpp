#include <gtest/gtest.h>

#include <cstdint>

#include "ui/arena_allocator.h"

namespace {

bool isAligned(const void* p, size_t alignment) { return reinterpret_cast<uintptr_t>(p) % alignment == 0; }

TEST(ArenaAllocator, ConsecutiveSmallRequestsAreContiguous)
{
    ArenaAllocator arena(64);
    auto* first = static_cast<char*>(arena.allocate(3));
    auto* second = static_cast<char*>(arena.allocate(5));
    EXPECT_EQ(second, first + 3);
    EXPECT_EQ(arena.totalBytes(), 8u);
}

TEST(ArenaAllocator, LargeRequestGetsBlockOfExactlyItsSizeAndNextSmallOneStartsAnother)
{
    ArenaAllocator arena(64);
    auto* small = static_cast<char*>(arena.allocate(8));
    auto* large = static_cast<char*>(arena.allocate(200));
    // Writing the whole large block is clean under AddressSanitizer only if
    // it really has 200 bytes; reading one past would be caught as well.
    for (int i = 0; i < 200; ++i)
        large[i] = static_cast<char>(i);
    auto* next = static_cast<char*>(arena.allocate(8));
    // The large block is full, so the next request cannot follow it, and the
    // first block's tail was abandoned, so it cannot follow `small` either.
    EXPECT_NE(next, large + 200);
    EXPECT_NE(next, small + 8);
    EXPECT_EQ(large[199], static_cast<char>(199));
    EXPECT_EQ(arena.totalBytes(), 216u);
}

TEST(ArenaAllocator, RequestThatDoesNotFitAbandonsTheRestOfTheBlock)
{
    ArenaAllocator arena(32);
    auto* first = static_cast<char*>(arena.allocate(24));
    auto* second = static_cast<char*>(arena.allocate(16));
    EXPECT_NE(second, first + 24);
    auto* third = static_cast<char*>(arena.allocate(16));
    EXPECT_EQ(third, second + 16);
}

TEST(ArenaAllocator, AlignedRequestsArePaddedToTheirAlignment)
{
    ArenaAllocator arena(256);
    arena.allocate(1);
    void* pointerRecord = arena.allocateAligned(2 * sizeof(void*), alignof(void*));
    EXPECT_TRUE(isAligned(pointerRecord, alignof(void*)));
    arena.allocate(3);
    void* wide = arena.allocateAligned(16, 16);
    EXPECT_TRUE(isAligned(wide, 16));
    // Padding is not counted as handed out.
    EXPECT_EQ(arena.totalBytes(), 1 + 2 * sizeof(void*) + 3 + 16);
}

TEST(ArenaAllocator, AlignedRequestThatDoesNotFitStartsAlignedBlock)
{
    ArenaAllocator arena(32);
    arena.allocate(29);
    void* record = arena.allocateAligned(8, 8);
    EXPECT_TRUE(isAligned(record, 8));
    EXPECT_TRUE(isAligned(arena.allocateArray<int64_t>(1), alignof(int64_t)));
}

TEST(ArenaAllocator, CopyStringKeepsTextAndTerminatingNul)
{
    ArenaAllocator arena(16);
    const ustring text = u"a longer text than one block";
    const slate::usubstring copy = arena.copyString(text);
    EXPECT_NE(copy.begin, text.data());
    EXPECT_EQ(copy.str(), text);
    EXPECT_EQ(*copy.end, u'\0');
    EXPECT_TRUE(isAligned(copy.begin, alignof(uchar)));

    const slate::usubstring empty = arena.copyString(slate::usubstring());
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(*empty.begin, u'\0');
}

TEST(ArenaAllocator, ClearEmptiesAndAllowsReuse)
{
    ArenaAllocator arena(64);
    arena.allocate(100);
    arena.allocate(10);
    arena.clear();
    EXPECT_EQ(arena.totalBytes(), 0u);
    arena.setBlockSize(128);
    auto* first = static_cast<char*>(arena.allocate(100));
    auto* second = static_cast<char*>(arena.allocate(28));
    EXPECT_EQ(second, first + 100);
}

} // namespace
