// The walk over the buckets of a token storage that intersect a vertical
// band of one layout, optionally also limited to a range of text. Whole
// subtrees above the band, below it or outside the range are passed by
// their stored heights and counts without being visited, so a walk costs
// the visible buckets plus one descent.
#pragma once

#include <cstdint>
#include <limits>

#include "ui/log.h"
#include "ui/text/token/layout_walk.h"
#include "ui/text/token/token_storage.h"

class TokenBufferVisitor {
public:
    // The band [top, bottom) of layout `layout` (layout y); `lineHeight` is
    // the layout's line step, never 0.
    TokenBufferVisitor(TokenStorage& storage, uint32_t layout, double top, double bottom, double lineHeight)
        : m_storage(storage), m_layout(layout), m_top(top), m_bottom(bottom),
          m_lineHeight(lineHeight)
    {
        VASSERT(m_lineHeight != 0.f);
    }

    // Visits only buckets whose text touches [from, to].
    void limitToRange(int64_t from, int64_t to)
    {
        m_from = from;
        m_to = to;
    }

    // Calls visit(bucket, layout y of the bucket's start, text position of
    // its first unit, line breaks before it) for each visited bucket, in
    // text order. The visitor must not change the storage.
    template <typename Visit>
    void run(Visit&& visit)
    {
        m_y = 0.0;
        m_position = 0;
        m_lines = 0;
        walk(m_storage.m_tokenList.container.m_root, visit);
    }

    // Whether a bucket (or subtree) starting at y with this height can show
    // a line inside the band.
    bool lineVisible(double y, double height) const
    {
        return y < m_bottom && m_top - m_lineHeight <= y + height;
    }

private:
    template <typename Visit>
    void walk(TokenBuffer* bucket, Visit& visit)
    {
        if (!bucket)
            return;
        const BucketLayout& record = bucket->m_layout[m_layout];
        const double subtreeHeight = record.height + record.descendantsHeight;
        const int64_t subtreeChars = bucket->subtreeChars();
        if (!lineVisible(m_y, subtreeHeight) || !touchesRange(m_position, subtreeChars)) {
            m_y += subtreeHeight;
            m_position += subtreeChars;
            m_lines += bucket->subtreeLines();
            return;
        }
        walk(bucket->left, visit);
        if (lineVisible(m_y, record.height) && touchesRange(m_position, bucket->ownChars))
            visit(bucket, m_y, m_position, m_lines);
        m_y += record.height;
        m_position += bucket->ownChars;
        m_lines += bucket->ownLines;
        walk(bucket->right, visit);
    }

    bool touchesRange(int64_t position, int64_t chars) const
    {
        return position + chars >= m_from && position <= m_to;
    }

    TokenStorage& m_storage;
    uint32_t m_layout;
    double m_top;
    double m_bottom;
    double m_lineHeight;
    int64_t m_from = std::numeric_limits<int64_t>::min();
    int64_t m_to = std::numeric_limits<int64_t>::max();
    double m_y = 0.0;
    int64_t m_position = 0;
    int64_t m_lines = 0;
};

// A piece sink that knows where each token of a bucket starts: the walks
// below set `tokenStart` before placing each token.
class PositionedPieceSink : public LayoutPieceSink {
public:
    int64_t tokenStart = 0;
    double bucketTop = 0.0; // layout y of the bucket being placed
};

// Places every token of `bucket` from its stored start state, reporting the
// pieces to `sink` with the token's text position set.
inline void placeBucket(const LayoutData& layout, TokenBuffer* bucket, uint32_t layoutIndex,
                        double bucketTop, int64_t position, PositionedPieceSink& sink)
{
    LayoutWalk walk(layout, bucket->m_layout[layoutIndex].startState, &sink);
    sink.bucketTop = bucketTop;
    for (const Token* token : bucket->tokens) {
        sink.tokenStart = position;
        walk.placeToken(token);
        position += token->length();
    }
}
