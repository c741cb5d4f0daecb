// Lexing a line in parts, stopping at arbitrary columns and going on later,
// must give exactly the tokens and end state of lexing it whole: checked
// with random stops over the real grammars and samples, on the samples'
// own lines and on long lines made from them.
#include "ui/text/lexer/lexer.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lexing_fixtures.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/unicode.h"

namespace {

using lexing_fixtures::kSamples;
using lexing_fixtures::Sample;

// A token as offsets into its line, comparable across copies of the line.
struct Placed {
    int64_t begin;
    int64_t end;
    const ScopeRecord* scope;
    LexerState* lineState;
    bool operator==(const Placed& other) const
    {
        return begin == other.begin && end == other.end && scope == other.scope &&
               lineState == other.lineState;
    }
};

void place(const std::vector<LexedToken>& tokens, const uchar* line, std::vector<Placed>& out)
{
    for (const LexedToken& token : tokens)
        out.push_back(Placed{token.begin - line, token.end - line, token.scope, token.lineState});
}

struct Lexed {
    std::vector<Placed> tokens;
    LexerState* endState;
};

Lexed lexWhole(MatchRegion& region, LexerState* state, const ustring& line, LineKind kind)
{
    std::vector<LexedToken> tokens;
    Lexed result;
    result.endState = lex(region, state, line.data(), line.data() + line.size(), tokens, kind);
    place(tokens, line.data(), result.tokens);
    return result;
}

// Lexes `line` from `state` in parts that stop after random strides (some
// of a single unit). Every part is lexed either on the same text again, as
// a caller that keeps the line does, or on a fresh copy of it at another
// address, as a caller that copies the line out of its storage each time
// does (told, or not, that the text changed).
Lexed lexInParts(MatchRegion& region, LexerWorkspace& workspace, LexerState* state,
                 const ustring& line, LineKind kind, std::mt19937& random)
{
    std::uniform_int_distribution<int> strideKind(0, 3);
    std::uniform_int_distribution<int64_t> shortStride(1, 8);
    std::uniform_int_distribution<int64_t> longStride(1, 600);
    std::bernoulli_distribution copyAgain(0.3);
    LineResumePoint point = lineStartPoint(state);
    Lexed result;
    ustring copy = line;
    std::vector<LexedToken> tokens;
    for (int parts = 0;; ++parts) {
        LineText text = LineText::Unchanged;
        if (copyAgain(random)) {
            // A new allocation, so a new address; the old copy is spoilt
            // before it goes, so that anything still pointing into it shows.
            ustring moved(line.data(), line.size());
            std::fill(copy.begin(), copy.end(), u'#');
            copy.swap(moved);
            // Either way the searches before cannot serve: the text moved.
            text = random() % 2 ? LineText::Changed : LineText::Unchanged;
        }
        const int64_t stride = strideKind(random) == 0 ? shortStride(random) : longStride(random);
        const int64_t stopColumn = std::min<int64_t>(point.column + stride, line.size());
        tokens.clear();
        const bool finished =
            lexLinePart(region, workspace, point, copy.data(), copy.data() + copy.size(),
                        copy.data() + stopColumn, tokens, kind, text);
        place(tokens, copy.data(), result.tokens);
        if (finished)
            break;
        EXPECT_GE(point.column, stopColumn) << "stopped before the column asked for";
        EXPECT_LT(point.column, static_cast<int64_t>(line.size()));
        EXPECT_EQ(result.tokens.back().end, point.column) << "stopped inside a token";
    }
    result.endState = point.state;
    return result;
}

void expectSame(const Lexed& whole, const Lexed& parts)
{
    ASSERT_EQ(whole.tokens.size(), parts.tokens.size());
    for (size_t i = 0; i < whole.tokens.size(); ++i)
        ASSERT_TRUE(whole.tokens[i] == parts.tokens[i])
            << "token " << i << " at " << whole.tokens[i].begin << " differs";
    EXPECT_EQ(whole.endState, parts.endState);
}

class LexerResume : public lexing_fixtures::GrammarSuite {};

TEST_F(LexerResume, LexingInRandomPartsGivesTheWholeLinesTokens)
{
    SyntaxLoader loader;
    s_grammars->attach(loader);
    const std::filesystem::path samples = std::filesystem::path(VANTREL_TEST_DATA_DIR) / "lexing";
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);

    for (const Sample& sample : kSamples) {
        SCOPED_TRACE(sample.file);
        slate::SP<Syntax> syntax = loader.loadSyntax(s_grammars->pathOf(sample.rootScope));
        const ustring text = toUstring(lexing_fixtures::readFile(samples / sample.file));
        std::vector<ustring> lines = lexing_fixtures::splitLines(text);

        // Long lines: the sample joined into one line, and its lines in a
        // random order run together (line feeds dropped), several times over,
        // each lexed from the state the sample's last line ends in as well.
        ustring joined = text;
        for (uchar& unit : joined)
            if (unit == u'\n')
                unit = u' ';
        lines.push_back(joined + u"\n");
        for (int variant = 0; variant < 2; ++variant) {
            std::vector<ustring> shuffled = lexing_fixtures::splitLines(text);
            std::shuffle(shuffled.begin(), shuffled.end(), random);
            ustring longLine;
            for (int repeat = 0; repeat < 3; ++repeat)
                for (const ustring& piece : shuffled)
                    longLine += piece.substr(0, piece.size() - (piece.back() == u'\n'));
            lines.push_back(longLine + u"\n");
        }

        ScopedLock lock(syntax->lexerLock());
        MatchRegion region;
        LexerWorkspace workspace;
        LexerState* state = syntax->lexer()->root();
        for (size_t row = 0; row < lines.size(); ++row) {
            SCOPED_TRACE("line " + std::to_string(row + 1));
            const LineKind kind = row == 0 ? LineKind::FirstLine : LineKind::LaterLine;
            const Lexed whole = lexWhole(region, state, lines[row], kind);
            const Lexed parts = lexInParts(region, workspace, state, lines[row], kind, random);
            expectSame(whole, parts);
            if (testing::Test::HasFatalFailure())
                return;
            state = whole.endState;
        }
    }
}

} // namespace
