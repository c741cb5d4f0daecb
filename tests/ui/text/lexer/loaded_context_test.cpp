#include "ui/text/lexer/loaded_context.h"

#include <pthread.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "grammar_test_support.h"
#include "ui/text/lexer/compiled_lexer.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"

using grammar_test::array;
using grammar_test::dict;
using grammar_test::grammarXml;

namespace {

std::unique_ptr<Grammar> parsed(const PlistDict& value)
{
    auto grammar = std::make_unique<Grammar>();
    parseTextMateGrammar(PlistValue(value), *grammar, false);
    return grammar;
}

PlistDict grammarValue(const char16_t* scopeName, PlistArray patterns, PlistDict repository = {})
{
    return dict({{u"name", scopeName},
                 {u"scopeName", scopeName},
                 {u"patterns", std::move(patterns)},
                 {u"repository", std::move(repository)}});
}

PlistDict match(const char16_t* pattern) { return dict({{u"match", pattern}}); }
PlistDict include(const char16_t* text) { return dict({{u"include", text}}); }

// A context's patterns as short texts: "match a", "push b" or "pop }"; a
// push also names its target: "push { -> meta.block".
std::vector<std::string> describe(const LoadedContext& context)
{
    std::vector<std::string> lines;
    for (const LoadedMatch& m : context.matches) {
        std::string line;
        switch (m.action) {
        case LexerAction::aNONE: line = "match "; break;
        case LexerAction::aPUSH: line = "push "; break;
        case LexerAction::aPOP: line = "pop "; break;
        default: line = "? "; break;
        }
        line += toUtf8(m.pattern);
        if (m.target)
            line += " -> " + toUtf8(m.target->name);
        lines.push_back(line);
    }
    return lines;
}

// The loaded context of the begin/end rule named `name`.
const LoadedContext* contextNamed(const LoadedContextSet& set, const std::u16string& name)
{
    for (const LoadedContext* context : set.contexts)
        if (context->name == name)
            return context;
    return nullptr;
}

using Lines = std::vector<std::string>;

struct Loader {
    void load(const Grammar& grammar) { loadLexerContexts(grammar, languages, set, cache); }

    LanguageMap languages;
    GrammarCache cache;
    LoadedContextSet set;
};

TEST(LoadedContext, TopLevelMatchRulesGiveOneRootContext)
{
    auto grammar = parsed(
        grammarValue(u"source.t", array({dict({{u"match", u"a"}, {u"name", u"x"}}), match(u"b")})));
    Loader loader;
    loader.load(*grammar);
    ASSERT_EQ(loader.set.contexts.size(), 1u);
    const LoadedContext& root = *loader.set.contexts[0];
    EXPECT_EQ(describe(root), (Lines{"match a", "match b"}));
    EXPECT_EQ(ustring(root.matches[0].name), u"x");
    EXPECT_EQ(ustring(root.matches[1].name), u"");
    EXPECT_EQ(ustring(root.language), u"source.t");
    EXPECT_EQ(ustring(root.name), u"");
    EXPECT_EQ(ustring(root.contentName), u"");
}

TEST(LoadedContext, PlainTextGrammarGivesOneEmptyRoot)
{
    Grammar grammar;
    grammar.name = u"default";
    grammar.scopeName = u"text.plain";
    Loader loader;
    loader.languages[u"text.plain"] = u"";
    loader.load(grammar);
    ASSERT_EQ(loader.set.contexts.size(), 1u);
    EXPECT_TRUE(loader.set.contexts[0]->matches.empty());
}

TEST(LoadedContext, SelfIncludingBeginEndRuleHasOneContext)
{
    for (bool endLast : {false, true}) {
        SCOPED_TRACE(endLast ? "end pattern last" : "end pattern first");
        auto grammar = parsed(grammarValue(
            u"source.t", array({include(u"#block")}),
            dict({{u"block",
                   dict({{u"begin", u"\\{"},
                         {u"end", u"\\}"},
                         {u"name", u"meta.block"},
                         {u"contentName", u"meta.inside"},
                         {u"applyEndPatternLast", endLast ? 1 : 0},
                         {u"endCaptures", grammar_test::captures({{0, u"punct"}})},
                         {u"patterns", array({include(u"#block"), match(u"x")})}})}})));
        Loader loader;
        loader.load(*grammar);
        ASSERT_EQ(loader.set.contexts.size(), 2u);
        EXPECT_EQ(describe(*loader.set.contexts[0]), (Lines{"push \\{ -> meta.block"}));
        const LoadedContext& block = *loader.set.contexts[1];
        EXPECT_EQ(ustring(block.contentName), u"meta.inside");
        if (endLast)
            EXPECT_EQ(describe(block), (Lines{"push \\{ -> meta.block", "match x", "pop \\}"}));
        else
            EXPECT_EQ(describe(block), (Lines{"pop \\}", "push \\{ -> meta.block", "match x"}));
        EXPECT_EQ(loader.set.contexts[0]->matches[0].target, &block);
        const LoadedMatch& end = block.matches[endLast ? 2 : 0];
        EXPECT_EQ(end.name, nullptr);
        ASSERT_EQ(end.captureNames.size(), 1u);
        EXPECT_EQ(ustring(end.captureNames[0]), u"punct");
    }
}

TEST(LoadedContext, IncludesOfTheOwnGrammar)
{
    auto grammar = parsed(
        grammarValue(u"source.t", array({match(u"top"), include(u"#group"), include(u"#block")}),
                     dict({{u"group", dict({{u"patterns", array({match(u"g1"), match(u"g2")})}})},
                           {u"block",
                            dict({{u"begin", u"<"},
                                  {u"end", u">"},
                                  {u"name", u"block"},
                                  {u"patterns", array({include(u"$self")})}})},
                           {u"basic",
                            dict({{u"begin", u"\\("},
                                  {u"end", u"\\)"},
                                  {u"name", u"basic"},
                                  {u"patterns", array({include(u"$base")})}})}})));
    Loader loader;
    loader.load(*grammar);
    EXPECT_EQ(describe(*loader.set.contexts[0]),
              (Lines{"match top", "match g1", "match g2", "push < -> block"}));
    // "$self" brings the top level into the rule's context, its own begin included.
    const LoadedContext* block = contextNamed(loader.set, u"block");
    ASSERT_TRUE(block);
    EXPECT_EQ(describe(*block),
              (Lines{"pop >", "match top", "match g1", "match g2", "push < -> block"}));
    // An unreferenced repository rule gets no context.
    EXPECT_EQ(contextNamed(loader.set, u"basic"), nullptr);
}

TEST(LoadedContext, IncludesOfOtherLanguages)
{
    // source.a includes source.b, whose "$base" means source.a's top level,
    // "$self" source.b's, and "#name" source.b's repository.
    Loader loader;
    loader.cache[u"b.tmLanguage"] = parsed(grammarValue(
        u"source.b", array({match(u"b-top"), include(u"#b-rule"), include(u"#b-block")}),
        dict({{u"b-rule", match(u"b-rule")},
              {u"b-block",
               dict({{u"begin", u"\\["},
                     {u"end", u"\\]"},
                     {u"name", u"b-block"},
                     {u"patterns", array({include(u"$base"), include(u"$self")})}})},
              {u"b-named", match(u"b-named")}})));
    loader.languages[u"source.b"] = u"b.tmLanguage";
    auto grammar = parsed(grammarValue(
        u"source.a", array({match(u"a-top"), include(u"source.b"), include(u"source.b#b-named")})));
    loader.load(*grammar);

    EXPECT_EQ(describe(*loader.set.contexts[0]),
              (Lines{"match a-top", "match b-top", "match b-rule", "push \\[ -> b-block",
                     "match b-named"}));
    const LoadedContext* block = contextNamed(loader.set, u"b-block");
    ASSERT_TRUE(block);
    EXPECT_EQ(ustring(block->language), u"source.b");
    // "$base" first: source.a's top level (which brings in source.b's), then
    // "$self", whose rules the context already holds.
    EXPECT_EQ(describe(*block),
              (Lines{"pop \\]", "match a-top", "match b-top", "match b-rule", "push \\[ -> b-block",
                     "match b-named"}));
    // Nothing but the two used contexts: an included grammar's top level is
    // added in place, not as a context of its own.
    EXPECT_EQ(loader.set.contexts.size(), 2u);
}

TEST(LoadedContext, NestedRepositoriesResolveInnermostFirst)
{
    auto grammar = parsed(grammarValue(
        u"source.t", array({include(u"#attr"), include(u"#tag")}),
        dict({{u"attr", match(u"outer-attr")},
              {u"tag",
               dict({{u"begin", u"<"},
                     {u"end", u">"},
                     {u"name", u"tag"},
                     {u"repository",
                      dict({{u"attr", match(u"inner-attr")},
                            {u"only-inner", match(u"only-inner")}})},
                     {u"patterns",
                      array({include(u"#attr"), include(u"#only-inner"), include(u"#tag")})}})}})));
    Loader loader;
    loader.load(*grammar);
    EXPECT_EQ(describe(*loader.set.contexts[0]), (Lines{"match outer-attr", "push < -> tag"}));
    const LoadedContext* tag = contextNamed(loader.set, u"tag");
    ASSERT_TRUE(tag);
    EXPECT_EQ(describe(*tag),
              (Lines{"pop >", "match inner-attr", "match only-inner", "push < -> tag"}));
}

TEST(LoadedContext, UnknownIncludesAreLoggedAndAddNothing)
{
    grammar_test::LogCollector log;
    auto grammar =
        parsed(grammarValue(u"source.t",
                            array({match(u"a"), include(u"source.nowhere"), include(u"#missing"),
                                   include(u"source.t#missing"), match(u"b")})));
    Loader loader;
    loader.load(*grammar);
    EXPECT_EQ(describe(*loader.set.contexts[0]), (Lines{"match a", "match b"}));
    EXPECT_TRUE(log.contains(u"Unknown external include source.nowhere included from source.t"));
    EXPECT_TRUE(log.contains(u"Unknown include #missing in source.t"));
    EXPECT_TRUE(log.contains(u"Unknown include source.t#missing included from source.t"));
}

TEST(LoadedContext, IncludeCyclesEnd)
{
    auto grammar = parsed(grammarValue(
        u"source.t",
        array({dict({{u"patterns", array({include(u"$self"), match(u"top")})}}), include(u"#a"),
               include(u"source.t")}),
        dict({{u"a", dict({{u"patterns", array({include(u"#a"), include(u"#b"), match(u"a")})}})},
              {u"b", dict({{u"patterns", array({include(u"#a"), match(u"b")})}})}})));
    Loader loader;
    loader.load(*grammar);
    ASSERT_EQ(loader.set.contexts.size(), 1u);
    EXPECT_EQ(describe(*loader.set.contexts[0]), (Lines{"match top", "match b", "match a"}));
}

TEST(LoadedContext, Errors)
{
    struct Case {
        const char* label;
        PlistDict grammar;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"scope name with #", grammarValue(u"source.t#x", array({})), "Invalid language name"},
        {"empty scope name", grammarValue(u"", array({})), "Empty language names are not allowed"},
        {"empty include", grammarValue(u"source.t", array({match(u"a"), include(u"")})),
         "invalid include"},
        {"unknown $ include", grammarValue(u"source.t", array({match(u"a"), include(u"$other")})),
         "Unknown include"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto grammar = parsed(c.grammar);
        Loader loader;
        try {
            loader.load(*grammar);
            ADD_FAILURE() << "no exception";
        } catch (const ParseException& error) {
            EXPECT_EQ(std::string(error.what()), c.expected);
        }
        EXPECT_TRUE(loader.set.contexts.empty());
    }
}

TEST(LoadedContext, ExternalGrammarIsReadOnceIntoTheCache)
{
    grammar_test::ScratchFolder folder;
    Loader loader;
    loader.languages[u"source.b"] =
        folder.write("b.tmLanguage",
                     grammarXml("source.b",
                                "<key>patterns</key><array><dict><key>match</key><string>b</string>"
                                "</dict></array>\n"));
    auto grammar = parsed(grammarValue(u"source.a", array({include(u"source.b")})));

    loader.load(*grammar);
    EXPECT_EQ(describe(*loader.set.contexts[0]), (Lines{"match b"}));
    ASSERT_EQ(loader.cache.size(), 1u);
    const Grammar* cached = loader.cache.begin()->second.get();
    EXPECT_EQ(cached->scopeName, u"source.b");

    freeLoadedContexts(loader.set);
    loader.load(*grammar);
    EXPECT_EQ(describe(*loader.set.contexts[0]), (Lines{"match b"}));
    EXPECT_EQ(loader.cache.begin()->second.get(), cached);
}

TEST(LoadedContext, FailedExternalGrammarIsNotCached)
{
    grammar_test::ScratchFolder folder;
    Loader loader;
    const ustring path =
        folder.write("b.tmLanguage",
                     grammarXml("source.b",
                                "<key>patterns</key><array><dict><key>match</key><string>b</string>"
                                "<key>captures</key><dict><key>-1</key><dict/></dict>"
                                "</dict></array>\n"));
    loader.languages[u"source.b"] = path;
    auto grammar = parsed(grammarValue(u"source.a", array({match(u"a"), include(u"source.b")})));

    try {
        loader.load(*grammar);
        ADD_FAILURE() << "no exception";
    } catch (const ParseException& error) {
        EXPECT_EQ(std::string(error.what()), "Unexpected key value");
    }
    EXPECT_TRUE(loader.set.contexts.empty());
    EXPECT_TRUE(loader.cache.empty());

    // Mended on disk, the grammar is read again by the next load.
    folder.write("b.tmLanguage",
                 grammarXml("source.b",
                            "<key>patterns</key><array><dict><key>begin</key>"
                            "<string>b</string><key>end</key><string>e</string>"
                            "<key>name</key><string>b-block</string></dict></array>\n"));
    loader.load(*grammar);
    EXPECT_EQ(describe(*loader.set.contexts[0]), (Lines{"match a", "push b -> b-block"}));
    EXPECT_EQ(loader.cache.size(), 1u);
}

TEST(LoadedContext, EqualStringsShareOneCopy)
{
    auto grammar =
        parsed(grammarValue(u"source.t", array({include(u"#word"), include(u"#block")}),
                            dict({{u"word", dict({{u"match", u"\\w+"}, {u"name", u"word"}})},
                                  {u"block",
                                   dict({{u"begin", u"<"},
                                         {u"end", u">"},
                                         {u"name", u"word"},
                                         {u"patterns", array({include(u"#word")})}})}})));
    Loader loader;
    loader.load(*grammar);
    const LoadedContext& root = *loader.set.contexts[0];
    const LoadedContext* block = contextNamed(loader.set, u"word");
    ASSERT_TRUE(block);
    ASSERT_EQ(block->matches.size(), 2u);
    EXPECT_EQ(root.matches[0].pattern, block->matches[1].pattern);
    EXPECT_EQ(root.matches[0].name, block->name);
}

// Runs `work` on a thread with a stack of `bytes`, as the file reading
// thread has, and waits for it.
void runWithStack(size_t bytes, const std::function<void()>& work)
{
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, bytes);
    pthread_t thread;
    auto call = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, call, const_cast<std::function<void()>*>(&work)),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

TEST(LoadedContext, HostileGrammarsLoadOrAreRefusedOnASmallStack)
{
    struct Case {
        const char* file;
        // Empty when the grammar loads; else a part of the refusal's message.
        std::string refusal;
    };
    const Case cases[] = {
        // Chains of includes once recursed once per link.
        {"grammar-include-chain-3000-crash-1.tmLanguage", ""},
        {"grammar-include-chain-fragment-5000-crash-2.tmLanguage", ""},
        // 2,000 rules each including the whole grammar: 4 million patterns.
        {"grammar-quadratic-2000-memory-1.tmLanguage", "patterns"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::filesystem::path path =
            std::filesystem::path(VANTREL_TEST_DATA_DIR) / "hostile" / c.file;
        std::string error = "not run";
        size_t contexts = 0;
        runWithStack(1 << 20, [&] {
            try {
                PlistValue value;
                loadPlist(toUstring(path.string()), value, false);
                Grammar grammar;
                parseTextMateGrammar(value, grammar, false);
                Loader loader;
                loader.load(grammar);
                contexts = loader.set.contexts.size();
                compileLexerContexts(loader.set.contexts);
                error.clear();
            } catch (const ParseException& exception) {
                error = exception.what();
            }
        });
        if (c.refusal.empty()) {
            EXPECT_EQ(error, "");
            EXPECT_GT(contexts, 0u);
        } else {
            EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
        }
    }
}

TEST(LoadedContext, WhileRuleContextHoldsItsPatternInsteadOfAnEnd)
{
    auto grammar = parsed(grammarValue(
        u"source.w", array({dict({{u"begin", u">"},
                                  {u"while", u"^>"},
                                  {u"name", u"quote"},
                                  {u"applyEndPatternLast", 1},
                                  {u"whileCaptures", grammar_test::captures({{0, u"mark"}})},
                                  {u"patterns", array({match(u"x")})}})})));
    Loader loader;
    loader.load(*grammar);
    const LoadedContext* quote = contextNamed(loader.set, u"quote");
    ASSERT_TRUE(quote);
    EXPECT_EQ(describe(*quote), (Lines{"match x"}));
    ASSERT_TRUE(quote->whilePattern);
    EXPECT_EQ(std::u16string(quote->whilePattern), u"^>");
    ASSERT_EQ(quote->whileCaptureNames.size(), 1u);
    EXPECT_EQ(std::u16string(quote->whileCaptureNames[0]), u"mark");
    EXPECT_FALSE(loader.set.contexts[0]->whilePattern);
}

} // namespace
