#include "ui/text/lexer/lexer.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "grammar_test_support.h"
#include "ui/statistics.h"
#include "ui/text/lexer/loaded_context.h"
#include "ui/text/package_test_support.h"
#include "ui/unicode.h"

using grammar_test::array;
using grammar_test::captures;
using grammar_test::dict;
using grammar_test::match;

namespace {

// A grammar with scope name source.x, compiled, and lexed line by line from
// its root state.
class TestGrammar {
public:
    explicit TestGrammar(PlistArray patterns, PlistDict repository = {})
    {
        m_lexer = grammar_test::compileGrammar(std::move(patterns), std::move(repository));
        m_state = m_lexer->root();
    }

    CompiledLexer& lexer() { return *m_lexer; }
    LexerState* root() { return m_lexer->root(); }
    LexerState* state() { return m_state; }
    void setState(LexerState* state) { m_state = state; }

    // Lexes `line` (kept alive by this object) from the current state and
    // moves the state on. The tokens are described as "text=scope" with the
    // scope's trailing blank dropped.
    std::vector<std::string> lexLine(const std::u16string& line,
                                     LineKind kind = LineKind::LaterLine)
    {
        m_lines.push_back(std::make_unique<std::u16string>(line));
        const std::u16string& text = *m_lines.back();
        std::vector<LexedToken> tokens;
        m_state = lex(m_region, m_state, text.data(), text.data() + text.size(), tokens, kind);
        std::vector<std::string> described;
        const uchar* expected = text.data();
        for (const LexedToken& token : tokens) {
            EXPECT_EQ(token.begin, expected) << "tokens leave a gap or overlap";
            EXPECT_LT(token.begin, token.end) << "an empty token";
            expected = token.end;
            std::string scope = toUtf8(token.scope->text);
            if (!scope.empty() && scope.back() == ' ')
                scope.pop_back();
            described.push_back(toUtf8(std::u16string(token.begin, token.end)) + "=" + scope);
        }
        EXPECT_EQ(expected, text.data() + text.size()) << "tokens do not cover the line";
        return described;
    }

private:
    std::unique_ptr<CompiledLexer> m_lexer;
    LexerState* m_state;
    MatchRegion m_region;
    std::vector<std::unique_ptr<std::u16string>> m_lines;
};

using Tokens = std::vector<std::string>;

std::vector<std::u16string> pieces(const std::u16string& text)
{
    std::vector<std::u16string> result;
    const uchar* p = text.data();
    const uchar* end = p + text.size();
    while (p != end) {
        slate::usubstring piece = splitTokenText(p, end);
        EXPECT_EQ(piece.begin, p);
        EXPECT_GT(piece.end, p);
        result.push_back(piece.str());
        p = piece.end;
    }
    return result;
}

TEST(SplitTokenText, CutsWordsWithTheirSpacesSingleBracketsAndRunsOfTabs)
{
    struct Case {
        std::u16string text;
        std::vector<std::u16string> pieces;
    };
    const Case cases[] = {
        {u"foo  bar(x)", {u"foo  ", u"bar", u"(", u"x", u")"}},
        {u"  lead", {u"  ", u"lead"}},
        {u"\t\tx\ty", {u"\t\t", u"x", u"\t", u"y"}},
        {u"a-b<c>[d]", {u"a", u"-", u"b", u"<", u"c", u">", u"[", u"d", u"]"}},
        {u"end\n", {u"end", u"\n"}},
        {u"\n\n", {u"\n", u"\n"}},
        {u"x \t", {u"x ", u"\t"}},
        {u"a.b,c;", {u"a.b,c;"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        EXPECT_EQ(pieces(c.text), c.pieces);
    }
}

TEST(BuildEndPattern, FillsReferencesWithEscapedCapturesAndDropsMissingGroups)
{
    const std::u16string first = u"a.b";
    const std::u16string second = u"(q)";
    const std::vector<slate::usubstring> groups = {slate::usubstring(first),
                                                   slate::usubstring(second)};
    struct Case {
        std::u16string pattern;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"^\\1$", u"^a\\.b$"},
        {u"\\2-\\1", u"\\(q\\)-a\\.b"},
        {u"x\\3y", u"xy"},          // no group 3: the reference goes
        {u"\\\\1", u"\\\\1"},       // an escaped backslash, not a reference
        {u"\\12", u""},             // group 12, not group 1 and a digit
        {u"plain", u"plain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.pattern));
        EXPECT_EQ(buildEndPattern(slate::usubstring(c.pattern), groups), c.expected);
    }
}

TEST(Lex, LineThatMatchesNothingIsWordsOfTheContentScope)
{
    TestGrammar grammar(array({match(u"zzz", u"z")}));
    EXPECT_EQ(grammar.lexLine(u"foo  bar(x)\n"),
              (Tokens{"foo  =source.x", "bar=source.x", "(=source.x", "x=source.x",
                      ")=source.x", "\n=source.x"}));
    EXPECT_EQ(grammar.state(), grammar.root());
}

TEST(Lex, EmptyRangeGivesNoTokenAndTheSameState)
{
    TestGrammar grammar(array({match(u"a", u"m")}));
    EXPECT_TRUE(grammar.lexLine(u"").empty());
    EXPECT_EQ(grammar.state(), grammar.root());
}

TEST(Lex, BeginInnerAndEndScopesNestAsComposed)
{
    // A string with a content name holds an escape and an interpolation
    // that is itself a begin/end rule.
    TestGrammar grammar(array({dict({{u"begin", u"\""},
                                     {u"end", u"\""},
                                     {u"name", u"str"},
                                     {u"contentName", u"body"},
                                     {u"patterns", array({match(u"\\\\.", u"esc"),
                                                          dict({{u"begin", u"\\{"},
                                                                {u"end", u"\\}"},
                                                                {u"name", u"interp"}})})}})}));
    EXPECT_EQ(grammar.lexLine(u"a \"b\\n{c}\" d\n"),
              (Tokens{"a =source.x", "\"=str source.x", "b=body str source.x",
                      "\\n=esc body str source.x",
                      // The inner begin match lacks the holding context's
                      // content name; its text and end carry it.
                      "{=interp str source.x", "c=interp body str source.x",
                      "}=interp body str source.x", "\"=str source.x", " =source.x",
                      "d=source.x", "\n=source.x"}));
    EXPECT_EQ(grammar.state(), grammar.root());
}

TEST(Lex, BeginMatchEntersItsContextForTheRestOfTheLine)
{
    TestGrammar grammar(array({dict({{u"begin", u"/\\*"}, {u"end", u"\\*/"}, {u"name", u"c"}})}));
    EXPECT_EQ(grammar.lexLine(u"x /* y\n"),
              (Tokens{"x =source.x", "/*=c source.x", " =c source.x", "y=c source.x",
                      "\n=c source.x"}));
    EXPECT_NE(grammar.state(), grammar.root());
    EXPECT_EQ(grammar.lexLine(u"z */\n"),
              (Tokens{"z =c source.x", "*/=c source.x", "\n=source.x"}));
    EXPECT_EQ(grammar.state(), grammar.root());
}

TEST(Lex, CaptureInsideCaptureJoinsItsNameOnto)
{
    TestGrammar grammar(
        array({dict({{u"match", u"<(a(b)c)d"},
                     {u"name", u"m"},
                     {u"captures", captures({{1, u"one"}, {2, u"two"}})}})}));
    EXPECT_EQ(grammar.lexLine(u"<abcd"),
              (Tokens{"<=m source.x", "a=one m source.x", "b=two one m source.x",
                      "c=one m source.x", "d=m source.x"}));
}

TEST(Lex, CaptureThatBeginsBeforeTheMatchIsIgnored)
{
    TestGrammar grammar(array(
        {dict({{u"match", u"(?<=(a))b"}, {u"name", u"m"}, {u"captures", captures({{1, u"g"}})}})}));
    EXPECT_EQ(grammar.lexLine(u"ab"), (Tokens{"a=source.x", "b=m source.x"}));
}

TEST(Lex, CapturesNestedDeeperThanTheLimitTakeTheOuterScope)
{
    // 40 groups, each opening where the one around it opens.
    std::u16string pattern;
    for (int i = 0; i < 40; ++i)
        pattern += u"(";
    pattern += u"x";
    for (int i = 0; i < 40; ++i)
        pattern += u")";
    PlistDict names(11);
    for (int group = 1; group <= 40; ++group)
        names[toUstring(std::to_string(group))] =
            dict({{u"name", toUstring("g" + std::to_string(group)).c_str()}});
    TestGrammar grammar(
        array({dict({{u"match", pattern.c_str()}, {u"captures", std::move(names)}})}));
    const Tokens tokens = grammar.lexLine(u"x");
    ASSERT_EQ(tokens.size(), 1u);
    // The 32 outermost groups give their names; the rest nest without one.
    EXPECT_NE(tokens[0].find("=g32 g31 "), std::string::npos) << tokens[0];
    EXPECT_EQ(tokens[0].find("g33"), std::string::npos) << tokens[0];
}

TEST(Lex, SameLineFromTheSameStateEndsInTheSameState)
{
    TestGrammar grammar(array({dict({{u"begin", u"\\("}, {u"end", u"\\)"}, {u"name", u"p"},
                                     {u"patterns", array({dict({{u"include", u"$self"}})})}})}));
    LexerState* first = grammar.state();
    grammar.lexLine(u"f((a)(\n");
    LexerState* end = grammar.state();
    EXPECT_NE(end, first);
    grammar.setState(first);
    grammar.lexLine(u"f((a)(\n");
    EXPECT_EQ(grammar.state(), end);
    // The same nesting reached over another line is the same state too.
    grammar.setState(first);
    grammar.lexLine(u"((\n");
    EXPECT_EQ(grammar.state(), end);
}

PlistDict heredoc(const char16_t* end = u"^\\1$")
{
    return dict({{u"begin", u"<<(\\S+)"},
                 {u"end", end},
                 {u"name", u"doc"},
                 {u"beginCaptures", captures({{1, u"tag"}})}});
}

TEST(Lex, SameCapturedTextReachesTheSameClone)
{
    TestGrammar grammar(array({heredoc()}));
    grammar.lexLine(u"<<EOF\n");
    LexerState* afterFirst = grammar.state();
    const size_t contexts = grammar.lexer().contexts().size();
    grammar.setState(grammar.root());
    grammar.lexLine(u"x <<EOF\n");
    EXPECT_EQ(grammar.state(), afterFirst);
    EXPECT_EQ(grammar.lexer().contexts().size(), contexts);

    grammar.setState(grammar.root());
    grammar.lexLine(u"<<END\n");
    EXPECT_NE(grammar.state(), afterFirst);
    EXPECT_EQ(grammar.lexer().contexts().size(), contexts + 1);

    EXPECT_EQ(grammar.lexLine(u"EOF\n"), (Tokens{"EOF=doc source.x", "\n=doc source.x"}));
    EXPECT_EQ(grammar.lexLine(u"END\n"), (Tokens{"END=doc source.x", "\n=source.x"}));
    EXPECT_EQ(grammar.state(), grammar.root());
}

TEST(Lex, CapturedTextIsMatchedLiterallyByTheEndPattern)
{
    TestGrammar grammar(array({heredoc()}));
    grammar.lexLine(u"<<a.b\n");
    grammar.lexLine(u"axb\n");
    EXPECT_NE(grammar.state(), grammar.root()) << "\".\" matched any character";
    grammar.lexLine(u"a.b\n");
    EXPECT_EQ(grammar.state(), grammar.root());
}

TEST(Lex, ReferenceToAMissingGroupIsDropped)
{
    TestGrammar grammar(array({heredoc(u"x\\2y")}));
    grammar.lexLine(u"<<q\n");
    EXPECT_EQ(grammar.lexLine(u"a xy\n"), (Tokens{"a =doc source.x", "xy=doc source.x",
                                                  "\n=source.x"}));
}

TEST(Lex, EndPatternThatDoesNotCompileIsReportedAndKeepsTheContext)
{
    package_test::ReportedErrors errors;
    TestGrammar grammar(array({heredoc(u"\\1(")}));
    grammar.lexLine(u"<<t\n");
    const std::vector<std::string> reported = errors.take();
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find(" in regex t("), std::string::npos) << reported[0];
    EXPECT_EQ(grammar.lexLine(u"t(\n"), (Tokens{"t=doc source.x", "(=doc source.x",
                                                "\n=doc source.x"}));
}

TEST(Lex, PatternsThatMatchWithoutAdvancingDoNotStopTheLoop)
{
    // Each grammar once hung a tokenizer that retried the same empty match.
    const PlistArray grammars[] = {
        array({dict({{u"begin", u"(?=x)|^"}, {u"end", u""}, {u"name", u"b"}})}),
        array({match(u""), match(u"a*", u"a")}),
        array({dict({{u"begin", u"(?=\\w)"},
                     {u"end", u"(?=\\w)"},
                     {u"name", u"r"},
                     {u"patterns", array({dict({{u"include", u"$self"}})})}})}),
        array({dict({{u"begin", u"$"}, {u"end", u"^"}, {u"name", u"e"}}), match(u"$")}),
    };
    for (const PlistArray& patterns : grammars) {
        TestGrammar grammar(patterns);
        for (const char16_t* line : {u"x\n", u"abc\n", u"\n", u"", u"xx"})
            grammar.lexLine(line); // covers each line (checked inside)
    }
}

TEST(Lex, EmptyStepThatWouldRepeatLeavesTheLineToTheStateReached)
{
    // A step that consumes nothing and could go round for ever ends the
    // line: its rest is plain text of the state reached, and the next line
    // starts from that state. The expected tokens are the reference
    // tokenizer's; a different choice here once left shell scripts in
    // another context for lines after a backquoted command.
    struct Case {
        const char* what;
        PlistArray patterns;
        PlistDict repository;
        std::u16string lines[2];
        Tokens expected[2];
    };
    const PlistDict command = dict({{u"begin", u"(?=\\S)"},
                                    {u"end", u"(?=[|`\\n])"},
                                    {u"name", u"cmd"},
                                    {u"patterns", array({match(u"\"[^\"]*\"", u"str")})}});
    const PlistDict lookAheadInside =
        dict({{u"begin", u"(?=x)"},
              {u"end", u"z"},
              {u"name", u"c"},
              {u"patterns", array({match(u"(?=y)", u"why"), match(u"y", u"yy")})}});
    const PlistDict nesting = dict({{u"begin", u"(?=x)"},
                                    {u"end", u"x"},
                                    {u"applyEndPatternLast", 1},
                                    {u"name", u"c"},
                                    {u"patterns", array({dict({{u"include", u"#c"}}),
                                                         match(u"y", u"yy")})}});
    const Case cases[] = {
        {"an end that would undo the empty begin here keeps its context open",
         array({command}),
         {},
         {u"`echo \"a\" | x`\n", u"next \"b\"\n"},
         {{"`echo =cmd source.x", "\"a\" =cmd source.x", "| =cmd source.x", "x`=cmd source.x",
           "\n=cmd source.x"},
          {"next =cmd source.x", "\"b\"=str cmd source.x", "\n=source.x"}}},
        {"a match rule that consumes nothing leaves its context",
         array({lookAheadInside, match(u"q", u"q")}),
         {},
         {u"ab x yzq x\n", u"qq x\n"},
         {{"ab =source.x", "x =c source.x", "yzq =source.x", "x=source.x", "\n=source.x"},
          {"q=q source.x", "q=q source.x", " =source.x", "x=c source.x", "\n=c source.x"}}},
        {"a begin that would enter a context entered here already is not taken",
         array({dict({{u"include", u"#c"}})}),
         dict({{u"c", nesting}}),
         {u"ab x yzq x\n", u"qq xy\n"},
         {{"ab =source.x", "x =c c source.x", "yzq =c c source.x", "x=c c source.x",
           "\n=c c source.x"},
          {"qq =c c source.x", "xy=c c c c source.x", "\n=c c c c source.x"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestGrammar grammar(c.patterns, c.repository);
        EXPECT_EQ(grammar.lexLine(c.lines[0]), c.expected[0]);
        EXPECT_EQ(grammar.lexLine(c.lines[1]), c.expected[1]);
    }
}

TEST(Lex, WhileRuleEndsAndAnotherBeginsAtTheSameLineStart)
{
    // A paragraph continues over lines that begin with a blank.
    TestGrammar grammar(array({dict({{u"begin", u"^(?=\\S)"},
                                     {u"while", u"^ "},
                                     {u"name", u"para"},
                                     {u"patterns", array({match(u"\\*\\w+\\*", u"em")})}})}));
    EXPECT_EQ(grammar.lexLine(u"a\n"), (Tokens{"a=para source.x", "\n=para source.x"}));
    EXPECT_EQ(grammar.lexLine(u" b\n"), (Tokens{" =para source.x", "b=para source.x",
                                                "\n=para source.x"}));
    EXPECT_EQ(grammar.lexLine(u"*c*\n"), (Tokens{"*c*=em para source.x", "\n=para source.x"}));
}

// A block quote as Markdown writes it: every quoted line begins with the
// prefix that the "while" pattern takes, and the quote holds the whole
// grammar again.
PlistDict blockQuote(PlistArray inner = array({dict({{u"include", u"$self"}})}),
                     PlistDict whileCaptures = {})
{
    PlistDict quote = dict({{u"begin", u"(^|\\G) {0,3}(>) ?"},
                            {u"while", u"(^|\\G)\\s*(>) ?"},
                            {u"name", u"quote"},
                            {u"captures", captures({{2, u"punct"}})},
                            {u"patterns", std::move(inner)}});
    if (!whileCaptures.empty())
        quote[u"whileCaptures"] = std::move(whileCaptures);
    return quote;
}

TEST(Lex, WhileRuleTakesItsPrefixOnEachLineAndEndsAtTheFirstLineWithout)
{
    TestGrammar grammar(array({blockQuote()}));
    const Tokens quoted{">=punct quote source.x", " =quote source.x", "a=quote source.x",
                        "\n=quote source.x"};
    for (int line = 0; line < 3; ++line) {
        SCOPED_TRACE(line);
        EXPECT_EQ(grammar.lexLine(u"> a\n"), quoted);
        ASSERT_NE(grammar.state(), grammar.root());
        EXPECT_EQ(grammar.state()->parent, grammar.root());
    }
    EXPECT_EQ(grammar.lexLine(u"d\n"), (Tokens{"d=source.x", "\n=source.x"}));
    EXPECT_EQ(grammar.state(), grammar.root());
}

TEST(Lex, NestedWhileRulesAreCheckedFromTheOutermostInward)
{
    TestGrammar grammar(array({blockQuote()}));
    const Tokens twice{">=punct quote source.x",       " =quote source.x",
                       ">=punct quote quote source.x", " =quote quote source.x",
                       "a=quote quote source.x",       "\n=quote quote source.x"};
    EXPECT_EQ(grammar.lexLine(u"> > a\n"), twice);
    EXPECT_EQ(grammar.lexLine(u"> > a\n"), twice);
    // The inner quote's prefix is missing: it ends, the outer one goes on.
    EXPECT_EQ(grammar.lexLine(u"> b\n"), (Tokens{">=punct quote source.x", " =quote source.x",
                                                 "b=quote source.x", "\n=quote source.x"}));
    EXPECT_EQ(grammar.lexLine(u"c\n"), (Tokens{"c=source.x", "\n=source.x"}));
}

TEST(Lex, LongQuoteStaysOneContextDeep)
{
    // Each quoted line once opened one more nested quote: memory and time
    // grew with the square of the quote's length.
    TestGrammar grammar(array({blockQuote()}));
    grammar.lexLine(u"> first\n");
    LexerState* quote = grammar.state();
    const int32_t statesBefore = g_statLexerStates.count;
    for (int line = 0; line < 1000; ++line)
        grammar.lexLine(u"> quoted text\n");
    EXPECT_EQ(grammar.state(), quote);
    EXPECT_EQ(g_statLexerStates.count, statesBefore);
    EXPECT_EQ(grammar.lexLine(u"plain\n"), (Tokens{"plain=source.x", "\n=source.x"}));
}

TEST(Lex, BlockInsideAWhileRuleEndsWithIt)
{
    TestGrammar grammar(array({blockQuote(array(
        {dict({{u"begin", u"```"}, {u"end", u"```"}, {u"name", u"fence"}}),
         dict({{u"include", u"$self"}})}))}));
    grammar.lexLine(u"> ```\n");
    EXPECT_EQ(grammar.lexLine(u"> code\n"), (Tokens{">=punct quote source.x", " =quote source.x",
                                                    "code=fence quote source.x",
                                                    "\n=fence quote source.x"}));
    EXPECT_EQ(grammar.lexLine(u"plain\n"), (Tokens{"plain=source.x", "\n=source.x"}));
    EXPECT_EQ(grammar.state(), grammar.root());
}

TEST(Lex, WhileCapturesScopeThePrefixAndBackslashGMatchesAfterIt)
{
    TestGrammar grammar(array({blockQuote(
        array({match(u"\\Gx", u"first"), match(u"x", u"other")}), captures({{2, u"mark"}}))}));
    EXPECT_EQ(grammar.lexLine(u"> x x\n"),
              (Tokens{">=punct quote source.x", " =quote source.x", "x=first quote source.x",
                      " =quote source.x", "x=other quote source.x", "\n=quote source.x"}));
    EXPECT_EQ(grammar.lexLine(u"> x x\n"),
              (Tokens{">=mark quote source.x", " =quote source.x", "x=first quote source.x",
                      " =quote source.x", "x=other quote source.x", "\n=quote source.x"}));
}

TEST(Lex, WhilePatternReferringToTheBeginMatchIsFilledInPerBlock)
{
    // A list item goes on while lines are indented deeper than its marker.
    TestGrammar grammar(
        array({dict({{u"begin", u"^( *)-"}, {u"while", u"^\\1 "}, {u"name", u"item"}})}));
    grammar.lexLine(u"  -a\n");
    EXPECT_EQ(grammar.lexLine(u"   b\n"), (Tokens{"   =item source.x", "b=item source.x",
                                                  "\n=item source.x"}));
    EXPECT_EQ(grammar.lexLine(u"  c\n"), (Tokens{"  =source.x", "c=source.x", "\n=source.x"}));
    grammar.lexLine(u"-a\n");
    EXPECT_EQ(grammar.lexLine(u" b\n"), (Tokens{" =item source.x", "b=item source.x",
                                                "\n=item source.x"}));
}

TEST(Lex, BackslashGMatchesOnlyWhereTheBeginMatchEnded)
{
    TestGrammar grammar(array({dict({{u"begin", u"\\{"},
                                     {u"end", u"\\}"},
                                     {u"name", u"blk"},
                                     {u"patterns", array({match(u"\\Gx", u"first"),
                                                          match(u"x", u"other")})}})}));
    EXPECT_EQ(grammar.lexLine(u"{xx\n"), (Tokens{"{=blk source.x", "x=first blk source.x",
                                                 "x=other blk source.x", "\n=blk source.x"}));
    EXPECT_EQ(grammar.lexLine(u"x}\n"), (Tokens{"x=other blk source.x", "}=blk source.x",
                                                "\n=source.x"}));
}

TEST(Lex, BackslashGInAContextEnteredAgainOnTheSameLine)
{
    TestGrammar grammar(array({dict({{u"begin", u"\\{"},
                                     {u"end", u"\\}"},
                                     {u"name", u"blk"},
                                     {u"patterns", array({match(u"\\Gx", u"first"),
                                                          dict({{u"include", u"$self"}})})}})}));
    EXPECT_EQ(grammar.lexLine(u"{x{x}}\n"),
              (Tokens{"{=blk source.x", "x=first blk source.x", "{=blk blk source.x",
                      "x=first blk blk source.x", "}=blk blk source.x", "}=blk source.x",
                      "\n=source.x"}));
}

TEST(Lex, BeginThatTakesTheLineEndAnchorsTheNextLineStart)
{
    // A block scalar: its lines stay inside while they are indented.
    TestGrammar grammar(array({dict({{u"begin", u"\\|\\n"},
                                     {u"end", u"^(?=\\S)|(?!\\G)"},
                                     {u"name", u"blk"},
                                     {u"patterns", array({match(u"^ +.*", u"text")})}})}));
    grammar.lexLine(u"|\n");
    EXPECT_EQ(grammar.lexLine(u"  two words\n"),
              (Tokens{"  =text blk source.x", "two =text blk source.x", "words=text blk source.x",
                      "\n=source.x"}));
    EXPECT_EQ(grammar.state(), grammar.root());
    EXPECT_EQ(grammar.lexLine(u"  x\n"), (Tokens{"  =source.x", "x=source.x", "\n=source.x"}));
}

TEST(Lex, BackslashAMatchesOnlyOnTheFirstLine)
{
    TestGrammar grammar(array({match(u"\\A-", u"start")}));
    EXPECT_EQ(grammar.lexLine(u"-\n", LineKind::FirstLine),
              (Tokens{"-=start source.x", "\n=source.x"}));
    EXPECT_EQ(grammar.lexLine(u"-\n", LineKind::LaterLine),
              (Tokens{"-=source.x", "\n=source.x"}));
}

TEST(Lex, LookBehindSeesTheLineStartFromLaterSearches)
{
    TestGrammar grammar(array({match(u"ab", u"x"), match(u"(?<=^ab)c", u"y")}));
    EXPECT_EQ(grammar.lexLine(u"abc"), (Tokens{"ab=x source.x", "c=y source.x"}));
}

TEST(Lex, NotAsciiClassInsideAClassLeavesAsciiAlone)
{
    TestGrammar grammar(array({match(u"[a[^\\x00-\\x7F]]+", u"word")}));
    EXPECT_EQ(grammar.lexLine(u"{\u00e9a}"),
              (Tokens{"{=source.x", "\u00e9a=word source.x", "}=source.x"}));
}

TEST(Lex, NameOfSeveralScopesNestsThemInOrder)
{
    TestGrammar grammar(array({match(u"k", u"outer.a inner.b")}));
    EXPECT_EQ(grammar.lexLine(u"k"), (Tokens{"k=inner.b outer.a source.x"}));
}

TEST(Lex, GrammarInPublishedFormsLexesAsTheReferenceTokenizerDoes)
{
    // Captures as arrays indexed from 0, a capture entry that is a plain
    // string, and a repository entry that is an array: such grammars once
    // failed to load. The expected scopes are the reference tokenizer's.
    TestGrammar grammar(
        array({dict({{u"match", u"(a)(b)"},
                     {u"captures", array({dict({{u"name", u"whole"}}), u"stray",
                                          dict({{u"name", u"second"}})})}}),
               dict({{u"include", u"#listed"}}), dict({{u"include", u"#kept"}}),
               dict({{u"begin", u"<"},
                     {u"end", u">"},
                     {u"name", u"tag"},
                     {u"beginCaptures", array({dict({{u"name", u"open"}})})}})}),
        dict({{u"listed", array({match(u"x", u"never")})}, {u"kept", match(u"y", u"kept")}}));
    EXPECT_EQ(grammar.lexLine(u"ab x y <c>"),
              (Tokens{"a=whole source.x", "b=second whole source.x", " =source.x", "x =source.x",
                      "y=kept source.x", " =source.x", "<=open tag source.x", "c=tag source.x",
                      ">=tag source.x"}));
}

TEST(LineKey, EveryCallGetsANewKey)
{
    const MatchKey first = nextLineKey();
    const MatchKey second = nextLineKey();
    EXPECT_NE(first, 0);
    EXPECT_GT(second, first);
}

} // namespace
