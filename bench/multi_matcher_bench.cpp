// The matcher as the lexer drives it: one context's patterns searched again
// and again along a line, each call starting where the previous match ended,
// with a fresh line key per line.
#include <benchmark/benchmark.h>

#include <vector>

#include "ui/text/lexer/multi_matcher.h"

namespace {

const char16_t* const kPatterns[] = {
    u"//.*$",
    u"/\\*",
    u"\"",
    u"'",
    u"\\b(if|else|for|while|return|switch|case|break|continue)\\b",
    u"\\b(int|char|void|unsigned|long|short|const|static|struct)\\b",
    u"\\b((0x[0-9a-fA-F]+)|([0-9]+(\\.[0-9]*)?))\\b",
    u"[A-Za-z_][A-Za-z0-9_]*(?=\\s*\\()",
    u"[-+*/%=<>!&|^~?:]+",
    u"[{}()\\[\\];,]",
};

const char16_t kLine[] =
    u"    for (unsigned i = 0; i < count; ++i) total += values[i] * 0x10 + compute(i, 3.5); "
    u"// sum\n";

// Lexes the line once under `key`; returns where the last match ended.
const uchar* lexOnce(MultiMatcher& matcher, MatchRegion& region, MatchKey key,
                     std::vector<slate::usubstring>& captures)
{
    const uchar* begin = kLine;
    const uchar* end = kLine + (sizeof(kLine) / sizeof(kLine[0]) - 1);
    slate::usubstring match;
    const uchar* position = begin;
    while (position < end) {
        if (matcher.search(region, key, position, end, begin, end, match, captures, true) < 0)
            break;
        position = match.end > position ? match.end : position + 1;
    }
    return position;
}

// `state.range(0)` 1: a fresh key per line, as the lexer does; 0: key 0,
// which never reuses, to show what the remembered results save.
void lexLine(benchmark::State& state)
{
    std::vector<slate::usubstring> patterns(std::begin(kPatterns), std::end(kPatterns));
    MultiMatcher matcher(patterns);
    MatchRegion region;
    std::vector<slate::usubstring> captures;
    MatchKey key = 0;
    for (auto _ : state) {
        if (state.range(0))
            ++key;
        benchmark::DoNotOptimize(lexOnce(matcher, region, key, captures));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * sizeof(kLine));
}
BENCHMARK(lexLine)->Arg(1)->Arg(0);

void buildMatcher(benchmark::State& state)
{
    std::vector<slate::usubstring> patterns(std::begin(kPatterns), std::end(kPatterns));
    for (auto _ : state) {
        MultiMatcher matcher(patterns);
        benchmark::DoNotOptimize(matcher.maxCaptures());
    }
}
BENCHMARK(buildMatcher);

} // namespace
