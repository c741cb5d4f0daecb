// Lexing whole files as the token storage does: line after line from the
// root state, carrying the state, with one match region and one workspace
// for the run. The texts are fixture files repeated to a few thousand
// lines, lexed with the fixture grammars (copied to a scratch folder
// first, so that no property-list cache lands beside the fixtures). The
// lexer is warmed up by one untimed pass (states, scope caches, clones and
// pattern sets exist), as it is when a buffer is edited and lexed again.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "support/fixture_grammars.h"
#include "ui/text/lexer/lexer.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/token/token_storage.h"
#include "ui/unicode.h"

namespace {

constexpr int kRepeatedLines = 4000;

// The fixture grammars in a scratch folder, with a loader that resolves
// includes through it.
class Grammars {
public:
    Grammars() { m_folder.attach(m_loader); }

    slate::SP<Syntax> syntax(const ustring& scopeName)
    {
        return m_loader.loadSyntax(m_folder.pathOf(scopeName));
    }

    static Grammars& get()
    {
        static Grammars s_grammars;
        return s_grammars;
    }

private:
    test_support::GrammarFolder m_folder;
    SyntaxLoader m_loader;
};

// The fixture file repeated to kRepeatedLines lines.
ustring repeatedText(const char* file)
{
    const ustring once = toUstring(test_support::readFile(test_support::dataPath("lexing") / file));
    const size_t linesOnce = static_cast<size_t>(std::count(once.begin(), once.end(), u'\n'));
    ustring text;
    for (size_t lines = 0; lines < kRepeatedLines; lines += linesOnce)
        text += once;
    return text;
}

void lexFile(benchmark::State& state, const char* file, const char16_t* scopeName)
{
    slate::SP<Syntax> syntax = Grammars::get().syntax(scopeName);
    const ustring text = repeatedText(file);
    std::vector<const uchar*> lineStarts;
    for (size_t i = 0; i < text.size();) {
        lineStarts.push_back(text.data() + i);
        const size_t lineFeed = text.find(u'\n', i);
        i = lineFeed == ustring::npos ? text.size() : lineFeed + 1;
    }
    lineStarts.push_back(text.data() + text.size());
    const size_t lineCount = lineStarts.size() - 1;

    MatchRegion region;
    LexerWorkspace workspace;
    std::vector<LexedToken> tokens;
    tokens.reserve(1 << 18);
    size_t tokenCount = 0;
    auto lexWholeFile = [&] {
        ScopedLock lock(syntax->lexerLock());
        LexerState* lexerState = syntax->lexer()->root();
        tokenCount = 0;
        for (size_t line = 0; line < lineCount; ++line) {
            tokens.clear();
            lexerState = lex(region, workspace, lexerState, lineStarts[line], lineStarts[line + 1],
                             tokens, line == 0 ? LineKind::FirstLine : LineKind::LaterLine);
            tokenCount += tokens.size();
        }
        benchmark::DoNotOptimize(lexerState);
    };
    lexWholeFile(); // warms the lexer up, untimed
    for (auto _ : state)
        lexWholeFile();
    state.counters["lines/s"] = benchmark::Counter(
        static_cast<double>(lineCount) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
    state.counters["lines"] = static_cast<double>(lineCount);
    state.counters["tokens"] = static_cast<double>(tokenCount);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size() * sizeof(uchar)));
}

void lexC(benchmark::State& state) { lexFile(state, "xtranslcl.c", u"source.c"); }
void lexPython(benchmark::State& state) { lexFile(state, "test_gyp.py", u"source.python"); }
void lexJson(benchmark::State& state) { lexFile(state, "package.json", u"source.json"); }
void lexCpp(benchmark::State& state) { lexFile(state, "random_device.cpp", u"source.cpp"); }
void lexJavaScript(benchmark::State& state) { lexFile(state, "docs_index.js", u"source.js"); }
void lexHtml(benchmark::State& state)
{
    lexFile(state, "npm_install_ci_test.html", u"text.html.basic");
}
void lexCss(benchmark::State& state) { lexFile(state, "style.css", u"source.css"); }
// Markdown is the grammar of "while" rules (block quotes, list items).
void lexMarkdown(benchmark::State& state) { lexFile(state, "npm_ci.md", u"text.html.markdown"); }
// SQL is the grammar of long keyword lists read without case.
void lexSql(benchmark::State& state) { lexFile(state, "system_constraints.sql", u"source.sql"); }

// What a lexed file costs to keep: the heap the token storage takes for the
// text, its tokens and the lexer state stored per line (states the lexer
// made on the way are shared with every buffer and not counted), per code
// unit of text.
void storageMemory(benchmark::State& state, const char* file, const char16_t* scopeName)
{
    slate::SP<Syntax> syntax = Grammars::get().syntax(scopeName);
    const ustring text = repeatedText(file);
    double perUnit = 0.0;
    for (auto _ : state) {
        {
            TokenStorage warm; // states and scope strings made before counting
            warm.setSyntax(syntax);
            warm.insert(0, text);
            warm.validateUntil(warm.size());
        }
        const size_t before = mallinfo2().uordblks;
        auto storage = std::make_unique<TokenStorage>();
        storage->setSyntax(syntax);
        storage->insert(0, text);
        storage->validateUntil(storage->size());
        const size_t after = mallinfo2().uordblks;
        perUnit = static_cast<double>(after - before) / static_cast<double>(text.size());
    }
    state.counters["heapBytesPerUnit"] = perUnit;
}
void memoryC(benchmark::State& state) { storageMemory(state, "xtranslcl.c", u"source.c"); }
void memoryJavaScript(benchmark::State& state)
{
    storageMemory(state, "docs_index.js", u"source.js");
}
void memoryCss(benchmark::State& state) { storageMemory(state, "style.css", u"source.css"); }
BENCHMARK(memoryC)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(memoryJavaScript)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(memoryCss)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK(lexC)->Unit(benchmark::kMillisecond);
BENCHMARK(lexSql)->Unit(benchmark::kMillisecond);
BENCHMARK(lexPython)->Unit(benchmark::kMillisecond);
BENCHMARK(lexJson)->Unit(benchmark::kMillisecond);
BENCHMARK(lexCpp)->Unit(benchmark::kMillisecond);
BENCHMARK(lexJavaScript)->Unit(benchmark::kMillisecond);
BENCHMARK(lexHtml)->Unit(benchmark::kMillisecond);
BENCHMARK(lexCss)->Unit(benchmark::kMillisecond);
BENCHMARK(lexMarkdown)->Unit(benchmark::kMillisecond);

} // namespace
