#include "ui/text/token/tree_list.h"

#include <algorithm>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "token_tree_checks.h"

using token_tree_test::bucketsInListOrder;
using token_tree_test::treeIsConsistent;

namespace {

int treeHeight(const TokenBuffer* node)
{
    return node ? 1 + std::max(treeHeight(node->left), treeHeight(node->right)) : 0;
}

} // namespace

TEST(TreeList, AppendsKeepListOrderAndTotals)
{
    tree_list tree;
    std::vector<TokenBuffer*> expected;
    for (int i = 0; i < 100; ++i) {
        TokenBuffer* bucket = new TokenBuffer(nullptr);
        tree.insertBefore(nullptr, bucket);
        tree.adjustCounts(bucket, i + 1, i % 3, i % 2);
        expected.push_back(bucket);
    }
    EXPECT_EQ(bucketsInListOrder(tree), expected);
    EXPECT_EQ(tree.totalChars(), 100 * 101 / 2);
    EXPECT_EQ(tree.totalLines(), 99); // 33 x (0 + 1 + 2)
    EXPECT_EQ(tree.totalMisspelled(), 50);
    EXPECT_TRUE(treeIsConsistent(tree, false));
}

TEST(TreeList, EraseReturnsFollowingBucketAndDropsItsSums)
{
    tree_list tree;
    TokenBuffer* buckets[3];
    for (TokenBuffer*& bucket : buckets) {
        bucket = new TokenBuffer(nullptr);
        tree.insertBefore(nullptr, bucket);
        tree.adjustCounts(bucket, 10, 1, 0);
    }
    EXPECT_EQ(tree.erase(buckets[1]), buckets[2]);
    EXPECT_EQ(tree.totalChars(), 20);
    EXPECT_EQ(tree.erase(buckets[2]), nullptr);
    EXPECT_EQ(tree.m_last, buckets[0]);
    EXPECT_EQ(tree.erase(buckets[0]), nullptr);
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(tree.m_first, nullptr);
    EXPECT_EQ(tree.totalChars(), 0);
}

// Hanging the new bucket above the left subtree of the bucket it precedes
// would stack red buckets and let the tree degrade into a chain when many
// buckets go in before the same one (as a long paste does).
TEST(TreeList, RepeatedInsertBeforeOneBucketStaysBalanced)
{
    tree_list tree;
    for (int i = 0; i < 3; ++i)
        tree.insertBefore(nullptr, new TokenBuffer(nullptr));
    TokenBuffer* target = tree.m_last;
    const int count = 2000;
    for (int i = 0; i < count; ++i)
        tree.insertBefore(target, new TokenBuffer(nullptr));
    ASSERT_TRUE(treeIsConsistent(tree, false));
    EXPECT_EQ(bucketsInListOrder(tree).back(), target);
    // A red-black tree of n nodes is at most 2 log2(n + 1) high.
    EXPECT_LE(treeHeight(tree.m_root), 2 * 11 + 1);
}

TEST(TreeList, RandomEditsKeepRedBlackRulesAndSums)
{
    std::mt19937 random(20240611);
    tree_list tree;
    std::vector<TokenBuffer*> model;
    for (int step = 0; step < 4000; ++step) {
        const unsigned choice = random() % 10;
        if (choice < 5 || model.size() < 2) {
            const size_t at = random() % (model.size() + 1);
            TokenBuffer* bucket = new TokenBuffer(nullptr);
            tree.insertBefore(at == model.size() ? nullptr : model[at], bucket);
            tree.adjustCounts(bucket, random() % 1000, random() % 20, random() % 3);
            model.insert(model.begin() + at, bucket);
        } else if (choice < 8) {
            const size_t at = random() % model.size();
            TokenBuffer* following = tree.erase(model[at]);
            model.erase(model.begin() + at);
            ASSERT_EQ(following, at < model.size() ? model[at] : nullptr);
        } else {
            TokenBuffer* bucket = model[random() % model.size()];
            const int64_t chars = -static_cast<int64_t>(random() % (bucket->ownChars + 1));
            tree.adjustCounts(bucket, chars, 0, 0);
        }
        ASSERT_TRUE(treeIsConsistent(tree, false)) << "after step " << step;
        ASSERT_EQ(bucketsInListOrder(tree), model) << "after step " << step;
    }
}
