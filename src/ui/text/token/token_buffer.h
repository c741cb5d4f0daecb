// One bucket of the token tree: up to 512 token pointers in text order, linked
// both into the bucket list (prev/next) and into the red-black tree over it
// (parent/left/right). Each bucket keeps sums over its own tokens and over its
// tree descendants so that positions, rows and totals are found by one
// descent, and per-layout records so that the height and width of the text
// are known without walking it.
//
// Buckets are created and linked only by `tree_list` and `bucket_container`;
// everything else reads them. The fields are public in the manner of a tree
// node: the invariants below are kept by those two classes.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/text/token/fixed_length_vector.h"
#include "ui/text/token/token.h"

class TokenStorage;
class ScopeStyler;

// Pointers per bucket. 512, not 511: a bucket may be completely full.
constexpr uint32_t kTokenBufferCapacity = 512;

// The pen state of a layout walk at one point of the text.
struct LayoutState {
    double x = 0.0; // pen position on the current screen line; -1 = not laid out
    double logicalX = 0.0; // from the start of the text line, ignoring wraps
    double indent = 0.0; // where a wrapped continuation starts
    bool seenText = false; // a visible character past leading blanks was placed

    bool operator==(const LayoutState& other) const
    {
        return x == other.x && logicalX == other.logicalX && indent == other.indent
            && seenText == other.seenText;
    }
    bool operator!=(const LayoutState& other) const { return !(*this == other); }
};

// One bucket's share of one layout. A new record is not laid out (both
// states have x -1).
struct BucketLayout {
    LayoutState startState{-1.0, 0.0, 0.0, false};
    LayoutState endState{-1.0, 0.0, 0.0, false};
    double height = 0.0; // line advances made inside the bucket
    double descendantsHeight = 0.0; // sum of height + descendantsHeight of the children
    double width = 0.0; // rightmost pen position reached inside the bucket
    double descendantsWidth = 0.0; // largest width or descendantsWidth among the children
};

class TokenBuffer {
public:
    enum class Colour : int32_t { kRed = 0, kBlack = 1 };

    // An unlinked, red, empty bucket of `storage` (null for a tree used
    // without a storage). Counts itself in the statistics.
    explicit TokenBuffer(TokenStorage* storage);
    TokenBuffer(const TokenBuffer&) = delete;
    TokenBuffer& operator=(const TokenBuffer&) = delete;

    uint32_t size() const { return tokens.size(); }
    bool empty() const { return tokens.empty(); }

    // Sums over the bucket and its whole subtree.
    int64_t subtreeChars() const { return ownChars + descendantChars; }
    int32_t subtreeLines() const { return ownLines + descendantLines; }
    int32_t subtreeMisspelled() const { return ownMisspelled + descendantMisspelled; }

    // Layout hooks, called by the tree at the points where the layout
    // bookkeeping must follow a change. They do nothing for a bucket without
    // a storage, and lay nothing out while the storage has no layouts.
    //
    // After this bucket was linked into the list or its predecessor was
    // unlinked: re-derive its start states and styling stamps from its
    // predecessor.
    void refreshStart();
    // After the bucket's tokens changed: lay it out again for every layout and
    // carry the change and the styling stamps forward.
    void relayoutAll();
    // After a child subtree was attached or detached: recompute the
    // descendants' height and width of every layout up the tree.
    void updateAllLayoutSums();
    // Lays this bucket out for one layout and carries the change forward
    // (the first bucket starts from the origin). Used when a layout is added.
    void relayoutFromHere(uint32_t layoutIndex);
    // The end stamp takes the start stamp, and so on along the list until a
    // bucket already starts with it.
    void carryStylersForward();

    TokenBuffer* prev = nullptr; // text order; null at the ends
    TokenBuffer* next = nullptr;
    TokenBuffer* parent = nullptr; // tree links; null parent = root or detached
    TokenBuffer* left = nullptr;
    TokenBuffer* right = nullptr;
    Colour colour = Colour::kRed;

    // The bucket's tokens in text order. The records belong to the storage's
    // arena, never to the bucket.
    fixed_length_vector<Token*, kTokenBufferCapacity> tokens;
    // One record per layout of m_storage, in layout index order.
    std::vector<BucketLayout> m_layout;
    TokenStorage* m_storage;

    int64_t ownChars = 0; // sum of the lengths of `tokens`
    int32_t ownLines = 0; // line-break tokens among `tokens`
    int32_t ownMisspelled = 0; // misspelled tokens among `tokens`
    // The same sums over both subtrees, this bucket excluded.
    int64_t descendantChars = 0;
    int32_t descendantLines = 0;
    int32_t descendantMisspelled = 0;

    // The scope styler the tokens were last seen with, at the bucket's start
    // and at its end (not owned).
    const ScopeStyler* m_startStyler = nullptr;
    const ScopeStyler* m_endStyler = nullptr;
};
