#include "ui/text/lexer/compiled_lexer.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "grammar_test_support.h"
#include "support/fixture_grammars.h"
#include "ui/statistics.h"
#include "ui/text/lexer/loaded_context.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"

using grammar_test::array;
using grammar_test::captures;
using grammar_test::compileGrammar;
using grammar_test::dict;
using grammar_test::match;

namespace {

PlistDict include(const char16_t* text) { return dict({{u"include", text}}); }

std::u16string text(const ScopeRecord* record) { return record ? record->text.str() : u"(null)"; }

// The context entered by the begin pattern at `index` of `from`.
const LexerContext& entered(const LexerContext& from, int index)
{
    EXPECT_LT(index, from.numMatches);
    EXPECT_EQ(from.matches[index].action, LexerAction::aPUSH);
    return *from.matches[index].target;
}

TEST(CompiledLexer, TopLevelMatchScopes)
{
    auto lexer = compileGrammar(array({match(u"a", u"m")}));
    const LexerState& root = *lexer->root();
    EXPECT_EQ(text(root.outerScope), u"source.x ");
    EXPECT_EQ(root.contentScope, root.outerScope);
    EXPECT_EQ(root.context, lexer->contexts()[0]);
    EXPECT_EQ(root.parent, nullptr);
    EXPECT_EQ(root.compiledLexer, lexer.get());

    const LexerContext& context = *root.context;
    ASSERT_EQ(context.numMatches, 1);
    EXPECT_EQ(text(context.matches[0].scope), u"m ");
    EXPECT_EQ(context.matches[0].action, LexerAction::aNONE);
    EXPECT_EQ(context.matcher.size(), 1u);
    EXPECT_EQ(text(concatScopes(lexer->joinedScopes(), root.outerScope, context.matches[0].scope)),
              u"m source.x ");
}

TEST(CompiledLexer, BeginEndScopes)
{
    // R (name n, contentName c) holds a match m and a nested rule S (name s).
    auto lexer = compileGrammar(
        array({dict({{u"begin", u"<"},
                     {u"end", u">"},
                     {u"name", u"n"},
                     {u"contentName", u"c"},
                     {u"patterns",
                      array({match(u"m", u"m"),
                             dict({{u"begin", u"\\("}, {u"end", u"\\)"}, {u"name", u"s"}})})}})}));
    ScopeNamePool& pool = lexer->joinedScopes();
    const LexerState& root = *lexer->root();
    const LexerContext& top = *root.context;
    const LexerContext& r = entered(top, 0);
    EXPECT_EQ(text(r.nameScope), u"n ");
    EXPECT_EQ(text(r.contentScope), u"c n ");

    // Relative scopes, then absolute ones as the lexing loop forms them.
    EXPECT_EQ(text(top.matches[0].scope), u"n ");
    ASSERT_EQ(r.numMatches, 3);
    EXPECT_EQ(r.matches[0].action, LexerAction::aPOP);
    EXPECT_EQ(text(r.matches[0].scope), u"n ");
    EXPECT_EQ(text(r.matches[1].scope), u"m c n ");
    EXPECT_EQ(text(r.matches[2].scope), u"s n ");

    const ScopeRecord* insideOuter = concatScopes(pool, root.outerScope, top.contentScope);
    const ScopeRecord* insideContent = concatScopes(pool, insideOuter, r.contentScope);
    EXPECT_EQ(text(concatScopes(pool, root.outerScope, top.matches[0].scope)), u"n source.x ");
    EXPECT_EQ(text(insideContent), u"c n source.x ");
    EXPECT_EQ(text(concatScopes(pool, insideOuter, r.matches[1].scope)), u"m c n source.x ");
    EXPECT_EQ(text(concatScopes(pool, insideOuter, r.matches[0].scope)), u"n source.x ");
}

TEST(CompiledLexer, RuleWithNameOnlyOrContentNameOnly)
{
    auto lexer = compileGrammar(array({dict({{u"begin", u"a"}, {u"end", u"b"}, {u"name", u"s"}}),
                                dict({{u"begin", u"c"}, {u"end", u"d"}, {u"contentName", u"c"}})}));
    const LexerContext& top = *lexer->root()->context;
    const LexerContext& named = entered(top, 0);
    EXPECT_EQ(text(named.nameScope), u"s ");
    EXPECT_EQ(named.contentScope, named.nameScope);
    EXPECT_EQ(top.matches[0].scope, named.nameScope);
    EXPECT_EQ(named.matches[0].scope, named.nameScope);

    const LexerContext& content = entered(top, 1);
    EXPECT_EQ(content.nameScope, nullptr);
    EXPECT_EQ(text(content.contentScope), u"c ");
    EXPECT_EQ(top.matches[1].scope, nullptr);
    EXPECT_EQ(content.matches[0].scope, nullptr);
}

TEST(CompiledLexer, CaptureScopes)
{
    auto lexer = compileGrammar(array(
        {dict({{u"match", u"(a)(b)?(c)"},
               {u"name", u"m"},
               {u"captures", captures({{0, u"z"}, {1, u"g1"}, {3, u"g3"}})}}),
         dict({{u"match", u"(d)"}, {u"name", u"m"}, {u"captures", captures({{1, u"g1"}})}})}));
    const LexerContext& top = *lexer->root()->context;
    const LexerMatch& zero = top.matches[0];
    // A named capture 0 replaces the rule's own name.
    EXPECT_EQ(text(zero.scope), u"z ");
    ASSERT_EQ(zero.numCaptures, 3);
    EXPECT_EQ(text(zero.captureScopes[0]), u"g1");
    EXPECT_EQ(zero.captureScopes[1], nullptr);
    EXPECT_EQ(text(zero.captureScopes[2]), u"g3");
    // Capture names are bare names from the names pool, shared between matches.
    const LexerMatch& plain = top.matches[1];
    EXPECT_EQ(text(plain.scope), u"m ");
    ASSERT_EQ(plain.numCaptures, 1);
    EXPECT_EQ(plain.captureScopes[0], zero.captureScopes[0]);
    EXPECT_EQ(plain.captureScopes[0], lexer->names().intern(u"g1"));
}

TEST(CompiledLexer, BackReferenceInEndPatternMakesAParameterisedContext)
{
    struct Case {
        const char16_t* end;
        bool parameterised;
    };
    const Case cases[] = {{u"\\1", true}, {u"</\\2>", true}, {u"\\\\1", false}, {u"x\\d", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.end));
        auto lexer = compileGrammar(array({dict({{u"begin", u"(<)(\\w+)"},
                                          {u"end", c.end},
                                          {u"name", u"tag"},
                                          {u"patterns", array({match(u"x")})}})}));
        const LexerContext& tag = entered(*lexer->root()->context, 0);
        EXPECT_EQ(tag.popIsParameterised, c.parameterised);
        if (c.parameterised) {
            EXPECT_TRUE(tag.matcher.empty());
            ASSERT_EQ(tag.srcRegexes.size(), 2u);
            EXPECT_EQ(tag.srcRegexes[0].str(), c.end);
            EXPECT_EQ(tag.srcRegexes[1].str(), u"x");
        } else {
            EXPECT_EQ(tag.matcher.size(), 2u);
            EXPECT_TRUE(tag.srcRegexes.empty());
        }
    }
}

TEST(CompiledLexer, ByteEscapesBecomeCodePoints)
{
    struct Case {
        const char16_t* written;
        const char16_t* compiled;
    };
    const Case cases[] = {
        {u"[^\\x00-\\x7F]", u"[^\\x{00}-\\x{7F}]"},
        {u"\\x9z", u"\\x{9}z"},
        {u"\\0", u"\\x{0}"},
        {u"\\011", u"\\x{9}"},
        {u"\\x{41}", u"\\x{41}"},
        {u"\\\\x41", u"\\\\x41"},
        {u"\\d\\x", u"\\d\\x"},
    };
    // The texts as a parameterised context keeps them.
    PlistArray inner;
    for (const Case& c : cases)
        inner.push_back(match(c.written));
    auto lexer =
        compileGrammar(array({dict({{u"begin", u"(a)"}, {u"end", u"\\1"}, {u"patterns", inner}})}));
    const LexerContext& context = entered(*lexer->root()->context, 0);
    ASSERT_EQ(context.srcRegexes.size(), std::size(cases) + 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(toUtf8(cases[i].written));
        EXPECT_EQ(context.srcRegexes[i + 1].str(), cases[i].compiled);
    }

    // A character class of the ASCII range finds the first other character,
    // and "\0" does not read as a back-reference.
    auto plain =
        compileGrammar(array({match(u"[^\\x00-\\x7F]"), dict({{u"begin", u"z"}, {u"end", u"\\0"}})}));
    LexerContext& top = *plain->root()->context;
    EXPECT_FALSE(entered(top, 1).popIsParameterised);
    const ustring line = u"ab\u00e9c";
    MatchRegion region;
    slate::usubstring found;
    std::vector<slate::usubstring> groups;
    const uchar* begin = line.data();
    const uchar* end = begin + line.size();
    EXPECT_EQ(top.matcher.search(region, 0, begin, end, begin, end, found, groups, true), 0);
    EXPECT_EQ(found.begin - begin, 2);
}

TEST(CompiledLexer, BadRegexFailsTheCompilation)
{
    try {
        compileGrammar(array({match(u"ok"), include(u"#bad")}),
                dict({{u"bad", dict({{u"begin", u"<"}, {u"end", u"("}})}}));
        ADD_FAILURE() << "no exception";
    } catch (const ParseException& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("Error in regex: ", 0), 0u) << message;
        EXPECT_NE(message.find(" in regex ("), std::string::npos) << message;
    }
    // A bad end pattern of a parameterised context waits for the lexer.
    EXPECT_NO_THROW(compileGrammar(array({dict({{u"begin", u"(a)"}, {u"end", u"(\\1"}})})));
}

TEST(CompiledLexer, IdenticalPatternsShareOneCompiledRegex)
{
    auto lexer = compileGrammar(
        array(
            {include(u"#word"),
             dict({{u"begin", u"<"}, {u"end", u">"}, {u"patterns", array({include(u"#word")})}})}),
        dict({{u"word", match(u"\\w+", u"w")}}));
    const LexerContext& top = *lexer->root()->context;
    const LexerContext& inner = entered(top, 1);
    ASSERT_EQ(inner.matcher.size(), 2u);
    EXPECT_EQ(top.matcher.entry(0).regex(), inner.matcher.entry(1).regex());
    EXPECT_NE(&top.matcher.entry(0), &inner.matcher.entry(1));
}

TEST(CompiledLexer, JoinAndConcatScopes)
{
    ArenaAllocator arena;
    ScopeNamePool joined(arena);
    ScopeNamePool names(arena);
    const ScopeRecord* outer = joinScope(joined, nullptr, names.intern(u"source.c"));
    EXPECT_EQ(text(outer), u"source.c ");
    EXPECT_EQ(joinScope(joined, outer, nullptr), outer);
    EXPECT_EQ(joinScope(joined, outer, names.intern(u"")), outer);
    const ScopeRecord* string = joinScope(joined, outer, names.intern(u"string.quoted"));
    EXPECT_EQ(text(string), u"string.quoted source.c ");
    EXPECT_EQ(string, joined.intern(u"string.quoted source.c "));

    const ScopeRecord* escape = joinScope(joined, nullptr, names.intern(u"constant.escape"));
    EXPECT_EQ(text(concatScopes(joined, string, escape)),
              u"constant.escape string.quoted source.c ");
    EXPECT_EQ(concatScopes(joined, nullptr, escape), escape);
    EXPECT_EQ(concatScopes(joined, string, nullptr), string);
    EXPECT_EQ(concatScopes(joined, nullptr, nullptr), nullptr);

    // Scopes longer than any stack buffer join the same way.
    const ustring longName(700, u'a');
    const ScopeRecord* deep = joinScope(joined, string, names.intern(longName));
    EXPECT_EQ(text(deep), longName + u" string.quoted source.c ");
    EXPECT_EQ(text(concatScopes(joined, deep, deep)), deep->text.str() + deep->text.str());
}

TEST(CompiledLexer, CopyContextAppendsAClone)
{
    auto lexer = compileGrammar(array({dict({{u"begin", u"(a)"}, {u"end", u"\\1"}, {u"name", u"p"}})}));
    const LexerContext& source = entered(*lexer->root()->context, 0);
    const size_t before = lexer->contexts().size();
    LexerContext* clone = lexer->copyContext(source);
    ASSERT_EQ(lexer->contexts().size(), before + 1);
    EXPECT_EQ(lexer->contexts().back(), clone);
    EXPECT_EQ(clone->index, static_cast<int32_t>(before));
    EXPECT_EQ(clone->nameScope, source.nameScope);
    EXPECT_EQ(clone->contentScope, source.contentScope);
    EXPECT_EQ(clone->matches, source.matches);
    EXPECT_EQ(clone->numMatches, source.numMatches);
    EXPECT_EQ(clone->srcRegexes.size(), source.srcRegexes.size());
    EXPECT_FALSE(clone->popIsParameterised);
    EXPECT_TRUE(clone->matcher.empty());
}

TEST(CompiledLexer, StatesAreCountedAndADeepTreeIsFreed)
{
    // A long chain of nested states, as a document of many unclosed brackets
    // makes, must be freed without one stack frame per level.
    const int32_t before = g_statLexerStates.count;
    auto lexer = compileGrammar(array(
        {dict({{u"begin", u"\\("}, {u"end", u"\\)"}, {u"patterns", array({include(u"$self")})}})}));
    EXPECT_EQ(g_statLexerStates.count - before, 1);
    LexerContext* inner = lexer->contexts()[1];
    LexerState* state = lexer->root();
    constexpr int kDepth = 200000;
    for (int i = 0; i < kDepth; ++i) {
        state->children.resize(static_cast<size_t>(inner->index) + 1, nullptr);
        auto* child =
            new LexerState(lexer.get(), inner, state, state->contentScope, state->contentScope);
        state->children[static_cast<size_t>(inner->index)] = child;
        state = child;
    }
    EXPECT_EQ(g_statLexerStates.count - before, kDepth + 1);
    lexer.reset();
    EXPECT_EQ(g_statLexerStates.count - before, kDepth + 1);
}

// The grammars of the fixture folder, parsed once for the tests below into a
// grammar cache and a language map, as the syntax loader and manager hold
// them; includes then resolve from the cache, so no property-list cache is
// written into the folder.
class FixtureGrammars : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const std::filesystem::path& file : test_support::fixtureGrammarFiles())
            s_paths.push_back(toUstring(file.string()));
        for (const ustring& path : s_paths) {
            auto grammar = std::make_unique<Grammar>();
            try {
                PlistValue value;
                loadPlist(path, value, false);
                parseTextMateGrammar(value, *grammar, false);
            } catch (const ParseException& error) {
                s_parseErrors.push_back(toUtf8(path) + ": " + error.what());
                continue;
            }
            s_languages[grammar->scopeName] = path;
            s_cache[path] = std::move(grammar);
        }
    }

    static void TearDownTestSuite()
    {
        s_cache.clear();
        s_languages.clear();
        s_paths.clear();
        s_parseErrors.clear();
    }

    // Loads (and unless `loadOnly` compiles) every grammar; returns the
    // failures as "path: message".
    static std::vector<std::string> build(bool loadOnly)
    {
        std::vector<std::string> failures;
        for (const ustring& path : s_paths) {
            auto grammar = s_cache.find(path);
            if (grammar == s_cache.end())
                continue;
            LoadedContextSet set;
            try {
                loadLexerContexts(*grammar->second, s_languages, set, s_cache);
                EXPECT_FALSE(set.contexts.empty());
                if (loadOnly)
                    continue;
                std::unique_ptr<CompiledLexer> lexer = compileLexerContexts(set.contexts);
                EXPECT_EQ(lexer->contexts().size(), set.contexts.size());
                EXPECT_EQ(text(lexer->root()->outerScope), grammar->second->scopeName + u" ");
            } catch (const ParseException& error) {
                failures.push_back(toUtf8(path) + ": " + error.what());
            }
        }
        return failures;
    }

    static std::vector<ustring> s_paths;
    static LanguageMap s_languages;
    static GrammarCache s_cache;
    static std::vector<std::string> s_parseErrors;
};

std::vector<ustring> FixtureGrammars::s_paths;
LanguageMap FixtureGrammars::s_languages;
GrammarCache FixtureGrammars::s_cache;
std::vector<std::string> FixtureGrammars::s_parseErrors;

TEST_F(FixtureGrammars, EveryGrammarParsesAndLoads)
{
    ASSERT_GE(s_paths.size(), 60u);
    EXPECT_EQ(s_parseErrors, std::vector<std::string>{});
    grammar_test::LogCollector log;
    EXPECT_EQ(build(true), std::vector<std::string>{});
    // Nothing was read behind the test's back.
    EXPECT_EQ(s_cache.size(), s_paths.size());
    // Languages outside the folder are reported and skipped.
    EXPECT_TRUE(log.contains(u"Unknown external include "));
}

TEST_F(FixtureGrammars, EveryGrammarCompiles)
{
    EXPECT_EQ(build(false), std::vector<std::string>{});
}

} // namespace
