// What the property-list cache buys: loading a large grammar by parsing its
// XML against loading it from the binary cache beside it. The grammar is
// copied into a temporary directory so that the cache is written there.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "ui/text/lexer/plist.h"
#include "ui/unicode.h"

namespace {

// A copy of one fixture grammar in a fresh directory, removed at the end.
class GrammarCopy {
public:
    explicit GrammarCopy(const char* name)
    {
        char pattern[] = "/tmp/vantrel_plist_bench_XXXXXX";
        if (mkdtemp(pattern))
            m_directory = pattern;
        m_path = m_directory + "/" + name;
        std::ifstream in(std::string(VANTREL_TEST_DATA_DIR "/grammars/") + name, std::ios::binary);
        std::ofstream out(m_path, std::ios::binary);
        out << in.rdbuf();
    }
    ~GrammarCopy()
    {
        std::remove((m_path + ".cache").c_str());
        std::remove(m_path.c_str());
        rmdir(m_directory.c_str());
    }
    ustring path() const { return toUstring(m_path); }

private:
    std::string m_directory;
    std::string m_path;
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
