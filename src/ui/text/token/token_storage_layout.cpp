// The layout queries of a token storage: which position lies at a point of
// a layout, and where a position is drawn. Both read the per-bucket heights
// to skip whole subtrees and lay out only the buckets near the answer, with
// the same walk that keeps the buckets' records, so that what the queries
// see is exactly what the records sum up.
#include "ui/text/token/token_storage.h"

#include <cmath>
#include <limits>

#include "canvas/unicode_font.h"
#include "ui/log.h"
#include "ui/text/syntax/styler.h"
#include "ui/text/token/layout_walk.h"

namespace {

struct RecordedPiece {
    const Token* token;
    int32_t begin;
    int32_t end;
    double x;
    double width;
    double lineTop;
};

class PieceList : public LayoutPieceSink {
public:
    void piece(const Token* token, int32_t begin, int32_t end, double x, double width,
               double lineTop) override
    {
        pieces.push_back(RecordedPiece{token, begin, end, x, width, lineTop});
    }
    std::vector<RecordedPiece> pieces;
};

double subtreeHeight(const TokenBuffer* bucket, uint32_t layout)
{
    if (!bucket)
        return 0.0;
    const BucketLayout& record = bucket->m_layout[layout];
    return record.height + record.descendantsHeight;
}

// Chooses the position nearest a point among the boundaries of the pieces a
// walk reports: first the screen line whose centre is nearest (a later line
// wins near ties), then on it the boundary nearest one pixel left of the
// point (a later boundary wins ties).
class HitTest : public LayoutPieceSink {
public:
    HitTest(const LayoutData& layout, double px, double py)
        : m_font(*layout.settings.font), m_lineStep(layout.settings.lineHeight()),
          m_centreOffset(layout.settings.linePaddingTop + layout.settings.font->lineHeight() / 2.0),
          m_targetX(px - 1.0), m_py(py)
    {
    }

    // The walk that follows reports pieces relative to `top`, starting at
    // text position `position`.
    void startBucket(double top, int64_t position)
    {
        m_top = top;
        m_position = position;
        m_lastLength = -1;
    }

    void piece(const Token* token, int32_t begin, int32_t end, double x, double width,
               double lineTop) override
    {
        // Every token's first piece starts at its unit 0 (the same record
        // may follow itself, so pointers cannot tell tokens apart).
        if (begin == 0) {
            if (m_lastLength >= 0)
                m_position += m_lastLength;
            m_lastLength = token->length();
        }
        const double centre = m_top + lineTop + m_centreOffset;
        if (!considerLine(centre))
            return;
        const int64_t start = m_position + begin;
        if (token->isLineBreak()) {
            considerBoundary(x, start);
            if (considerLine(centre + m_lineStep))
                considerBoundary(0.0, start + 1);
            return;
        }
        if (token->begin[begin] == u'\t') {
            considerBoundary(x, start);
            considerBoundary(x + width, start + 1);
            return;
        }
        double edge = x;
        for (int32_t i = begin; i < end; ++i) {
            considerBoundary(edge, m_position + i);
            edge += m_font.advance(token->begin[i]);
        }
        considerBoundary(edge, m_position + end);
    }

    bool found() const { return m_best >= 0; }
    int64_t best() const { return m_best; }

private:
    // Whether a line with this centre is the best line, making it so when it
    // is nearer (within 0.001) than the best so far.
    bool considerLine(double centre)
    {
        if (!(std::fabs(m_bestCentre - m_py) + 0.001 > std::fabs(centre - m_py)))
            return centre == m_bestCentre;
        if (centre != m_bestCentre) {
            m_bestCentre = centre;
            m_bestX = std::numeric_limits<double>::infinity();
        }
        return true;
    }

    void considerBoundary(double x, int64_t position)
    {
        if (std::fabs(m_bestX - m_targetX) >= std::fabs(x - m_targetX)) {
            m_bestX = x;
            m_best = position;
        }
    }

    UnicodeFont& m_font;
    const double m_lineStep;
    const double m_centreOffset;
    const double m_targetX;
    const double m_py;
    double m_bestCentre = std::numeric_limits<double>::infinity();
    double m_bestX = std::numeric_limits<double>::infinity();
    int64_t m_best = -1;
    double m_top = 0.0;
    int64_t m_position = 0;
    int64_t m_lastLength = -1; // length of the token being reported; -1 before the first
};

// Walks the subtree of `bucket` in text order, laying out the buckets whose
// lines come near the point.
void hitTestSubtree(const TokenBuffer* bucket, uint32_t layout, const LayoutData& data,
                    double py, double& y, int64_t& position, HitTest& hit)
{
    if (!bucket)
        return;
    const double lineStep = data.settings.lineHeight();
    auto near = [&](double top, double height) { return top < py + 1 && top + height >= py - lineStep; };
    if (!near(y, subtreeHeight(bucket, layout))) {
        y += subtreeHeight(bucket, layout);
        position += bucket->subtreeChars();
        return;
    }
    hitTestSubtree(bucket->left, layout, data, py, y, position, hit);
    const BucketLayout& record = bucket->m_layout[layout];
    if (near(y, record.height)) {
        hit.startBucket(y, position);
        LayoutWalk walk(data, record.startState, &hit);
        for (const Token* token : bucket->tokens)
            walk.placeToken(token);
    }
    y += record.height;
    position += bucket->ownChars;
    hitTestSubtree(bucket->right, layout, data, py, y, position, hit);
}

// Collects, in text order, the buckets of a subtree that show a line inside a
// band and touch a text range; whole subtrees outside either are skipped by
// their sums.
class BandCollector {
public:
    BandCollector(uint32_t layout, double top, double bottom, double lineHeight, int64_t from,
                  int64_t to, std::vector<PlacedBucket>& out)
        : m_layout(layout), m_top(top), m_bottom(bottom), m_lineHeight(lineHeight), m_from(from),
          m_to(to), m_out(out)
    {
    }

    void collect(const TokenBuffer* bucket)
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
        collect(bucket->left);
        if (lineVisible(m_y, record.height) && touchesRange(m_position, bucket->ownChars))
            m_out.push_back(PlacedBucket{bucket, m_y, m_position, m_lines, record.startState});
        m_y += record.height;
        m_position += bucket->ownChars;
        m_lines += bucket->ownLines;
        collect(bucket->right);
    }

private:
    // Whether something starting at y with this height can show a line
    // inside the band: a bucket of height 0 ends inside the line above it.
    bool lineVisible(double y, double height) const
    {
        return y < m_bottom && m_top - m_lineHeight <= y + height;
    }
    bool touchesRange(int64_t position, int64_t chars) const
    {
        return position + chars >= m_from && position <= m_to;
    }

    const uint32_t m_layout;
    const double m_top;
    const double m_bottom;
    const double m_lineHeight;
    const int64_t m_from;
    const int64_t m_to;
    std::vector<PlacedBucket>& m_out;
    double m_y = 0.0;
    int64_t m_position = 0;
    int64_t m_lines = 0;
};

} // namespace

std::vector<PlacedBucket> TokenStorage::bucketsInBand(uint32_t layoutIndex, double top, double bottom,
                                                      int64_t from, int64_t to) const
{
    const double lineHeight = m_layoutData[layoutIndex].settings.lineHeight();
    VASSERT(lineHeight != 0.0);
    std::vector<PlacedBucket> out;
    BandCollector(layoutIndex, top, bottom, lineHeight, from, to, out).collect(m_tokenList.container.m_root);
    return out;
}

int64_t TokenStorage::positionAtPoint(uint32_t layout, double px, double py)
{
    if (size() == 0)
        return 0;
    const LayoutData& data = m_layoutData[layout];
    HitTest hit(data, px, py);
    double y = 0.0;
    int64_t position = 0;
    hitTestSubtree(m_tokenList.container.m_root, layout, data, py, y, position, hit);
    if (hit.found())
        return hit.best();
    return py > 0 ? size() : 0;
}

LayoutPoint TokenStorage::layoutPointOf(uint32_t layout, int64_t position, LayoutState* stateOut)
{
    const LayoutData& data = m_layoutData[layout];
    const double padTop = data.settings.linePaddingTop;
    if (position >= size()) {
        const TokenBuffer* last = m_tokenList.container.m_last;
        if (stateOut)
            *stateOut = last->m_layout[layout].endState;
        return LayoutPoint{last->m_layout[layout].endState.x,
                           subtreeHeight(m_tokenList.container.m_root, layout) + padTop};
    }
    position = std::max<int64_t>(position, 0);
    // Descend to the bucket, adding the heights of everything passed.
    double y = 0.0;
    int64_t passed = 0;
    const TokenBuffer* bucket = m_tokenList.container.m_root;
    for (;;) {
        const int64_t leftChars = bucket->left ? bucket->left->subtreeChars() : 0;
        if (passed + leftChars > position) {
            bucket = bucket->left;
            continue;
        }
        y += subtreeHeight(bucket->left, layout);
        if (passed + leftChars + bucket->ownChars > position) {
            passed += leftChars;
            break;
        }
        passed += leftChars + bucket->ownChars;
        y += bucket->m_layout[layout].height;
        bucket = bucket->right;
    }
    LayoutWalk walk(data, bucket->m_layout[layout].startState);
    uint32_t index = 0;
    for (; index < bucket->size(); ++index) {
        const Token* token = bucket->tokens[index];
        if (passed + token->length() > position)
            break;
        walk.placeToken(token);
        passed += token->length();
    }
    const Token* token = bucket->tokens[index];
    const int32_t offset = static_cast<int32_t>(position - passed);
    if (offset == 0) {
        if (stateOut)
            *stateOut = walk.state;
        return LayoutPoint{walk.state.x, y + walk.height + padTop};
    }
    PieceList pieces;
    walk.sink = &pieces;
    walk.placeToken(token);
    if (stateOut)
        *stateOut = walk.state;
    for (const RecordedPiece& piece : pieces.pieces) {
        if (piece.end < offset)
            continue;
        // The piece holds the unit before the position.
        double x = piece.x + piece.width;
        if (piece.end - piece.begin > 1)
            x = piece.x + textWidth(*data.settings.font, token->begin + piece.begin, token->begin + offset);
        return LayoutPoint{x, y + piece.lineTop + padTop};
    }
    return LayoutPoint{walk.state.x, y + walk.height + padTop};
}

LayoutPoint TokenStorage::pointAtPosition(uint32_t layout, int64_t position)
{
    validateUntil(position);
    return layoutPointOf(layout, position, nullptr);
}

LayoutPoint TokenStorage::pointAtPositionNearX(uint32_t layout, int64_t position, double preferredX)
{
    validateUntil(position);
    if (preferredX == -1.0 || position >= size())
        return layoutPointOf(layout, position, nullptr);
    LayoutState state;
    const LayoutPoint p = layoutPointOf(layout, position, &state);
    if (charAt(position) == u'\n')
        return p;
    const LayoutPoint q = layoutPointOf(layout, position + 1, nullptr);
    if (q.y == p.y)
        return p;
    const LayoutPoint a{state.indent, p.y + m_layoutData[layout].settings.lineHeight()};
    return std::fabs(p.x - preferredX) > std::fabs(a.x - preferredX) ? a : p;
}

void TokenStorage::setScopeStyler(slate::SP<ScopeStyler> styler)
{
    if (styler.get() == m_scopeStyler.get())
        return;
    if (styler && m_scopeStyler && styler->regexStyler().get() == m_scopeStyler->regexStyler().get())
        return;
    m_scopeStyler = std::move(styler);
    m_tokenList.container.m_first->m_startStyler = m_scopeStyler.get();
    m_tokenList.container.m_first->carryStylersForward();
}

void TokenStorage::setColourScheme(const ustring& path)
{
    if (Styler::alive())
        setScopeStyler(Styler::get().scopeStylerFor(path));
}

const Style* TokenStorage::styleForScopeName(const ustring& name)
{
    if (!m_scopeStyler)
        return nullptr;
    const ScopeRecord* scope;
    {
        ScopedLock lock(m_syntax->lexerLock());
        scope = m_syntax->lexer()->joinedScopes().intern(slate::usubstring(name));
    }
    return m_scopeStyler->styleForScope(scope);
}
