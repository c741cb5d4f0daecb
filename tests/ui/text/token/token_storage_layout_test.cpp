// The layout queries: the position at a point and the point of a position,
// on empty text, at character and line midpoints, at wraps, and as a round
// trip over a text with tabs and wrapped lines; and the buckets a band shows.
#include <gtest/gtest.h>

#include "support/fixed_advance_font.h"
#include "ui/text/token/token_storage.h"

namespace {

class LayoutQueries : public testing::Test {
protected:
    LayoutQueries() : font(10.f, 10.f)
    {
        settings.font = &font;
        settings.tabWidth = 40.f;
        settings.linePaddingTop = 2.f;
        settings.linePaddingBottom = 1.f; // line step 13
    }

    uint32_t lay(const ustring& text)
    {
        storage.insert(0, text);
        handle = storage.addLayout(settings);
        return handle.index();
    }

    FixedAdvanceFont font;
    LayoutSettings settings;
    TokenStorage storage;
    LayoutHandle handle;
};

TEST_F(LayoutQueries, EmptyStorage)
{
    const uint32_t layout = lay(u"");
    double width = -1, height = -1;
    storage.layoutSize(layout, width, height);
    EXPECT_EQ(width, 0.0);
    EXPECT_EQ(height, 13.0);
    for (double y : {-50.0, 0.0, 6.0, 500.0})
        EXPECT_EQ(storage.positionAtPoint(layout, 30.0, y), 0);
    EXPECT_EQ(storage.pointAtPosition(layout, 0), (LayoutPoint{0.0, 2.0}));
}

TEST_F(LayoutQueries, PointsPickBoundariesAndLines)
{
    // Line centres at 2 + 5 = 7 and 20.
    const uint32_t layout = lay(u"abc\ndef");
    struct Case {
        const char* name;
        double x;
        double y;
        int64_t position;
    };
    const Case cases[] = {
        {"midway between two boundaries: the left one", 15.0, 7.0, 1},
        {"one pixel further: the right one", 16.0, 7.0, 2},
        {"past the line's end: its line break", 90.0, 7.0, 3},
        {"midway between two line centres: the lower line", 1.0, 13.5, 4},
        {"just above the midway point: the upper line", 1.0, 13.4, 0},
        {"far above the text", 10.0, -40.0, 0},
        {"far below the text", 10.0, 400.0, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(storage.positionAtPoint(layout, c.x, c.y), c.position);
    }
    EXPECT_EQ(storage.pointAtPosition(layout, 3), (LayoutPoint{30.0, 2.0}));
    EXPECT_EQ(storage.pointAtPosition(layout, 4), (LayoutPoint{0.0, 15.0}));
    EXPECT_EQ(storage.pointAtPosition(layout, 7), (LayoutPoint{30.0, 15.0}));
}

TEST_F(LayoutQueries, AWrappedWordBelongsToTheUpperLineUnlessThePreferredXIsNearerTheIndent)
{
    settings.wrapWidth = 45.f;
    settings.indentSubsequentLines = true;
    const uint32_t layout = lay(u" ab defg\n");
    // " " then "ab " (x 10 to 40), then "defg" (40) wraps to the indent 10.
    EXPECT_EQ(storage.pointAtPosition(layout, 4), (LayoutPoint{40.0, 2.0}));
    EXPECT_EQ(storage.pointAtPosition(layout, 5), (LayoutPoint{20.0, 15.0}));
    EXPECT_EQ(storage.pointAtPositionNearX(layout, 4, 0.0), (LayoutPoint{10.0, 15.0}));
    EXPECT_EQ(storage.pointAtPositionNearX(layout, 4, 38.0), (LayoutPoint{40.0, 2.0}));
    EXPECT_EQ(storage.pointAtPositionNearX(layout, 4, -1.0), (LayoutPoint{40.0, 2.0}));
    // Not at a wrap: the point itself whatever the preferred x.
    EXPECT_EQ(storage.pointAtPositionNearX(layout, 2, 0.0), storage.pointAtPosition(layout, 2));
}

TEST_F(LayoutQueries, EveryPositionIsFoundAtItsOwnPoint)
{
    settings.wrapWidth = 95.f;
    settings.indentSubsequentLines = true;
    const uint32_t layout = lay(u"\tint x = 1;\n  averyveryverylongwordthatbreaks here\n\t\tx\ty\n\nend");
    for (int64_t position = 0; position <= storage.size(); ++position) {
        SCOPED_TRACE(position);
        const LayoutPoint point = storage.pointAtPosition(layout, position);
        // One pixel right (the hit test aims one pixel left), mid-glyph down.
        EXPECT_EQ(storage.positionAtPoint(layout, point.x + 1.0, point.y + 5.0), position);
    }
}

// Records are shared by every layout: each font's widths must follow the
// records when compaction copies them and when a re-lex makes new ones.
TEST_F(LayoutQueries, LayoutsInTwoFontsKeepTheirWidthsThroughCompaction)
{
    const uint32_t first = lay(u"alpha beta\ngamma");
    FixedAdvanceFont narrow(4.f, 10.f);
    LayoutSettings narrowSettings = settings;
    narrowSettings.font = &narrow;
    const LayoutHandle second = storage.addLayout(narrowSettings);
    storage.insert(0, u"delta ");
    storage.compactRecords();
    storage.insert(storage.size(), u" epsilon");
    for (const auto& [layout, advance] : {std::pair{first, 10.0}, std::pair{second.index(), 4.0}}) {
        SCOPED_TRACE(advance);
        double width = 0, height = 0;
        storage.layoutSize(layout, width, height);
        EXPECT_EQ(width, 17 * advance); // "delta alpha beta" and its line end
        EXPECT_EQ(storage.pointAtPosition(layout, 22).x, 5 * advance);
        EXPECT_EQ(storage.pointAtPosition(layout, storage.size()).x, 13 * advance);
    }
}

TEST_F(LayoutQueries, BandQueryReturnsTheBucketsOfTheBandWithTheirStarts)
{
    // Long lines, so that buckets also start inside a line.
    ustring line;
    for (int word = 0; word < 150; ++word)
        line += u"alpha ";
    ustring text;
    for (int row = 0; row < 400; ++row)
        text += line + u"\n";
    const uint32_t layout = lay(text);
    // Rows 100 to 199 lie in [1300, 2600), over several buckets.
    const std::vector<PlacedBucket> band = storage.bucketsInBand(layout, 1300.0, 2600.0);
    ASSERT_GE(band.size(), 3u);
    EXPECT_LE(band.front().position, storage.rowStart(100));
    EXPECT_GE(band.front().position + band.front().bucket->ownChars, storage.rowStart(99));
    EXPECT_GT(band.back().position + band.back().bucket->ownChars, storage.rowStart(199));
    EXPECT_LE(band.back().position, storage.rowStart(200));
    for (size_t i = 0; i < band.size(); ++i) {
        SCOPED_TRACE(i);
        const PlacedBucket& placed = band[i];
        if (i > 0) {
            EXPECT_EQ(placed.position, band[i - 1].position + band[i - 1].bucket->ownChars);
            EXPECT_EQ(placed.lines, band[i - 1].lines + band[i - 1].bucket->ownLines);
        }
        int32_t row = 0, column = 0;
        storage.rowcol(placed.position, row, column);
        EXPECT_EQ(placed.lines, row);
        const LayoutPoint start = storage.pointAtPosition(layout, placed.position);
        EXPECT_EQ(placed.top + settings.linePaddingTop, start.y);
        EXPECT_EQ(placed.startState.x, start.x);
    }

    // A text range narrows the band to the buckets that touch it.
    const int64_t from = storage.rowStart(300), to = storage.rowStart(301);
    const std::vector<PlacedBucket> range = storage.bucketsInBand(layout, 0.0, 1e9, from, to);
    ASSERT_FALSE(range.empty());
    EXPECT_LE(range.front().position, from);
    EXPECT_GE(range.back().position + range.back().bucket->ownChars, to);
    EXPECT_LE(range.back().position, to);

    EXPECT_TRUE(storage.bucketsInBand(layout, 1e9, 2e9).empty());
}

} // namespace
