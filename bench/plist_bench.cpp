// What the property-list cache buys: loading a large grammar by parsing its
// XML against loading it from the binary cache beside it. The grammar is
// copied into a scratch folder so that the cache is written there.
#include <benchmark/benchmark.h>

#include <string>

#include "support/scratch_folder.h"
#include "ui/text/lexer/plist.h"
#include "ui/unicode.h"

namespace {

// A copy of one fixture grammar in a scratch folder.
class GrammarCopy {
public:
    explicit GrammarCopy(const char* name)
        : m_path(m_folder.write(name, test_support::readFile(test_support::dataPath("grammars") / name)))
    {
    }
    const ustring& path() const { return m_path; }

private:
    test_support::ScratchFolder m_folder{"vantrel-plist-bench"};
    ustring m_path;
};

void loadFromXml(benchmark::State& state)
{
    GrammarCopy grammar("cpp.tmLanguage");
    for (auto _ : state) {
        PlistValue value;
        loadPlist(grammar.path(), value, false);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(loadFromXml)->Unit(benchmark::kMillisecond);

void loadFromCache(benchmark::State& state)
{
    GrammarCopy grammar("cpp.tmLanguage");
    PlistValue warm;
    loadPlist(grammar.path(), warm, true); // writes the cache
    for (auto _ : state) {
        PlistValue value;
        loadPlist(grammar.path(), value, true);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(loadFromCache)->Unit(benchmark::kMillisecond);

} // namespace
