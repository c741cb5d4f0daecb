// Laying tokens out: tab stops, wrapping with and without the indent of
// continuation lines, breaking words wider than a line, line breaks, and the
// per-bucket bookkeeping that carries a change only as far as it matters.
#include <random>

#include <gtest/gtest.h>

#include "support/fixed_advance_font.h"
#include "ui/text/token/layout_walk.h"
#include "ui/text/token/token_storage.h"
#include "ui/text/token/token_test_support.h"

namespace {

struct Piece {
    ustring text;
    double x;
    double lineTop;

    bool operator==(const Piece& other) const
    {
        return text == other.text && x == other.x && lineTop == other.lineTop;
    }
};

std::ostream& operator<<(std::ostream& out, const Piece& piece)
{
    return out << "{" << toUtf8(piece.text) << " x " << piece.x << " top " << piece.lineTop << "}";
}

class PieceRecorder : public LayoutPieceSink {
public:
    void piece(const Token* token, int32_t begin, int32_t end, double x, double, double lineTop) override
    {
        pieces.push_back(Piece{ustring(token->begin + begin, token->begin + end), x, lineTop});
    }
    std::vector<Piece> pieces;
};

// Hand-made tokens measured in a font, as the storage would make them.
class Tokens {
public:
    explicit Tokens(UnicodeFont& font) : m_font(font) {}
    const Token* operator()(const ustring& text)
    {
        m_texts.push_back(std::make_unique<ustring>(text));
        const ustring& stored = *m_texts.back();
        const float width = stored[0] == u'\t' ? 0.f : textWidth(m_font, stored.data(), stored.data() + stored.size());
        m_tokens.push_back(std::make_unique<Token>(
            Token{stored.data(), stored.data() + stored.size(), nullptr, nullptr, width, 1}));
        return m_tokens.back().get();
    }

private:
    UnicodeFont& m_font;
    std::vector<std::unique_ptr<ustring>> m_texts;
    std::vector<std::unique_ptr<Token>> m_tokens;
};

TEST(Layout, TabsReachTheNextStopWithATolerance)
{
    FixedAdvanceFont font(8.f, 10.f);
    struct Case {
        double logicalX;
        double advance;
    };
    const Case cases[] = {
        {64.0, 32.0}, // exactly on a stop: a whole tab width
        {63.9995, 96.0 - 63.9995}, // within 0.001 before it: counts as on it
        {63.5, 0.5},
        {0.0, 32.0},
        {95.0, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logicalX);
        EXPECT_NEAR(tabAdvance(c.logicalX, 32.f), c.advance, 1e-9);
    }
    const ustring blanks = u"  \t x";
    // Two spaces (16), a tab from 16 to 32, a space: 40; the x ends the run.
    EXPECT_FLOAT_EQ(whitespaceWidth(0.0, blanks.data(), blanks.data() + blanks.size(), font, 32.f), 40.f);
}

TEST(Layout, TabAfterTextAtTheStopAndJustBeforeItReachesTheSameStop)
{
    FixedAdvanceFont font(8.f, 10.f, {{u'w', 63.9995f}});
    struct Case {
        const char16_t* text;
        double width;
    };
    const Case cases[] = {
        {u"aaaaaaaa\tb", 104.0},
        {u"w\tb", 104.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(ustring(c.text)));
        TokenStorage storage;
        storage.insert(0, c.text);
        LayoutSettings settings;
        settings.font = &font;
        settings.tabWidth = 32.f;
        const LayoutHandle layout = storage.addLayout(settings);
        double width = 0;
        double height = 0;
        storage.layoutSize(layout.index(), width, height);
        EXPECT_DOUBLE_EQ(width, c.width);
        EXPECT_DOUBLE_EQ(height, 10.0);
    }
}

TEST(Layout, WrappingKeepsTheIndentWhenAskedAndBreaksOverWideWords)
{
    FixedAdvanceFont font(10.f, 10.f);
    LayoutSettings settings;
    settings.font = &font;
    settings.tabWidth = 40.f;
    settings.linePaddingTop = 1.f;
    settings.linePaddingBottom = 1.f;
    settings.wrapWidth = 100.f;
    struct Case {
        const char* name;
        bool indent;
        std::vector<ustring> tokens;
        std::vector<Piece> pieces;
    };
    const Case cases[] = {
        {"indented continuation", true, {u"    ", u"abcd ", u"efgh"},
         {{u"    ", 0, 0}, {u"abcd ", 40, 0}, {u"efgh", 40, 12}}},
        {"continuation at 0", false, {u"    ", u"abcd ", u"efgh"},
         {{u"    ", 0, 0}, {u"abcd ", 40, 0}, {u"efgh", 0, 12}}},
        {"text first wraps to 0", true, {u"abcdefg ", u"hijk"},
         {{u"abcdefg ", 0, 0}, {u"hijk", 0, 12}}},
        {"tab indent", true, {u"\t", u"abcd ", u"ghi"},
         {{u"\t", 0, 0}, {u"abcd ", 40, 0}, {u"ghi", 40, 12}}},
        {"too wide after the indent goes unit by unit", true, {u"\t", u"abcdef "},
         {{u"\t", 0, 0}, {u"a", 40, 0}, {u"b", 50, 0}, {u"c", 60, 0}, {u"d", 70, 0},
          {u"e", 80, 0}, {u"f", 40, 12}, {u" ", 50, 12}}},
        {"word wider than a line", true, {u"  ", u"abcdefghijklmnopqrstu"},
         // A unit whose right edge would reach the wrap width starts a line.
         {{u"  ", 0, 0}, {u"a", 20, 0}, {u"b", 30, 0}, {u"c", 40, 0}, {u"d", 50, 0}, {u"e", 60, 0},
          {u"f", 70, 0}, {u"g", 80, 0}, {u"h", 20, 12}, {u"i", 30, 12}, {u"j", 40, 12},
          {u"k", 50, 12}, {u"l", 60, 12}, {u"m", 70, 12}, {u"n", 80, 12}, {u"o", 20, 24},
          {u"p", 30, 24}, {u"q", 40, 24}, {u"r", 50, 24}, {u"s", 60, 24}, {u"t", 70, 24},
          {u"u", 80, 24}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.indentSubsequentLines = c.indent;
        LayoutData data{settings, 1};
        PieceRecorder recorder;
        Tokens tokens(font);
        LayoutWalk walk(data, LayoutState{}, &recorder);
        for (const ustring& text : c.tokens)
            walk.placeToken(tokens(text));
        EXPECT_EQ(recorder.pieces, c.pieces);
    }
}

TEST(Layout, EveryScreenLineTakesAUnitEvenWhenTheIndentLeavesNoRoom)
{
    FixedAdvanceFont font(10.f, 10.f);
    LayoutSettings settings;
    settings.font = &font;
    settings.wrapWidth = 25.f;
    settings.indentSubsequentLines = true;
    LayoutData data{settings, 1};
    PieceRecorder recorder;
    Tokens tokens(font);
    LayoutWalk walk(data, LayoutState{}, &recorder);
    walk.placeToken(tokens(u"     ")); // indent 50, past the wrap width
    walk.placeToken(tokens(u"xyz"));
    // The blanks themselves are too wide and go unit by unit on the first
    // line; then the word's units follow at the indent, one per screen line.
    ASSERT_EQ(recorder.pieces.size(), 8u);
    EXPECT_EQ(recorder.pieces[5], (Piece{u"x", 50, 0}));
    EXPECT_EQ(recorder.pieces[6], (Piece{u"y", 50, 10}));
    EXPECT_EQ(recorder.pieces[7], (Piece{u"z", 50, 20}));
}

TEST(Layout, ALineBreakResetsTheStateAndAdvancesOneLine)
{
    FixedAdvanceFont font(10.f, 10.f);
    LayoutSettings settings;
    settings.font = &font;
    settings.linePaddingBottom = 2.f;
    settings.indentSubsequentLines = true;
    LayoutData data{settings, 1};
    Tokens tokens(font);
    LayoutWalk walk(data, LayoutState{}, nullptr);
    walk.placeToken(tokens(u"  "));
    walk.placeToken(tokens(u"abc"));
    EXPECT_EQ(walk.state, (LayoutState{50.0, 50.0, 20.0, true}));
    walk.placeToken(tokens(u"\n"));
    EXPECT_EQ(walk.state, (LayoutState{0.0, 0.0, 0.0, false}));
    EXPECT_DOUBLE_EQ(walk.height, 12.0);
    EXPECT_DOUBLE_EQ(walk.width, 60.0);
}

TEST(Layout, TypingRelaysOutOnlyTheTouchedBucketsAndKeepsTheSums)
{
    FixedAdvanceFont font(7.f, 12.f);
    LayoutSettings settings;
    settings.font = &font;
    settings.tabWidth = 28.f;
    settings.wrapWidth = 300.f;
    settings.indentSubsequentLines = true;
    TokenStorage storage;
    storage.setSyntax(token_test::commentSyntax());
    ustring text;
    for (int i = 0; i < 3000; ++i)
        text += u"\tif (a) /* b */ \"c\" while d e f g h\n";
    storage.insert(0, text);
    const LayoutHandle layout = storage.addLayout(settings);

    const uint64_t before = storage.m_bucketsLaidOut;
    storage.insert(1500 * 36 + 5, u"x");
    // The bucket holding the line and its neighbours as tokens move between
    // them; never the hundreds of buckets after it.
    EXPECT_LT(storage.m_bucketsLaidOut - before, 12u);

    std::mt19937 random(7);
    for (int step = 0; step < 60; ++step) {
        const int64_t at = random() % (storage.size() + 1);
        if (step % 3 == 2)
            storage.erase(SelectionRegion(at, std::min<int64_t>(storage.size(), at + random() % 80)));
        else
            storage.insert(at, u"some longer words that wrap\tand\n");
    }
    TokenStorage fresh;
    fresh.setSyntax(storage.syntax());
    fresh.insert(0, storage.str());
    const LayoutHandle freshLayout = fresh.addLayout(settings);
    double width = 0, height = 0, freshWidth = 0, freshHeight = 0;
    storage.layoutSize(layout.index(), width, height);
    fresh.layoutSize(freshLayout.index(), freshWidth, freshHeight);
    EXPECT_DOUBLE_EQ(width, freshWidth);
    EXPECT_DOUBLE_EQ(height, freshHeight);
    // Without wraps the height is one line step per row.
    EXPECT_GE(height, 12.0 * (storage.lineBreakCount() + 1));
}

TEST(Layout, RemovingALayoutKeepsTheOthersHandlesRight)
{
    FixedAdvanceFont font(5.f, 10.f);
    TokenStorage storage;
    storage.insert(0, u"abc\ndefgh\n");
    LayoutSettings narrow;
    narrow.font = &font;
    LayoutSettings padded = narrow;
    padded.linePaddingTop = 4.f;
    const LayoutHandle first = storage.addLayout(narrow);
    const LayoutHandle second = storage.addLayout(padded);
    storage.releaseLayout(first);
    EXPECT_EQ(second.index(), 0u);
    double width = 0, height = 0;
    storage.layoutSize(second.index(), width, height);
    EXPECT_DOUBLE_EQ(height, 3 * 14.0);
    EXPECT_DOUBLE_EQ(width, 25.0 + 5.0); // "defgh" and its line break
    storage.insert(0, u"x");
    EXPECT_EQ(storage.m_tokenList.container.m_first->m_layout.size(), 1u);
}

} // namespace
