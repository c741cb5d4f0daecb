// Scope questions on a token storage: the scope and its extent around a
// position, symbol runs, spelling suggestions and completion words.
#include <gtest/gtest.h>

#include "ui/text/parse_exception.h"
#include "ui/text/token/token_storage.h"
#include "ui/text/token/token_test_support.h"

namespace {

class ScopeQueries : public testing::Test {
protected:
    ScopeQueries() { storage.setSyntax(token_test::commentSyntax()); }

    TokenStorage storage;
};

TEST_F(ScopeQueries, TheEndOfTheTextHasTheGrammarScopeAndExtendsOverEverything)
{
    storage.insert(0, u"if \"ab\"");
    EXPECT_EQ(storage.scopeNameAt(storage.size()).str(), u"source.x ");
    EXPECT_EQ(storage.extractScope(storage.size(), true), SelectionRegion(0, 7));
    EXPECT_EQ(storage.scopeNameAt(0).str(), u"keyword.control source.x ");
}

TEST_F(ScopeQueries, ExtractScopeFindsTheStringAroundAQuoteOrAWord)
{
    //                      0123456789012345678
    storage.insert(0, u"x = \"ab cd\" + \"e\";\n");
    struct Case {
        const char* name;
        int64_t position;
        bool atPosition;
        SelectionRegion expected;
    };
    const Case cases[] = {
        {"at the opening quote", 4, true, {4, 11}},
        {"at the closing quote", 10, true, {4, 11}},
        {"inside, before the character", 7, false, {4, 11}},
        {"the second string", 15, true, {14, 17}},
        // Plain code lies in source.x like everything else: the whole text.
        {"position 0 with the flag clear stays at 0", 0, false, {0, 19}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(storage.extractScope(c.position, c.atPosition), c.expected);
    }
}

TEST_F(ScopeQueries, SymbolsJoinAdjacentRunsOfOneSelectorAndSplitOtherwise)
{
    //                 0    5     11    17 20
    storage.insert(0, u"if while \"a\"\"b\" x \"c\" /*if*/");
    RegexSelectorSet selectors;
    selectors.add(compileSelector(u"keyword"));
    selectors.add(compileSelector(u"string"));
    RegexSelectorSet exclusions;
    exclusions.add(compileSelector(u"comment"));
    std::vector<std::pair<SelectionRegion, int>> symbols;
    storage.getSymbols(selectors, exclusions, symbols);
    const std::vector<std::pair<SelectionRegion, int>> expected = {
        {{0, 2}, 0}, {{3, 8}, 0}, {{9, 15}, 1}, {{18, 21}, 1},
    };
    EXPECT_EQ(symbols, expected);

    symbols.clear();
    storage.getSymbols(RegexSelectorSet(), exclusions, symbols);
    EXPECT_TRUE(symbols.empty());
}

TEST_F(ScopeQueries, MatchSelectorCompilesEachTextOnce)
{
    storage.insert(0, u"if \"s\"");
    EXPECT_TRUE(storage.matchSelector(0, u"source keyword"));
    EXPECT_FALSE(storage.matchSelector(0, u"string"));
    EXPECT_TRUE(storage.matchSelector(4, u"string"));
    EXPECT_TRUE(storage.matchSelector(storage.size(), u"source.x"));
    // A selector that does not compile is the caller's error to report, and
    // is not cached as if it had compiled.
    const ustring lone = ustring(u"source ") + char16_t(0xD800);
    EXPECT_THROW(storage.matchSelector(0, lone), ParseException);
    EXPECT_THROW(storage.matchSelector(0, lone), ParseException);
}

TEST_F(ScopeQueries, CompletionsRankNearWordsFirstAndSkipTheTokenBeingTyped)
{
    // The caret at 12 is inside "alpacas" (9 to 16), which is not proposed;
    // "alpha" and "alpine" occur once each, "alpha" near the caret; "al" is
    // no longer than the prefix; the comma after "alpine" is trimmed.
    ustring text = u"alpha al alpacas";
    for (int i = 0; i < 20; ++i)
        text += u"\nq";
    text += u"\nalpine,";
    storage.insert(0, text);
    std::vector<ustring> words;
    storage.extractCompletions(12, u"al", u",", words);
    const std::vector<ustring> expected = {u"alpha", u"alpine"};
    EXPECT_EQ(words, expected);

    words.clear();
    storage.extractCompletions(16, u"alpa", u",", words);
    EXPECT_EQ(words, std::vector<ustring>{u"alpacas"}); // ends at the caret: counts

    words.clear();
    storage.extractCompletions(3, u"", u"", words);
    EXPECT_TRUE(words.empty());
}

TEST_F(ScopeQueries, NoSuggestionsAtTheEndOrForACorrectToken)
{
    storage.insert(0, u"if \"word\"");
    SelectionRegion region(-7, -7);
    std::vector<ustring> suggestions{u"untouched"};
    EXPECT_FALSE(storage.spellingSuggestionsAt(storage.size(), region, suggestions));
    EXPECT_FALSE(storage.spellingSuggestionsAt(4, region, suggestions));
    EXPECT_EQ(region, SelectionRegion(-7, -7));
    EXPECT_EQ(suggestions, std::vector<ustring>{u"untouched"});
}

} // namespace
