// The cost of ranking a colour scheme's rules against one token's scope, the
// work a styler does once per distinct scope before caching the answer.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "ui/text/syntax/scope_selector.h"

namespace {

const char16_t* const kRules[] = {
    u"comment", u"string", u"constant.numeric", u"constant.language",
    u"constant.character, constant.other", u"variable", u"keyword", u"storage",
    u"storage.type", u"entity.name.class", u"entity.other.inherited-class",
    u"entity.name.function", u"variable.parameter", u"entity.name.tag",
    u"entity.other.attribute-name", u"support.function", u"support.constant",
    u"support.type, support.class", u"support.other.variable", u"invalid",
    u"invalid.deprecated", u"source - string - comment", u"meta.diff, meta.diff.header",
    u"markup.deleted", u"markup.inserted", u"markup.changed", u"text.html.markdown markup.heading",
    u"source.js meta.function-call", u"source.js string.quoted - string.quoted.template",
    u"punctuation.definition.comment", u"(meta.embedded | source.css) string",
};

const char16_t* const kScopes[] = {
    u"punctuation.definition.string.begin.js string.quoted.double.js meta.function-call.js "
    u"meta.block.js meta.function.js source.js ",
    u"keyword.operator.assignment.js meta.block.js source.js ",
    u"comment.line.double-slash.js source.js ",
    u"entity.name.tag.html meta.tag.block.any.html text.html.basic ",
};

RegexSelectorSet makeRules()
{
    RegexSelectorSet set;
    for (const char16_t* rule : kRules)
        set.add(compileSelector(ustring(rule)));
    return set;
}

void BM_RegexSelectorSetBestMatch(benchmark::State& state)
{
    RegexSelectorSet set = makeRules();
    std::vector<ustring> scopes(std::begin(kScopes), std::end(kScopes));
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(set.bestMatch(scopes[next]));
        next = (next + 1) % scopes.size();
    }
}
BENCHMARK(BM_RegexSelectorSetBestMatch);

void BM_RegexSelectorSetAllMatches(benchmark::State& state)
{
    RegexSelectorSet set = makeRules();
    std::vector<ustring> scopes(std::begin(kScopes), std::end(kScopes));
    std::vector<int> indices;
    size_t next = 0;
    for (auto _ : state) {
        set.allMatches(scopes[next], indices);
        benchmark::DoNotOptimize(indices.data());
        next = (next + 1) % scopes.size();
    }
}
BENCHMARK(BM_RegexSelectorSetAllMatches);

void BM_CompileSelector(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(compileSelector(u"source.js string.quoted - string.quoted.template"));
}
BENCHMARK(BM_CompileSelector);

} // namespace
