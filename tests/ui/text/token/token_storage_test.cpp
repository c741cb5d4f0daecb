// Editing a token storage: which lines are re-lexed, where invalid points
// appear, move and vanish, how far validation goes, and a randomised check
// of incremental lexing against a fresh lex of the whole text.
#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "ui/statistics.h"
#include "ui/text/token/token_test_support.h"

namespace {

using token_test::commentSyntax;
using token_test::firstUnlexed;
using token_test::randomEdit;
using token_test::freshScopes;
using token_test::linesLexed;
using token_test::storedScopes;

ustring repeatLine(const ustring& line, int count)
{
    ustring text;
    for (int i = 0; i < count; ++i)
        text += line;
    return text;
}

const ScopeRecord* scopeAt(TokenStorage& storage, int64_t position)
{
    const TokenLocation location = storage.tokenAt(position);
    return location.bucket->tokens[location.index]->scope;
}

bool isComment(const ScopeRecord* scope)
{
    return scope && scope->text.str().find(u"comment.block") != ustring::npos;
}

class TokenStorageEditing : public testing::Test {
protected:
    TokenStorageEditing()
    {
        storage.setSyntax(commentSyntax());
    }

    TokenStorage storage;
};

TEST_F(TokenStorageEditing, InsertIntoEmptyStorageLexesFromTheRootWithoutInvalidPoints)
{
    EXPECT_TRUE(storage.insert(0, u"if x\n/* a\nb */ while\n"));
    EXPECT_EQ(storage.str(), u"if x\n/* a\nb */ while\n");
    EXPECT_TRUE(storage.invalidPoints().empty());
    EXPECT_EQ(storedScopes(storage), freshScopes(*storage.syntax(), storage.str()));
}

TEST_F(TokenStorageEditing, TypingInsideALineRelexesThatLineOnly)
{
    storage.insert(0, repeatLine(u"if a = b;\n", 50));
    const int lexed = linesLexed([&] { EXPECT_TRUE(storage.insert(25 * 10 + 3, u"x")); });
    EXPECT_EQ(lexed, 1);
    EXPECT_TRUE(storage.invalidPoints().empty());
    EXPECT_EQ(storage.substr(SelectionRegion(250, 261)), u"if xa = b;\n");
}

TEST_F(TokenStorageEditing, InsertAtTheEndAfterALineBreakRelexesTheLastLineWithTheNewText)
{
    storage.insert(0, u"one\ntwo\n");
    const int lexed = linesLexed([&] { storage.insert(8, u"three"); });
    EXPECT_EQ(lexed, 2);
    EXPECT_EQ(storage.str(), u"one\ntwo\nthree");
}

TEST_F(TokenStorageEditing, OpeningABlockCommentLeavesOneInvalidPointUntilValidated)
{
    const ustring line = u"if a;\n"; // 6 units
    storage.insert(0, repeatLine(line, 1000));
    storage.insert(500 * 6, u"/*");
    ASSERT_EQ(storage.invalidPoints(), std::vector<int64_t>{501 * 6 + 2});
    // The lines after it keep their old scopes for now.
    EXPECT_FALSE(isComment(scopeAt(storage, 600 * 6 + 2)));

    const int64_t limit = 520 * 6 + 2 + 3;
    storage.validateUntil(limit);
    ASSERT_EQ(storage.invalidPoints().size(), 1u);
    EXPECT_GT(storage.invalidPoints()[0], limit);
    EXPECT_EQ(storage.invalidPoints()[0], 521 * 6 + 2);
    EXPECT_TRUE(isComment(scopeAt(storage, limit)));
    EXPECT_FALSE(isComment(scopeAt(storage, 600 * 6 + 2)));

    storage.validateUntil(storage.size());
    EXPECT_TRUE(storage.invalidPoints().empty());
    EXPECT_EQ(storedScopes(storage), freshScopes(*storage.syntax(), storage.str()));
}

TEST_F(TokenStorageEditing, ClosingTheCommentAgainConvergesAtTheNextLine)
{
    storage.insert(0, repeatLine(u"if a;\n", 100));
    storage.insert(50 * 6, u"/*");
    storage.insert(50 * 6 + 4, u"*/");
    storage.validateUntil(storage.size());
    EXPECT_TRUE(storage.invalidPoints().empty());
    EXPECT_EQ(storedScopes(storage), freshScopes(*storage.syntax(), storage.str()));
}

TEST_F(TokenStorageEditing, EraseMovesDropsAndKeepsInvalidPointsByWhereTheyLie)
{
    const ustring line = u"if a;\n"; // 6 units
    struct Case {
        const char* name;
        int64_t eraseFrom;
        int64_t eraseTo;
        std::vector<int64_t> expected;
    };
    // "/*" typed at the start of line 10 leaves a point at the start of
    // line 11, position 68.
    const Case cases[] = {
        {"inside the re-lexed lines", 60, 62, {}},
        {"at the start of the re-lexed lines", 69, 70, {68}},
        {"after the re-lexed lines", 12, 18, {62}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TokenStorage local;
        local.setSyntax(storage.syntax());
        local.insert(0, repeatLine(line, 40));
        local.insert(10 * 6, u"/*");
        ASSERT_EQ(local.invalidPoints(), std::vector<int64_t>{68});
        local.erase(SelectionRegion(c.eraseFrom, c.eraseTo));
        EXPECT_EQ(local.invalidPoints(), c.expected);
        local.validateUntil(local.size());
        EXPECT_EQ(storedScopes(local), freshScopes(*local.syntax(), local.str()));
    }
}

TEST_F(TokenStorageEditing, InsertOutsideTheTextIsRefusedAndChangesNothing)
{
    storage.insert(0, u"if a\n");
    const int64_t misses = g_statFindCacheMisses.count;
    EXPECT_FALSE(storage.insert(-1, u"x"));
    EXPECT_FALSE(storage.insert(6, u"x"));
    EXPECT_EQ(storage.str(), u"if a\n");
    EXPECT_EQ(g_statFindCacheMisses.count, misses);
    EXPECT_TRUE(storage.insert(5, u"")); // empty: nothing to do, but not refused
    EXPECT_EQ(storage.size(), 5);
}

TEST_F(TokenStorageEditing, EraseAcrossLinesJoinsThem)
{
    storage.insert(0, u"if a\n/* b\nc */ d\nwhile\n");
    storage.erase(SelectionRegion(3, 12));
    EXPECT_EQ(storage.str(), u"if */ d\nwhile\n");
    storage.validateUntil(storage.size());
    EXPECT_EQ(storedScopes(storage), freshScopes(*storage.syntax(), storage.str()));
}

TEST_F(TokenStorageEditing, SettingAnotherSyntaxRelexesEverythingAndTheSameOneNothing)
{
    storage.insert(0, repeatLine(u"if a;\n", 10));
    storage.insert(0, u"/*");
    ASSERT_FALSE(storage.invalidPoints().empty());
    EXPECT_EQ(linesLexed([&] { storage.setSyntax(storage.syntax()); }), 0);
    ASSERT_FALSE(storage.invalidPoints().empty());

    storage.setSyntax(commentSyntax());
    EXPECT_TRUE(storage.invalidPoints().empty());
    EXPECT_EQ(storedScopes(storage), freshScopes(*storage.syntax(), storage.str()));
}

TEST_F(TokenStorageEditing, ALoneHighSurrogateAtATokenEndSurvivesEveryPath)
{
    const ustring text = u"if \xD800\nab\xD800";
    storage.insert(0, text);
    EXPECT_EQ(storage.str(), text);
    storage.insert(storage.size(), u"\xD800");
    storage.erase(SelectionRegion(4, 5));
    EXPECT_EQ(storage.str(), u"if \xD800" u"ab\xD800\xD800");
    ustring walked;
    for (auto it = storage.begin(); it != storage.end(); ++it)
        walked += *it;
    EXPECT_EQ(walked, storage.str());
    EXPECT_EQ(storage.charAt(storage.size() - 1), u'\xD800');
}

TEST(TokenStorageGrammar, AGrammarThatMatchesEmptyTextStillEnds)
{
    using namespace grammar_test;
    // A begin that matches nothing, an end that matches nothing, and a
    // look-ahead rule: without the lexer's guard each would spin forever.
    PlistArray patterns = array({
        Value(dict({{u"begin", u"(?=x)"}, {u"end", u"(?=x)"}, {u"name", u"meta.empty"}})),
        Value(match(u"(?=y)|", u"meta.nothing")),
    });
    TokenStorage storage;
    storage.setSyntax(slate::SP<Syntax>(new Syntax(u"e", u"E", compileGrammar(std::move(patterns)))));
    storage.insert(0, u"xyx\nyy\n\nx");
    storage.insert(2, u"xy\n");
    storage.erase(SelectionRegion(0, 3));
    storage.validateUntil(storage.size());
    EXPECT_EQ(storage.str(), u"y\nx\nyy\n\nx");
}

// The text and scope of every token, in order.
std::vector<std::pair<ustring, const ScopeRecord*>> tokensOf(const TokenStorage& storage)
{
    std::vector<std::pair<ustring, const ScopeRecord*>> tokens;
    for (auto it = storage.m_tokenList.begin(); it != storage.m_tokenList.end(); ++it)
        tokens.emplace_back(ustring((*it)->begin, (*it)->end), (*it)->scope);
    return tokens;
}

// A file load appends unlexed text; only what is asked for gets lexed, and
// then exactly as a fresh lex of the whole text would lex it.
TEST_F(TokenStorageEditing, AppendedTextIsLexedOnlyAsFarAsAskedAndThenAsAFreshLex)
{
    const ustring line = u"if a; b while\n";
    const int64_t lineLength = static_cast<int64_t>(line.size());
    const ustring text = u"/* open\n" + repeatLine(line, 400) + u"*/ if b";
    // Chunks that end inside lines as well as at line ends.
    const size_t cuts[] = {0, 3, 8, 500, 501, 4000, text.size()};
    const int lexed = linesLexed([&] {
        for (size_t i = 0; i + 1 < std::size(cuts); ++i)
            storage.appendWithoutLexing(text.data() + cuts[i], text.data() + cuts[i + 1]);
    });
    EXPECT_EQ(lexed, 0);
    EXPECT_EQ(storage.str(), text);
    EXPECT_EQ(storage.invalidPoints(), std::vector<int64_t>{0});
    EXPECT_EQ(firstUnlexed(storage), 0);

    // The first screen: the lines up to the one that crosses the position.
    const int64_t shown = 8 + 10 * lineLength + 5;
    EXPECT_EQ(linesLexed([&] { storage.validateUntil(shown); }), 12);
    EXPECT_EQ(storage.invalidPoints(), std::vector<int64_t>{8 + 11 * lineLength});
    EXPECT_EQ(firstUnlexed(storage), 8 + 11 * lineLength);
    EXPECT_TRUE(isComment(scopeAt(storage, shown)));

    // Edits in the unlexed part keep it unlexed; one across the boundary
    // lexes the lines it touches.
    EXPECT_EQ(linesLexed([&] { storage.insert(8 + 200 * lineLength, u"x"); }), 0);
    storage.erase(SelectionRegion(8 + 11 * lineLength - 3, 8 + 11 * lineLength + 2));
    ASSERT_EQ(storage.invalidPoints().size(), 1u);
    EXPECT_EQ(firstUnlexed(storage), storage.invalidPoints()[0]);
    EXPECT_GT(firstUnlexed(storage), 8 + 11 * lineLength);

    // A query further on lexes as far as it reads, and no further.
    EXPECT_TRUE(isComment(storage.scopeAt(8 + 300 * lineLength)));
    EXPECT_GT(firstUnlexed(storage), 8 + 300 * lineLength);
    EXPECT_LT(firstUnlexed(storage), 8 + 302 * lineLength);

    storage.validateUntil(storage.size());
    EXPECT_TRUE(storage.invalidPoints().empty());
    EXPECT_EQ(firstUnlexed(storage), -1);
    TokenStorage fresh;
    fresh.setSyntax(storage.syntax());
    fresh.insert(0, storage.str());
    EXPECT_EQ(tokensOf(storage), tokensOf(fresh));
}

// Lexing that runs to the end of the text leaves nothing invalid behind,
// also when it passed the position asked for on the way: the last line would
// otherwise be lexed again by the next query that reads to the end.
TEST_F(TokenStorageEditing, LexingThatReachesTheEndLeavesNoInvalidPoint)
{
    struct Case {
        const char* name;
        ustring text;
        int64_t until;
    };
    const Case cases[] = {
        {"one long line", u"if a; b while /* c */ if d; e while", 3},
        {"last line crossed", u"if a;\nb while c; if d", 8},
        {"last line ended by a break", u"if a;\nb while c;\n", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TokenStorage local;
        local.setSyntax(storage.syntax());
        local.appendWithoutLexing(c.text.data(), c.text.data() + c.text.size());
        local.validateUntil(c.until);
        EXPECT_TRUE(local.invalidPoints().empty());
        EXPECT_EQ(firstUnlexed(local), -1);
        EXPECT_EQ(linesLexed([&] { local.validateUntil(local.size()); }), 0);
    }
}

// How appended text is cut, by the rule written out plainly: a line break
// alone, a run of tabs alone, else up to the next line break or tab, at most
// 4096 units and never between the halves of a pair. Each chunk is cut on
// its own.
std::vector<ustring> plainCut(const ustring& text, const std::vector<size_t>& cuts)
{
    std::vector<ustring> pieces;
    for (size_t c = 0; c + 1 < cuts.size(); ++c) {
        size_t at = cuts[c];
        const size_t end = cuts[c + 1];
        while (at < end) {
            size_t stop = at + 1;
            if (text[at] == u'\t') {
                while (stop < end && text[stop] == u'\t')
                    ++stop;
            } else if (text[at] != u'\n') {
                stop = at;
                while (stop < end && stop - at < 4096 && text[stop] != u'\n' && text[stop] != u'\t')
                    ++stop;
                if (stop - at == 4096 && stop < end && text[stop - 1] >= 0xD800 && text[stop - 1] < 0xDC00)
                    --stop;
            }
            pieces.push_back(text.substr(at, stop - at));
            at = stop;
        }
    }
    return pieces;
}

// Appends the chunks of `text` between `cuts` (from `firstChunk` on; the
// storage holds the ones before) and checks the tokens against
// plainCut: each an unlexed record of the grammar's own scope, one record per
// distinct piece, every one of them in the token set.
void expectCutPlainly(TokenStorage& storage, const ustring& text, const std::vector<size_t>& cuts,
                      size_t firstChunk = 0)
{
    for (size_t c = firstChunk; c + 1 < cuts.size(); ++c)
        storage.appendWithoutLexing(text.data() + cuts[c], text.data() + cuts[c + 1]);
    const std::vector<ustring> expected = plainCut(text, cuts);
    std::set<const Token*> inSet;
    storage.tokenSet().forEach([&](const Token* token) { inSet.insert(token); });
    std::map<ustring, const Token*> records;
    const ScopeRecord* scope = storage.syntax()->lexer()->root()->contentScope;
    size_t i = 0;
    for (auto it = storage.m_tokenList.begin(); it != storage.m_tokenList.end(); ++it, ++i) {
        ASSERT_LT(i, expected.size());
        const Token* token = *it;
        const ustring piece(token->begin, token->end);
        ASSERT_EQ(piece, expected[i]) << "piece " << i;
        EXPECT_EQ(token->scope, scope);
        EXPECT_EQ(token->state, nullptr);
        EXPECT_EQ(*token->end, 0);
        EXPECT_EQ(inSet.count(token), 1u);
        EXPECT_EQ(records.emplace(piece, token).first->second, token) << "piece " << i;
    }
    EXPECT_EQ(i, expected.size());
    EXPECT_EQ(storage.tokenSet().size(), records.size());
    EXPECT_EQ(storage.size(), static_cast<int64_t>(text.size()));
    EXPECT_EQ(storage.lineBreakCount(), std::count(text.begin(), text.end(), u'\n'));
}

// Cutting looks at several units at once and recognises pieces it has seen
// before without hashing them; what it builds must be what a plain scan and
// the token set would build, and lex as a fresh insert does.
TEST_F(TokenStorageEditing, AppendedTextIsCutAsAPlainScanCutsItIntoSharedRecords)
{
    ustring longLine; // a repeating line past 4096 units, a pair across unit 4096
    while (longLine.size() < 4095)
        longLine += u"int main(int argc) {  x = f(y, 2);  ";
    longLine.resize(4095);
    longLine += u"\U0001F600";
    for (int i = 0; i < 3; ++i)
        longLine += longLine.substr(0, 3000);
    // Units that share a byte or a lane pattern with a tab or a line break,
    // and control units next to them.
    const ustring lookalikes = u"\u0a0a\u090a\u0109\u0a00|\u000b\u0008\u0000x\u000a\u000a\t\t\u000a\t\u0a09";
    const ustring lines = repeatLine(u"if a; b\n\tc /* d */\n\n", 300);
    struct Case {
        const char* name;
        ustring text;
        std::vector<size_t> cuts; // chunk bounds; the text's size is added
    };
    const Case cases[] = {
        {"many lines in one piece", lines, {0}},
        {"many lines in chunks", lines, {0, 1, 7, 8, 1000, 3001}},
        {"a long line", longLine, {0}},
        {"a long line in chunks", longLine, {0, 4095, 4096, 9000}},
        {"look-alike units", lookalikes + lookalikes + u"a", {0, 3}},
        {"tabs and breaks inside long runs", u"abcdefghij\tklmnopqrstuvw\txyz0123456789a\nbcdefghijklmnop\t\tqr", {0}},
        {"a pair at the cut limit", ustring(4095, u'x') + u"\U0001F600" + ustring(4095, u'x') + u"\U0001F600", {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<size_t> cuts = c.cuts;
        cuts.push_back(c.text.size());
        TokenStorage local;
        local.setSyntax(storage.syntax());
        ASSERT_NO_FATAL_FAILURE(expectCutPlainly(local, c.text, cuts));
        local.validateUntil(local.size());
        EXPECT_EQ(storedScopes(local), freshScopes(*local.syntax(), c.text));
    }
}

// Records cut before every token was dropped, before the records were
// compacted or under another syntax are never handed out again.
TEST_F(TokenStorageEditing, CuttingAfterRecordsWereReplacedUsesOnlyLiveRecords)
{
    const ustring text = repeatLine(u"abc\n\tdef\n", 50);
    const size_t n = text.size();
    struct Case {
        const char* name;
        std::function<void(TokenStorage&)> replace;
        bool keepsText;
    };
    const Case cases[] = {
        {"all tokens dropped", [](TokenStorage& s) { s.clearTokens(); }, false},
        {"records compacted", [](TokenStorage& s) { s.compactRecords(); }, true},
        {"another syntax", [](TokenStorage& s) { s.setSyntax(TokenStorage().syntax()); s.clearTokens(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TokenStorage local;
        local.setSyntax(storage.syntax());
        ASSERT_NO_FATAL_FAILURE(expectCutPlainly(local, text, {0, n}));
        c.replace(local);
        if (c.keepsText)
            ASSERT_NO_FATAL_FAILURE(expectCutPlainly(local, text + text, {0, n, 2 * n}, 1));
        else
            ASSERT_NO_FATAL_FAILURE(expectCutPlainly(local, text, {0, n}));
    }
}

TEST_F(TokenStorageEditing, AppendingAfterLexedTextLeavesAnInvalidPointWhereTheNewTextStarts)
{
    struct Case {
        const char* name;
        ustring lexed;
        ustring appended;
        int64_t point;
    };
    const Case cases[] = {
        {"after a line break", u"if a\n", u"/* b\n", 5},
        {"inside the last line", u"if a\nwhile", u" /* b\n", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TokenStorage local;
        local.setSyntax(storage.syntax());
        local.insert(0, c.lexed);
        local.appendWithoutLexing(c.appended.data(), c.appended.data() + c.appended.size());
        EXPECT_EQ(local.invalidPoints(), std::vector<int64_t>{c.point});
        local.validateUntil(local.size());
        EXPECT_EQ(storedScopes(local), freshScopes(*local.syntax(), local.str()));
    }
}

// Random inserts and erases of C fragments, with the records compacted now
// and then; after each, validating the whole text must give exactly the
// scopes of a fresh lex.
TEST(TokenStorageRandomised, IncrementalLexingMatchesAFreshLex)
{
    token_test::DataGrammar c("c.tmLanguage");
    ASSERT_EQ(c.syntax->name(), u"c"); // not the plain-text default
    std::mt19937 random(20261210);
    TokenStorage storage;
    storage.setSyntax(c.syntax);
    ustring model;
    for (int step = 0; step < 1500; ++step) {
        ASSERT_NO_FATAL_FAILURE(randomEdit(storage, model, random));
        // Now and then drop the records no longer used, with invalid points
        // pending, so that later edits and validation start from copies.
        if (step % 37 == 36)
            storage.compactRecords();
        // Validate only part of the time, so that invalid points pile up and
        // later edits meet them.
        if (step % 4 == 3) {
            storage.validateUntil(storage.size());
            ASSERT_TRUE(storage.invalidPoints().empty());
            ASSERT_EQ(storage.str(), model) << "step " << step;
            const auto stored = storedScopes(storage);
            const auto fresh = freshScopes(*c.syntax, model);
            ASSERT_EQ(stored.size(), fresh.size());
            for (size_t i = 0; i < stored.size(); ++i)
                ASSERT_EQ(stored[i], fresh[i]) << "step " << step << " unit " << i << ": "
                                               << token_test::scopeText(stored[i]) << " vs "
                                               << token_test::scopeText(fresh[i]);
        }
    }
}

// The same over text that was loaded unlexed and is validated only in part
// between edits, so that edits land before, across and after the end of what
// has been lexed.
TEST(TokenStorageRandomised, EditsOfALoadedTextMatchAFreshLex)
{
    token_test::DataGrammar c("c.tmLanguage");
    std::mt19937 random(20261211);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        ustring model = token_test::randomCText(random, 60);
        TokenStorage storage;
        storage.setSyntax(c.syntax);
        const size_t cut = random() % (model.size() + 1);
        storage.appendWithoutLexing(model.data(), model.data() + cut);
        storage.appendWithoutLexing(model.data() + cut, model.data() + model.size());
        for (int step = 0; step < 40; ++step) {
            ASSERT_NO_FATAL_FAILURE(randomEdit(storage, model, random));
            if (step % 5 == 2)
                storage.validateUntil(static_cast<int64_t>(random() % (model.size() + 1)));
        }
        ASSERT_EQ(storage.str(), model);
        storage.validateUntil(storage.size());
        ASSERT_TRUE(storage.invalidPoints().empty());
        ASSERT_EQ(firstUnlexed(storage), -1);
        const auto stored = storedScopes(storage);
        const auto fresh = freshScopes(*c.syntax, model);
        ASSERT_EQ(stored.size(), fresh.size());
        for (size_t i = 0; i < stored.size(); ++i)
            ASSERT_EQ(stored[i], fresh[i]) << "unit " << i << ": " << token_test::scopeText(stored[i])
                                           << " vs " << token_test::scopeText(fresh[i]);
    }
}

} // namespace
