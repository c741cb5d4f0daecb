// Bucket construction and the layout bookkeeping of the token tree. Every
// bucket keeps, per layout, the layout state at its start and end and the
// height and width of what it holds, with the same height and width summed
// over its subtree, so that the size of the laid-out text is read at the
// root. The tree calls the hooks below wherever a bucket's tokens or its
// place change; a change is laid out in the touched bucket and carried
// forward only until a bucket's start state agrees with what now arrives,
// which after most edits is at once.
#include "ui/text/token/token_buffer.h"

#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/text/token/layout_walk.h"
#include "ui/text/token/token_storage.h"

namespace {

const LayoutState kOrigin{0.0, 0.0, 0.0, false};

// Recomputes the descendants' height and width of `bucket` and its
// ancestors for layout `i`, stopping where nothing changes any more.
void updateLayoutSums(TokenBuffer* bucket, uint32_t i)
{
    for (TokenBuffer* node = bucket; node; node = node->parent) {
        double height = 0.0;
        double width = 0.0;
        for (const TokenBuffer* child : {node->left, node->right}) {
            if (!child)
                continue;
            const BucketLayout& record = child->m_layout[i];
            height += record.height + record.descendantsHeight;
            width = std::max(width, std::max(record.width, record.descendantsWidth));
        }
        BucketLayout& own = node->m_layout[i];
        if (node != bucket && own.descendantsHeight == height && own.descendantsWidth == width)
            return;
        own.descendantsHeight = height;
        own.descendantsWidth = width;
    }
}

// Lays `bucket` out for layout `i` from its start state.
void layoutBucket(TokenBuffer* bucket, uint32_t i)
{
    BucketLayout& record = bucket->m_layout[i];
    VASSERT(record.startState.x != -1.f);
    VASSERT(!bucket->prev || (bucket->prev->m_layout[i].endState == record.startState));
    ++bucket->m_storage->m_bucketsLaidOut;
    LayoutWalk walk(bucket->m_storage->m_layoutData[i], record.startState);
    for (const Token* token : bucket->tokens)
        walk.placeToken(token);
    record.endState = walk.state;
    const bool changed = record.height != walk.height || record.width != walk.width;
    record.height = walk.height;
    record.width = walk.width;
    if (changed && bucket->parent)
        updateLayoutSums(bucket->parent, i);
}

// Lays `bucket` out and carries its end state forward until a bucket's
// start state agrees.
void relayout(TokenBuffer* bucket, uint32_t i)
{
    if (!bucket->prev)
        bucket->m_layout[i].startState = kOrigin;
    for (;;) {
        layoutBucket(bucket, i);
        TokenBuffer* next = bucket->next;
        if (!next || next->m_layout[i].startState == bucket->m_layout[i].endState)
            return;
        next->m_layout[i].startState = bucket->m_layout[i].endState;
        bucket = next;
    }
}

} // namespace

TokenBuffer::TokenBuffer(TokenStorage* storage) : m_storage(storage)
{
    if (m_storage) {
        m_layout.resize(m_storage->m_layoutData.size());
        m_startStyler = m_endStyler = m_storage->m_scopeStyler.get();
    }
    ++g_statTokenBufferCount.count;
}

void TokenBuffer::carryStylersForward()
{
    for (TokenBuffer* bucket = this;;) {
        bucket->m_endStyler = bucket->m_startStyler;
        TokenBuffer* next = bucket->next;
        if (!next || next->m_startStyler == bucket->m_endStyler)
            return;
        next->m_startStyler = bucket->m_endStyler;
        bucket = next;
    }
}

void TokenBuffer::refreshStart()
{
    if (!m_storage)
        return;
    VASSERT(m_storage && m_storage->m_layoutData.size() == m_layout.size());
    for (uint32_t i = 0; i < m_layout.size(); ++i) {
        const LayoutState& wanted = prev ? prev->m_layout[i].endState : kOrigin;
        // A predecessor not laid out yet belongs to a layout being added,
        // which lays everything out from the first bucket itself.
        if (wanted.x == -1.0 || m_layout[i].startState == wanted)
            continue;
        m_layout[i].startState = wanted;
        relayout(this, i);
    }
    const ScopeStyler* wantedStyler = prev ? prev->m_endStyler : m_storage->m_scopeStyler.get();
    if (m_startStyler != wantedStyler) {
        m_startStyler = wantedStyler;
        carryStylersForward();
    }
}

void TokenBuffer::relayoutAll()
{
    if (!m_storage)
        return;
    for (uint32_t i = 0; i < m_layout.size(); ++i) {
        if (m_layout[i].startState.x == -1.0 && prev)
            continue;
        relayout(this, i);
    }
    carryStylersForward();
}

void TokenBuffer::relayoutFromHere(uint32_t layoutIndex)
{
    relayout(this, layoutIndex);
}

void TokenBuffer::updateAllLayoutSums()
{
    if (!m_storage)
        return;
    for (uint32_t i = 0; i < m_layout.size(); ++i)
        updateLayoutSums(this, i);
}
