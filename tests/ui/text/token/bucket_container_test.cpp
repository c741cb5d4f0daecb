#include "ui/text/token/bucket_container.h"

#include <algorithm>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "token_tree_checks.h"
#include "ui/statistics.h"

using token_tree_test::bucketsInListOrder;
using token_tree_test::containerIsConsistent;
using token_tree_test::TokenPool;
using token_tree_test::tokensInOrder;

namespace {

std::vector<uint32_t> bucketSizes(const bucket_container& tokens)
{
    std::vector<uint32_t> sizes;
    for (const TokenBuffer* bucket : bucketsInListOrder(tokens.container))
        sizes.push_back(bucket->size());
    return sizes;
}

void append(bucket_container& tokens, const std::vector<Token*>& run)
{
    tokens.insert(tokens.end(), run.data(), run.data() + run.size());
}

// Full buckets, then the front of bucket i cut down to sizes[i]. The bucket
// touched last is the last one cut.
void buildBuckets(bucket_container& tokens, TokenPool& pool, const std::vector<uint32_t>& sizes)
{
    append(tokens, pool.many(sizes.size() * kTokenBufferCapacity));
    const std::vector<TokenBuffer*> buckets = bucketsInListOrder(tokens.container);
    for (size_t i = 0; i < sizes.size(); ++i) {
        if (sizes[i] < kTokenBufferCapacity)
            tokens.erase(bucket_container::iterator(buckets[i], 0),
                bucket_container::iterator(buckets[i], kTokenBufferCapacity - sizes[i]));
    }
}

// Where the token at `index` of the whole sequence lives.
size_t globalIndex(const bucket_container& tokens, const TokenBuffer* bucket, uint32_t index)
{
    size_t before = 0;
    for (const TokenBuffer* b = tokens.container.m_first; b != bucket; b = b->next)
        before += b->size();
    return before + index;
}

// "ab" "cd" LF "ef": the text "abcd\nef".
struct SmallText {
    TokenPool pool;
    bucket_container tokens{nullptr};
    std::vector<Token*> run;
    SmallText()
    {
        run = {pool.make(u"ab"), pool.make(u"cd"), pool.make(u"\n"), pool.make(u"ef", true)};
        append(tokens, run);
    }
};

} // namespace

TEST(BucketContainer, FreshContainerIsOneEmptyBucket)
{
    bucket_container tokens(nullptr);
    ASSERT_EQ(bucketSizes(tokens), std::vector<uint32_t>{0});
    TokenBuffer* only = tokens.container.m_first;
    EXPECT_EQ(tokens.locate(0), (TokenLocation{only, 0, 0}));
    EXPECT_EQ(tokens.begin(), tokens.end());
    EXPECT_EQ(tokens.lastToken(), tokens.end());
    EXPECT_EQ(tokens.size(), 0);
    EXPECT_EQ(tokens.lineBreakCount(), 0);
    EXPECT_EQ(tokens.misspelledCount(), 0);
    EXPECT_EQ(tokens.rowStart(0), 0);
    EXPECT_EQ(tokens.rowStart(1), -1);
}

TEST(BucketContainer, FiveHundredTwelveTokensFillOneBucketAndTheNextOpensAnother)
{
    TokenPool pool;
    bucket_container tokens(nullptr);
    const std::vector<Token*> run = pool.many(513);
    tokens.insert(tokens.end(), run.data(), run.data() + 512);
    EXPECT_EQ(bucketSizes(tokens), std::vector<uint32_t>{512});

    const int32_t bucketsBefore = g_statTokenBufferCount.count;
    tokens.insert(tokens.end(), run.data() + 512, run.data() + 513);
    EXPECT_EQ(bucketSizes(tokens), (std::vector<uint32_t>{512, 1}));
    EXPECT_EQ(g_statTokenBufferCount.count - bucketsBefore, 1);
    EXPECT_EQ(tokensInOrder(tokens), run);
    EXPECT_EQ(*tokens.lastToken(), run.back());
    EXPECT_TRUE(containerIsConsistent(tokens));
}

TEST(BucketContainer, TailOfAFullBucketMovesToTheNextWhenItFits)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> sizes;
        std::vector<uint32_t> expectedSizes;
    };
    const Case cases[] = {
        // 12 tokens of tail go to the front of the next bucket; no new bucket.
        {"next has room", {512, 100}, {510, 112}},
        // The next bucket cannot take them: a new bucket between receives them.
        {"next is full", {512, 512}, {510, 12, 512}},
        // The last bucket has no next: a new one after it.
        {"no next", {512}, {510, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TokenPool pool;
        bucket_container tokens(nullptr);
        append(tokens, pool.many(c.sizes[0]));
        for (size_t i = 1; i < c.sizes.size(); ++i)
            append(tokens, pool.many(c.sizes[i]));
        ASSERT_EQ(bucketSizes(tokens), c.sizes);
        std::vector<Token*> model = tokensInOrder(tokens);

        const std::vector<Token*> inserted = pool.many(10);
        tokens.insert(bucket_container::iterator(tokens.container.m_first, 500), inserted.data(),
            inserted.data() + inserted.size());
        model.insert(model.begin() + 500, inserted.begin(), inserted.end());
        EXPECT_EQ(bucketSizes(tokens), c.expectedSizes);
        EXPECT_EQ(tokensInOrder(tokens), model);
        EXPECT_TRUE(containerIsConsistent(tokens));
    }
}

TEST(BucketContainer, LongRunFillsNewBucketsBeforeTheTail)
{
    TokenPool pool;
    bucket_container tokens(nullptr);
    append(tokens, pool.many(20));
    std::vector<Token*> model = tokensInOrder(tokens);
    const std::vector<Token*> inserted = pool.many(1500);
    tokens.insert(bucket_container::iterator(tokens.container.m_first, 5), inserted.data(),
        inserted.data() + inserted.size());
    model.insert(model.begin() + 5, inserted.begin(), inserted.end());
    // 5 kept + 507 new, 512 new, the remaining 481 new, then the 15-token tail.
    EXPECT_EQ(bucketSizes(tokens), (std::vector<uint32_t>{512, 512, 481, 15}));
    EXPECT_EQ(tokensInOrder(tokens), model);
    EXPECT_EQ(tokens.m_lastTouched, bucketsInListOrder(tokens.container)[2]);
    EXPECT_TRUE(containerIsConsistent(tokens));
}

TEST(BucketContainer, MergesNeighboursOnlyBelowCapacityWhenTheEditMovesAway)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> sizes; // the middle bucket is touched last
        std::vector<uint32_t> expectedSizes; // after an insertion at the end
    };
    const Case cases[] = {
        {"255 and 256 merge", {255, 256, 512}, {511, 512, 1}},
        {"256 and 256 would fill a bucket", {256, 256, 512}, {256, 256, 512, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TokenPool pool;
        bucket_container tokens(nullptr);
        buildBuckets(tokens, pool, c.sizes);
        ASSERT_EQ(bucketSizes(tokens), c.sizes);
        ASSERT_EQ(tokens.m_lastTouched, bucketsInListOrder(tokens.container)[1]);
        std::vector<Token*> model = tokensInOrder(tokens);

        Token* extra = pool.make(u"x");
        tokens.insert(tokens.end(), &extra, &extra + 1);
        model.push_back(extra);
        EXPECT_EQ(bucketSizes(tokens), c.expectedSizes);
        EXPECT_EQ(tokensInOrder(tokens), model);
        EXPECT_TRUE(containerIsConsistent(tokens));
    }
}

TEST(BucketContainer, TypingIntoTheLastTouchedBucketNeverMerges)
{
    TokenPool pool;
    bucket_container tokens(nullptr);
    buildBuckets(tokens, pool, {100, 100, 512});
    TokenBuffer* touched = tokens.m_lastTouched;
    Token* typed = pool.make(u"x");
    for (int i = 0; i < 5; ++i)
        tokens.insert(bucket_container::iterator(touched, touched->size()), &typed, &typed + 1);
    EXPECT_EQ(bucketSizes(tokens), (std::vector<uint32_t>{100, 105, 512}));

    // Moving to another bucket lets the touched one absorb its neighbour.
    tokens.insert(tokens.end(), &typed, &typed + 1);
    EXPECT_EQ(bucketSizes(tokens), (std::vector<uint32_t>{205, 512, 1}));
    EXPECT_TRUE(containerIsConsistent(tokens));
}

TEST(BucketContainer, ErasingEverythingLeavesOneEmptyBucket)
{
    for (size_t count : {size_t(1), size_t(600), size_t(2000)}) {
        SCOPED_TRACE(count);
        TokenPool pool;
        bucket_container tokens(nullptr);
        append(tokens, pool.many(count));
        const bucket_container::iterator result = tokens.erase(tokens.begin(), tokens.end());
        EXPECT_EQ(bucketSizes(tokens), std::vector<uint32_t>{0});
        EXPECT_EQ(result, tokens.begin());
        EXPECT_EQ(tokens.size(), 0);
        EXPECT_TRUE(containerIsConsistent(tokens));
    }
}

TEST(BucketContainer, EraseReturnsTheSlotAfterTheRemovedRange)
{
    TokenPool pool;
    bucket_container tokens(nullptr);
    append(tokens, pool.many(1536));
    std::vector<Token*> model = tokensInOrder(tokens);
    const std::vector<TokenBuffer*> buckets = bucketsInListOrder(tokens.container);

    // From inside the first bucket to inside the third, dropping the second.
    bucket_container::iterator result = tokens.erase(bucket_container::iterator(buckets[0], 300),
        bucket_container::iterator(buckets[2], 100));
    model.erase(model.begin() + 300, model.begin() + 1124);
    EXPECT_EQ(bucketSizes(tokens), (std::vector<uint32_t>{300, 412}));
    EXPECT_EQ(*result, model[300]);
    EXPECT_EQ(tokensInOrder(tokens), model);

    // A whole leading bucket: the result is the new first slot.
    result = tokens.erase(tokens.begin(), bucket_container::iterator(tokens.container.m_first->next, 0));
    model.erase(model.begin(), model.begin() + 300);
    EXPECT_EQ(result, tokens.begin());
    EXPECT_EQ(*result, model[0]);
    EXPECT_EQ(tokensInOrder(tokens), model);
    EXPECT_TRUE(containerIsConsistent(tokens));
}

TEST(BucketContainer, IteratorsStepAcrossBuckets)
{
    TokenPool pool;
    bucket_container tokens(nullptr);
    append(tokens, pool.many(600));
    const std::vector<TokenBuffer*> buckets = bucketsInListOrder(tokens.container);

    bucket_container::iterator it(buckets[0], 511);
    ++it;
    EXPECT_EQ(it, bucket_container::iterator(buckets[1], 0));
    --it;
    EXPECT_EQ(it, bucket_container::iterator(buckets[0], 511));

    it = tokens.lastToken();
    EXPECT_EQ(it, bucket_container::iterator(buckets[1], 87));
    ++it;
    EXPECT_EQ(it, tokens.end());

    it = tokens.begin();
    --it;
    EXPECT_EQ(it.bucket(), nullptr);
}

TEST(BucketContainer, LocatePutsBoundariesInTheLaterToken)
{
    SmallText text;
    TokenBuffer* bucket = text.tokens.container.m_first;
    struct Case {
        int64_t position;
        TokenLocation expected;
        int32_t row;
    };
    const Case cases[] = {
        {0, {bucket, 0, 0}, 0},
        {1, {bucket, 0, 1}, 0},
        {2, {bucket, 1, 0}, 0}, // between "ab" and "cd"
        {4, {bucket, 2, 0}, 0}, // the line break ends row 0
        {5, {bucket, 3, 0}, 1}, // just after it: row 1
        {7, {bucket, 4, 0}, 1}, // the size: the end location
        {9, {bucket, 4, 0}, 1}, // beyond: end location, every line break
        {-3, {bucket, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(text.tokens.locate(c.position), c.expected);
        int32_t row = -1;
        EXPECT_EQ(text.tokens.locateWithRow(c.position, row), c.expected);
        EXPECT_EQ(row, c.row);
    }
    EXPECT_EQ(text.tokens.size(), 7);
    EXPECT_EQ(text.tokens.lineBreakCount(), 1);
    EXPECT_EQ(text.tokens.misspelledCount(), 1);
}

TEST(BucketContainer, RowStartFindsTheOffsetAfterTheLineBreak)
{
    SmallText text;
    EXPECT_EQ(text.tokens.rowStart(0), 0);
    EXPECT_EQ(text.tokens.rowStart(1), 5);
    EXPECT_EQ(text.tokens.rowStart(2), -1);
    EXPECT_EQ(text.tokens.rowStart(-1), -1);
}

TEST(BucketContainer, LineWalksGiveWholeLinesWithTheirLineBreak)
{
    TokenPool pool;
    bucket_container tokens(nullptr);
    // "ab\ncd ef\ngh"
    const std::vector<Token*> run = {pool.make(u"ab"), pool.make(u"\n"), pool.make(u"cd"), pool.make(u" "),
        pool.make(u"ef"), pool.make(u"\n"), pool.make(u"gh")};
    append(tokens, run);
    TokenBuffer* bucket = tokens.container.m_first;

    bucket_container::iterator it(bucket, 4); // "ef" at 6
    int64_t position = 6;
    tokens.lineStart(it, position);
    EXPECT_EQ(it, bucket_container::iterator(bucket, 2));
    EXPECT_EQ(position, 3);
    tokens.lineEnd(it, position);
    EXPECT_EQ(it, bucket_container::iterator(bucket, 6));
    EXPECT_EQ(position, 9);
    tokens.lineEnd(it, position);
    EXPECT_EQ(it, tokens.end());
    EXPECT_EQ(position, 11);

    it = bucket_container::iterator(bucket, 0);
    position = 0;
    tokens.lineStart(it, position);
    EXPECT_EQ(it, tokens.begin());
    EXPECT_EQ(position, 0);
}

TEST(BucketContainer, ClearStartsAgainWithOneEmptyBucket)
{
    TokenPool pool;
    bucket_container tokens(nullptr);
    append(tokens, pool.many(1200));
    tokens.clear();
    EXPECT_EQ(bucketSizes(tokens), std::vector<uint32_t>{0});
    EXPECT_EQ(tokens.m_lastTouched, tokens.container.m_first);
    EXPECT_TRUE(containerIsConsistent(tokens));
}

namespace {

// What the descents must answer, worked out from a plain vector of tokens.
struct Model {
    std::vector<Token*> tokens;
    std::vector<int64_t> starts; // offset of each token, then the size
    std::vector<int64_t> rowStarts; // offset of each row

    void recompute()
    {
        starts.assign(1, 0);
        rowStarts.assign(1, 0);
        for (const Token* token : tokens) {
            starts.push_back(starts.back() + token->length());
            if (token->isLineBreak())
                rowStarts.push_back(starts.back());
        }
    }
    // Index of the token holding `position`, or tokens.size() at the end.
    size_t tokenAt(int64_t position) const
    {
        if (position >= starts.back())
            return tokens.size();
        return std::upper_bound(starts.begin(), starts.end() - 1, position) - starts.begin() - 1;
    }
};

} // namespace

TEST(BucketContainer, RandomEditsKeepSumsShapeAndOrder)
{
    std::mt19937 random(7013);
    TokenPool pool;
    const std::vector<Token*> vocabulary = {pool.make(u"a"), pool.make(u"bc"), pool.make(u"def"),
        pool.make(u"ghij"), pool.make(u"\n"), pool.make(u"\n"), pool.make(u"zq", true)};
    bucket_container tokens(nullptr);
    Model model;
    auto slotOf = [&](size_t index) {
        // The slot of the index-th token, or end(); found through the list.
        size_t remaining = index;
        for (TokenBuffer* b = tokens.container.m_first; b; b = b->next) {
            if (remaining < b->size())
                return bucket_container::iterator(b, static_cast<uint32_t>(remaining));
            remaining -= b->size();
        }
        return tokens.end();
    };

    for (int step = 0; step < 1500; ++step) {
        const size_t count = model.tokens.size();
        const bool insert = count < 2000 || (count < 12000 && random() % 2 == 0);
        if (insert) {
            const size_t at = random() % (count + 1);
            const size_t length = random() % 4 == 0 ? 1 + random() % 1500 : 1 + random() % 40;
            std::vector<Token*> run;
            for (size_t i = 0; i < length; ++i)
                run.push_back(vocabulary[random() % vocabulary.size()]);
            tokens.insert(slotOf(at), run.data(), run.data() + run.size());
            model.tokens.insert(model.tokens.begin() + at, run.begin(), run.end());
        } else {
            const size_t from = random() % count;
            const size_t to = std::min(count, from + 1 + random() % (random() % 4 == 0 ? 2000 : 60));
            const bucket_container::iterator result = tokens.erase(slotOf(from), slotOf(to));
            model.tokens.erase(model.tokens.begin() + from, model.tokens.begin() + to);
            ASSERT_EQ(result, slotOf(from)) << "step " << step;
        }
        ASSERT_TRUE(containerIsConsistent(tokens)) << "step " << step;
        ASSERT_EQ(tokensInOrder(tokens), model.tokens) << "step " << step;

        model.recompute();
        ASSERT_EQ(tokens.size(), model.starts.back());
        ASSERT_EQ(tokens.lineBreakCount(), static_cast<int32_t>(model.rowStarts.size() - 1));
        for (int probe = 0; probe < 4; ++probe) {
            const int64_t position = random() % (model.starts.back() + 1);
            int32_t row = -1;
            const TokenLocation location = tokens.locateWithRow(position, row);
            const size_t index = model.tokenAt(position);
            ASSERT_EQ(globalIndex(tokens, location.bucket, location.index), index) << "position " << position;
            ASSERT_EQ(location.characterOffset, position - model.starts[index]);
            const int32_t expectedRow = static_cast<int32_t>(
                std::upper_bound(model.rowStarts.begin(), model.rowStarts.end(), position) - model.rowStarts.begin() - 1);
            ASSERT_EQ(row, expectedRow) << "position " << position;

            const int64_t targetRow = random() % (model.rowStarts.size() + 1);
            const int64_t expectedStart =
                targetRow < static_cast<int64_t>(model.rowStarts.size()) ? model.rowStarts[targetRow] : -1;
            ASSERT_EQ(tokens.rowStart(targetRow), expectedStart) << "row " << targetRow;
        }
        if (!model.tokens.empty()) {
            // The line walks from a random token.
            const size_t index = random() % model.tokens.size();
            bucket_container::iterator it = slotOf(index);
            int64_t position = model.starts[index];
            tokens.lineStart(it, position);
            size_t expectedStart = index;
            while (expectedStart > 0 && !model.tokens[expectedStart - 1]->isLineBreak())
                --expectedStart;
            ASSERT_EQ(it, slotOf(expectedStart));
            ASSERT_EQ(position, model.starts[expectedStart]);
            tokens.lineEnd(it, position);
            size_t expectedEnd = expectedStart;
            while (expectedEnd < model.tokens.size() && !model.tokens[expectedEnd++]->isLineBreak()) {
            }
            ASSERT_EQ(it, slotOf(expectedEnd));
            ASSERT_EQ(position, model.starts[expectedEnd]);
        }
    }
}
