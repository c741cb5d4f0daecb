// Test helpers for the token tree: a pool of token records made from text, and
// full recounts of every invariant the tree promises, so that tests can check
// the incremental bookkeeping against a slow, obviously right answer.
#pragma once

#include <deque>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "ui/text/token/bucket_container.h"
#include "ui/ustring.h"

namespace token_tree_test {

// Owns token records and their texts for the length of a test.
class TokenPool {
public:
    Token* make(const ustring& text, bool misspelled = false)
    {
        m_texts.push_back(text);
        const ustring& stored = m_texts.back();
        m_tokens.push_back(Token{stored.data(), stored.data() + stored.size(), nullptr, nullptr, 0.f, misspelled ? uint8_t(0) : uint8_t(1)});
        return &m_tokens.back();
    }
    // `count` distinct one-unit tokens, so that order mistakes show.
    std::vector<Token*> many(size_t count)
    {
        std::vector<Token*> tokens;
        for (size_t i = 0; i < count; ++i)
            tokens.push_back(make(ustring(1, uchar(u'A' + i % 26))));
        return tokens;
    }

private:
    std::deque<ustring> m_texts; // deque: elements never move
    std::deque<Token> m_tokens;
};

inline std::vector<TokenBuffer*> bucketsInListOrder(const tree_list& tree)
{
    std::vector<TokenBuffer*> buckets;
    for (TokenBuffer* bucket = tree.m_first; bucket; bucket = bucket->next)
        buckets.push_back(bucket);
    return buckets;
}

inline std::vector<Token*> tokensInOrder(const bucket_container& tokens)
{
    std::vector<Token*> result;
    for (TokenBuffer* bucket = tokens.container.m_first; bucket; bucket = bucket->next)
        result.insert(result.end(), bucket->tokens.begin(), bucket->tokens.end());
    return result;
}

namespace detail {

struct Sums {
    int64_t chars = 0;
    int64_t lines = 0;
    int64_t misspelled = 0;
};

// Checks the subtree of `node` and returns its sums; -1 black height on error.
inline Sums checkSubtree(const TokenBuffer* node, bool recountTokens, int& blackHeight,
    std::vector<const TokenBuffer*>& inOrder, std::ostringstream& errors)
{
    if (!node) {
        blackHeight = 1;
        return {};
    }
    if (node->colour != TokenBuffer::Colour::kRed && node->colour != TokenBuffer::Colour::kBlack)
        errors << "bucket " << node << " has colour " << static_cast<int32_t>(node->colour) << "\n";
    for (const TokenBuffer* child : {node->left, node->right}) {
        if (!child)
            continue;
        if (child->parent != node)
            errors << "child " << child << " does not point back to " << node << "\n";
        if (node->colour == TokenBuffer::Colour::kRed && child->colour == TokenBuffer::Colour::kRed)
            errors << "red bucket " << node << " has a red child\n";
    }
    int leftHeight = 0, rightHeight = 0;
    const Sums left = checkSubtree(node->left, recountTokens, leftHeight, inOrder, errors);
    inOrder.push_back(node);
    const Sums right = checkSubtree(node->right, recountTokens, rightHeight, inOrder, errors);
    if (leftHeight != rightHeight)
        errors << "black heights " << leftHeight << " and " << rightHeight << " under " << node << "\n";
    blackHeight = leftHeight + (node->colour == TokenBuffer::Colour::kBlack ? 1 : 0);

    if (recountTokens) {
        Sums own;
        for (const Token* token : node->tokens) {
            own.chars += token->length();
            own.lines += token->isLineBreak();
            own.misspelled += token->isMisspelled();
        }
        if (own.chars != node->ownChars || own.lines != node->ownLines || own.misspelled != node->ownMisspelled)
            errors << "own sums of " << node << " are " << node->ownChars << "/" << node->ownLines << "/"
                   << node->ownMisspelled << ", recount " << own.chars << "/" << own.lines << "/"
                   << own.misspelled << "\n";
    }
    const Sums descendants{left.chars + right.chars, left.lines + right.lines, left.misspelled + right.misspelled};
    if (descendants.chars != node->descendantChars || descendants.lines != node->descendantLines
        || descendants.misspelled != node->descendantMisspelled)
        errors << "descendant sums of " << node << " are " << node->descendantChars << "/"
               << node->descendantLines << "/" << node->descendantMisspelled << ", recount "
               << descendants.chars << "/" << descendants.lines << "/" << descendants.misspelled << "\n";
    return {descendants.chars + node->ownChars, descendants.lines + node->ownLines,
        descendants.misspelled + node->ownMisspelled};
}

} // namespace detail

// Red-black rules, parent links, sums (own sums recounted from the tokens when
// `recountTokens`), list links, and in-order sequence equal to list order.
inline ::testing::AssertionResult treeIsConsistent(const tree_list& tree, bool recountTokens)
{
    std::ostringstream errors;
    if (tree.m_root) {
        if (tree.m_root->parent)
            errors << "root has a parent\n";
        if (tree.m_root->colour != TokenBuffer::Colour::kBlack)
            errors << "root is red\n";
    }
    int blackHeight = 0;
    std::vector<const TokenBuffer*> inOrder;
    detail::checkSubtree(tree.m_root, recountTokens, blackHeight, inOrder, errors);

    std::vector<const TokenBuffer*> listOrder;
    const TokenBuffer* previous = nullptr;
    for (const TokenBuffer* bucket = tree.m_first; bucket; bucket = bucket->next) {
        if (bucket->prev != previous)
            errors << "bucket " << bucket << " has a wrong prev link\n";
        listOrder.push_back(bucket);
        previous = bucket;
        if (listOrder.size() > inOrder.size() + 1)
            break; // a cycle
    }
    if (previous != tree.m_last)
        errors << "m_last is not the end of the list\n";
    if (tree.m_last && tree.m_last->right)
        errors << "the last bucket has a right child\n";
    if (listOrder != inOrder)
        errors << "in-order sequence (" << inOrder.size() << " buckets) differs from list order ("
               << listOrder.size() << " buckets)\n";
    const std::string text = errors.str();
    if (text.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << text;
}

// treeIsConsistent plus the container's own promises: at least one bucket,
// no bucket over capacity, no empty bucket beside others, m_lastTouched live.
inline ::testing::AssertionResult containerIsConsistent(const bucket_container& tokens)
{
    ::testing::AssertionResult tree = treeIsConsistent(tokens.container, true);
    if (!tree)
        return tree;
    std::ostringstream errors;
    const std::vector<TokenBuffer*> buckets = bucketsInListOrder(tokens.container);
    if (buckets.empty())
        errors << "no bucket\n";
    bool lastTouchedFound = false;
    for (const TokenBuffer* bucket : buckets) {
        if (bucket->size() > kTokenBufferCapacity)
            errors << "bucket over capacity\n";
        if (bucket->empty() && buckets.size() > 1)
            errors << "empty bucket beside others\n";
        lastTouchedFound |= bucket == tokens.m_lastTouched;
    }
    if (!lastTouchedFound)
        errors << "m_lastTouched is not in the list\n";
    const std::string text = errors.str();
    if (text.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << text;
}

} // namespace token_tree_test
