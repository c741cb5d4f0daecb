// Long lines in a token storage are lexed only as far as a reader asks and
// go on from where they stopped: what is lexed must always be what a fresh
// lex of the whole text gives, whatever the order of the reads and edits.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/text/token/token_test_support.h"

namespace {

using token_test::freshScopes;
using token_test::storedScopes;

// A long line of JavaScript as minifiers write it: statements, strings,
// regular expressions, comments and nested blocks run together.
ustring minifiedLine(std::mt19937& random, size_t length)
{
    static const char16_t* const kPieces[] = {
        u"var a=function(b,c){return b+c};",
        u"if(x<3&&y>2){z=\"q\\\"w\"}else{z='e'}",
        u"/* note */",
        u"s=s.replace(/[a-z]+\\//g,\"\");",
        u"for(var i=0;i<n;i++){t[i]=(t[i-1]||0)+1}",
        u"o={k:[1,2,3],m:{n:null,p:!0}};",
        u"`tmpl ${a+`in${b}`} end`;",
        u"class K extends L{constructor(){super();this.v=1}}",
        u"x=a?b:c;",
        u"'open string",
    };
    ustring line;
    while (line.size() < length)
        line += kPieces[random() % std::size(kPieces)];
    return line;
}

// The scopes before the first invalid point are those of `fresh`, a fresh
// lex of the storage's text.
void expectLexedPartMatches(TokenStorage& storage, const std::vector<const ScopeRecord*>& fresh)
{
    const int64_t lexedUntil =
        storage.invalidPoints().empty() ? storage.size() : storage.invalidPoints().front();
    const auto stored = storedScopes(storage);
    ASSERT_EQ(stored.size(), fresh.size());
    for (int64_t i = 0; i < lexedUntil; ++i)
        ASSERT_EQ(stored[i], fresh[i]) << "unit " << i << ": " << token_test::scopeText(stored[i])
                                       << " vs " << token_test::scopeText(fresh[i]);
}

TEST(TokenStorageLongLine, ReadingNearTheStartLexesOnlyThatPart)
{
    token_test::DataGrammar js("javascript.tmLanguage");
    std::mt19937 random(7);
    const ustring text = minifiedLine(random, 60000);
    TokenStorage storage;
    storage.setSyntax(js.syntax);
    storage.appendWithoutLexing(text.data(), text.data() + text.size());
    storage.validateUntil(2000);
    ASSERT_EQ(storage.invalidPoints().size(), 1u);
    EXPECT_GT(storage.invalidPoints().front(), 2000);
    EXPECT_LT(storage.invalidPoints().front(), 20000);
    const auto fresh = freshScopes(*js.syntax, text);
    ASSERT_NO_FATAL_FAILURE(expectLexedPartMatches(storage, fresh));
    // A reader that asks for everything, by the largest position there is.
    storage.validateUntil(INT64_MAX);
    EXPECT_TRUE(storage.invalidPoints().empty());
    ASSERT_NO_FATAL_FAILURE(expectLexedPartMatches(storage, fresh));
}

TEST(TokenStorageLongLine, TypingNearTheStartLexesOnlyAsFarAsTheEdit)
{
    token_test::DataGrammar js("javascript.tmLanguage");
    std::mt19937 random(11);
    ustring text = minifiedLine(random, 60000);
    TokenStorage storage;
    storage.setSyntax(js.syntax);
    storage.appendWithoutLexing(text.data(), text.data() + text.size());
    storage.validateUntil(2000);
    storage.insert(100, u"\"");
    text.insert(100, u"\"");
    ASSERT_EQ(storage.invalidPoints().size(), 1u);
    EXPECT_LT(storage.invalidPoints().front(), 20000);
    ASSERT_NO_FATAL_FAILURE(expectLexedPartMatches(storage, freshScopes(*js.syntax, text)));
}

// Reads at random places (forwards and backwards), edits now and then, and
// lines both long and short, each step checked against a fresh lex.
TEST(TokenStorageLongLine, ReadsAndEditsInAnyOrderMatchAFreshLex)
{
    token_test::DataGrammar js("javascript.tmLanguage");
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ustring text = minifiedLine(random, 17000 + random() % 8000) + u"\n" +
                       minifiedLine(random, 200) + u"\n" + minifiedLine(random, 20000);
        TokenStorage storage;
        storage.setSyntax(js.syntax);
        storage.appendWithoutLexing(text.data(), text.data() + text.size());
        auto fresh = freshScopes(*js.syntax, text);
        for (int step = 0; step < 12; ++step) {
            const int64_t position = static_cast<int64_t>(random() % (text.size() + 1));
            if (step % 4 == 3) {
                const ustring typed = random() % 2 ? u"\"" : u"x";
                storage.insert(position, typed);
                text.insert(static_cast<size_t>(position), typed);
                fresh = freshScopes(*js.syntax, text);
            } else {
                storage.validateUntil(position);
            }
            ASSERT_EQ(storage.str(), text);
            ASSERT_NO_FATAL_FAILURE(expectLexedPartMatches(storage, fresh));
        }
        storage.validateUntil(storage.size());
        ASSERT_TRUE(storage.invalidPoints().empty());
        ASSERT_NO_FATAL_FAILURE(expectLexedPartMatches(storage, fresh));
    }
}

} // namespace
