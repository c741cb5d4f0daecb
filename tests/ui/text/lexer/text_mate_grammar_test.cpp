#include "ui/text/lexer/text_mate_grammar.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "grammar_test_support.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"

using grammar_test::array;
using grammar_test::captures;
using grammar_test::dict;
using grammar_test::Value;

namespace {

// The message of the ParseException that parsing `value` throws, or "no
// exception".
std::string parseError(const PlistValue& value, bool summaryOnly = false)
{
    Grammar grammar;
    try {
        parseTextMateGrammar(value, grammar, summaryOnly);
    } catch (const ParseException& error) {
        return error.what();
    }
    return "no exception";
}

std::string badCastText()
{
    try {
        (void)std::any_cast<int>(PlistValue());
    } catch (const std::bad_any_cast& error) {
        return error.what();
    }
    return "";
}

PlistValue grammarWith(PlistArray patterns)
{
    return dict(
        {{u"name", u"Test"}, {u"scopeName", u"source.t"}, {u"patterns", std::move(patterns)}});
}

// The single top-level rule of a grammar whose patterns are `rules`.
std::shared_ptr<Rule> onlyRule(PlistArray rules, Grammar& grammar)
{
    parseTextMateGrammar(grammarWith(std::move(rules)), grammar, false);
    EXPECT_EQ(grammar.patterns.size(), 1u);
    return grammar.patterns.empty() ? nullptr : grammar.patterns[0];
}

std::vector<ustring> names(const CaptureNames& captureNames)
{
    std::vector<ustring> result;
    for (const slate::usubstring& name : captureNames)
        result.push_back(name.str());
    return result;
}

TEST(TextMateGrammar, ReadsHeaderFields)
{
    Grammar grammar;
    parseTextMateGrammar(dict({{u"name", u"C"},
                               {u"scopeName", u"source.c"},
                               {u"firstLineMatch", u"^#!"},
                               {u"foldingStartMarker", u"\\{"},
                               {u"foldingStopMarker", u"\\}"},
                               {u"fileTypes", array({u"c", u"h", u"inc"})}}),
                         grammar, false);
    EXPECT_EQ(grammar.name, u"C");
    EXPECT_EQ(grammar.scopeName, u"source.c");
    EXPECT_EQ(grammar.firstLineMatch, u"^#!");
    EXPECT_EQ(grammar.foldingStartMarker, u"\\{");
    EXPECT_EQ(grammar.foldingStopMarker, u"\\}");
    EXPECT_EQ(grammar.fileTypes, (std::vector<ustring>{u"c", u"h", u"inc"}));
    EXPECT_TRUE(grammar.patterns.empty());
    EXPECT_TRUE(grammar.repository.empty());
}

TEST(TextMateGrammar, RejectsBadHeaders)
{
    struct Case {
        const char* label;
        PlistValue value;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"no name, even with a scope name", dict({{u"scopeName", u"source.c"}}),
         "Expected key name"},
        {"empty name", dict({{u"name", u""}}), "no exception"},
        {"root not a dictionary", array({u"name"}), badCastText()},
        {"name not a string", dict({{u"name", 3}}), badCastText()},
        {"fileTypes not an array", dict({{u"name", u"x"}, {u"fileTypes", u"c"}}), badCastText()},
        {"fileTypes element not a string", dict({{u"name", u"x"}, {u"fileTypes", array({1})}}),
         badCastText()},
        {"patterns not an array", dict({{u"name", u"x"}, {u"patterns", u"a"}}), badCastText()},
        {"rule not a dictionary", grammarWith(array({u"a"})), badCastText()},
        {"match not a string", grammarWith(array({dict({{u"match", 1}})})), badCastText()},
        {"repository not a dictionary", dict({{u"name", u"x"}, {u"repository", array({})}}),
         badCastText()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(parseError(c.value), c.expected);
    }
}

TEST(TextMateGrammar, SummaryReadsOnlyTheHeader)
{
    // The rule is broken (a negative capture number), which only the full
    // parse sees.
    const PlistValue value = dict(
        {{u"name", u"T"},
         {u"scopeName", u"source.t"},
         {u"patterns", array({dict({{u"match", u"a"}, {u"captures", dict({{u"-1", dict({})}})}})})},
         {u"repository", dict({{u"x", dict({{u"match", u"x"}})}})}});
    Grammar summary;
    parseTextMateGrammar(value, summary, true);
    EXPECT_EQ(summary.scopeName, u"source.t");
    EXPECT_TRUE(summary.patterns.empty());
    EXPECT_TRUE(summary.repository.empty());
    EXPECT_EQ(parseError(value), "Unexpected key value");
}

TEST(TextMateGrammar, MatchWinsOverBegin)
{
    Grammar grammar;
    auto rule = onlyRule(array({dict({{u"match", u"m"},
                                      {u"begin", u"b"},
                                      {u"end", u"e"},
                                      {u"name", u"n"},
                                      {u"patterns", array({dict({{u"match", u"x"}})})}})}),
                         grammar);
    ASSERT_TRUE(rule && rule->matchRule);
    EXPECT_FALSE(rule->beginEndRule || rule->fragmentRule || rule->includeRule);
    EXPECT_EQ(rule->matchRule->match.str(), u"m");
    EXPECT_EQ(rule->matchRule->name.str(), u"n");
    // Rule strings are NUL-terminated in the grammar's arena.
    EXPECT_EQ(*rule->matchRule->match.end, u'\0');
}

TEST(TextMateGrammar, RuleKindsInOrderOfTest)
{
    Grammar grammar;
    parseTextMateGrammar(
        grammarWith(array({dict({{u"include", u"#x"}, {u"begin", u"b"}, {u"end", u"e"}}),
                           dict({{u"begin", u"b"}, {u"end", u"e"}, {u"patterns", array({})}}),
                           dict({{u"patterns", array({dict({{u"match", u"a"}})})}})})),
        grammar, false);
    ASSERT_EQ(grammar.patterns.size(), 3u);
    ASSERT_TRUE(grammar.patterns[0]->includeRule);
    EXPECT_EQ(grammar.patterns[0]->includeRule->include, u"#x");
    ASSERT_TRUE(grammar.patterns[1]->beginEndRule);
    EXPECT_EQ(grammar.patterns[1]->beginEndRule->end.str(), u"e");
    ASSERT_TRUE(grammar.patterns[2]->fragmentRule);
    EXPECT_EQ(grammar.patterns[2]->fragmentRule->patterns.size(), 1u);
}

TEST(TextMateGrammar, BeginWithoutEndOrWhileIsLeftOut)
{
    grammar_test::LogCollector log;
    Grammar grammar;
    parseTextMateGrammar(
        dict({{u"name", u"T"},
              {u"patterns",
               array({dict({{u"match", u"a"}}),
                      dict({{u"begin", u"<%--"}, {u"captures", dict({{u"end", u"--%>"}})}}),
                      dict({{u"match", u"b"}})})},
              {u"repository",
               dict({{u"open", dict({{u"begin", u"x"}, {u"patterns", array({})}})}})}}),
        grammar, false);
    ASSERT_EQ(grammar.patterns.size(), 2u);
    EXPECT_EQ(grammar.patterns[1]->matchRule->match.str(), u"b");
    EXPECT_TRUE(grammar.repository.empty());
    EXPECT_TRUE(log.contains(u"Expected key end in the rule that begins with <%--"));
}

TEST(TextMateGrammar, WhileRuleKeepsItsPatternAndItsPrefixCaptures)
{
    Grammar grammar;
    auto rule = onlyRule(array({dict({{u"begin", u"^>"},
                                      {u"while", u"^\\1(>)(!)"},
                                      {u"captures", captures({{1, u"c1"}, {2, u"c2"}})},
                                      {u"whileCaptures", captures({{2, u"w2"}})}})}),
                         grammar);
    ASSERT_TRUE(rule && rule->beginEndRule);
    const BeginEndRule& whileRule = *rule->beginEndRule;
    EXPECT_TRUE(whileRule.isWhileRule);
    EXPECT_EQ(whileRule.whilePattern.str(), u"^\\1(>)(!)");
    EXPECT_TRUE(whileRule.end.empty());
    ASSERT_EQ(whileRule.whileCaptures.size(), 3u);
    EXPECT_EQ(whileRule.whileCaptures[1].str(), u"c1");
    EXPECT_EQ(whileRule.whileCaptures[2].str(), u"w2");

    // "while" wins over an "end" written beside it.
    Grammar both;
    rule = onlyRule(array({dict({{u"begin", u"b"}, {u"while", u"w"}, {u"end", u"e"}})}), both);
    EXPECT_TRUE(rule->beginEndRule->isWhileRule);
    EXPECT_EQ(rule->beginEndRule->whilePattern.str(), u"w");
}

TEST(TextMateGrammar, UnknownRuleIsSkippedAndLogged)
{
    grammar_test::LogCollector log;
    Grammar grammar;
    parseTextMateGrammar(
        dict({{u"name", u"T"},
              {u"patterns",
               array({dict({{u"match", u"a"}}), dict({{u"comment", u"only a comment"}}), dict({}),
                      dict({{u"match", u"b"}})})},
              {u"repository",
               dict({{u"skipped", dict({{u"comment", u"c"}})},
                     {u"kept", dict({{u"match", u"k"}})}})}}),
        grammar, false);
    ASSERT_EQ(grammar.patterns.size(), 2u);
    EXPECT_EQ(grammar.patterns[0]->matchRule->match.str(), u"a");
    EXPECT_EQ(grammar.patterns[1]->matchRule->match.str(), u"b");
    EXPECT_EQ(grammar.repository.count(u"skipped"), 0u);
    EXPECT_EQ(grammar.repository.count(u"kept"), 1u);
    EXPECT_TRUE(log.contains(
        u"Unexpected rule type, was expecting one of match, include, begin or patterns"));
}

TEST(TextMateGrammar, BeginAndEndCapturesMergeOverCaptures)
{
    Grammar grammar;
    auto rule = onlyRule(array({dict({{u"begin", u"(a)(b)(c)"},
                                      {u"end", u"(d)(e)(f)"},
                                      {u"captures", captures({{1, u"c1"}, {2, u"c2"}, {3, u"c3"}})},
                                      {u"beginCaptures", captures({{2, u"x"}})}})}),
                         grammar);
    ASSERT_TRUE(rule && rule->beginEndRule);
    EXPECT_EQ(names(rule->beginEndRule->beginCaptures), (std::vector<ustring>{u"", u"c1", u"x"}));
    EXPECT_EQ(names(rule->beginEndRule->endCaptures),
              (std::vector<ustring>{u"", u"c1", u"c2", u"c3"}));

    // An empty later dictionary clears what "captures" gave.
    Grammar cleared;
    rule = onlyRule(array({dict({{u"begin", u"(a)"},
                                 {u"end", u"(b)"},
                                 {u"captures", captures({{1, u"c1"}})},
                                 {u"endCaptures", dict({})}})}),
                    cleared);
    EXPECT_EQ(names(rule->beginEndRule->beginCaptures), (std::vector<ustring>{u"", u"c1"}));
    EXPECT_TRUE(rule->beginEndRule->endCaptures.empty());
}

TEST(TextMateGrammar, CaptureEntries)
{
    struct Case {
        const char* label;
        PlistValue captureDictionary;
        std::vector<ustring> expectedNames; // when expectedError is empty
        std::string expectedError;
    };
    const std::vector<Case> cases = {
        {"a key without digits is capture 0",
         dict({{u"abc", dict({{u"name", u"z"}})}}),
         {u"z"},
         ""},
        {"negative number", dict({{u"-1", dict({{u"name", u"z"}})}}), {}, "Unexpected key value"},
        {"number far beyond any pattern",
         dict({{u"999999999", dict({{u"name", u"z"}})}}),
         {},
         "Unexpected key value"},
        {"number beyond int",
         dict({{u"99999999999999", dict({{u"name", u"z"}})}}),
         {},
         "Unexpected key value"},
        {"a number beyond the pattern's groups costs no table",
         dict({{u"32767", dict({{u"name", u"z"}})}}),
         {u"", u"", u"", u""},
         ""},
        {"nested patterns beside the name are ignored",
         dict({{u"1", dict({{u"name", u"n"}, {u"patterns", array({})}})}}),
         {u"", u"n"},
         ""},
        {"an entry without a name names nothing",
         dict({{u"2", dict({{u"patterns", array({})}})}, {u"1", dict({})}}),
         {u"", u"", u""},
         ""},
        {"an entry that is not a dictionary is ignored",
         dict({{u"0", dict({{u"name", u"a"}})}, {u"end", u"oops"}}),
         {u"a"},
         ""},
        {"an array is indexed from 0",
         array({dict({{u"name", u"a"}}), u"stray", dict({{u"name", u"c"}})}),
         {u"a", u"", u"c"},
         ""},
        {"a name that is not a string", dict({{u"1", dict({{u"name", 4}})}}), {}, badCastText()},
        {"captures neither a dictionary nor an array", u"text", {}, badCastText()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Grammar grammar;
        const PlistValue value = grammarWith(
            array({dict({{u"match", u"(a)(b)(c)"}, {u"captures", Value::of(c.captureDictionary)}})}));
        if (!c.expectedError.empty()) {
            EXPECT_EQ(parseError(value), c.expectedError);
            continue;
        }
        parseTextMateGrammar(value, grammar, false);
        ASSERT_EQ(grammar.patterns.size(), 1u);
        EXPECT_EQ(names(grammar.patterns[0]->matchRule->captures), c.expectedNames);
    }
}

TEST(TextMateGrammar, PublishedFormsAreIgnoredWithAMessageNamingGrammarAndKey)
{
    grammar_test::LogCollector log;
    Grammar grammar;
    parseTextMateGrammar(
        dict({{u"name", u"Wild"},
              {u"scopeName", u"source.wild"},
              {u"patterns", array({dict({{u"begin", u"(<)"},
                                         {u"end", u">"},
                                         {u"beginCaptures", dict({{u"1", u"stray"}})},
                                         {u"repository", dict({{u"inner", array({})}})}})})},
              {u"repository", dict({{u"listed", array({dict({{u"match", u"x"}})})},
                                    {u"kept", dict({{u"match", u"y"}})}})}}),
        grammar, false);
    ASSERT_EQ(grammar.patterns.size(), 1u);
    EXPECT_EQ(grammar.repository.count(u"kept"), 1u);
    EXPECT_EQ(grammar.repository.count(u"listed"), 0u);
    for (const char16_t* message :
         {u"Ignored in grammar Wild (source.wild): capture 1 of \"beginCaptures\"",
          u"Ignored in grammar Wild (source.wild): the repository entry \"listed\"",
          u"Ignored in grammar Wild (source.wild): the repository entry \"inner\""}) {
        SCOPED_TRACE(toUtf8(message));
        EXPECT_TRUE(log.contains(message));
    }
}

TEST(TextMateGrammar, ApplyEndPatternLast)
{
    const std::vector<std::pair<const char*, std::pair<grammar_test::Value, bool>>> cases = {
        {"integer 1", {1, true}},          {"integer 0", {0, false}},
        {"integer 2", {2, false}},         {"boolean true", {true, true}},
        {"boolean false", {false, false}},
    };
    for (const auto& [label, flagAndExpected] : cases) {
        SCOPED_TRACE(label);
        Grammar grammar;
        auto rule = onlyRule(array({dict({{u"begin", u"b"},
                                          {u"end", u"e"},
                                          {u"applyEndPatternLast", flagAndExpected.first}})}),
                             grammar);
        ASSERT_TRUE(rule && rule->beginEndRule);
        EXPECT_EQ(rule->beginEndRule->applyEndPatternLast, flagAndExpected.second);
    }
    EXPECT_EQ(parseError(grammarWith(array(
                  {dict({{u"begin", u"b"}, {u"end", u"e"}, {u"applyEndPatternLast", u"1"}})}))),
              badCastText());
}

TEST(TextMateGrammar, RulesKeepTheirNestedRepository)
{
    Grammar grammar;
    auto rule = onlyRule(
        array({dict(
            {{u"begin", u"b"},
             {u"end", u"e"},
             {u"patterns", array({dict({{u"include", u"#inner"}})})},
             {u"repository",
              dict({{u"inner",
                     dict({{u"patterns", array({dict({{u"include", u"#deep"}})})},
                           {u"repository", dict({{u"deep", dict({{u"match", u"d"}})}})}})}})}})}),
        grammar);
    ASSERT_TRUE(rule && rule->repository);
    const NestedRepository& outer = *rule->repository;
    EXPECT_EQ(outer.parent, nullptr);
    ASSERT_EQ(rule->beginEndRule->patterns.size(), 1u);
    EXPECT_EQ(rule->beginEndRule->patterns[0]->includeRule->scope, &outer);

    const std::shared_ptr<Rule>& inner = outer.rules.at(u"inner");
    ASSERT_TRUE(inner->repository);
    EXPECT_EQ(inner->repository->parent, &outer);
    EXPECT_EQ(inner->fragmentRule->patterns[0]->includeRule->scope, inner->repository.get());
    EXPECT_TRUE(grammar.repository.empty());
}

} // namespace
