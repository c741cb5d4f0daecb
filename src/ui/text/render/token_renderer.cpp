// The renderer's layout slot, geometry queries and the band walk that every
// drawing pass shares.
//
// Every pass places tokens with the storage's own `LayoutWalk`, started from
// each bucket's stored start state, so what is drawn agrees exactly with the
// heights and widths the storage keeps. The band walk skips whole subtrees
// by their stored heights: the cost of a frame follows the visible text,
// not the length of the buffer.
#include "ui/text/render/token_renderer.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "canvas/canvas.h"
#include "canvas/unicode_font.h"
#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/text/render/token_buffer_visitor.h"

TokenRenderer::TokenRenderer(TokenStorage* storage, float wrapWidth, const LayoutSettings& settings)
    : m_storage(storage), m_wrapWidth(wrapWidth), m_settings(settings)
{
}

TokenRenderer::~TokenRenderer()
{
    if (m_hasLayout)
        m_storage->releaseLayout(m_handle);
}

void TokenRenderer::ensureLayout()
{
    if (m_hasLayout)
        return;
    ScopedTimer timer(g_statTokenRendererCreateLayout);
    LayoutSettings key = m_settings;
    key.wrapWidth = m_settings.wordWrap ? m_wrapWidth : FLT_MAX;
    m_handle = m_storage->addLayout(key);
    m_hasLayout = true;
}

uint32_t TokenRenderer::layoutIndex()
{
    ensureLayout();
    return m_handle.index();
}

double TokenRenderer::lineHeight() const
{
    return m_settings.lineHeight();
}

LayoutPoint TokenRenderer::layoutSize()
{
    LayoutPoint size;
    m_storage->layoutSize(layoutIndex(), size.x, size.y);
    return size;
}

int64_t TokenRenderer::positionAtPoint(double x, double y)
{
    return m_storage->positionAtPoint(layoutIndex(), x, y);
}

LayoutPoint TokenRenderer::pointAtPosition(int64_t position)
{
    return m_storage->pointAtPosition(layoutIndex(), position);
}

LayoutPoint TokenRenderer::pointAtPositionNearX(int64_t position, double preferredX)
{
    return m_storage->pointAtPositionNearX(layoutIndex(), position, preferredX);
}

float TokenRenderer::gutterWidth(bool lineNumbers)
{
    ensureLayout();
    if (!lineNumbers)
        return 14.f;
    int32_t row = 0, column = 0;
    m_storage->rowcol(m_storage->size(), row, column);
    // The digits of the last line's number (row + 1).
    int digits = 1;
    for (int64_t number = int64_t(row) + 1; number >= 10; number /= 10)
        ++digits;
    return 14.f + static_cast<float>(digits) * m_settings.font->advance(u'0');
}

SelectionRegion TokenRenderer::visibleRange(const LayoutBand& band)
{
    const std::vector<PlacedBucket> buckets = m_storage->bucketsInBand(layoutIndex(), band.top, band.bottom);
    if (buckets.empty())
        return SelectionRegion(0, 0);
    return SelectionRegion(buckets.front().position, buckets.back().position + buckets.back().bucket->ownChars);
}

std::pair<size_t, size_t> visibleRegionIndices(const SelectionSet& regions,
                                               const SelectionRegion& visible)
{
    const std::vector<SelectionRegion>& all = regions.regions();
    const int64_t start = visible.begin();
    const int64_t end = visible.end();
    // Sorted and non-overlapping, so both ends ascend with the index.
    size_t first = std::partition_point(all.begin(), all.end(), [&](const SelectionRegion& r) {
                       return r.end() < start;
                   }) - all.begin();
    size_t last = std::partition_point(all.begin(), all.end(), [&](const SelectionRegion& r) {
                      return r.begin() <= end;
                  }) - all.begin();
    if (first < last && all[first].end() < start)
        ++first;
    return {first, std::max(first, last)};
}

void drawSquiggle(Canvas& canvas, float x0, float y, float x1)
{
    constexpr int kMaxPoints = 128;
    float points[kMaxPoints * 3];
    int count = 0;
    for (int k = 0; count < kMaxPoints && x0 + 2.f * k < x1; ++k) {
        points[count * 3] = x0 + 2.f * k;
        points[count * 3 + 1] = (k % 2 == 0) ? y - 2.f : y;
        points[count * 3 + 2] = 0.f;
        ++count;
    }
    if (count == kMaxPoints)
        points[(count - 1) * 3] = x1;
    if (count > 1)
        canvas.drawLineStrip(points, count);
}

void drawCaret(Canvas& canvas, float x, float y, float height, float width, const Colour& colour,
               bool underline)
{
    if (!underline) {
        canvas.drawLine(vector2{x, y}, vector2{x, y + height}, colour);
        canvas.drawLine(vector2{x + 1.f, y}, vector2{x + 1.f, y + height}, colour);
    } else {
        canvas.drawLine(vector2{x, y + height}, vector2{x + width, y + height}, colour);
        canvas.drawLine(vector2{x + width, y + height + 1.f}, vector2{x, y + height + 1.f}, colour);
    }
}
