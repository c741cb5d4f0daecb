#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/text/scope_name_pool.h"
#include "ui/unicode.h"

namespace {

TEST(ScopeNamePool, EqualTextsGiveTheSameRecordAndIdsAreDense)
{
    ArenaAllocator arena(1024);
    ScopeNamePool pool(arena);
    const ScopeRecord* a = pool.intern(ustring(u"source.c "));
    const ScopeRecord* b = pool.intern(ustring(u"string.quoted.double source.c "));
    const ScopeRecord* c = pool.intern(ustring(u"comment.line source.c "));
    EXPECT_EQ(a->id, 0);
    EXPECT_EQ(b->id, 1);
    EXPECT_EQ(c->id, 2);
    const ustring again = u"xx string.quoted.double source.c ";
    EXPECT_EQ(pool.intern(slate::usubstring(again).substr(3)), b);
    EXPECT_EQ(pool.size(), 3u);
    EXPECT_EQ(b->text.str(), u"string.quoted.double source.c ");
    EXPECT_EQ(*b->text.end, u'\0');
}

TEST(ScopeNamePool, RecordsArePointerAlignedInTheArena)
{
    ArenaAllocator arena(1024);
    ScopeNamePool pool(arena);
    // Odd-length texts leave the arena position unaligned between records.
    for (const char16_t* text : {u"a", u"abc", u"abcde", u"x.y"}) {
        const ScopeRecord* record = pool.intern(ustring(text));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % alignof(ScopeRecord), 0u);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(&record->text) % alignof(void*), 0u);
    }
}

TEST(ScopeNamePool, SeventeenthTextGrowsTableAndKeepsEveryRecord)
{
    ArenaAllocator arena(256);
    ScopeNamePool pool(arena);
    std::vector<const ScopeRecord*> records;
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(pool.bucketCount(), 32u);
        records.push_back(pool.intern(toUstring("scope" + std::to_string(i) + " ")));
    }
    EXPECT_EQ(pool.bucketCount(), 64u);
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(records[i]->id, i);
        EXPECT_EQ(pool.intern(toUstring("scope" + std::to_string(i) + " ")), records[i]);
    }
}

TEST(ScopeNamePool, EmptyAndMarkerLikeTextsAreOrdinaryScopes)
{
    ArenaAllocator arena;
    ScopeNamePool pool(arena);
    const ScopeRecord* empty = pool.intern(slate::usubstring());
    const ScopeRecord* marker = pool.intern(ustring(u"__E"));
    EXPECT_NE(empty, marker);
    EXPECT_TRUE(empty->text.empty());
    EXPECT_EQ(pool.intern(ustring(u"__E")), marker);
    EXPECT_EQ(pool.intern(ustring()), empty);
}

TEST(ScopeNamePool, PoolsOverOneArenaAreIndependent)
{
    ArenaAllocator arena;
    ScopeNamePool joined(arena), names(arena);
    EXPECT_EQ(joined.intern(ustring(u"a"))->id, 0);
    EXPECT_EQ(names.intern(ustring(u"b"))->id, 0);
    EXPECT_NE(names.intern(ustring(u"a")), joined.intern(ustring(u"a")));
}

} // namespace
