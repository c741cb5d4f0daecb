// The red-black tree over the bucket list. Every structural change is made of
// four primitives, attach and detach on either side, which carry the subtree
// sums up to the root; rotations and splices are built from them, so the sums
// can never disagree with the shape. A subtree is detached from its parent
// before it is reshaped, which keeps the sum walks inside it short and leaves
// one walk to the root for putting it back.
//
// New buckets are always linked as leaves (the left child of the bucket they
// precede, or the right child of that bucket's predecessor), so the standard
// insertion fix-up restores the colour rules.
#include "ui/text/token/tree_list.h"

#include "ui/log.h"

namespace {

bool isRed(const TokenBuffer* n)
{
    return n && n->colour == TokenBuffer::Colour::kRed;
}

bool isBlack(const TokenBuffer* n)
{
    return !isRed(n);
}

// Adds to the descendant sums of `from` and every ancestor of it.
void addToAncestors(TokenBuffer* from, int64_t chars, int32_t lines, int32_t misspelled)
{
    for (TokenBuffer* node = from; node; node = node->parent) {
        node->descendantChars += chars;
        node->descendantLines += lines;
        node->descendantMisspelled += misspelled;
    }
}

void addSubtreeTo(TokenBuffer* parent, const TokenBuffer* child, int sign)
{
    addToAncestors(parent, sign * child->subtreeChars(), sign * child->subtreeLines(),
        sign * child->subtreeMisspelled());
}

} // namespace

void tree_list::attachLeft(TokenBuffer* parent, TokenBuffer* child)
{
    VASSERT(parent->left == 0);
    VASSERT(child->parent == 0);
    parent->left = child;
    child->parent = parent;
    addSubtreeTo(parent, child, 1);
    parent->updateAllLayoutSums();
}

void tree_list::attachRight(TokenBuffer* parent, TokenBuffer* child)
{
    VASSERT(parent->right == 0);
    VASSERT(child->parent == 0);
    parent->right = child;
    child->parent = parent;
    addSubtreeTo(parent, child, 1);
    parent->updateAllLayoutSums();
}

TokenBuffer* tree_list::detachLeft(TokenBuffer* parent)
{
    VASSERT(parent->left);
    VASSERT(parent->left->parent == parent);
    TokenBuffer* child = parent->left;
    addSubtreeTo(parent, child, -1);
    parent->left = nullptr;
    child->parent = nullptr;
    parent->updateAllLayoutSums();
    return child;
}

TokenBuffer* tree_list::detachRight(TokenBuffer* parent)
{
    VASSERT(parent->right);
    VASSERT(parent->right->parent == parent);
    TokenBuffer* child = parent->right;
    addSubtreeTo(parent, child, -1);
    parent->right = nullptr;
    child->parent = nullptr;
    parent->updateAllLayoutSums();
    return child;
}

TokenBuffer* tree_list::detachFromParent(TokenBuffer* node, bool& wasLeft)
{
    TokenBuffer* parent = node->parent;
    if (!parent) {
        VASSERT(m_root == node);
        m_root = nullptr;
        wasLeft = false;
        return nullptr;
    }
    wasLeft = parent->left == node;
    if (wasLeft)
        detachLeft(parent);
    else
        detachRight(parent);
    return parent;
}

void tree_list::reattach(TokenBuffer* parent, bool wasLeft, TokenBuffer* node)
{
    if (!parent) {
        VASSERT(!node || node->parent == 0);
        m_root = node;
        return;
    }
    if (!node)
        return;
    if (wasLeft)
        attachLeft(parent, node);
    else
        attachRight(parent, node);
}

void tree_list::rotateLeft(TokenBuffer* x)
{
    bool wasLeft;
    TokenBuffer* parent = detachFromParent(x, wasLeft);
    TokenBuffer* y = detachRight(x);
    if (y->left)
        attachRight(x, detachLeft(y));
    attachLeft(y, x);
    reattach(parent, wasLeft, y);
}

void tree_list::rotateRight(TokenBuffer* x)
{
    bool wasLeft;
    TokenBuffer* parent = detachFromParent(x, wasLeft);
    TokenBuffer* y = detachLeft(x);
    if (y->right)
        attachLeft(x, detachRight(y));
    attachRight(y, x);
    reattach(parent, wasLeft, y);
}

void tree_list::linkBetween(TokenBuffer* prev, TokenBuffer* n, TokenBuffer* next)
{
    VASSERT(n->next == 0 && n->prev == 0);
    VASSERT(!prev || prev->next == next);
    VASSERT(!next || next->prev == prev);
    n->prev = prev;
    n->next = next;
    if (prev)
        prev->next = n;
    if (next)
        next->prev = n;
}

void tree_list::insertBefore(TokenBuffer* at, TokenBuffer* n)
{
    VASSERT(n && !n->parent && !n->left && !n->right);
    n->colour = TokenBuffer::Colour::kRed;
    if (at) {
        VASSERT(at->prev || m_first == at);
        TokenBuffer* before = at->prev;
        linkBetween(before, n, at);
        if (m_first == at)
            m_first = n;
        // With a left subtree, `before` is its rightmost bucket and so has
        // no right child.
        if (!at->left)
            attachLeft(at, n);
        else
            attachRight(before, n);
    } else if (m_last) {
        linkBetween(m_last, n, nullptr);
        attachRight(m_last, n);
        m_last = n;
    } else {
        linkBetween(nullptr, n, nullptr);
        m_root = m_first = m_last = n;
    }
    insertFixup(n);
    n->refreshStart();
    if (n->next)
        n->next->refreshStart();
}

void tree_list::insertFixup(TokenBuffer* n)
{
    while (n != m_root && isRed(n->parent)) {
        TokenBuffer* parent = n->parent;
        TokenBuffer* grandparent = parent->parent; // exists: a red node is never the root
        if (parent == grandparent->left) {
            TokenBuffer* uncle = grandparent->right;
            if (isRed(uncle)) {
                parent->colour = TokenBuffer::Colour::kBlack;
                uncle->colour = TokenBuffer::Colour::kBlack;
                grandparent->colour = TokenBuffer::Colour::kRed;
                n = grandparent;
                continue;
            }
            if (n == parent->right) {
                n = parent;
                rotateLeft(n);
                parent = n->parent;
            }
            parent->colour = TokenBuffer::Colour::kBlack;
            grandparent->colour = TokenBuffer::Colour::kRed;
            rotateRight(grandparent);
        } else {
            TokenBuffer* uncle = grandparent->left;
            if (isRed(uncle)) {
                parent->colour = TokenBuffer::Colour::kBlack;
                uncle->colour = TokenBuffer::Colour::kBlack;
                grandparent->colour = TokenBuffer::Colour::kRed;
                n = grandparent;
                continue;
            }
            if (n == parent->left) {
                n = parent;
                rotateRight(n);
                parent = n->parent;
            }
            parent->colour = TokenBuffer::Colour::kBlack;
            grandparent->colour = TokenBuffer::Colour::kRed;
            rotateLeft(grandparent);
        }
    }
    m_root->colour = TokenBuffer::Colour::kBlack;
}

TokenBuffer* tree_list::erase(TokenBuffer* n)
{
    VASSERT(n);
    TokenBuffer* following = n->next;
    TokenBuffer* x; // what took the removed node's place; may be null
    TokenBuffer* xParent;
    TokenBuffer::Colour removedColour;
    bool wasLeft;
    if (n->left && n->right) {
        // The in-order successor, which has no left child, takes n's place.
        TokenBuffer* successor = following;
        VASSERT(successor && successor->left == 0);
        removedColour = successor->colour;
        x = successor->right;
        TokenBuffer* parent = detachFromParent(n, wasLeft);
        TokenBuffer* leftTree = detachLeft(n);
        TokenBuffer* rightTree = detachRight(n);
        if (rightTree == successor) {
            xParent = successor;
        } else {
            TokenBuffer* successorParent = successor->parent;
            xParent = successorParent;
            detachLeft(successorParent);
            if (x)
                attachLeft(successorParent, detachRight(successor));
            attachRight(successor, rightTree);
        }
        attachLeft(successor, leftTree);
        successor->colour = n->colour;
        reattach(parent, wasLeft, successor);
    } else {
        TokenBuffer* child = nullptr;
        if (n->left)
            child = detachLeft(n);
        else if (n->right)
            child = detachRight(n);
        removedColour = n->colour;
        TokenBuffer* parent = detachFromParent(n, wasLeft);
        reattach(parent, wasLeft, child);
        x = child;
        xParent = parent;
    }
    if (removedColour == TokenBuffer::Colour::kBlack)
        eraseFixup(x, xParent);

    VASSERT(!n->prev || n->prev->next == n);
    VASSERT(!n->next || n->next->prev == n);
    if (n->prev)
        n->prev->next = n->next;
    if (n->next)
        n->next->prev = n->prev;
    if (m_first == n)
        m_first = n->next;
    if (m_last == n)
        m_last = n->prev;
    if (following)
        following->refreshStart();
    delete n;
    return following;
}

void tree_list::eraseFixup(TokenBuffer* x, TokenBuffer* xParent)
{
    while (x != m_root && isBlack(x)) {
        VASSERT(xParent);
        if (x == xParent->left) {
            TokenBuffer* sibling = xParent->right;
            if (isRed(sibling)) {
                sibling->colour = TokenBuffer::Colour::kBlack;
                xParent->colour = TokenBuffer::Colour::kRed;
                rotateLeft(xParent);
                sibling = xParent->right;
            }
            if (isBlack(sibling->left) && isBlack(sibling->right)) {
                sibling->colour = TokenBuffer::Colour::kRed;
                x = xParent;
                xParent = x->parent;
                continue;
            }
            if (isBlack(sibling->right)) {
                sibling->left->colour = TokenBuffer::Colour::kBlack;
                sibling->colour = TokenBuffer::Colour::kRed;
                rotateRight(sibling);
                sibling = xParent->right;
            }
            sibling->colour = xParent->colour;
            xParent->colour = TokenBuffer::Colour::kBlack;
            sibling->right->colour = TokenBuffer::Colour::kBlack;
            rotateLeft(xParent);
        } else {
            TokenBuffer* sibling = xParent->left;
            if (isRed(sibling)) {
                sibling->colour = TokenBuffer::Colour::kBlack;
                xParent->colour = TokenBuffer::Colour::kRed;
                rotateRight(xParent);
                sibling = xParent->left;
            }
            if (isBlack(sibling->left) && isBlack(sibling->right)) {
                sibling->colour = TokenBuffer::Colour::kRed;
                x = xParent;
                xParent = x->parent;
                continue;
            }
            if (isBlack(sibling->left)) {
                sibling->right->colour = TokenBuffer::Colour::kBlack;
                sibling->colour = TokenBuffer::Colour::kRed;
                rotateLeft(sibling);
                sibling = xParent->left;
            }
            sibling->colour = xParent->colour;
            xParent->colour = TokenBuffer::Colour::kBlack;
            sibling->left->colour = TokenBuffer::Colour::kBlack;
            rotateRight(xParent);
        }
        x = m_root;
        xParent = nullptr;
    }
    if (x)
        x->colour = TokenBuffer::Colour::kBlack;
}

void tree_list::adjustCounts(TokenBuffer* b, int64_t dChars, int32_t dLines, int32_t dMisspelled)
{
    b->ownChars += dChars;
    b->ownLines += dLines;
    b->ownMisspelled += dMisspelled;
    addToAncestors(b->parent, dChars, dLines, dMisspelled);
    b->relayoutAll();
}

void tree_list::clear()
{
    for (TokenBuffer* bucket = m_first; bucket;) {
        TokenBuffer* next = bucket->next;
        delete bucket;
        bucket = next;
    }
    m_root = m_first = m_last = nullptr;
}
