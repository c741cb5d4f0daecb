// The buckets of a token storage, held at once as a doubly linked list in text
// order and as a red-black tree whose in-order sequence is that list. The list
// makes walking the text cheap; the tree, whose nodes carry subtree sums of
// characters, line breaks and misspelled tokens, makes finding a position or
// a row logarithmic in the number of buckets.
//
// Owns its buckets. One thread at a time (the storage's).
#pragma once

#include <cstdint>

#include "ui/text/token/token_buffer.h"

class tree_list {
public:
    tree_list() = default;
    ~tree_list() { clear(); }
    tree_list(const tree_list&) = delete;
    tree_list& operator=(const tree_list&) = delete;

    bool empty() const { return m_root == nullptr; }

    // Takes ownership of the unlinked bucket `n` and links it right before
    // `at` in the list and in the tree; a null `at` appends it.
    void insertBefore(TokenBuffer* at, TokenBuffer* n);
    // Unlinks `n` from list and tree, frees it (tokens and all) and returns
    // the bucket that followed it, or null.
    TokenBuffer* erase(TokenBuffer* n);
    // Adds the deltas to `b`'s own sums and to the descendant sums of every
    // ancestor, then lets `b` lay itself out again. Call it whenever tokens
    // enter or leave `b`, with the counts of exactly those tokens.
    void adjustCounts(TokenBuffer* b, int64_t dChars, int32_t dLines, int32_t dMisspelled);
    // Frees every bucket; the tree is then empty.
    void clear();

    // Totals of the whole text; 0 for an empty tree.
    int64_t totalChars() const { return m_root ? m_root->subtreeChars() : 0; }
    int32_t totalLines() const { return m_root ? m_root->subtreeLines() : 0; }
    int32_t totalMisspelled() const { return m_root ? m_root->subtreeMisspelled() : 0; }

    TokenBuffer* m_root = nullptr;
    TokenBuffer* m_first = nullptr; // first bucket in text order
    TokenBuffer* m_last = nullptr; // last bucket in text order; never has a right child

private:
    // Hang the detached subtree `child` under `parent`, whose side must be
    // empty, and add its sums to `parent` and every ancestor.
    void attachLeft(TokenBuffer* parent, TokenBuffer* child);
    void attachRight(TokenBuffer* parent, TokenBuffer* child);
    // Take `parent`'s subtree on that side (which must exist) off the tree,
    // subtracting its sums from `parent` and every ancestor.
    TokenBuffer* detachLeft(TokenBuffer* parent);
    TokenBuffer* detachRight(TokenBuffer* parent);
    // Takes `node` off its parent (or off the root) and returns the parent;
    // `wasLeft` tells which side it hung on.
    TokenBuffer* detachFromParent(TokenBuffer* node, bool& wasLeft);
    // Puts the detached subtree `node` where detachFromParent took one from.
    void reattach(TokenBuffer* parent, bool wasLeft, TokenBuffer* node);

    void rotateLeft(TokenBuffer* x);
    void rotateRight(TokenBuffer* x);
    void insertFixup(TokenBuffer* n);
    // `x` (maybe null) took the place of a removed black node under `xParent`.
    void eraseFixup(TokenBuffer* x, TokenBuffer* xParent);

    static void linkBetween(TokenBuffer* prev, TokenBuffer* n, TokenBuffer* next);
};
