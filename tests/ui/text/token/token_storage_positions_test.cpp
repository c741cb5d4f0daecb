// Positions on a token storage: rows and columns, text points, extraction,
// the character iterator and the find cache.
#include <gtest/gtest.h>

#include "ui/statistics.h"
#include "ui/text/token/token_storage.h"
#include "ui/text/token/token_test_support.h"

namespace {

TEST(TokenStoragePositions, RowsColumnsAndTextPointsOfTwoLines)
{
    const ustring text = u"ab\ncd";
    TokenStorage storage(text.data(), text.data() + text.size());
    struct RowCol {
        int64_t position;
        int32_t row;
        int32_t column;
    };
    const RowCol rowcols[] = {
        {0, 0, 0}, {2, 0, 2}, {3, 1, 0}, {5, 1, 2}, {-4, 0, 0}, {99, 1, 2},
    };
    for (const RowCol& c : rowcols) {
        SCOPED_TRACE(c.position);
        int32_t row = -1;
        int32_t column = -1;
        storage.rowcol(c.position, row, column);
        EXPECT_EQ(row, c.row);
        EXPECT_EQ(column, c.column);
    }
    struct Point {
        int32_t row;
        int32_t column;
        int64_t position;
    };
    const Point points[] = {
        {0, 0, 0}, {1, 0, 3}, {0, 4, 4}, {2, 0, 5}, {1, 9, 5},
    };
    for (const Point& c : points) {
        SCOPED_TRACE(testing::Message() << c.row << "," << c.column);
        EXPECT_EQ(storage.textPoint(c.row, c.column), c.position);
    }
    EXPECT_EQ(storage.newlineCount(SelectionRegion(0, 5)), 1);
    EXPECT_EQ(storage.newlineCount(SelectionRegion(3, 5)), 0);
    EXPECT_EQ(storage.lineBreakCount(), 1);
}

TEST(TokenStoragePositions, EmptyStorage)
{
    TokenStorage storage;
    EXPECT_EQ(storage.size(), 0);
    const TokenLocation location = storage.tokenAt(3);
    EXPECT_EQ(location.index, 0u);
    EXPECT_EQ(location.bucket, storage.m_tokenList.container.m_last);
    int32_t row = -1;
    int32_t column = -1;
    storage.rowcol(0, row, column);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(column, 0);
    EXPECT_EQ(storage.charAt(0), 0);
    EXPECT_EQ(storage.substr(SelectionRegion(-5, 5)), u"");
    EXPECT_TRUE(storage.begin() == storage.end());
}

TEST(TokenStoragePositions, TextAccessClampsToTheText)
{
    TokenStorage storage;
    storage.setSyntax(token_test::commentSyntax());
    const ustring text = u"if a /* b */\n\"s\" while\n";
    storage.insert(0, text);
    EXPECT_EQ(storage.substr(SelectionRegion(-3, 500)), text);
    EXPECT_EQ(storage.substr(SelectionRegion(6, 2)), text.substr(2, 4));
    for (int64_t position = -1; position <= storage.size(); ++position) {
        SCOPED_TRACE(position);
        const bool inside = position >= 0 && position < storage.size();
        EXPECT_EQ(storage.charAt(position), inside ? text[position] : 0);
        for (int64_t end = position; end <= storage.size(); ++end)
            if (position >= 0)
                ASSERT_EQ(storage.substr(SelectionRegion(position, end)),
                          text.substr(position, end - position));
    }
}

TEST(TokenStoragePositions, IteratorWalksBothWaysAcrossTokensAndBuckets)
{
    TokenStorage storage;
    storage.setSyntax(token_test::commentSyntax());
    ustring text;
    for (int i = 0; i < 700; ++i)
        text += u"if (x) /*c*/ \"s\"\n";
    storage.insert(0, text);
    ASSERT_NE(storage.m_tokenList.container.m_first->next, nullptr);
    ustring forward;
    for (auto it = storage.begin(); it != storage.end(); ++it)
        forward += *it;
    EXPECT_EQ(forward, text);
    ustring backward;
    for (auto it = storage.end(); it != storage.begin();) {
        --it;
        backward += *it;
    }
    EXPECT_EQ(ustring(backward.rbegin(), backward.rend()), text);
}

TEST(TokenStoragePositions, SequentialTokenAtHitsTheCacheUntilAnEdit)
{
    TokenStorage storage;
    storage.setSyntax(token_test::commentSyntax());
    storage.insert(0, u"if a /* b */ while\nx y z\n");
    const int32_t missesBefore = g_statFindCacheMisses.count;
    const int32_t hitsBefore = g_statFindCacheHits.count;
    for (int64_t position = 0; position <= storage.size(); ++position)
        storage.tokenAt(position);
    for (int64_t position = storage.size(); position >= 0; --position)
        storage.tokenAt(position);
    EXPECT_EQ(g_statFindCacheMisses.count - missesBefore, 1);
    EXPECT_EQ(g_statFindCacheHits.count - hitsBefore, 2 * (storage.size() + 1) - 1);

    // The cache agrees with a fresh descent everywhere.
    for (int64_t position = 0; position <= storage.size(); ++position)
        EXPECT_EQ(storage.tokenAt(position), storage.m_tokenList.locate(position));

    storage.insert(3, u"q");
    const int32_t missesAfterEdit = g_statFindCacheMisses.count;
    storage.tokenAt(4);
    EXPECT_EQ(g_statFindCacheMisses.count - missesAfterEdit, 1);
}

} // namespace
