// The cost of turning a grammar into a lexer, paid once per syntax when a
// file of a new type is opened: reading the rules from the property list,
// flattening them into contexts, and compiling the contexts (most of which is
// the regex engine's own compilation).
#include <memory>
#include <string>
#include <unordered_map>

#include <benchmark/benchmark.h>

#include "ui/log.h"
#include "ui/text/lexer/compiled_lexer.h"
#include "ui/text/lexer/loaded_context.h"
#include "ui/text/lexer/text_mate_grammar.h"
#include "ui/unicode.h"

namespace {

const PlistValue& grammarValue(const char* fileName)
{
    static std::unordered_map<std::string, PlistValue> s_values;
    PlistValue& value = s_values[fileName];
    if (!value.has_value())
        loadPlist(toUstring(std::string(VANTREL_TEST_DATA_DIR) + "/grammars/" + fileName), value,
                  false);
    return value;
}

// Languages outside the fixtures are reported on every load; the reports
// would drown the results.
void loadQuietly(const Grammar& grammar, LoadedContextSet& set)
{
    static const LanguageMap s_languages;
    static GrammarCache s_cache;
    const bool debugOutput = g_debugOutputEnabled.exchange(false);
    loadLexerContexts(grammar, s_languages, set, s_cache);
    g_debugOutputEnabled = debugOutput;
}

void parseGrammar(benchmark::State& state, const char* fileName)
{
    const PlistValue& value = grammarValue(fileName);
    for (auto _ : state) {
        Grammar grammar;
        parseTextMateGrammar(value, grammar, false);
        benchmark::DoNotOptimize(grammar.patterns.data());
    }
}

void loadContexts(benchmark::State& state, const char* fileName)
{
    Grammar grammar;
    parseTextMateGrammar(grammarValue(fileName), grammar, false);
    for (auto _ : state) {
        LoadedContextSet set;
        loadQuietly(grammar, set);
        benchmark::DoNotOptimize(set.contexts.data());
    }
}

void compileContexts(benchmark::State& state, const char* fileName)
{
    Grammar grammar;
    parseTextMateGrammar(grammarValue(fileName), grammar, false);
    LoadedContextSet set;
    loadQuietly(grammar, set);
    for (auto _ : state) {
        std::unique_ptr<CompiledLexer> lexer = compileLexerContexts(set.contexts);
        benchmark::DoNotOptimize(lexer.get());
    }
}

BENCHMARK_CAPTURE(parseGrammar, c, "c.tmLanguage")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadContexts, c, "c.tmLanguage")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(compileContexts, c, "c.tmLanguage")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(parseGrammar, python, "python.tmLanguage")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadContexts, python, "python.tmLanguage")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(compileContexts, python, "python.tmLanguage")->Unit(benchmark::kMillisecond);

} // namespace
